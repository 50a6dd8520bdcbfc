#pragma once
// "Maskenformat bearbeiten": edits the format mask of a number range with a live preview of the
// number the mask gives for a test counter and the current date and time.

#include <QDialog>
#include <QString>

class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QSpinBox;

class TNumMaskDlg : public QDialog
{
    Q_OBJECT
public:
    explicit TNumMaskDlg(const QString &mask, QWidget *parent = nullptr);

    // The mask as edited.
    QString Mask() const;
    // The mask the dialog was opened with.
    const QString &OriginalMask() const { return m_original; }

    // Puts the mask of the example in row `row` of "Beispiele" into "Format".
    void TakeExample(int row);

    QLineEdit *edFormat = nullptr;
    QPushButton *btnReset = nullptr;
    QListWidget *lbBeispiele = nullptr;
    QSpinBox *seTestzaehler = nullptr;
    QLineEdit *edResultat = nullptr;
    QPushButton *btnOK = nullptr;
    QPushButton *btnCancel = nullptr;

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;

private:
    void evaluate();
    QString m_original;
};
