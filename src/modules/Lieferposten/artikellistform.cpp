#include "artikellistform.h"

#include "frmeditfirmenartikel.h"

#include "dbgrid.h"

#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "kit/registration.h"
#include "platform/db/dataset.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/transaction.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QVBoxLayout>

TArtikelListForm *ArtikelListForm = nullptr;

FD_REGISTER_FORM(TArtikelListForm, &ArtikelListForm);

namespace {
const char *const kOrder[] = {"A.BEZEICHNUNG", "A.DIZEVAVO", "F.FARBE", "P.PREIS", "P.GR_VON", "P.GR_BIS", "P.ARMM"};

qint64 idOf(db::DataSet *ds, const char *field = "ID")
{
    if (!ds || !ds->isOpen() || ds->recNo() < 0 || ds->recordCount() == 0)
        return 0;
    return ds->fieldByName(QString::fromLatin1(field)).value().toLongLong();
}
} // namespace

void TArtikelListForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Artikel der gewählten Firma");
    m.Hint = QStringLiteral("Öffnet das Formular zur Anzeige der Artikel der gewählten Firma");
    m.LinkedTools = QStringLiteral("ToolsToolbar");
    m.Security = fsAll;
}

TArtikelListForm::TArtikelListForm(QWidget *parent) : kit::RecordForm(parent)
{
    Describe(*FMI);
    // A page of the company dossier: no execute or global-change handler of its own.
    FMI->OnExecute = nullptr;
    FMI->OnGlobalChanged = nullptr;
    UseFormVariable(ArtikelListForm);
    setWindowTitle(QStringLiteral("Artikel der gewählten Firma"));

    ArtikelList = new db::DataSet(this);
    ArtikelList->setObjectName(QStringLiteral("ArtikelList"));
    ArtikelList->setSelectSql(QStringLiteral(
        "select P.ID, P.VT_ID, P.PREIS, P.BEMERKUNG as PREISBEM, P.ARTIKEL_ID, P.AKTIV, P.ARMM, P.GR_VON, P.GR_BIS, "
        "P.VARIANTE, P.KUNDEN_ID, A.BEZEICHNUNG, A.KURZB_ID, A.FARBE_ID, A.DIZEVAVO, A.BEMERKUNG as ARTIKELBEM, F.FARBE "
        "from PREISE P join ARTIKEL A on A.ID = P.ARTIKEL_ID join APP$FARBEN F on F.ID = A.FARBE_ID "
        "where A.AKTIV = 1 and P.AKTIV = 1 and P.KUNDEN_ID = :FID @@Order@"));
    ArtikelList->setInsertSql(QStringLiteral(
        "insert into PREISE (ID, VT_ID, PREIS, BEMERKUNG, ARTIKEL_ID, AKTIV, ARMM, GR_VON, GR_BIS, VARIANTE, KUNDEN_ID) "
        "values (:ID, :VT_ID, :PREIS, :PREISBEM, :ARTIKEL_ID, :AKTIV, :ARMM, :GR_VON, :GR_BIS, :VARIANTE, :KUNDEN_ID)"));
    // A row changed by someone else since it was read is not overwritten: the update finds no row.
    ArtikelList->setUpdateSql(QStringLiteral(
        "update PREISE set VT_ID = :VT_ID, PREIS = :PREIS, BEMERKUNG = :PREISBEM, ARTIKEL_ID = :ARTIKEL_ID, "
        "AKTIV = :AKTIV, ARMM = :ARMM, GR_VON = :GR_VON, GR_BIS = :GR_BIS, VARIANTE = :VARIANTE, KUNDEN_ID = :KUNDEN_ID "
        "where ID = :OLD_ID and VT_ID is not distinct from :OLD_VT_ID and PREIS is not distinct from :OLD_PREIS "
        "and BEMERKUNG is not distinct from :OLD_PREISBEM and ARTIKEL_ID is not distinct from :OLD_ARTIKEL_ID"));
    ArtikelList->setDeleteSql(QStringLiteral("delete from PREISE where ID = :OLD_ID"));
    ArtikelList->setGenerator(QStringLiteral("GEN_PREISE_ID"));
    const struct { const char *field; const char *label; } labels[] = {
        {"BEZEICHNUNG", " Bezeichnung"}, {"DIZEVAVO", "Velora-Nr."}, {"FARBE", "Farbe"}, {"PREIS", "Preis"},
        {"GR_VON", "Größe von"}, {"GR_BIS", "Größe bis"}, {"ARMM", "Modellnummer"}};
    for (const auto &l : labels)
        ArtikelList->props(QString::fromLatin1(l.field)).label = QString::fromUtf8(l.label);
    ArtikelList->props(QStringLiteral("PREIS")).getText = [](const QVariant &v) { return formatNumber(v, 2); };
    setDataSets(ArtikelList, nullptr);
    ArtikelList->afterScroll = nullptr;
    ArtikelList->setUpdateTransaction(TransWrite);
    ArtikelList->setAutoCommit(true);
    ArtikelList->beforeClose = [](db::DataSet &ds) {
        if (ds.isEditing())
            ds.post();
    };

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 0, 4, 4);
    auto *menu = new QMenuBar(this);
    menu->setNativeMenuBar(false);
    QMenu *edit = menu->addMenu(QStringLiteral("Bearbeiten"));
    lay->setMenuBar(menu);
    Navigator = new TExtNavigator(this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    Navigator->setToolTip(QStringLiteral("Artikel"));
    lay->addWidget(Navigator);
    for (int b : std::initializer_list<int>{TExtNavigator::nbFirst, TExtNavigator::nbPrior, TExtNavigator::nbNext,
                                            TExtNavigator::nbLast, TExtNavigator::nbInsert, TExtNavigator::nbDelete,
                                            TExtNavigator::nbEdit, TExtNavigator::nbRefresh}) {
        QAction *a = edit->addAction(TExtNavigator::hintName(b));
        connect(a, &QAction::triggered, this, [this, b]() { Navigator->click(b); });
    }
    auto *caption = new QLabel(QStringLiteral("Artikel der Firma"), this);
    caption->setStyleSheet(QStringLiteral("font-weight: bold"));
    lay->addWidget(caption);
    DBGrid1 = new TDBGrid(ArtikelList, {QStringLiteral("BEZEICHNUNG"), QStringLiteral("DIZEVAVO"), QStringLiteral("FARBE"),
                                        QStringLiteral("PREIS"), QStringLiteral("GR_VON"), QStringLiteral("GR_BIS"),
                                        QStringLiteral("ARMM")},
                          this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    lay->addWidget(DBGrid1, 1);
    auto *notes = new QGroupBox(QStringLiteral("Bemerkungen"), this);
    auto *nl = new QHBoxLayout(notes);
    auto memo = [&](const QString &title, const char *name) {
        auto *col = new QVBoxLayout;
        col->addWidget(new QLabel(title, notes));
        auto *m = new QPlainTextEdit(notes);
        m->setObjectName(QString::fromLatin1(name));
        m->setReadOnly(true);
        m->setFixedHeight(m->fontMetrics().height() * 3 + 12);
        col->addWidget(m);
        nl->addLayout(col);
        return m;
    };
    mmArtikel = memo(QStringLiteral("Artikel"), "ARTIKELBEM");
    mmPreis = memo(QStringLiteral("Preis"), "PREISBEM");
    lay->addWidget(notes);
    Binder = new db::FieldBinder(ArtikelList, this);
    Binder->bind(mmArtikel, QStringLiteral("ARTIKELBEM"));
    Binder->bind(mmPreis, QStringLiteral("PREISBEM"));

    setNavigator(Navigator);
    Navigator->setDataSet(ArtikelList);
    Navigator->OnButtonClick = [this](TExtNavigator *, int b, bool &handled) {
        switch (b) {
        case TExtNavigator::nbInsert:
            handled = true;
            EditInsert(true);
            break;
        case TExtNavigator::nbEdit:
            handled = true;
            EditInsert(false);
            break;
        case TExtNavigator::nbRefresh:
            handled = true;
            Refresh();
            break;
        case TExtNavigator::nbDelete:
            // Nothing to delete in an empty list (the button stays usable there, see the state below).
            handled = ArtikelList->isOpen() && ArtikelList->recordCount() == 0;
            break;
        default:
            break;
        }
    };
    Navigator->OnGetState = [this](TExtNavigator *, int &bits) {
        if (!ArtikelList->isOpen())
            return;
        bits |= 1 << TExtNavigator::nbInsert;
        if (ArtikelList->recordCount() == 0)
            bits |= (1 << TExtNavigator::nbDelete) | (1 << TExtNavigator::nbEdit);
    };
    connect(DBGrid1, &QAbstractItemView::doubleClicked, this, [this]() { EditInsert(false); });
    connect(DBGrid1, &TDBGrid::titleClicked, this, &TArtikelListForm::TitleClick);
    connect(DBGrid1->addMenuEntry(QStringLiteral("Warenstamm")), &QAction::triggered, this,
            &TArtikelListForm::OpenWarenstamm);
    resize(760, 460);
}

void TArtikelListForm::FreeLists()
{
    ArtikelList->close();
}

void TArtikelListForm::OpenList()
{
    const QString clause = QString::fromLatin1(kOrder[(m_sortCol >= 0 && m_sortCol < 7) ? m_sortCol : 0]);
    ArtikelList->close();
    ArtikelList->setParam(QStringLiteral("FID"), m_firmenId);
    ArtikelList->setMacro(QStringLiteral("Order"), QStringLiteral("order by ") + clause + (m_desc ? QStringLiteral(" DESC") : QString()));
    ArtikelList->open();
}

void TArtikelListForm::setFirmen_ID(qint64 id)
{
    try {
        if (id == -1) {
            if (ArtikelList->isEditing())
                ArtikelList->post();
            ArtikelList->close();
        } else if (id > 0) {
            m_firmenId = id;
            OpenList();
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("TTArtikelListForm. SetFirma_ID"), this, true);
    }
    Navigator->updateState();
}

void TArtikelListForm::Refresh()
{
    if (!ArtikelList->isOpen() && m_firmenId <= 0)
        return;
    const qint64 at = m_lastPosted != 0 ? m_lastPosted : idOf(ArtikelList);
    OpenList();
    if (at != 0)
        ArtikelList->locate(QStringLiteral("ID"), at);
    m_lastPosted = 0;
}

void TArtikelListForm::EditInsert(bool insert)
{
    if (!ArtikelList->isOpen() || m_firmenId <= 0)
        return;
    if (ArtikelList->recordCount() == 0)
        insert = true;
    TFrmEditFirmenArtikel dlg(TransRead, this);
    if (insert) {
        dlg.setWindowTitle(QStringLiteral("Firmenartikel - anlegen"));
        dlg.setPreisText(formatNumber(QVariant(0.0), 2));
    } else {
        dlg.setWindowTitle(QStringLiteral("Firmenartikel - editieren"));
        dlg.setArtikel(idOf(ArtikelList, "ARTIKEL_ID"), ArtikelList->fieldByName(QStringLiteral("BEZEICHNUNG")).asString(),
                       ArtikelList->fieldByName(QStringLiteral("DIZEVAVO")).asString());
        dlg.setVertreter(idOf(ArtikelList, "VT_ID"));
        dlg.setBemerkung(ArtikelList->fieldByName(QStringLiteral("PREISBEM")).asString());
        dlg.setPreisText(formatNumber(ArtikelList->fieldByName(QStringLiteral("PREIS")).value(), 2));
    }
    // A failed save reports the error and shows the dialog again with everything typed.
    for (;;) {
        if (dlg.exec() != QDialog::Accepted)
            return;
        try {
            db::Decimal preis;
            dlg.preis(&preis);
            if (insert) {
                ArtikelList->append();
                ArtikelList->fieldByName(QStringLiteral("AKTIV")).setValue(1);
                ArtikelList->fieldByName(QStringLiteral("KUNDEN_ID")).setValue(m_firmenId);
            } else {
                ArtikelList->edit();
            }
            ArtikelList->fieldByName(QStringLiteral("VT_ID")).setValue(dlg.vertreterId());
            ArtikelList->fieldByName(QStringLiteral("PREIS")).setCurrency(preis);
            ArtikelList->fieldByName(QStringLiteral("PREISBEM")).setValue(dlg.bemerkung());
            ArtikelList->fieldByName(QStringLiteral("ARTIKEL_ID")).setValue(dlg.artikelId());
            ArtikelList->post();
            m_lastPosted = idOf(ArtikelList);
            break;
        } catch (...) {
            if (ArtikelList->isEditing())
                ArtikelList->cancel();
            Systools::HandleException(QStringLiteral("TTArtikelListForm. QPreisInsert-Update"), this, false);
        }
    }
    Refresh();
}

void TArtikelListForm::TitleClick(int column)
{
    if (column == m_sortCol) {
        m_desc = !m_desc;
    } else {
        m_sortCol = column;
        m_desc = false;
    }
    if (!ArtikelList->isOpen())
        return;
    try {
        const qint64 at = idOf(ArtikelList);
        OpenList();
        if (at != 0)
            ArtikelList->locate(QStringLiteral("ID"), at);
    } catch (...) {
        Systools::HandleException(QStringLiteral("TArtikelListForm.DBGrid1TitleClick"), this, false);
    }
}

void TArtikelListForm::OpenWarenstamm()
{
    const qint64 id = idOf(ArtikelList, "ARTIKEL_ID");
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TWarenstammForm"), {QVariant(qlonglong(id))}, 0);
}
