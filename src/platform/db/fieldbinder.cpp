#include "fieldbinder.h"

#include "dataset.h"
#include "dberror.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace db {

FieldBinder::FieldBinder(DataSet *ds, QObject *parent) : QObject(parent), m_ds(ds)
{
    connect(ds, &DataSet::currentChanged, this, &FieldBinder::refresh);
    connect(ds, &DataSet::reset, this, &FieldBinder::refresh);
    connect(ds, &DataSet::stateChanged, this, [this](DataSet::State s) {
        if (s == DataSet::Browse || s == DataSet::Insert || s == DataSet::Inactive)
            refresh();
    });
    connect(ds, &DataSet::fieldChanged, this, [this](int index) {
        if (m_updating)
            return;
        const QString name = m_ds->columns().value(index).name;
        for (Binding &b : m_bindings)
            if (b.field.compare(name, Qt::CaseInsensitive) == 0 && !b.dirty)
                show(b);
    });
    connect(ds, &DataSet::aboutToPost, this, &FieldBinder::flush);
}

void FieldBinder::bind(QWidget *editor, const QString &field)
{
    m_bindings.push_back({editor, field, false});
    if (auto *le = qobject_cast<QLineEdit *>(editor))
        connect(le, &QLineEdit::textEdited, this, [this, le] { userEdited(le); });
    else if (auto *pe = qobject_cast<QPlainTextEdit *>(editor))
        connect(pe, &QPlainTextEdit::textChanged, this, [this, pe] { userEdited(pe); });
    else if (auto *cb = qobject_cast<QCheckBox *>(editor))
        connect(cb, &QCheckBox::clicked, this, [this, cb] { userEdited(cb); });
    else if (auto *co = qobject_cast<QComboBox *>(editor)) {
        connect(co, &QComboBox::activated, this, [this, co] { userEdited(co); });
        if (co->isEditable())
            connect(co, &QComboBox::editTextChanged, this, [this, co] { userEdited(co); });
    }
    show(m_bindings.back());
}

void FieldBinder::unbind(QWidget *editor)
{
    m_bindings.erase(std::remove_if(m_bindings.begin(), m_bindings.end(),
                                    [editor](const Binding &b) { return b.editor == editor; }),
                     m_bindings.end());
}

void FieldBinder::setEnabled(bool on)
{
    m_enabled = on;
    for (Binding &b : m_bindings)
        if (b.editor)
            b.editor->setEnabled(on);
    if (on)
        refresh();
}

void FieldBinder::setSuspended(bool on)
{
    if (on == m_suspended)
        return;
    m_suspended = on;
    if (!on)
        refresh();
}

void FieldBinder::userEdited(QWidget *editor)
{
    if (m_updating)
        return;
    for (Binding &b : m_bindings) {
        if (b.editor != editor)
            continue;
        b.dirty = true;
        if (m_ds->state() == DataSet::Browse) {
            m_updating = true;
            try {
                m_ds->edit();
            } catch (...) {
                m_updating = false;
                b.dirty = false;
                show(b);
                throw;
            }
            m_updating = false;
        }
    }
}

void FieldBinder::refresh()
{
    if (m_updating || !m_enabled || m_suspended)
        return;
    for (Binding &b : m_bindings) {
        b.dirty = false;
        show(b);
    }
}

void FieldBinder::show(Binding &b)
{
    if (!b.editor)
        return;
    m_updating = true;
    const bool open = m_ds->isOpen() && m_ds->recNo() >= 0 && m_ds->hasField(b.field);
    QString text;
    QVariant value;
    if (open) {
        Field f = m_ds->fieldByName(b.field);
        text = f.displayText();
        value = f.value();
    }
    if (auto *le = qobject_cast<QLineEdit *>(b.editor)) {
        le->setText(text);
        le->setCursorPosition(0);
    } else if (auto *pe = qobject_cast<QPlainTextEdit *>(b.editor)) {
        pe->setPlainText(value.toString());
    } else if (auto *cb = qobject_cast<QCheckBox *>(b.editor)) {
        cb->setChecked(open && value.toLongLong() != 0);
    } else if (auto *co = qobject_cast<QComboBox *>(b.editor)) {
        int i = value.isNull() ? -1 : co->findData(value.toLongLong());
        if (i < 0 && !value.isNull())
            i = co->findData(value);
        if (i < 0 && !text.isEmpty() && !co->isEditable())
            i = co->findText(text);
        co->setCurrentIndex(i);
        if (i < 0 && co->isEditable())
            co->setEditText(QString());
    }
    m_updating = false;
}

void FieldBinder::write(Binding &b)
{
    if (!b.editor || !b.dirty || !m_ds->hasField(b.field))
        return;
    Field f = m_ds->fieldByName(b.field);
    m_updating = true;
    try {
        if (auto *le = qobject_cast<QLineEdit *>(b.editor))
            f.setText(le->text());
        else if (auto *pe = qobject_cast<QPlainTextEdit *>(b.editor))
            f.setValue(pe->toPlainText());
        else if (auto *cb = qobject_cast<QCheckBox *>(b.editor))
            f.setValue(QVariant(qlonglong(cb->isChecked() ? 1 : 0)));
        else if (auto *co = qobject_cast<QComboBox *>(b.editor)) {
            int i = co->currentIndex();
            if (co->isEditable() && (i < 0 || co->itemText(i) != co->currentText()))
                i = co->findText(co->currentText(), Qt::MatchFixedString);
            f.setValue(i >= 0 ? co->itemData(i) : QVariant());
        }
    } catch (...) {
        m_updating = false;
        throw;
    }
    m_updating = false;
    b.dirty = false;
}

void FieldBinder::flush()
{
    for (Binding &b : m_bindings)
        write(b);
}

} // namespace db
