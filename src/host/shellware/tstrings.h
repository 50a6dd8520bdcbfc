#pragma once
// An ordered list of texts, each carrying an integer object (a lookup entry's ID or code).

#include "shellware_global.h"

#include <QList>
#include <QString>
#include <QStringList>

class FD_SHELLWARE_EXPORT TStrings
{
public:
    void Clear() { m_texts.clear(); m_objects.clear(); }
    void AddObject(const QString &text, qint64 object) { m_texts << text; m_objects << object; }
    void Add(const QString &text) { AddObject(text, 0); }
    void InsertObject(int index, const QString &text, qint64 object)
    {
        m_texts.insert(index, text);
        m_objects.insert(index, object);
    }
    int Count() const { return int(m_texts.size()); }
    QString Strings(int i) const { return m_texts.value(i); }
    qint64 Objects(int i) const { return m_objects.value(i); }
    int IndexOf(const QString &text) const { return int(m_texts.indexOf(text)); }
    int IndexOfObject(qint64 object) const { return int(m_objects.indexOf(object)); }
    // The text of the entry with that object ("" when none).
    QString TextOf(qint64 object) const { return m_texts.value(IndexOfObject(object)); }
    const QStringList &Texts() const { return m_texts; }

private:
    QStringList m_texts;
    QList<qint64> m_objects;
};
