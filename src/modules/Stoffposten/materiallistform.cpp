#include "materiallistform.h"

#include "dbgrid.h"

#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/systools.h"
#include "kit/registration.h"
#include "platform/db/dataset.h"
#include "platform/db/fieldbinder.h"

#include <QAction>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QVBoxLayout>

TMaterialListForm *MaterialListForm = nullptr;

FD_REGISTER_FORM(TMaterialListForm, &MaterialListForm);

void TMaterialListForm::Describe(TModuleInfo &m)
{
    m.Description = QStringLiteral("Material der gewählten Firma");
    m.Hint = QStringLiteral("Öffnet das Formular zur Anzeige des Materials der gewählten Firma");
    m.LinkedTools = QStringLiteral("ToolsToolbar");
    m.Security = fsAll;
}

TMaterialListForm::TMaterialListForm(QWidget *parent) : kit::RecordForm(parent)
{
    Describe(*FMI);
    // A page of the company dossier: no execute or global-change handler of its own.
    FMI->OnExecute = nullptr;
    FMI->OnGlobalChanged = nullptr;
    UseFormVariable(MaterialListForm);
    setWindowTitle(QStringLiteral("Material der gewählten Firma"));

    MaterialList = new db::DataSet(this);
    MaterialList->setObjectName(QStringLiteral("MaterialList"));
    MaterialList->setSelectSql(QStringLiteral(
        "select M.ID, M.KURZNAME_ID, cast(case when M.NAME1 is null then M.NAME2 when M.NAME2 is null then M.NAME1 "
        "else M.NAME1 || ' ' || M.NAME2 end as varchar(101)) as NAME, M.VARBEZ, M.MATNUMMER, M.LIEFERER_ID, K.KURZNAME "
        "from MATERIAL M left outer join APP$MATKURZN K on K.ID = M.KURZNAME_ID where M.LIEFERER_ID = :FID @@Order@"));
    MaterialList->setAllowedUpdateKinds(0);
    MaterialList->props(QStringLiteral("NAME")).label = QStringLiteral(" Bezeichnung");
    MaterialList->props(QStringLiteral("VARBEZ")).label = QStringLiteral("var. Bezeichnung");
    MaterialList->props(QStringLiteral("MATNUMMER")).label = QStringLiteral("Nummer");
    setDataSets(MaterialList, nullptr);
    MaterialList->afterScroll = nullptr;

    auto *lay = new QVBoxLayout(this);
    lay->setContentsMargins(4, 0, 4, 4);
    auto *menu = new QMenuBar(this);
    menu->setNativeMenuBar(false);
    QMenu *edit = menu->addMenu(QStringLiteral("Bearbeiten"));
    lay->setMenuBar(menu);
    Navigator = new TExtNavigator(this);
    Navigator->setObjectName(QStringLiteral("Navigator"));
    Navigator->setToolTip(QStringLiteral("Teil"));
    Navigator->setVisibleButtons((1 << TExtNavigator::nbFirst) | (1 << TExtNavigator::nbPrior) | (1 << TExtNavigator::nbNext)
                                 | (1 << TExtNavigator::nbLast) | (1 << TExtNavigator::nbRefresh));
    lay->addWidget(Navigator);
    for (int b : std::initializer_list<int>{TExtNavigator::nbFirst, TExtNavigator::nbPrior, TExtNavigator::nbNext,
                                            TExtNavigator::nbLast, TExtNavigator::nbRefresh}) {
        QAction *a = edit->addAction(TExtNavigator::hintName(b));
        connect(a, &QAction::triggered, this, [this, b]() { Navigator->click(b); });
    }
    auto *caption = new QLabel(QStringLiteral("Material der Firma"), this);
    caption->setStyleSheet(QStringLiteral("font-weight: bold"));
    lay->addWidget(caption);
    DBGrid1 = new TDBGrid(MaterialList, {QStringLiteral("NAME"), QStringLiteral("VARBEZ"), QStringLiteral("MATNUMMER")}, this);
    DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
    lay->addWidget(DBGrid1, 1);
    auto *below = new QGridLayout;
    Binder = new db::FieldBinder(MaterialList, this);
    const struct { const char *caption; const char *field; } fields[] = {
        {"Bezeichnung", "NAME"}, {"Var. Bezeich.", "VARBEZ"}, {"Kurzname", "KURZNAME"}};
    int row = 0;
    for (const auto &f : fields) {
        auto *e = new QLineEdit(this);
        e->setObjectName(QString::fromLatin1(f.field));
        e->setReadOnly(true);
        below->addWidget(new QLabel(QString::fromUtf8(f.caption), this), row, 0);
        below->addWidget(e, row, 1);
        Binder->bind(e, QString::fromLatin1(f.field));
        ++row;
    }
    lay->addLayout(below);
    setNavigator(Navigator);
    Navigator->setDataSet(MaterialList);
    Navigator->OnButtonClick = nullptr;
    Navigator->setReadOnly(true);

    QAction *stamm = DBGrid1->addMenuEntry(QStringLiteral("Materialstamm"));
    connect(stamm, &QAction::triggered, this, &TMaterialListForm::OpenMaterialstamm);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    addAction(stamm);
    connect(DBGrid1, &TDBGrid::titleClicked, this, &TMaterialListForm::TitleClick);
    resize(700, 440);
}

void TMaterialListForm::FreeLists()
{
    MaterialList->close();
}

void TMaterialListForm::OpenList()
{
    static const char *const order[] = {" M.NAME1 ", " M.VARBEZ ", " M.MATNUMMER "};
    const QString clause = (m_sortCol >= 0 && m_sortCol <= 2) ? QString::fromLatin1(order[m_sortCol])
                                                              : QStringLiteral(" M.Name1, M.NAME2 ");
    MaterialList->close();
    MaterialList->setParam(QStringLiteral("FID"), m_firmenId);
    MaterialList->setMacro(QStringLiteral("Order"), QStringLiteral("order by") + clause + (m_desc ? QStringLiteral(" DESC") : QString()));
    MaterialList->open();
}

void TMaterialListForm::setFirmen_ID(qint64 id)
{
    try {
        if (id == -1) {
            if (MaterialList->isEditing())
                MaterialList->cancel();
            MaterialList->close();
        } else if (id > 0) {
            m_firmenId = id;
            OpenList();
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("TMaterialListForm.SetFirmen_ID"), this, true);
    }
}

void TMaterialListForm::TitleClick(int column)
{
    if (column == m_sortCol) {
        m_desc = !m_desc;
    } else {
        m_sortCol = column;
        m_desc = false;
    }
    if (!MaterialList->isOpen())
        return;
    Binder->setEnabled(false);
    DBGrid1->setEnabled(false);
    try {
        OpenList();
    } catch (...) {
        Binder->setEnabled(true);
        DBGrid1->setEnabled(true);
        Systools::HandleException(QStringLiteral("TMaterialListForm.DBGrid1TitleClick"), this, false);
        return;
    }
    Binder->setEnabled(true);
    DBGrid1->setEnabled(true);
}

void TMaterialListForm::OpenMaterialstamm()
{
    if (!MaterialList->isOpen() || MaterialList->recordCount() == 0 || MaterialList->recNo() < 0)
        return;
    const qint64 id = MaterialList->fieldByName(QStringLiteral("ID")).value().toLongLong();
    if (id > 0)
        Modinfo::CreateAndRunForm(QStringLiteral("TMaterialstammForm"), {QVariant(qlonglong(id))}, 0);
}
