#include "stammfirmenform.h"

#include "kit/entry/weblinks.h"
#include "host/recordware/datenmodul.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "kit/entry/dateentry.h"
#include "kit/entry/inputfilter.h"
#include "kit/numbers/uzaehlringe.h"
#include "kit/registration.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

// A page of the dossier: registered without form variable.
FD_REGISTER_FORM(TStammFirmenForm, nullptr);

namespace {

// The columns of FIRMEN the page writes. BEZEICHNUNG, the name the other modules read, follows
// the name lines.
const char *const kWritten =
    "KURZBEZEICHNUNG, NAME1, NAME2, NAME3, BEZEICHNUNG, LAND, PLZ, ORT, STRASSE, ADRESSENZUSATZ, TELEFON1, TELEFON2, "
    "TELEFAX, BEMERKUNGEN, EMAIL, NUMMER, HOMEPAGE, PERSON_ID, DC, DM, DD, ZUSATZ1, ZUSATZ2, VERTRETER_ID, "
    "KUNDE_SEIT, TYP, KENNZEICHEN";

struct FormLock
{
    explicit FormLock(TWin95Form *f) : form(f) { form->Lock(true); }
    ~FormLock() { form->Lock(false); }
    TWin95Form *form;
};

struct WaitCursor
{
    WaitCursor() { Systools::WaitCursor(); }
    ~WaitCursor() { Systools::RestoreCursor(); }
};

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QString::fromLatin1(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QToolButton *toolButton(QWidget *parent, const char *name, const QString &text, const QString &tip)
{
    auto *b = new QToolButton(parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(text);
    b->setToolTip(tip);
    return b;
}

QString joinedNames(const QString &n1, const QString &n2, const QString &n3)
{
    QStringList parts;
    for (const QString &n : {n1, n2, n3})
        if (!n.trimmed().isEmpty())
            parts << n.trimmed();
    return parts.join(QLatin1Char(' ')).left(128);
}

} // namespace

void TStammFirmenForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Betriebsmappe - Stammdaten");
    m.Hint = QStringLiteral("Öffnet das Formular zur Verwaltung der Stammdaten");
    m.Security = fsAll;
    m.LinkedTools = QStringLiteral("ToolsToolbar");
}

TStammFirmenForm::TStammFirmenForm(QWidget *parent) : kit::RecordForm(parent)
{
    setObjectName(QStringLiteral("StammFirmenForm"));
    Describe(*FMI);
    setWindowTitle(QStringLiteral("Stammdaten"));
    setupDataSets();
    buildUi();
}

TStammFirmenForm::~TStammFirmenForm() = default;

void TStammFirmenForm::setupDataSets()
{
    Firma = new db::DataSet(this);
    Firma->setObjectName(QStringLiteral("Firma"));
    const QString select = QStringLiteral(
        "select F.ID, F.KURZBEZEICHNUNG, F.NAME1, F.NAME2, F.NAME3, F.BEZEICHNUNG, F.LAND, F.PLZ, F.ORT, F.STRASSE, "
        "F.ADRESSENZUSATZ, F.TELEFON1, F.TELEFON2, F.TELEFAX, F.BEMERKUNGEN, F.EMAIL, F.NUMMER, F.HOMEPAGE, F.PERSON_ID, "
        "F.DC, F.DM, F.DD, F.ZUSATZ1, F.ZUSATZ2, F.VERTRETER_ID, F.KUNDE_SEIT, F.TYP, F.KENNZEICHEN, "
        "P.PERSONEN_NAME as PERSNAME, P.TELEFON1 as DURCHWAHL, V.PERSONEN_NAME as VERTRETER "
        "from FIRMEN F left join PERSON P on P.ID = F.PERSON_ID left join PERSON V on V.ID = F.VERTRETER_ID ");
    Firma->setSelectSql(select + QStringLiteral("where F.ID = :FID and F.DD is NULL"));
    Firma->setRefreshSql(select + QStringLiteral("where F.ID = :ID"));
    const QString cols = QString::fromLatin1(kWritten);
    // A new row goes in without key: the database assigns it and the page finds the row again.
    kit::SetWriteSql(Firma, QStringLiteral("FIRMEN"), cols);
    Firma->setParam(QStringLiteral("FID"), QVariant(qlonglong(0)));
    Firma->props(QStringLiteral("KUNDE_SEIT")).setText = kit::DateFieldSetter(QStringLiteral("Kunde seit"));

    SqlSave = new db::Query(nullptr, TransRead, this);
    SqlSave->setObjectName(QStringLiteral("SqlSave"));
    SqlSave->setSql(QStringLiteral("select first 1 ID from FIRMEN where NUMMER is not distinct from :NUMMER and DC = :DC "
                                   "and TYP = :TYP order by ID desc"));
    SqlCheck = new db::Query(nullptr, TransRead, this);
    SqlCheck->setObjectName(QStringLiteral("SqlCheck"));
    SqlCheck->setSql(QStringLiteral("select ID from FIRMEN where NUMMER = :NUMMER and (TYP = :TYP or TYP = -:TYP)"));

    QAnsprechPartner = new db::DataSet(this);
    QAnsprechPartner->setObjectName(QStringLiteral("QAnsprechPartner"));
    QAnsprechPartner->setSelectSql(QStringLiteral(
        "select ID, cast(PERSONEN_NAME as varchar(82)) as NAME, "
        "cast(coalesce(PLZ, '') || ' ' || coalesce(ORT, '') || ', ' || coalesce(STRASSE, '') as varchar(90)) as ADRESSE "
        "from PERSON where TYP = :TYP and DD is NULL order by 2"));
    QAnsprechPartner->setParam(QStringLiteral("TYP"), QVariant(qlonglong(3)));

    setDataSets(nullptr, Firma);
    // Deleting archives the company instead.
    Firma->beforeDelete = [this](db::DataSet &) {
        if (!GetLocked())
            archive();
        throw db::Abort();
    };
    connect(Firma, &db::DataSet::currentChanged, this, [this]() { setupPostalCode(); });
    connect(Firma, &db::DataSet::reset, this, [this]() { setupPostalCode(); });
}

void TStammFirmenForm::buildUi()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    ToolsToolbar = new QToolBar(this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    Navigator = new TExtNavigator(this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    Navigator->setVisibleButtons((1 << TExtNavigator::nbInsert) | (1 << TExtNavigator::nbDelete) | (1 << TExtNavigator::nbEdit)
                                 | (1 << TExtNavigator::nbPost) | (1 << TExtNavigator::nbCancel)
                                 | (1 << TExtNavigator::nbRefresh));
    ToolsToolbar->addWidget(Navigator);
    root->addWidget(ToolsToolbar);

    auto *body = new QWidget(this);
    auto *g = new QGridLayout(body);
    g->setContentsMargins(4, 4, 4, 4);
    edKurzname = lineEdit(body, "edKurzname", 40);
    edName1 = lineEdit(body, "edName1", 40);
    edName2 = lineEdit(body, "edName2", 40);
    edName3 = lineEdit(body, "edName3", 40);
    edNummer = lineEdit(body, "edNummer", 10);
    cbFirmentyp = new QComboBox(body);
    cbFirmentyp->setObjectName(QStringLiteral("cbFirmentyp"));
    lbZusatz1 = new QLabel(QStringLiteral("Zusatz 1"), body);
    lbZusatz1->setObjectName(QStringLiteral("lbZusatz1"));
    lbZusatz2 = new QLabel(QStringLiteral("Zusatz 2"), body);
    lbZusatz2->setObjectName(QStringLiteral("lbZusatz2"));
    edZusatz1 = lineEdit(body, "edZusatz1", 60);
    edZusatz2 = lineEdit(body, "edZusatz2", 60);
    edStrasse = lineEdit(body, "edStrasse", 40);
    edLand = lineEdit(body, "edLand", 5);
    edLand->setMaximumWidth(55);
    edPlz = lineEdit(body, "edPlz", 7);
    edPlz->setMaximumWidth(80);
    edOrt = lineEdit(body, "edOrt", 40);
    meAdresszusatz = new QPlainTextEdit(body);
    meAdresszusatz->setObjectName(QStringLiteral("meAdresszusatz"));
    meAdresszusatz->setMaximumHeight(52);
    edTelefon1 = lineEdit(body, "edTelefon1", 40);
    edTelefon2 = lineEdit(body, "edTelefon2", 40);
    edTelefax = lineEdit(body, "edTelefax", 40);
    edEmail = lineEdit(body, "edEmail", 128);
    edHomepage = lineEdit(body, "edHomepage", 128);
    edAnsprechpartner = lineEdit(body, "edAnsprechpartner", 82);
    edAnsprechpartner->setReadOnly(true);
    edDurchwahl = lineEdit(body, "edDurchwahl", 40);
    edDurchwahl->setReadOnly(true);
    edVertreter = lineEdit(body, "edVertreter", 82);
    edVertreter->setReadOnly(true);
    edKundeSeit = lineEdit(body, "edKundeSeit", 10);
    edKundeSeit->setMaximumWidth(100);
    edKundeSeit->setPlaceholderText(QStringLiteral("TT.MM.JJJJ"));
    cbFavorit = new QCheckBox(QStringLiteral("Favorit"), body);
    cbFavorit->setObjectName(QStringLiteral("cbFavorit"));
    sbEmail = toolButton(body, "sbEmail", QStringLiteral("e-Mail"), QStringLiteral("E-Mail an diese Adresse schreiben"));
    sbHomepage = toolButton(body, "sbHomepage", QStringLiteral("Homepage"), QStringLiteral("Homepage öffnen"));
    sbAnsprechp = toolButton(body, "sbAnsprechp", QStringLiteral("Ansprechp."), QStringLiteral("Ansprechpartner öffnen"));
    sbAnsprechpWahl = toolButton(body, "sbAnsprechpWahl", QStringLiteral("\u2026"), QStringLiteral("Ansprechpartner wählen"));
    sbVertreter = toolButton(body, "sbVertreter", QStringLiteral("Vertreter"), QStringLiteral("Vertreter öffnen"));
    sbVertreterWahl = toolButton(body, "sbVertreterWahl", QStringLiteral("\u2026"), QStringLiteral("Vertreter wählen"));
    for (QToolButton *b : {sbEmail, sbHomepage, sbAnsprechp, sbVertreter})
        b->setMinimumWidth(80);
    meBemerkungen = new QPlainTextEdit(body);
    meBemerkungen->setObjectName(QStringLiteral("meBemerkungen"));

    int r = 0;
    auto label = [&](const QString &t) { return new QLabel(t, body); };
    g->addWidget(label(QStringLiteral("Kurzname")), r, 0);
    g->addWidget(edKurzname, r, 1);
    g->addWidget(label(QStringLiteral("Nummer")), r, 2);
    g->addWidget(edNummer, r, 3);
    ++r;
    g->addWidget(label(QStringLiteral("Name")), r, 0);
    g->addWidget(edName1, r, 1);
    g->addWidget(label(QStringLiteral("Firmentyp")), r, 2);
    g->addWidget(cbFirmentyp, r, 3);
    ++r;
    g->addWidget(edName2, r, 1);
    g->addWidget(lbZusatz1, r, 2);
    g->addWidget(edZusatz1, r, 3);
    ++r;
    g->addWidget(edName3, r, 1);
    g->addWidget(lbZusatz2, r, 2);
    g->addWidget(edZusatz2, r, 3);
    ++r;
    g->addWidget(label(QStringLiteral("Straße")), r, 0);
    g->addWidget(edStrasse, r, 1);
    g->addWidget(label(QStringLiteral("Telefon 1")), r, 2);
    g->addWidget(edTelefon1, r, 3);
    ++r;
    g->addWidget(label(QStringLiteral("Land/ PLZ/ Ort")), r, 0);
    auto *addr = new QHBoxLayout;
    addr->addWidget(edLand);
    addr->addWidget(edPlz);
    addr->addWidget(edOrt, 1);
    g->addLayout(addr, r, 1);
    g->addWidget(label(QStringLiteral("Telefon 2")), r, 2);
    g->addWidget(edTelefon2, r, 3);
    ++r;
    g->addWidget(label(QStringLiteral("Adresszusatz")), r, 0, Qt::AlignTop);
    g->addWidget(meAdresszusatz, r, 1, 2, 1);
    g->addWidget(label(QStringLiteral("Fax")), r, 2);
    g->addWidget(edTelefax, r, 3);
    ++r;
    g->addWidget(sbEmail, r, 2);
    g->addWidget(edEmail, r, 3);
    ++r;
    g->addWidget(sbAnsprechp, r, 0);
    auto *ap = new QHBoxLayout;
    ap->addWidget(edAnsprechpartner, 1);
    ap->addWidget(sbAnsprechpWahl);
    g->addLayout(ap, r, 1);
    g->addWidget(sbHomepage, r, 2);
    g->addWidget(edHomepage, r, 3);
    ++r;
    g->addWidget(label(QStringLiteral("Durchwahl")), r, 0);
    g->addWidget(edDurchwahl, r, 1);
    g->addWidget(label(QStringLiteral("Kunde seit")), r, 2);
    auto *ks = new QHBoxLayout;
    ks->addWidget(edKundeSeit);
    ks->addStretch(1);
    ks->addWidget(cbFavorit);
    g->addLayout(ks, r, 3);
    ++r;
    g->addWidget(sbVertreter, r, 0);
    auto *vt = new QHBoxLayout;
    vt->addWidget(edVertreter, 1);
    vt->addWidget(sbVertreterWahl);
    g->addLayout(vt, r, 1);
    ++r;
    g->addWidget(label(QStringLiteral("Notizen")), r, 0, Qt::AlignTop);
    g->addWidget(meBemerkungen, r, 1, 1, 3);
    g->setRowStretch(r, 1);
    g->setColumnStretch(1, 3);
    g->setColumnStretch(3, 2);
    root->addWidget(body, 1);

    Binder = new db::FieldBinder(Firma, this);
    const struct { QWidget *w; const char *f; } binds[] = {
        {edKurzname, "KURZBEZEICHNUNG"}, {edName1, "NAME1"}, {edName2, "NAME2"}, {edName3, "NAME3"}, {edNummer, "NUMMER"},
        {cbFirmentyp, "TYP"}, {edZusatz1, "ZUSATZ1"}, {edZusatz2, "ZUSATZ2"}, {edStrasse, "STRASSE"}, {edLand, "LAND"},
        {edPlz, "PLZ"}, {edOrt, "ORT"}, {meAdresszusatz, "ADRESSENZUSATZ"}, {edTelefon1, "TELEFON1"},
        {edTelefon2, "TELEFON2"}, {edTelefax, "TELEFAX"}, {edEmail, "EMAIL"}, {edHomepage, "HOMEPAGE"},
        {edAnsprechpartner, "PERSNAME"}, {edDurchwahl, "DURCHWAHL"}, {edVertreter, "VERTRETER"},
        {edKundeSeit, "KUNDE_SEIT"}, {cbFavorit, "KENNZEICHEN"}, {meBemerkungen, "BEMERKUNGEN"},
    };
    for (const auto &b : binds)
        Binder->bind(b.w, QString::fromLatin1(b.f));

    using kit::InputFilter;
    using kit::InputKind;
    InputFilter::install(edTelefon1, InputKind::TelefonBlank);
    InputFilter::install(edTelefax, InputKind::TelefonBlank);
    InputFilter::install(edLand, InputKind::Land);
    // As in the company register, an empty country counts as Germany for the postal code.
    InputFilter::install(edPlz, InputKind::Plz, [this]() { return edLand->text(); }, {.emptyCountryIsGermany = true});
    InputFilter::install(edKundeSeit, InputKind::Datum);
    connect(edLand, &QLineEdit::textEdited, this, [this]() { setupPostalCode(); });
    connect(edKundeSeit, &QLineEdit::editingFinished, this, [this]() {
        if (edKundeSeit->text().trimmed().isEmpty() || kit::FormatDatum(edKundeSeit))
            return;
        Binder->refresh();
    });
    connect(cbFirmentyp, &QComboBox::activated, this, [this](int i) {
        if (!Firma->isOpen() || Firma->recNo() < 0)
            return;
        if (!Firma->isEditing())
            Firma->edit();
        Firma->fieldByName(QStringLiteral("TYP")).setValue(cbFirmentyp->itemData(i));
    });

    auto guarded = [this](const char *ctx, std::function<void()> fn) {
        return [this, ctx, fn]() {
            try {
                fn();
            } catch (...) {
                Systools::HandleException(QStringLiteral("TStammFirmenForm.") + QLatin1String(ctx), this, false);
            }
        };
    };
    connect(sbAnsprechpWahl, &QToolButton::clicked, this, guarded("sbAnsprechpWahlClick", [this]() { PickPerson(3); }));
    connect(sbVertreterWahl, &QToolButton::clicked, this, guarded("sbVertreterWahlClick", [this]() { PickPerson(1); }));
    connect(sbAnsprechp, &QToolButton::clicked, this,
            guarded("sbAnsprechpClick", [this]() { OpenPerson(QStringLiteral("PERSON_ID")); }));
    connect(sbVertreter, &QToolButton::clicked, this,
            guarded("sbVertreterClick", [this]() { OpenPerson(QStringLiteral("VERTRETER_ID")); }));
    connect(sbEmail, &QToolButton::clicked, this, &TStammFirmenForm::SendMail);
    connect(sbHomepage, &QToolButton::clicked, this, &TStammFirmenForm::OpenHomepage);

    setBinder(Binder);
    setNavigator(Navigator);
    setCharacteristicFields(lbZusatz1, edZusatz1, lbZusatz2, edZusatz2);
    addPickButton(sbAnsprechpWahl);
    addPickButton(sbVertreterWahl);
    resize(640, 420);
}

// ---- lifecycle ----

void TStammFirmenForm::OpenDataSets()
{
    Firma->setParam(QStringLiteral("FID"), QVariant(qlonglong(m_firmenId)));
    Firma->open();
    QAnsprechPartner->setTransaction(TransRead);
}

void TStammFirmenForm::LoadLookups()
{
    Dm::DatenModul()->GetStrings(QStringLiteral("APP$FIRMENTYP"), FirmenTypen, 0);
    {
        QSignalBlocker b(cbFirmentyp);
        cbFirmentyp->clear();
        for (int i = 0; i < FirmenTypen.Count(); ++i)
            cbFirmentyp->addItem(FirmenTypen.Strings(i), FirmenTypen.Objects(i));
    }
    Binder->refresh();
}

void TStammFirmenForm::FMIGlobalChanged(TFormModuleInfo *sender, int flags)
{
    kit::RecordForm::FMIGlobalChanged(sender, flags);
    edNummer->setReadOnly(!User::IsPrivileged());
    edNummer->setEnabled(User::IsPrivileged());
}

void TStammFirmenForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    auto isInt = [](const QVariant &v) {
        return v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::UInt
               || v.typeId() == QMetaType::ULongLong;
    };
    if (last >= 1 && args.size() > 1 && isInt(args.at(1)))
        setFirmen_Typ(args.at(1).toInt());
    if (last >= 0 && !args.isEmpty() && isInt(args.at(0)))
        setFirmen_ID(args.at(0).toLongLong());
}

void TStammFirmenForm::showEvent(QShowEvent *e)
{
    kit::RecordForm::showEvent(e);
    if (!m_typSet && isCreated())
        Modinfo::NotifyGlobalChanged(this, 0xFFFF);
}

// ---- company ----

QWidget *TStammFirmenForm::container() const
{
    for (QWidget *w = parentWidget(); w; w = w->parentWidget())
        if (qobject_cast<TWin95Form *>(w))
            return w;
    return nullptr;
}

int TStammFirmenForm::NewCompanyType() const
{
    // One type for the number's sub-range and for TYP: the page's own type when it was given,
    // else the type of the company the containing form shows.
    if (m_typSet)
        return qAbs(m_firmenTyp);
    if (QWidget *c = container())
        if (Systools::HasProperty(c, QStringLiteral("FirmenTyp")))
            return int(qAbs(Systools::GetCompOrdProp(c, QStringLiteral("FirmenTyp"))));
    return qAbs(m_firmenTyp);
}

void TStammFirmenForm::setFirmen_Typ(int typ)
{
    m_typSet = true;
    if (typ == m_firmenTyp)
        return;
    m_firmenTyp = typ;
    if (!isCreated())
        return;
    Save();
    reopen();
}

void TStammFirmenForm::SetCompany(qint64 value)
{
    if (m_telling && value == m_firmenId)
        return;
    if (!isCreated()) {
        if (value > 0)
            m_firmenId = value;
        return;
    }
    WaitCursor wait;
    setEnabled(false);
    struct Enable { QWidget *w; ~Enable() { w->setEnabled(true); } } enable{this};
    Save();
    if (value > 0) {
        m_firmenId = value;
        reopen();
    } else if (value == -3) {
        m_firmenId = 0;
        reopen();
        if (!FMI->ReadOnly())
            Firma->append();
    } else {
        reopen();
    }
    edKurzname->setFocus();
}

void TStammFirmenForm::reopen()
{
    FormLock lock(this);
    if (Firma->isEditing())
        Firma->cancel();
    Firma->close();
    Firma->setParam(QStringLiteral("FID"), QVariant(qlonglong(m_firmenId)));
    Firma->open();
    setupPostalCode();
}

void TStammFirmenForm::Save()
{
    if (!Firma->isOpen() || !Firma->isEditing())
        return;
    WaitCursor wait;
    Binder->flush();
    if (Firma->state() == db::DataSet::Edit) {
        Firma->post();
        return;
    }
    const QDateTime dc = QDateTime::currentDateTime();
    Firma->fieldByName(QStringLiteral("DC")).setValue(dc);
    Firma->fieldByName(QStringLiteral("TYP")).setValue(QVariant(qlonglong(NewCompanyType())));
    Firma->post();
    const QVariant nummer = Firma->fieldByName(QStringLiteral("NUMMER")).value();
    const QVariant typ = Firma->fieldByName(QStringLiteral("TYP")).value();
    const QVariant savedDc = Firma->fieldByName(QStringLiteral("DC")).value();
    Firma->close();
    TransRead->ensureStarted();
    SqlSave->close();
    SqlSave->setParam(QStringLiteral("NUMMER"), nummer);
    SqlSave->setParam(QStringLiteral("DC"), savedDc);
    SqlSave->setParam(QStringLiteral("TYP"), typ);
    SqlSave->open();
    const qint64 id = SqlSave->eof() ? 0 : SqlSave->value(0).toLongLong();
    SqlSave->close();
    m_firmenId = id;
    reopen();
    tellContainer(id);
}

void TStammFirmenForm::tellContainer(qint64 value)
{
    QWidget *c = container();
    if (!c || !Systools::HasProperty(c, QStringLiteral("Firmen_ID")))
        return;
    m_telling = true;
    try {
        Systools::SetCompOrdProp(c, QStringLiteral("Firmen_ID"), value);
    } catch (...) {
        m_telling = false;
        throw;
    }
    m_telling = false;
}

void TStammFirmenForm::archive()
{
    if (!Firma->isOpen() || Firma->recordCount() == 0 || Firma->state() == db::DataSet::Insert)
        return;
    if (!Firma->isEditing())
        Firma->edit();
    db::Field typ = Firma->fieldByName(QStringLiteral("TYP"));
    typ.setValue(QVariant(qlonglong(-qAbs(typ.value().toLongLong()))));
    Firma->post();
    Firma->close();
    m_firmenId = 0;
    tellContainer(-4);
}

void TStammFirmenForm::NewRecord(db::DataSet &ds)
{
    const int typ = NewCompanyType();
    // The number is drawn at once and stays used when the new company is dropped.
    const QString nr = TDMZaehlringe::instance()->GetNumber(QStringLiteral("firmen"), true, QDateTime::currentDateTime(), typ);
    if (!nr.isEmpty())
        ds.fieldByName(QStringLiteral("NUMMER")).setValue(nr);
    ds.fieldByName(QStringLiteral("TYP")).setValue(QVariant(qlonglong(typ)));
    ds.fieldByName(QStringLiteral("LAND")).setValue(QStringLiteral("D"));
}

void TStammFirmenForm::BeforePost(db::DataSet &ds)
{
    auto f = [&ds](const char *n) { return ds.fieldByName(QString::fromLatin1(n)); };
    for (const char *n : {"KURZBEZEICHNUNG", "NAME1", "NAME2", "NAME3", "STRASSE", "ORT"}) {
        db::Field fld = f(n);
        const QString t = fld.asString().trimmed();
        if (t != fld.asString())
            fld.setValue(t.isEmpty() ? QVariant() : QVariant(t));
    }
    const QString names = joinedNames(f("NAME1").asString(), f("NAME2").asString(), f("NAME3").asString());
    const bool changed = ds.state() == db::DataSet::Insert || f("NAME1").value() != f("NAME1").oldValue()
                         || f("NAME2").value() != f("NAME2").oldValue() || f("NAME3").value() != f("NAME3").oldValue();
    if (!names.isEmpty() && (changed || f("BEZEICHNUNG").asString().isEmpty()))
        f("BEZEICHNUNG").setValue(names);
    else if (f("BEZEICHNUNG").asString().isEmpty() && !f("KURZBEZEICHNUNG").asString().isEmpty())
        f("BEZEICHNUNG").setValue(f("KURZBEZEICHNUNG").asString());
}

void TStammFirmenForm::NavigatorClick(int button, bool &handled)
{
    switch (button) {
    case TExtNavigator::nbInsert:
        handled = true;
        SetCompany(-3);
        return;
    case TExtNavigator::nbEdit:
        if (Firma->isOpen() && Firma->recordCount() > 0 && !Firma->isEditing())
            Firma->edit();
        handled = true;
        edKurzname->setFocus();
        return;
    case TExtNavigator::nbPost:
        handled = true;
        Save();
        tellContainer(-4);
        return;
    case TExtNavigator::nbRefresh:
        handled = true;
        Save();
        reopen();
        return;
    default:
        return;
    }
}

void TStammFirmenForm::setupPostalCode()
{
    const QString land = edLand->text().trimmed();
    const bool german = land.isEmpty() || land.compare(QLatin1String("D"), Qt::CaseInsensitive) == 0;
    edPlz->setMaxLength(german ? 5 : 7);
}

void TStammFirmenForm::SetName(const QString &text)
{
    if (!Firma->isOpen() || (Firma->recordCount() == 0 && !Firma->isEditing()) || FMI->ReadOnly())
        return;
    if (!Firma->isEditing())
        Firma->edit();
    const QString t = text.trimmed();
    int at = t.indexOf(QLatin1Char(','));
    if (at < 0)
        at = t.indexOf(QLatin1Char(' '));
    if (at >= 0) {
        Firma->fieldByName(QStringLiteral("KURZBEZEICHNUNG")).setValue(t.left(at).trimmed().left(40));
        Firma->fieldByName(QStringLiteral("NAME1")).setValue(t.mid(at + 1).trimmed().left(40));
    } else {
        Firma->fieldByName(QStringLiteral("NAME1")).setValue(t.left(40));
    }
    Binder->refresh();
}

// ---- persons ----

void TStammFirmenForm::PickPerson(int personTyp)
{
    if (FMI->ReadOnly() || !Firma->isOpen() || (Firma->recordCount() == 0 && !Firma->isEditing()))
        return;
    const bool contact = personTyp == 3;
    const QString idField = contact ? QStringLiteral("PERSON_ID") : QStringLiteral("VERTRETER_ID");
    QAnsprechPartner->close();
    QAnsprechPartner->setTransaction(TransRead);
    QAnsprechPartner->setParam(QStringLiteral("TYP"), QVariant(qlonglong(personTyp)));
    QAnsprechPartner->open();
    const QVariant current = Firma->fieldByName(idField).value();
    if (!current.isNull())
        QAnsprechPartner->locate(QStringLiteral("ID"), current);
    QWidget *at = contact ? edAnsprechpartner : edVertreter;
    if (!Suchtool::PopupSuchForm(0, at->height(), at, 0, QAnsprechPartner, QStringLiteral("NAME"), 5))
        return;
    if (QAnsprechPartner->recNo() < 0)
        return;
    if (!Firma->isEditing())
        Firma->edit();
    Firma->fieldByName(idField).setValue(QAnsprechPartner->fieldByName(QStringLiteral("ID")).value());
    Firma->fieldByName(contact ? QStringLiteral("PERSNAME") : QStringLiteral("VERTRETER"))
        .setValue(QAnsprechPartner->fieldByName(QStringLiteral("NAME")).value());
    Binder->refresh();
}

void TStammFirmenForm::OpenPerson(const QString &field)
{
    if (!Firma->isOpen() || Firma->recNo() < 0 || Firma->recordCount() == 0)
        return;
    const qint64 id = Firma->fieldByName(field).value().toLongLong();
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TPersonForm"), {QVariant(int(id))}, 0);
}

void TStammFirmenForm::SendMail()
{
    kit::OpenMail(edEmail->text());
}

void TStammFirmenForm::OpenHomepage()
{
    kit::OpenWeb(edHomepage->text());
}
