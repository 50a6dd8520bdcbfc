#pragma once
// Dossier page "Material der gewählten Firma": the materials a supplier company delivers.

#include "kit/recordform.h"

class QLineEdit;
class TDBGrid;

class TMaterialListForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Firmen_ID READ Firmen_ID WRITE setFirmen_ID)
public:
    explicit TMaterialListForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);

    qint64 Firmen_ID() const { return m_firmenId; }
    void setFirmen_ID(qint64 id);

    db::DataSet *MaterialList = nullptr;
    TExtNavigator *Navigator = nullptr;
    TDBGrid *DBGrid1 = nullptr;
    db::FieldBinder *Binder = nullptr;

protected:
    void OpenDataSets() override {}
    void FreeLists() override;

private:
    void OpenList();
    void TitleClick(int column);
    void OpenMaterialstamm();

    qint64 m_firmenId = 0;
    int m_sortCol = 0;
    bool m_desc = false;
};

extern TMaterialListForm *MaterialListForm;
