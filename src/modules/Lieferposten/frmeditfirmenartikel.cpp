#include "frmeditfirmenartikel.h"

#include "host/shellware/dialogs.h"
#include "host/shellware/suchtool.h"
#include "host/shellware/systools.h"
#include "platform/db/dataset.h"
#include "platform/db/query.h"
#include "platform/db/transaction.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

TFrmEditFirmenArtikel::TFrmEditFirmenArtikel(db::Transaction *read, QWidget *parent) : QDialog(parent), m_read(read)
{
    setObjectName(QStringLiteral("FrmEditFirmenArtikel"));
    setWindowTitle(QStringLiteral("Firmenartikel"));
    auto *lay = new QVBoxLayout(this);
    auto *g = new QGridLayout;
    auto pickRow = [&](int row, const QString &caption, QLineEdit *&edit, QToolButton *&button, const char *name) {
        edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setReadOnly(true);
        button = new QToolButton(this);
        button->setObjectName(QStringLiteral("btn") + QString::fromLatin1(name));
        button->setText(QStringLiteral("…"));
        button->setToolTip(QStringLiteral("Artikel auswählen"));
        g->addWidget(new QLabel(caption, this), row, 0);
        g->addWidget(edit, row, 1);
        g->addWidget(button, row, 2);
    };
    pickRow(0, QStringLiteral("Artikel"), edArtikel, btnArtikel, "edArtikel");
    pickRow(1, QStringLiteral("Velora-Nr"), edVelora, btnVelora, "edVelora");
    g->addWidget(new QLabel(QStringLiteral("Vertreter/Preis"), this), 2, 0);
    cbVertreter = new QComboBox(this);
    cbVertreter->setObjectName(QStringLiteral("cbVertreter"));
    edPreis = new QLineEdit(this);
    edPreis->setObjectName(QStringLiteral("edPreis"));
    edPreis->setAlignment(Qt::AlignRight);
    edPreis->setMaximumWidth(120);
    edPreis->installEventFilter(this);
    auto *row = new QHBoxLayout;
    row->addWidget(cbVertreter, 1);
    row->addWidget(edPreis);
    g->addLayout(row, 2, 1, 1, 2);
    g->addWidget(new QLabel(QStringLiteral("Bemerkung Preis"), this), 3, 0);
    edBemerkung = new QLineEdit(this);
    edBemerkung->setObjectName(QStringLiteral("edBemerkung"));
    edBemerkung->setMaxLength(80);
    g->addWidget(edBemerkung, 3, 1, 1, 2);
    g->setColumnStretch(1, 1);
    lay->addLayout(g);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("btnOK"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Abbrechen"));
    buttons->button(QDialogButtonBox::Cancel)->setObjectName(QStringLiteral("btnCancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &TFrmEditFirmenArtikel::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &TFrmEditFirmenArtikel::reject);
    lay->addWidget(buttons);
    resize(520, sizeHint().height());

    QArtikel = new db::DataSet(this);
    QArtikel->setObjectName(QStringLiteral("QArtikel"));
    QArtikel->setSelectSql(QStringLiteral("select A.ID, A.BEZEICHNUNG, A.DIZEVAVO from ARTIKEL A where A.AKTIV = 1 @@Order@"));
    QArtikel->setTransaction(read);
    QArtikel->setAllowedUpdateKinds(0);
    connect(btnArtikel, &QToolButton::clicked, this, [this]() { PickArtikel(false); });
    connect(btnVelora, &QToolButton::clicked, this, [this]() { PickArtikel(true); });
    FormCreate();
}

void TFrmEditFirmenArtikel::FormCreate()
{
    // The representatives: employees not deleted, "Nachname, Vorname Anrede".
    try {
        m_read->ensureStarted();
        db::Query q(m_read->database(), m_read);
        q.setSql(QStringLiteral(
            "select ID, cast(coalesce(NACHNAME || ', ', '') || coalesce(VORNAME || ' ', '') || coalesce(ANREDE, '') "
            "as varchar(110)) as NAME from PERSON where TYP = 1 and DD is NULL order by 2"));
        q.open();
        while (!q.eof()) {
            cbVertreter->addItem(q.fieldValue(1).toString().trimmed(), QVariant(q.fieldValue(0).toLongLong()));
            q.next();
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("TFrmEditFirmenArtikel.FormCreate"), this, true);
    }
    cbVertreter->setCurrentIndex(-1);
}

void TFrmEditFirmenArtikel::setArtikel(qint64 id, const QString &bezeichnung, const QString &dizevavo)
{
    m_artikelId = id;
    edArtikel->setText(bezeichnung);
    edArtikel->setCursorPosition(0);
    edVelora->setText(dizevavo);
}

void TFrmEditFirmenArtikel::setVertreter(qint64 personId)
{
    cbVertreter->setCurrentIndex(cbVertreter->findData(QVariant(personId)));
}

qint64 TFrmEditFirmenArtikel::vertreterId() const
{
    return cbVertreter->currentIndex() >= 0 ? cbVertreter->currentData().toLongLong() : 0;
}

void TFrmEditFirmenArtikel::setPreisText(const QString &text) { edPreis->setText(text); }
QString TFrmEditFirmenArtikel::preisText() const { return edPreis->text(); }

bool TFrmEditFirmenArtikel::preis(db::Decimal *value) const
{
    bool ok = false;
    const db::Decimal d = db::Decimal::parse(edPreis->text(), 4, &ok, QLocale(QLocale::German, QLocale::Germany));
    if (ok && value)
        *value = d;
    return ok;
}

void TFrmEditFirmenArtikel::setBemerkung(const QString &text) { edBemerkung->setText(text.left(80)); }
QString TFrmEditFirmenArtikel::bemerkung() const { return edBemerkung->text(); }

void TFrmEditFirmenArtikel::PickArtikel(bool byNumber)
{
    try {
        QArtikel->close();
        QArtikel->setMacro(QStringLiteral("Order"),
                           byNumber ? QStringLiteral("order by A.DizevaVo ") : QStringLiteral("order by A.Bezeichnung "));
        QArtikel->open();
        if (m_artikelId > 0)
            QArtikel->locate(QStringLiteral("ID"), m_artikelId);
        QLineEdit *at = byNumber ? edVelora : edArtikel;
        if (Suchtool::PopupSuchForm(0, at->height(), at, 0, QArtikel,
                                    byNumber ? QStringLiteral("DIZEVAVO") : QStringLiteral("BEZEICHNUNG"), 5)
            && QArtikel->recNo() >= 0) {
            setArtikel(QArtikel->fieldByName(QStringLiteral("ID")).value().toLongLong(),
                       QArtikel->fieldByName(QStringLiteral("BEZEICHNUNG")).value().toString(),
                       QArtikel->fieldByName(QStringLiteral("DIZEVAVO")).value().toString());
        }
    } catch (...) {
        Systools::HandleException(QStringLiteral("TFrmEditFirmenArtikel.PickArtikel"), this, false);
    }
}

void TFrmEditFirmenArtikel::accept()
{
    if (m_artikelId <= 0) {
        edArtikel->setFocus();
        Dialogs::message(this, QStringLiteral("Bitte Artikel auswählen"));
        return;
    }
    if (vertreterId() == 0) {
        cbVertreter->setFocus();
        Dialogs::message(this, QStringLiteral("Bitte Vertreter eingeben"));
        return;
    }
    if (!preis(nullptr)) {
        edPreis->setFocus();
        edPreis->selectAll();
        Dialogs::message(this,
                         QStringLiteral("\u201E%1\u201C ist kein gültiger Preis. Bitte den Preis mit Komma eingeben, z. B. 12,50.")
                             .arg(edPreis->text()),
                         Dialogs::Icon::Warning);
        return;
    }
    QDialog::accept();
}

bool TFrmEditFirmenArtikel::eventFilter(QObject *watched, QEvent *event)
{
    // The price takes digits, the comma and backspace; other typed characters are dropped.
    if (watched == edPreis && event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(event);
        const QString t = k->text();
        if (!t.isEmpty() && t.at(0).isPrint() && !(k->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            for (QChar c : t)
                if (!(c >= QLatin1Char('0') && c <= QLatin1Char('9')) && c != QLatin1Char(','))
                    return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
