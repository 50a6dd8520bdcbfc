#pragma once
// Forms of the test module library: a record form on FIRMEN, a settings page, a modal dialog and
// a report linked to the record form.

#include "host/shellware/moduleinfo.h"
#include "host/shellware/tstrings.h"
#include "host/shellware/win95form.h"
#include "kit/recordform.h"

#include <QPointer>

class QLabel;
class QLineEdit;
class QTabWidget;
class QToolBar;
class QToolButton;
class TExtNavigator;
namespace db { class Database; class DataSet; class FieldBinder; class Transaction; }

class TTestRecordForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
    Q_PROPERTY(QString LastArgs READ LastArgs)
    Q_PROPERTY(int LookupLoads READ LookupLoads)
    Q_PROPERTY(int Executes READ Executes)
    Q_PROPERTY(QString Caller READ Caller)
public:
    explicit TTestRecordForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);

    qint64 Firmen_ID() const { return CurrentID(); }
    void setFirmen_ID(qint64 id);
    QString LastArgs() const { return m_lastArgs; }
    int LookupLoads() const { return m_lookupLoads; }
    int Executes() const { return m_executes; }
    QString Caller() const { return m_caller; }

    db::DataSet *Firmen = nullptr;      // record dataset
    db::DataSet *FirmenList = nullptr;  // list dataset
    db::FieldBinder *Binder = nullptr;
    TExtNavigator *Navigator = nullptr;
    QTabWidget *PageControl = nullptr;
    QToolBar *ToolsToolbar = nullptr;
    QToolButton *PickButton = nullptr;
    QToolButton *PrivilegedButton = nullptr;
    QLabel *Zusatz1Label = nullptr, *Zusatz2Label = nullptr;
    QLineEdit *Zusatz1Edit = nullptr, *Zusatz2Edit = nullptr, *NameEdit = nullptr;
    TStrings FirmenTypen;

protected:
    void CreateLists() override;
    void LoadLookups() override;
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) override;

private:
    QString m_lastArgs;
    int m_lookupLoads = 0;
    int m_executes = 0;
    QString m_caller;
};

class TTestPageForm : public TWin95Form
{
    Q_OBJECT
    Q_PROPERTY(QObject *BoundDatabase READ boundDatabase)
public:
    explicit TTestPageForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);
    QObject *boundDatabase() const;
    TFormModuleInfo *FMI;
    db::Transaction *Trans;
    db::DataSet *Tabelle;
    db::Database *m_db = nullptr;
};

class TTestDialogForm : public TWin95Form
{
    Q_OBJECT
    Q_PROPERTY(QString Text READ text)
public:
    explicit TTestDialogForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);
    QString text() const { return m_text; }
    QString m_text;
};

class TTestReportForm : public TWin95Form
{
    Q_OBJECT
    Q_PROPERTY(QString Actions READ Actions)
    Q_PROPERTY(qint64 Selection READ Selection)
public:
    explicit TTestReportForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);
    QString Actions() const { return m_actions.join(QLatin1Char(',')); }
    qint64 Selection() const { return m_selection; }
    TReportModuleInfo *RMI;

private:
    QStringList m_actions;
    qint64 m_selection = 0;
};

extern TTestRecordForm *TestRecordForm;
extern TTestDialogForm *TestDialogForm;
extern TTestReportForm *TestReportForm;
