#pragma once
// Shows the protocol lines of this run (errors and trace), newest last.

#include <QWidget>

class QTableWidget;
namespace Systools { struct ProtocolLine; }

class ProtocolWindow : public QWidget
{
    Q_OBJECT
public:
    explicit ProtocolWindow(QWidget *parent = nullptr);
    int rowCount() const;

private:
    void addLine(const Systools::ProtocolLine &l);
    QTableWidget *m_table;
};
