#pragma once
// Dossier page "Artikel der gewählten Firma": the price rows of a customer company with their
// articles; rows are added and changed through the dialog TFrmEditFirmenArtikel.

#include "kit/recordform.h"

class QPlainTextEdit;
class TDBGrid;

class TArtikelListForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
public:
    explicit TArtikelListForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);

    qint64 Firmen_ID() const { return m_firmenId; }
    void setFirmen_ID(qint64 id);
    // Opens the dialog for a new row (insert) or for the current one and saves what it returns.
    Q_INVOKABLE void EditInsert(bool insert);

    db::DataSet *ArtikelList = nullptr;
    TExtNavigator *Navigator = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    QPlainTextEdit *mmArtikel = nullptr, *mmPreis = nullptr;
    db::FieldBinder *Binder = nullptr;

protected:
    void OpenDataSets() override {}
    void FreeLists() override;

private:
    void OpenList();
    void Refresh();
    void TitleClick(int column);
    void OpenWarenstamm();

    qint64 m_firmenId = 0;
    int m_sortCol = 0;
    bool m_desc = false;
    qint64 m_lastPosted = 0;
};

extern TArtikelListForm *ArtikelListForm;
