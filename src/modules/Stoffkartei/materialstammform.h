#pragma once
// The material master "Materialstammdaten": a read-only viewer of all materials with their
// supplier, and the articles whose bill of materials uses the current material.

#include "host/shellware/tstrings.h"
#include "kit/recordform.h"

#include <QPointer>

class QComboBox;
class QHBoxLayout;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QToolBar;
class QToolButton;
class TDBGrid;

class TMaterialstammForm : public kit::RecordForm
{
    Q_OBJECT
    Q_PROPERTY(qint64 Material_ID READ Material_ID WRITE setMaterial_ID)
    Q_PROPERTY(int OrderArtikel READ OrderArtikel)
    Q_PROPERTY(int OrderDir READ OrderDir)
public:
    explicit TMaterialstammForm(QWidget *parent = nullptr);
    static void Describe(TModuleInfo &m);

    qint64 Material_ID() const { return m_materialId; }
    void setMaterial_ID(qint64 id);
    int OrderArtikel() const { return m_artSort; }
    int OrderDir() const { return m_artDesc ? 1 : 0; }
    Q_INVOKABLE void ReadData();

    db::DataSet *Material = nullptr;   // the material list, also the record shown
    db::DataSet *Artikel = nullptr;    // articles with the current material
    db::FieldBinder *MaterialBinder = nullptr;
    db::FieldBinder *ArtikelBinder = nullptr;
    TExtNavigator *Navigator = nullptr;
    QToolBar *ToolsToolbar = nullptr;
    QComboBox *cbKurzFilter = nullptr;
    QLineEdit *edName = nullptr, *edMatNummer = nullptr, *edKurzname = nullptr, *edEkPreis = nullptr;
    QPlainTextEdit *mmFirma = nullptr, *mmArtikelBemerkung = nullptr;
    QToolButton *btnName = nullptr, *btnMatNummer = nullptr, *btnFirma = nullptr;
    QTabWidget *PageControl = nullptr;
    TDBGrid *ArtikelGrid = nullptr;
    QTimer *MaterialTimer = nullptr;
    TStrings KurzNamen;   // "< alle Kurzname >" first

protected:
    void CreateLists() override;
    void OpenDataSets() override;
    void AttachSearch() override;
    void FreeLists() override;
    void LoadLookups() override;
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last) override;
    void changeEvent(QEvent *event) override;

private:
    void buildWindow();
    void SetMaterial(qint64 id);
    void OpenList();
    void OpenArtikel();
    void MaterialTimerTimer();
    void SearchButtonClick(int tag);
    void ArtikelTitleClick(int column);
    void OpenWarenstamm();
    void attachSearchBox();

    QString m_baseSql;
    int m_order = 1;
    qint64 m_materialId = 0;
    int m_artSort = 0;
    bool m_artDesc = false;
    QString m_searchField = QStringLiteral("NAME");
    QPointer<QLineEdit> m_suchEdit;
    QHBoxLayout *m_navRow = nullptr;
};

extern TMaterialstammForm *MaterialstammForm;
