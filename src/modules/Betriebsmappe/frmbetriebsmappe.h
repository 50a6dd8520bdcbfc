#pragma once
// The company dossier: one company at a time with a header, a company picker with selection
// options on the left and a tree of pages, each page a module form of another library embedded
// on the right and told the company through its published Firmen_ID.

#include "host/shellware/moduleinfo.h"
#include "host/shellware/tstrings.h"
#include "host/shellware/win95form.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QSize>
#include <QStringList>
#include <QVector>

class QCheckBox;
class QFrame;
class QGroupBox;
class QLabel;
class QListView;
class QListWidget;
class QSplitter;
class QStackedWidget;
class QTimer;
class QToolButton;
class QTreeWidget;
class QTreeWidgetItem;
class TCheckList;
namespace db { class Query; class Transaction; }

// A node of the page tree: a group or a page with the form created for it.
class TOptionsNode : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString FormClassName MEMBER FormClassName)
    Q_PROPERTY(QObject *Form READ form)
    Q_PROPERTY(QString ParamsString MEMBER ParamsString)
public:
    explicit TOptionsNode(QObject *parent = nullptr) : QObject(parent) {}
    QObject *form() const { return Form; }

    QString Caption;
    QString FormClassName;
    QString ParamsString;
    QStringList Params;
    int ImageIndex = 0;
    bool Group = false;
    QPointer<TWin95Form> Form;
    QSize PreferredSize;
};

// The picker's entries: display text and company ID per row.
class TCompanyListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;
    int rowCount(const QModelIndex &parent = QModelIndex()) const override { return parent.isValid() ? 0 : int(m_ids.size()); }
    QVariant data(const QModelIndex &index, int role) const override;
    void setEntries(QVector<QString> texts, QVector<qint64> ids);
    qint64 idAt(int row) const { return m_ids.value(row); }
    QString textAt(int row) const { return m_texts.value(row); }
    int rowOf(qint64 id) const { return int(m_ids.indexOf(id)); }
    const QVector<qint64> &ids() const { return m_ids; }

private:
    QVector<QString> m_texts;
    QVector<qint64> m_ids;
};

class TFrmBetriebsmappe : public TWin95Form
{
    Q_OBJECT
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
    Q_PROPERTY(qint64 Fehler_ID READ Firmen_ID WRITE setFirmen_ID)
    Q_PROPERTY(int FirmenTyp READ FirmenTyp WRITE setFirmenTyp)
    Q_PROPERTY(QString FirmenTyp_Name READ FirmenTyp_Name WRITE setFirmenTyp_Name)
    Q_PROPERTY(int Favorit READ Favorit WRITE setFavorit)
    Q_PROPERTY(qint64 Filter_ID READ Filter_ID WRITE setFilter_ID)
public:
    explicit TFrmBetriebsmappe(QWidget *parent = nullptr);
    ~TFrmBetriebsmappe() override;
    static void Describe(TModuleInfo &m);

    TFormModuleInfo *FMI = nullptr;
    db::Transaction *TransRead = nullptr;
    db::Query *dtsList = nullptr, *qryListCount = nullptr, *sqlSelect = nullptr, *dtsFilter = nullptr;

    qint64 Firmen_ID() const { return m_firmenId; }
    void setFirmen_ID(qint64 id);
    int FirmenTyp() const { return m_typ; }
    void setFirmenTyp(int typ);
    QString FirmenTyp_Name() const;
    void setFirmenTyp_Name(const QString &) {}
    int Favorit() const { return m_favorit; }
    void setFavorit(int value);
    qint64 Filter_ID() const { return m_filterId; }
    void setFilter_ID(qint64 id);

    // -1 the page loses its company, -2 no company, -3 a new company, else that company.
    Q_INVOKABLE void SetCompany(qint64 value);
    // Opens the first page whose form class is `className` (case ignored).
    Q_INVOKABLE void SearchAndExecute(const QString &className);
    // The where-text of the company list from the selection options.
    Q_INVOKABLE QString WhereText() const;
    // Reads the company list and its count again.
    Q_INVOKABLE void RefillList();
    // The picker ("Firma wählen", F8) and the options panel (F9).
    Q_INVOKABLE void ShowPicker(bool on);
    Q_INVOKABLE bool PickerVisible() const;
    Q_INVOKABLE void ShowOptions(bool on);
    Q_INVOKABLE bool OptionsVisible() const;
    // The selection options changed: refill, and the first company when the current one left.
    Q_INVOKABLE void ApplySelection();
    // The page shown (null when none).
    TWin95Form *CurrentPage() const;
    Q_INVOKABLE QObject *CurrentPageObject() const { return CurrentPage(); }
    TOptionsNode *CurrentNode() const { return m_currentNode; }
    QList<TOptionsNode *> Nodes() const;
    QString AddClass() const { return m_addClass; }

    // Controls
    QLabel *lbBezeichnung = nullptr, *lbAdresse = nullptr, *lbTelefon = nullptr, *lbNummer = nullptr;
    QGroupBox *gbFirmen = nullptr;
    QToolButton *btnFirma = nullptr, *btnWaehlen = nullptr, *btnOptionen = nullptr, *btnNeu = nullptr;
    QFrame *pnOptionen = nullptr, *pnHeader = nullptr;
    TCheckList *clKennzeichen = nullptr, *clFirmenTyp = nullptr;
    QCheckBox *cbFavorit = nullptr, *cbNotFavorit = nullptr;
    QListWidget *lbFilter = nullptr;
    QStackedWidget *stLeft = nullptr;
    QTreeWidget *tvOptionen = nullptr;
    QListView *lvFirmen = nullptr;
    TCompanyListModel *FirmenModel = nullptr;
    QWidget *pnLeft = nullptr, *pnPage = nullptr;
    QSplitter *Splitter = nullptr;
    QTimer *tmSwitch = nullptr, *tmSearch = nullptr;

    TStrings FirmenTypen, FilterListe;

    void FormCreate() override;
    void FormDestroy() override;

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last);
    void FMIGlobalChanged(TFormModuleInfo *sender, int flags);
    void buildUi();
    void loadFilterList();
    void parseAndCreate();
    void setCurrentNode(TOptionsNode *node);
    void tellPage(TOptionsNode *node, qint64 id);
    void clearHeader();
    bool readCompany(qint64 id);
    qint64 firstCompany();
    void pickerRowChosen(int row, bool now);
    void switchToSelected();
    void searchKey(const QString &text);
    void updateCompanyButton();
    void updateMinimumSize();
    void loadSelectionSettings();
    void saveSettings();
    void boxesChanged();
    TOptionsNode *nodeOf(QTreeWidgetItem *item) const;

    qint64 m_firmenId = 0;
    int m_typ = 3;
    int m_favorit = -1;
    qint64 m_filterId = -1;
    QString m_filterSql;
    QList<qint64> m_filterIds;
    QStringList m_filterSqls;
    bool m_forCompany = false;
    bool m_listLoaded = false;
    bool m_updatingBoxes = false;
    bool m_loadingSettings = false;
    QString m_searchPrefix;
    QString m_addClass;
    TOptionsNode *m_currentNode = nullptr;
    QList<TOptionsNode *> m_nodes;
};

extern TFrmBetriebsmappe *FrmBetriebsmappe;
