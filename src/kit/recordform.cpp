#include "recordform.h"

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
#include <QTabWidget>
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
    if (nav && m_record)
        nav->setDataSet(m_record);
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
        found = m_list->locate(QStringLiteral("ID"), id);
        if (found && m_record && m_record->isOpen())
            m_record->locate(QStringLiteral("ID"), id);
    }
    return found;
}

void RecordForm::ApplyReadOnly()
{
    const bool ro = FMI && FMI->ReadOnly();
    if (m_record)
        m_record->setAllowedUpdateKinds(ro ? 0 : db::DataSet::ukAll);
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

void RecordForm::OpenDataSets()
{
    for (const auto &ds : std::as_const(m_lookups))
        if (ds) {
            ds->setTransaction(TransRead);
            ds->open();
        }
    if (m_record) {
        m_record->setMacro(QStringLiteral("Where"), QStringLiteral("where DD is NULL"));
        m_record->open();
    }
    if (m_list) {
        m_list->open();
        m_list->first();
        if (m_record && m_list->recordCount() > 0)
            m_record->locate(QStringLiteral("ID"), m_list->fieldByName(QStringLiteral("ID")).value());
    }
}

void RecordForm::AttachSearch()
{
    if (!m_list || m_searchField.isEmpty())
        return;
    m_search = Suchtool::CreateSuchForm(this, m_list, m_searchField);
    // Beside the navigator when there is one; otherwise the subclass places it.
    if (m_nav)
        if (auto *row = qobject_cast<QBoxLayout *>(m_nav->layout())) {
            m_search->setMaximumWidth(220);
            row->addWidget(m_search);
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
            if (m_record && m_list->recordCount() > 0)
                m_record->locate(QStringLiteral("ID"), m_list->fieldByName(QStringLiteral("ID")).value());
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
    if (GetLocked() || !m_record || !m_record->isOpen() || !m_list || m_list->recordCount() == 0)
        return;
    FormLock lock(this);
    if (m_record->isEditing())
        return;
    m_record->locate(QStringLiteral("ID"), m_list->fieldByName(QStringLiteral("ID")).value());
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
    if (m_inSoftDelete || !m_list || !m_record)
        return;
    FormLock lock(this);
    const QVariant id = m_record->fieldByName(QStringLiteral("ID")).value();
    const int oldRow = m_list->recNo();
    m_list->close();
    m_list->open();
    if (!m_list->locate(QStringLiteral("ID"), id) && m_followOld && m_list->recordCount() > 0)
        m_list->moveTo(qBound(0, oldRow, m_list->recordCount() - 1));
}

void RecordForm::newRecord(db::DataSet &ds)
{
    const QDateTime now = QDateTime::currentDateTime();
    if (!m_generator.isEmpty() && ds.hasField(QStringLiteral("ID")))
        ds.fieldByName(QStringLiteral("ID")).setValue(Dm::DatenModul()->Generator(m_generator, 1));
    for (const char *f : {"DC", "DM"})
        if (ds.hasField(QString::fromLatin1(f)))
            ds.fieldByName(QString::fromLatin1(f)).setValue(now);
}

void RecordForm::beforePost(db::DataSet &ds)
{
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
    m_record->close();
    m_record->open();
    if (m_list) {
        m_list->close();
        m_list->open();
        if (m_list->recordCount() > 0) {
            m_list->moveTo(qBound(0, oldRow, m_list->recordCount() - 1));
            m_record->locate(QStringLiteral("ID"), m_list->fieldByName(QStringLiteral("ID")).value());
        }
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
    if (m_binder)
        m_binder->setEnabled(on);
    if (m_nav)
        m_nav->setEnabled(on);
}

} // namespace kit
