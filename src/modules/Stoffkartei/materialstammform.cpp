#include "materialstammform.h"

#include "dbgrid.h"

#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "kit/registration.h"
#include "platform/db/dataset.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

TMaterialstammForm *MaterialstammForm = nullptr;

FD_REGISTER_FORM(TMaterialstammForm, &MaterialstammForm);

namespace {

const char *const kMaterialBase =
    "select M.ID, M.MATNUMMER, M.KURZNAME_ID, "
    "cast(case when M.NAME1 is null then M.NAME2 when M.NAME2 is null then M.NAME1 "
    "else M.NAME1 || ', ' || M.NAME2 end as varchar(102)) as NAME, "
    "M.VARBEZ, M.EKPREIS, F.BEZEICHNUNG as FIRMA "
    "from MATERIAL M left outer join FIRMEN F on F.ID = M.LIEFERER_ID where 1=1";
const char *const kAllEntry = "< alle Kurzname >";

qint64 idOf(db::DataSet *ds)
{
    if (!ds || !ds->isOpen() || ds->recNo() < 0)
        return 0;
    return ds->fieldByName(QStringLiteral("ID")).value().toLongLong();
}

struct FormLock
{
    explicit FormLock(TWin95Form *f) : form(f) { form->Lock(true); }
    ~FormLock() { form->Lock(false); }
    TWin95Form *form;
};

bool isIntegerArg(const QVariant &v)
{
    const int t = v.typeId();
    return t == QMetaType::Int || t == QMetaType::UInt || t == QMetaType::LongLong || t == QMetaType::ULongLong
           || t == QMetaType::Short || t == QMetaType::UShort;
}

} // namespace

void TMaterialstammForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Materialverwaltung");
    m.Hint = QStringLiteral("Öffnet das Formular zur Verwaltung der allgemeinen Materialverwaltung");
    m.LinkedTools = QStringLiteral("ToolsToolbar");
    m.Security = fsAll;
}

TMaterialstammForm::TMaterialstammForm(QWidget *parent) : kit::RecordForm(parent)
{
    Describe(*FMI);
    UseFormVariable(MaterialstammForm);
    setWindowTitle(QStringLiteral("Materialstammdaten"));

    Material = new db::DataSet(this);
    Material->setObjectName(QStringLiteral("Material"));
    Material->setSelectSql(QString::fromLatin1(kMaterialBase));
    Material->setUpdateSql(QStringLiteral("update MATERIAL set MATNUMMER = :MATNUMMER, KURZNAME_ID = :KURZNAME_ID, "
                                          "VARBEZ = :VARBEZ, EKPREIS = :EKPREIS where ID = :OLD_ID"));
    Material->setAllowedUpdateKinds(db::DataSet::ukModify);
    Material->props(QStringLiteral("FIRMA")).getText = [](const QVariant &v) { return Systools::DelReturns(v.toString()); };
    Material->props(QStringLiteral("KURZNAME_ID")).getText = [this](const QVariant &v) {
        return v.isNull() ? QString() : KurzNamen.TextOf(v.toLongLong());
    };
    Material->props(QStringLiteral("EKPREIS")).getText = [](const QVariant &v) {
        return formatNumber(v, 2, QStringLiteral(" EUR"));
    };

    Artikel = new db::DataSet(this);
    Artikel->setObjectName(QStringLiteral("Artikel"));
    Artikel->setSelectSql(QStringLiteral(
        "select A.ID, A.BEZEICHNUNG, A.DIZEVAVO, A.BEMERKUNG, F.FARBE from STLISTE S "
        "left outer join ARTIKEL A on A.ID = S.ARTIKEL_ID left outer join APP$FARBEN F on F.ID = A.FARBE_ID "
        "where S.MATERIAL_ID = :MID @@Order@"));
    Artikel->setParam(QStringLiteral("MID"), 0);
    Artikel->setAllowedUpdateKinds(0);
    Artikel->props(QStringLiteral("BEZEICHNUNG")).label = QStringLiteral("Bezeichnung");
    Artikel->props(QStringLiteral("FARBE")).label = QStringLiteral("Farbe");
    Artikel->props(QStringLiteral("DIZEVAVO")).label = QStringLiteral("Velora-Nr.");

    setDataSets(Material, nullptr);
    Artikel->setTransaction(TransRead);
    // Fast navigation through the list is merged into one reload of the article grid.
    MaterialTimer = new QTimer(this);
    MaterialTimer->setObjectName(QStringLiteral("MaterialTimer"));
    MaterialTimer->setInterval(80);
    MaterialTimer->setSingleShot(true);
    connect(MaterialTimer, &QTimer::timeout, this, &TMaterialstammForm::MaterialTimerTimer);
    Material->afterScroll = [this](db::DataSet &) { MaterialTimer->start(); };

    buildWindow();
}

void TMaterialstammForm::buildWindow()
{
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 0, 4, 4);
    lay->setSpacing(3);
    auto *menu = new QMenuBar(this);
    menu->setNativeMenuBar(false);
    QMenu *edit = menu->addMenu(QStringLiteral("&Bearbeiten"));
    lay->setMenuBar(menu);

    ToolsToolbar = new QToolBar(QStringLiteral("Tools (Materialstammdaten)"), this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    cbKurzFilter = new QComboBox(ToolsToolbar);
    cbKurzFilter->setObjectName(QStringLiteral("cbKurzFilter"));
    cbKurzFilter->setToolTip(QStringLiteral("Kurzbezeichnungen"));
    cbKurzFilter->setMinimumContentsLength(18);
    cbKurzFilter->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    connect(cbKurzFilter, &QComboBox::activated, this, [this](int) {
        try {
            ReadData();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TMaterialstammForm.FilterChange"), this, false);
        }
    });
    ToolsToolbar->addWidget(cbKurzFilter);
    lay->addWidget(ToolsToolbar);

    auto *navBar = new QWidget(this);
    navBar->setObjectName(QStringLiteral("NavigatorBar"));
    navBar->setToolTip(QStringLiteral("Navigator (Materialstammdaten)"));
    m_navRow = new QHBoxLayout(navBar);
    m_navRow->setContentsMargins(0, 0, 0, 0);
    Navigator = new TExtNavigator(navBar);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    Navigator->setVisibleButtons((1 << TExtNavigator::nbFirst) | (1 << TExtNavigator::nbPrior) | (1 << TExtNavigator::nbNext)
                                 | (1 << TExtNavigator::nbLast) | (1 << TExtNavigator::nbPost));
    m_navRow->addWidget(Navigator);
    lay->addWidget(navBar);
    for (int b : std::initializer_list<int>{TExtNavigator::nbFirst, TExtNavigator::nbPrior, TExtNavigator::nbNext,
                                            TExtNavigator::nbLast, TExtNavigator::nbPost}) {
        QAction *a = edit->addAction(TExtNavigator::hintName(b));
        connect(a, &QAction::triggered, this, [this, b]() { Navigator->click(b); });
    }

    auto *header = new QWidget(this);
    header->setObjectName(QStringLiteral("HeaderPanel"));
    auto *g = new QGridLayout(header);
    g->setContentsMargins(0, 2, 0, 2);
    auto button = [&](const QString &text, int tag, const char *name) {
        auto *b = new QToolButton(header);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(text);
        b->setProperty("Tag", tag);
        b->setMinimumWidth(90);
        connect(b, &QToolButton::clicked, this, [this, tag]() { SearchButtonClick(tag); });
        return b;
    };
    auto readOnly = [&](const char *name) {
        auto *e = new QLineEdit(header);
        e->setObjectName(QString::fromLatin1(name));
        e->setReadOnly(true);
        return e;
    };
    btnName = button(QStringLiteral("Name"), 1, "btnName");
    btnName->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    btnMatNummer = button(QStringLiteral("Material Nr."), 2, "btnMatNummer");
    btnFirma = button(QStringLiteral("Firma"), 3, "btnFirma");
    // Ctrl+F belongs to the name button alone: Qt fires no shortcut that two buttons share.
    edName = readOnly("NAME");
    edMatNummer = readOnly("MATNUMMER");
    edKurzname = readOnly("KURZNAME_ID");
    edEkPreis = readOnly("EKPREIS");
    mmFirma = new QPlainTextEdit(header);
    mmFirma->setObjectName(QStringLiteral("FIRMA"));
    mmFirma->setReadOnly(true);
    mmFirma->setFixedHeight(mmFirma->fontMetrics().height() * 2 + 12);
    g->addWidget(btnName, 0, 0);
    g->addWidget(edName, 0, 1, 1, 3);
    g->addWidget(btnMatNummer, 1, 0);
    g->addWidget(edMatNummer, 1, 1);
    g->addWidget(new QLabel(QStringLiteral("Kurzname"), header), 1, 2, Qt::AlignRight);
    g->addWidget(edKurzname, 1, 3);
    g->addWidget(btnFirma, 2, 0, Qt::AlignTop);
    g->addWidget(mmFirma, 2, 1);
    g->addWidget(new QLabel(QStringLiteral("EK-Preis"), header), 2, 2, Qt::AlignRight | Qt::AlignTop);
    g->addWidget(edEkPreis, 2, 3, Qt::AlignTop);
    g->setColumnStretch(1, 2);
    g->setColumnStretch(3, 1);
    lay->addWidget(header);

    PageControl = new QTabWidget(this);
    PageControl->setObjectName(QStringLiteral("PageControl"));
    PageControl->setTabBarAutoHide(true);
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("tsArtikel"));
    auto *pl = new QVBoxLayout(page);
    auto *heading = new QLabel(QStringLiteral("Artikel mit dem gewählten Material"), page);
    heading->setStyleSheet(QStringLiteral("font-weight: bold"));
    pl->addWidget(heading);
    ArtikelGrid = new TDBGrid(Artikel, {QStringLiteral("BEZEICHNUNG"), QStringLiteral("FARBE"), QStringLiteral("DIZEVAVO")}, page);
    ArtikelGrid->setObjectName(QStringLiteral("ArtikelGrid"));
    pl->addWidget(ArtikelGrid, 1);
    pl->addWidget(new QLabel(QStringLiteral("Bemerkung"), page));
    mmArtikelBemerkung = new QPlainTextEdit(page);
    mmArtikelBemerkung->setObjectName(QStringLiteral("ArtikelBEMERKUNG"));
    mmArtikelBemerkung->setReadOnly(true);
    mmArtikelBemerkung->setFixedHeight(mmArtikelBemerkung->fontMetrics().height() * 3 + 12);
    pl->addWidget(mmArtikelBemerkung);
    PageControl->addTab(page, QStringLiteral("Artikel"));
    lay->addWidget(PageControl, 1);
    connect(ArtikelGrid, &TDBGrid::titleClicked, this, &TMaterialstammForm::ArtikelTitleClick);
    connect(ArtikelGrid->addMenuEntry(QStringLiteral("Warenstamm")), &QAction::triggered, this,
            &TMaterialstammForm::OpenWarenstamm);

    MaterialBinder = new db::FieldBinder(Material, this);
    MaterialBinder->bind(edName, QStringLiteral("NAME"));
    MaterialBinder->bind(edMatNummer, QStringLiteral("MATNUMMER"));
    MaterialBinder->bind(edKurzname, QStringLiteral("KURZNAME_ID"));
    MaterialBinder->bind(edEkPreis, QStringLiteral("EKPREIS"));
    MaterialBinder->bind(mmFirma, QStringLiteral("FIRMA"));
    ArtikelBinder = new db::FieldBinder(Artikel, this);
    ArtikelBinder->bind(mmArtikelBemerkung, QStringLiteral("BEMERKUNG"));
    setBinder(MaterialBinder);
    setNavigator(Navigator);
    Navigator->setDataSet(Material);
    Navigator->OnButtonClick = nullptr;
    resize(820, 580);
}

void TMaterialstammForm::CreateLists()
{
    m_baseSql = QString::fromLatin1(kMaterialBase);
    m_order = 1;
    KurzNamen.Clear();
    m_artSort = 0;
    m_artDesc = false;
}

void TMaterialstammForm::FreeLists()
{
    MaterialTimer->stop();
    KurzNamen.Clear();
}

void TMaterialstammForm::LoadLookups()
{
    try {
        KurzNamen.Clear();
        KurzNamen.AddObject(QString::fromLatin1(kAllEntry), -1);
        TransRead->ensureStarted();
        db::Query q(TransRead->database(), TransRead);
        q.setSql(QStringLiteral("select ID, KURZNAME from APP$MATKURZN order by KURZNAME"));
        q.open();
        while (!q.eof()) {
            const QString name = q.fieldValue(1).toString();
            if (!name.trimmed().isEmpty())
                KurzNamen.AddObject(name, q.fieldValue(0).toLongLong());
            q.next();
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("TMaterialstammForm.FMIGlobalChanged"), this, false);
    }
    const QVariant keep = cbKurzFilter->currentData();
    QSignalBlocker block(cbKurzFilter);
    cbKurzFilter->clear();
    for (int i = 0; i < KurzNamen.Count(); ++i)
        cbKurzFilter->addItem(KurzNamen.Strings(i), QVariant(qlonglong(KurzNamen.Objects(i))));
    const int i = keep.isValid() ? cbKurzFilter->findData(keep) : -1;
    cbKurzFilter->setCurrentIndex(i >= 0 ? i : 0);
    MaterialBinder->refresh();
}

void TMaterialstammForm::OpenDataSets()
{
    cbKurzFilter->setCurrentIndex(cbKurzFilter->count() > 0 ? 0 : -1);
}

void TMaterialstammForm::attachSearchBox()
{
    if (m_suchEdit)
        delete m_suchEdit;
    m_suchEdit = Suchtool::CreateSuchForm(this, Material, m_searchField);
    m_suchEdit->setMaximumWidth(240);
    m_navRow->addWidget(m_suchEdit);
}

void TMaterialstammForm::AttachSearch()
{
    attachSearchBox();
    ReadData();
}

void TMaterialstammForm::OpenList()
{
    QString sql = m_baseSql;
    if (cbKurzFilter->currentIndex() >= 0 && cbKurzFilter->currentText() != QString::fromLatin1(kAllEntry))
        sql += QStringLiteral(" and M.Kurzname_ID = %1 ").arg(cbKurzFilter->currentData().toLongLong());
    if (m_order == 2)
        sql += QStringLiteral(" order by M.MatNummer ");
    else if (m_order == 3)
        sql += QStringLiteral(" order by F.BEZEICHNUNG ");
    else
        sql += QStringLiteral(" order by 4 ");
    Material->close();
    Material->setSelectSql(sql);
    Material->open();
}

void TMaterialstammForm::OpenArtikel()
{
    static const char *const order[] = {"A.BEZEICHNUNG", "F.FARBE", "A.DIZEVAVO"};
    const QString clause = QString::fromLatin1(order[(m_artSort >= 0 && m_artSort <= 2) ? m_artSort : 0]);
    Artikel->close();
    Artikel->setParam(QStringLiteral("MID"), m_materialId);
    Artikel->setMacro(QStringLiteral("Order"), QStringLiteral("order by ") + clause + (m_artDesc ? QStringLiteral(" DESC") : QString()));
    Artikel->open();
}

void TMaterialstammForm::SetMaterial(qint64 id)
{
    if (!Material->isOpen() || id == m_materialId)
        return;
    m_materialId = id;
    Systools::WaitCursor();
    try {
        OpenArtikel();
    } catch (...) {
        Systools::RestoreCursor();
        throw;
    }
    Systools::RestoreCursor();
}

void TMaterialstammForm::setMaterial_ID(qint64 id)
{
    try {
        SetMaterial(id);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TMaterialstammForm.SetMaterial_ID"), this, false);
    }
}

void TMaterialstammForm::ReadData()
{
    if (GetLocked())
        return;
    {
        FormLock lock(this);
        Systools::WaitCursor();
        MaterialBinder->setEnabled(false);
        ArtikelBinder->setEnabled(false);
        auto finish = [this]() {
            MaterialBinder->setEnabled(true);
            ArtikelBinder->setEnabled(true);
            Systools::RestoreCursor();
        };
        try {
            OpenList();
            if (m_materialId <= 0)
                Material->first();
            else
                Material->locate(QStringLiteral("ID"), m_materialId);
        } catch (...) {
            finish();
            throw;
        }
        finish();
    }
    // The article grid shows the listed material at once; the timer only merges later moves.
    if (Material->recordCount() > 0) {
        MaterialTimer->stop();
        SetMaterial(idOf(Material));
    }
}

void TMaterialstammForm::MaterialTimerTimer()
{
    MaterialTimer->stop();
    if (!Material->isOpen() || Material->recordCount() == 0 || Material->recNo() < 0)
        return;
    try {
        SetMaterial(idOf(Material));
    } catch (...) {
        Systools::HandleException(QStringLiteral("TMaterialstammForm.MaterialTimerTimer"), this, false);
    }
}

void TMaterialstammForm::SearchButtonClick(int tag)
{
    try {
        m_order = tag;
        m_searchField = tag == 2 ? QStringLiteral("MATNUMMER") : tag == 3 ? QStringLiteral("FIRMA") : QStringLiteral("NAME");
        attachSearchBox();
        ReadData();
        m_suchEdit->setFocus();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TMaterialstammForm.SearchButtonClick"), this, false);
    }
}

void TMaterialstammForm::ArtikelTitleClick(int column)
{
    if (column == m_artSort) {
        m_artDesc = !m_artDesc;
    } else {
        m_artSort = column;
        m_artDesc = false;
    }
    try {
        OpenArtikel();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TMaterialstammForm.DBGrid1TitleClick"), this, false);
    }
}

void TMaterialstammForm::OpenWarenstamm()
{
    const qint64 id = Artikel->isOpen() && Artikel->recordCount() > 0 ? idOf(Artikel) : 0;
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TWarenstammForm"), {QVariant(qlonglong(id))}, 0);
}

void TMaterialstammForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    PageControl->setCurrentIndex(0);
    if (last < 0 || args.isEmpty())
        return;
    if (isIntegerArg(args.at(0)) && args.at(0).toLongLong() != 0)
        SetMaterial(args.at(0).toLongLong());
    ReadData();
    update();
}

void TMaterialstammForm::changeEvent(QEvent *event)
{
    kit::RecordForm::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && isCreated()) {
        edName->setFocus();
        edName->setCursorPosition(0);
    }
}
