#include "testforms.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "kit/registration.h"
#include "kit/setupdatabase.h"
#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/transaction.h"

#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TTestRecordForm *TestRecordForm = nullptr;
TTestDialogForm *TestDialogForm = nullptr;
TTestReportForm *TestReportForm = nullptr;

FD_REGISTER_FORM(TTestRecordForm, &TestRecordForm);
FD_REGISTER_FORM(TTestPageForm, nullptr);
FD_REGISTER_FORM(TTestDialogForm, &TestDialogForm);
FD_REGISTER_REPORT(TTestReportForm, &TestReportForm);

// ---- record form ----

void TTestRecordForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Testfirmen");
    m.Hint = QStringLiteral("Firmen zum Testen bearbeiten");
    m.Security = fsReadOnly;
    m.LinkedTools = QStringLiteral("ToolsToolbar");
    m.Level = {QStringLiteral("CanDelete: Firmen löschen=1")};
}

TTestRecordForm::TTestRecordForm(QWidget *parent) : kit::RecordForm(parent)
{
    Describe(*FMI);
    UseFormVariable(TestRecordForm);
    setWindowTitle(QStringLiteral("Testfirmen"));
    FirmenList = new db::DataSet(this);
    FirmenList->setObjectName(QStringLiteral("FirmenList"));
    FirmenList->setSelectSql(QStringLiteral("select ID, KURZBEZEICHNUNG from FIRMEN where DD is NULL order by KURZBEZEICHNUNG, ID"));
    Firmen = new db::DataSet(this);
    Firmen->setObjectName(QStringLiteral("Firmen"));
    Firmen->setSelectSql(QStringLiteral("select ID, KURZBEZEICHNUNG, ZUSATZ1, ZUSATZ2, TYP, DC, DM, DD from FIRMEN @@Where@ order by ID"));
    Firmen->setInsertSql(QStringLiteral("insert into FIRMEN (ID, KURZBEZEICHNUNG, ZUSATZ1, ZUSATZ2, TYP, DC, DM, DD) "
                                        "values (:ID, :KURZBEZEICHNUNG, :ZUSATZ1, :ZUSATZ2, :TYP, :DC, :DM, :DD)"));
    Firmen->setUpdateSql(QStringLiteral("update FIRMEN set KURZBEZEICHNUNG = :KURZBEZEICHNUNG, ZUSATZ1 = :ZUSATZ1, "
                                        "ZUSATZ2 = :ZUSATZ2, TYP = :TYP, DM = :DM, DD = :DD where ID = :OLD_ID"));
    Firmen->setDeleteSql(QStringLiteral("delete from FIRMEN where ID = :OLD_ID"));
    Firmen->setRefreshSql(QStringLiteral("select ID, KURZBEZEICHNUNG, ZUSATZ1, ZUSATZ2, TYP, DC, DM, DD from FIRMEN where ID = :ID"));
    setDataSets(FirmenList, Firmen);
    setGenerator(QStringLiteral("GEN_FIRMEN_ID"));
    setSearchField(QStringLiteral("KURZBEZEICHNUNG"));

    auto *lay = new QVBoxLayout(this);
    ToolsToolbar = new QToolBar(this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    ToolsToolbar->addAction(QStringLiteral("Testaktion"));
    lay->addWidget(ToolsToolbar);
    Navigator = new TExtNavigator(this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    lay->addWidget(Navigator);
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    auto *page1 = new QWidget;
    auto *form = new QFormLayout(page1);
    NameEdit = new QLineEdit(page1);
    NameEdit->setObjectName(QStringLiteral("KURZBEZEICHNUNG"));
    form->addRow(QStringLiteral("Kurzbezeichnung"), NameEdit);
    Zusatz1Label = new QLabel(page1);
    Zusatz1Edit = new QLineEdit(page1);
    Zusatz2Label = new QLabel(page1);
    Zusatz2Edit = new QLineEdit(page1);
    Zusatz1Edit->setObjectName(QStringLiteral("ZUSATZ1"));
    Zusatz2Edit->setObjectName(QStringLiteral("ZUSATZ2"));
    form->addRow(Zusatz1Label, Zusatz1Edit);
    form->addRow(Zusatz2Label, Zusatz2Edit);
    PickButton = new QToolButton(page1);
    PickButton->setObjectName(QStringLiteral("PickButton"));
    PickButton->setText(QStringLiteral("Auswahl"));
    PrivilegedButton = new QToolButton(page1);
    PrivilegedButton->setObjectName(QStringLiteral("PrivilegedButton"));
    form->addRow(PickButton, PrivilegedButton);
    PageControl->addTab(page1, QStringLiteral("Stammdaten"));
    PageControl->addTab(new QWidget, QStringLiteral("Weiteres"));
    lay->addWidget(PageControl);

    Binder = new db::FieldBinder(Firmen, this);
    Binder->bind(NameEdit, QStringLiteral("KURZBEZEICHNUNG"));
    Binder->bind(Zusatz1Edit, QStringLiteral("ZUSATZ1"));
    Binder->bind(Zusatz2Edit, QStringLiteral("ZUSATZ2"));
    setBinder(Binder);
    setNavigator(Navigator);
    setPages(PageControl);
    setCharacteristicFields(Zusatz1Label, Zusatz1Edit, Zusatz2Label, Zusatz2Edit);
    addPickButton(PickButton);
    addPrivilegedWidget(PrivilegedButton);
}

void TTestRecordForm::CreateLists() { FirmenTypen.Clear(); }

void TTestRecordForm::LoadLookups()
{
    ++m_lookupLoads;
    Dm::DatenModul()->GetStrings(QStringLiteral("APP$Firmentyp"), FirmenTypen, 0);
    FirmenTypen.InsertObject(0, QStringLiteral("< alle Firmen >"), -1);
}

void TTestRecordForm::FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last)
{
    ++m_executes;
    QStringList parts;
    for (int i = 0; i <= last && i < args.size(); ++i)
        parts << QString::fromLatin1(args.at(i).typeName()) + QLatin1Char(':') + Systools::GetVarString(args, last, i);
    m_lastArgs = parts.join(QLatin1Char('|'));
    m_caller = form ? QString::fromLatin1(form->metaObject()->className()) : QString();
    kit::RecordForm::FMIExecute(sender, form, args, last);
}

void TTestRecordForm::setFirmen_ID(qint64 id)
{
    if (id < 0)
        ExecuteDefault({QVariant(qlonglong(id))}, 0, true);
    else if (id > 0)
        MoveTo(id);
}

// ---- settings page ----

void TTestPageForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Systemeinstellungen - Testseite");
    m.Flags = ffNoMDIChild | ffNoReference;
    m.LinkedForms = {QStringLiteral("TSystemEinstellungForm.PC=Testseite")};
}

TTestPageForm::TTestPageForm(QWidget *parent) : TWin95Form(parent)
{
    FMI = new TFormModuleInfo(this);
    Describe(*FMI);
    Trans = new db::Transaction(nullptr, db::Transaction::readParams(), this);
    Trans->setObjectName(QStringLiteral("Trans"));
    Tabelle = new db::DataSet(this);
    Tabelle->setObjectName(QStringLiteral("Tabelle"));
    Tabelle->setTransaction(Trans);
    Tabelle->setSelectSql(QStringLiteral("select ID, BEZEICHNUNG from APP$FIRMENTYP order by SORTIERUNG"));
    auto *lay = new QVBoxLayout(this);
    lay->addWidget(new QLabel(QStringLiteral("Testseite der Systemeinstellungen"), this));
    FMI->OnExecute = [this](TFormModuleInfo *, QWidget *, const QVariantList &args, int last) {
        db::Database *d = kit::DatabaseArg(args, 0);
        if (last < 0 || !d)
            return;
        kit::SetupDatabase(this, d, nullptr);
        m_db = d;
        Tabelle->close();
        Tabelle->open();
    };
}

QObject *TTestPageForm::boundDatabase() const { return Tabelle->database(); }

// ---- modal dialog ----

void TTestDialogForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Testdialog");
    m.Flags = ffModal | ffOnlyOneCanRunning;
}

TTestDialogForm::TTestDialogForm(QWidget *parent) : TWin95Form(parent)
{
    auto *fmi = new TFormModuleInfo(this);
    Describe(*fmi);
    fmi->OnExecute = [this](TFormModuleInfo *, QWidget *, const QVariantList &args, int last) {
        m_text = Systools::GetVarString(args, last, 0);
    };
}

// ---- report ----

void TTestReportForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Testfirmenliste");
    m.LinkedForms = {QStringLiteral("TTestRecordForm=")};
    if (auto *r = qobject_cast<TReportModuleInfo *>(&m))
        r->Ident = QStringLiteral("\\Test\\Firmenliste");
}

TTestReportForm::TTestReportForm(QWidget *parent) : TWin95Form(parent)
{
    RMI = new TReportModuleInfo(this);
    Describe(*RMI);
    RMI->OnAction = [this](QObject *sender, int code, bool &result) {
        m_actions << QString::number(code);
        switch (code) {
        case 4:
        case 5:
            result = true;
            break;
        case 6:
            result = !RMI->ReadOnly();
            break;
        case 8:
            m_selection = Systools::GetCompOrdProp(sender, QStringLiteral("Firmen_ID"));
            RMI->SelectAction(QString(), 0);
            break;
        default:
            break;
        }
    };
}
