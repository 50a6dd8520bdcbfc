#include "nummaskdlg.h"

#include "kit/numbermask.h"

#include <QDateTime>
#include <QDialogButtonBox>
#include <QEvent>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// The mask column holds at most this many characters.
constexpr int MaskMaxLength = 40;
} // namespace

TNumMaskDlg::TNumMaskDlg(const QString &mask, QWidget *parent) : QDialog(parent), m_original(mask)
{
    setObjectName(QStringLiteral("NumMaskDlg"));
    setWindowTitle(QStringLiteral("Maskenformat bearbeiten"));
    setModal(true);

    auto *lay = new QVBoxLayout(this);

    auto *formatBox = new QGroupBox(QStringLiteral("Format"), this);
    auto *fl = new QHBoxLayout(formatBox);
    edFormat = new QLineEdit(formatBox);
    edFormat->setObjectName(QStringLiteral("edFormat"));
    edFormat->setMaxLength(MaskMaxLength);
    edFormat->setText(mask);
    btnReset = new QPushButton(QStringLiteral("zurücksetzen"), formatBox);
    btnReset->setObjectName(QStringLiteral("btnReset"));
    btnReset->setAutoDefault(false);
    fl->addWidget(edFormat, 1);
    fl->addWidget(btnReset);
    lay->addWidget(formatBox);

    auto *exampleBox = new QGroupBox(QStringLiteral("Beispiele"), this);
    auto *el = new QVBoxLayout(exampleBox);
    lbBeispiele = new QListWidget(exampleBox);
    lbBeispiele->setObjectName(QStringLiteral("lbBeispiele"));
    for (const QString &line : kit::NumberMaskExamples()) {
        const int eq = line.indexOf(QLatin1Char('='));
        auto *item = new QListWidgetItem(line.left(eq), lbBeispiele);
        item->setData(Qt::UserRole, line.mid(eq + 1));
        item->setToolTip(line.mid(eq + 1));
    }
    lbBeispiele->installEventFilter(this);
    el->addWidget(lbBeispiele);
    lay->addWidget(exampleBox, 1);

    auto *testBox = new QGroupBox(QStringLiteral("Test"), this);
    auto *tl = new QFormLayout(testBox);
    seTestzaehler = new QSpinBox(testBox);
    seTestzaehler->setObjectName(QStringLiteral("seTestzaehler"));
    seTestzaehler->setRange(-1000000, 1000000);
    seTestzaehler->setValue(1234);
    edResultat = new QLineEdit(testBox);
    edResultat->setObjectName(QStringLiteral("edResultat"));
    edResultat->setReadOnly(true);
    tl->addRow(QStringLiteral("Testzähler"), seTestzaehler);
    tl->addRow(QStringLiteral("Resultat"), edResultat);
    lay->addWidget(testBox);

    auto *buttons = new QDialogButtonBox(this);
    btnOK = buttons->addButton(QStringLiteral("OK"), QDialogButtonBox::AcceptRole);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnCancel = buttons->addButton(QStringLiteral("Abbrechen"), QDialogButtonBox::RejectRole);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    lay->addWidget(buttons);

    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(btnReset, &QPushButton::clicked, this, [this] { edFormat->setText(m_original); });
    connect(edFormat, &QLineEdit::textChanged, this, &TNumMaskDlg::evaluate);
    connect(seTestzaehler, &QSpinBox::valueChanged, this, &TNumMaskDlg::evaluate);
    connect(lbBeispiele, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem *item) { TakeExample(lbBeispiele->row(item)); });

    evaluate();
    lbBeispiele->setMinimumHeight(lbBeispiele->sizeHintForRow(0) * lbBeispiele->count() + 2 * lbBeispiele->frameWidth() + 4);
    resize(440, 0);
}

QString TNumMaskDlg::Mask() const { return edFormat->text(); }

void TNumMaskDlg::TakeExample(int row)
{
    QListWidgetItem *item = lbBeispiele->item(row);
    if (item)
        edFormat->setText(item->data(Qt::UserRole).toString());
}

bool TNumMaskDlg::eventFilter(QObject *obj, QEvent *ev)
{
    // Enter or space on an example takes it, as a double-click does.
    if (obj == lbBeispiele && ev->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(ev)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) {
            if (lbBeispiele->currentRow() >= 0)
                TakeExample(lbBeispiele->currentRow());
            return true;
        }
    }
    return QDialog::eventFilter(obj, ev);
}

void TNumMaskDlg::evaluate()
{
    edResultat->setText(kit::EvaluateNumberMask(edFormat->text(), seTestzaehler->value(), QDateTime::currentDateTime()));
    edResultat->setCursorPosition(0);
    btnOK->setEnabled(edFormat->text() != m_original);
}
