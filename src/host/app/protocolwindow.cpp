#include "protocolwindow.h"

#include "host/shellware/systools.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

ProtocolWindow::ProtocolWindow(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("ProtocolWindow"));
    setWindowTitle(QStringLiteral("Protokoll"));
    auto *lay = new QVBoxLayout(this);
    const QString file = Systools::Protocol::instance().currentFile();
    auto *hint = new QLabel(file.isEmpty() ? QStringLiteral("Meldungen dieser Sitzung")
                                           : QStringLiteral("Meldungen dieser Sitzung; Protokolldatei: %1").arg(file),
                            this);
    hint->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lay->addWidget(hint);
    m_table = new QTableWidget(0, 4, this);
    m_table->setHorizontalHeaderLabels({QStringLiteral("Zeit"), QStringLiteral("Art"), QStringLiteral("Stelle"),
                                        QStringLiteral("Meldung")});
    m_table->horizontalHeader()->setStretchLastSection(true);
    m_table->verticalHeader()->hide();
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    lay->addWidget(m_table);
    for (const Systools::ProtocolLine &l : Systools::Protocol::instance().lines())
        addLine(l);
    connect(&Systools::Protocol::instance(), &Systools::Protocol::lineAdded, this, &ProtocolWindow::addLine);
    resize(760, 360);
}

int ProtocolWindow::rowCount() const { return m_table->rowCount(); }

void ProtocolWindow::addLine(const Systools::ProtocolLine &l)
{
    const int r = m_table->rowCount();
    m_table->insertRow(r);
    const QStringList cells{l.time, l.kind, l.context, l.text};
    for (int c = 0; c < 4; ++c)
        m_table->setItem(r, c, new QTableWidgetItem(cells.at(c)));
    m_table->resizeColumnToContents(0);
    m_table->scrollToBottom();
}
