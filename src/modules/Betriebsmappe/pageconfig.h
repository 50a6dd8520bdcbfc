#pragma once
// The page list of the company dossier as the global list "Betriebsmappe" keeps it:
//
//   @ comment
//   !Add=TStammFirmenForm                 the page for a new company
//   (Firma,1)   or   [Firma,1]            a group with its picture number
//   Stammdaten=TStammFirmenForm;a;b       a page of the current group with up to eight parameters
//
// Lines shorter than three characters, page lines before the first group and pages whose form
// class is not installed are left out; a group without pages is dropped.

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

namespace Betriebsmappe {

struct PageDef
{
    QString caption;
    QString className;
    QString params;       // the parameter text as written (trimmed)
    QStringList args;     // up to eight parameters, each trimmed
};

struct GroupDef
{
    QString caption;
    int picture = 0;
    QList<PageDef> pages;
    // A group is known by the class of its first page.
    QString name() const { return pages.isEmpty() ? QString() : pages.first().className; }
};

struct PageConfig
{
    QString addClass;
    QList<GroupDef> groups;
};

// `installed` answers whether a form class is registered with the host.
PageConfig ParsePageConfig(const QStringList &lines, const std::function<bool(const QString &)> &installed);

} // namespace Betriebsmappe
