#pragma once
// The record navigator: buttons 0 first, 1 prior, 2 next, 3 last, 6 insert, 7 delete, 8 edit,
// 9 post, 10 cancel, 11 extra (visible only with bit 0x800), 12 refresh. A click first goes to
// OnButtonClick; when that leaves `handled` false the navigator does the dataset's default.

#include "shellware_global.h"

#include <QHash>
#include <QPointer>
#include <QWidget>
#include <functional>

class QToolButton;
#include "platform/db/dataset.h"

class FD_SHELLWARE_EXPORT TExtNavigator : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(int VisibleButtons READ VisibleButtons WRITE setVisibleButtons)
public:
    enum Button { nbFirst = 0, nbPrior = 1, nbNext = 2, nbLast = 3, nbInsert = 6, nbDelete = 7, nbEdit = 8,
                  nbPost = 9, nbCancel = 10, nbExtra = 11, nbRefresh = 12 };
    static constexpr int DefaultVisible = 0x17CF; // everything except the extra button

    explicit TExtNavigator(QWidget *parent = nullptr);

    void setDataSet(db::DataSet *ds);
    db::DataSet *dataSet() const { return m_ds; }
    int VisibleButtons() const { return m_visible; }
    void setVisibleButtons(int bits);
    // Refuses insert, delete, edit and post.
    void setReadOnly(bool on);
    bool readOnly() const { return m_readOnly; }
    void setButtonWidth(int w);

    std::function<void(TExtNavigator *, int button, bool &handled)> OnButtonClick;
    // Receives the enabled bits computed from the dataset state and may change them.
    std::function<void(TExtNavigator *, int &enabledBits)> OnGetState;

    QToolButton *button(int b) const { return m_buttons.value(b); }
    // The hint name of a button ("Einfügen", ...).
    static QString hintName(int b);
    // Presses a button as the user would.
    void click(int b);
    // Re-computes the enabled state.
    void updateState();
    int enabledBits() const { return m_enabled; }

private:
    void defaultAction(int b);
    QPointer<db::DataSet> m_ds;
    QHash<int, QToolButton *> m_buttons;
    int m_visible = DefaultVisible;
    int m_enabled = 0;
    bool m_readOnly = false;
};
