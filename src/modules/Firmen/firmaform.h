#pragma once
// The company register: suppliers, customers and the tenant's own company, with a type filter,
// in-memory sorting, the contact person, the employees of a company, the tenant marking of the
// site row, the logo, the maintenance sweep of the system user and the CSV export.

#include "host/shellware/moduleinfo.h"
#include "host/shellware/tstrings.h"
#include "kit/recordform.h"

#include <QPointer>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTabWidget;
class QToolBar;
class QToolButton;
class TExtNavigator;
namespace db { class DataSet; class DataSetModel; class FieldBinder; class Query; }

class TFirmaForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
    Q_PROPERTY(int Zentrale READ Zentrale)
public:
    explicit TFirmaForm(QWidget *parent = nullptr);
    ~TFirmaForm() override;
    static void Describe(TModuleInfo &m);

    qint64 Firmen_ID() const { return CurrentID(); }
    void setFirmen_ID(qint64 id);
    // 1 when the current company is marked as the tenant's own company.
    int Zentrale() const;

    // The type filter: index into the filter combo (0 "< alle Firmen >").
    void SelectFilter(int index);
    int FilterType() const;
    // The header buttons: sort the open list in memory by `field`.
    void SortBy(const QString &field);
    // "Firma in Mandant wandeln!"
    void MarkAsTenant();
    // "Logo": an empty path asks with the picture dialog.
    void LoadLogo(const QString &path = QString());
    void ClearLogo();
    // The CSV export of the button "Firmendaten exportieren (CSV-Format)".
    void ExportFirmen();
    // The navigator's extra button for the system user.
    void MaintenanceSweep();
    // The contact person: typed name, pick button, "Ansprechp." button.
    void ContactNameEntered(const QString &text);
    void PickContact();
    void OpenContact();
    // The employees page: opens the person form on the selected employee.
    void OpenEmployee();
    // Pop-up menu "Betriebsmappe".
    void OpenDossier();
    void SendMail();
    void OpenHomepage();
    // The text the contact field shows and the telephone beside it.
    QString ContactText() const;
    QString ContactPhone() const;

    // Datasets
    db::DataSet *Firmen = nullptr;
    db::DataSet *FirmenList = nullptr;
    db::DataSet *Personen = nullptr;
    db::DataSet *PersonAP = nullptr;
    db::DataSet *QFiliale = nullptr;
    db::Query *QFirmenExport = nullptr;
    db::FieldBinder *Binder = nullptr;
    db::DataSetModel *ListModel = nullptr;
    db::DataSetModel *EmployeeModel = nullptr;

    // Controls
    QToolBar *ToolsToolbar = nullptr;
    TExtNavigator *Navigator = nullptr, *NavMitarbeiter = nullptr;
    QComboBox *cbTypWahl = nullptr, *cbTyp = nullptr;
    QToolButton *sbBezeichnung = nullptr, *sbKurzbez = nullptr, *sbNummer = nullptr;
    QTableView *Grid = nullptr, *GridMitarbeiter = nullptr;
    QTabWidget *PageControl = nullptr;
    QLineEdit *edKurzbez = nullptr, *edNummer = nullptr, *edName1 = nullptr, *edName2 = nullptr, *edName3 = nullptr,
              *edTelefon1 = nullptr, *edTelefon2 = nullptr, *edTelefax = nullptr, *edKundeSeit = nullptr,
              *edZusatz1 = nullptr, *edZusatz2 = nullptr, *edStrasse = nullptr, *edEmail = nullptr,
              *edHomepage = nullptr, *edPlz = nullptr, *edOrt = nullptr, *edLand = nullptr, *edPostPlz = nullptr,
              *edPostfach = nullptr, *edAnsprechpartner = nullptr, *edBank = nullptr, *edBlz = nullptr,
              *edKonto = nullptr;
    QCheckBox *cbFavorit = nullptr;
    QPlainTextEdit *meAdressenzusatz = nullptr, *meBemerkungen = nullptr;
    QLabel *lbZusatz1 = nullptr, *lbZusatz2 = nullptr, *lbDurchwahl = nullptr, *lbLogo = nullptr,
           *lbIstMandant = nullptr;
    QToolButton *sbAnsprechpartner = nullptr, *sbAnsprechp = nullptr, *sbEmail = nullptr, *sbHomepage = nullptr,
                *sbLogo = nullptr;
    QPushButton *btnMandant = nullptr;
    QGroupBox *gbMandant = nullptr;
    QFrame *pnLogo = nullptr;
    QMenu *PopupMenu = nullptr;

    TStrings FirmenTypen, KostentraegerTypen, TypWahlListe;

protected:
    void CreateLists() override;
    void FreeLists() override;
    void OpenDataSets() override;
    void ApplyMacros() override;
    void LoadLookups() override;
    void NewRecord(db::DataSet &ds) override;
    void BeforePost(db::DataSet &ds) override;
    void NavigatorClick(int button, bool &handled) override;
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) override;
    void FMIGlobalChanged(TFormModuleInfo *sender, int flags) override;
    bool eventFilter(QObject *obj, QEvent *ev) override;
    void FormDestroy() override;

private:
    void buildUi();
    void setupDataSets();
    void companyChanged();
    void showContact();
    void showSite();
    void drawLogo();
    void listOpened();
    void kundeSeitLeft();
    int currentType() const;
    qint64 currentOrListID() const;
    void postSite();

    qint64 m_employeesOf = -1;
    qint64 m_siteOf = -1;
    QString m_contactName, m_contactPhone;
    QString m_exportSql;
};

extern TFirmaForm *FirmaForm;
