#include "zaehlringform.h"

#include "nummaskdlg.h"

#include "host/shellware/extnavigator.h"
#include "host/shellware/moduleinfo.h"
#include "host/shellware/systools.h"
#include "kit/entry/dateentry.h"
#include "kit/entry/gridfit.h"
#include "kit/registration.h"
#include "kit/setupdatabase.h"
#include "platform/db/database.h"
#include "platform/db/dataset.h"
#include "platform/db/datasetmodel.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <stdexcept>

FD_REGISTER_FORM(TZaehlringForm, nullptr);

namespace {

const QString kSelect = QStringLiteral(
    "select Z.ID, Z.IDENT, Z.SUB_IDENT, Z.RELATION_NAME, Z.FIELD_NAME, Z.SUB_IDENT_FIELD, Z.STARTWERT, "
    "Z.GUELTIG_VON, Z.GUELTIG_BIS, Z.EINDEUTIG, Z.NUR_LESEN, Z.FORMAT_MASKE, Z.DC, Z.DM, "
    "(select N from SP_GET_NUMMER_INTERN('GEN_NUMMER_' || Z.ID, 0)) as N "
    "from ZAEHLRING Z ");

// The text columns of this table keep empty strings; the grid and editors write them as typed.
const QStringList kTextColumns = {QStringLiteral("IDENT"), QStringLiteral("RELATION_NAME"), QStringLiteral("FIELD_NAME"),
                                  QStringLiteral("SUB_IDENT_FIELD"), QStringLiteral("FORMAT_MASKE")};

constexpr int IdentMaxLength = 60;
constexpr int NameMaxLength = 40;
constexpr int MaskMaxLength = 40;

QLineEdit *lineEdit(QWidget *parent, const char *name, int maxLength = 0)
{
    auto *e = new QLineEdit(parent);
    e->setObjectName(QLatin1String(name));
    if (maxLength > 0)
        e->setMaxLength(maxLength);
    return e;
}

QComboBox *combo(QWidget *parent, const char *name)
{
    auto *c = new QComboBox(parent);
    c->setObjectName(QLatin1String(name));
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(12);
    return c;
}

} // namespace

void TZaehlringForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Systemeinstellungen - Nummernkreise");
    m.Flags = ffNoMDIChild | ffNoReference;
    m.Security = fsReadOnly;
    m.LinkedForms = {QStringLiteral("TSystemEinstellungForm.PC=Nummernkreise")};
}

bool TZaehlringForm::IdentCharAllowed(QChar c)
{
    const ushort u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u == '\b' || u == '\t'
           || u == '\n' || u == '\r';
}

TZaehlringForm::TZaehlringForm(QWidget *parent) : TWin95Form(parent)
{
    setWindowTitle(QStringLiteral("Nummernkreise"));
    FMI = new TFormModuleInfo(this);
    Describe(*FMI);
    FMI->OnExecute = [this](TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) {
        FMIExecute(sender, form, args, last);
    };

    // ---- data ----
    TransRead = new db::Transaction(nullptr, db::Transaction::readParams(), this);
    TransRead->setObjectName(QStringLiteral("TransRead"));
    TransWrite = new db::Transaction(nullptr, db::Transaction::writeParams(), this);
    TransWrite->setObjectName(QStringLiteral("TransWrite"));

    dtsZaehlring = new db::DataSet(this);
    dtsZaehlring->setObjectName(QStringLiteral("dtsZaehlring"));
    dtsZaehlring->setTransaction(TransRead);
    dtsZaehlring->setUpdateTransaction(TransWrite);
    dtsZaehlring->setAutoCommit(true);
    dtsZaehlring->setEmptyStringAsNull(false);
    dtsZaehlring->setGenerator(QStringLiteral("GEN_ZAEHLRING_ID"));
    dtsZaehlring->setSelectSql(kSelect + QStringLiteral("order by Z.IDENT, Z.SUB_IDENT, Z.GUELTIG_VON, Z.GUELTIG_BIS, Z.ID"));
    dtsZaehlring->setRefreshSql(kSelect + QStringLiteral("where Z.ID = :ID"));
    dtsZaehlring->setInsertSql(QStringLiteral(
        "insert into ZAEHLRING (ID, IDENT, SUB_IDENT, RELATION_NAME, FIELD_NAME, SUB_IDENT_FIELD, STARTWERT, "
        "GUELTIG_VON, GUELTIG_BIS, EINDEUTIG, NUR_LESEN, FORMAT_MASKE, DC, DM) "
        "values (:ID, :IDENT, :SUB_IDENT, :RELATION_NAME, :FIELD_NAME, :SUB_IDENT_FIELD, :STARTWERT, "
        ":GUELTIG_VON, :GUELTIG_BIS, :EINDEUTIG, :NUR_LESEN, :FORMAT_MASKE, :DC, :DM)"));
    dtsZaehlring->setUpdateSql(QStringLiteral(
        "update ZAEHLRING set IDENT = :IDENT, SUB_IDENT = :SUB_IDENT, RELATION_NAME = :RELATION_NAME, "
        "FIELD_NAME = :FIELD_NAME, SUB_IDENT_FIELD = :SUB_IDENT_FIELD, STARTWERT = :STARTWERT, "
        "GUELTIG_VON = :GUELTIG_VON, GUELTIG_BIS = :GUELTIG_BIS, EINDEUTIG = :EINDEUTIG, NUR_LESEN = :NUR_LESEN, "
        "FORMAT_MASKE = :FORMAT_MASKE, DM = :DM where ID = :OLD_ID"));
    dtsZaehlring->setDeleteSql(QStringLiteral("delete from ZAEHLRING where ID = :OLD_ID"));
    dtsZaehlring->props(QStringLiteral("IDENT")).label = QStringLiteral("Bezeichnung");
    dtsZaehlring->props(QStringLiteral("IDENT")).tag = 60;
    dtsZaehlring->props(QStringLiteral("GUELTIG_VON")).label = QStringLiteral("gültig von");
    dtsZaehlring->props(QStringLiteral("GUELTIG_BIS")).label = QStringLiteral("gültig bis");

    updZaehlring = new db::Query(nullptr, TransWrite, this);
    updZaehlring->setObjectName(QStringLiteral("updZaehlring"));
    updZaehlring->setSql(QStringLiteral("EXECUTE PROCEDURE SP_SET_NUMMER (:GENNAME, :NEUER_WERT)"));

    dtsTables = new db::DataSet(this);
    dtsTables->setObjectName(QStringLiteral("dtsTables"));
    dtsTables->setTransaction(TransRead);
    dtsTables->setAllowedUpdateKinds(0);
    dtsTables->setSelectSql(QStringLiteral(
        "select trim(R.RDB$RELATION_NAME) as RELATION_NAME, R.RDB$DESCRIPTION as DESCRIPTION "
        "from RDB$RELATIONS R "
        "where R.RDB$RELATION_NAME not containing '$' and R.RDB$RELATION_NAME <> 'ZAEHLRING' "
        "and R.RDB$VIEW_BLR is null "
        "order by R.RDB$RELATION_NAME"));

    dtsCharFields = new db::DataSet(this);
    dtsCharFields->setObjectName(QStringLiteral("dtsCharFields"));
    dtsCharFields->setTransaction(TransRead);
    dtsCharFields->setAllowedUpdateKinds(0);
    dtsCharFields->setSelectSql(QStringLiteral(
        "select trim(RF.RDB$FIELD_NAME) as FIELD_NAME "
        "from RDB$RELATION_FIELDS RF join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "where RF.RDB$RELATION_NAME = :RELATION_NAME and F.RDB$FIELD_TYPE in (14, 37) "
        "and coalesce(F.RDB$FIELD_SUB_TYPE, 0) = 0 "
        "order by RF.RDB$FIELD_NAME"));
    dtsCharFields->setParam(QStringLiteral("RELATION_NAME"), QString());

    dtsIntegerFields = new db::DataSet(this);
    dtsIntegerFields->setObjectName(QStringLiteral("dtsIntegerFields"));
    dtsIntegerFields->setTransaction(TransRead);
    dtsIntegerFields->setAllowedUpdateKinds(0);
    dtsIntegerFields->setSelectSql(QStringLiteral(
        "select cast('' as varchar(63)) as FIELD_NAME from RDB$DATABASE "
        "union "
        "select trim(RF.RDB$FIELD_NAME) "
        "from APP$ZAEHLRING_SUBIDENT S "
        "join RDB$RELATION_FIELDS RF on RF.RDB$RELATION_NAME = upper(trim(S.TABELLE)) "
        "and RF.RDB$FIELD_NAME = upper(trim(S.SUB_IDENT_FIELD)) "
        "join RDB$FIELDS F on F.RDB$FIELD_NAME = RF.RDB$FIELD_SOURCE "
        "where upper(S.IDENT) = upper(cast(:IDENT as varchar(60))) and F.RDB$FIELD_TYPE in (7, 8) "
        "and coalesce(F.RDB$FIELD_SUB_TYPE, 0) = 0 "
        "order by 1"));
    dtsIntegerFields->setParam(QStringLiteral("IDENT"), QString());

    // ---- widgets ----
    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 4, 4, 4);
    ToolsToolbar = new QToolBar(this);
    ToolsToolbar->setObjectName(QStringLiteral("ToolsToolbar"));
    Navigator = new TExtNavigator(ToolsToolbar);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    Navigator->setDataSet(dtsZaehlring);
    ToolsToolbar->addWidget(Navigator);
    lay->addWidget(ToolsToolbar);

    auto *body = new QHBoxLayout;
    lay->addLayout(body, 1);

    dbgZaehlring = new QTableView(this);
    dbgZaehlring->setObjectName(QStringLiteral("dbgZaehlring"));
    ZaehlringModel = new db::DataSetModel(dtsZaehlring, this);
    ZaehlringModel->setColumns({QStringLiteral("IDENT"), QStringLiteral("GUELTIG_VON"), QStringLiteral("GUELTIG_BIS")});
    dbgZaehlring->setModel(ZaehlringModel);
    dbgZaehlring->setSelectionBehavior(QAbstractItemView::SelectRows);
    dbgZaehlring->setSelectionMode(QAbstractItemView::SingleSelection);
    dbgZaehlring->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dbgZaehlring->verticalHeader()->setDefaultSectionSize(dbgZaehlring->fontMetrics().height() + 6);
    dbgZaehlring->verticalHeader()->setVisible(false);
    dbgZaehlring->horizontalHeader()->setStretchLastSection(false);
    dbgZaehlring->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dbgZaehlring->setMinimumWidth(220);
    dbgZaehlring->viewport()->installEventFilter(this);
    body->addWidget(dbgZaehlring, 2);

    auto *detail = new QWidget(this);
    detail->setObjectName(QStringLiteral("pnlDetail"));
    auto *grid = new QGridLayout(detail);
    grid->setContentsMargins(0, 0, 0, 0);
    body->addWidget(detail, 3);

    // Bezeichnung: IDENT "= Abs(" SUB_IDENT ")"
    auto *gbBezeichnung = new QGroupBox(QStringLiteral("Bezeichnung"), detail);
    gbBezeichnung->setObjectName(QStringLiteral("gbBezeichnung"));
    auto *bl = new QHBoxLayout(gbBezeichnung);
    edIdent = lineEdit(gbBezeichnung, "edIdent", IdentMaxLength);
    edIdent->installEventFilter(this);
    edSubIdent = lineEdit(gbBezeichnung, "edSubIdent");
    edSubIdent->setMaximumWidth(60);
    bl->addWidget(edIdent, 1);
    bl->addWidget(new QLabel(QStringLiteral("= Abs("), gbBezeichnung));
    bl->addWidget(edSubIdent);
    bl->addWidget(new QLabel(QStringLiteral(")"), gbBezeichnung));
    grid->addWidget(gbBezeichnung, 0, 0, 1, 2);

    auto *gbGueltig = new QGroupBox(QStringLiteral("Gültigkeitsbereich"), detail);
    gbGueltig->setObjectName(QStringLiteral("gbGueltigkeitsbereich"));
    auto *gl = new QFormLayout(gbGueltig);
    edGueltigVon = lineEdit(gbGueltig, "edGueltigVon", 10);
    edGueltigBis = lineEdit(gbGueltig, "edGueltigBis", 10);
    kit::DateEntryFilter::install(edGueltigVon);
    kit::DateEntryFilter::install(edGueltigBis);
    gl->addRow(QStringLiteral("von"), edGueltigVon);
    gl->addRow(QStringLiteral("bis"), edGueltigBis);
    grid->addWidget(gbGueltig, 1, 0);

    auto *gbZaehler = new QGroupBox(QStringLiteral("Zählerbedingungen"), detail);
    gbZaehler->setObjectName(QStringLiteral("gbZaehlerbedingungen"));
    auto *zl = new QFormLayout(gbZaehler);
    edStartwert = lineEdit(gbZaehler, "edStartwert");
    zl->addRow(QStringLiteral("Startwert"), edStartwert);
    grid->addWidget(gbZaehler, 1, 1);

    auto *gbMaske = new QGroupBox(QStringLiteral("Formatierungsmaske"), detail);
    gbMaske->setObjectName(QStringLiteral("gbFormatierungsmaske"));
    auto *ml = new QHBoxLayout(gbMaske);
    edFormatMaske = lineEdit(gbMaske, "edFormatMaske", MaskMaxLength);
    btnFormatMaske = new QToolButton(gbMaske);
    btnFormatMaske->setObjectName(QStringLiteral("btnFormatMaske"));
    btnFormatMaske->setText(QStringLiteral("..."));
    btnFormatMaske->setToolTip(QStringLiteral("Maskenformat bearbeiten"));
    ml->addWidget(edFormatMaske, 1);
    ml->addWidget(btnFormatMaske);
    grid->addWidget(gbMaske, 2, 0, 1, 2);

    auto *gbOptionen = new QGroupBox(QStringLiteral("Optionen"), detail);
    gbOptionen->setObjectName(QStringLiteral("gbOptionen"));
    auto *ol = new QVBoxLayout(gbOptionen);
    cbEindeutig = new QCheckBox(QStringLiteral("eindeutig"), gbOptionen);
    cbEindeutig->setObjectName(QStringLiteral("cbEindeutig"));
    cbNurLesen = new QCheckBox(QStringLiteral("nur lesen"), gbOptionen);
    cbNurLesen->setObjectName(QStringLiteral("cbNurLesen"));
    ol->addWidget(cbEindeutig);
    ol->addWidget(cbNurLesen);
    ol->addStretch(1);
    grid->addWidget(gbOptionen, 3, 1);

    auto *gbBezug = new QGroupBox(QStringLiteral("Bezug auf Daten"), detail);
    gbBezug->setObjectName(QStringLiteral("gbBezugAufDaten"));
    auto *dl = new QFormLayout(gbBezug);
    cbTabelle = combo(gbBezug, "cbTabelle");
    cbFeld = combo(gbBezug, "cbFeld");
    cbFilterfeld = combo(gbBezug, "cbFilterfeld");
    dl->addRow(QStringLiteral("Tabelle"), cbTabelle);
    dl->addRow(QStringLiteral("Feld"), cbFeld);
    dl->addRow(QStringLiteral("Filterfeld"), cbFilterfeld);
    grid->addWidget(gbBezug, 3, 0);

    auto *gbGenerator = new QGroupBox(QStringLiteral("Generator"), detail);
    gbGenerator->setObjectName(QStringLiteral("gbGenerator"));
    auto *genl = new QHBoxLayout(gbGenerator);
    edGenerator = lineEdit(gbGenerator, "edGenerator");
    edGenerator->setReadOnly(true);
    edGenerator->setFocusPolicy(Qt::ClickFocus);
    edLetzterWert = lineEdit(gbGenerator, "edLetzterWert");
    genl->addWidget(new QLabel(QStringLiteral("Name"), gbGenerator));
    genl->addWidget(edGenerator, 3);
    genl->addWidget(new QLabel(QStringLiteral("letzter Wert"), gbGenerator));
    genl->addWidget(edLetzterWert, 2);
    grid->addWidget(gbGenerator, 4, 0, 1, 2);
    grid->setRowStretch(5, 1);
    grid->setColumnStretch(0, 3);
    grid->setColumnStretch(1, 2);

    Binder = new db::FieldBinder(dtsZaehlring, this);
    Binder->bind(edIdent, QStringLiteral("IDENT"));
    Binder->bind(edSubIdent, QStringLiteral("SUB_IDENT"));
    Binder->bind(edGueltigVon, QStringLiteral("GUELTIG_VON"));
    Binder->bind(edGueltigBis, QStringLiteral("GUELTIG_BIS"));
    Binder->bind(edStartwert, QStringLiteral("STARTWERT"));
    Binder->bind(edFormatMaske, QStringLiteral("FORMAT_MASKE"));
    Binder->bind(cbEindeutig, QStringLiteral("EINDEUTIG"));
    Binder->bind(cbNurLesen, QStringLiteral("NUR_LESEN"));
    Binder->bind(edLetzterWert, QStringLiteral("N"));

    // ---- events ----
    dtsZaehlring->onNewRecord = [this](db::DataSet &ds) { ZaehlringNewRecord(ds); };
    dtsZaehlring->beforePost = [this](db::DataSet &ds) { ZaehlringBeforePost(ds); };
    dtsZaehlring->afterPost = [this](db::DataSet &ds) { ZaehlringAfterPost(ds); };
    dtsZaehlring->afterScroll = [this](db::DataSet &) { ZaehlringAfterScroll(); };
    connect(dtsZaehlring, &db::DataSet::currentChanged, this, [this](int row) {
        if (m_showing)
            return;
        m_showing = true;
        if (row >= 0)
            dbgZaehlring->selectRow(row);
        else
            dbgZaehlring->clearSelection();
        m_showing = false;
    });
    connect(dtsZaehlring, &db::DataSet::stateChanged, this, [this](db::DataSet::State s) {
        if (s == db::DataSet::Insert) {
            OpenCharFields(QString());
            OpenIntegerFields(QString());
        }
        if (s == db::DataSet::Browse && !GetLocked()) {
            // After a cancel: the lists of the record shown again.
            const QString table = dtsZaehlring->fieldByName(QStringLiteral("RELATION_NAME")).asString();
            if (table != dtsCharFields->param(QStringLiteral("RELATION_NAME")).toString())
                OpenCharFields(table);
        }
        ShowChoices();
        ShowGenerator();
    });
    connect(dtsZaehlring, &db::DataSet::reset, this, [this] {
        ShowChoices();
        ShowGenerator();
    });
    connect(dbgZaehlring->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &cur) {
                if (m_showing || !cur.isValid() || !dtsZaehlring->isOpen() || cur.row() == dtsZaehlring->recNo())
                    return;
                try {
                    dtsZaehlring->moveTo(cur.row());
                } catch (...) {
                    Systools::HandleException(QStringLiteral("TZaehlringForm.dbgZaehlringCellClick"), this, false);
                    m_showing = true;
                    dbgZaehlring->selectRow(dtsZaehlring->recNo());
                    m_showing = false;
                }
            });
    Navigator->OnButtonClick = [this](TExtNavigator *, int button, bool &handled) {
        if (button != TExtNavigator::nbInsert)
            return;
        dtsZaehlring->append();
        edIdent->setFocus();
        handled = true;
    };
    connect(btnFormatMaske, &QToolButton::clicked, this, &TZaehlringForm::EditMask);
    connect(cbTabelle, &QComboBox::activated, this, [this] { ChoiceEdited(cbTabelle, QStringLiteral("RELATION_NAME")); });
    connect(cbFeld, &QComboBox::activated, this, [this] { ChoiceEdited(cbFeld, QStringLiteral("FIELD_NAME")); });
    connect(cbFilterfeld, &QComboBox::activated, this,
            [this] { ChoiceEdited(cbFilterfeld, QStringLiteral("SUB_IDENT_FIELD")); });
    // A typed identifier offers its own sub-range fields at once.
    connect(edIdent, &QLineEdit::editingFinished, this, [this] {
        if (!dtsZaehlring->isOpen() || !dtsZaehlring->isEditing())
            return;
        if (edIdent->text() != dtsIntegerFields->param(QStringLiteral("IDENT")).toString()) {
            OpenIntegerFields(edIdent->text());
            ShowChoices();
        }
    });
}

TZaehlringForm::~TZaehlringForm() = default;

void TZaehlringForm::FormCreate() { ApplyReadOnly(); }

void TZaehlringForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    db::Database *d = last >= 0 ? kit::DatabaseArg(args, 0) : nullptr;
    if (!d)
        return;
    m_db = d;
    Activate();
}

void TZaehlringForm::Activate()
{
    if (!m_db)
        return;
    kit::SetupDatabase(this, m_db, nullptr);
    ApplyReadOnly();
    Lock(true);
    try {
        if (!dtsTables->isOpen()) {
            dtsTables->open();
            dtsTables->fetchAll();
        }
        FillCombo(cbTabelle, dtsTables, QStringLiteral("RELATION_NAME"), false);
        if (!dtsCharFields->isOpen())
            dtsCharFields->open();
        if (!dtsIntegerFields->isOpen())
            dtsIntegerFields->open();
        Lock(false);
        if (!dtsZaehlring->isOpen())
            dtsZaehlring->open();
    } catch (...) {
        if (GetLocked())
            Lock(false);
        throw;
    }
    ShowChoices();
    ShowGenerator();
    FitGrid();
}

void TZaehlringForm::ApplyReadOnly()
{
    const bool ro = FMI->ReadOnly();
    dtsZaehlring->setAllowedUpdateKinds(ro ? 0 : db::DataSet::ukAll);
    Navigator->setReadOnly(ro);
    Binder->setEnabled(!ro);
    for (QWidget *w : {static_cast<QWidget *>(btnFormatMaske), static_cast<QWidget *>(cbTabelle),
                       static_cast<QWidget *>(cbFeld), static_cast<QWidget *>(cbFilterfeld)})
        w->setEnabled(!ro);
    Navigator->updateState();
}

void TZaehlringForm::FitGrid()
{
    if (!m_widthsSet && dbgZaehlring->model()->columnCount() == 3) {
        // The dates take what they need; the identifier gets the rest.
        const int date = dbgZaehlring->fontMetrics().horizontalAdvance(QStringLiteral("00.00.0000")) + 14;
        const int head = dbgZaehlring->fontMetrics().horizontalAdvance(QStringLiteral("gültig von")) + 18;
        dbgZaehlring->setColumnWidth(0, 60);
        dbgZaehlring->setColumnWidth(1, std::max(date, head));
        dbgZaehlring->setColumnWidth(2, std::max(date, head));
        m_widthsSet = true;
    }
    if (dbgZaehlring->columnWidth(0) < 60)
        dbgZaehlring->setColumnWidth(0, 60);
    kit::FitGridColumns(dbgZaehlring);
}

bool TZaehlringForm::eventFilter(QObject *obj, QEvent *ev)
{
    if (obj == dbgZaehlring->viewport() && ev->type() == QEvent::Resize) {
        FitGrid();
        return false;
    }
    if (obj == edIdent && ev->type() == QEvent::KeyPress) {
        auto *ke = static_cast<QKeyEvent *>(ev);
        if (ke->matches(QKeySequence::Paste)) {
            QString text = QApplication::clipboard()->text();
            text.removeIf([](QChar c) { return !IdentCharAllowed(c) || c.unicode() < 0x20; });
            if (!edIdent->isReadOnly())
                edIdent->insert(text);
            return true;
        }
        // Keys without a printable character (navigation, shortcuts) pass.
        for (QChar c : ke->text())
            if (c.unicode() >= 0x20 && c.unicode() != 0x7f && !IdentCharAllowed(c))
                return true;
        return false;
    }
    return TWin95Form::eventFilter(obj, ev);
}

void TZaehlringForm::resizeEvent(QResizeEvent *e)
{
    TWin95Form::resizeEvent(e);
    FitGrid();
}

void TZaehlringForm::showEvent(QShowEvent *e)
{
    TWin95Form::showEvent(e);
    FitGrid();
}

// ---- ranges ----

void TZaehlringForm::ZaehlringNewRecord(db::DataSet &ds)
{
    const QDateTime now = QDateTime::currentDateTime();
    ds.fieldByName(QStringLiteral("EINDEUTIG")).setInteger(0);
    ds.fieldByName(QStringLiteral("NUR_LESEN")).setInteger(0);
    ds.fieldByName(QStringLiteral("DC")).setDateTime(now);
    ds.fieldByName(QStringLiteral("DM")).setDateTime(now);
}

void TZaehlringForm::ZaehlringBeforePost(db::DataSet &ds)
{
    const QDateTime now = QDateTime::currentDateTime();
    m_postIsUpdate = ds.state() == db::DataSet::Edit;
    m_neuerWert = -1;
    if (!m_postIsUpdate) {
        // A range without ID gets the next value of GEN_ZAEHLRING_ID (drawn by the dataset).
        db::Field id = ds.fieldByName(QStringLiteral("ID"));
        if (!id.isNull() && id.asInt64() == 0)
            id.clear();
        if (ds.fieldByName(QStringLiteral("DC")).isNull())
            ds.fieldByName(QStringLiteral("DC")).setDateTime(now);
    } else {
        const db::Field n = ds.fieldByName(QStringLiteral("N"));
        const bool changed = n.isNull() != n.oldValue().isNull()
                             || (!n.isNull() && n.value().toLongLong() != n.oldValue().toLongLong());
        if (changed && !n.isNull()) {
            const qint64 v = n.value().toLongLong();
            if (v < -1)
                throw std::runtime_error(
                    QStringLiteral("Der letzte Wert eines Nummernkreises darf nicht kleiner als -1 sein.").toStdString());
            m_neuerWert = v;
        }
    }
    ds.fieldByName(QStringLiteral("DM")).setDateTime(now);
}

void TZaehlringForm::ZaehlringAfterPost(db::DataSet &ds)
{
    const qint64 id = ds.fieldByName(QStringLiteral("ID")).asInt64();
    if (m_postIsUpdate) {
        try {
            TransWrite->ensureStarted();
            updZaehlring->setParam(QStringLiteral("GENNAME"), QStringLiteral("GEN_NUMMER_%1").arg(id));
            updZaehlring->setParam(QStringLiteral("NEUER_WERT"), QVariant(qlonglong(m_neuerWert)));
            updZaehlring->exec();
            TransWrite->commit();
        } catch (...) {
            if (TransWrite->isActive()) {
                try {
                    TransWrite->rollback();
                } catch (...) {
                }
            }
            Systools::HandleException(QStringLiteral("TZaehlringForm.dtsZaehlringAfterPost"), this, false);
        }
    }
    m_postIsUpdate = false;
    m_neuerWert = -1;
    // Sort order and counter as stored.
    ds.reopenAt(QVariant(qlonglong(id)));
}

void TZaehlringForm::ZaehlringAfterScroll()
{
    if (GetLocked())
        return;
    OpenIntegerFields(dtsZaehlring->fieldByName(QStringLiteral("IDENT")).asString());
    const QString table = dtsZaehlring->fieldByName(QStringLiteral("RELATION_NAME")).asString();
    if (table != dtsCharFields->param(QStringLiteral("RELATION_NAME")).toString() || !dtsCharFields->isOpen())
        OpenCharFields(table);
    ShowChoices();
    ShowGenerator();
}

void TZaehlringForm::OpenCharFields(const QString &table)
{
    if (!dtsCharFields->transaction() || !dtsCharFields->transaction()->database())
        return;
    dtsCharFields->close();
    dtsCharFields->setParam(QStringLiteral("RELATION_NAME"), table.trimmed().toUpper());
    dtsCharFields->open();
    dtsCharFields->fetchAll();
}

void TZaehlringForm::OpenIntegerFields(const QString &ident)
{
    if (!dtsIntegerFields->transaction() || !dtsIntegerFields->transaction()->database())
        return;
    dtsIntegerFields->close();
    dtsIntegerFields->setParam(QStringLiteral("IDENT"), ident.trimmed());
    dtsIntegerFields->open();
    dtsIntegerFields->fetchAll();
}

void TZaehlringForm::FillCombo(QComboBox *c, db::DataSet *ds, const QString &field, bool withNone)
{
    const QSignalBlocker block(c);
    c->clear();
    if (!ds->isOpen())
        return;
    const int col = ds->fieldIndex(field);
    const int desc = ds->fieldIndex(QStringLiteral("DESCRIPTION"));
    for (int r = 0; r < ds->recordCount(); ++r) {
        const QString name = ds->rowValue(r, col).toString().trimmed();
        if (name.isEmpty() && withNone) {
            c->addItem(QStringLiteral("<kein>"), QString());
            continue;
        }
        c->addItem(name, name);
        if (desc >= 0) {
            const QString d = ds->rowValue(r, desc).toString().trimmed();
            if (!d.isEmpty())
                c->setItemData(c->count() - 1, d, Qt::ToolTipRole);
        }
    }
}

void TZaehlringForm::ShowChoices()
{
    FillCombo(cbFeld, dtsCharFields, QStringLiteral("FIELD_NAME"), false);
    FillCombo(cbFilterfeld, dtsIntegerFields, QStringLiteral("FIELD_NAME"), true);
    const bool has = dtsZaehlring->isOpen() && dtsZaehlring->recNo() >= 0;
    auto select = [&](QComboBox *c, const QString &field, bool none) {
        const QSignalBlocker block(c);
        if (!has) {
            c->setCurrentIndex(-1);
            return;
        }
        const QString v = dtsZaehlring->fieldByName(field).asString().trimmed();
        int i = v.isEmpty() ? (none ? c->findData(QString()) : -1) : c->findData(v);
        if (i < 0 && !v.isEmpty())
            i = c->findText(v, Qt::MatchFixedString);
        c->setCurrentIndex(i);
    };
    select(cbTabelle, QStringLiteral("RELATION_NAME"), false);
    select(cbFeld, QStringLiteral("FIELD_NAME"), false);
    select(cbFilterfeld, QStringLiteral("SUB_IDENT_FIELD"), true);
}

void TZaehlringForm::ShowGenerator()
{
    const bool has = dtsZaehlring->isOpen() && dtsZaehlring->recNo() >= 0;
    const db::Field id = has ? dtsZaehlring->fieldByName(QStringLiteral("ID")) : db::Field(dtsZaehlring, -1);
    edGenerator->setText(has && !id.isNull() && id.asInt64() != 0 ? QStringLiteral("GEN_NUMMER_%1").arg(id.asInt64())
                                                                   : QString());
    // A new range has no counter yet: its generator comes with the saved row.
    edLetzterWert->setReadOnly(FMI->ReadOnly() || dtsZaehlring->state() == db::DataSet::Insert);
}

void TZaehlringForm::ensureEditing()
{
    if (dtsZaehlring->state() == db::DataSet::Browse)
        dtsZaehlring->edit();
}

void TZaehlringForm::ChoiceEdited(QComboBox *c, const QString &field)
{
    try {
        if (!dtsZaehlring->isOpen() || dtsZaehlring->recNo() < 0)
            return;
        // Taken before the edit starts: entering edit state shows the stored choice again.
        const int i = c->currentIndex();
        const QString value = i >= 0 ? c->itemData(i).toString() : QString();
        ensureEditing();
        dtsZaehlring->fieldByName(field).setString(value);
        if (field == QLatin1String("RELATION_NAME")) {
            OpenCharFields(value);
            // A column the new table does not have is no choice any more.
            const QString cur = dtsZaehlring->fieldByName(QStringLiteral("FIELD_NAME")).asString().trimmed();
            if (!cur.isEmpty() && !dtsCharFields->locate(QStringLiteral("FIELD_NAME"), cur))
                dtsZaehlring->fieldByName(QStringLiteral("FIELD_NAME")).setString(QString());
        }
        ShowChoices();
    } catch (...) {
        Systools::HandleException(QStringLiteral("TZaehlringForm.") + c->objectName() + QStringLiteral("Change"), this, false);
        ShowChoices();
    }
}

void TZaehlringForm::EditMask()
{
    if (FMI->ReadOnly() || !dtsZaehlring->isOpen() || dtsZaehlring->recNo() < 0)
        return;
    TNumMaskDlg dlg(edFormatMaske->text(), this);
    if (dlg.exec() != QDialog::Accepted)
        return;
    try {
        ensureEditing();
        const QString mask = dlg.Mask();
        dtsZaehlring->fieldByName(QStringLiteral("FORMAT_MASKE")).setString(mask);
        edFormatMaske->setText(mask);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TZaehlringForm.btnFormatMaskeClick"), this, false);
    }
}

void TZaehlringForm::FormDestroy()
{
    // Typed changes are saved rather than dropped with the page.
    if (dtsZaehlring->isEditing()) {
        try {
            dtsZaehlring->post();
        } catch (...) {
            Systools::HandleException(QStringLiteral("TZaehlringForm.FormDestroy().dtsZaehlring"), this, true);
            dtsZaehlring->cancel();
        }
    }
    for (auto [tr, name] : {std::pair{TransWrite, "TransWrite"}, std::pair{TransRead, "TransRead"}}) {
        if (!tr->isActive())
            continue;
        try {
            tr->commit();
        } catch (...) {
            try {
                tr->rollback();
            } catch (...) {
            }
            Systools::HandleException(QStringLiteral("TZaehlringForm.FormDestroy().") + QLatin1String(name), this, true);
        }
    }
}
