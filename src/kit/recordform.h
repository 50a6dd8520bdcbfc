#pragma once
// The record form every master-data module builds on: a list dataset beside a record dataset, one
// read and one write transaction on the shared attachment, and the fixed order of steps when the
// form is created and destroyed. A subclass creates its widgets and datasets in its constructor,
// hands them over with the set... calls and overrides the hooks it needs.

#include "host/shellware/moduleinfo.h"
#include "host/shellware/win95form.h"

#include <QList>
#include <QPointer>
#include <QString>
#include <functional>

#include "host/shellware/extnavigator.h"
#include "platform/db/dataset.h"
#include "platform/db/fieldbinder.h"
#include "platform/db/transaction.h"

#include <QLabel>
#include <QLineEdit>
#include <QTabWidget>

class QTableView;

namespace kit {

class RecordForm : public TWin95Form
{
    Q_OBJECT
public:
    explicit RecordForm(QWidget *parent = nullptr);
    ~RecordForm() override;

    TFormModuleInfo *FMI = nullptr;
    db::Transaction *TransRead = nullptr;
    db::Transaction *TransWrite = nullptr;

    // ---- set up by the subclass (constructor) ----
    // The list (few columns, "where DD is NULL", sorted) and the record dataset (all columns, macro
    // "@@Where@"). Both read through TransRead; the record writes through TransWrite with commit
    // after each post.
    void setDataSets(db::DataSet *list, db::DataSet *record);
    void addLookupDataSet(db::DataSet *ds) { m_lookups << ds; }
    void setBinder(db::FieldBinder *b) { m_binder = b; }
    void setNavigator(TExtNavigator *nav);
    void setPages(QTabWidget *pages);
    // The two free characteristic fields, named by the host INI keys "Zusatz1" / "Zusatz2".
    void setCharacteristicFields(QLabel *caption1, QWidget *edit1, QLabel *caption2, QWidget *edit2);
    void addPickButton(QWidget *w) { m_pickButtons << w; }
    void addPrivilegedWidget(QWidget *w) { m_privileged << w; }
    // Generator for new IDs ("GEN_FIRMEN_ID"); DC and DM are set on new records, DM on every post.
    void setGenerator(const QString &generator) { m_generator = generator; }
    // The field the search box searches (the list's default sort field).
    void setSearchField(const QString &field) { m_searchField = field; }
    // After a post whose record is not in the list any more: stand on the row that followed.
    void setFollowOldPosition(bool on) { m_followOld = on; }
    // For long tables: the record dataset reads only the row of the list's current ID instead of
    // a full copy of the table that would be searched on every move. Its select is wrapped as
    // "select * from (<select>) where ID = :KIT_KEY"; the navigator's move buttons then move the
    // list. Switched off, the record dataset holds every row of its select again.
    void setKeyedRecord(bool on);
    bool keyedRecord() const { return m_keyed; }
    // A grid showing the list: its current row and the list's current row follow each other.
    void setListView(QTableView *view);
    // Called to clear the module's form variable when it points at this form.
    std::function<void()> ClearFormVariable;
    // The usual case: the module's global pointer to its running form.
    template <class F>
    void UseFormVariable(F *&variable)
    {
        ClearFormVariable = [this, &variable]() {
            if (variable == this)
                variable = nullptr;
        };
    }

    db::DataSet *List() const { return m_list; }
    db::DataSet *Record() const { return m_record; }
    QLineEdit *SearchBox() const { return m_search; }
    // The current record's ID (0 when the record dataset is closed or empty).
    qint64 CurrentID() const;
    // Moves list and record to `id`; false when it is not in the list.
    bool MoveTo(qint64 id);
    // The read-only state of the manifest applied to datasets, navigator and pick buttons.
    void ApplyReadOnly();
    bool isReadOnlyApplied() const { return m_readOnlyApplied; }

    // Closes and reopens list and record (and the lookup datasets when asked), then stands on `id`
    // (the first row when the list does not hold it). Pending edits are dropped. True when found.
    bool ReopenDataSets(qint64 id, bool withLookups = false);
    // Shows a page without the page-change rule (no post of a new record).
    void ShowPage(int index);
    // Lets the search box search `field` from now on (the sort modes of a list).
    void ReattachSearch(const QString &field);

    // The soft delete of the current record: DD and DM set, posted, the delete aborted silently;
    // list and record then stand on the next row (the previous one at the end).
    void SoftDelete();

    void FormCreate() override;
    void FormDestroy() override;

protected:
    // Hooks, in the order FormCreate calls them.
    virtual void CreateLists() {}                 // step 1: private lists
    virtual void ArrangePanels() {}               // step 2
    virtual void ApplyUserType();                 // step 4
    virtual void ApplyIniCaptions();              // step 5
    virtual void OpenDataSets();                  // step 8 (inside the lock)
    virtual void AttachSearch();                  // step 9
    virtual void FreeLists() {}                   // FormDestroy
    // Sets the macros of list and record before they open; the default gives the record
    // "where DD is NULL".
    virtual void ApplyMacros();
    // Called after the kit's defaults for a new record (ID, DC, DM) and before the kit sets DM
    // on a post.
    virtual void NewRecord(db::DataSet &) {}
    virtual void BeforePost(db::DataSet &) {}
    // A navigator button before its default action; set `handled` to skip that. The default moves
    // the list for the move buttons when the record dataset is keyed.
    virtual void NavigatorClick(int button, bool &handled);

    // The manifest's handlers. The default global-change handler reloads the lookups on bit 2
    // (LoadLookups, then refreshes the browsed record) and always re-applies the read-only state.
    virtual void FMIExecute(TFormModuleInfo *sender, QWidget *form, const QVariantList &args, int last);
    virtual void FMIGlobalChanged(TFormModuleInfo *sender, int flags);
    virtual void LoadLookups() {}

    // The default argument rule: element 0 an ID (integer, or a text that is a number); above 0
    // moves to it, below 0 starts a new record, 0 changes nothing.
    void ExecuteDefault(const QVariantList &args, int last, bool negativeStartsNew);

private:
    void listScrolled();
    void recordScrolled();
    void afterPost();
    void newRecord(db::DataSet &ds);
    void beforePost(db::DataSet &ds);
    void pageChanging(int index);
    void setControlsEnabled(bool on);
    void syncRecordToList();
    void placeSearch(QLineEdit *edit);

    QPointer<db::DataSet> m_list, m_record;
    QList<QPointer<db::DataSet>> m_lookups;
    QPointer<db::FieldBinder> m_binder;
    QPointer<TExtNavigator> m_nav;
    QPointer<QTabWidget> m_pages;
    int m_lastPage = 0;
    bool m_pageGuard = false;
    QPointer<QLabel> m_cap1, m_cap2;
    QPointer<QWidget> m_edit1, m_edit2;
    QList<QPointer<QWidget>> m_pickButtons, m_privileged;
    QString m_generator;
    QString m_searchField;
    QPointer<QLineEdit> m_search;
    bool m_followOld = true;
    bool m_inSoftDelete = false;
    bool m_readOnlyApplied = false;
    bool m_keyed = false;
    QString m_plainSelect;
    QPointer<QTableView> m_view;
};

// Insert and update statements of `table` for the columns `columns` ("A, B, C"): every column is
// written (ID only when inserting), and the update carries the DM the row was read with, so that
// another user's save in between makes it miss and the dataset reports the conflict instead of
// overwriting it.
void SetWriteSql(db::DataSet *ds, const QString &table, const QString &columns);

} // namespace kit
