#include "personform.h"

#include "kit/entry/weblinks.h"
#include "personexport.h"

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
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHash>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSaveFile>
#include <QSet>
#include <QSplitter>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

TPersonForm *PersonForm = nullptr;

FD_REGISTER_FORM(TPersonForm, &PersonForm);

namespace {

const char *const kRecordColumns =
    "ID, NACHNAME, VORNAME, ANREDE, IDENTNR, TELEFON1, TELEFON2, MOBIL, TELEFAX, EMAIL, STRASSE, LAND, PLZ, ORT, "
    "ADRESSENZUSATZ, TYP, FUNKTION, FIRMEN_ID, GEBOREN_AM, NATIONALITAET, ZUSATZ1, ZUSATZ2, BANK, BLZ, KONTO, "
    "BEMERKUNGEN, GESCHLECHT, ARZT_BSNR, ARZT_NR, DC, DM, DD";

const QString kAllPersons = QStringLiteral("< alle Personen >");
const QString kNumberCaption = QStringLiteral("Nummer    ");
const QString kIkCaption = QStringLiteral("IK-Nummer");

// Person types whose persons belong to a branch and draw their number automatically.
bool isBranchType(int typ) { return typ == 1 || typ == 2 || typ == -1 || typ == -2; }
bool isDoctorType(int typ) { return typ == 3 || typ == -3; }

struct FormLock
{
    explicit FormLock(TWin95Form *f) : form(f) { form->Lock(true); }
    ~FormLock() { form->Lock(false); }
    TWin95Form *form;
};

QString capitalized(const QString &s)
{
    QString t = s.trimmed();
    if (!t.isEmpty())
        t[0] = t[0].toUpper();
    return t;
}

// The style's standard icons are read from image files on every request; the toolbar asks for
// the same two on every opening of the form, so they are read once per style.
QIcon standardIcon(const QWidget *w, QStyle::StandardPixmap which)
{
    static QHash<QPair<const QStyle *, int>, QIcon> cache;
    QStyle *st = w->style();
    QIcon &icon = cache[qMakePair(static_cast<const QStyle *>(st), int(which))];
    if (icon.isNull())
        icon = st->standardIcon(which);
    return icon;
}

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

} // namespace

void TPersonForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Personenverwaltung");
    m.Hint = QStringLiteral("Mitarbeiter, Klienten, Ärzte und Ansprechpartner verwalten");
    m.Security = fsReadOnly;
    m.LinkedTools = QStringLiteral("ToolsToolbar");
}

TPersonForm::TPersonForm(QWidget *parent) : kit::RecordForm(parent)
{
    setObjectName(QStringLiteral("PersonForm"));
    Describe(*FMI);
    UseFormVariable(PersonForm);
    setWindowTitle(QStringLiteral("Personen"));
    setupDataSets();
    buildUi();
}

TPersonForm::~TPersonForm() = default;

void TPersonForm::setupDataSets()
{
    const QString cols = QString::fromLatin1(kRecordColumns);
    Personen = new db::DataSet(this);
    Personen->setObjectName(QStringLiteral("Personen"));
    Personen->setSelectSql(QStringLiteral("select ") + cols + QStringLiteral(" from PERSON @@Where@"));
    kit::SetWriteSql(Personen, QStringLiteral("PERSON"), cols);
    Personen->setDeleteSql(QStringLiteral("delete from PERSON where ID = :OLD_ID"));
    Personen->setRefreshSql(QStringLiteral("select ") + cols + QStringLiteral(" from PERSON where ID = :ID"));

    PersonenList = new db::DataSet(this);
    PersonenList->setObjectName(QStringLiteral("PersonenList"));
    PersonenList->setSelectSql(QStringLiteral("select NACHNAME, VORNAME, PLZ, ORT, STRASSE, IDENTNR, GEBOREN_AM, ID, TYP "
                                              "from PERSON where DD is NULL @@Where@ @@Order@"));

    Firmen = new db::DataSet(this);
    Firmen->setObjectName(QStringLiteral("Firmen"));
    Firmen->setSelectSql(QStringLiteral("select KURZBEZEICHNUNG, BEZEICHNUNG as NAME, ORT, STRASSE, PLZ, TELEFON1, "
                                        "TELEFAX, TYP, ID from FIRMEN where DD is NULL @@Where@ order by 1"));
    Firmen->afterOpen = [this](db::DataSet &) { companiesOpened(); };

    QPersonExport = new db::Query(nullptr, TransRead, this);
    QPersonExport->setObjectName(QStringLiteral("QPersonExport"));
    QPersonExport->setSql(Personen::ExportSql());
    dtsGetZentrale = new db::Query(nullptr, TransRead, this);
    dtsGetZentrale->setObjectName(QStringLiteral("dtsGetZentrale"));
    dtsGetZentrale->setSql(QStringLiteral("select FIRMEN_ID from FILIALE where ZENTRALE = 1"));
    QSetStammFiliale = new db::Query(nullptr, TransWrite, this);
    QSetStammFiliale->setObjectName(QStringLiteral("QSetStammFiliale"));
    QSetStammFiliale->setSql(QStringLiteral("update PERSON set FIRMEN_ID = :FID where TYP in (-1, 1) and FIRMEN_ID is NULL"));

    setDataSets(PersonenList, Personen);
    addLookupDataSet(Firmen);
    setKeyedRecord(true);
    setGenerator(QStringLiteral("GEN_PERSON_ID"));
    setSearchField(QStringLiteral("NACHNAME"));

    // Lookup texts and the date of birth as users type it.
    Personen->props(QStringLiteral("TYP")).getText = [this](const QVariant &v) {
        return v.isNull() ? QString() : PersonenTypen.TextOf(v.toLongLong());
    };
    Personen->props(QStringLiteral("GEBOREN_AM")).setText = kit::DateFieldSetter(QStringLiteral("Feld GEBOREN_AM"));
    for (const char *f : {"DC", "DM"})
        Personen->props(QString::fromLatin1(f)).getText = [](const QVariant &v) {
            return v.isNull() ? QString() : v.toDateTime().toString(QStringLiteral("dd.MM.yyyy hh:mm AP"));
        };
    struct Col { const char *field; const char *label; } listCols[] = {
        {"NACHNAME", "Nachname"}, {"VORNAME", "Vorname"}, {"PLZ", "PLZ"}, {"ORT", "Ort"},
        {"STRASSE", "Straße"}, {"IDENTNR", "Nummer"}, {"GEBOREN_AM", "Geboren am"},
    };
    for (const Col &c : listCols)
        PersonenList->props(QString::fromLatin1(c.field)).label = QString::fromUtf8(c.label);
}

void TPersonForm::buildUi()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setSpacing(4);

    ToolsToolbar = new QToolBar(this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    ToolsToolbar->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    acExport = ToolsToolbar->addAction(standardIcon(this, QStyle::SP_DialogSaveButton),
                                       QStringLiteral("Personendaten exportieren (CSV-Format)"));
    acExport->setObjectName(QStringLiteral("sbExport"));
    connect(acExport, &QAction::triggered, this, &TPersonForm::ExportPerson);
    acFiliale = ToolsToolbar->addAction(standardIcon(this, QStyle::SP_DirHomeIcon), QStringLiteral("Filial"));
    acFiliale->setObjectName(QStringLiteral("nbFiliale"));
    acFiliale->setToolTip(QStringLiteral("Mitarbeiter ohne Filiale der Firma des Mandanten zuordnen"));
    connect(acFiliale, &QAction::triggered, this, &TPersonForm::AssignBranch);
    root->addWidget(ToolsToolbar);

    Navigator = new TExtNavigator(this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    root->addWidget(Navigator);

    auto *split = new QSplitter(Qt::Horizontal, this);
    root->addWidget(split, 1);

    // Left: type filter, sort buttons and the list.
    auto *left = new QWidget(split);
    auto *lv = new QVBoxLayout(left);
    lv->setContentsMargins(0, 0, 0, 0);
    auto *filterRow = new QHBoxLayout;
    cbTypWahl = new QComboBox(left);
    cbTypWahl->setObjectName(QStringLiteral("cbTypWahl"));
    cbTypWahl->setToolTip(QStringLiteral("Personentyp"));
    cbTypWahl->setMinimumContentsLength(16);
    connect(cbTypWahl, &QComboBox::activated, this, [this](int i) {
        const int before = m_filterIndex;
        guarded("TPersonForm.cbTypWahlChange", [&]() { selectFilter(i, true); }, [&]() {
            // The input that blocked the change stays; so does the old filter.
            QSignalBlocker block(cbTypWahl);
            cbTypWahl->setCurrentIndex(before);
            m_filterIndex = before;
        });
    });
    filterRow->addWidget(cbTypWahl, 1);
    sbName = new QToolButton(left);
    sbName->setObjectName(QStringLiteral("sbName"));
    sbName->setText(QStringLiteral("Name"));
    sbName->setCheckable(true);
    sbName->setChecked(true);
    connect(sbName, &QToolButton::clicked, this, [this]() { guarded("TPersonForm.sbNameClick", [this]() { SetSortMode(0); }); });
    sbNummer = new QToolButton(left);
    sbNummer->setObjectName(QStringLiteral("sbNummer"));
    sbNummer->setText(kIkCaption);
    sbNummer->setCheckable(true);
    connect(sbNummer, &QToolButton::clicked, this, [this]() { guarded("TPersonForm.sbNummerClick", [this]() { SetSortMode(1); }); });
    filterRow->addWidget(sbName);
    filterRow->addWidget(sbNummer);
    lv->addLayout(filterRow);
    Grid = new QTableView(left);
    Grid->setObjectName(QStringLiteral("Grid"));
    ListModel = new db::DataSetModel(PersonenList, this);
    ListModel->setColumns({QStringLiteral("NACHNAME"), QStringLiteral("VORNAME"), QStringLiteral("PLZ"), QStringLiteral("ORT"),
                           QStringLiteral("STRASSE"), QStringLiteral("IDENTNR"), QStringLiteral("GEBOREN_AM")});
    Grid->setModel(ListModel);
    Grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    Grid->setSelectionMode(QAbstractItemView::SingleSelection);
    Grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Grid->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    Grid->verticalHeader()->hide();
    Grid->horizontalHeader()->setStretchLastSection(true);
    Grid->setAlternatingRowColors(true);
    lv->addWidget(Grid, 1);
    setListView(Grid);

    // Right: header fields and the pages.
    auto *right = new QWidget(split);
    auto *rv = new QVBoxLayout(right);
    rv->setContentsMargins(0, 0, 0, 0);
    auto *head = new QWidget(right);
    head->setObjectName(QStringLiteral("HeaderPanel"));
    auto *hg = new QGridLayout(head);
    hg->setContentsMargins(4, 4, 4, 4);
    cbAnrede = new QComboBox(head);
    cbAnrede->setObjectName(QStringLiteral("cbAnrede"));
    edVorname = lineEdit(head, "edVorname", 40);
    edNachname = lineEdit(head, "edNachname", 40);
    cbTyp = new QComboBox(head);
    cbTyp->setObjectName(QStringLiteral("cbTyp"));
    lbNummer = new QLabel(kNumberCaption.trimmed(), head);
    lbNummer->setObjectName(QStringLiteral("lbNummer"));
    lbNummer->setMinimumWidth(lbNummer->fontMetrics().horizontalAdvance(kIkCaption) + 8);
    edIdentNr = lineEdit(head, "edIdentNr", 20);
    hg->addWidget(new QLabel(QStringLiteral("Anrede"), head), 0, 0);
    hg->addWidget(cbAnrede, 0, 1);
    hg->addWidget(new QLabel(QStringLiteral("Typ"), head), 0, 2);
    hg->addWidget(cbTyp, 0, 3);
    hg->addWidget(new QLabel(QStringLiteral("Nachname"), head), 1, 0);
    hg->addWidget(edNachname, 1, 1);
    hg->addWidget(lbNummer, 1, 2);
    hg->addWidget(edIdentNr, 1, 3);
    hg->addWidget(new QLabel(QStringLiteral("Vorname"), head), 2, 0);
    hg->addWidget(edVorname, 2, 1);
    hg->setColumnStretch(1, 2);
    hg->setColumnStretch(3, 1);
    rv->addWidget(head);

    PageControl = new QTabWidget(right);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    rv->addWidget(PageControl, 1);

    // Page 1: address, contact, company
    auto *p1 = new QWidget;
    auto *g1 = new QGridLayout(p1);
    edStrasse = lineEdit(p1, "edStrasse", 40);
    edLand = lineEdit(p1, "edLand", 5);
    edLand->setMaximumWidth(60);
    edPlz = lineEdit(p1, "edPlz", 7);
    edPlz->setMaximumWidth(90);
    edOrt = lineEdit(p1, "edOrt", 40);
    edTelefon1 = lineEdit(p1, "edTelefon1", 40);
    edTelefon2 = lineEdit(p1, "edTelefon2", 40);
    edMobil = lineEdit(p1, "edMobil", 40);
    edTelefax = lineEdit(p1, "edTelefax", 40);
    edEmail = lineEdit(p1, "edEmail", 60);
    edFunktion = lineEdit(p1, "edFunktion", 60);
    edFirma = lineEdit(p1, "edFirma", 128);
    edGeboren = lineEdit(p1, "edGeboren", 10);
    edGeboren->setMaximumWidth(110);
    edGeboren->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    cbNationalitaet = new QComboBox(p1);
    cbNationalitaet->setObjectName(QStringLiteral("cbNationalitaet"));
    sbEmail = new QToolButton(p1);
    sbEmail->setObjectName(QStringLiteral("sbEmail"));
    sbEmail->setText(QStringLiteral("E-Mail"));
    sbEmail->setToolTip(QStringLiteral("E-Mail an diese Adresse schreiben"));
    connect(sbEmail, &QToolButton::clicked, this, [this]() { guarded("TPersonForm.sbEmailClick", [this]() { SendMail(); }); });
    sbFirma = new QToolButton(p1);
    sbFirma->setObjectName(QStringLiteral("sbFirma"));
    sbFirma->setText(QStringLiteral("Firma"));
    sbFirma->setToolTip(QStringLiteral("Firma öffnen"));
    sbFirma->setToolButtonStyle(Qt::ToolButtonTextOnly);
    sbFirma->setMinimumWidth(90);
    connect(sbFirma, &QToolButton::clicked, this, [this]() { guarded("TPersonForm.sbFirmaClick", [this]() { OpenCompany(); }); });
    sbFirmaWaehlen = new QToolButton(p1);
    sbFirmaWaehlen->setObjectName(QStringLiteral("sbFirmaWaehlen"));
    sbFirmaWaehlen->setText(QStringLiteral("\u2026"));
    sbFirmaWaehlen->setToolTip(QStringLiteral("Firma wählen"));
    connect(sbFirmaWaehlen, &QToolButton::clicked, this,
            [this]() { guarded("TPersonForm.sbFirmaWaehlenClick", [this]() { PickCompany(); }); });
    int r = 0;
    g1->addWidget(new QLabel(QStringLiteral("Straße"), p1), r, 0);
    g1->addWidget(edStrasse, r, 1, 1, 4);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Land / PLZ / Ort"), p1), r, 0);
    auto *addr = new QHBoxLayout;
    addr->addWidget(edLand);
    addr->addWidget(edPlz);
    addr->addWidget(edOrt, 1);
    g1->addLayout(addr, r, 1, 1, 4);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Telefon"), p1), r, 0);
    g1->addWidget(edTelefon1, r, 1);
    g1->addWidget(new QLabel(QStringLiteral("Telefon dienstl."), p1), r, 2);
    g1->addWidget(edTelefon2, r, 3, 1, 2);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Mobil"), p1), r, 0);
    g1->addWidget(edMobil, r, 1);
    g1->addWidget(new QLabel(QStringLiteral("Telefax"), p1), r, 2);
    g1->addWidget(edTelefax, r, 3, 1, 2);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("E-Mail"), p1), r, 0);
    g1->addWidget(edEmail, r, 1, 1, 3);
    g1->addWidget(sbEmail, r, 4);
    ++r;
    g1->addWidget(sbFirma, r, 0);
    auto *firmRow = new QHBoxLayout;
    firmRow->addWidget(edFirma, 1);
    firmRow->addWidget(sbFirmaWaehlen);
    g1->addLayout(firmRow, r, 1, 1, 4);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Funktion"), p1), r, 0);
    g1->addWidget(edFunktion, r, 1, 1, 4);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Geboren am"), p1), r, 0);
    g1->addWidget(edGeboren, r, 1);
    g1->addWidget(new QLabel(QStringLiteral("Nationalität"), p1), r, 2);
    g1->addWidget(cbNationalitaet, r, 3, 1, 2);
    ++r;
    lbZusatz1 = new QLabel(p1);
    lbZusatz1->setObjectName(QStringLiteral("lbZusatz1"));
    edZusatz1 = lineEdit(p1, "edZusatz1", 60);
    lbZusatz2 = new QLabel(p1);
    lbZusatz2->setObjectName(QStringLiteral("lbZusatz2"));
    edZusatz2 = lineEdit(p1, "edZusatz2", 60);
    g1->addWidget(lbZusatz1, r, 0);
    g1->addWidget(edZusatz1, r, 1, 1, 4);
    ++r;
    g1->addWidget(lbZusatz2, r, 0);
    g1->addWidget(edZusatz2, r, 1, 1, 4);
    ++r;
    g1->addWidget(new QLabel(QStringLiteral("Adresszusatz"), p1), r, 0, Qt::AlignTop);
    meAdressenzusatz = new QPlainTextEdit(p1);
    meAdressenzusatz->setObjectName(QStringLiteral("meAdressenzusatz"));
    meAdressenzusatz->setMaximumHeight(60);
    g1->addWidget(meAdressenzusatz, r, 1, 1, 4);
    ++r;
    g1->setRowStretch(r, 1);
    g1->setColumnStretch(1, 1);
    g1->setColumnStretch(3, 1);
    PageControl->addTab(p1, QStringLiteral("Allgemein"));

    // Page 2: bank and doctor numbers
    auto *p2 = new QWidget;
    auto *f2 = new QFormLayout(p2);
    edBank = lineEdit(p2, "edBank", 60);
    edBlz = lineEdit(p2, "edBlz", 10);
    edKonto = lineEdit(p2, "edKonto", 20);
    edArztBsnr = lineEdit(p2, "edArztBsnr", 9);
    edArztNr = lineEdit(p2, "edArztNr", 9);
    f2->addRow(QStringLiteral("Bank"), edBank);
    f2->addRow(QStringLiteral("BLZ"), edBlz);
    f2->addRow(QStringLiteral("Konto"), edKonto);
    f2->addRow(QStringLiteral("Betriebsstättennummer"), edArztBsnr);
    f2->addRow(QStringLiteral("Arztnummer"), edArztNr);
    PageControl->addTab(p2, QStringLiteral("Bank / Arzt"));

    // Page 3: notes and stamps
    auto *p3 = new QWidget;
    auto *v3 = new QVBoxLayout(p3);
    meBemerkungen = new QPlainTextEdit(p3);
    meBemerkungen->setObjectName(QStringLiteral("meBemerkungen"));
    v3->addWidget(meBemerkungen, 1);
    auto *stamps = new QFormLayout;
    edDC = lineEdit(p3, "edDC", 0);
    edDM = lineEdit(p3, "edDM", 0);
    edDC->setReadOnly(true);
    edDM->setReadOnly(true);
    stamps->addRow(QStringLiteral("Angelegt"), edDC);
    stamps->addRow(QStringLiteral("Geändert"), edDM);
    v3->addLayout(stamps);
    PageControl->addTab(p3, QStringLiteral("Bemerkungen"));

    split->setStretchFactor(0, 2);
    split->setStretchFactor(1, 3);
    split->setSizes({440, 660});

    // Field bindings
    Binder = new db::FieldBinder(Personen, this);
    struct B { QWidget *w; const char *field; } binds[] = {
        {cbAnrede, "ANREDE"}, {edVorname, "VORNAME"}, {edNachname, "NACHNAME"}, {cbTyp, "TYP"},
        {edIdentNr, "IDENTNR"}, {edStrasse, "STRASSE"}, {edLand, "LAND"}, {edPlz, "PLZ"}, {edOrt, "ORT"},
        {edTelefon1, "TELEFON1"}, {edTelefon2, "TELEFON2"}, {edMobil, "MOBIL"}, {edTelefax, "TELEFAX"},
        {edEmail, "EMAIL"}, {edFunktion, "FUNKTION"}, {edGeboren, "GEBOREN_AM"}, {cbNationalitaet, "NATIONALITAET"},
        {edZusatz1, "ZUSATZ1"}, {edZusatz2, "ZUSATZ2"}, {meAdressenzusatz, "ADRESSENZUSATZ"}, {edBank, "BANK"},
        {edBlz, "BLZ"}, {edKonto, "KONTO"}, {edArztBsnr, "ARZT_BSNR"}, {edArztNr, "ARZT_NR"},
        {meBemerkungen, "BEMERKUNGEN"}, {edDC, "DC"}, {edDM, "DM"},
    };
    for (const B &b : binds)
        Binder->bind(b.w, QString::fromLatin1(b.field));

    // Input rules
    using kit::InputFilter;
    using kit::InputKind;
    InputFilter::install(edLand, InputKind::Land);
    InputFilter::install(edPlz, InputKind::Plz, [this]() { return edLand->text(); });
    for (QLineEdit *e : {edTelefon1, edTelefon2, edMobil, edTelefax})
        InputFilter::install(e, InputKind::Telefon);
    InputFilter::install(edBlz, InputKind::Bank);
    InputFilter::install(edKonto, InputKind::Bank);
    // The date of birth also takes ":", and Delete clears it.
    InputFilter::install(edGeboren, InputKind::Datum, {}, {.dateAcceptsColon = true, .deleteClearsDate = true});
    connect(edGeboren, &QLineEdit::editingFinished, this, &TPersonForm::birthDateLeft);

    // Lookup combos write their code at once, so that the rules that depend on them follow.
    connect(cbTyp, &QComboBox::activated, this, [this](int i) {
        guarded("TPersonForm.cbTypChange", [&]() {
            if (Personen->isEditing())
                Personen->fieldByName(QStringLiteral("TYP")).setValue(cbTyp->itemData(i));
        });
    });
    connect(cbAnrede, &QComboBox::activated, this, [this]() { guarded("TPersonForm.cbAnredeChange", [this]() { salutationChosen(); }); });

    // Company field
    connect(edFirma, &QLineEdit::textEdited, this, [this]() { edFirma->setModified(true); });
    connect(edFirma, &QLineEdit::editingFinished, this, [this]() {
        if (!edFirma->isModified())
            return;
        edFirma->setModified(false);
        try {
            CompanyNameEntered(edFirma->text());
        } catch (...) {
            Systools::HandleException(QStringLiteral("TPersonForm.edFirmaExit"), this, false);
        }
    });

    // Type rules and the company name follow the record.
    auto follow = [this]() {
        typeChanged();
        showCompany();
    };
    connect(Personen, &db::DataSet::currentChanged, this, follow);
    connect(Personen, &db::DataSet::reset, this, follow);
    connect(Personen, &db::DataSet::stateChanged, this, follow);
    connect(Personen, &db::DataSet::fieldChanged, this, [this](int index) {
        const QString name = Personen->columns().value(index).name;
        if (name == QLatin1String("TYP"))
            typeChanged();
        if (name == QLatin1String("FIRMEN_ID") || name == QLatin1String("TYP"))
            showCompany();
    });

    setBinder(Binder);
    setNavigator(Navigator);
    setPages(PageControl);
    setCharacteristicFields(lbZusatz1, edZusatz1, lbZusatz2, edZusatz2);
    addPickButton(sbFirmaWaehlen);
    resize(1000, 620);
}

// ---- lifecycle ----

void TPersonForm::CreateLists()
{
    Anreden.Clear();
    Nationalitaeten.Clear();
    FirmenTypen.Clear();
    PersonenTypen.Clear();
    TypWahlListe.Clear();
}

void TPersonForm::FreeLists()
{
    CreateLists();
    m_companies.clear();
}

void TPersonForm::ArrangePanels()
{
    PageControl->setCurrentIndex(0);
}

void TPersonForm::ApplyUserType()
{
    kit::RecordForm::ApplyUserType();
    acFiliale->setVisible(User::IsPrivileged());
}

void TPersonForm::OpenDataSets()
{
    kit::RecordForm::OpenDataSets();
    // The lookups of the creation's global change have filled the type boxes already.
    if (cbTypWahl->count() == 0)
        fillTypeCombos();
}

void TPersonForm::ApplyMacros()
{
    const int ft = filterType();
    const QString typeClause = ft != 0 ? QStringLiteral(" and (Typ = %1)").arg(ft) : QString();
    Personen->setMacro(QStringLiteral("Where"),
                       m_sweep > 0 ? QString() : QStringLiteral(" where (DD is NULL) %1").arg(typeClause));
    // The company restriction narrows the list only: a person moved to another company meanwhile
    // stays readable on the record side.
    const QString companyClause = m_firmenId > 0 ? QStringLiteral(" and (FIRMEN_ID = %1)").arg(m_firmenId) : QString();
    PersonenList->setMacro(QStringLiteral("Where"), typeClause + companyClause);
    PersonenList->setMacro(QStringLiteral("Order"),
                           QStringLiteral("order by ")
                               + (m_sortMode == 1 ? QStringLiteral("IdentNr, Nachname, Vorname")
                                                  : QStringLiteral("Nachname, Vorname")));
}

void TPersonForm::LoadLookups()
{
    auto *dm = Dm::DatenModul();
    dm->GetGlobalStrings(QStringLiteral("Nationalität"), Nationalitaeten, 2);
    dm->GetGlobalStrings(QStringLiteral("Anrede"), Anreden, 0);
    dm->GetStrings(QStringLiteral("APP$Firmentyp"), FirmenTypen, 0);
    dm->GetStrings(QStringLiteral("APP$Personentyp"), PersonenTypen, 0);
    cbNationalitaet->clear();
    for (int i = 0; i < Nationalitaeten.Count(); ++i)
        cbNationalitaet->addItem(Nationalitaeten.Strings(i), Nationalitaeten.Strings(i));
    cbAnrede->clear();
    for (int i = 0; i < Anreden.Count(); ++i)
        cbAnrede->addItem(Anreden.Strings(i), Anreden.Strings(i));
    fillTypeCombos();
}

void TPersonForm::fillTypeCombos()
{
    // The filter keeps its type when that type is still in the list.
    const int keep = filterType();
    cbTyp->clear();
    for (int i = 0; i < PersonenTypen.Count(); ++i)
        cbTyp->addItem(PersonenTypen.Strings(i), PersonenTypen.Objects(i));
    TypWahlListe = PersonenTypen;
    TypWahlListe.InsertObject(0, kAllPersons, 0);
    {
        QSignalBlocker block(cbTypWahl);
        cbTypWahl->clear();
        cbTypWahl->addItems(TypWahlListe.Texts());
        const int at = TypWahlListe.IndexOfObject(keep);
        cbTypWahl->setCurrentIndex(at >= 0 ? at : 0);
        m_filterIndex = cbTypWahl->currentIndex();
    }
    if (keep != 0 && TypWahlListe.IndexOfObject(keep) < 0)
        selectFilter(0, Personen->isOpen());
    Binder->refresh();
}

void TPersonForm::FMIGlobalChanged(TFormModuleInfo *sender, int flags)
{
    kit::RecordForm::FMIGlobalChanged(sender, flags);
    const bool ro = FMI->ReadOnly();
    edFirma->setReadOnly(ro);
    sbFirmaWaehlen->setEnabled(!ro);
}

// ---- filter and sort ----

int TPersonForm::TypWahl() const { return cbTypWahl->currentIndex(); }

void TPersonForm::setTypWahl(int index)
{
    if (index >= 0 && index < cbTypWahl->count())
        selectFilter(index, true);
}

int TPersonForm::PersTyp() const { return filterType(); }

int TPersonForm::filterType() const
{
    const int i = cbTypWahl ? cbTypWahl->currentIndex() : -1;
    return i > 0 ? int(TypWahlListe.Objects(i)) : 0;
}

void TPersonForm::guarded(const char *context, const std::function<void()> &fn, const std::function<void()> &onError)
{
    try {
        fn();
    } catch (...) {
        if (onError)
            onError();
        Systools::HandleException(QString::fromLatin1(context), this, false);
    }
}

void TPersonForm::selectFilter(int index, bool apply)
{
    {
        QSignalBlocker block(cbTypWahl);
        cbTypWahl->setCurrentIndex(qMax(0, index));
    }
    m_filterIndex = cbTypWahl->currentIndex();
    if (apply)
        applyFilter();
}

void TPersonForm::applyFilter()
{
    if (!PersonenList->isOpen())
        return;
    // Pending input is saved before the lists change under it.
    if (Personen->isEditing())
        Personen->post();
    const qint64 id = currentOrListID();
    const int ft = filterType();
    // A person of another type is not in the filtered list: no need to search for it.
    const bool keep = id > 0 && (ft == 0 || currentType() == ft);
    Systools::WaitCursor();
    try {
        ReopenDataSets(keep ? id : 0);
    } catch (...) {
        Systools::RestoreCursor();
        throw;
    }
    Systools::RestoreCursor();
}

void TPersonForm::SetSortMode(int mode)
{
    m_sortMode = mode == 1 ? 1 : 0;
    sbName->setChecked(m_sortMode == 0);
    sbNummer->setChecked(m_sortMode == 1);
    if (PersonenList->isOpen()) {
        if (Personen->isEditing())
            Personen->post();
        const qint64 id = currentOrListID();
        FormLock lock(this);
        ApplyMacros();
        PersonenList->close();
        PersonenList->open();
        if (id <= 0 || !PersonenList->locate(QStringLiteral("ID"), id))
            PersonenList->first();
    }
    ReattachSearch(m_sortMode == 1 ? QStringLiteral("IDENTNR") : QStringLiteral("NACHNAME"));
}

qint64 TPersonForm::currentOrListID() const
{
    if (Personen->isOpen() && Personen->state() != db::DataSet::Insert) {
        const qint64 id = CurrentID();
        if (id > 0)
            return id;
    }
    if (PersonenList->isOpen() && PersonenList->recordCount() > 0 && PersonenList->recNo() >= 0)
        return PersonenList->fieldByName(QStringLiteral("ID")).value().toLongLong();
    return 0;
}

int TPersonForm::currentType() const
{
    if (!Personen->isOpen() || Personen->recNo() < 0)
        return 0;
    return Personen->fieldByName(QStringLiteral("TYP")).value().toInt();
}

// ---- arguments and properties ----

void TPersonForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    if (last < 0 || args.isEmpty()) {
        m_filterFixed = false;
        cbTypWahl->setVisible(true);
        cbTyp->setEnabled(true);
        if (cbTypWahl->currentIndex() != 0)
            selectFilter(0, true);
        ShowPage(0);
        ExecuteDefault({}, -1, true);
        return;
    }
    qint64 personId = 0;
    QString typeText;
    const QVariant a0 = args.at(0);
    const bool a0IsInt = a0.typeId() == QMetaType::Int || a0.typeId() == QMetaType::LongLong
                         || a0.typeId() == QMetaType::UInt || a0.typeId() == QMetaType::ULongLong;
    if (a0IsInt)
        personId = a0.toLongLong();
    else
        typeText = Systools::GetVarString(args, last, 0);
    if (last >= 1 && args.size() > 1) {
        const QVariant a1 = args.at(1);
        if (a1.typeId() == QMetaType::QString)
            typeText = a1.toString();
        else
            m_typ = a1.toInt();
    }
    bool isNumber = false;
    int typeValue = typeText.trimmed().toInt(&isNumber);
    if (!isNumber)
        typeValue = -2;
    int index = -1;
    if (typeValue >= 0)
        index = TypWahlListe.IndexOfObject(typeValue);
    else
        index = TypWahlListe.IndexOf(typeText.trimmed());
    if (index > 0) {
        m_filterFixed = true;
        cbTypWahl->setVisible(false);
        cbTyp->setEnabled(false);
    } else {
        index = 0;
        m_filterFixed = false;
        cbTypWahl->setVisible(true);
        cbTyp->setEnabled(true);
    }
    if (index != cbTypWahl->currentIndex())
        selectFilter(index, true);
    ShowPage(0);
    if (personId != 0)
        ExecuteDefault({QVariant(qlonglong(personId))}, 0, true);
}

void TPersonForm::setPerson_ID(qint64 id)
{
    if (id != 0)
        ExecuteDefault({QVariant(qlonglong(id))}, 0, true);
}

void TPersonForm::setFirmen_ID(qint64 id)
{
    const qint64 company = id > 0 ? id : 0;
    if (company == 0 && m_firmenId == 0)
        return;
    if (!PersonenList->isOpen()) {
        m_firmenId = company;
        return;
    }
    // Pending input is saved before the list changes under it; a failing post keeps the old
    // restriction together with the input.
    if (Personen->isEditing())
        Personen->post();
    const qint64 keepId = company == 0 ? currentOrListID() : 0;
    m_firmenId = company;
    Systools::WaitCursor();
    try {
        ReopenDataSets(keepId);
    } catch (...) {
        Systools::RestoreCursor();
        throw;
    }
    Systools::RestoreCursor();
}

// ---- record events ----

void TPersonForm::NewRecord(db::DataSet &ds)
{
    if (GetLocked())
        return;
    ds.fieldByName(QStringLiteral("LAND")).setValue(QStringLiteral("D"));
    ds.fieldByName(QStringLiteral("TYP")).setValue(QVariant(qlonglong(filterType())));
    ds.fieldByName(QStringLiteral("GESCHLECHT")).setValue(QVariant(qlonglong(0)));
    if (m_firmenId > 0)
        ds.fieldByName(QStringLiteral("FIRMEN_ID")).setValue(QVariant(qlonglong(m_firmenId)));
    if (Nationalitaeten.Count() > 0)
        ds.fieldByName(QStringLiteral("NATIONALITAET")).setValue(Nationalitaeten.Strings(0));
    ShowPage(0);
}

void TPersonForm::BeforePost(db::DataSet &ds)
{
    for (const char *f : {"ANREDE", "VORNAME", "NACHNAME", "ORT", "STRASSE", "FUNKTION", "BANK"}) {
        db::Field fld = ds.fieldByName(QString::fromLatin1(f));
        if (!fld.isNull())
            fld.setValue(fld.asString().trimmed());
    }
    if (ds.fieldByName(QStringLiteral("NACHNAME")).isNull())
        throw db::DbError(db::DbError::Kind::General, QStringLiteral("Bitte den Nachnamen eingeben."));
    const int typ = ds.fieldByName(QStringLiteral("TYP")).value().toInt();
    if (m_sweep == 0 && isBranchType(typ) && ds.fieldByName(QStringLiteral("FIRMEN_ID")).value().toLongLong() <= 0)
        throw db::DbError(db::DbError::Kind::General, QStringLiteral("Bitte die Filiale angeben."));
    db::Field ident = ds.fieldByName(QStringLiteral("IDENTNR"));
    const QString nr = ident.asString().trimmed();
    if (nr != ident.asString())
        ident.setValue(nr);
    const int absTyp = qAbs(typ);
    if (nr.isEmpty() && (absTyp == 1 || absTyp == 2)) {
        const QString number = TDMZaehlringe::instance()->GetNumber(QStringLiteral("person"), true,
                                                                    QDateTime::currentDateTime(), absTyp, QString(), 0, true);
        if (!number.isEmpty())
            ident.setValue(number);
    }
}

void TPersonForm::typeChanged()
{
    const int typ = currentType();
    const bool branch = isBranchType(typ);
    const QString numberCaption = isDoctorType(typ) ? kIkCaption : kNumberCaption;
    sbNummer->setText(numberCaption);
    lbNummer->setText(numberCaption.trimmed());
    edIdentNr->setReadOnly(branch && !User::IsPrivileged());
    {
        QSignalBlocker block(cbTyp);
        const int i = cbTyp->findData(qlonglong(typ));
        cbTyp->setCurrentIndex(i >= 0 ? i : cbTyp->findData(typ));
    }
}

void TPersonForm::salutationChosen()
{
    if (!Personen->isEditing())
        return;
    const int i = Anreden.IndexOf(cbAnrede->currentText());
    if (i < 0)
        return;
    Personen->fieldByName(QStringLiteral("GESCHLECHT")).setValue(QVariant(qlonglong(Anreden.Objects(i) != 0 ? 1 : 0)));
}

void TPersonForm::birthDateLeft()
{
    const QString text = edGeboren->text();
    if (text.trimmed().isEmpty())
        return;
    bool ok = false;
    const QString norm = kit::NormalizeDateText(text, QDate::currentDate(), &ok);
    if (ok) {
        if (norm != text)
            edGeboren->setText(norm);
        return;
    }
    // No date: the message of the data layer, and the field keeps its value.
    try {
        throw db::DbError(db::DbError::Kind::Conversion,
                          QStringLiteral("\u201E%1\u201C ist kein gültiges Datum.").arg(text));
    } catch (...) {
        Systools::HandleException(QStringLiteral("TPersonForm.GEBOREN_AM"), this, false);
    }
    const QString old = Personen->isOpen() && Personen->recNo() >= 0
                            ? Personen->fieldByName(QStringLiteral("GEBOREN_AM")).displayText()
                            : QString();
    edGeboren->setText(old);
}

// ---- company ----

void TPersonForm::companiesOpened()
{
    // Names for the company field come from the unfiltered list only.
    if (!Firmen->macro(QStringLiteral("Where")).isEmpty())
        return;
    Firmen->fetchAll();
    m_companies.clear();
    const int cName = Firmen->fieldIndex(QStringLiteral("NAME"));
    const int cShort = Firmen->fieldIndex(QStringLiteral("KURZBEZEICHNUNG"));
    const int cTyp = Firmen->fieldIndex(QStringLiteral("TYP"));
    const int cId = Firmen->fieldIndex(QStringLiteral("ID"));
    for (int r = 0; r < Firmen->recordCount(); ++r) {
        Company c;
        c.name = Systools::DelReturns(Firmen->rowValue(r, cName).toString()).trimmed();
        c.shortName = Firmen->rowValue(r, cShort).toString();
        const QVariant t = Firmen->rowValue(r, cTyp);
        c.hasTyp = !t.isNull();
        c.typ = t.toInt();
        m_companies.insert(Firmen->rowValue(r, cId).toLongLong(), c);
    }
    showCompany();
}

void TPersonForm::showCompany()
{
    if (!edFirma)
        return;
    const qint64 id = Personen->isOpen() && Personen->recNo() >= 0
                          ? Personen->fieldByName(QStringLiteral("FIRMEN_ID")).value().toLongLong()
                          : 0;
    const int typ = currentType();
    const bool branch = typ == 1 || typ == 2;
    QString name, button;
    auto it = m_companies.constFind(id);
    if (id > 0 && it != m_companies.constEnd()) {
        name = it->name.isEmpty() ? it->shortName : it->name;
        button = it->hasTyp ? FirmenTypen.TextOf(it->typ) : QString();
    }
    // A company deleted meanwhile shows no name; the button then offers the plain caption.
    if (button.isEmpty())
        button = isBranchType(typ) || branch ? QStringLiteral("Filiale") : QStringLiteral("Firma");
    sbFirma->setText(button);
    if (!edFirma->isModified())
        edFirma->setText(name);
}

void TPersonForm::CompanyNameEntered(const QString &text)
{
    if (!Personen->isOpen() || Personen->recNo() < 0)
        return;
    const QString t = text.trimmed();
    const int typ = currentType();
    const bool branch = typ == 1 || typ == 2;
    QVariant found;
    if (!t.isEmpty()) {
        const int cName = Firmen->fieldIndex(QStringLiteral("NAME"));
        const int cShort = Firmen->fieldIndex(QStringLiteral("KURZBEZEICHNUNG"));
        const int cTyp = Firmen->fieldIndex(QStringLiteral("TYP"));
        const int cId = Firmen->fieldIndex(QStringLiteral("ID"));
        Firmen->fetchAll();
        for (int r = 0; r < Firmen->recordCount() && found.isNull(); ++r) {
            QString name = Systools::DelReturns(Firmen->rowValue(r, cName).toString()).trimmed();
            if (name.isEmpty())
                name = Firmen->rowValue(r, cShort).toString();
            if (!name.startsWith(t, Qt::CaseInsensitive))
                continue;
            if (branch && Firmen->rowValue(r, cTyp).toInt() != 2)
                continue;
            found = Firmen->rowValue(r, cId);
        }
    }
    if (!Personen->isEditing())
        Personen->edit();
    Personen->fieldByName(QStringLiteral("FIRMEN_ID")).setValue(found);
    showCompany();
}

bool TPersonForm::companyAlive(qint64 id)
{
    TransRead->ensureStarted();
    return db::Query::selectValue(*TransRead, QStringLiteral("select ID from FIRMEN where ID = %1 and DD is NULL").arg(id)).isValid();
}

void TPersonForm::PickCompany()
{
    if (FMI->ReadOnly() || !Personen->isOpen() || Personen->recNo() < 0)
        return;
    const int absTyp = qAbs(currentType());
    const int only = absTyp == 1 ? 1 : (absTyp == 2 ? 3 : -1);
    const qint64 current = Personen->fieldByName(QStringLiteral("FIRMEN_ID")).value().toLongLong();
    auto reopenFirmen = [this](const QString &where) {
        Firmen->close();
        Firmen->setMacro(QStringLiteral("Where"), where);
        Firmen->open();
    };
    if (only > 0)
        reopenFirmen(QStringLiteral(" and (TYP = %1)").arg(only));
    if (current > 0)
        Firmen->locate(QStringLiteral("ID"), current);
    bool picked = false;
    qint64 pickedId = 0;
    try {
        picked = Suchtool::PopupSuchForm(0, edFirma->height(), edFirma, 0, Firmen, QStringLiteral("KURZBEZEICHNUNG"), 5);
        if (picked && Firmen->recNo() >= 0)
            pickedId = Firmen->fieldByName(QStringLiteral("ID")).value().toLongLong();
    } catch (...) {
        if (only > 0)
            reopenFirmen(QString());
        throw;
    }
    if (only > 0)
        reopenFirmen(QString());
    if (!picked || pickedId <= 0)
        return;
    if (!companyAlive(pickedId)) {
        Dialogs::message(this, QStringLiteral("Die gewählte Firma wurde inzwischen gelöscht."), Dialogs::Icon::Warning);
        reopenFirmen(QString());
        return;
    }
    if (!Personen->isEditing())
        Personen->edit();
    Personen->fieldByName(QStringLiteral("FIRMEN_ID")).setValue(QVariant(qlonglong(pickedId)));
    edFirma->setModified(false);
    showCompany();
}

void TPersonForm::OpenCompany()
{
    if (!Personen->isOpen() || Personen->recNo() < 0)
        return;
    const qint64 id = Personen->fieldByName(QStringLiteral("FIRMEN_ID")).value().toLongLong();
    if (id <= 0)
        return;
    TransRead->ensureStarted();
    const QVariant typ = db::Query::selectValue(
        *TransRead, QStringLiteral("select TYP from FIRMEN where ID = %1 and DD is NULL").arg(id));
    const QString cls = typ.isValid() && !typ.isNull() && typ.toInt() == 1 ? QStringLiteral("TFrmKostenTr")
                                                                            : QStringLiteral("TFirmaForm");
    Modinfo::CreateAndRunForm(cls, {QVariant(int(id))}, 0);
}

// ---- navigator ----

void TPersonForm::NavigatorClick(int button, bool &handled)
{
    switch (button) {
    case TExtNavigator::nbInsert:
        handled = true;
        Personen->append();
        edNachname->setFocus();
        return;
    case TExtNavigator::nbEdit:
        handled = true;
        Personen->edit();
        edNachname->setFocus();
        return;
    case TExtNavigator::nbCancel:
    case TExtNavigator::nbRefresh: {
        handled = true;
        const qint64 id = currentOrListID();
        if (Personen->isEditing())
            Personen->cancel();
        edFirma->setModified(false);
        ReopenDataSets(id, true);
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

void TPersonForm::MaintenanceSweep()
{
    if (!User::IsSystemUser())
        return;
    if (Personen->isEditing())
        Personen->post();
    const qint64 keep = currentOrListID();
    Systools::WaitCursor();
    Lock(true);
    ++m_sweep;
    int repaired = 0, removed = 0;
    try {
        setKeyedRecord(false);
        ApplyMacros();
        Personen->close();
        Personen->open();
        Personen->fetchAll();
        QSet<qint64> alive;
        {
            db::Query q(TransRead->database(), TransRead);
            TransRead->ensureStarted();
            q.setSql(QStringLiteral("select ID from FIRMEN where DD is NULL"));
            for (q.open(); !q.eof(); q.next())
                alive.insert(q.fieldValue(0).toLongLong());
        }
        db::Query del(TransWrite->database(), TransWrite);
        del.setSql(QStringLiteral("delete from PERSON where ID = :ID"));
        const QDateTime now = QDateTime::currentDateTime();
        for (int row = Personen->recordCount() - 1; row >= 0; --row) {
            Personen->moveTo(row);
            auto f = [this](const char *n) { return Personen->fieldByName(QString::fromLatin1(n)); };
            const QString surname = f("NACHNAME").asString();
            if (f("DD").isNull() && !surname.trimmed().isEmpty()) {
                try {
                    QHash<QString, QVariant> set;
                    if (f("DC").isNull()) {
                        set.insert(QStringLiteral("DC"), now);
                        set.insert(QStringLiteral("DM"), now);
                    } else if (f("DM").isNull()) {
                        set.insert(QStringLiteral("DM"), f("DC").value());
                    }
                    QString anrede = f("ANREDE").asString().trimmed();
                    if (anrede.isEmpty()) {
                        anrede = f("GESCHLECHT").asInteger() == 1 ? QStringLiteral("Herr") : QStringLiteral("Frau");
                        set.insert(QStringLiteral("ANREDE"), anrede);
                    }
                    const int ai = Anreden.IndexOf(anrede);
                    if (ai >= 0) {
                        const int g = Anreden.Objects(ai) != 0 ? 1 : 0;
                        if (f("GESCHLECHT").isNull() || f("GESCHLECHT").asInteger() != g)
                            set.insert(QStringLiteral("GESCHLECHT"), QVariant(qlonglong(g)));
                    }
                    if (f("LAND").asString().isEmpty())
                        set.insert(QStringLiteral("LAND"), QStringLiteral("D"));
                    if (f("NATIONALITAET").asString().isEmpty() && Nationalitaeten.Count() > 0)
                        set.insert(QStringLiteral("NATIONALITAET"), Nationalitaeten.Strings(0));
                    if (!f("FIRMEN_ID").isNull() && !alive.contains(f("FIRMEN_ID").asInt64()))
                        set.insert(QStringLiteral("FIRMEN_ID"), QVariant());
                    for (const char *n : {"NACHNAME", "VORNAME"}) {
                        const QString v = f(n).asString();
                        const QString c = capitalized(v);
                        if (c != v)
                            set.insert(QString::fromLatin1(n), c);
                    }
                    for (const char *n : {"TELEFON1", "TELEFON2", "MOBIL", "TELEFAX"}) {
                        const QString v = f(n).asString();
                        const QString c = kit::NormalizeTelephone(v);
                        if (c != v)
                            set.insert(QString::fromLatin1(n), c);
                    }
                    // Only rows that needed a repair are written: the others keep their DM.
                    if (!set.isEmpty()) {
                        Personen->edit();
                        for (auto it = set.cbegin(); it != set.cend(); ++it)
                            Personen->fieldByName(it.key()).setValue(it.value());
                        Personen->post();
                        ++repaired;
                    }
                } catch (...) {
                    if (Personen->isEditing())
                        Personen->cancel();
                    Systools::HandleException(QStringLiteral("TPersonForm.Wartung(ID=%1)").arg(f("ID").asInt64()), this, true);
                }
            } else {
                try {
                    TransWrite->ensureStarted();
                    del.setParam(QStringLiteral("ID"), f("ID").value());
                    del.exec();
                    TransWrite->commit();
                    ++removed;
                } catch (...) {
                    if (TransWrite->isActive())
                        TransWrite->rollback();
                    Systools::HandleException(QStringLiteral("TPersonForm.Wartung(ID=%1)").arg(f("ID").asInt64()), this, true);
                }
            }
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("TPersonForm.Wartung"), this, false);
    }
    --m_sweep;
    Personen->close();
    setKeyedRecord(true);
    Lock(false);
    try {
        ReopenDataSets(keep, true);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TPersonForm.Wartung"), this, false);
    }
    Systools::RestoreCursor();
    Systools::Dbg(QStringLiteral("Personen-Wartung: %1 repariert, %2 entfernt").arg(repaired).arg(removed));
}

// ---- branch assignment, e-mail, export ----

void TPersonForm::AssignBranch()
{
    try {
        if (Personen->isEditing())
            Personen->post();
        TransRead->ensureStarted();
        dtsGetZentrale->close();
        dtsGetZentrale->open();
        const QVariant fid = dtsGetZentrale->eof() ? QVariant() : dtsGetZentrale->fieldValue(0);
        dtsGetZentrale->close();
        if (fid.isNull() || !fid.isValid()) {
            Dialogs::message(this, QStringLiteral("Bitte erst Firma als Mandant festlegen!"));
            return;
        }
        TransWrite->ensureStarted();
        try {
            QSetStammFiliale->setParam(QStringLiteral("FID"), fid);
            QSetStammFiliale->exec();
            TransWrite->commit();
        } catch (...) {
            if (TransWrite->isActive())
                TransWrite->rollback();
            throw;
        }
        ReopenDataSets(currentOrListID());
        Dialogs::message(this, QStringLiteral("Offenen Mitarbeiter der Firma des Mandanten zugeordnet."));
    } catch (...) {
        Systools::HandleException(QStringLiteral("Person.nbFilialeClick"), this, false);
    }
}

void TPersonForm::SendMail()
{
    QString address = edEmail->text().trimmed();
    if (address.isEmpty() && Personen->isOpen() && Personen->recNo() >= 0)
        address = Personen->fieldByName(QStringLiteral("EMAIL")).asString().trimmed();
    kit::OpenMail(address);
}

void TPersonForm::ExportPerson()
{
    const int ft = filterType();
    Systools::WaitCursor();
    struct Restore { ~Restore() { Systools::RestoreCursor(); } } restore;
    try {
        TransRead->ensureStarted();
        QPersonExport->close();
        QPersonExport->setMacro(QStringLiteral("FILTER"), ft != 0 ? QStringLiteral(" and (Typ = %1)").arg(ft) : QString());
        QPersonExport->open();
    } catch (...) {
        Systools::HandleException(QStringLiteral("Person.ExportPerson2"), this, false);
        return;
    }
    try {
        QString name = QStringLiteral("Personen");
        if (ft != 0) {
            name = cbTypWahl->currentText();
            name.remove(QLatin1Char('<')).remove(QLatin1Char('>'));
            name.replace(QLatin1Char('/'), QLatin1Char('-'));
            name = name.trimmed();
        }
        const QString dir = Cfg::GetCompValue(this, QStringLiteral("ExportDir")).toString();
        const QString start = dir.isEmpty() ? name + QStringLiteral(".csv") : QDir(dir).filePath(name + QStringLiteral(".csv"));
        Systools::RestoreCursor();
        QString path = Dialogs::saveFile(this, QStringLiteral("Personendaten exportieren"), start,
                                         QStringLiteral("CSV-Datei (*.csv);;Textdatei (*.txt);;alle Dateien (*.*)"));
        Systools::WaitCursor();
        if (path.isEmpty()) {
            QPersonExport->close();
            return;
        }
        if (QFileInfo(path).suffix().isEmpty())
            path += QStringLiteral(".csv");
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            throw std::runtime_error(QStringLiteral("Die Datei \u201E%1\u201C kann nicht angelegt werden: %2")
                                         .arg(path, file.errorString()).toStdString());
        Personen::WriteCsv(*QPersonExport, file);
        QPersonExport->close();
        if (!file.commit())
            throw std::runtime_error(QStringLiteral("Die Datei \u201E%1\u201C kann nicht geschrieben werden: %2")
                                         .arg(path, file.errorString()).toStdString());
        const QFileInfo fi(path);
        Cfg::SetCompValue(this, QStringLiteral("ExportDir"), fi.absolutePath());
        Cfg::SetCompValue(this, QStringLiteral("ExportFileName"), fi.fileName());
    } catch (...) {
        QPersonExport->close();
        Systools::HandleException(QStringLiteral("Person.ExportPerson1"), this, false);
    }
}
