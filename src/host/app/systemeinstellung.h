#pragma once
// The settings dialog. Page control "PC": the tenant page "Mandant" (with the panel "BPMandant")
// and one page per manifest whose LinkedForms name "TSystemEinstellungForm.PC=Caption"; pages
// named "TSystemEinstellungForm.BPMandant=Caption" go into the tenant panel. Every page gets the
// dialog's database as element 0 of its arguments; a new database (property "Database", set by the
// connection page) is handed to every page again.

#include <QDialog>
#include <QList>
#include <QPointer>

class QTabWidget;
class QLabel;
class TWin95Form;
#include "platform/db/database.h"

class TSystemEinstellungForm : public QDialog
{
    Q_OBJECT
    Q_PROPERTY(QObject *Database READ databaseObject WRITE setDatabaseObject)
public:
    explicit TSystemEinstellungForm(db::Database *database, QWidget *parent = nullptr);
    ~TSystemEinstellungForm() override;

    db::Database *database() const { return m_db; }
    void setDatabase(db::Database *db);
    QObject *databaseObject() const;
    void setDatabaseObject(QObject *o);

    QTabWidget *PC = nullptr;
    QTabWidget *BPMandant = nullptr;
    QList<TWin95Form *> pages() const;

    // "Class.Control=Caption" entries of the registered manifests for this dialog.
    struct PageDef
    {
        QString className;
        QString control;   // "PC" or "BPMandant"
        QString caption;
    };
    static QList<PageDef> pageDefinitions();

    // Closes the dialog; the pages run their destroy handlers once.
    void done(int r) override;

protected:

private:
    void buildPages();
    void updateInfo();
    QPointer<db::Database> m_db;
    QList<QPointer<TWin95Form>> m_pages;
    QLabel *m_info = nullptr;
    bool m_closed = false;
};
