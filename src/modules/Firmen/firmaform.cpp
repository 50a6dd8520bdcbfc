#include "firmaform.h"

#include "kit/entry/weblinks.h"
#include "firmencsv.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "kit/entry/dateentry.h"
#include "kit/entry/inputfilter.h"
#include "kit/entry/telefon.h"
#include "kit/numbers/uzaehlringe.h"
#include "kit/registration.h"
#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"
#include "platform/db/dberror.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QAction>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

TFirmaForm *FirmaForm = nullptr;

FD_REGISTER_FORM(TFirmaForm, &FirmaForm);

namespace {

const char *const kColumns =
    "ID, KURZBEZEICHNUNG, NAME1, NAME2, NAME3, BEZEICHNUNG, LAND, PLZ, POST_PLZ, ORT, STRASSE, POST_FACH, "
    "AKTENZEICHEN, TYP, BLZ, BANK, KONTO, TELEFON1, TELEFON2, TELEFAX, ADRESSENZUSATZ, BEMERKUNGEN, EMAIL, "
    "HOMEPAGE, NUMMER, IKNUMMER, FOTO, PERSON_ID, VERTRETER_ID, KUNDE_SEIT, KNUMMER, TARIFGEBIET, TYP_KTR, "
    "IMPORT_ID, FIBUKONTO, FIBUSTATUS, KOSTST, ZUSATZ1, ZUSATZ2, KENNZEICHEN, GLOBAL_ID, DC, DM, DD";

const char *const kSiteColumns =
    "FIRMEN_ID, RECH_ABSENDER_ID, FOTO, ABRECHNUNGSCODE302, ABRECHNUNGSCODE105, STEUERNUMMER, HR_NUMMER, "
    "AMTSGERICHT, GESCHAEFTSFUEHRER, ABSENDERZEILE, ZENTRALE, DC, DM";

const QString kAllCompanies = QStringLiteral("< alle Firmen >");
const QString kContext = QStringLiteral("FirmaForm");

struct FormLock
{
    explicit FormLock(TWin95Form *f) : form(f) { form->Lock(true); }
    ~FormLock() { form->Lock(false); }
    TWin95Form *form;
};

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, const QString &tip = QString())
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    if (!tip.isEmpty())
        b->setToolTip(tip);
    return b;
}

// The name lines of a company joined with blanks: what the other modules read as its name.
QString joinedNames(const QString &n1, const QString &n2, const QString &n3)
{
    QStringList parts;
    for (const QString &n : {n1, n2, n3})
        if (!n.trimmed().isEmpty())
            parts << n.trimmed();
    return parts.join(QLatin1Char(' ')).left(128);
}

// The picture as the logo column keeps it: drawn onto a 24-bit bitmap of the same size.
QByteArray toBitmap24(const QImage &img)
{
    QImage bmp(img.size(), QImage::Format_RGB888);
    bmp.fill(Qt::white);
    {
        QPainter p(&bmp);
        p.drawImage(0, 0, img);
    }
    QByteArray data;
    QBuffer buf(&data);
    buf.open(QIODevice::WriteOnly);
    bmp.save(&buf, "BMP");
    return data;
}

} // namespace

void TFirmaForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Firmenverwaltung");
    m.Hint = QStringLiteral("Lieferanten, Kunden und die eigene Firma verwalten");
    m.Security = fsAll;
    m.LinkedTools = QStringLiteral("ToolsToolbar");
}

TFirmaForm::TFirmaForm(QWidget *parent) : kit::RecordForm(parent)
{
    setObjectName(QStringLiteral("FirmaForm"));
    Describe(*FMI);
    UseFormVariable(FirmaForm);
    setWindowTitle(QStringLiteral("Firmen"));
    setupDataSets();
    buildUi();
}

TFirmaForm::~TFirmaForm() = default;

void TFirmaForm::setupDataSets()
{
    const QString cols = QString::fromLatin1(kColumns);
    Firmen = new db::DataSet(this);
    Firmen->setObjectName(QStringLiteral("Firmen"));
    Firmen->setSelectSql(QStringLiteral("select ") + cols + QStringLiteral(" from FIRMEN where DD is Null @@FILTER@"));
    kit::SetWriteSql(Firmen, QStringLiteral("FIRMEN"), cols);
    Firmen->setDeleteSql(QStringLiteral("delete from FIRMEN where ID = :OLD_ID"));
    Firmen->setRefreshSql(QStringLiteral("select ") + cols + QStringLiteral(" from FIRMEN where ID = :ID"));
    // The key is drawn when a new company is saved.
    Firmen->setGenerator(QStringLiteral("GEN_FIRMEN_ID"));
    Firmen->props(QStringLiteral("KUNDE_SEIT")).setText = kit::DateFieldSetter(QStringLiteral("Kunde seit"));
    Firmen->props(QStringLiteral("TYP")).getText = [this](const QVariant &v) {
        return v.isNull() ? QString() : FirmenTypen.TextOf(v.toLongLong());
    };

    FirmenList = new db::DataSet(this);
    FirmenList->setObjectName(QStringLiteral("FirmenList"));
    FirmenList->setSelectSql(QStringLiteral("select ID, KURZBEZEICHNUNG, NUMMER, NAME1, NAME2, NAME3, ORT, STRASSE "
                                            "from FIRMEN where DD is Null @@FILTER@ order by @@Order@"));
    FirmenList->afterOpen = [this](db::DataSet &) { listOpened(); };
    const struct { const char *f; const char *l; } listCols[] = {
        {"NAME1", "Bezeichnung"}, {"KURZBEZEICHNUNG", "Kurzbez."}, {"NUMMER", "Nummer"}, {"ORT", "Ort"}, {"STRASSE", "Straße"}};
    for (const auto &c : listCols)
        FirmenList->props(QString::fromLatin1(c.f)).label = QString::fromUtf8(c.l);

    Personen = new db::DataSet(this);
    Personen->setObjectName(QStringLiteral("Personen"));
    Personen->setSelectSql(QStringLiteral("select P.ID, P.PERSONEN_NAME as NAME, P.TELEFON1 as TELEFON from PERSON P "
                                          "where P.DD is NULL @@Filter@ order by P.PERSONEN_NAME"));

    PersonAP = new db::DataSet(this);
    PersonAP->setObjectName(QStringLiteral("PersonAP"));
    PersonAP->setSelectSql(QStringLiteral("select ID, PERSONEN_NAME as NAME, TELEFON1 as TELEFON, TELEFON2, EMAIL, "
                                          "FUNKTION, FIRMEN_ID from PERSON where FIRMEN_ID = :FID and DD is NULL "
                                          "order by PERSONEN_NAME"));
    PersonAP->setParam(QStringLiteral("FID"), QVariant());
    PersonAP->setTransaction(TransRead);
    const struct { const char *f; const char *l; } apCols[] = {
        {"NAME", "Name"}, {"TELEFON2", "Telefon dienstl."}, {"EMAIL", "E-Mail"}, {"FUNKTION", "Funktion"}};
    for (const auto &c : apCols)
        PersonAP->props(QString::fromLatin1(c.f)).label = QString::fromUtf8(c.l);

    const QString site = QString::fromLatin1(kSiteColumns);
    QFiliale = new db::DataSet(this);
    QFiliale->setObjectName(QStringLiteral("QFiliale"));
    QFiliale->setSelectSql(QStringLiteral("select ID, ") + site + QStringLiteral(" from FILIALE where FIRMEN_ID = :FID"));
    // The database assigns the key of a new site row.
    kit::SetWriteSql(QFiliale, QStringLiteral("FILIALE"), site);
    QFiliale->setParam(QStringLiteral("FID"), QVariant());
    QFiliale->setTransaction(TransRead);
    QFiliale->setUpdateTransaction(TransWrite);
    QFiliale->setAutoCommit(true);

    QFirmenExport = new db::Query(nullptr, TransRead, this);
    QFirmenExport->setObjectName(QStringLiteral("QFirmenExport"));
    m_exportSql = QStringLiteral(
        "select ID, KURZBEZEICHNUNG, BEZEICHNUNG, LAND, PLZ, ORT, STRASSE, POST_PLZ, POST_FACH, AKTENZEICHEN, BLZ, "
        "BANK, KONTO, TELEFON1, TELEFON2, TELEFAX, ADRESSENZUSATZ, EMAIL, NUMMER, HOMEPAGE from FIRMEN where DD is Null");
    QFirmenExport->setSql(m_exportSql);

    setDataSets(FirmenList, Firmen);
    addLookupDataSet(Personen);
    setKeyedRecord(true);
    setSearchField(QStringLiteral("NAME1"));
    setFollowOldPosition(true);
    Firmen->afterCancel = [this](db::DataSet &) {
        // Cancelling the company drops the pending site row as well.
        if (QFiliale->isEditing())
            QFiliale->cancel();
        showSite();
    };
}

void TFirmaForm::buildUi()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setSpacing(4);

    ToolsToolbar = new QToolBar(this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    ToolsToolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    QAction *acExport = ToolsToolbar->addAction(style()->standardIcon(QStyle::SP_DialogSaveButton),
                                                QStringLiteral("Firmendaten exportieren (CSV-Format)"));
    acExport->setObjectName(QStringLiteral("sbExport"));
    connect(acExport, &QAction::triggered, this, &TFirmaForm::ExportFirmen);
    root->addWidget(ToolsToolbar);

    Navigator = new TExtNavigator(this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    root->addWidget(Navigator);

    auto *split = new QSplitter(Qt::Horizontal, this);
    root->addWidget(split, 1);

    // Left: filter, sort buttons, list
    auto *left = new QWidget(split);
    auto *lv = new QVBoxLayout(left);
    lv->setContentsMargins(0, 0, 0, 0);
    cbTypWahl = new QComboBox(left);
    cbTypWahl->setObjectName(QStringLiteral("cbTypWahl"));
    cbTypWahl->setToolTip(QStringLiteral("Firmentyp"));
    connect(cbTypWahl, &QComboBox::activated, this, [this](int i) { SelectFilter(i); });
    lv->addWidget(cbTypWahl);
    auto *sortRow = new QHBoxLayout;
    sortRow->setSpacing(2);
    sbBezeichnung = toolButton(left, "sbBezeichnung", QStringLiteral("Bezeichnung"), QStringLiteral("Nach Bezeichnung sortieren"));
    sbKurzbez = toolButton(left, "sbKurzbez", QStringLiteral("Kurzbez."), QStringLiteral("Nach Kurzbezeichnung sortieren"));
    sbNummer = toolButton(left, "sbNummer", QStringLiteral("Nummer"), QStringLiteral("Nach Nummer sortieren"));
    for (QToolButton *b : {sbBezeichnung, sbKurzbez, sbNummer}) {
        b->setCheckable(true);
        b->setAutoExclusive(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        sortRow->addWidget(b);
    }
    sbBezeichnung->setChecked(true);
    connect(sbBezeichnung, &QToolButton::clicked, this, [this]() { SortBy(QStringLiteral("NAME1")); });
    connect(sbKurzbez, &QToolButton::clicked, this, [this]() { SortBy(QStringLiteral("KURZBEZEICHNUNG")); });
    connect(sbNummer, &QToolButton::clicked, this, [this]() { SortBy(QStringLiteral("NUMMER")); });
    lv->addLayout(sortRow);
    Grid = new QTableView(left);
    Grid->setObjectName(QStringLiteral("Grid"));
    ListModel = new db::DataSetModel(FirmenList, this);
    ListModel->setColumns({QStringLiteral("NAME1"), QStringLiteral("KURZBEZEICHNUNG"), QStringLiteral("NUMMER"),
                           QStringLiteral("ORT")});
    Grid->setModel(ListModel);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setAlternatingRowColors(true);
    Grid->setContextMenuPolicy(Qt::DefaultContextMenu);
    lv->addWidget(Grid, 1);
    setListView(Grid);

    // Right: header and pages
    auto *right = new QWidget(split);
    auto *rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    auto *head = new QGroupBox(right);
    head->setObjectName(QStringLiteral("HeaderPanel"));
    auto *hg = new QGridLayout(head);
    hg->setContentsMargins(6, 6, 6, 6);
    edKurzbez = lineEdit(head, "edKurzbez", 40);
    edNummer = lineEdit(head, "edNummer", 10);
    edName1 = lineEdit(head, "edName1", 40);
    edName2 = lineEdit(head, "edName2", 40);
    edName3 = lineEdit(head, "edName3", 40);
    edTelefon1 = lineEdit(head, "edTelefon1", 40);
    edTelefon2 = lineEdit(head, "edTelefon2", 40);
    edTelefax = lineEdit(head, "edTelefax", 40);
    edKundeSeit = lineEdit(head, "edKundeSeit", 10);
    edKundeSeit->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    edKundeSeit->setMaximumWidth(110);
    cbTyp = new QComboBox(head);
    cbTyp->setObjectName(QStringLiteral("cbTyp"));
    lbZusatz1 = new QLabel(QStringLiteral("Merkmal 1"), head);
    lbZusatz1->setObjectName(QStringLiteral("lbZusatz1"));
    edZusatz1 = lineEdit(head, "edZusatz1", 60);
    cbFavorit = new QCheckBox(QStringLiteral("Favorit"), head);
    cbFavorit->setObjectName(QStringLiteral("cbFavorit"));
    int r = 0;
    hg->addWidget(new QLabel(QStringLiteral("Kurzbez."), head), r, 0);
    hg->addWidget(edKurzbez, r, 1);
    hg->addWidget(new QLabel(QStringLiteral("Nummer"), head), r, 2);
    hg->addWidget(edNummer, r, 3);
    ++r;
    hg->addWidget(new QLabel(QStringLiteral("Name"), head), r, 0);
    hg->addWidget(edName1, r, 1);
    hg->addWidget(new QLabel(QStringLiteral("Typ"), head), r, 2);
    hg->addWidget(cbTyp, r, 3);
    ++r;
    hg->addWidget(edName2, r, 1);
    hg->addWidget(new QLabel(QStringLiteral("Kunde seit"), head), r, 2);
    hg->addWidget(edKundeSeit, r, 3);
    ++r;
    hg->addWidget(edName3, r, 1);
    hg->addWidget(cbFavorit, r, 3);
    ++r;
    hg->addWidget(new QLabel(QStringLiteral("Telefon"), head), r, 0);
    auto *tel = new QHBoxLayout;
    tel->addWidget(edTelefon1);
    tel->addWidget(new QLabel(QStringLiteral("dienstl."), head));
    tel->addWidget(edTelefon2);
    hg->addLayout(tel, r, 1);
    hg->addWidget(new QLabel(QStringLiteral("Fax"), head), r, 2);
    hg->addWidget(edTelefax, r, 3);
    ++r;
    hg->addWidget(lbZusatz1, r, 0);
    hg->addWidget(edZusatz1, r, 1, 1, 3);
    hg->setColumnStretch(1, 3);
    hg->setColumnStretch(3, 2);
    rv->addWidget(head);

    PageControl = new QTabWidget(right);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    rv->addWidget(PageControl, 1);

    // "Anschrift"
    auto *p1 = new QWidget;
    auto *g1 = new QGridLayout(p1);
    edStrasse = lineEdit(p1, "edStrasse", 40);
    edEmail = lineEdit(p1, "edEmail", 128);
    edHomepage = lineEdit(p1, "edHomepage", 128);
    edLand = lineEdit(p1, "edLand", 5);
    edLand->setMaximumWidth(60);
    edPlz = lineEdit(p1, "edPlz", 7);
    edPlz->setMaximumWidth(90);
    edOrt = lineEdit(p1, "edOrt", 40);
    edPostPlz = lineEdit(p1, "edPostPlz", 7);
    edPostPlz->setMaximumWidth(90);
    edPostfach = lineEdit(p1, "edPostfach", 20);
    lbZusatz2 = new QLabel(QStringLiteral("Merkmal 2"), p1);
    lbZusatz2->setObjectName(QStringLiteral("lbZusatz2"));
    edZusatz2 = lineEdit(p1, "edZusatz2", 60);
    edAnsprechpartner = lineEdit(p1, "edAnsprechpartner", 82);
    lbDurchwahl = new QLabel(p1);
    lbDurchwahl->setObjectName(QStringLiteral("lbDurchwahl"));
    lbDurchwahl->setMinimumWidth(120);
    sbEmail = toolButton(p1, "sbEmail", QStringLiteral("E-Mail"), QStringLiteral("E-Mail an diese Adresse schreiben"));
    sbHomepage = toolButton(p1, "sbHomepage", QStringLiteral("Homepage"), QStringLiteral("Homepage öffnen"));
    sbAnsprechp = toolButton(p1, "sbAnsprechp", QStringLiteral("Ansprechp."), QStringLiteral("Ansprechpartner öffnen"));
    sbAnsprechp->setMinimumWidth(80);
    sbAnsprechpartner = toolButton(p1, "sbAnsprechpartner", QStringLiteral("\u2026"), QStringLiteral("Ansprechpartner wählen"));
    connect(sbEmail, &QToolButton::clicked, this, &TFirmaForm::SendMail);
    connect(sbHomepage, &QToolButton::clicked, this, &TFirmaForm::OpenHomepage);
    connect(sbAnsprechp, &QToolButton::clicked, this, [this]() {
        try {
            OpenContact();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.sbAnsprechpClick"), this, false);
        }
    });
    connect(sbAnsprechpartner, &QToolButton::clicked, this, [this]() {
        try {
            PickContact();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.sbAnsprechpartnerClick"), this, false);
        }
    });
    r = 0;
    g1->addWidget(new QLabel(QStringLiteral("Straße"), p1), r, 0);
    g1->addWidget(edStrasse, r, 1, 1, 3);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Land / PLZ / Ort"), p1), r, 0);
    auto *addr = new QHBoxLayout;
    addr->addWidget(edLand);
    addr->addWidget(edPlz);
    addr->addWidget(edOrt, 1);
    g1->addLayout(addr, r, 1, 1, 3);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Postfach / PLZ"), p1), r, 0);
    auto *po = new QHBoxLayout;
    po->addWidget(edPostfach, 1);
    po->addWidget(edPostPlz);
    g1->addLayout(po, r, 1, 1, 3);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("E-Mail"), p1), r, 0);
    g1->addWidget(edEmail, r, 1, 1, 2);
    g1->addWidget(sbEmail, r, 3);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Homepage"), p1), r, 0);
    g1->addWidget(edHomepage, r, 1, 1, 2);
    g1->addWidget(sbHomepage, r, 3);
    ++r;
    g1->addWidget(lbZusatz2, r, 0);
    g1->addWidget(edZusatz2, r, 1, 1, 3);
    ++r;
    g1->addWidget(sbAnsprechp, r, 0);
    auto *ap = new QHBoxLayout;
    ap->addWidget(edAnsprechpartner, 1);
    ap->addWidget(sbAnsprechpartner);
    ap->addWidget(lbDurchwahl);
    g1->addLayout(ap, r, 1, 1, 3);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Adresszusatz"), p1), r, 0, Qt::AlignTop);
    meAdressenzusatz = new QPlainTextEdit(p1);
    meAdressenzusatz->setObjectName(QStringLiteral("meAdressenzusatz"));
    meAdressenzusatz->setMaximumHeight(70);
    g1->addWidget(meAdressenzusatz, r, 1, 1, 3);
    ++r;
    g1->setRowStretch(r, 1);
    g1->setColumnStretch(1, 1);
    PageControl->addTab(p1, QStringLiteral("Anschrift"));

    // "Notizen"
    auto *p2 = new QWidget;
    auto *v2 = new QVBoxLayout(p2);
    meBemerkungen = new QPlainTextEdit(p2);
    meBemerkungen->setObjectName(QStringLiteral("meBemerkungen"));
    v2->addWidget(meBemerkungen);
    PageControl->addTab(p2, QStringLiteral("Notizen"));

    // "Mitarbeiter"
    auto *p3 = new QWidget;
    auto *v3 = new QVBoxLayout(p3);
    NavMitarbeiter = new TExtNavigator(p3);
    NavMitarbeiter->setObjectName(QStringLiteral("NavMitarbeiter"));
    NavMitarbeiter->setVisibleButtons((1 << TExtNavigator::nbFirst) | (1 << TExtNavigator::nbPrior)
                                      | (1 << TExtNavigator::nbNext) | (1 << TExtNavigator::nbLast)
                                      | (1 << TExtNavigator::nbEdit) | (1 << TExtNavigator::nbRefresh));
    NavMitarbeiter->setDataSet(PersonAP);
    NavMitarbeiter->OnButtonClick = [this](TExtNavigator *, int b, bool &handled) {
        if (b == TExtNavigator::nbEdit) {
            handled = true;
            OpenEmployee();
        } else if (b == TExtNavigator::nbRefresh) {
            handled = true;
            m_employeesOf = -1;
            companyChanged();
        }
    };
    v3->addWidget(NavMitarbeiter);
    GridMitarbeiter = new QTableView(p3);
    GridMitarbeiter->setObjectName(QStringLiteral("GridMitarbeiter"));
    EmployeeModel = new db::DataSetModel(PersonAP, this);
    EmployeeModel->setColumns({QStringLiteral("NAME"), QStringLiteral("TELEFON2"), QStringLiteral("EMAIL"), QStringLiteral("FUNKTION")});
    GridMitarbeiter->setModel(EmployeeModel);
    GridMitarbeiter->setSelectionBehavior(QAbstractItemView::SelectRows);
    GridMitarbeiter->setSelectionMode(QAbstractItemView::SingleSelection);
    GridMitarbeiter->setEditTriggers(QAbstractItemView::NoEditTriggers);
    GridMitarbeiter->verticalHeader()->hide();
    GridMitarbeiter->horizontalHeader()->setStretchLastSection(true);
    GridMitarbeiter->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
    connect(GridMitarbeiter->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &i) {
        if (i.isValid() && PersonAP->isOpen() && i.row() != PersonAP->recNo())
            PersonAP->moveTo(i.row());
    });
    connect(GridMitarbeiter, &QTableView::doubleClicked, this, [this](const QModelIndex &i) {
        if (i.isValid())
            PersonAP->moveTo(i.row());
        OpenEmployee();
    });
    v3->addWidget(GridMitarbeiter, 1);
    PageControl->addTab(p3, QStringLiteral("Mitarbeiter"));

    // "Bankdaten/Logo"
    auto *p4 = new QWidget;
    auto *h4 = new QHBoxLayout(p4);
    auto *bankCol = new QVBoxLayout;
    auto *bank = new QFormLayout;
    edBank = lineEdit(p4, "edBank", 40);
    edBlz = lineEdit(p4, "edBlz", 10);
    edKonto = lineEdit(p4, "edKonto", 20);
    bank->addRow(QStringLiteral("Institut"), edBank);
    bank->addRow(QStringLiteral("BLZ"), edBlz);
    bank->addRow(QStringLiteral("Konto"), edKonto);
    bankCol->addLayout(bank);
    gbMandant = new QGroupBox(QStringLiteral("Mandant festlegen"), p4);
    gbMandant->setObjectName(QStringLiteral("gbMandant"));
    auto *mv = new QVBoxLayout(gbMandant);
    lbIstMandant = new QLabel(QStringLiteral("Firma ist Mandant"), gbMandant);
    lbIstMandant->setObjectName(QStringLiteral("lbIstMandant"));
    lbIstMandant->setStyleSheet(QStringLiteral("font-weight: bold"));
    btnMandant = new QPushButton(QStringLiteral("Firma in Mandant wandeln!"), gbMandant);
    btnMandant->setObjectName(QStringLiteral("btnMandant"));
    connect(btnMandant, &QPushButton::clicked, this, [this]() {
        try {
            MarkAsTenant();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.btnMandantClick"), this, false);
        }
    });
    mv->addWidget(lbIstMandant);
    mv->addWidget(btnMandant);
    bankCol->addWidget(gbMandant);
    bankCol->addStretch(1);
    h4->addLayout(bankCol, 1);
    auto *logoCol = new QVBoxLayout;
    sbLogo = toolButton(p4, "sbLogo", QStringLiteral("Logo"), QStringLiteral("Logo laden (Entf löscht es)"));
    connect(sbLogo, &QToolButton::clicked, this, [this]() { LoadLogo(); });
    logoCol->addWidget(sbLogo, 0, Qt::AlignLeft);
    pnLogo = new QFrame(p4);
    pnLogo->setObjectName(QStringLiteral("pnLogo"));
    pnLogo->setFrameShape(QFrame::StyledPanel);
    pnLogo->setMinimumSize(200, 150);
    pnLogo->setFocusPolicy(Qt::StrongFocus);
    pnLogo->installEventFilter(this);
    auto *lg = new QVBoxLayout(pnLogo);
    lg->setContentsMargins(4, 4, 4, 4);
    lbLogo = new QLabel(pnLogo);
    lbLogo->setObjectName(QStringLiteral("lbLogo"));
    lbLogo->setAlignment(Qt::AlignCenter);
    lbLogo->setMinimumSize(1, 1);
    lbLogo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    lg->addWidget(lbLogo);
    logoCol->addWidget(pnLogo, 1);
    h4->addLayout(logoCol, 1);
    PageControl->addTab(p4, QStringLiteral("Bankdaten/Logo"));
    connect(PageControl, &QTabWidget::currentChanged, this, [this](int i) {
        if (i == 3)
            drawLogo();
    });

    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);

    Binder = new db::FieldBinder(Firmen, this);
    const struct { QWidget *w; const char *f; } binds[] = {
        {edKurzbez, "KURZBEZEICHNUNG"}, {edNummer, "NUMMER"}, {edName1, "NAME1"}, {edName2, "NAME2"},
        {edName3, "NAME3"}, {edTelefon1, "TELEFON1"}, {edTelefon2, "TELEFON2"}, {edTelefax, "TELEFAX"},
        {edKundeSeit, "KUNDE_SEIT"}, {cbTyp, "TYP"}, {edZusatz1, "ZUSATZ1"}, {cbFavorit, "KENNZEICHEN"},
        {edStrasse, "STRASSE"}, {edEmail, "EMAIL"}, {edHomepage, "HOMEPAGE"}, {edLand, "LAND"}, {edPlz, "PLZ"},
        {edOrt, "ORT"}, {edPostPlz, "POST_PLZ"}, {edPostfach, "POST_FACH"}, {edZusatz2, "ZUSATZ2"},
        {meAdressenzusatz, "ADRESSENZUSATZ"}, {meBemerkungen, "BEMERKUNGEN"}, {edBank, "BANK"}, {edBlz, "BLZ"},
        {edKonto, "KONTO"},
    };
    for (const auto &b : binds)
        Binder->bind(b.w, QString::fromLatin1(b.f));

    using kit::InputFilter;
    using kit::InputKind;
    // Postal codes by the company rules (an empty country code counts as Germany); this form
    // hands an empty country on as a foreign one, so the postal code stays free then.
    const kit::InputOptions firmenRules{.emptyCountryIsGermany = true};
    InputFilter::install(edLand, InputKind::Land);
    InputFilter::install(edPlz, InputKind::Plz, [this]() { return edLand->text().isEmpty() ? QStringLiteral("X") : edLand->text(); }, firmenRules);
    InputFilter::install(edPostPlz, InputKind::Plz, [this]() { return edLand->text().isEmpty() ? QStringLiteral("X") : edLand->text(); }, firmenRules);
    InputFilter::install(edTelefon1, InputKind::Telefon);
    InputFilter::install(edTelefax, InputKind::Telefon);
    InputFilter::install(edBlz, InputKind::Bank);
    InputFilter::install(edKonto, InputKind::Bank);
    InputFilter::install(edKundeSeit, InputKind::Datum);
    connect(edKundeSeit, &QLineEdit::editingFinished, this, &TFirmaForm::kundeSeitLeft);

    // The type combo writes its code at once: the address rules and the site controls follow it.
    connect(cbTyp, &QComboBox::activated, this, [this](int i) {
        if (!Firmen->isOpen() || Firmen->recNo() < 0)
            return;
        if (!Firmen->isEditing())
            Firmen->edit();
        Firmen->fieldByName(QStringLiteral("TYP")).setValue(cbTyp->itemData(i));
    });

    connect(edAnsprechpartner, &QLineEdit::textEdited, this, [this]() { edAnsprechpartner->setModified(true); });
    connect(edAnsprechpartner, &QLineEdit::editingFinished, this, [this]() {
        if (!edAnsprechpartner->isModified())
            return;
        edAnsprechpartner->setModified(false);
        try {
            ContactNameEntered(edAnsprechpartner->text());
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.edAnsprechpartnerExit"), this, false);
        }
    });

    auto follow = [this]() { companyChanged(); };
    connect(Firmen, &db::DataSet::currentChanged, this, follow);
    connect(Firmen, &db::DataSet::reset, this, follow);
    connect(Firmen, &db::DataSet::stateChanged, this, follow);
    connect(Firmen, &db::DataSet::fieldChanged, this, [this](int index) {
        const QString name = Firmen->columns().value(index).name;
        if (name == QLatin1String("TYP"))
            showSite();
        else if (name == QLatin1String("PERSON_ID"))
            showContact();
        else if (name == QLatin1String("FOTO"))
            drawLogo();
    });

    PopupMenu = new QMenu(this);
    PopupMenu->setObjectName(QStringLiteral("PopupMenu"));
    QAction *acMappe = PopupMenu->addAction(QStringLiteral("Betriebsmappe"));
    acMappe->setObjectName(QStringLiteral("miBetriebsmappe"));
    connect(acMappe, &QAction::triggered, this, [this]() {
        try {
            OpenDossier();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.miBetriebsmappeClick"), this, false);
        }
    });
    QAction *acAp = PopupMenu->addAction(QStringLiteral("Ansprechpartner"));
    acAp->setObjectName(QStringLiteral("miAnsprechpartner"));
    connect(acAp, &QAction::triggered, this, [this]() {
        try {
            OpenContact();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.miAnsprechpartnerClick"), this, false);
        }
    });
    Grid->installEventFilter(this);
    head->installEventFilter(this);

    setBinder(Binder);
    setNavigator(Navigator);
    setPages(PageControl);
    setCharacteristicFields(lbZusatz1, edZusatz1, lbZusatz2, edZusatz2);
    addPickButton(sbAnsprechpartner);
    addPickButton(sbLogo);
    resize(1000, 640);
}

// ---- lifecycle ----

void TFirmaForm::CreateLists()
{
    FirmenTypen.Clear();
    KostentraegerTypen.Clear();
    TypWahlListe.Clear();
}

void TFirmaForm::FreeLists() { CreateLists(); }

void TFirmaForm::FormDestroy()
{
    // Pending input is saved before the form goes; a failure keeps nothing open.
    for (db::DataSet *ds : {QFiliale, Firmen}) {
        if (ds && ds->isEditing()) {
            try {
                ds->post();
            } catch (...) {
                Systools::HandleException(QStringLiteral("TFirmaForm.FormDestroy"), this, true);
                try {
                    ds->cancel();
                } catch (...) {
                }
            }
        }
    }
    kit::RecordForm::FormDestroy();
    for (db::DataSet *ds : {PersonAP, QFiliale, Personen, FirmenList, Firmen})
        if (ds)
            ds->close();
}

void TFirmaForm::OpenDataSets()
{
    kit::RecordForm::OpenDataSets();
    PageControl->setCurrentIndex(0);
    companyChanged();
    if (User::IsSystemUser())
        Navigator->setVisibleButtons(Navigator->VisibleButtons() | 0x800);
}

void TFirmaForm::ApplyMacros()
{
    const int ft = FilterType();
    Firmen->setMacro(QStringLiteral("FILTER"), ft >= 0 ? QStringLiteral(" and (Typ = %1)").arg(ft) : QString());
    FirmenList->setMacro(QStringLiteral("FILTER"), ft >= 0 ? QStringLiteral(" and (Typ = %1) ").arg(ft) : QString());
    FirmenList->setMacro(QStringLiteral("Order"), QStringLiteral(" Name1 "));
}

void TFirmaForm::LoadLookups()
{
    auto *dm = Dm::DatenModul();
    dm->GetGlobalStrings(QStringLiteral("APP$KOSTENTRAEGERTYP"), KostentraegerTypen, 0);
    dm->GetStrings(QStringLiteral("APP$FIRMENTYP"), FirmenTypen, 0);
    {
        QSignalBlocker b(cbTyp);
        cbTyp->clear();
        for (int i = 0; i < FirmenTypen.Count(); ++i)
            cbTyp->addItem(FirmenTypen.Strings(i), FirmenTypen.Objects(i));
    }
    TypWahlListe = FirmenTypen;
    TypWahlListe.InsertObject(0, kAllCompanies, -1);
    {
        QSignalBlocker b(cbTypWahl);
        cbTypWahl->clear();
        cbTypWahl->addItems(TypWahlListe.Texts());
        cbTypWahl->setCurrentIndex(0);
    }
    if (FirmenList->isOpen())
        SelectFilter(0);
    Binder->refresh();
}

void TFirmaForm::FMIGlobalChanged(TFormModuleInfo *sender, int flags)
{
    kit::RecordForm::FMIGlobalChanged(sender, flags);
    const bool ro = FMI->ReadOnly();
    const int kinds = ro ? 0 : db::DataSet::ukAll;
    PersonAP->setAllowedUpdateKinds(kinds);
    QFiliale->setAllowedUpdateKinds(kinds);
    edAnsprechpartner->setReadOnly(ro);
    btnMandant->setEnabled(!ro);
}

void TFirmaForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    if (last < 0 || args.isEmpty()) {
        ExecuteDefault({}, -1, true);
        return;
    }
    const QVariant a0 = args.at(0);
    const bool isInt = a0.typeId() == QMetaType::Int || a0.typeId() == QMetaType::LongLong
                       || a0.typeId() == QMetaType::UInt || a0.typeId() == QMetaType::ULongLong;
    if (isInt && a0.toLongLong() != 0)
        setFirmen_ID(a0.toLongLong());
}

void TFirmaForm::setFirmen_ID(qint64 id)
{
    if (id == 0 || !Firmen->isOpen())
        return;
    if (id < 0) {
        if (FMI->ReadOnly())
            return;
        if (Firmen->isEditing())
            Firmen->post();
        Firmen->append();
        return;
    }
    if (MoveTo(id))
        return;
    // A company of another type than the filter's: the filter steps back to all companies.
    if (FilterType() >= 0) {
        SelectFilter(0);
        MoveTo(id);
    }
}

int TFirmaForm::Zentrale() const
{
    if (!QFiliale->isOpen() || QFiliale->recNo() < 0 || QFiliale->recordCount() == 0)
        return 0;
    return QFiliale->fieldByName(QStringLiteral("ZENTRALE")).value().toInt() == 1 ? 1 : 0;
}

// ---- filter and sort ----

int TFirmaForm::FilterType() const
{
    const int i = cbTypWahl ? cbTypWahl->currentIndex() : -1;
    return i > 0 ? int(TypWahlListe.Objects(i)) : -1;
}

void TFirmaForm::SelectFilter(int index)
{
    {
        QSignalBlocker b(cbTypWahl);
        cbTypWahl->setCurrentIndex(qBound(0, index, cbTypWahl->count() - 1));
    }
    if (!FirmenList->isOpen())
        return;
    if (Firmen->isEditing())
        Firmen->post();
    const qint64 id = currentOrListID();
    Systools::WaitCursor();
    try {
        ReopenDataSets(id);
    } catch (...) {
        Systools::RestoreCursor();
        throw;
    }
    Systools::RestoreCursor();
    sbBezeichnung->setChecked(true);
    ReattachSearch(QStringLiteral("NAME1"));
}

void TFirmaForm::SortBy(const QString &field)
{
    if (!FirmenList->isOpen())
        return;
    {
        FormLock lock(this);
        FirmenList->sort({field});
    }
    sbBezeichnung->setChecked(field == QLatin1String("NAME1"));
    sbKurzbez->setChecked(field == QLatin1String("KURZBEZEICHNUNG"));
    sbNummer->setChecked(field == QLatin1String("NUMMER"));
    ReattachSearch(field);
    if (SearchBox())
        SearchBox()->raise();
}

void TFirmaForm::listOpened()
{
    // The count of listed companies for the host's status line.
    FirmenList->fetchAll();
    setStatusHint(QStringLiteral("|%1 Firmen ausgewählt").arg(FirmenList->recordCount()));
}

qint64 TFirmaForm::currentOrListID() const
{
    if (Firmen->isOpen() && Firmen->state() != db::DataSet::Insert) {
        const qint64 id = CurrentID();
        if (id > 0)
            return id;
    }
    if (FirmenList->isOpen() && FirmenList->recordCount() > 0 && FirmenList->recNo() >= 0)
        return FirmenList->fieldByName(QStringLiteral("ID")).value().toLongLong();
    return 0;
}

int TFirmaForm::currentType() const
{
    if (!Firmen->isOpen() || Firmen->recNo() < 0 || Firmen->recordCount() == 0)
        return -1;
    const QVariant v = Firmen->fieldByName(QStringLiteral("TYP")).value();
    return v.isNull() ? -1 : v.toInt();
}

// ---- record events ----

void TFirmaForm::NewRecord(db::DataSet &ds)
{
    ds.fieldByName(QStringLiteral("LAND")).setValue(QStringLiteral("D"));
    const int ft = FilterType();
    ds.fieldByName(QStringLiteral("TYP")).setValue(QVariant(qlonglong(ft >= 0 ? ft : 3)));
    ShowPage(0);
}

void TFirmaForm::BeforePost(db::DataSet &ds)
{
    auto f = [&ds](const char *n) { return ds.fieldByName(QString::fromLatin1(n)); };
    for (const char *n : {"KURZBEZEICHNUNG", "BEZEICHNUNG", "STRASSE", "ORT", "BANK"}) {
        db::Field fld = f(n);
        if (!fld.isNull()) {
            const QString t = fld.asString().trimmed();
            fld.setValue(t.isEmpty() ? QVariant() : QVariant(t));
        }
    }
    // The full name follows the name lines: this form has no field of its own for it, and a
    // company without one would be taken for a broken row by the maintenance sweep.
    const QString names = joinedNames(f("NAME1").asString(), f("NAME2").asString(), f("NAME3").asString());
    const bool namesChanged = ds.state() == db::DataSet::Insert
                              || f("NAME1").value() != f("NAME1").oldValue() || f("NAME2").value() != f("NAME2").oldValue()
                              || f("NAME3").value() != f("NAME3").oldValue();
    if (!names.isEmpty() && (namesChanged || f("BEZEICHNUNG").asString().isEmpty()))
        f("BEZEICHNUNG").setValue(names);
    else if (f("BEZEICHNUNG").asString().isEmpty() && !f("KURZBEZEICHNUNG").asString().isEmpty())
        f("BEZEICHNUNG").setValue(f("KURZBEZEICHNUNG").asString());
    if (f("BEZEICHNUNG").asString().isEmpty())
        throw db::DbError(db::DbError::Kind::General,
                          QStringLiteral("Bitte den Namen oder die Kurzbezeichnung der Firma eingeben."));
    if (f("TYP").value().toInt() == 2 && !f("TYP").isNull()) {
        QStringList missing;
        const struct { const char *field; const char *label; } required[] = {
            {"STRASSE", "Straße"}, {"LAND", "Land"}, {"PLZ", "PLZ"}, {"ORT", "Ort"}};
        for (const auto &r : required)
            if (f(r.field).asString().trimmed().isEmpty())
                missing << QString::fromUtf8(r.label);
        if (!missing.isEmpty())
            throw db::DbError(db::DbError::Kind::General,
                              QStringLiteral("Für Firmen vom Typ \u201E%1\u201C sind Straße, Land, PLZ und Ort Pflicht.\n"
                                             "Es fehlt: %2")
                                  .arg(FirmenTypen.TextOf(2), missing.join(QStringLiteral(", "))));
    }
    db::Field nr = f("NUMMER");
    const QString number = nr.asString().trimmed();
    if (number != nr.asString())
        nr.setValue(number.isEmpty() ? QVariant() : QVariant(number));
    if (number.isEmpty()) {
        const QString drawn = TDMZaehlringe::instance()->GetNumber(QStringLiteral("firmen"), true, QDateTime::currentDateTime(),
                                                                   qAbs(f("TYP").value().toInt()));
        if (!drawn.isEmpty())
            nr.setValue(drawn);
    }
    // A site row that waits is saved first.
    postSite();
}

void TFirmaForm::postSite()
{
    if (!QFiliale->isEditing())
        return;
    if (QFiliale->fieldByName(QStringLiteral("FIRMEN_ID")).isNull() && CurrentID() > 0)
        QFiliale->fieldByName(QStringLiteral("FIRMEN_ID")).setValue(QVariant(qlonglong(CurrentID())));
    QFiliale->fieldByName(QStringLiteral("DM")).setValue(QDateTime::currentDateTime());
    QFiliale->post();
    // The new row's key comes from the database: read the row again.
    const QVariant fid = QFiliale->param(QStringLiteral("FID"));
    QFiliale->close();
    QFiliale->setParam(QStringLiteral("FID"), fid);
    QFiliale->open();
}

void TFirmaForm::kundeSeitLeft()
{
    const QString text = edKundeSeit->text();
    if (text.trimmed().isEmpty())
        return;
    bool ok = false;
    const QString norm = kit::NormalizeDateText(text.trimmed(), QDate::currentDate(), &ok);
    if (ok) {
        if (norm != text)
            edKundeSeit->setText(norm);
        return;
    }
    try {
        throw db::DbError(db::DbError::Kind::Conversion, QStringLiteral("\u201E%1\u201C ist kein gültiges Datum.").arg(text));
    } catch (...) {
        Systools::HandleException(QStringLiteral("FormatDatum"), this, true);
    }
    // Rejected: the field shows what it holds.
    const QString old = Firmen->isOpen() && Firmen->recNo() >= 0 ? Firmen->fieldByName(QStringLiteral("KUNDE_SEIT")).displayText()
                                                                  : QString();
    edKundeSeit->setText(old);
    edKundeSeit->setModified(false);
    Binder->refresh();
}

// ---- the company shown ----

void TFirmaForm::companyChanged()
{
    if (isDestroying())
        return;
    const qint64 id = Firmen->isOpen() && Firmen->state() != db::DataSet::Insert ? CurrentID() : 0;
    if (id != m_employeesOf) {
        m_employeesOf = id;
        try {
            PersonAP->close();
            PersonAP->setParam(QStringLiteral("FID"), QVariant(qlonglong(id)));
            PersonAP->open();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.PersonAP"), this, true);
        }
    }
    showContact();
    showSite();
    drawLogo();
    {
        QSignalBlocker b(cbTyp);
        const int t = currentType();
        const int i = cbTyp->findData(qlonglong(t));
        cbTyp->setCurrentIndex(i >= 0 ? i : cbTyp->findData(t));
    }
}

void TFirmaForm::showContact()
{
    m_contactName.clear();
    m_contactPhone.clear();
    const qint64 pid = Firmen->isOpen() && Firmen->recNo() >= 0 && Firmen->recordCount() > 0
                           ? Firmen->fieldByName(QStringLiteral("PERSON_ID")).value().toLongLong()
                           : 0;
    if (pid > 0) {
        // The lookup always answers for the contact person shown, also for persons the lookup
        // list would have to read completely to find.
        try {
            TransRead->ensureStarted();
            db::Query q(TransRead->database(), TransRead);
            q.setSql(QStringLiteral("select PERSONEN_NAME, TELEFON1 from PERSON where ID = :ID and DD is NULL"));
            q.setParam(QStringLiteral("ID"), QVariant(qlonglong(pid)));
            q.open();
            if (!q.eof()) {
                m_contactName = q.value(0).toString();
                m_contactPhone = q.value(1).toString();
            }
        } catch (...) {
            Systools::HandleException(QStringLiteral("TFirmaForm.Ansprechpartner"), this, true);
        }
    }
    if (!edAnsprechpartner->isModified())
        edAnsprechpartner->setText(m_contactName);
    lbDurchwahl->setText(m_contactPhone);
}

QString TFirmaForm::ContactText() const { return edAnsprechpartner->text(); }
QString TFirmaForm::ContactPhone() const { return lbDurchwahl->text(); }

void TFirmaForm::showSite()
{
    const int typ = currentType();
    const qint64 id = Firmen->isOpen() && Firmen->state() != db::DataSet::Insert ? CurrentID() : 0;
    if (typ == 0 && Firmen->isOpen()) {
        if (!QFiliale->isEditing() && (m_siteOf != id || !QFiliale->isOpen())) {
            try {
                QFiliale->close();
                QFiliale->setParam(QStringLiteral("FID"), QVariant(qlonglong(id)));
                QFiliale->open();
                m_siteOf = id;
            } catch (...) {
                Systools::HandleException(QStringLiteral("TFirmaForm.QFiliale"), this, true);
            }
        }
        gbMandant->setVisible(true);
        const bool tenant = Zentrale() == 1;
        lbIstMandant->setVisible(tenant);
        btnMandant->setVisible(!tenant);
    } else {
        gbMandant->setVisible(false);
        if (QFiliale->isEditing())
            QFiliale->cancel();
        QFiliale->close();
        m_siteOf = -1;
    }
}

void TFirmaForm::MarkAsTenant()
{
    if (FMI->ReadOnly() || currentType() != 0)
        return;
    // The site row needs the company's key: a new company is saved first.
    if (Firmen->state() == db::DataSet::Insert) {
        Binder->flush();
        Firmen->post();
        Firmen->edit();
    }
    const qint64 id = CurrentID();
    if (id <= 0)
        return;
    if (!QFiliale->isOpen())
        showSite();
    const QDateTime now = QDateTime::currentDateTime();
    if (QFiliale->recordCount() == 0) {
        QFiliale->append();
        QFiliale->fieldByName(QStringLiteral("FIRMEN_ID")).setValue(QVariant(qlonglong(id)));
        QFiliale->fieldByName(QStringLiteral("DC")).setValue(now);
        QFiliale->fieldByName(QStringLiteral("DM")).setValue(now);
    } else if (!QFiliale->isEditing()) {
        QFiliale->edit();
    }
    QFiliale->fieldByName(QStringLiteral("ZENTRALE")).setValue(QVariant(qlonglong(1)));
    // The navigator's post saves both.
    if (!Firmen->isEditing())
        Firmen->edit();
    lbIstMandant->setVisible(true);
    btnMandant->setVisible(false);
}

// ---- logo ----

void TFirmaForm::LoadLogo(const QString &path)
{
    if (FMI->ReadOnly() || !Firmen->isOpen() || Firmen->recNo() < 0)
        return;
    QString file = path;
    if (file.isEmpty()) {
        QStringList patterns;
        for (const QByteArray &fmt : QImageReader::supportedImageFormats())
            patterns << QStringLiteral("*.") + QString::fromLatin1(fmt);
        file = Dialogs::openFile(this, QStringLiteral("Logo laden"), QString(),
                                 QStringLiteral("Bilder (%1);;alle Dateien (*)").arg(patterns.join(QLatin1Char(' '))));
        if (file.isEmpty())
            return;
    }
    QImageReader reader(file);
    const QImage img = reader.read();
    if (img.isNull()) {
        Dialogs::message(this,
                         QStringLiteral("Die Datei \u201E%1\u201C ist kein lesbares Bild (%2).")
                             .arg(QFileInfo(file).fileName(), reader.errorString()),
                         Dialogs::Icon::Warning);
        return;
    }
    if (!Firmen->isEditing())
        Firmen->edit();
    Firmen->fieldByName(QStringLiteral("FOTO")).setValue(toBitmap24(img));
    drawLogo();
}

void TFirmaForm::ClearLogo()
{
    if (FMI->ReadOnly() || !Firmen->isOpen() || Firmen->recNo() < 0)
        return;
    if (Firmen->fieldByName(QStringLiteral("FOTO")).isNull())
        return;
    if (!Firmen->isEditing())
        Firmen->edit();
    Firmen->fieldByName(QStringLiteral("FOTO")).setValue(QVariant());
    drawLogo();
}

void TFirmaForm::drawLogo()
{
    QPixmap pm;
    if (Firmen->isOpen() && Firmen->recNo() >= 0 && Firmen->recordCount() > 0) {
        const QByteArray data = Firmen->fieldByName(QStringLiteral("FOTO")).asBytes();
        if (!data.isEmpty())
            pm.loadFromData(data);
    }
    if (pm.isNull()) {
        lbLogo->clear();
        return;
    }
    // At its own size when it fits the panel less 8 pixels each way, else scaled to fit.
    const QSize room = pnLogo->size() - QSize(8, 8);
    if (pm.width() > room.width() || pm.height() > room.height())
        pm = pm.scaled(room.expandedTo(QSize(1, 1)), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    lbLogo->setPixmap(pm);
}

bool TFirmaForm::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj == pnLogo) {
        if (ev->type() == QEvent::MouseButtonDblClick) {
            LoadLogo();
            return true;
        }
        if (ev->type() == QEvent::KeyPress && static_cast<QKeyEvent *>(ev)->key() == Qt::Key_Delete) {
            ClearLogo();
            return true;
        }
        if (ev->type() == QEvent::Resize)
            drawLogo();
    }
    if (ev->type() == QEvent::ContextMenu && (obj == Grid || obj->objectName() == QLatin1String("HeaderPanel"))) {
        PopupMenu->popup(static_cast<QContextMenuEvent *>(ev)->globalPos());
        return true;
    }
    return kit::RecordForm::eventFilter(obj, ev);
}

// ---- contact person and employees ----

void TFirmaForm::ContactNameEntered(const QString &text)
{
    if (!Firmen->isOpen() || Firmen->recNo() < 0 || FMI->ReadOnly())
        return;
    const QString t = text.trimmed();
    QVariant found;
    const qint64 id = CurrentID();
    if (!t.isEmpty() && id > 0) {
        TransRead->ensureStarted();
        db::Query q(TransRead->database(), TransRead);
        q.setSql(QStringLiteral("select first 1 ID from PERSON where FIRMEN_ID = :FID and DD is NULL "
                                "and upper(PERSONEN_NAME) starting with upper(:T) order by PERSONEN_NAME"));
        q.setParam(QStringLiteral("FID"), QVariant(qlonglong(id)));
        q.setParam(QStringLiteral("T"), t);
        q.open();
        if (!q.eof())
            found = q.value(0);
    }
    if (!Firmen->isEditing())
        Firmen->edit();
    Firmen->fieldByName(QStringLiteral("PERSON_ID")).setValue(found);
    showContact();
}

void TFirmaForm::PickContact()
{
    if (FMI->ReadOnly() || !Firmen->isOpen() || Firmen->recNo() < 0)
        return;
    if (Firmen->state() == db::DataSet::Insert) {
        Binder->flush();
        Firmen->post();
    }
    const qint64 id = CurrentID();
    if (id <= 0)
        return;
    auto reopen = [this](const QString &filter) {
        Personen->close();
        Personen->setMacro(QStringLiteral("Filter"), filter);
        Personen->setTransaction(TransRead);
        Personen->open();
    };
    reopen(QStringLiteral(" and (P.Firmen_ID = %1)").arg(id));
    const qint64 current = Firmen->fieldByName(QStringLiteral("PERSON_ID")).value().toLongLong();
    if (current > 0)
        Personen->locate(QStringLiteral("ID"), current);
    bool picked = false;
    QVariant pickedId;
    try {
        picked = Suchtool::PopupSuchForm(0, edAnsprechpartner->height(), edAnsprechpartner, 0, Personen, QStringLiteral("NAME"), 5);
        if (picked && Personen->recNo() >= 0)
            pickedId = Personen->fieldByName(QStringLiteral("ID")).value();
    } catch (...) {
        reopen(QString());
        throw;
    }
    reopen(QString());
    if (!picked || pickedId.isNull())
        return;
    if (!Firmen->isEditing())
        Firmen->edit();
    Firmen->fieldByName(QStringLiteral("PERSON_ID")).setValue(pickedId);
    edAnsprechpartner->setModified(false);
    showContact();
}

void TFirmaForm::OpenContact()
{
    if (!Firmen->isOpen() || Firmen->recNo() < 0)
        return;
    if (Firmen->isEditing()) {
        Binder->flush();
        Firmen->post();
    }
    qint64 pid = Firmen->fieldByName(QStringLiteral("PERSON_ID")).value().toLongLong();
    if (pid <= 0 && PersonAP->isOpen() && PersonAP->recNo() >= 0 && PersonAP->recordCount() > 0)
        pid = PersonAP->fieldByName(QStringLiteral("ID")).value().toLongLong();
    Modinfo::CreateAndRunForm(QStringLiteral("TPersonForm"), {QVariant(int(pid)), QVariant(currentType() == 2 ? 1 : -1)}, 1);
}

void TFirmaForm::OpenEmployee()
{
    if (!PersonAP->isOpen() || PersonAP->recNo() < 0 || PersonAP->recordCount() == 0)
        return;
    const qint64 pid = PersonAP->fieldByName(QStringLiteral("ID")).value().toLongLong();
    if (pid > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TPersonForm"), {QVariant(int(pid))}, 0);
}

void TFirmaForm::OpenDossier()
{
    if (!Firmen->isOpen())
        return;
    if (Firmen->isEditing()) {
        Binder->flush();
        Firmen->post();
    }
    const qint64 id = CurrentID();
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TFrmBetriebsmappe"), {QVariant(int(id))}, 0);
}

void TFirmaForm::SendMail()
{
    kit::OpenMail(edEmail->text());
}

void TFirmaForm::OpenHomepage()
{
    kit::OpenWeb(edHomepage->text());
}

// ---- navigator ----

void TFirmaForm::NavigatorClick(int button, bool &handled)
{
    switch (button) {
    case TExtNavigator::nbInsert:
        handled = true;
        if (Firmen->isEditing())
            Firmen->post();
        Firmen->append();
        edKurzbez->setFocus();
        return;
    case TExtNavigator::nbEdit:
        handled = true;
        Firmen->edit();
        edKurzbez->setFocus();
        return;
    case TExtNavigator::nbPost:
        postSite();
        return;
    case TExtNavigator::nbRefresh: {
        handled = true;
        if (Firmen->isEditing()) {
            Binder->flush();
            Firmen->post();
        }
        const qint64 id = currentOrListID();
        if (!Personen->isOpen()) {
            Personen->setTransaction(TransRead);
            Personen->open();
        }
        m_employeesOf = -1;
        m_siteOf = -1;
        ReopenDataSets(id);
        companyChanged();
        return;
    }
    case TExtNavigator::nbExtra:
        handled = true;
        MaintenanceSweep();
        return;
    default:
        kit::RecordForm::NavigatorClick(button, handled);
    }
}

// ---- maintenance sweep ----

void TFirmaForm::MaintenanceSweep()
{
    if (!User::IsSystemUser())
        return;
    if (Firmen->isEditing())
        Firmen->post();
    const qint64 keep = currentOrListID();
    Systools::WaitCursor();
    Lock(true);
    int repaired = 0, removed = 0;
    try {
        TransRead->ensureStarted();
        db::Query all(TransRead->database(), TransRead);
        all.setSql(QStringLiteral("select ID, DD, BEZEICHNUNG, KURZBEZEICHNUNG, NAME1, NAME2, NAME3, DC, DM, TELEFON1, TELEFAX "
                                  "from FIRMEN order by ID desc"));
        struct Row { QVariant id, dd; QString bez, kurz, n1, n2, n3, t1, fax; QVariant dc, dm; };
        QList<Row> rows;
        for (all.open(); !all.eof(); all.next())
            rows.append({all.value(0), all.value(1), all.value(2).toString(), all.value(3).toString(), all.value(4).toString(),
                         all.value(5).toString(), all.value(6).toString(), all.value(9).toString(), all.value(10).toString(),
                         all.value(7), all.value(8)});
        all.close();
        db::Query upd(TransWrite->database(), TransWrite);
        upd.setSql(QStringLiteral("update FIRMEN set BEZEICHNUNG = :B, KURZBEZEICHNUNG = :K, DC = :DC, DM = :DM, "
                                  "TELEFON1 = :T1, TELEFAX = :FAX where ID = :ID"));
        db::Query del(TransWrite->database(), TransWrite);
        del.setSql(QStringLiteral("delete from FIRMEN where ID = :ID"));
        const QDateTime now = QDateTime::currentDateTime();
        for (const Row &r : std::as_const(rows)) {
            // A row typed here before its full name was kept carries its name in the name lines.
            QString bez = r.bez.trimmed();
            if (bez.isEmpty())
                bez = joinedNames(r.n1, r.n2, r.n3);
            TransWrite->ensureStarted();
            if (r.dd.isNull() && !bez.isEmpty()) {
                const QString kurz = r.kurz.isEmpty() ? bez.toUpper().left(40) : r.kurz;
                const QVariant dc = r.dc.isNull() ? QVariant(now) : r.dc;
                const QVariant dm = r.dm.isNull() ? QVariant(now) : r.dm;
                const QString t1 = kit::NormalizeTelephone(r.t1);
                const QString fax = kit::NormalizeTelephone(r.fax);
                if (bez != r.bez || kurz != r.kurz || r.dc.isNull() || r.dm.isNull() || t1 != r.t1 || fax != r.fax) {
                    upd.setParam(QStringLiteral("B"), bez);
                    upd.setParam(QStringLiteral("K"), kurz.isEmpty() ? QVariant() : QVariant(kurz));
                    upd.setParam(QStringLiteral("DC"), dc);
                    upd.setParam(QStringLiteral("DM"), dm);
                    upd.setParam(QStringLiteral("T1"), t1.isEmpty() ? QVariant() : QVariant(t1));
                    upd.setParam(QStringLiteral("FAX"), fax.isEmpty() ? QVariant() : QVariant(fax));
                    upd.setParam(QStringLiteral("ID"), r.id);
                    upd.exec();
                    ++repaired;
                }
            } else {
                del.setParam(QStringLiteral("ID"), r.id);
                del.exec();
                ++removed;
            }
            TransWrite->commit();
        }
    } catch (...) {
        if (TransWrite->isActive())
            TransWrite->rollback();
        Systools::HandleException(QStringLiteral("TFirmaForm.Wartung"), this, false);
    }
    Lock(false);
    try {
        m_employeesOf = -1;
        m_siteOf = -1;
        ReopenDataSets(keep, true);
        companyChanged();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TFirmaForm.Wartung"), this, false);
    }
    Systools::RestoreCursor();
    Systools::Dbg(QStringLiteral("Firmen-Wartung: %1 repariert, %2 entfernt").arg(repaired).arg(removed));
}

// ---- export ----

void TFirmaForm::ExportFirmen()
{
    const int ft = FilterType();
    Systools::WaitCursor();
    struct Restore { ~Restore() { Systools::RestoreCursor(); } } restore;
    try {
        TransRead->ensureStarted();
        QFirmenExport->close();
        QFirmenExport->setSql(m_exportSql + (ft >= 0 ? QStringLiteral(" and (Typ = %1)").arg(ft) : QString()));
        QFirmenExport->open();
    } catch (...) {
        Systools::HandleException(kContext + QStringLiteral(".FirmenExport"), this, false);
        return;
    }
    try {
        QString name = QStringLiteral("Firmen");
        if (ft >= 0) {
            name = cbTypWahl->currentText();
            name.remove(QLatin1Char('<')).remove(QLatin1Char('>'));
            name.replace(QLatin1Char('/'), QLatin1Char('-'));
            name = name.trimmed();
        }
        const QString dir = Cfg::GetCompValue(this, QStringLiteral("ExportDir")).toString();
        const QString start = dir.isEmpty() ? name + QStringLiteral(".csv") : QDir(dir).filePath(name + QStringLiteral(".csv"));
        Systools::RestoreCursor();
        QString path = Dialogs::saveFile(this, QStringLiteral("Firmendaten exportieren"), start,
                                         QStringLiteral("CSV-Datei (*.csv);;Textdatei (*.txt);;alle Dateien (*.*)"));
        Systools::WaitCursor();
        if (path.isEmpty()) {
            QFirmenExport->close();
            return;
        }
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".csv");
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error(QStringLiteral("Die Datei \u201E%1\u201C kann nicht angelegt werden: %2")
                                         .arg(path, file.errorString()).toStdString());
        QStringList names;
        for (const auto &c : QFirmenExport->columns())
            names << c.name;
        QByteArray buf;
        bool first = true;
        QStringList texts;
        for (; !QFirmenExport->eof(); QFirmenExport->next()) {
            if (first) {
                buf += FirmenEntry::CsvLine(names).toLatin1() + "\r\n";
                first = false;
            }
            texts.clear();
            for (int i = 0; i < names.size(); ++i)
                texts << db::formatValue(QFirmenExport->value(i));
            buf += FirmenEntry::CsvLine(texts).toLatin1() + "\r\n";
        }
        QFirmenExport->close();
        file.write(buf);
        if (!file.commit())
            throw std::runtime_error(QStringLiteral("Die Datei \u201E%1\u201C kann nicht geschrieben werden: %2")
                                         .arg(path, file.errorString()).toStdString());
        const QFileInfo fi(path);
        Cfg::SetCompValue(this, QStringLiteral("ExportDir"), fi.absolutePath());
        Cfg::SetCompValue(this, QStringLiteral("ExportFileName"), fi.fileName());
    } catch (...) {
        QFirmenExport->close();
        Systools::HandleException(kContext + QStringLiteral(".FirmenExport Datei"), this, false);
    }
}
