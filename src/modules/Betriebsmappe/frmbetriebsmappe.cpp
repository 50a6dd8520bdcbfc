#include "frmbetriebsmappe.h"

#include "pageconfig.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/checklist.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "kit/registration.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QFrame>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QListView>
#include <QListWidget>
#include <QMenuBar>
#include <QMetaProperty>
#include <QShortcut>
#include <QSplitter>
#include <QStackedWidget>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QVBoxLayout>

TFrmBetriebsmappe *FrmBetriebsmappe = nullptr;

FD_REGISTER_FORM(TFrmBetriebsmappe, &FrmBetriebsmappe);

namespace {

const QString kCtx = QStringLiteral("Betriebsmappe.");
const QString kArchived = QStringLiteral("Archivierte Firmen");
const QString kActive = QStringLiteral("Aktive Firmen");
const QString kNotLoaded = QStringLiteral("Formular konnte nicht geladen werden");
const QString kNoFirmenId = QStringLiteral("Form muß ein TWin95Form sein und eine published Property \"Firmen_ID: Integer\" besitzen.");

constexpr int kSwitchDelay = 500;
constexpr int kSearchReset = 1000;

struct WaitCursor
{
    WaitCursor() { Systools::WaitCursor(); }
    ~WaitCursor() { Systools::RestoreCursor(); }
};

// Reports the exception being handled into the protocol without a message box: the dossier
// always stays usable.
void quietReport(const QString &context, QObject *sender) { Systools::HandleException(kCtx + context, sender, true); }

bool hasIntegerProperty(const QObject *o, const char *name)
{
    const int i = o->metaObject()->indexOfProperty(name);
    if (i < 0)
        return false;
    const QMetaProperty p = o->metaObject()->property(i);
    switch (p.metaType().id()) {
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
    case QMetaType::Short:
        return p.isWritable();
    default:
        return false;
    }
}

QVariantList toArgs(const QStringList &params)
{
    QVariantList args;
    for (const QString &p : params)
        args << p;
    return args;
}

} // namespace

// ---- picker model ----

QVariant TCompanyListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_ids.size())
        return QVariant();
    if (role == Qt::DisplayRole)
        return m_texts.at(index.row());
    if (role == Qt::UserRole)
        return m_ids.at(index.row());
    return QVariant();
}

void TCompanyListModel::setEntries(QVector<QString> texts, QVector<qint64> ids)
{
    beginResetModel();
    m_texts = std::move(texts);
    m_ids = std::move(ids);
    endResetModel();
}

// ---- form ----

void TFrmBetriebsmappe::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Betriebsmappe");
    m.Hint = QStringLiteral("Zeigt eine Firma mit ihren Stammdaten, Artikeln, Materialien und Fehlern");
    m.Security = fsAll;
}

TFrmBetriebsmappe::TFrmBetriebsmappe(QWidget *parent) : TWin95Form(parent)
{
    setObjectName(QStringLiteral("FrmBetriebsmappe"));
    FMI = new TFormModuleInfo(this);
    Describe(*FMI);
    FMI->OnExecute = [this](TFormModuleInfo *s, QWidget *f, const QVariantList &a, int last) { FMIExecute(s, f, a, last); };
    FMI->OnGlobalChanged = [this](TFormModuleInfo *s, int flags) { FMIGlobalChanged(s, flags); };
    setWindowTitle(QStringLiteral("Betriebsmappe"));
    TransRead = new db::Transaction(nullptr, db::Transaction::readParams(), this);
    TransRead->setObjectName(QStringLiteral("TransRead"));

    dtsList = new db::Query(nullptr, TransRead, this);
    dtsList->setObjectName(QStringLiteral("dtsList"));
    // Companies typed with a short name only are listed by it.
    dtsList->setSql(QStringLiteral(
        "select cast(coalesce(nullif(trim(coalesce(F.NAME1, '') || ' ' || coalesce(F.NAME2, '')), ''), F.KURZBEZEICHNUNG) "
        "as varchar(82)) as NAME, F.ID, F.TYP, coalesce(F.KENNZEICHEN, 0) as KENNZEICHEN from FIRMEN F @@where@ order by 1"));
    qryListCount = new db::Query(nullptr, TransRead, this);
    qryListCount->setObjectName(QStringLiteral("qryListCount"));
    qryListCount->setSql(QStringLiteral("select count(*) from FIRMEN F @@where@"));
    sqlSelect = new db::Query(nullptr, TransRead, this);
    sqlSelect->setObjectName(QStringLiteral("sqlSelect"));
    // A company deleted meanwhile counts as gone.
    sqlSelect->setSql(QStringLiteral(
        "select first 1 ID, KURZBEZEICHNUNG, "
        "cast(trim(coalesce(NAME1, '') || ' ' || coalesce(NAME2, '') || ' ' || coalesce(NAME3, '')) as varchar(124)) as BEZEICHNUNG, "
        "LAND, PLZ, ORT, STRASSE, AKTENZEICHEN, TELEFON1, NUMMER, TYP, KENNZEICHEN from FIRMEN where ID = :FID and DD is NULL"));
    dtsFilter = new db::Query(nullptr, TransRead, this);
    dtsFilter->setObjectName(QStringLiteral("dtsFilter"));
    dtsFilter->setSql(QStringLiteral("select ID, BEZEICHNUNG, SQLTEXT, GLYPH from APP$FILTER where AKTIV = 1 and GRUPPE = 1 "
                                     "order by SORTIERUNG"));

    tmSwitch = new QTimer(this);
    tmSwitch->setObjectName(QStringLiteral("tmSwitch"));
    tmSwitch->setSingleShot(true);
    tmSwitch->setInterval(kSwitchDelay);
    connect(tmSwitch, &QTimer::timeout, this, &TFrmBetriebsmappe::switchToSelected);
    tmSearch = new QTimer(this);
    tmSearch->setObjectName(QStringLiteral("tmSearch"));
    tmSearch->setSingleShot(true);
    tmSearch->setInterval(kSearchReset);
    connect(tmSearch, &QTimer::timeout, this, [this]() { m_searchPrefix.clear(); });
    buildUi();
}

TFrmBetriebsmappe::~TFrmBetriebsmappe() = default;

void TFrmBetriebsmappe::buildUi()
{
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(4, 4, 4, 4);
    root->setSpacing(4);

    pnHeader = new QFrame(this);
    pnHeader->setObjectName(QStringLiteral("pnHeader"));
    pnHeader->setFrameShape(QFrame::StyledPanel);
    auto *hh = new QGridLayout(pnHeader);
    hh->setContentsMargins(8, 4, 8, 4);
    lbBezeichnung = new QLabel(pnHeader);
    lbBezeichnung->setObjectName(QStringLiteral("lbBezeichnung"));
    QFont big = lbBezeichnung->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.3);
    lbBezeichnung->setFont(big);
    lbAdresse = new QLabel(pnHeader);
    lbAdresse->setObjectName(QStringLiteral("lbAdresse"));
    lbTelefon = new QLabel(pnHeader);
    lbTelefon->setObjectName(QStringLiteral("lbTelefon"));
    lbNummer = new QLabel(pnHeader);
    lbNummer->setObjectName(QStringLiteral("lbNummer"));
    lbNummer->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    hh->addWidget(lbBezeichnung, 0, 0, 1, 2);
    hh->addWidget(lbNummer, 0, 2);
    hh->addWidget(lbAdresse, 1, 0);
    hh->addWidget(lbTelefon, 1, 1);
    hh->setColumnStretch(0, 3);
    hh->setColumnStretch(1, 2);
    root->addWidget(pnHeader);

    Splitter = new QSplitter(Qt::Horizontal, this);
    Splitter->setObjectName(QStringLiteral("Splitter"));
    Splitter->setChildrenCollapsible(false);
    root->addWidget(Splitter, 1);

    pnLeft = new QWidget(Splitter);
    pnLeft->setObjectName(QStringLiteral("pnLeft"));
    auto *lv = new QVBoxLayout(pnLeft);
    lv->setContentsMargins(0, 0, 0, 0);
    gbFirmen = new QGroupBox(QStringLiteral("Firmen"), pnLeft);
    gbFirmen->setObjectName(QStringLiteral("gbFirmen"));
    auto *gv = new QVBoxLayout(gbFirmen);
    gv->setContentsMargins(4, 4, 4, 4);
    auto *btnRow = new QHBoxLayout;
    btnFirma = new QToolButton(gbFirmen);
    btnFirma->setObjectName(QStringLiteral("btnFirma"));
    btnFirma->setToolTip(QStringLiteral("Firma in der Firmenverwaltung öffnen"));
    connect(btnFirma, &QToolButton::clicked, this, [this]() {
        if (m_firmenId > 0)
            Modinfo::CreateAndRunForm(QStringLiteral("TFirmaForm"), {QVariant(int(m_firmenId))}, 0);
    });
    btnWaehlen = new QToolButton(gbFirmen);
    btnWaehlen->setObjectName(QStringLiteral("btnWaehlen"));
    btnWaehlen->setText(QStringLiteral("Firma wählen"));
    btnWaehlen->setToolTip(QStringLiteral("Firma wählen (F8)"));
    btnWaehlen->setCheckable(true);
    btnWaehlen->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(btnWaehlen, &QToolButton::clicked, this, [this](bool on) { ShowPicker(on); });
    btnNeu = new QToolButton(gbFirmen);
    btnNeu->setObjectName(QStringLiteral("btnNeu"));
    btnNeu->setText(QStringLiteral("Neu"));
    btnNeu->setToolTip(QStringLiteral("Neue Firma anlegen"));
    connect(btnNeu, &QToolButton::clicked, this, [this]() { SetCompany(-3); });
    btnRow->addWidget(btnFirma);
    btnRow->addWidget(btnWaehlen, 1);
    btnRow->addWidget(btnNeu);
    gv->addLayout(btnRow);
    btnOptionen = new QToolButton(gbFirmen);
    btnOptionen->setObjectName(QStringLiteral("btnOptionen"));
    btnOptionen->setText(QStringLiteral("Firmentyp - "));
    btnOptionen->setToolTip(QStringLiteral("Auswahl der Firmen (F9)"));
    btnOptionen->setCheckable(true);
    btnOptionen->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    btnOptionen->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(btnOptionen, &QToolButton::clicked, this, [this](bool on) { ShowOptions(on); });
    gv->addWidget(btnOptionen);

    pnOptionen = new QFrame(gbFirmen);
    pnOptionen->setObjectName(QStringLiteral("pnOptionen"));
    pnOptionen->setFrameShape(QFrame::StyledPanel);
    auto *ov = new QVBoxLayout(pnOptionen);
    ov->setContentsMargins(4, 4, 4, 4);
    clKennzeichen = new TCheckList(pnOptionen);
    clKennzeichen->setObjectName(QStringLiteral("clKennzeichen"));
    TStrings kennz;
    kennz.AddObject(kArchived, 0);
    kennz.AddObject(kActive, 1);
    clKennzeichen->setItems(kennz);
    clKennzeichen->SetChecked(1, true);
    clKennzeichen->setFixedHeight(2 * clKennzeichen->sizeHintForRow(0) + 6);
    connect(clKennzeichen, &TCheckList::checkChanged, this, [this]() { boxesChanged(); });
    ov->addWidget(clKennzeichen);
    auto *fav = new QHBoxLayout;
    cbFavorit = new QCheckBox(QStringLiteral("Favorit"), pnOptionen);
    cbFavorit->setObjectName(QStringLiteral("cbFavorit"));
    cbNotFavorit = new QCheckBox(QStringLiteral("nicht Favorit"), pnOptionen);
    cbNotFavorit->setObjectName(QStringLiteral("cbNotFavorit"));
    cbFavorit->setChecked(true);
    cbNotFavorit->setChecked(true);
    connect(cbFavorit, &QCheckBox::toggled, this, [this]() { boxesChanged(); });
    connect(cbNotFavorit, &QCheckBox::toggled, this, [this]() { boxesChanged(); });
    fav->addWidget(cbFavorit);
    fav->addWidget(cbNotFavorit);
    ov->addLayout(fav);
    clFirmenTyp = new TCheckList(pnOptionen);
    clFirmenTyp->setObjectName(QStringLiteral("clFirmenTyp"));
    connect(clFirmenTyp, &TCheckList::checkChanged, this, [this]() { boxesChanged(); });
    ov->addWidget(clFirmenTyp);
    lbFilter = new QListWidget(pnOptionen);
    lbFilter->setObjectName(QStringLiteral("lbFilter"));
    connect(lbFilter, &QListWidget::currentRowChanged, this, [this]() { boxesChanged(); });
    ov->addWidget(lbFilter);
    pnOptionen->setVisible(false);
    gv->addWidget(pnOptionen);
    lv->addWidget(gbFirmen);

    stLeft = new QStackedWidget(pnLeft);
    stLeft->setObjectName(QStringLiteral("stLeft"));
    tvOptionen = new QTreeWidget(stLeft);
    tvOptionen->setObjectName(QStringLiteral("tvOptionen"));
    tvOptionen->setHeaderHidden(true);
    tvOptionen->setRootIsDecorated(true);
    connect(tvOptionen, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem *cur) {
        if (TOptionsNode *n = nodeOf(cur))
            setCurrentNode(n);
    });
    lvFirmen = new QListView(stLeft);
    lvFirmen->setObjectName(QStringLiteral("lvFirmen"));
    lvFirmen->setUniformItemSizes(true);
    lvFirmen->setEditTriggers(QAbstractItemView::NoEditTriggers);
    FirmenModel = new TCompanyListModel(this);
    lvFirmen->setModel(FirmenModel);
    lvFirmen->installEventFilter(this);
    connect(lvFirmen, &QListView::clicked, this, [this](const QModelIndex &i) { pickerRowChosen(i.row(), false); });
    connect(lvFirmen, &QListView::doubleClicked, this, [this](const QModelIndex &i) { pickerRowChosen(i.row(), true); });
    connect(lvFirmen->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &i) {
        if (i.isValid() && PickerVisible())
            tmSwitch->start();
    });
    stLeft->addWidget(tvOptionen);
    stLeft->addWidget(lvFirmen);
    lv->addWidget(stLeft, 1);

    pnPage = new QWidget(Splitter);
    pnPage->setObjectName(QStringLiteral("pnPage"));
    auto *pl = new QVBoxLayout(pnPage);
    pl->setContentsMargins(0, 0, 0, 0);
    Splitter->setStretchFactor(0, 0);
    Splitter->setStretchFactor(1, 1);
    pnLeft->setMinimumWidth(180);
    Splitter->setSizes({240, 760});

    auto *f8 = new QShortcut(QKeySequence(Qt::Key_F8), this);
    f8->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f8, &QShortcut::activated, this, [this]() { ShowPicker(!PickerVisible()); });
    auto *f9 = new QShortcut(QKeySequence(Qt::Key_F9), this);
    f9->setContext(Qt::WidgetWithChildrenShortcut);
    connect(f9, &QShortcut::activated, this, [this]() { ShowOptions(!OptionsVisible()); });
    resize(1020, 680);
}

// ---- lifecycle ----

void TFrmBetriebsmappe::FormCreate()
{
    m_filterId = -1;
    FirmenTypen.Clear();
    try {
        Dm::DatenModul()->SetupConnections(this, nullptr);
    } catch (...) {
        quietReport(QStringLiteral("FormCreate"), this);
    }
    loadFilterList();
    Modinfo::NotifyGlobalChanged(this, 0xFFFF);
    parseAndCreate();
    const int left = Cfg::GetCompValue(this, QStringLiteral("BPLeftWidth"), 0).toInt();
    if (left > 0) {
        const int total = qMax(width(), left + 300);
        Splitter->setSizes({left, total - left});
    }
    updateCompanyButton();
}

void TFrmBetriebsmappe::FormDestroy()
{
    try {
        saveSettings();
    } catch (...) {
        quietReport(QStringLiteral("FormDestroy"), this);
    }
    tmSwitch->stop();
    tmSearch->stop();
    FilterListe.Clear();
    FirmenTypen.Clear();
    // The pages go with the dossier, each through its own destroy handler. They are deleted
    // once control is back in the event loop: whoever is walking the list of open forms right
    // now (the host closing all windows) still holds them.
    for (TOptionsNode *n : std::as_const(m_nodes)) {
        if (n->Form) {
            QPointer<TWin95Form> f = n->Form;
            n->Form = nullptr;
            f->runDestroy();
            f->hide();
            f->setParent(nullptr);
            f->deleteLater();
        }
    }
    m_currentNode = nullptr;
    tvOptionen->clear();
    qDeleteAll(m_nodes);
    m_nodes.clear();
    if (TransRead->isActive()) {
        try {
            TransRead->commit();
        } catch (...) {
            try {
                TransRead->rollback();
            } catch (...) {
            }
            Systools::HandleException(QStringLiteral("TFrmBetriebsmappe.FormDestroy().TransRead"), this, true);
        }
    }
    if (FrmBetriebsmappe == this)
        FrmBetriebsmappe = nullptr;
}

void TFrmBetriebsmappe::saveSettings()
{
    if (m_firmenId > 0)
        Cfg::SetCompValue(this, QStringLiteral("Firmen_ID") + User::CurMandant_Name(), m_firmenId);
    Cfg::SetCompValue(this, QStringLiteral("BPLeftWidth"), pnLeft->width());
    auto ticked = [](TCheckList *cl) {
        QStringList out;
        for (int i = 0; i < cl->Count(); ++i)
            if (cl->Checked(i))
                out << cl->item(i)->text();
        return out;
    };
    Cfg::SetCompValue(this, QStringLiteral("CLKennzeichenCheck"), ticked(clKennzeichen));
    Cfg::SetCompValue(this, QStringLiteral("CLFirmenTypCheck"), ticked(clFirmenTyp));
    Cfg::SetCompValue(this, QStringLiteral("cbFavorit"), cbFavorit->isChecked());
    Cfg::SetCompValue(this, QStringLiteral("cbNotFavorit"), cbNotFavorit->isChecked());
}

void TFrmBetriebsmappe::loadSelectionSettings()
{
    m_updatingBoxes = true;
    auto tick = [](TCheckList *cl, const QVariant &v) {
        if (!v.isValid())
            return;
        const QStringList texts = v.toStringList();
        for (int i = 0; i < cl->Count(); ++i)
            cl->SetChecked(i, texts.contains(cl->item(i)->text()));
    };
    tick(clKennzeichen, Cfg::GetCompValue(this, QStringLiteral("CLKennzeichenCheck")));
    tick(clFirmenTyp, Cfg::GetCompValue(this, QStringLiteral("CLFirmenTypCheck")));
    cbFavorit->setChecked(Cfg::GetCompValue(this, QStringLiteral("cbFavorit"), true).toBool());
    cbNotFavorit->setChecked(Cfg::GetCompValue(this, QStringLiteral("cbNotFavorit"), true).toBool());
    m_updatingBoxes = false;
    // The rules for boxes that are all unticked hold for stored states as well; the list is read
    // by the caller.
    m_loadingSettings = true;
    boxesChanged();
    m_loadingSettings = false;
}

void TFrmBetriebsmappe::loadFilterList()
{
    m_filterIds.clear();
    m_filterSqls.clear();
    FilterListe.Clear();
    try {
        TransRead->ensureStarted();
        dtsFilter->close();
        for (dtsFilter->open(); !dtsFilter->eof(); dtsFilter->next()) {
            const QString sql = dtsFilter->value(2).toString();
            if (sql.trimmed().isEmpty())
                continue;
            FilterListe.AddObject(dtsFilter->value(1).toString(), dtsFilter->value(0).toLongLong());
            m_filterIds << dtsFilter->value(0).toLongLong();
            m_filterSqls << sql;
        }
        dtsFilter->close();
    } catch (...) {
        quietReport(QStringLiteral("LoadFilterList()"), this);
    }
}

void TFrmBetriebsmappe::FMIGlobalChanged(TFormModuleInfo *, int flags)
{
    if (isDestroying() || !(flags & 2))
        return;
    try {
        TStrings types;
        Dm::DatenModul()->GetStrings(QStringLiteral("APP$FIRMENTYP"), types, 1);
        FirmenTypen.Clear();
        for (int i = 0; i < types.Count(); ++i)
            if (types.Objects(i) >= 0)
                FirmenTypen.AddObject(types.Strings(i), types.Objects(i));
        const QList<qint64> keep = clFirmenTyp->CheckedObjects();
        m_updatingBoxes = true;
        clFirmenTyp->setItems(FirmenTypen);
        clFirmenTyp->SetCheckedObjects(keep);
        clFirmenTyp->setFixedHeight(qMax(1, FirmenTypen.Count()) * qMax(16, clFirmenTyp->sizeHintForRow(0)) + 6);
        // "ohne Filter" first, then the saved filters.
        lbFilter->clear();
        auto *none = new QListWidgetItem(QStringLiteral("ohne Filter"), lbFilter);
        none->setData(Qt::UserRole, qlonglong(-1));
        for (int i = 0; i < FilterListe.Count(); ++i) {
            auto *it = new QListWidgetItem(FilterListe.Strings(i), lbFilter);
            it->setData(Qt::UserRole, FilterListe.Objects(i));
        }
        lbFilter->setCurrentRow(0);
        const int rows = qMin(lbFilter->count(), 5);
        lbFilter->setFixedHeight(rows * qMax(16, lbFilter->sizeHintForRow(0)) + 6);
        lbFilter->setVisible(lbFilter->count() >= 2);
        m_filterId = -1;
        m_filterSql.clear();
        m_updatingBoxes = false;
        updateCompanyButton();
        if (m_firmenId > 0)
            readCompany(m_firmenId);
    } catch (...) {
        m_updatingBoxes = false;
        quietReport(QStringLiteral("FMIGlobalChanged"), this);
    }
}

void TFrmBetriebsmappe::parseAndCreate()
{
    try {
        TStrings lines;
        Dm::DatenModul()->GetGlobalStrings(QStringLiteral("Betriebsmappe"), lines, 5);
        const Betriebsmappe::PageConfig cfg =
            Betriebsmappe::ParsePageConfig(lines.Texts(), [](const QString &cls) { return Modinfo::IsFormPresent(cls); });
        m_addClass = cfg.addClass;
        QSignalBlocker block(tvOptionen);
        for (const Betriebsmappe::GroupDef &g : cfg.groups) {
            auto *group = new TOptionsNode(this);
            group->Group = true;
            group->Caption = g.caption;
            group->ImageIndex = g.picture;
            group->FormClassName = g.name();
            group->ParamsString = g.pages.first().params;
            group->Params = g.pages.first().args;
            m_nodes << group;
            auto *gi = new QTreeWidgetItem(tvOptionen, {g.caption});
            gi->setData(0, Qt::UserRole, QVariant::fromValue<QObject *>(group));
            gi->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
            for (const Betriebsmappe::PageDef &p : g.pages) {
                auto *page = new TOptionsNode(this);
                page->Caption = p.caption;
                page->FormClassName = p.className;
                page->ParamsString = p.params;
                page->Params = p.args;
                page->ImageIndex = g.picture;
                m_nodes << page;
                auto *pi = new QTreeWidgetItem(gi, {p.caption});
                pi->setData(0, Qt::UserRole, QVariant::fromValue<QObject *>(page));
                pi->setIcon(0, style()->standardIcon(QStyle::SP_FileIcon));
            }
            gi->setExpanded(true);
        }
    } catch (...) {
        quietReport(QStringLiteral("ParseAndCreate"), this);
    }
}

QList<TOptionsNode *> TFrmBetriebsmappe::Nodes() const { return m_nodes; }

TOptionsNode *TFrmBetriebsmappe::nodeOf(QTreeWidgetItem *item) const
{
    if (!item)
        return nullptr;
    return qobject_cast<TOptionsNode *>(item->data(0, Qt::UserRole).value<QObject *>());
}

// ---- arguments and properties ----

void TFrmBetriebsmappe::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    qint64 id = 0;
    bool haveId = false;
    QString page;
    for (int i = 0; i <= last && i < args.size() && i < 2; ++i) {
        const QVariant &a = args.at(i);
        if (a.typeId() == QMetaType::QString) {
            page = a.toString().trimmed();
        } else if (a.canConvert<qlonglong>()) {
            id = a.toLongLong();
            haveId = true;
        }
    }
    m_forCompany = haveId && id > 0;
    const qint64 lastId = Cfg::GetCompValue(this, QStringLiteral("Firmen_ID") + User::CurMandant_Name(), 0).toLongLong();
    if (!m_forCompany)
        loadSelectionSettings();
    RefillList();
    if (!m_forCompany)
        id = lastId > 0 ? lastId : firstCompany();
    SetCompany(id);
    if (!page.isEmpty())
        SearchAndExecute(page);
    else if (!m_currentNode && tvOptionen->topLevelItemCount() > 0)
        setCurrentNode(nodeOf(tvOptionen->topLevelItem(0)));
}

void TFrmBetriebsmappe::setFirmen_ID(qint64 id)
{
    // Values below -3 (a page saved or archived its company) keep the company and refresh.
    SetCompany(id);
}

void TFrmBetriebsmappe::setFirmenTyp(int typ)
{
    if (typ == m_typ)
        return;
    m_typ = typ;
    RefillList();
    SetCompany(firstCompany());
}

QString TFrmBetriebsmappe::FirmenTyp_Name() const { return FirmenTypen.TextOf(qAbs(m_typ)); }

void TFrmBetriebsmappe::setFavorit(int value)
{
    m_updatingBoxes = true;
    cbFavorit->setChecked(value != 0);
    cbNotFavorit->setChecked(value != 1);
    m_updatingBoxes = false;
    boxesChanged();
}

void TFrmBetriebsmappe::setFilter_ID(qint64 id)
{
    const int row = int(m_filterIds.indexOf(id));
    m_updatingBoxes = true;
    lbFilter->setCurrentRow(row >= 0 ? row + 1 : 0);
    m_updatingBoxes = false;
    boxesChanged();
}

// ---- company list ----

QString TFrmBetriebsmappe::WhereText() const
{
    QString w = QStringLiteral("where (F.DD is Null)");
    const bool archived = clKennzeichen->Checked(0);
    const bool active = clKennzeichen->Checked(1);
    if (archived && !active)
        w += QStringLiteral(" and (F.TYP <= 0)");
    else if (active && !archived)
        w += QStringLiteral(" and (F.TYP > 0)");
    if (m_favorit != -1)
        w += QStringLiteral(" and (COALESCE(F.KENNZEICHEN,0) = %1) ").arg(m_favorit);
    QStringList types;
    for (qint64 t : clFirmenTyp->CheckedObjects())
        types << QString::number(t);
    if (!types.isEmpty())
        w += QStringLiteral(" and (F.Typ in (%1)) ").arg(types.join(QLatin1Char(',')));
    if (!m_filterSql.trimmed().isEmpty())
        w += QLatin1Char(' ') + m_filterSql.trimmed();
    return w;
}

void TFrmBetriebsmappe::RefillList()
{
    QVector<QString> texts;
    QVector<qint64> ids;
    int count = 0;
    try {
        const QString where = WhereText();
        TransRead->ensureStarted();
        qryListCount->close();
        qryListCount->setMacro(QStringLiteral("where"), where);
        qryListCount->open();
        count = qryListCount->eof() ? 0 : qryListCount->value(0).toInt();
        qryListCount->close();
        texts.reserve(count);
        ids.reserve(count);
        dtsList->close();
        dtsList->setMacro(QStringLiteral("where"), where);
        for (dtsList->open(); !dtsList->eof(); dtsList->next()) {
            QString name = dtsList->value(0).toString();
            const int typ = dtsList->value(2).toInt();
            const qint64 kz = dtsList->value(3).toLongLong();
            QStringList flags;
            if (typ < 0)
                flags << QStringLiteral("A");
            if (kz & 4)
                flags << QStringLiteral("37");
            if (!flags.isEmpty())
                name += QStringLiteral(" (") + flags.join(QLatin1Char(';')) + QLatin1Char(')');
            texts.append(name);
            ids.append(dtsList->value(1).toLongLong());
        }
        dtsList->close();
    } catch (...) {
        quietReport(QStringLiteral("RefillList"), this);
    }
    FirmenModel->setEntries(std::move(texts), std::move(ids));
    gbFirmen->setTitle(QStringLiteral("Firmen (%1)").arg(count));
    m_listLoaded = true;
    const int row = FirmenModel->rowOf(m_firmenId);
    if (row >= 0) {
        QSignalBlocker b(lvFirmen->selectionModel());
        lvFirmen->setCurrentIndex(FirmenModel->index(row));
    }
}

qint64 TFrmBetriebsmappe::firstCompany()
{
    if (!m_listLoaded)
        RefillList();
    return FirmenModel->rowCount() > 0 ? FirmenModel->idAt(0) : 0;
}

void TFrmBetriebsmappe::boxesChanged()
{
    if (m_updatingBoxes)
        return;
    m_updatingBoxes = true;
    // Neither activity box: active companies. Neither favourite box: favourites.
    if (!clKennzeichen->Checked(0) && !clKennzeichen->Checked(1))
        clKennzeichen->SetChecked(1, true);
    if (!cbFavorit->isChecked() && !cbNotFavorit->isChecked())
        cbFavorit->setChecked(true);
    m_updatingBoxes = false;
    const bool fav = cbFavorit->isChecked(), notFav = cbNotFavorit->isChecked();
    m_favorit = fav && notFav ? -1 : (fav ? 1 : 0);
    const int frow = lbFilter->currentRow();
    m_filterId = frow > 0 ? m_filterIds.value(frow - 1, -1) : -1;
    m_filterSql = frow > 0 ? m_filterSqls.value(frow - 1) : QString();
    if (!isCreated() || isDestroying() || m_loadingSettings)
        return;
    ApplySelection();
}

void TFrmBetriebsmappe::ApplySelection()
{
    updateCompanyButton();
    RefillList();
    if (FirmenModel->rowOf(m_firmenId) < 0 && (m_firmenId > 0 || FirmenModel->rowCount() > 0))
        SetCompany(firstCompany());
}

void TFrmBetriebsmappe::updateCompanyButton()
{
    const bool archived = clKennzeichen->Checked(0);
    const bool active = clKennzeichen->Checked(1);
    QStyle::StandardPixmap pm = QStyle::SP_DirHomeIcon;
    if (archived && active)
        pm = QStyle::SP_DirLinkIcon;
    else if (archived)
        pm = QStyle::SP_TrashIcon;
    btnFirma->setIcon(style()->standardIcon(pm));
    btnFirma->setProperty("Glyph", archived && active ? 202 : (archived ? 201 : 200));
}

// ---- picker ----

void TFrmBetriebsmappe::ShowPicker(bool on)
{
    btnWaehlen->setChecked(on);
    if (!on) {
        stLeft->setCurrentWidget(tvOptionen);
        return;
    }
    ShowOptions(false);
    RefillList();
    stLeft->setCurrentWidget(lvFirmen);
    const int row = FirmenModel->rowOf(m_firmenId);
    if (row >= 0) {
        QSignalBlocker b(lvFirmen->selectionModel());
        lvFirmen->setCurrentIndex(FirmenModel->index(row));
        lvFirmen->scrollTo(FirmenModel->index(row), QAbstractItemView::PositionAtCenter);
    }
    m_searchPrefix.clear();
    lvFirmen->setFocus();
}

bool TFrmBetriebsmappe::PickerVisible() const { return stLeft->currentWidget() == lvFirmen; }

void TFrmBetriebsmappe::pickerRowChosen(int row, bool now)
{
    if (row < 0)
        return;
    if (lvFirmen->currentIndex().row() != row) {
        QSignalBlocker b(lvFirmen->selectionModel());
        lvFirmen->setCurrentIndex(FirmenModel->index(row));
    }
    if (now) {
        tmSwitch->stop();
        switchToSelected();
        ShowPicker(false);
    } else {
        tmSwitch->start();
    }
}

void TFrmBetriebsmappe::switchToSelected()
{
    const QModelIndex i = lvFirmen->currentIndex();
    if (!i.isValid())
        return;
    const qint64 id = FirmenModel->idAt(i.row());
    if (id > 0 && id != m_firmenId)
        SetCompany(id);
}

void TFrmBetriebsmappe::searchKey(const QString &text)
{
    m_searchPrefix += text;
    tmSearch->start();
    const int n = FirmenModel->rowCount();
    if (n == 0)
        return;
    const int cur = qMax(0, lvFirmen->currentIndex().row());
    // The entries after the current one first, then from the start.
    for (int k = 1; k <= n; ++k) {
        const int row = (cur + k) % n;
        if (FirmenModel->textAt(row).startsWith(m_searchPrefix, Qt::CaseInsensitive)) {
            lvFirmen->setCurrentIndex(FirmenModel->index(row));
            lvFirmen->scrollTo(FirmenModel->index(row));
            return;
        }
    }
    // The current entry may match the longer prefix itself.
    if (FirmenModel->textAt(cur).startsWith(m_searchPrefix, Qt::CaseInsensitive))
        return;
}

bool TFrmBetriebsmappe::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj == lvFirmen && ev->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(ev);
        switch (ke->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            ShowPicker(false);
            return true;
        case Qt::Key_Escape:
            tmSwitch->stop();
            ShowPicker(false);
            return true;
        case Qt::Key_Backspace:
            m_searchPrefix.chop(1);
            tmSearch->start();
            return true;
        default:
            break;
        }
        const QString t = ke->text();
        if (!t.isEmpty() && t.at(0).isPrint() && !(ke->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            searchKey(t);
            return true;
        }
    }
    return TWin95Form::eventFilter(obj, ev);
}

void TFrmBetriebsmappe::ShowOptions(bool on)
{
    const bool was = pnOptionen->isVisibleTo(this);
    btnOptionen->setChecked(on);
    pnOptionen->setVisible(on);
    if (on)
        stLeft->setCurrentWidget(tvOptionen), btnWaehlen->setChecked(false);
    else if (was)
        ApplySelection();
}

bool TFrmBetriebsmappe::OptionsVisible() const { return pnOptionen->isVisibleTo(this); }

// ---- the company shown ----

void TFrmBetriebsmappe::clearHeader()
{
    lbBezeichnung->clear();
    lbAdresse->clear();
    lbTelefon->clear();
    lbNummer->clear();
    lbNummer->setToolTip(QString());
}

bool TFrmBetriebsmappe::readCompany(qint64 id)
{
    TransRead->ensureStarted();
    sqlSelect->close();
    sqlSelect->setParam(QStringLiteral("FID"), QVariant(qlonglong(id)));
    sqlSelect->open();
    if (sqlSelect->eof()) {
        sqlSelect->close();
        return false;
    }
    auto v = [this](const char *n) { return sqlSelect->value(QString::fromLatin1(n)).toString(); };
    lbBezeichnung->setText(Systools::DelReturns(v("BEZEICHNUNG")).trimmed().isEmpty() ? v("KURZBEZEICHNUNG")
                                                                                       : v("BEZEICHNUNG").trimmed());
    QString addr = v("PLZ") + QLatin1Char(' ') + v("ORT");
    if (!v("ORT").isEmpty() && !v("STRASSE").isEmpty())
        addr += QStringLiteral(", ");
    addr += v("STRASSE");
    lbAdresse->setText(addr.trimmed());
    lbTelefon->setText(v("TELEFON1"));
    lbNummer->setText(v("NUMMER") + QLatin1Char(' '));
    lbNummer->setToolTip(QStringLiteral("Firmen_ID: %1").arg(id));
    const QVariant typ = sqlSelect->value(QStringLiteral("TYP"));
    if (!typ.isNull())
        m_typ = typ.toInt();
    btnOptionen->setText(QStringLiteral("Firmentyp - ") + (typ.isNull() ? QString() : FirmenTypen.TextOf(qAbs(typ.toInt()))));
    sqlSelect->close();
    return true;
}

void TFrmBetriebsmappe::SetCompany(qint64 value)
{
    try {
        if (value == -1) {
            tellPage(m_currentNode, -1);
            return;
        }
        if (value == -3) {
            ShowPicker(false);
            if (!m_addClass.isEmpty())
                SearchAndExecute(m_addClass);
            clearHeader();
            // The page starts a new company of the current type.
            tellPage(m_currentNode, -3);
            return;
        }
        if (value == -2) {
            m_firmenId = 0;
            clearHeader();
            RefillList();
            return;
        }
        if (value >= 0)
            m_firmenId = value;
        bool found = m_firmenId > 0 && readCompany(m_firmenId);
        if (!found) {
            // Gone meanwhile: the first company of the list.
            RefillList();
            m_firmenId = firstCompany();
            found = m_firmenId > 0 && readCompany(m_firmenId);
            if (!found) {
                m_firmenId = 0;
                clearHeader();
            }
        } else if (m_listLoaded && FirmenModel->rowOf(m_firmenId) < 0 && value >= 0) {
            // A company added since the list was read.
            RefillList();
        }
        if (m_firmenId > 0) {
            Cfg::SetCompValue(this, QStringLiteral("Firmen_ID") + User::CurMandant_Name(), m_firmenId);
            if (value >= 0)
                tellPage(m_currentNode, m_firmenId);
        } else {
            tellPage(m_currentNode, -1);
        }
        const int row = FirmenModel->rowOf(m_firmenId);
        if (row >= 0 && lvFirmen->currentIndex().row() != row) {
            QSignalBlocker b(lvFirmen->selectionModel());
            lvFirmen->setCurrentIndex(FirmenModel->index(row));
        }
    } catch (...) {
        quietReport(QStringLiteral("SetCompany"), this);
    }
}

void TFrmBetriebsmappe::tellPage(TOptionsNode *node, qint64 id)
{
    if (!node || !node->Form)
        return;
    try {
        TWin95Form *f = node->Form;
        if (Systools::HasProperty(f, QStringLiteral("FirmenTyp")))
            Systools::SetCompOrdProp(f, QStringLiteral("FirmenTyp"), qAbs(m_typ));
        Systools::SetCompOrdProp(f, QStringLiteral("Firmen_ID"), id);
    } catch (...) {
        quietReport(QStringLiteral("SetCurrentNode.") + node->FormClassName, this);
    }
}

// ---- pages ----

TWin95Form *TFrmBetriebsmappe::CurrentPage() const { return m_currentNode ? m_currentNode->Form.data() : nullptr; }

void TFrmBetriebsmappe::SearchAndExecute(const QString &className)
{
    for (TOptionsNode *n : std::as_const(m_nodes))
        if (!n->Group && n->FormClassName.compare(className, Qt::CaseInsensitive) == 0) {
            setCurrentNode(n);
            return;
        }
    Systools::Dbg(QStringLiteral("NGOptionen.FocusedNode ist ungültig."));
}

void TFrmBetriebsmappe::setCurrentNode(TOptionsNode *node)
{
    if (!node)
        return;
    // A group opens its first page.
    if (node->Group) {
        const int at = int(m_nodes.indexOf(node));
        if (at < 0 || at + 1 >= m_nodes.size() || m_nodes.at(at + 1)->Group)
            return;
        node = m_nodes.at(at + 1);
    }
    if (node == m_currentNode && node->Form) {
        return;
    }
    WaitCursor wait;
    setUpdatesEnabled(false);
    struct Updates { QWidget *w; ~Updates() { w->setUpdatesEnabled(true); } } updates{this};
    try {
        if (m_currentNode && m_currentNode != node && m_currentNode->Form) {
            tellPage(m_currentNode, -1);
            m_currentNode->Form->hide();
        }
        m_currentNode = node;
        if (!node->Form) {
            TWin95Form *form = Modinfo::CreateForm(node->FormClassName, toArgs(node->Params), int(node->Params.size()) - 1,
                                                   pnPage, false);
            if (!form || !form->formInfo()) {
                if (form)
                    Modinfo::DestroyForm(form);
                throw std::runtime_error(kNotLoaded.toStdString());
            }
            if (!hasIntegerProperty(form, "Firmen_ID")) {
                Modinfo::DestroyForm(form);
                throw std::runtime_error(kNoFirmenId.toStdString());
            }
            form->setWindowFlags(Qt::Widget);
            form->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            QSize client = form->size().expandedTo(form->sizeHint());
            if (QLayout *l = form->layout())
                if (QWidget *menu = l->menuBar())
                    client.rheight() -= menu->sizeHint().height();
            client += QSize(6, 6);
            node->PreferredSize = client.expandedTo(QSize(575, 300));
            node->Form = form;
        }
        node->Form->show();
        for (QTreeWidgetItemIterator it(tvOptionen); *it; ++it)
            if (nodeOf(*it) == node) {
                QSignalBlocker b(tvOptionen);
                tvOptionen->setCurrentItem(*it);
                break;
            }
        updateMinimumSize();
        tellPage(node, m_firmenId > 0 ? m_firmenId : -1);
    } catch (...) {
        quietReport(QStringLiteral("SetCurrentNode(%1)").arg(node->FormClassName), this);
    }
}

void TFrmBetriebsmappe::updateMinimumSize()
{
    const QSize page = m_currentNode ? m_currentNode->PreferredSize.expandedTo(QSize(250, 150)) : QSize(250, 150);
    const int w = pnLeft->minimumWidth() + Splitter->handleWidth() + page.width() + 8;
    const int h = pnHeader->sizeHint().height() + page.height() + 12;
    setMinimumSize(w, h);
}
