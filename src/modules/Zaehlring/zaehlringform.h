#pragma once
// "Nummernkreise": the number ranges (ZAEHLRING) as a page of the settings dialog. Each range
// names the table and text column its numbers go to, an optional sub-range column, its validity,
// start value, format mask and options; its counter lives in the generator GEN_NUMMER_<ID>.

#include "host/shellware/win95form.h"

#include <QPointer>
#include <QVariant>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QTableView;
class QToolBar;
class QToolButton;
class TExtNavigator;
class TFormModuleInfo;
class TModuleInfo;
namespace db {
class Database;
class DataSet;
class DataSetModel;
class Query;
class FieldBinder;
class Transaction;
} // namespace db

class TZaehlringForm : public TWin95Form
{
    Q_OBJECT
public:
    explicit TZaehlringForm(QWidget *parent = nullptr);
    ~TZaehlringForm() override;
    static void Describe(TModuleInfo &m);

    // True for the characters the identifier field takes from the keyboard.
    static bool IdentCharAllowed(QChar c);

    // Opens the mask dialog for the current range (the button in the mask field).
    void EditMask();

    void FormCreate() override;
    void FormDestroy() override;

    TFormModuleInfo *FMI = nullptr;
    db::Transaction *TransRead = nullptr;
    db::Transaction *TransWrite = nullptr;
    db::DataSet *dtsZaehlring = nullptr;
    db::DataSet *dtsTables = nullptr;
    db::DataSet *dtsCharFields = nullptr;
    db::DataSet *dtsIntegerFields = nullptr;
    // Sets a range's counter after each update: SP_SET_NUMMER(GENNAME, NEUER_WERT).
    db::Query *updZaehlring = nullptr;
    db::DataSetModel *ZaehlringModel = nullptr;
    db::FieldBinder *Binder = nullptr;

    QToolBar *ToolsToolbar = nullptr;
    TExtNavigator *Navigator = nullptr;
    QTableView *dbgZaehlring = nullptr;
    QLineEdit *edIdent = nullptr;
    QLineEdit *edSubIdent = nullptr;
    QLineEdit *edGueltigVon = nullptr;
    QLineEdit *edGueltigBis = nullptr;
    QLineEdit *edStartwert = nullptr;
    QLineEdit *edFormatMaske = nullptr;
    QToolButton *btnFormatMaske = nullptr;
    QCheckBox *cbEindeutig = nullptr;
    QCheckBox *cbNurLesen = nullptr;
    QComboBox *cbTabelle = nullptr;
    QComboBox *cbFeld = nullptr;
    QComboBox *cbFilterfeld = nullptr;
    QLineEdit *edGenerator = nullptr;
    QLineEdit *edLetzterWert = nullptr;

protected:
    bool eventFilter(QObject *obj, QEvent *ev) override;
    void resizeEvent(QResizeEvent *e) override;
    void showEvent(QShowEvent *e) override;

private:
    void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last);
    void Activate();
    void ApplyReadOnly();
    void FitGrid();

    void ZaehlringAfterScroll();
    void ZaehlringBeforePost(db::DataSet &ds);
    void ZaehlringAfterPost(db::DataSet &ds);
    void ZaehlringNewRecord(db::DataSet &ds);

    void OpenCharFields(const QString &table);
    void OpenIntegerFields(const QString &ident);
    void FillCombo(QComboBox *combo, db::DataSet *ds, const QString &field, bool withNone);
    void ShowChoices();
    void ShowGenerator();
    void ChoiceEdited(QComboBox *combo, const QString &field);
    void ensureEditing();

    QPointer<db::Database> m_db;
    // The counter to set after the update being posted: -1 leaves it as it is.
    bool m_postIsUpdate = false;
    qint64 m_neuerWert = -1;
    bool m_showing = false;
    bool m_widthsSet = false;
};
