#include "recordform.h"

#include "griddelegate.h"

#include "host/recordware/datenmodul.h"
#include "host/shellware/cfg.h"
#include "host/shellware/dialogs.h"
#include "host/shellware/extnavigator.h"
#include "host/shellware/modinfo.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "host/shellware/user.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/transaction.h"

#include <QDateTime>
#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>

namespace kit {

namespace {
// Lock(true) now, Lock(false) when leaving the scope, also on an exception.
struct FormLock
{
    explicit FormLock(TWin95Form *f) : form(f) { form->Lock(true); }
    ~FormLock() { form->Lock(false); }
    TWin95Form *form;
};
} // namespace

RecordForm::RecordForm(QWidget *parent) : TWin95Form(parent)
{
    FMI = new TFormModuleInfo(this);
    FMI->OnExecute = [this](TFormModuleInfo *s, QWidget *f, const QVariantList &a, int last) { FMIExecute(s, f, a, last); };
    FMI->OnGlobalChanged = [this](TFormModuleInfo *s, int flags) { FMIGlobalChanged(s, flags); };
    TransRead = new db::Transaction(nullptr, db::Transaction::readParams(), this);
    TransRead->setObjectName(QStringLiteral("TransRead"));
    TransWrite = new db::Transaction(nullptr, db::Transaction::writeParams(), this);
    TransWrite->setObjectName(QStringLiteral("TransWrite"));
}

RecordForm::~RecordForm() = default;

void RecordForm::setDataSets(db::DataSet *list, db::DataSet *record)
{
    m_list = list;
    m_record = record;
    if (list) {
        list->setTransaction(TransRead);
        list->afterScroll = [this](db::DataSet &) { listScrolled(); };
    }
    if (record) {
        record->setTransaction(TransRead);
        record->setUpdateTransaction(TransWrite);
        record->setAutoCommit(true);
        record->afterScroll = [this](db::DataSet &) { recordScrolled(); };
        record->afterPost = [this](db::DataSet &) { afterPost(); };
        record->onNewRecord = [this](db::DataSet &ds) { newRecord(ds); };
        m_plainSelect = record->selectSql();
        record->beforePost = [this](db::DataSet &ds) { beforePost(ds); };
        record->beforeDelete = [this](db::DataSet &) {
            SoftDelete();
            throw db::Abort();
        };
    }
}

void RecordForm::setNavigator(TExtNavigator *nav)
{
    m_nav = nav;
    if (!nav)
        return;
    if (m_record)
        nav->setDataSet(m_record);
    nav->OnButtonClick = [this](TExtNavigator *, int button, bool &handled) { NavigatorClick(button, handled); };
}

void RecordForm::setKeyedRecord(bool on)
{
    if (!m_record || on == m_keyed)
        return;
    m_keyed = on;
    if (on) {
        m_plainSelect = m_record->selectSql();
        m_record->setSelectSql(QStringLiteral("select * from (") + m_plainSelect
                               + QStringLiteral(") KIT_REC where KIT_REC.ID = :KIT_KEY"));
        m_record->setParam(QStringLiteral("KIT_KEY"), QVariant());
    } else {
        m_record->setSelectSql(m_plainSelect);
    }
}

void RecordForm::setListView(QTableView *view)
{
    m_view = view;
    if (!view || !m_list)
        return;
    // The list's cells are plain one-line texts: the quick cell painter draws them.
    if (view->itemDelegate() && view->itemDelegate()->metaObject() == &QStyledItemDelegate::staticMetaObject)
        view->setItemDelegate(new GridDelegate(view));
    // The view's current row moves the list; the list's moves select the row in the view.
    auto follow = [this]() {
        if (!m_view || !m_list || !m_list->isOpen() || !m_view->selectionModel())
            return;
        const int row = m_list->recNo();
        const QModelIndex cur = m_view->selectionModel()->currentIndex();
        if (row < 0 || (cur.isValid() && cur.row() == row))
            return;
        const QModelIndex idx = m_view->model()->index(row, qMax(0, cur.column()));
        m_view->selectionModel()->setCurrentIndex(idx, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_view->scrollTo(idx);
    };
    connect(m_list, &db::DataSet::currentChanged, view, follow);
    connect(m_list, &db::DataSet::reset, view, follow, Qt::QueuedConnection);
    auto hook = [this]() {
        if (!m_view || !m_view->selectionModel())
            return;
        connect(m_view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
                [this](const QModelIndex &cur) {
                    if (!cur.isValid() || !m_list || !m_list->isOpen() || cur.row() == m_list->recNo())
                        return;
                    try {
                        m_list->moveTo(cur.row());
                    } catch (...) {
                        Systools::HandleException(QString::fromLatin1(metaObject()->className()) + QStringLiteral(".ListMove"), this, false);
                    }
                });
    };
    hook();
}

void RecordForm::NavigatorClick(int button, bool &handled)
{
    if (!m_keyed || !m_list || !m_list->isOpen())
        return;
    switch (button) {
    case TExtNavigator::nbFirst: m_list->first(); break;
    case TExtNavigator::nbPrior: m_list->prior(); break;
    case TExtNavigator::nbNext: m_list->next(); break;
    case TExtNavigator::nbLast: m_list->last(); break;
    default: return;
    }
    handled = true;
}

void RecordForm::syncRecordToList()
{
    if (!m_record || !m_list)
        return;
    const QVariant id = m_list->isOpen() && m_list->recordCount() > 0 && m_list->recNo() >= 0
                            ? m_list->fieldByName(QStringLiteral("ID")).value()
                            : QVariant();
    if (m_keyed) {
        if (m_record->isOpen() && m_record->recordCount() > 0 && !m_record->isEditing()
            && m_record->fieldByName(QStringLiteral("ID")).value() == id && !id.isNull())
            return;
        m_record->close();
        m_record->setParam(QStringLiteral("KIT_KEY"), id);
        m_record->open();
    } else if (m_record->isOpen() && !id.isNull()) {
        m_record->locate(QStringLiteral("ID"), id);
    }
}

bool RecordForm::ReopenDataSets(qint64 id, bool withLookups)
{
    FormLock lock(this);
    if (m_record && m_record->isEditing())
        m_record->cancel();
    if (withLookups)
        for (const auto &ds : std::as_const(m_lookups))
            if (ds) {
                ds->close();
                ds->open();
            }
    ApplyMacros();
    if (m_list)
        m_list->close();
    if (m_record) {
        m_record->close();
        if (!m_keyed)
            m_record->open();
    }
    bool found = false;
    if (m_list) {
        m_list->open();
        found = id != 0 && m_list->locate(QStringLiteral("ID"), id);
        if (!found && m_list->recordCount() > 0)
            m_list->first();
        syncRecordToList();
    } else if (m_record && m_keyed) {
        m_record->setParam(QStringLiteral("KIT_KEY"), id ? QVariant(qlonglong(id)) : QVariant());
        m_record->open();
        found = m_record->recordCount() > 0;
    }
    return found;
}

void RecordForm::ShowPage(int index)
{
    if (!m_pages)
        return;
    m_pageGuard = true;
    m_pages->setCurrentIndex(index);
    m_lastPage = m_pages->currentIndex();
    m_pageGuard = false;
}

void RecordForm::ReattachSearch(const QString &field)
{
    m_searchField = field;
    if (!m_list || field.isEmpty())
        return;
    QLineEdit *old = m_search;
    QLineEdit *edit = Suchtool::CreateSuchForm(this, m_list, field);
    if (old) {
        edit->setMaximumWidth(old->maximumWidth());
        if (QWidget *p = old->parentWidget())
            if (QLayout *l = p->layout()) {
                if (auto *box = qobject_cast<QBoxLayout *>(l)) {
                    const int at = box->indexOf(old);
                    if (at >= 0) {
                        box->insertWidget(at, edit);
                        edit->setParent(p);
                    }
                } else {
                    l->replaceWidget(old, edit);
                }
            }
        edit->setVisible(old->isVisibleTo(old->parentWidget()));
        old->deleteLater();
        old->setObjectName(QString());
    } else {
        placeSearch(edit);
    }
    m_search = edit;
}

void RecordForm::setPages(QTabWidget *pages)
{
    m_pages = pages;
    if (pages)
        connect(pages, &QTabWidget::currentChanged, this, &RecordForm::pageChanging);
}

void RecordForm::setCharacteristicFields(QLabel *caption1, QWidget *edit1, QLabel *caption2, QWidget *edit2)
{
    m_cap1 = caption1;
    m_edit1 = edit1;
    m_cap2 = caption2;
    m_edit2 = edit2;
}

qint64 RecordForm::CurrentID() const
{
    if (!m_record || !m_record->isOpen() || m_record->recordCount() == 0 || m_record->recNo() < 0)
        return 0;
    return m_record->fieldByName(QStringLiteral("ID")).value().toLongLong();
}

bool RecordForm::MoveTo(qint64 id)
{
    if (!m_list || !m_list->isOpen())
        return false;
    bool found = false;
    {
        FormLock lock(this);
        if (m_record && m_record->isEditing())
            m_record->post();
        found = m_list->locate(QStringLiteral("ID"), id);
        if (found)
            syncRecordToList();
    }
    return found;
}

void RecordForm::ApplyReadOnly()
{
    const bool ro = FMI && FMI->ReadOnly();
    if (m_record)
        m_record->setAllowedUpdateKinds(ro ? 0 : db::DataSet::ukAll);
    if (m_list)
        m_list->setAllowedUpdateKinds(ro ? 0 : db::DataSet::ukAll);
    if (m_nav)
        m_nav->setReadOnly(ro);
    for (const auto &w : std::as_const(m_pickButtons))
        if (w)
            w->setEnabled(!ro);
    m_readOnlyApplied = ro;
}

void RecordForm::FormCreate()
{
    // 1 private lists, 2 panels
    CreateLists();
    ArrangePanels();
    // 3 speed-button glyph spacing: Qt's tool buttons lay out icon and text themselves.
    // 4 user-type rules, 5 host INI captions
    ApplyUserType();
    ApplyIniCaptions();
    // 6 the shared connection
    Dm::DatenModul()->SetupConnections(this, nullptr);
    // 7 initial lookup lists through the form's own global-change handler
    Modinfo::NotifyGlobalChanged(this, 0xFFFF);
    // 8 open the datasets, locked and with the controls disabled
    {
        Lock(true);
        setControlsEnabled(false);
        try {
            OpenDataSets();
        } catch (...) {
            setControlsEnabled(true);
            Lock(false);
            throw;
        }
        setControlsEnabled(true);
        Lock(false);
    }
    // 9 search box
    AttachSearch();
}

void RecordForm::ApplyUserType()
{
    const bool privileged = User::IsPrivileged();
    for (const auto &w : std::as_const(m_privileged))
        if (w)
            w->setVisible(privileged);
    if (m_nav && User::IsSystemUser()) {
        m_nav->setVisibleButtons(m_nav->VisibleButtons() | 0x800);
        if (QToolButton *b = m_nav->button(TExtNavigator::nbExtra))
            b->setFixedWidth(23);
    }
}

void RecordForm::ApplyIniCaptions()
{
    const QString section = QString::fromLatin1(metaObject()->className());
    const QString z1 = Cfg::HostIniValue(section, QStringLiteral("Zusatz1"));
    const QString z2 = Cfg::HostIniValue(section, QStringLiteral("Zusatz2"));
    auto apply = [](QLabel *cap, QWidget *edit, const QString &text) {
        if (cap) {
            cap->setText(text);
            cap->setVisible(!text.isEmpty());
        }
        if (edit)
            edit->setVisible(!text.isEmpty());
    };
    apply(m_cap1, m_edit1, z1);
    apply(m_cap2, m_edit2, z2);
}

void RecordForm::ApplyMacros()
{
    if (m_record)
        m_record->setMacro(QStringLiteral("Where"), QStringLiteral("where DD is NULL"));
}

void RecordForm::OpenDataSets()
{
    for (const auto &ds : std::as_const(m_lookups))
        if (ds) {
            ds->setTransaction(TransRead);
            ds->open();
        }
    ApplyMacros();
    if (m_record && !m_keyed)
        m_record->open();
    if (m_list) {
        m_list->open();
        m_list->first();
    }
    if (m_keyed || (m_list && m_list->recordCount() > 0))
        syncRecordToList();
}

void RecordForm::AttachSearch()
{
    if (!m_list || m_searchField.isEmpty())
        return;
    m_search = Suchtool::CreateSuchForm(this, m_list, m_searchField);
    placeSearch(m_search);
}

void RecordForm::placeSearch(QLineEdit *edit)
{
    // Beside the navigator when there is one; otherwise the subclass places it.
    if (m_nav)
        if (auto *row = qobject_cast<QBoxLayout *>(m_nav->layout())) {
            edit->setMaximumWidth(220);
            row->addWidget(edit);
        }
}

void RecordForm::FormDestroy()
{
    const QString cls = QString::fromLatin1(metaObject()->className());
    auto finish = [&](db::Transaction *tr, const char *name) {
        if (!tr || !tr->isActive())
            return;
        try {
            tr->commit();
        } catch (...) {
            try {
                tr->rollback();
            } catch (...) {
            }
            Systools::HandleException(cls + QStringLiteral(".FormDestroy().") + QLatin1String(name), this, true);
        }
    };
    if (m_record && m_record->isEditing()) {
        try {
            m_record->cancel();
        } catch (...) {
        }
    }
    finish(TransWrite, "TransWrite");
    // The datasets go with the form: closing them first spares the read transaction's commit
    // from reading the rest of a long list that nobody will look at any more.
    for (db::DataSet *ds : findChildren<db::DataSet *>())
        if (ds->transaction() == TransRead && !ds->isEditing())
            ds->close();
    finish(TransRead, "TransRead");
    if (ClearFormVariable)
        ClearFormVariable();
    FreeLists();
}

void RecordForm::FMIExecute(TFormModuleInfo *, QWidget *, const QVariantList &args, int last)
{
    ExecuteDefault(args, last, true);
}

void RecordForm::ExecuteDefault(const QVariantList &args, int last, bool negativeStartsNew)
{
    if (last < 0 || args.isEmpty()) {
        if (m_list && m_list->isOpen()) {
            FormLock lock(this);
            m_list->first();
            if (m_list->recordCount() > 0)
                syncRecordToList();
        }
        return;
    }
    bool ok = false;
    const qint64 id = args.at(0).toLongLong(&ok);
    if (!ok || id == 0)
        return;
    if (id > 0) {
        MoveTo(id);
    } else if (negativeStartsNew && m_record && m_record->isOpen() && !(FMI && FMI->ReadOnly())) {
        if (m_record->isEditing())
            m_record->post();
        m_record->append();
    }
}

void RecordForm::FMIGlobalChanged(TFormModuleInfo *, int flags)
{
    if (isDestroying())
        return;
    if (flags & 2) {
        LoadLookups();
        if (m_record && m_record->state() == db::DataSet::Browse && m_record->recordCount() > 0) {
            FormLock lock(this);
            m_record->refresh();
        }
    }
    ApplyReadOnly();
}

void RecordForm::listScrolled()
{
    if (GetLocked() || !m_record || !m_list || m_list->recordCount() == 0)
        return;
    if (!m_keyed && !m_record->isOpen())
        return;
    FormLock lock(this);
    if (m_record->isEditing()) {
        if (!m_keyed)
            return;
        // Moving away from a record being edited saves it first; when that fails the list goes
        // back to it and the typed values stay.
        try {
            m_record->post();
        } catch (...) {
            if (m_record->isEditing() && m_record->state() == db::DataSet::Edit)
                m_list->locate(QStringLiteral("ID"), m_record->fieldByName(QStringLiteral("ID")).value());
            Systools::HandleException(QString::fromLatin1(metaObject()->className()) + QStringLiteral(".ListScroll"), this, false);
            return;
        }
    }
    syncRecordToList();
}

void RecordForm::recordScrolled()
{
    if (GetLocked() || !m_list || !m_record || m_record->state() != db::DataSet::Browse || m_record->recordCount() == 0)
        return;
    FormLock lock(this);
    const QVariant id = m_record->fieldByName(QStringLiteral("ID")).value();
    if (!m_list->isOpen() || !m_list->locate(QStringLiteral("ID"), id)) {
        m_list->close();
        m_list->open();
        m_list->locate(QStringLiteral("ID"), id);
    }
}

void RecordForm::afterPost()
{
    if (m_inSoftDelete || !m_list || !m_record || GetLocked())
        return;
    FormLock lock(this);
    const QVariant id = m_record->fieldByName(QStringLiteral("ID")).value();
    const int oldRow = m_list->recNo();
    ApplyMacros();
    m_list->close();
    m_list->open();
    if (!m_list->locate(QStringLiteral("ID"), id) && m_followOld && m_list->recordCount() > 0) {
        m_list->moveTo(qBound(0, oldRow, m_list->recordCount() - 1));
        if (m_keyed)
            syncRecordToList();
    }
}

void RecordForm::newRecord(db::DataSet &ds)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_generator.isEmpty() && ds.hasField(QStringLiteral("ID")))
        ds.fieldByName(QStringLiteral("ID")).setValue(Dm::DatenModul()->Generator(m_generator, 1));
    for (const char *f : {"DC", "DM"})
        if (ds.hasField(QString::fromLatin1(f)))
            ds.fieldByName(QString::fromLatin1(f)).setValue(now);
    NewRecord(ds);
}

void RecordForm::beforePost(db::DataSet &ds)
{
    BeforePost(ds);
    if (ds.hasField(QStringLiteral("DM")))
        ds.fieldByName(QStringLiteral("DM")).setValue(QDateTime::currentDateTime());
}

void RecordForm::SoftDelete()
{
    if (!m_record || !m_record->isOpen() || m_record->recordCount() == 0)
        return;
    const int oldRow = m_list ? m_list->recNo() : -1;
    m_inSoftDelete = true;
    try {
        const QDateTime now = QDateTime::currentDateTime();
        if (!m_record->isEditing())
            m_record->edit();
        m_record->fieldByName(QStringLiteral("DD")).setValue(now);
        m_record->fieldByName(QStringLiteral("DM")).setValue(now);
        m_record->post();
    } catch (...) {
        m_inSoftDelete = false;
        if (m_record->isEditing())
            m_record->cancel();
        throw;
    }
    m_inSoftDelete = false;
    FormLock lock(this);
    ApplyMacros();
    m_record->close();
    if (!m_keyed)
        m_record->open();
    if (m_list) {
        m_list->close();
        m_list->open();
        if (m_list->recordCount() > 0)
            m_list->moveTo(qBound(0, oldRow, m_list->recordCount() - 1));
        if (m_keyed || m_list->recordCount() > 0)
            syncRecordToList();
    } else if (m_keyed) {
        m_record->open();
    }
}

void RecordForm::pageChanging(int index)
{
    if (m_pageGuard || !m_pages)
        return;
    if (m_record && m_record->state() == db::DataSet::Insert) {
        try {
            if (m_binder)
                m_binder->flush();
            m_record->post();
            m_record->edit();
        } catch (...) {
            Systools::HandleException(QString::fromLatin1(metaObject()->className()) + QStringLiteral(".PageChange"), this, false);
            m_pageGuard = true;
            m_pages->setCurrentIndex(m_lastPage);
            m_pageGuard = false;
            return;
        }
    }
    m_lastPage = index;
}

void RecordForm::setControlsEnabled(bool on)
{
    // The datasets open synchronously, so no input reaches the editors meanwhile: they are only
    // kept from following every move and show the record once at the end. Disabling and
    // enabling each editor would restyle the whole form twice.
    if (m_binder)
        m_binder->setSuspended(!on);
}

void SetWriteSql(db::DataSet *ds, const QString &table, const QString &columns)
{
    QStringList params, sets;
    for (const QString &c : columns.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const QString n = c.trimmed();
        params << QLatin1Char(':') + n;
        if (n.compare(QLatin1String("ID"), Qt::CaseInsensitive) != 0)
            sets << n + QStringLiteral(" = :") + n;
    }
    ds->setInsertSql(QStringLiteral("insert into %1 (%2) values (%3)").arg(table, columns, params.join(QStringLiteral(", "))));
    ds->setUpdateSql(QStringLiteral("update %1 set %2 where ID = :OLD_ID and DM is not distinct from :OLD_DM")
                         .arg(table, sets.join(QStringLiteral(", "))));
}

} // namespace kit
