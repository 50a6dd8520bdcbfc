#pragma once
// The master data of one company as a page of the company dossier: the dossier tells it the
// company through Firmen_ID; a new company draws its number at once, an archived one keeps its
// row with a negative type.

#include "host/shellware/moduleinfo.h"
#include "host/shellware/tstrings.h"
#include "kit/recordform.h"

#include <QPointer>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolBar;
class QToolButton;
class TExtNavigator;
namespace db { class DataSet; class FieldBinder; class Query; }

class TStammFirmenForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
    Q_PROPERTY(int Firmen_Typ READ Firmen_Typ WRITE setFirmen_Typ)
    // Write-only: each splits a name text into short name and name.
    Q_PROPERTY(QString Patient_Name READ writeOnlyName WRITE SetName)
    Q_PROPERTY(QString Personal_Name READ writeOnlyName WRITE SetName)
    Q_PROPERTY(QString Firma_Name READ writeOnlyName WRITE SetName)
public:
    explicit TStammFirmenForm(QWidget *parent = nullptr);
    ~TStammFirmenForm() override;
    static void Describe(TModuleInfo &m);

    qint64 Firmen_ID() const { return m_firmenId; }
    void setFirmen_ID(qint64 id) { SetCompany(id); }
    int Firmen_Typ() const { return m_firmenTyp; }
    void setFirmen_Typ(int typ);
    QString writeOnlyName() const { return QString(); }
    void SetName(const QString &text);

    // Above 0: that company; -3: a new company; anything else: the current company again.
    void SetCompany(qint64 value);
    // Saves pending input (navigator post, refresh, every change of company).
    void Save();
    // The type a new company gets and whose number sub-range it draws from.
    int NewCompanyType() const;
    // The pick buttons: type 3 the contact person, type 1 the representative.
    void PickPerson(int personTyp);
    void OpenPerson(const QString &field);
    void SendMail();
    void OpenHomepage();

    db::DataSet *Firma = nullptr;
    db::DataSet *QAnsprechPartner = nullptr;
    db::Query *SqlSave = nullptr;
    db::Query *SqlCheck = nullptr;
    db::FieldBinder *Binder = nullptr;

    QToolBar *ToolsToolbar = nullptr;
    TExtNavigator *Navigator = nullptr;
    QLineEdit *edKurzname = nullptr, *edName1 = nullptr, *edName2 = nullptr, *edName3 = nullptr, *edNummer = nullptr,
              *edZusatz1 = nullptr, *edZusatz2 = nullptr, *edStrasse = nullptr, *edLand = nullptr, *edPlz = nullptr,
              *edOrt = nullptr, *edTelefon1 = nullptr, *edTelefon2 = nullptr, *edTelefax = nullptr, *edEmail = nullptr,
              *edHomepage = nullptr, *edAnsprechpartner = nullptr, *edDurchwahl = nullptr, *edVertreter = nullptr,
              *edKundeSeit = nullptr;
    QComboBox *cbFirmentyp = nullptr;
    QCheckBox *cbFavorit = nullptr;
    QPlainTextEdit *meAdresszusatz = nullptr, *meBemerkungen = nullptr;
    QLabel *lbZusatz1 = nullptr, *lbZusatz2 = nullptr;
    QToolButton *sbAnsprechp = nullptr, *sbAnsprechpWahl = nullptr, *sbVertreter = nullptr, *sbVertreterWahl = nullptr,
                *sbEmail = nullptr, *sbHomepage = nullptr;

    TStrings FirmenTypen;

protected:
    void OpenDataSets() override;
    void ApplyMacros() override {}
    void LoadLookups() override;
    void NewRecord(db::DataSet &ds) override;
    void BeforePost(db::DataSet &ds) override;
    void NavigatorClick(int button, bool &handled) override;
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) override;
    void FMIGlobalChanged(TFormModuleInfo *sender, int flags) override;
    void showEvent(QShowEvent *e) override;

private:
    void buildUi();
    void setupDataSets();
    void reopen();
    void archive();
    void setupPostalCode();
    void tellContainer(qint64 value);
    QWidget *container() const;

    qint64 m_firmenId = 0;
    int m_firmenTyp = 0;
    bool m_typSet = false;
    bool m_telling = false;
};
