#pragma once
// The person register: employees, clients, doctors and contact persons, with a type filter, two
// sort modes, the company of a person, the branch assignment, the maintenance sweep of the system
// user and the CSV export.

#include "host/shellware/moduleinfo.h"
#include "host/shellware/tstrings.h"
#include "kit/recordform.h"

#include <QHash>
#include <QPointer>
#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTabWidget;
class QToolBar;
class QToolButton;
class TExtNavigator;
namespace db { class DataSet; class DataSetModel; class FieldBinder; class Query; }

class TPersonForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Person_ID READ Person_ID WRITE setPerson_ID)
    Q_PROPERTY(int Typ READ Typ WRITE setTyp)
    Q_PROPERTY(int TypWahl READ TypWahl WRITE setTypWahl)
    Q_PROPERTY(int PersTyp READ PersTyp)
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
public:
    explicit TPersonForm(QWidget *parent = nullptr);
    ~TPersonForm() override;
    static void Describe(TModuleInfo &m);

    qint64 Person_ID() const { return CurrentID(); }
    void setPerson_ID(qint64 id);
    int Typ() const { return m_typ; }
    void setTyp(int t) { m_typ = t; }
    int TypWahl() const;
    void setTypWahl(int index);
    int PersTyp() const;
    // The company the form is restricted to (0: none). Writing an ID above 0 shows only that
    // company's persons and stands on the first of them; 0 or below lifts the restriction. New
    // persons get the company while the restriction holds.
    qint64 Firmen_ID() const { return m_firmenId; }
    void setFirmen_ID(qint64 id);

    // Sort modes: 0 by name, 1 by person number.
    void SetSortMode(int mode);
    int SortMode() const { return m_sortMode; }
    // The export of the button "Personendaten exportieren (CSV-Format)".
    void ExportPerson();
    // "Filial": persons of type 1 without company get the tenant's own company.
    void AssignBranch();
    // The navigator's extra button for the system user.
    void MaintenanceSweep();
    // The e-mail button.
    void SendMail();
    // The "Firma" button: opens the person's company.
    void OpenCompany();
    // The pick button "Firma wählen".
    void PickCompany();
    // A company name typed into the company field.
    void CompanyNameEntered(const QString &text);

    // Datasets
    db::DataSet *Personen = nullptr;
    db::DataSet *PersonenList = nullptr;
    db::DataSet *Firmen = nullptr;
    db::Query *QPersonExport = nullptr;
    db::Query *dtsGetZentrale = nullptr;
    db::Query *QSetStammFiliale = nullptr;
    db::FieldBinder *Binder = nullptr;
    db::DataSetModel *ListModel = nullptr;

    // Controls
    QToolBar *ToolsToolbar = nullptr;
    TExtNavigator *Navigator = nullptr;
    QComboBox *cbTypWahl = nullptr;
    QToolButton *sbName = nullptr, *sbNummer = nullptr;
    QAction *acExport = nullptr, *acFiliale = nullptr;
    QTableView *Grid = nullptr;
    QTabWidget *PageControl = nullptr;
    QComboBox *cbAnrede = nullptr, *cbTyp = nullptr, *cbNationalitaet = nullptr;
    QLineEdit *edNachname = nullptr, *edVorname = nullptr, *edIdentNr = nullptr, *edStrasse = nullptr,
              *edLand = nullptr, *edPlz = nullptr, *edOrt = nullptr, *edTelefon1 = nullptr, *edTelefon2 = nullptr,
              *edMobil = nullptr, *edTelefax = nullptr, *edEmail = nullptr, *edFunktion = nullptr,
              *edFirma = nullptr, *edGeboren = nullptr, *edZusatz1 = nullptr, *edZusatz2 = nullptr,
              *edBank = nullptr, *edBlz = nullptr, *edKonto = nullptr, *edArztBsnr = nullptr, *edArztNr = nullptr,
              *edDC = nullptr, *edDM = nullptr;
    QPlainTextEdit *meAdressenzusatz = nullptr, *meBemerkungen = nullptr;
    QLabel *lbNummer = nullptr, *lbZusatz1 = nullptr, *lbZusatz2 = nullptr;
    QToolButton *sbFirmaWaehlen = nullptr, *sbFirma = nullptr, *sbEmail = nullptr;

    TStrings Anreden, Nationalitaeten, FirmenTypen, PersonenTypen, TypWahlListe;

protected:
    void CreateLists() override;
    void ArrangePanels() override;
    void ApplyUserType() override;
    void OpenDataSets() override;
    void FreeLists() override;
    void ApplyMacros() override;
    void LoadLookups() override;
    void NewRecord(db::DataSet &ds) override;
    void BeforePost(db::DataSet &ds) override;
    void NavigatorClick(int button, bool &handled) override;
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) override;
    void FMIGlobalChanged(TFormModuleInfo *sender, int flags) override;

private:
    void buildUi();
    // Runs a handler of a control: a failure becomes a German message (and `onError` undoes the
    // control's change) instead of leaving the event loop.
    void guarded(const char *context, const std::function<void()> &fn, const std::function<void()> &onError = {});
    void setupDataSets();
    void fillTypeCombos();
    void selectFilter(int index, bool apply);
    void applyFilter();
    void typeChanged();
    void showCompany();
    void companiesOpened();
    int currentType() const;
    int filterType() const;
    void salutationChosen();
    void birthDateLeft();
    qint64 currentOrListID() const;
    bool companyAlive(qint64 id);

    struct Company
    {
        QString name;
        QString shortName;
        int typ = 0;
        bool hasTyp = false;
    };
    QHash<qint64, Company> m_companies;
    int m_sortMode = 0;
    int m_typ = 0;
    int m_sweep = 0;   // while > 0 the record dataset reads all rows, deleted ones included
    bool m_filterFixed = false;
    int m_filterIndex = 0;   // the filter entry the lists were last opened with
    qint64 m_firmenId = 0;   // the company the lists are restricted to, 0 for none
};

extern TPersonForm *PersonForm;
