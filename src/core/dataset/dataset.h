#pragma once

// Datasets: long-lived, named in-memory views of one table or one query on the account
// set's connection, each with a current row, a filter, a sort and a state. A filter or
// cursor set through one window is seen by every window that shares the dataset.
//
// Usage (data modules):
//
//   auto *goods = new TableDataset(db, "Goods", "Goods", this);   // kind "TADOTable"
//   goods->setExcludedColumns({"VendorID", "DiffCheck"});          // all other columns
//   goods->addLookupField("lkCata", cata, {"CataID"}, "Catalog", {"CataID"}).setCaption("类别");
//   goods->addCalcField("OnHand", calc::sum({"PrevOnHand", "HandInc"}, {"CustHandInc"}));
//   goods->hooks().beforeDelete = [](Dataset &ds) { return askAndCheckUsage(ds); };
//   goods->open();
//   goods->fieldByName("InUse").setDataType(DataType::Boolean);   // default fields exist now
//
//   details->setMasterLink(header, {"TabID"}, {"TabID"});  // loads WHERE TabID = ? per header row
//
//   ds.edit(); ds.setValue("Qty", 5); DatasetError e = ds.post();
//   if (e.failed() && !e.isReported() && !e.isRefused()) prompter.warning(e.message());
//
// Fields: with no addDataField() call every table column becomes a data field at the first
// open (created earlier by initFields()), in table order and ahead of the declared lookup
// and calculated fields; these fields and their settings stay until clearFields(). Once any
// data field is declared, only declared columns are read, in declaration order.
//
// Writes: post() writes at once (INSERT, or UPDATE of the changed columns, by the hidden
// rowid) inside a Transaction on the dataset's Database. An open Transaction is joined as a
// savepoint, so a rule can post a row, change counters and post a total in one unit; if
// that outer transaction is rolled back the in-memory rows are put back as they were. A
// failed post leaves the dataset in edit/insert state with the user's values and the
// stored rows untouched. In batch mode post() only changes memory; applyUpdates() writes
// all pending changes in one transaction.

#include "core/dataset/dataseterror.h"
#include "core/db/database.h"
#include "core/dataset/field.h"
#include "core/dataset/rowvalues.h"

#include <QHash>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QSqlError>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace hemu {

class Database;
class Dataset;
class FilterExpression;

/** A position in a dataset that survives sort and filter changes while its row exists. */
struct Bookmark
{
    quint64 serial = 0; // identity of the row object in memory
    qint64 rowid = 0;   // the table row, to find it again after a reload
    bool hasRowid = false;
    bool isValid() const { return serial != 0; }
};

/** The event hooks a data module sets on a dataset; an unset hook does nothing. */
struct DatasetHooks
{
    using Guard = std::function<bool(Dataset &)>; // return false to refuse (silently)
    using Notify = std::function<void(Dataset &)>;
    using ErrorHandler = std::function<bool(Dataset &, const QSqlError &)>; // true: handled
    /// Runs inside a write's transaction; a failed result refuses the write (rolled back).
    using WriteCheck = std::function<DatasetError(Dataset &)>;

    Guard beforeOpen;
    Notify afterOpen;
    Notify beforeClose;
    Notify afterClose;
    Guard beforeInsert;
    Notify onNewRecord;  // defaults of a new row; assignments here do not count as user changes
    Guard beforeEdit;    // capture old values here
    Guard beforePost;
    /// Runs inside the post's transaction before the row is written (after the stored row
    /// was found as the view read it): read what the write depends on from the file here,
    /// take numbers that must be unique. Return a Conflict error when the file no longer
    /// holds what the user saw, Refused to refuse silently.
    WriteCheck onPostBegin;
    /// Runs inside the post's transaction after the row was written (its new rowid and
    /// database defaults already read back into the pending record). Return false to roll
    /// the whole post back: the row stays pending with the user's values.
    Guard onPostWrite;
    Notify afterPost;
    Notify afterCancel;
    Guard beforeDelete;  // e.g. a usage test and a question
    /// Runs inside the delete's transaction before the row is deleted; as onPostBegin.
    WriteCheck onDeleteBegin;
    /// Runs inside the delete's transaction after the row was deleted from its table (the
    /// row is still the current one in memory). Return false to roll the whole delete back.
    Guard onDeleteWrite;
    Notify afterDelete;
    /// The database refused a post; return true when handled (message shown, row maybe
    /// cancelled) so that the caller does not report it again.
    ErrorHandler onPostError;
    ErrorHandler onDeleteError;
    /// A write was refused because another program changed or deleted the row: the write
    /// is rolled back, the pending change dropped and the row read again. Tell the user
    /// here; the error then counts as reported.
    std::function<void(Dataset &, const DatasetError &)> onConflict;
    Notify beforeScroll;
    Notify afterScroll;
    /// A refresh may be taken over: return false after doing it yourself (the standard
    /// refresh is then skipped silently).
    Guard beforeRefresh;
    Notify afterRefresh;
    /// Value of a calculated field declared without a function of its own.
    std::function<QVariant(const RecordRef &, const Field &)> onCalcFields;
};

/**
 * A named in-memory view of one table or one query on the account-set connection: fields,
 * current row, filter, sort, master link, edit states, batch updates and event hooks.
 */
class Dataset : public QObject
{
    Q_OBJECT
public:
    enum class Kind { Table, Command, Query };
    enum class State { Inactive, Browse, Edit, Insert };
    Q_ENUM(State)
    enum LocateOption { CaseInsensitive = 0x1, PartialKey = 0x2 };
    Q_DECLARE_FLAGS(LocateOptions, LocateOption)

    Dataset(Database &db, Kind kind, const QString &name, QObject *parent = nullptr);
    ~Dataset() override;

    Kind kind() const { return m_kind; }
    /// "TADOTable", "TADODataSet" or "TADOQuery": the kind name the open loop reports.
    QString kindName() const { return kindName(m_kind); }
    static QString kindName(Kind kind);
    /// Component name ("Goods", "lkGoods", "RuKuMx").
    QString name() const { return m_name; }
    Database &database() const { return m_db; }

    // ---- source and options (set while closed) ---------------------------------------
    void setTableName(const QString &table);
    QString tableName() const { return m_table; }
    /// Table columns left out when every column is taken ("all columns but VendorID").
    void setExcludedColumns(const QStringList &columns);
    /// Statement of a command or query dataset; `:Name` and `?` parameters are bound.
    void setSql(const QString &sql);
    QString sql() const { return m_sql; }
    /// A column of rows made by code (setRowSource): its name and declared type ("INTEGER",
    /// "REAL", "TEXT"; empty: the type of its first value, as a statement's expression has).
    struct SourceColumn
    {
        QString name;
        QString type;
    };
    /// Makes every row of the view, packed in the order of the source's columns.
    using RowSource = std::function<DatasetError(std::vector<RowValues> *rows)>;
    /// Rows made by code instead of read by a statement (a query dataset, set while closed):
    /// figures worked out from what the code read itself, handed over as rows without a
    /// round trip through SQL. open() and refresh() call `source` for the rows; the statement
    /// and its parameters are not used. A failed source leaves the rows as they were.
    void setRowSource(QList<SourceColumn> columns, RowSource source);
    bool hasRowSource() const { return bool(m_rowSource); }
    void setParam(const QString &name, const QVariant &value); // name with or without ':'
    void setParam(int position, const QVariant &value);        // 0-based, for '?'
    QVariant param(const QString &name) const;
    void clearParams();
    /// Query and command datasets are read-only unless told otherwise; their edits then
    /// stay in memory (there is no table to write to).
    void setReadOnly(bool readOnly)
    {
        m_readOnly = readOnly;
        m_readOnlySet = true;
    }
    bool isReadOnly() const;
    /// Batch mode: posts stay in memory until applyUpdates().
    void setBatchMode(bool batch);
    /// Rows read on first use instead of at open (set while closed): a view that the open
    /// loop must open but that few sessions look at costs nothing until then. The dataset
    /// is open (browse state, no current row) from open() on; the first call that needs its
    /// rows reads them, as the open would have, without signals (nobody has seen rows yet).
    /// A refresh before that has nothing to re-read.
    void setLoadOnFirstUse(bool deferred) { m_loadOnFirstUse = deferred; }
    bool loadOnFirstUse() const { return m_loadOnFirstUse; }
    /// Where a query goes on after the rows read so far: sets the statement's parameters for
    /// the rows that follow `last` (the values of the last row read, by field index; an empty
    /// list before the first page).
    using PageStart = std::function<void(Dataset &, const QVariantList &last)>;
    /// Rows of a query read a page at a time (set while closed; 0 turns it off): the statement
    /// reads at most `:PageSize` rows from where `start` puts it, in the order of a key, so
    /// that each page is one indexed read whatever the page. open() reads the first page,
    /// refresh() as many rows as were read before, fetchMore() the next page. Whatever needs
    /// every row reads the rest first: locate(), lookup(), a filter, a sort, last(), a
    /// bookmark, and next() on the last row read reads the next page.
    void setPagedRead(int pageSize, PageStart start);
    int pageSize() const { return m_pageSize; }
    /// Rows follow the ones read so far.
    bool canFetchMore() const { return m_morePages && isOpen(); }
    /// Reads the next page, added at the end of the view (rowsAppended).
    DatasetError fetchMore();
    /// Reads every page that remains.
    DatasetError fetchAll();
    bool batchMode() const { return m_batch; }
    /// UPDATE only the columns changed in the row (default true). Off, an update writes
    /// every data column of the row.
    void setUpdateChangedColumnsOnly(bool onlyChanged) { m_onlyChanged = onlyChanged; }
    bool updateChangedColumnsOnly() const { return m_onlyChanged; }
    /// Fields whose stored values must still be what the view read for an edit or a delete
    /// of the row to go through: checked inside the write's transaction, so a row another
    /// program changed meanwhile is refused (DatasetError::Code::Conflict) and read again.
    /// A row gone from the table is refused that way whatever is set here.
    void setConflictFields(const QStringList &fields) { m_conflictFields = fields; }
    QStringList conflictFields() const { return m_conflictFields; }
    /// The message of a Conflict error ("该记录已被其他用户修改，已重新读取。" unless set).
    void setConflictText(const QString &text) { m_conflictText = text; }
    QString conflictText() const;
    /// Assigning a field in browse state starts an edit instead of failing (default false).
    void setAutoEdit(bool autoEdit) { m_autoEdit = autoEdit; }
    bool autoEdit() const { return m_autoEdit; }
    /// Text filters compare case-insensitively (default false: exact).
    void setFilterCaseInsensitive(bool insensitive);

    // ---- fields --------------------------------------------------------------------------
    Field &addDataField(const QString &column);
    void addDataFields(const QStringList &columns);
    Field &addLookupField(const QString &name, Dataset *lookupDataset, const QStringList &lookupKeyFields,
                          const QString &lookupResultField, const QStringList &keyFields);
    Field &addLookupField(const QString &name, Dataset *lookupDataset, const QString &lookupKeyField,
                          const QString &lookupResultField, const QString &keyField);
    /// A function of the record; without one, hooks().onCalcFields supplies the value.
    Field &addCalcField(const QString &name, CalcFunction function = {}, DataType type = DataType::Float);
    /// Removes every field (closed datasets only).
    void clearFields();
    /// Creates the default data fields from the table or statement now; open() does it when
    /// needed. Needs an open connection.
    DatasetError initFields();
    int fieldCount() const { return int(m_fields.size()); }
    Field &field(int index) const;
    /// Case-insensitive; nullptr when there is no such field.
    Field *findField(const QString &name) const;
    /// Case-insensitive; an invalid stand-in (isValid() false, every assignment an error)
    /// when there is no such field.
    Field &fieldByName(const QString &name) const;
    int fieldIndex(const QString &name) const;
    QList<Field *> fields() const;
    QList<Field *> visibleFields() const;
    /// Moves the named fields, in this order, ahead of all others.
    void setFieldOrder(const QStringList &names);

    // ---- open and close ------------------------------------------------------------------
    /// Opens the open-first dependents, then reads the rows. Open already: nothing happens.
    DatasetError open();
    /// Closes dependents first; drops pending edits and unapplied batch changes.
    void close();
    bool isOpen() const { return m_state != State::Inactive; }
    State state() const { return m_state; }
    bool isEditing() const { return m_state == State::Edit || m_state == State::Insert; }
    /// Re-reads the rows from the database and returns to the current row if it still exists.
    DatasetError refresh();
    /// refresh(), unless the rows cannot differ from the file: they were read outside a
    /// transaction, nothing has been written to the file since (through this connection or
    /// by another program) and they have not changed in memory. A window that shows the
    /// file as it is now, each time it comes up, calls this instead of re-reading 20,000
    /// rows that are known to be the same.
    DatasetError refreshIfChanged();
    /// The file changed under these rows (a bulk statement, many rows rewritten): the rows
    /// are read again on their next use (a value, the row count, the current row, a cursor
    /// move, an edit), keeping the current row by rowid, the filter and the sort, instead of
    /// now. Bound widgets get their re-read at the next turn of the event loop, with the
    /// usual reset signals. A view with a pending edit or unapplied batch changes keeps them:
    /// it is read again once they are posted or dropped. Rows not read yet stay so.
    void markStale();
    /// Marked stale and not read again yet.
    bool isStale() const { return m_stale; }
    /// Opening this dataset first opens `dependent`; closing it first closes `dependent`.
    void addOpenDependency(Dataset *dependent);
    QList<Dataset *> openDependencies() const;

    // ---- master link ---------------------------------------------------------------------
    /// Shows only the rows whose detailFields equal the masterFields of the master's current
    /// row (read per master row), follows the master and fills detailFields of new rows.
    /// With openWithMaster the master opens (and closes) this dataset first.
    void setMasterLink(Dataset *master, const QStringList &masterFields, const QStringList &detailFields,
                       bool openWithMaster = true);
    void clearMasterLink();
    Dataset *master() const { return m_master; }
    QStringList masterFields() const { return m_masterFields; }
    QStringList detailFields() const { return m_detailFields; }
    QList<Dataset *> details() const;

    // ---- cursor (rows under the filter, in sort order) ------------------------------------
    int rowCount() const
    {
        ensureRows();
        return int(m_view.size());
    }
    int recordCount() const { return rowCount(); }
    bool isEmpty() const { return rowCount() == 0; }
    /// 0-based position of the current row, -1 when there is none.
    int currentRow() const
    {
        ensureRows();
        return m_current;
    }
    /// 1-based position of the current row, 0 when there is none.
    int recNo() const { return currentRow() + 1; }
    /// Moves to `row` (0-based); a pending edit is posted first. False if it could not move.
    bool setCurrentRow(int row);
    bool setRecNo(int recNo) { return setCurrentRow(recNo - 1); }
    void first();
    void last();
    void next();
    void prior();
    bool bof() const
    {
        ensureRows();
        return m_bof;
    }
    bool eof() const
    {
        ensureRows();
        return m_eof;
    }
    /// Moves to the first row (under the filter) whose fields equal `values`. Without options
    /// the match is exact and case-sensitive; PartialKey matches text prefixes.
    bool locate(const QStringList &fields, const QVariantList &values, LocateOptions options = {});
    bool locate(const QString &field, const QVariant &value, LocateOptions options = {});
    /// The resultField of the first row (filter ignored) whose keyFields equal keyValues;
    /// NULL when there is none. Does not move the cursor.
    QVariant lookup(const QStringList &keyFields, const QVariantList &keyValues, const QString &resultField) const;
    Bookmark bookmark() const;
    bool gotoBookmark(const Bookmark &bookmark);
    bool bookmarkValid(const Bookmark &bookmark) const;
    /// The hidden SQLite rowid of the current row (0 for none or a row not yet written).
    qint64 currentRowid() const;
    qint64 rowidAt(int row) const;
    bool locateRowid(qint64 rowid);

    // ---- states --------------------------------------------------------------------------
    DatasetError edit();
    DatasetError append(); // new row at the end
    DatasetError insert(); // new row before the current one
    DatasetError post();
    DatasetError cancel();
    /// Deletes the current row (Delphi's Delete). In insert state it cancels the new row.
    DatasetError remove();
    /// Posts a pending edit that the user changed, cancels one that he did not.
    DatasetError checkBrowseMode();
    /// The pending record has user changes (defaults from onNewRecord do not count).
    bool isModified() const { return m_userModified; }
    /// Assigns a field of the current record; see Field::setValue().
    DatasetError setValue(const QString &fieldName, const QVariant &value);
    /// A field of the current record (the pending edit while editing).
    QVariant value(const QString &fieldName) const;

    // ---- batch ---------------------------------------------------------------------------
    /// Writes every pending change in one transaction; on failure nothing is written and
    /// the changes stay pending.
    DatasetError applyUpdates();
    void cancelUpdates();
    bool updatesPending() const;

    // ---- filter and sort -----------------------------------------------------------------
    /// Parses `text`; a bad text returns an error naming the problem and its position and
    /// leaves the previous filter in force. Empty text means no filter.
    DatasetError setFilter(const QString &text);
    QString filter() const { return m_filterText; }
    DatasetError setFiltered(bool filtered);
    bool isFiltered() const { return m_filtered; }
    /// While filtered, only the stored rows with one of these rowids show (they must pass the
    /// filter text too): the rows a search found, kept in this program's memory rather than
    /// marked in the file. The view is built by looking these rows up, not by testing every
    /// stored row, so narrowing 80,000 bills to a few dozen costs the few dozen. No value
    /// lifts the restriction.
    DatasetError setRowidFilter(std::optional<QSet<qint64>> rowids);
    const std::optional<QSet<qint64>> &rowidFilter() const { return m_rowidFilter; }
    /// A stored row (read or written, whatever the filter) has this rowid.
    bool holdsRowid(qint64 rowid) const
    {
        ensureRows();
        return findByRowid(rowid) != nullptr;
    }
    /// "CataID ASC,HardOrder DESC"; empty means load order. Stable, NULLs first ascending.
    /// A lookup field sorts by its key fields. Texts compare by Unicode code points.
    DatasetError setSort(const QString &text);
    QString sort() const { return m_sortText; }
    /// The names a sort on `fieldName` uses: its key fields for a lookup field, else itself.
    QStringList sortKeyFor(const QString &fieldName) const;

    // ---- access by position (for table models; any row index is safe) ---------------------
    QVariant value(int row, int fieldIndex) const;
    QString displayText(int row, int fieldIndex) const;
    /// The row is the pending new row of insert state (not yet written).
    bool isPendingRow(int row) const;

    // ---- re-reading rows changed elsewhere -------------------------------------------------
    /// Re-reads these rows of the table: changed values are taken over, rows gone from the
    /// table leave the view, rows new to this view (and within its master link) are added.
    /// When they are most of a large view (and nothing is pending) the view is marked
    /// stale instead (markStale): read whole on its next use.
    DatasetError refreshRows(const QList<qint64> &rowids);
    DatasetError refreshRow(qint64 rowid) { return refreshRows({rowid}); }

    // ---- notifications -------------------------------------------------------------------
    /// Suspends signals and master-detail following (nested); the last enableControls()
    /// emits one reset and lets the details catch up.
    void disableControls();
    void enableControls();
    bool controlsDisabled() const { return m_disableCount > 0; }

    DatasetHooks &hooks() { return m_hooks; }
    /// The error of the last operation that failed (cursor moves report here).
    DatasetError lastError() const { return m_lastError; }

signals:
    void rowsAboutToBeReset();
    void rowsReset();
    void rowAboutToBeInserted(int row);
    void rowInserted(int row);
    void rowAboutToBeRemoved(int row);
    void rowRemoved(int row);
    void rowChanged(int row);
    void currentChanged(int row);
    void stateChanged(hemu::Dataset::State state);
    void fieldsChanged();
    void activeChanged(bool open);
    /// Rows read by fetchMore() are about to be added at view positions first..last.
    void rowsAboutToBeAppended(int first, int last);
    void rowsAppended(int first, int last);

private:
    friend class Field;
    friend class RecordRef;
    struct Row;
    struct BatchInfo;
    struct LookupIndex;
    struct SortKey;
    struct Snapshot;
    struct TableColumn; // a column as the table or statement declares it

    // fields
    Field &createField(FieldKind kind, const QString &name);
    void reindexFields();
    void rebindViewKeys();
    DatasetError resolveSort(const QString &text, QVector<SortKey> *keys) const;
    void fieldPropertiesChanged();
    DatasetError bindFilter(FilterExpression *expression) const;
    // values
    const RowValues *currentValues() const;
    QVariant fieldValue(const RowValues &values, int fieldIndex) const;
    QVariant lookupValue(const RowValues &values, const Field &field) const;
    QVariant currentFieldValue(int fieldIndex) const;
    QVariant storedFieldValue(int fieldIndex) const;
    DatasetError assign(Field &field, const QVariant &value);
    DatasetError convertValue(const Field &field, const QVariant &in, QVariant *out) const;
    const Row *findByKey(const QStringList &keyFields, const QVariantList &keyValues) const;
    QString lookupKey(const LookupIndex &index, const RowValues &values) const;
    /// After a change of the stored rows (version `before`): lookup indexes for which
    /// `stillValid` holds (it may update them) stay in force.
    void keepLookups(quint64 before, const std::function<bool(LookupIndex &)> &stillValid);
    /// The stored values of `row` were `before`; they changed.
    void rowValuesChanged(Row *row, const RowValues &before);
    bool passesFilter(const Row *row) const;
    // reading and writing
    /// Reads the rows of an open dataset whose reading was put off to its first use.
    void ensureRows() const;
    /// Reads the pages that remain, without signals of their own (callers announce the change).
    void ensureAllRows() const;
    /// The page after `last` (the first page when null), added to `rows`; sets m_morePages.
    DatasetError readPage(const Row *last, std::vector<Row *> *rows);
    /// Adds rows read after the stored ones at the end of the view, announced as appended.
    void appendRows(std::vector<Row *> rows);
    /// A stale view read again now, when nothing pending stands in the way.
    void readStale();
    /// A stale view somebody shows: read again at the next turn of the event loop.
    void scheduleStaleRead();
    /// The stored columns, quoted and separated by commas.
    QString columnList() const;
    QStringList quotedColumns() const;
    QString quotedTable() const;
    DatasetError readRows(const QString &where, const QVariantList &params, std::vector<Row *> *rows);
    /// The rows the row source makes, in the order of the stored columns.
    DatasetError makeRows(std::vector<Row *> *rows);
    DatasetError load();
    DatasetError reload();
    void clearRows();
    DatasetError writeRow(qint64 rowid, const RowValues &values, const QVector<bool> &changed, bool isInsert,
                          RowValues *readBack, qint64 *newRowid, QSqlError *sqlError) const;
    DatasetError readBackRow(qint64 rowid, RowValues *values, QSqlError *sqlError) const;
    static DatasetError inRefusalWords(const DatasetError &error);
    DatasetError reportWriteError(const DatasetError &error, bool isDelete);
    /// DELETE of one stored row by rowid (no check how many rows it removed).
    DatasetError deleteStoredRow(qint64 rowid) const;
    DatasetError conflictError() const;
    /// Inside a write's transaction: the conflict fields of `row` as the file holds them
    /// against what the view read; a Conflict error when they differ or the row is gone.
    DatasetError checkStoredRow(const Row *row) const;
    /// After a Conflict rolled a write back: drops the pending change, reads `rowid` again
    /// (when it is a stored row) and lets the rules tell the user.
    DatasetError resolveConflict(const DatasetError &error, qint64 rowid, bool storedRow);
    bool writesToDatabase() const;
    // view and cursor
    void rebuildView(bool keepCurrent);
    void showFromFirstRow();
    /// Sets the begin and end marks from the current row and the view.
    void updateEnds();
    void reapplyView();
    DatasetError finishPost();
    void sortView();
    Row *rowAt(int row) const;
    int viewIndexOf(const Row *row) const;
    Row *findBySerial(quint64 serial) const;
    Row *findByRowid(qint64 rowid) const;
    void setRowid(Row *row, qint64 rowid, bool hasRowid);
    void insertStored(Row *row);
    void removeStored(Row *row);
    void viewInsert(int position, Row *row);
    void viewRemove(int position);
    void moveTo(int row);
    bool prepareMove();
    void setState(State state);
    DatasetError startNewRow(bool appendAtEnd);
    void dropInsertRow();
    // transactions
    void registerUndo(const std::shared_ptr<Snapshot> &snapshot);
    void undo(Snapshot &snapshot);
    void registerReloadUndo();
    // master link
    void masterChanged(bool force);
    QVariantList masterKeyValues() const;
    /// "detail = ?" for each detail field, joined by AND.
    QString masterWhere() const;
    void notifyDetails(bool force);
    // notification
    void emitReset();
    void emitCurrent();
    void emitRowChanged(int row);
    void bumpVersion() { ++m_version; }
    DatasetError remember(const DatasetError &error);
    DatasetError stateError(const QString &operation) const;

    Database &m_db;
    Kind m_kind;
    QString m_name;
    QString m_table;
    QStringList m_excluded;
    QString m_sql;
    QList<SourceColumn> m_sourceColumns; // setRowSource
    RowSource m_rowSource;
    QHash<QString, QVariant> m_namedParams; // lower-case name without ':'
    QHash<int, QVariant> m_positionalParams;
    bool m_readOnly = false;
    bool m_readOnlySet = false;
    bool m_batch = false;
    bool m_onlyChanged = true;
    bool m_autoEdit = false;
    bool m_filterCaseInsensitive = false;
    bool m_loadOnFirstUse = false;
    QStringList m_conflictFields;
    QString m_conflictText;
    bool m_rowsPending = false; // open, rows not read yet (loadOnFirstUse)
    int m_pageSize = 0;         // rows read a page at a time (setPagedRead)
    PageStart m_pageStart;
    bool m_morePages = false;   // pages follow the rows read
    bool m_stale = false;       // rows in memory, to be read again on their next use
    bool m_staleReadQueued = false;

    std::vector<std::unique_ptr<Field>> m_fields;
    QHash<QString, int> m_fieldByName; // lower-case name -> index
    QHash<QString, int> m_fieldByExactName; // a field's own name -> the same index
    QStringList m_columnNames;         // stored column -> table column name
    mutable QString m_columnList;      // columnList(), built when first needed
    mutable QStringList m_quotedColumns;
    mutable QString m_quotedTable;
    QVector<int> m_sourceColumn;       // stored column -> statement column (queries)
    QVector<bool> m_inferType;         // stored column whose type comes from the data
    int m_columnCount = 0;
    bool m_defaultFields = false;      // data fields were created from the table
    int m_rowidAliasColumn = -1;       // stored column of an INTEGER PRIMARY KEY
    mutable std::unique_ptr<Field> m_invalidField;

    State m_state = State::Inactive;
    std::vector<Row *> m_rows; // owned, ascending serial (load order, then new rows)
    bool m_rowidOrdered = true; // m_rows are in ascending rowid order too: found by bisection
    mutable std::unique_ptr<QHash<qint64, Row *>> m_rowidIndex; // otherwise, built when needed
    QVector<Row *> m_view;     // under filter and sort; holds the pending new row too
    int m_current = -1;
    bool m_bof = true;
    bool m_eof = true;
    quint64 m_nextSerial = 1;
    quint64 m_version = 1;        // changes with every change of the stored rows
    quint64 m_loadGeneration = 0; // changes with every load
    Database::ContentStamp m_readStamp; // the file when the rows were last read (none: unknown)
    quint64 m_readVersion = 0;          // m_version right after that read

    std::unique_ptr<Row> m_insertRow;
    quint64 m_serialBeforeInsert = 0;
    RowValues m_buffer;         // edit state: the pending values
    QVector<bool> m_changed;    // columns assigned in this edit or insert
    bool m_userModified = false;
    bool m_inNewRecord = false;
    bool m_linkAssign = false;

    std::unique_ptr<QHash<quint64, BatchInfo>> m_batchInfo; // by row serial
    std::vector<Row *> m_batchDeleted;                      // owned

    QString m_filterText;
    bool m_filtered = false;
    std::shared_ptr<FilterExpression> m_filterExpr;
    std::optional<QSet<qint64>> m_rowidFilter;
    QString m_sortText;
    std::unique_ptr<QVector<SortKey>> m_sortKeys;
    mutable std::unique_ptr<QHash<QString, LookupIndex>> m_lookupIndexes;

    QPointer<Dataset> m_master;
    QStringList m_masterFields;
    QStringList m_detailFields;
    QVariantList m_loadedMasterKey;
    bool m_masterKeyLoaded = false;
    QList<QPointer<Dataset>> m_details;
    QList<QPointer<Dataset>> m_openDependencies;
    bool m_opening = false;
    bool m_closing = false;

    int m_disableCount = 0;
    bool m_detailsStale = false;
    DatasetHooks m_hooks;
    DatasetError m_lastError;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Dataset::LocateOptions)

/// The datasets of `pointers` that still exist, in order.
inline QList<Dataset *> liveDatasets(const QList<QPointer<Dataset>> &pointers)
{
    QList<Dataset *> list;
    for (const auto &d : pointers) {
        if (d)
            list.append(d);
    }
    return list;
}

/** A dataset over one whole table (kind "TADOTable"). */
class TableDataset : public Dataset
{
    Q_OBJECT
public:
    TableDataset(Database &db, const QString &name, const QString &table, QObject *parent = nullptr)
        : Dataset(db, Kind::Table, name, parent)
    {
        setTableName(table);
    }
};

/** A dataset with a fixed command text, opened with the tables (kind "TADODataSet"). */
class CommandDataset : public Dataset
{
    Q_OBJECT
public:
    CommandDataset(Database &db, const QString &name, const QString &sql = {}, QObject *parent = nullptr)
        : Dataset(db, Kind::Command, name, parent)
    {
        setSql(sql);
    }
};

/** A query dataset that the code using it opens itself (kind "TADOQuery"). */
class QueryDataset : public Dataset
{
    Q_OBJECT
public:
    QueryDataset(Database &db, const QString &name, const QString &sql = {}, QObject *parent = nullptr)
        : Dataset(db, Kind::Query, name, parent)
    {
        setSql(sql);
    }
};

} // namespace hemu
