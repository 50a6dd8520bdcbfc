#pragma once
// Connects fields of a DataSet to editors: the editors show the current record, typing puts the
// dataset into edit state, and before a post the typed texts go into the fields.
// Supported editors: QLineEdit, QPlainTextEdit, QCheckBox (0/1), QComboBox (a lookup: item text
// shown, item data stored; an editable combo with a text not in its list stores NULL).

#include "db_global.h"

#include <QObject>
#include <QPointer>
#include <QVector>

class QWidget;

namespace db {

class DataSet;

class FD_DB_EXPORT FieldBinder : public QObject
{
    Q_OBJECT
public:
    explicit FieldBinder(DataSet *ds, QObject *parent = nullptr);

    void bind(QWidget *editor, const QString &field);
    void unbind(QWidget *editor);
    // Shows the current record in every editor.
    void refresh();
    // Writes the editors that the user changed into the fields (done before each post).
    void flush();
    void setEnabled(bool on);
    bool isEnabled() const { return m_enabled; }
    // While suspended the editors are not refreshed (a dataset being opened moves many times);
    // resuming shows the current record once. The editors keep their enabled state.
    void setSuspended(bool on);
    bool isSuspended() const { return m_suspended; }

private:
    struct Binding
    {
        QPointer<QWidget> editor;
        QString field;
        bool dirty = false;
    };
    void show(Binding &b);
    void write(Binding &b);
    void userEdited(QWidget *editor);

    DataSet *m_ds;
    QVector<Binding> m_bindings;
    bool m_updating = false;
    bool m_enabled = true;
    bool m_suspended = false;
};

} // namespace db
