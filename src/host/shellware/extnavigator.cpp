#include "extnavigator.h"

#include "dialogs.h"
#include "systools.h"
#include "platform/db/dataset.h"
#include "platform/db/dberror.h"

#include <QHBoxLayout>
#include <QHash>
#include <QIcon>
#include <QPair>
#include <QStyle>
#include <QToolButton>

namespace {
struct ButtonDef
{
    int id;
    const char *name;
    const char *text;
    QStyle::StandardPixmap icon;
};
const ButtonDef kButtons[] = {
    {TExtNavigator::nbFirst, "nbFirst", "Erster Datensatz", QStyle::SP_MediaSkipBackward},
    {TExtNavigator::nbPrior, "nbPrior", "Vorheriger Datensatz", QStyle::SP_MediaSeekBackward},
    {TExtNavigator::nbNext, "nbNext", "Nächster Datensatz", QStyle::SP_MediaSeekForward},
    {TExtNavigator::nbLast, "nbLast", "Letzter Datensatz", QStyle::SP_MediaSkipForward},
    {TExtNavigator::nbInsert, "nbInsert", "Einfügen", QStyle::SP_FileIcon},
    {TExtNavigator::nbDelete, "nbDelete", "Löschen", QStyle::SP_TrashIcon},
    {TExtNavigator::nbEdit, "nbEdit", "Bearbeiten", QStyle::SP_FileDialogDetailedView},
    {TExtNavigator::nbPost, "nbPost", "Speichern", QStyle::SP_DialogSaveButton},
    {TExtNavigator::nbCancel, "nbCancel", "Abbrechen", QStyle::SP_DialogCancelButton},
    {TExtNavigator::nbExtra, "nbExtra", "Wartung", QStyle::SP_BrowserReload},
    {TExtNavigator::nbRefresh, "nbRefresh", "Aktualisieren", QStyle::SP_BrowserReload},
};
// The style's icons are read from image files each time they are asked for; every record form has
// a navigator, so they are read once per style and kept for the run.
QIcon navigatorIcon(QStyle *style, QStyle::StandardPixmap which)
{
    static QHash<QPair<const QStyle *, int>, QIcon> cache;
    const auto key = qMakePair(static_cast<const QStyle *>(style), int(which));
    auto it = cache.constFind(key);
    if (it == cache.constEnd())
        it = cache.insert(key, style->standardIcon(which));
    return it.value();
}
} // namespace

TExtNavigator::TExtNavigator(QWidget *parent) : QWidget(parent)
{
    auto *lay = new QHBoxLayout(this);
    lay->setContentsMargins(0, 0, 0, 0);
    lay->setSpacing(1);
    for (const ButtonDef &d : kButtons) {
        auto *b = new QToolButton(this);
        b->setObjectName(QString::fromLatin1(d.name));
        b->setToolTip(QString::fromUtf8(d.text));
        b->setIcon(navigatorIcon(style(), d.icon));
        b->setAutoRaise(true);
        const int id = d.id;
        connect(b, &QToolButton::clicked, this, [this, id]() { click(id); });
        lay->addWidget(b);
        m_buttons.insert(d.id, b);
    }
    lay->addStretch(1);
    setVisibleButtons(m_visible);
}

QString TExtNavigator::hintName(int b)
{
    for (const ButtonDef &d : kButtons)
        if (d.id == b)
            return QString::fromUtf8(d.text);
    return QString();
}

void TExtNavigator::setDataSet(db::DataSet *ds)
{
    if (m_ds)
        disconnect(m_ds, nullptr, this, nullptr);
    m_ds = ds;
    if (ds) {
        connect(ds, &db::DataSet::stateChanged, this, &TExtNavigator::updateState);
        connect(ds, &db::DataSet::currentChanged, this, &TExtNavigator::updateState);
        connect(ds, &db::DataSet::reset, this, &TExtNavigator::updateState);
    }
    updateState();
}

void TExtNavigator::setVisibleButtons(int bits)
{
    m_visible = bits;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setVisible(bits & (1 << it.key()));
}

void TExtNavigator::setReadOnly(bool on)
{
    m_readOnly = on;
    updateState();
}

void TExtNavigator::setButtonWidth(int w)
{
    for (QToolButton *b : std::as_const(m_buttons))
        b->setFixedWidth(w);
}

void TExtNavigator::updateState()
{
    int bits = 0;
    if (m_ds && m_ds->isOpen()) {
        const bool editing = m_ds->isEditing();
        const bool empty = m_ds->recordCount() == 0;
        if (!editing) {
            bits |= (1 << nbFirst) | (1 << nbPrior) | (1 << nbNext) | (1 << nbLast) | (1 << nbRefresh);
            if (!m_readOnly) {
                bits |= 1 << nbInsert;
                if (!empty)
                    bits |= (1 << nbDelete) | (1 << nbEdit);
            }
        } else {
            if (!m_readOnly)
                bits |= 1 << nbPost;
            bits |= 1 << nbCancel;
        }
        bits |= 1 << nbExtra;
    }
    if (OnGetState)
        OnGetState(this, bits);
    m_enabled = bits;
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setEnabled(bits & (1 << it.key()));
}

void TExtNavigator::click(int b)
{
    if (!(m_enabled & (1 << b)) || !(m_visible & (1 << b)))
        return;
    bool handled = false;
    try {
        if (OnButtonClick)
            OnButtonClick(this, b, handled);
        if (!handled)
            defaultAction(b);
    } catch (const db::Abort &) {
    } catch (...) {
        Systools::HandleException(QStringLiteral("TExtNavigator.") + hintName(b), window(), false);
    }
    updateState();
}

void TExtNavigator::defaultAction(int b)
{
    if (!m_ds)
        return;
    switch (b) {
    case nbFirst: m_ds->first(); break;
    case nbPrior: m_ds->prior(); break;
    case nbNext: m_ds->next(); break;
    case nbLast: m_ds->last(); break;
    case nbInsert: m_ds->append(); break;
    case nbDelete:
        if (Dialogs::question(window(), QStringLiteral("Datensatz löschen?")) == Dialogs::Yes)
            m_ds->del();
        break;
    case nbEdit: m_ds->edit(); break;
    case nbPost: m_ds->post(); break;
    case nbCancel: m_ds->cancel(); break;
    case nbRefresh:
        if (m_ds->state() == db::DataSet::Browse)
            m_ds->reopen();
        break;
    default: break;
    }
}
