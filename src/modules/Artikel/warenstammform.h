#pragma once
// The article master "Warenstammdaten": the list of active articles drives one article record,
// with its bill of materials and its customers on two read-only pages.

#include "host/shellware/tstrings.h"
#include "kit/recordform.h"

#include <QPointer>
#include <QString>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolBar;
class QToolButton;
class TDBGrid;

class TWarenstammForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Artikel_ID READ Artikel_ID WRITE setArtikel_ID)
public:
    explicit TWarenstammForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);

    qint64 Artikel_ID() const { return m_artikelId; }
    void setArtikel_ID(qint64 id);
    // Reopens the list and stands on the current article.
    Q_INVOKABLE void ReadData();

    db::DataSet *ArtikelList = nullptr;  // navigation list
    db::DataSet *Artikel = nullptr;      // the current article, all columns
    db::DataSet *StListe = nullptr;      // bill of materials of the current article
    db::DataSet *Kunden = nullptr;       // customers and prices of the current article
    db::FieldBinder *ArtikelBinder = nullptr;
    db::FieldBinder *StListeBinder = nullptr;
    TExtNavigator *Navigator = nullptr;
    QToolBar *ToolsToolbar = nullptr;
    QComboBox *cbFarbFilter = nullptr, *cbKurzbFilter = nullptr;
    QComboBox *cbKurzbezeichnung = nullptr, *cbFarbe = nullptr;
    QLineEdit *edBezeichnung = nullptr, *edDizevavo = nullptr;
    QLineEdit *edAfform = nullptr, *edAfqual = nullptr, *edAffb = nullptr;
    QPlainTextEdit *mmBemerkung = nullptr;
    QToolButton *btnArtikel = nullptr, *btnVelora = nullptr;
    QTabWidget *PageControl = nullptr;
    QWidget *tsStueckliste = nullptr, *tsKunden = nullptr;
    TDBGrid *StListeGrid = nullptr, *KundenGrid = nullptr;
    QTimer *ArtikelTimer = nullptr;

    // The lookup lists: colours and short designations with their "all" entry first, employees,
    // material short names.
    TStrings Farben, Kurzbez, Mitarbeiter, MatKurzNamen;

protected:
    void CreateLists() override;
    void OpenDataSets() override;
    void AttachSearch() override;
    void FreeLists() override;
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) override;
    void LoadLookups() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildWindow();
    void buildDataSets();
    void SetArtikel(qint64 id);
    void OpenList();
    void LoadActivePage();
    void ArtikelTimerTimer();
    void SearchButtonClick(int tag);
    void FilterSelected();
    void ArtikelNewRecord(db::DataSet &ds);
    void ArtikelBeforePost(db::DataSet &ds);
    void ArtikelAfterPost(db::DataSet &ds);
    void ArtikelBeforeDelete(db::DataSet &ds);
    void DetailTitleClick(int page, int column);
    void NavigatorClick(TExtNavigator *nav, int button, bool &handled);
    void OpenMaterialstamm();
    void OpenKundenstamm();
    void FillLookup(TStrings &list, const QString &sql, const QString &allEntry);
    void ShowLookup(QComboBox *box, const TStrings &list);

    QString m_baseSql;
    int m_order = 1;
    qint64 m_artikelId = 0;
    int m_stSort = 0, m_kdSort = 0;
    bool m_stDesc = false, m_kdDesc = false;
    bool m_inDelete = false;
    QString m_searchField = QStringLiteral("BEZEICHNUNG");
    QPointer<QLineEdit> m_suchEdit;
    class QHBoxLayout *m_navRow = nullptr;
    int m_listGeneration = 0;
};

extern TWarenstammForm *WarenstammForm;

// The external article number: model, quality and colour number as "%.6d-%.4d-%.4d", an empty part
// counting as 0. Throws a German error when a part is negative or longer than its digits.
QString BuildDizevavo(const QVariant &afform, const QVariant &afqual, const QVariant &affb);
