#include "warenstammform.h"

#include "dbgrid.h"

#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "kit/registration.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QComboBox>
#include <QDateTime>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TWarenstammForm *WarenstammForm = nullptr;

FD_REGISTER_FORM(TWarenstammForm, &WarenstammForm);

namespace {

const char *const kListBase = "select A.ID, A.BEZEICHNUNG, A.DIZEVAVO from ARTIKEL A where A.AKTIV = 1";
const char *const kArtikelColumns =
    "ID, BEZEICHNUNG, DIZEVAVO, BEMERKUNG, DC, AKTIV, AFFORM, AFQUAL, AFFB, FARBE_ID, KURZB_ID";

// Sort clauses of the two detail grids, by the index of the clicked column title.
const char *const kStListeOrder[] = {"S.Pos, S.VERBRAUCH, s.FERTIGUNGSART", "1", "VARBEZ", "POS", "MATNUMMER",
                                     "F.BEZEICHNUNG", "VERBRAUCH", "FERTIGUNGSART",
                                     "S.Pos, S.VERBRAUCH, s.FERTIGUNGSART"};
const char *const kKundenOrder[] = {"F.BEZEICHNUNG", "F.NUMMER", "PREIS", "VT_ID", "GR_VON", "GR_BIS", "ARMM",
                                    "F.BEZEICHNUNG"};

QString orderClause(const char *const *table, int count, int column, bool desc)
{
    const QString clause = QString::fromLatin1(table[(column >= 0 && column < count) ? column : 0]);
    return QStringLiteral("order by ") + clause + (desc ? QStringLiteral(" DESC") : QString());
}

bool isIntegerArg(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
        return true;
    default:
        return false;
    }
}

qint64 idOf(db::DataSet *ds, const char *field = "ID")
{
    if (!ds || !ds->isOpen() || ds->recNo() < 0)
        return 0;
    return ds->fieldByName(QString::fromLatin1(field)).value().toLongLong();
}

// Lock(true) now, Lock(false) when the scope ends, also on an exception.
struct FormLock
{
    explicit FormLock(TWin95Form *f) : form(f) { form->Lock(true); }
    ~FormLock() { form->Lock(false); }
    TWin95Form *form;
};

QToolButton *searchButton(const QString &text, int tag, QWidget *parent)
{
    auto *b = new QToolButton(parent);
    b->setText(text);
    b->setProperty("Tag", tag);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    b->setMinimumWidth(90);
    return b;
}

} // namespace

// Page headings in bold, through the font: a style sheet would give each heading its own
// style-sheet style, which costs more than the rest of the label.
static QFont boldFont(QFont f)
{
    f.setBold(true);
    return f;
}

QString BuildDizevavo(const QVariant &afform, const QVariant &afqual, const QVariant &affb)
{
    struct Part { const QVariant &value; qint64 max; int digits; const char *name; };
    const Part parts[] = {{afform, 999999, 6, "Modellnummer"}, {afqual, 9999, 4, "Qualitätsnummer"},
                          {affb, 9999, 4, "Farbnummer"}};
    QStringList out;
    for (const Part &p : parts) {
        qint64 v = 0;
        if (!p.value.isNull() && p.value.isValid()) {
            bool ok = false;
            v = p.value.toLongLong(&ok);
            if (!ok)
                v = -1;
        }
        if (v < 0 || v > p.max)
            throw db::DbError(db::DbError::Kind::Conversion,
                              QStringLiteral("Die %1 muss eine Zahl von 0 bis %2 sein (höchstens %3 Ziffern).")
                                  .arg(QString::fromUtf8(p.name))
                                  .arg(p.max)
                                  .arg(p.digits));
        out << QStringLiteral("%1").arg(v, p.digits, 10, QLatin1Char('0'));
    }
    return out.join(QLatin1Char('-'));
}

void TWarenstammForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Artikelverwaltung");
    m.Hint = QStringLiteral("Öffnet das Formular zur Verwaltung der allgemeinen Artikelverwaltung");
    m.LinkedTools = QStringLiteral("ToolsToolbar");
    m.Security = fsAll;
}

TWarenstammForm::TWarenstammForm(QWidget *parent) : kit::RecordForm(parent)
{
    Describe(*FMI);
    UseFormVariable(WarenstammForm);
    setWindowTitle(QStringLiteral("Warenstammdaten"));
    buildDataSets();
    buildWindow();
}

void TWarenstammForm::buildDataSets()
{
    ArtikelList = new db::DataSet(this);
    ArtikelList->setObjectName(QStringLiteral("ArtikelList"));
    ArtikelList->setSelectSql(QString::fromLatin1(kListBase));

    const QString cols = QString::fromLatin1(kArtikelColumns);
    Artikel = new db::DataSet(this);
    Artikel->setObjectName(QStringLiteral("Artikel"));
    Artikel->setSelectSql(QStringLiteral("select %1 from ARTIKEL where ID = :AID").arg(cols));
    Artikel->setInsertSql(QStringLiteral(
        "insert into ARTIKEL (ID, BEZEICHNUNG, DIZEVAVO, BEMERKUNG, DC, AKTIV, AFFORM, AFQUAL, AFFB, FARBE_ID, KURZB_ID) "
        "values (:ID, :BEZEICHNUNG, :DIZEVAVO, :BEMERKUNG, :DC, :AKTIV, :AFFORM, :AFQUAL, :AFFB, :FARBE_ID, :KURZB_ID)"));
    Artikel->setUpdateSql(QStringLiteral(
        "update ARTIKEL set BEZEICHNUNG = :BEZEICHNUNG, DIZEVAVO = :DIZEVAVO, BEMERKUNG = :BEMERKUNG, DC = :DC, "
        "AKTIV = :AKTIV, AFFORM = :AFFORM, AFQUAL = :AFQUAL, AFFB = :AFFB, FARBE_ID = :FARBE_ID, "
        "KURZB_ID = :KURZB_ID where ID = :OLD_ID"));
    Artikel->setDeleteSql(QStringLiteral("delete from ARTIKEL where ID = :OLD_ID"));
    Artikel->setRefreshSql(QStringLiteral("select %1 from ARTIKEL where ID = :ID").arg(cols));
    // The database's generator gives the new key before the insert, so the saved article can be found again.
    Artikel->setGenerator(QStringLiteral("GEN_ARTIKEL_ID"));
    Artikel->setParam(QStringLiteral("AID"), 0);
    Artikel->setAllowedUpdateKinds(0);

    StListe = new db::DataSet(this);
    StListe->setObjectName(QStringLiteral("StListe"));
    StListe->setSelectSql(QStringLiteral(
        "select cast(case when M.NAME1 is null then M.NAME2 when M.NAME2 is null then M.NAME1 "
        "else M.NAME1 || ' ' || M.NAME2 end as varchar(101)) as NAME, "
        "S.POS, S.DATUM, S.MSTGROESSE, S.BEMERKUNG, S.VARIANTE, S.BEZEICHNUNG, S.VERBRAUCH, S.FERTIGUNGSART, "
        "S.SAISON, M.ID as MATID, M.MATNUMMER, M.VARBEZ, M.KURZNAME_ID, F.BEZEICHNUNG as FIRMA "
        "from STLISTE S join MATERIAL M on M.ID = S.MATERIAL_ID join FIRMEN F on F.ID = M.LIEFERER_ID "
        "where S.ARTIKEL_ID = :AID @@Order@"));
    StListe->addCalculatedField(QStringLiteral("Kurzname"));
    StListe->onCalcFields = [this](db::DataSet &ds) {
        const QVariant id = ds.fieldByName(QStringLiteral("KURZNAME_ID")).value();
        ds.fieldByName(QStringLiteral("Kurzname")).setValue(id.isNull() ? QString() : MatKurzNamen.TextOf(id.toLongLong()));
    };
    const struct { const char *field; const char *label; } stLabels[] = {
        {"Kurzname", "Kurzbezeichnung"}, {"NAME", "Name"}, {"VARBEZ", "var. Bezeichnung"}, {"POS", "Pos."},
        {"MATNUMMER", "Material-Nr."}, {"FIRMA", "Firma"}, {"VERBRAUCH", "Verbrauch"},
        {"FERTIGUNGSART", "Fertigungsart"}, {"SAISON", "Saison"}};
    for (const auto &l : stLabels)
        StListe->props(QString::fromLatin1(l.field)).label = QString::fromUtf8(l.label);
    StListe->props(QStringLiteral("FIRMA")).getText = [](const QVariant &v) { return Systools::DelReturns(v.toString()); };
    StListe->props(QStringLiteral("VERBRAUCH")).getText = [](const QVariant &v) { return formatNumber(v, 3); };

    Kunden = new db::DataSet(this);
    Kunden->setObjectName(QStringLiteral("Kunden"));
    Kunden->setSelectSql(QStringLiteral(
        "select P.PREIS, P.VT_ID, P.GR_VON, P.GR_BIS, P.VARIANTE, P.ARMM, F.ID as FIRMA_ID, F.BEZEICHNUNG as FIRMA, "
        "cast(F.NUMMER as varchar(10)) as FIRMENNUMMER "
        "from PREISE P left outer join FIRMEN F on F.ID = P.KUNDEN_ID "
        "where P.AKTIV = 1 and P.ARTIKEL_ID = :AID @@Order@"));
    Kunden->addCalculatedField(QStringLiteral("Mitarbeiter"));
    Kunden->addCalculatedField(QStringLiteral("Bemerkung"));
    Kunden->onCalcFields = [this](db::DataSet &ds) {
        const QVariant vt = ds.fieldByName(QStringLiteral("VT_ID")).value();
        ds.fieldByName(QStringLiteral("Mitarbeiter")).setValue(vt.isNull() ? QString() : Mitarbeiter.TextOf(vt.toLongLong()));
        const QVariant var = ds.fieldByName(QStringLiteral("VARIANTE")).value();
        ds.fieldByName(QStringLiteral("Bemerkung"))
            .setValue(var.isNull() ? QString() : QStringLiteral(" Variante: %1").arg(var.toLongLong()));
    };
    const struct { const char *field; const char *label; } kdLabels[] = {
        {"FIRMA", "Firma"}, {"FIRMENNUMMER", "Firmennummer"}, {"PREIS", "Preis"}, {"Mitarbeiter", "Vertreter"},
        {"GR_VON", "Größe von"}, {"GR_BIS", "Größe bis"}, {"ARMM", "Modellnummer"}, {"Bemerkung", "Bemerkung"}};
    for (const auto &l : kdLabels)
        Kunden->props(QString::fromLatin1(l.field)).label = QString::fromUtf8(l.label);
    for (const char *f : {"FIRMA", "FIRMENNUMMER", "GR_VON", "GR_BIS", "ARMM"})
        Kunden->props(QString::fromLatin1(f)).getText = [](const QVariant &v) { return Systools::DelReturns(v.toString()); };
    Kunden->props(QStringLiteral("PREIS")).getText = [](const QVariant &v) { return formatNumber(v, 2); };

    // Lookup columns of the article: the list's text for the stored ID; a text not in the list stores NULL.
    auto lookup = [this](const QString &field, TStrings *list) {
        db::FieldProps &p = Artikel->props(field);
        p.getText = [list](const QVariant &v) { return v.isNull() ? QString() : list->TextOf(v.toLongLong()); };
        p.setText = [list](const QString &t) {
            const int i = list->IndexOf(t);
            return i < 0 ? QVariant() : QVariant(qlonglong(list->Objects(i)));
        };
    };
    lookup(QStringLiteral("KURZB_ID"), &Kurzbez);
    lookup(QStringLiteral("FARBE_ID"), &Farben);

    setDataSets(ArtikelList, Artikel);
    StListe->setTransaction(TransRead);
    Kunden->setTransaction(TransRead);

    // The form's own rules replace the record kit's generic list/record coupling: the article
    // follows the list through a timer, is read by its ID and is deleted softly through AKTIV.
    ArtikelList->afterScroll = [this](db::DataSet &) { ArtikelTimer->start(); };
    ArtikelList->beforeScroll = [this](db::DataSet &) {
        if (!GetLocked() && Artikel->isEditing())
            Artikel->post();
    };
    Artikel->afterScroll = nullptr;
    Artikel->onNewRecord = [this](db::DataSet &ds) { ArtikelNewRecord(ds); };
    Artikel->beforePost = [this](db::DataSet &ds) { ArtikelBeforePost(ds); };
    Artikel->afterPost = [this](db::DataSet &ds) { ArtikelAfterPost(ds); };
    Artikel->beforeDelete = [this](db::DataSet &ds) { ArtikelBeforeDelete(ds); };

    ArtikelTimer = new QTimer(this);
    ArtikelTimer->setObjectName(QStringLiteral("ArtikelTimer"));
    ArtikelTimer->setInterval(100);
    ArtikelTimer->setSingleShot(true);
    connect(ArtikelTimer, &QTimer::timeout, this, &TWarenstammForm::ArtikelTimerTimer);
}

void TWarenstammForm::buildWindow()
{
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 0, 4, 4);
    lay->setSpacing(3);

    auto *menu = new QMenuBar(this);
    menu->setNativeMenuBar(false);
    QMenu *edit = menu->addMenu(QStringLiteral("&Bearbeiten"));
    lay->setMenuBar(menu);

    ToolsToolbar = new QToolBar(QStringLiteral("Tools (Warenstammdaten)"), this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    cbFarbFilter = new QComboBox(ToolsToolbar);
    cbFarbFilter->setObjectName(QStringLiteral("cbFarbFilter"));
    cbKurzbFilter = new QComboBox(ToolsToolbar);
    cbKurzbFilter->setObjectName(QStringLiteral("cbKurzbFilter"));
    for (QComboBox *c : {cbFarbFilter, cbKurzbFilter}) {
        c->setToolTip(QStringLiteral("Kurzbezeichnungen"));
        c->setMinimumContentsLength(18);
        c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
        connect(c, &QComboBox::activated, this, [this](int) { FilterSelected(); });
    }
    ToolsToolbar->addWidget(cbFarbFilter);
    ToolsToolbar->addWidget(cbKurzbFilter);
    lay->addWidget(ToolsToolbar);

    // Navigator bar "Navigator (Artikel)": moves on the list, edits the article.
    auto *navBar = new QWidget(this);
    navBar->setObjectName(QStringLiteral("NavigatorBar"));
    navBar->setToolTip(QStringLiteral("Navigator (Artikel)"));
    m_navRow = new QHBoxLayout(navBar);
    m_navRow->setContentsMargins(0, 0, 0, 0);
    Navigator = new TExtNavigator(navBar);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    m_navRow->addWidget(Navigator);
    lay->addWidget(navBar);
    for (int b : std::initializer_list<int>{TExtNavigator::nbFirst, TExtNavigator::nbPrior, TExtNavigator::nbNext, TExtNavigator::nbLast, -1,
                  TExtNavigator::nbInsert, TExtNavigator::nbDelete, TExtNavigator::nbEdit, TExtNavigator::nbPost,
                  TExtNavigator::nbCancel, -1, TExtNavigator::nbRefresh}) {
        if (b < 0) {
            edit->addSeparator();
            continue;
        }
        QAction *a = edit->addAction(TExtNavigator::hintName(b));
        connect(a, &QAction::triggered, this, [this, b]() { Navigator->click(b); });
    }

    // Header: designation, remark, external number and its three parts, the two lookups.
    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("HeaderPanel"));
    auto *g = new QGridLayout(header);
    g->setContentsMargins(0, 2, 0, 2);
    btnArtikel = searchButton(QStringLiteral("Artikel"), 1, header);
    btnArtikel->setObjectName(QStringLiteral("btnArtikel"));
    btnArtikel->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    edBezeichnung = new QLineEdit(header);
    edBezeichnung->setObjectName(QStringLiteral("BEZEICHNUNG"));
    edBezeichnung->setMaxLength(255);
    g->addWidget(btnArtikel, 0, 0);
    g->addWidget(edBezeichnung, 0, 1, 1, 5);

    g->addWidget(new QLabel(QStringLiteral("Bemerkung"), header), 1, 0, Qt::AlignTop);
    mmBemerkung = new QPlainTextEdit(header);
    mmBemerkung->setObjectName(QStringLiteral("BEMERKUNG"));
    mmBemerkung->setFixedHeight(mmBemerkung->fontMetrics().height() * 3 + 12);
    g->addWidget(mmBemerkung, 1, 1, 1, 5);

    btnVelora = searchButton(QStringLiteral("Velora Nr."), 2, header);
    btnVelora->setObjectName(QStringLiteral("btnVelora"));
    edDizevavo = new QLineEdit(header);
    edDizevavo->setObjectName(QStringLiteral("DIZEVAVO"));
    edDizevavo->setReadOnly(true);
    edDizevavo->setFocusPolicy(Qt::NoFocus);
    g->addWidget(btnVelora, 2, 0);
    g->addWidget(edDizevavo, 2, 1);

    g->addWidget(new QLabel(QStringLiteral("Eingabe Velora"), header), 2, 2, Qt::AlignRight);
    auto *parts = new QHBoxLayout;
    parts->setSpacing(2);
    auto numberEdit = [&](const char *name, int digits) {
        auto *e = new QLineEdit(header);
        e->setObjectName(QString::fromLatin1(name));
        e->setMaxLength(digits);
        e->setValidator(new QIntValidator(0, digits == 6 ? 999999 : 9999, e));
        e->setFixedWidth(e->fontMetrics().horizontalAdvance(QLatin1Char('0')) * (digits + 2) + 10);
        e->installEventFilter(this);
        return e;
    };
    edAfform = numberEdit("AFFORM", 6);
    edAfqual = numberEdit("AFQUAL", 4);
    edAffb = numberEdit("AFFB", 4);
    parts->addWidget(edAfform);
    parts->addWidget(new QLabel(QStringLiteral("-"), header));
    parts->addWidget(edAfqual);
    parts->addWidget(new QLabel(QStringLiteral("-"), header));
    parts->addWidget(edAffb);
    parts->addStretch(1);
    g->addLayout(parts, 2, 3, 1, 3);

    g->addWidget(new QLabel(QStringLiteral("Kurzbezeichnung"), header), 3, 0);
    cbKurzbezeichnung = new QComboBox(header);
    cbKurzbezeichnung->setObjectName(QStringLiteral("KURZB_ID"));
    g->addWidget(cbKurzbezeichnung, 3, 1);
    g->addWidget(new QLabel(QStringLiteral("Farbe"), header), 3, 2, Qt::AlignRight);
    cbFarbe = new QComboBox(header);
    cbFarbe->setObjectName(QStringLiteral("FARBE_ID"));
    g->addWidget(cbFarbe, 3, 3, 1, 3);
    g->setColumnStretch(1, 2);
    g->setColumnStretch(3, 1);
    lay->addWidget(header);

    // Pages
    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    tsStueckliste = new QWidget;
    tsStueckliste->setObjectName(QStringLiteral("tsStueckliste"));
    auto *sl = new QVBoxLayout(tsStueckliste);
    auto *h1 = new QLabel(QStringLiteral("Stückliste"), tsStueckliste);
    h1->setFont(boldFont(h1->font()));
    sl->addWidget(h1);
    StListeGrid = new TDBGrid(StListe, {QStringLiteral("Kurzname"), QStringLiteral("NAME"), QStringLiteral("VARBEZ"),
                                        QStringLiteral("POS"), QStringLiteral("MATNUMMER"), QStringLiteral("FIRMA"),
                                        QStringLiteral("VERBRAUCH"), QStringLiteral("FERTIGUNGSART"),
                                        QStringLiteral("SAISON")},
                              tsStueckliste);
    StListeGrid->setObjectName(QStringLiteral("StListeGrid"));
    sl->addWidget(StListeGrid, 1);
    auto *below = new QGridLayout;
    StListeBinder = new db::FieldBinder(StListe, this);
    const struct { const char *caption; const char *field; } stFields[] = {
        {"Mustergröße", "MSTGROESSE"}, {"Bemerkung", "BEMERKUNG"}, {"Datum", "DATUM"}, {"Variante", "VARIANTE"}};
    int col = 0;
    for (const auto &f : stFields) {
        auto *e = new QLineEdit(tsStueckliste);
        e->setObjectName(QStringLiteral("St_") + QString::fromLatin1(f.field));
        e->setReadOnly(true);
        below->addWidget(new QLabel(QString::fromUtf8(f.caption), tsStueckliste), 0, col);
        below->addWidget(e, 1, col);
        below->setColumnStretch(col, QByteArray(f.field) == "BEMERKUNG" ? 3 : 1);
        StListeBinder->bind(e, QString::fromLatin1(f.field));
        ++col;
    }
    sl->addLayout(below);
    PageControl->addTab(tsStueckliste, QStringLiteral("Stückliste"));

    tsKunden = new QWidget;
    tsKunden->setObjectName(QStringLiteral("tsKunden"));
    auto *kl = new QVBoxLayout(tsKunden);
    auto *h2 = new QLabel(QStringLiteral("Kunden des Artikels"), tsKunden);
    h2->setFont(boldFont(h2->font()));
    kl->addWidget(h2);
    KundenGrid = new TDBGrid(Kunden, {QStringLiteral("FIRMA"), QStringLiteral("FIRMENNUMMER"), QStringLiteral("PREIS"),
                                      QStringLiteral("Mitarbeiter"), QStringLiteral("GR_VON"), QStringLiteral("GR_BIS"),
                                      QStringLiteral("ARMM"), QStringLiteral("Bemerkung")},
                             tsKunden);
    KundenGrid->setObjectName(QStringLiteral("KundenGrid"));
    kl->addWidget(KundenGrid, 1);
    PageControl->addTab(tsKunden, QStringLiteral("Kunden"));
    lay->addWidget(PageControl, 1);

    connect(StListeGrid->addMenuEntry(QStringLiteral("Materialstamm")), &QAction::triggered, this,
            &TWarenstammForm::OpenMaterialstamm);
    connect(KundenGrid->addMenuEntry(QStringLiteral("Kundenstamm")), &QAction::triggered, this,
            &TWarenstammForm::OpenKundenstamm);
    connect(StListeGrid, &TDBGrid::titleClicked, this, [this](int c) { DetailTitleClick(0, c); });
    connect(KundenGrid, &TDBGrid::titleClicked, this, [this](int c) { DetailTitleClick(1, c); });
    connect(btnArtikel, &QToolButton::clicked, this, [this]() { SearchButtonClick(1); });
    connect(btnVelora, &QToolButton::clicked, this, [this]() { SearchButtonClick(2); });

    ArtikelBinder = new db::FieldBinder(Artikel, this);
    ArtikelBinder->bind(edBezeichnung, QStringLiteral("BEZEICHNUNG"));
    ArtikelBinder->bind(mmBemerkung, QStringLiteral("BEMERKUNG"));
    ArtikelBinder->bind(edDizevavo, QStringLiteral("DIZEVAVO"));
    ArtikelBinder->bind(edAfform, QStringLiteral("AFFORM"));
    ArtikelBinder->bind(edAfqual, QStringLiteral("AFQUAL"));
    ArtikelBinder->bind(edAffb, QStringLiteral("AFFB"));
    ArtikelBinder->bind(cbKurzbezeichnung, QStringLiteral("KURZB_ID"));
    ArtikelBinder->bind(cbFarbe, QStringLiteral("FARBE_ID"));
    setBinder(ArtikelBinder);
    setNavigator(Navigator);
    Navigator->OnButtonClick = [this](TExtNavigator *n, int b, bool &handled) { NavigatorClick(n, b, handled); };
    setPages(PageControl);
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int) { LoadActivePage(); });
    resize(860, 620);
}

// ---- creation and destruction ----

void TWarenstammForm::CreateLists()
{
    m_baseSql = QString::fromLatin1(kListBase);
    m_order = 1;
    Farben.Clear();
    Kurzbez.Clear();
    Mitarbeiter.Clear();
    MatKurzNamen.Clear();
    m_stSort = m_kdSort = 0;
    m_stDesc = m_kdDesc = false;
}

void TWarenstammForm::OpenDataSets()
{
    // Inside the form lock: filters on "all" and the article dataset open (empty until the
    // list names an article), so that a new article can be entered even into an empty table.
    cbKurzbFilter->setCurrentIndex(cbKurzbFilter->count() > 0 ? 0 : -1);
    cbFarbFilter->setCurrentIndex(cbFarbFilter->count() > 0 ? 0 : -1);
}

void TWarenstammForm::AttachSearch()
{
    // After the lock is released: read the list, then the search box on the designation.
    ReadData();
    if (m_suchEdit)
        delete m_suchEdit;
    m_suchEdit = Suchtool::CreateSuchForm(this, ArtikelList, m_searchField);
    m_suchEdit->setMaximumWidth(240);
    m_navRow->addWidget(m_suchEdit);
}

void TWarenstammForm::FreeLists()
{
    ArtikelTimer->stop();
    Farben.Clear();
    Kurzbez.Clear();
    Mitarbeiter.Clear();
    MatKurzNamen.Clear();
}

// ---- lookups ----

void TWarenstammForm::FillLookup(TStrings &list, const QString &sql, const QString &allEntry)
{
    list.Clear();
    if (!allEntry.isEmpty())
        list.AddObject(allEntry, -1);
    TransRead->ensureStarted();
    db::Query q(TransRead->database(), TransRead);
    q.setReusePrepared(true);
    q.setSql(sql);
    q.open();
    while (!q.eof()) {
        const QString name = q.fieldValue(1).toString();
        if (!name.trimmed().isEmpty())
            list.AddObject(name, q.fieldValue(0).toLongLong());
        q.next();
    }
}

void TWarenstammForm::ShowLookup(QComboBox *box, const TStrings &list)
{
    const QVariant keep = box->currentData();
    QSignalBlocker block(box);
    box->clear();
    for (int i = 0; i < list.Count(); ++i)
        box->addItem(list.Strings(i), QVariant(qlonglong(list.Objects(i))));
    const int i = keep.isValid() ? box->findData(keep) : -1;
    box->setCurrentIndex(i >= 0 ? i : (box->count() > 0 ? 0 : -1));
}

void TWarenstammForm::LoadLookups()
{
    try {
        FillLookup(Kurzbez, QStringLiteral("select ID, KURZBEZ from APP$ARTKURB where AKTIV = 1 order by KURZBEZ"),
                   QStringLiteral("< alle Kurzbez. >"));
        ShowLookup(cbKurzbFilter, Kurzbez);
        ShowLookup(cbKurzbezeichnung, Kurzbez);
        FillLookup(Farben, QStringLiteral("select ID, FARBE from APP$FARBEN where AKTIV = 1 order by FARBE"),
                   QStringLiteral("< alle Farben >"));
        FillLookup(Mitarbeiter,
                   QStringLiteral("select ID, cast(substring(PERSONEN_NAME from 1 for 50) as varchar(50)) as MITARBEITER "
                                  "from PERSON where TYP = 1 order by PERSONEN_NAME"),
                   QString());
        FillLookup(MatKurzNamen, QStringLiteral("select ID, KURZNAME from APP$MATKURZN"), QString());
        ShowLookup(cbFarbFilter, Farben);
        ShowLookup(cbFarbe, Farben);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TWarenstammForm.FMIGlobalChanged"), this, false);
        return;
    }
    ArtikelBinder->refresh();
}

// ---- the current article ----

void TWarenstammForm::setArtikel_ID(qint64 id)
{
    try {
        SetArtikel(id);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TWarenstammForm.SetArtikel_ID"), this, false);
    }
}

void TWarenstammForm::SetArtikel(qint64 id)
{
    if (id == m_artikelId)
        return;
    // A pending change of the article shown so far is saved, not dropped.
    if (Artikel->isEditing())
        Artikel->post();
    Systools::WaitCursor();
    StListeGrid->setEnabled(false);
    KundenGrid->setEnabled(false);
    ArtikelBinder->setEnabled(false);
    auto finish = [this]() {
        ArtikelBinder->setEnabled(true);
        StListeGrid->setEnabled(true);
        KundenGrid->setEnabled(true);
        Systools::RestoreCursor();
    };
    try {
        m_artikelId = id;
        Artikel->close();
        Artikel->setParam(QStringLiteral("AID"), id);
        Artikel->open();
    } catch (...) {
        finish();
        LoadActivePage();
        throw;
    }
    finish();
    LoadActivePage();
}

void TWarenstammForm::LoadActivePage()
{
    const bool bom = PageControl->currentWidget() == tsStueckliste;
    db::DataSet *show = bom ? StListe : Kunden;
    db::DataSet *other = bom ? Kunden : StListe;
    other->close();
    show->close();
    show->setParam(QStringLiteral("AID"), m_artikelId);
    show->setMacro(QStringLiteral("Order"), bom ? orderClause(kStListeOrder, 9, m_stSort, m_stDesc)
                                                : orderClause(kKundenOrder, 8, m_kdSort, m_kdDesc));
    show->open();
}

void TWarenstammForm::OpenList()
{
    QString sql = m_baseSql;
    const qint64 kurzb = cbKurzbFilter->currentIndex() >= 0 ? cbKurzbFilter->currentData().toLongLong() : -1;
    if (kurzb >= 0)
        sql += QStringLiteral(" and KurzB_ID = %1 ").arg(kurzb);
    const qint64 farbe = cbFarbFilter->currentIndex() >= 0 ? cbFarbFilter->currentData().toLongLong() : -1;
    if (farbe >= 0)
        sql += QStringLiteral(" and Farbe_ID = %1 ").arg(farbe);
    const QString where = sql;
    sql += m_order == 2 ? QStringLiteral(" order by A.DizevaVo ") : QStringLiteral(" order by A.Bezeichnung ");
    ArtikelList->close();
    ArtikelList->setSelectSql(sql);
    ArtikelList->open();
    const int generation = ++m_listGeneration;
    if (ArtikelList->allFetched()) {
        setStatusHint(QStringLiteral("%1 Artikel").arg(ArtikelList->recordCount()));
        return;
    }
    // A long list is counted by the database once the window has shown its first rows.
    QPointer<TWarenstammForm> self(this);
    QTimer::singleShot(0, this, [self, generation, where]() {
        if (!self || generation != self->m_listGeneration || !self->TransRead->isActive())
            return;
        try {
            const QVariant n = db::Query::selectValue(
                *self->TransRead, QStringLiteral("select count(*) from ARTIKEL A where ") + where.section(QStringLiteral(" where "), 1));
            self->setStatusHint(QStringLiteral("%1 Artikel").arg(n.toLongLong()));
        } catch (...) {
            Systools::HandleException(QStringLiteral("TWarenstammForm.ArtikelListCount"), self, true);
        }
    });
}

void TWarenstammForm::ReadData()
{
    if (GetLocked())
        return;
    auto follow = [this]() {
        if (ArtikelList->isOpen() && ArtikelList->recordCount() > 0) {
            const qint64 id = idOf(ArtikelList);
            if (id != m_artikelId)
                SetArtikel(id);
        }
        // Open even without a listed article, so that a new one can be entered into an empty table.
        if (!Artikel->isOpen()) {
            Artikel->setParam(QStringLiteral("AID"), m_artikelId);
            Artikel->open();
        }
    };
    {
        FormLock lock(this);
        if (m_suchEdit)
            m_suchEdit->setEnabled(false);
        try {
            OpenList();
            if (m_artikelId <= 0)
                ArtikelList->first();
            else
                ArtikelList->locate(QStringLiteral("ID"), m_artikelId);
        } catch (...) {
            if (m_suchEdit)
                m_suchEdit->setEnabled(true);
            follow();
            throw;
        }
        if (m_suchEdit)
            m_suchEdit->setEnabled(true);
    }
    follow();
}

void TWarenstammForm::ArtikelTimerTimer()
{
    ArtikelTimer->stop();
    if (GetLocked() || !ArtikelList->isOpen() || ArtikelList->recordCount() == 0 || ArtikelList->recNo() < 0)
        return;
    const qint64 id = idOf(ArtikelList);
    if (Artikel->isOpen() && Artikel->recordCount() > 0 && idOf(Artikel) == id)
        return;
    try {
        FormLock lock(this);
        SetArtikel(id);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TWarenstammForm.ArtikelTimerTimer"), this, false);
    }
}

// ---- user actions ----

void TWarenstammForm::SearchButtonClick(int tag)
{
    if (!Artikel->isOpen() || !ArtikelList->isOpen())
        return;
    try {
        if (Artikel->isEditing())
            Artikel->post();
        m_order = tag;
        m_searchField = tag == 2 ? QStringLiteral("DIZEVAVO") : QStringLiteral("BEZEICHNUNG");
        if (m_suchEdit)
            delete m_suchEdit;
        m_suchEdit = Suchtool::CreateSuchForm(this, ArtikelList, m_searchField);
        m_suchEdit->setMaximumWidth(240);
        m_navRow->addWidget(m_suchEdit);
        ReadData();
        m_suchEdit->setFocus();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TWarenstammForm.SearchButtonClick"), this, false);
    }
}

void TWarenstammForm::FilterSelected()
{
    try {
        if (Artikel->isEditing())
            Artikel->post();
        ReadData();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TWarenstammForm.FilterChange"), this, false);
    }
}

void TWarenstammForm::NavigatorClick(TExtNavigator *, int button, bool &handled)
{
    switch (button) {
    case TExtNavigator::nbFirst:
    case TExtNavigator::nbPrior:
    case TExtNavigator::nbNext:
    case TExtNavigator::nbLast:
        handled = true;
        if (Artikel->isEditing())
            Artikel->post();
        if (!ArtikelList->isOpen())
            return;
        if (button == TExtNavigator::nbFirst)
            ArtikelList->first();
        else if (button == TExtNavigator::nbPrior)
            ArtikelList->prior();
        else if (button == TExtNavigator::nbNext)
            ArtikelList->next();
        else
            ArtikelList->last();
        break;
    case TExtNavigator::nbRefresh:
        handled = true;
        if (Artikel->state() != db::DataSet::Browse)
            return;
        if (Artikel->recordCount() > 0)
            Artikel->refresh();
        ReadData();
        LoadActivePage();
        break;
    default:
        break;
    }
}

void TWarenstammForm::ArtikelNewRecord(db::DataSet &ds)
{
    ds.fieldByName(QStringLiteral("AKTIV")).setValue(1);
    ds.fieldByName(QStringLiteral("DC")).setValue(QDateTime::currentDateTime());
    if (cbKurzbFilter->currentIndex() > 0)
        ds.fieldByName(QStringLiteral("KURZB_ID")).setValue(cbKurzbFilter->currentData());
    if (cbFarbFilter->currentIndex() > 0)
        ds.fieldByName(QStringLiteral("FARBE_ID")).setValue(cbFarbFilter->currentData());
}

void TWarenstammForm::ArtikelBeforePost(db::DataSet &ds)
{
    ds.fieldByName(QStringLiteral("DIZEVAVO"))
        .setValue(BuildDizevavo(ds.fieldByName(QStringLiteral("AFFORM")).value(),
                                ds.fieldByName(QStringLiteral("AFQUAL")).value(),
                                ds.fieldByName(QStringLiteral("AFFB")).value()));
}

void TWarenstammForm::ArtikelAfterPost(db::DataSet &ds)
{
    if (m_inDelete || GetLocked())
        return;
    const qint64 id = idOf(&ds);
    {
        FormLock lock(this);
        OpenList();
        ArtikelList->locate(QStringLiteral("ID"), id);
    }
    if (id != m_artikelId) {
        m_artikelId = id;
        LoadActivePage();
    }
}

void TWarenstammForm::ArtikelBeforeDelete(db::DataSet &ds)
{
    // Articles are never removed (defects, prices and bills of materials point at them): the row
    // is switched inactive and the delete itself is dropped without a message.
    const int row = ArtikelList->isOpen() ? ArtikelList->recNo() : 0;
    m_inDelete = true;
    try {
        ds.edit();
        ds.fieldByName(QStringLiteral("AKTIV")).setValue(0);
        ds.post();
    } catch (...) {
        m_inDelete = false;
        if (ds.isEditing())
            ds.cancel();
        throw;
    }
    m_inDelete = false;
    qint64 next = 0;
    {
        FormLock lock(this);
        OpenList();
        if (ArtikelList->recordCount() > 0 || !ArtikelList->allFetched()) {
            if (!ArtikelList->moveTo(qMax(0, row)))
                ArtikelList->last();
            next = idOf(ArtikelList);
        }
        SetArtikel(next);
    }
    throw db::Abort();
}

void TWarenstammForm::DetailTitleClick(int page, int column)
{
    int &sort = page == 0 ? m_stSort : m_kdSort;
    bool &desc = page == 0 ? m_stDesc : m_kdDesc;
    if (column == sort) {
        desc = !desc;
    } else {
        sort = column;
        desc = false;
    }
    try {
        LoadActivePage();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TWarenstammForm.DBGridTitleClick"), this, false);
    }
}

void TWarenstammForm::OpenMaterialstamm()
{
    const qint64 id = StListe->isOpen() && StListe->recordCount() > 0 ? idOf(StListe, "MATID") : 0;
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TMaterialstammForm"), {QVariant(qlonglong(id))}, 0);
}

void TWarenstammForm::OpenKundenstamm()
{
    const qint64 id = Kunden->isOpen() && Kunden->recordCount() > 0 ? idOf(Kunden, "FIRMA_ID") : 0;
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TFirmaForm"), {QVariant(qlonglong(id))}, 0);
}

void TWarenstammForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    if (last < 0 || args.isEmpty())
        return;
    cbKurzbFilter->setCurrentIndex(cbKurzbFilter->count() > 0 ? 0 : -1);
    cbFarbFilter->setCurrentIndex(cbFarbFilter->count() > 0 ? 0 : -1);
    if (last >= 1) {
        const int i = Farben.IndexOf(Systools::GetVarString(args, last, 1));
        if (i >= 0)
            cbFarbFilter->setCurrentIndex(i);
    }
    PageControl->setCurrentWidget(tsStueckliste);
    if (isIntegerArg(args.at(0)) && args.at(0).toLongLong() != 0)
        SetArtikel(args.at(0).toLongLong());
    ReadData();
}

// ---- keyboard and activation ----

bool TWarenstammForm::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyRelease) {
        auto *e = qobject_cast<QLineEdit *>(watched);
        auto *k = static_cast<QKeyEvent *>(event);
        // A full number part moves on to the next one (only after typing a digit, not after Tab).
        if (e && (e == edAfform || e == edAfqual || e == edAffb) && !k->text().isEmpty() && k->text().at(0).isDigit()
            && e->cursorPosition() >= e->maxLength())
        {
            QWidget *n = e->nextInFocusChain();
            while (n && n != e && !((n->focusPolicy() & Qt::TabFocus) && n->isEnabled() && n->isVisibleTo(this)))
                n = n->nextInFocusChain();
            if (n && n != e)
                n->setFocus(Qt::TabFocusReason);
        }
    }
    return kit::RecordForm::eventFilter(watched, event);
}

void TWarenstammForm::changeEvent(QEvent *event)
{
    kit::RecordForm::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !isCreated())
        return;
    edBezeichnung->setFocus();
    edBezeichnung->setCursorPosition(0);
    if (cbKurzbezeichnung->currentText().isEmpty() && Artikel->state() == db::DataSet::Browse
        && Artikel->recordCount() > 0) {
        try {
            Artikel->refresh();
            ArtikelBinder->refresh();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TWarenstammForm.FormActivate"), this, true);
        }
    }
}
