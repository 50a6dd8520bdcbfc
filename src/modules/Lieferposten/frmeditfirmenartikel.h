#pragma once
// Dialog "Firmenartikel": the article, representative, price and remark of one price row of a
// customer. It only collects the values; the page saves them.

#include "platform/db/decimal.h"

#include <QDialog>

class QComboBox;
class QLineEdit;
class QToolButton;
namespace db { class DataSet; class Transaction; }

class TFrmEditFirmenArtikel : public QDialog
{
    Q_OBJECT
public:
    // Reads the representatives and the active articles through `read`.
    explicit TFrmEditFirmenArtikel(db::Transaction *read, QWidget *parent = nullptr);

    void setArtikel(qint64 id, const QString &bezeichnung, const QString &dizevavo);
    qint64 artikelId() const { return m_artikelId; }
    void setVertreter(qint64 personId);
    qint64 vertreterId() const;
    void setPreisText(const QString &text);
    QString preisText() const;
    // The price as typed, read in German notation; false when it is no valid amount.
    bool preis(db::Decimal *value) const;
    void setBemerkung(const QString &text);
    QString bemerkung() const;

    QLineEdit *edArtikel = nullptr, *edVelora = nullptr, *edPreis = nullptr, *edBemerkung = nullptr;
    QToolButton *btnArtikel = nullptr, *btnVelora = nullptr;
    QComboBox *cbVertreter = nullptr;
    db::DataSet *QArtikel = nullptr;

public slots:
    void accept() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormCreate();
    void PickArtikel(bool byNumber);

    db::Transaction *m_read;
    qint64 m_artikelId = 0;
};
