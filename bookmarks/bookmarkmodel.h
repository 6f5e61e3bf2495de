#pragma once

#include "bookmarks/bookmarkrow.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <vector>

class ModuleFiles;

// The bookmark list: the only in-memory copy of the current section's entries.
// Columns are in their file order (Description, Value, Offset, Type, Len, #,
// File); views move "#" to the front. Cells are plain text.
class BookmarkModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    using QAbstractTableModel::QAbstractTableModel;

    static QString caption(int column);

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;

    int count() const { return int(m_rows.size()); }
    const std::vector<BookmarkRow> &rows() const { return m_rows; }
    const QString &cell(int row, int column) const { return m_rows[size_t(row)][column]; }
    void setCell(int row, int column, const QString &text);
    void setSavedValue(int row, const QString &text);
    // The list as it now stands is what the bookmark file holds: its rows
    // become the snapshot that firstModifiedRow() compares with.
    void markSaved();
    // The list differs from what was last loaded or saved: 0-based index of
    // the first row that was added, whose Description, Offset, Type, Len or
    // File differs from the snapshot's row at its place, or whose Value
    // differs from what the module holds there (its saved value); the row
    // count when only rows at the end were removed; -1 when nothing differs.
    int firstModifiedRow() const;
    // Each row from `first` on takes the value its module file holds at its
    // offset, read as a load reads it, as its Value and its saved value.
    void readValues(ModuleFiles &files, int first = 0);

    // The rows of a load: they are the snapshot too.
    void setRows(std::vector<BookmarkRow> rows);
    void clear() { setRows({}); }
    void appendRow(const BookmarkRow &row);
    void removeRowAt(int row);
    // The "#" cell of row k becomes k (1-based), for every row.
    void renumber();

    // Rows put in at `at` (0-based), and the same rows taken out again: how
    // a change of the list is made and taken back. Neither renumbers.
    void insertRowsAt(int at, const std::vector<BookmarkRow> &rows);
    void removeRowsAt(int first, int count);
    // Every cell and the saved value of one row.
    void setRow(int row, const BookmarkRow &cells);
    // The same rows in another order (a sort, or a sort taken back).
    void reorder(std::vector<BookmarkRow> rows);

    // A row whose cells differ from the snapshot's row at its place (or
    // that the snapshot lacks), or whose Value differs from its saved value.
    bool rowChanged(int row) const;
    int changedRowCount() const;
    // The snapshot's row at `row`, when it has one.
    const BookmarkRow::Cells *snapshotRow(int row) const;

    // A new empty row of `type`, at the end, in file 1.
    void addTypedEntry(const QString &type);
    // One row per offset, with the same description, value, type, file and Len.
    void appendDescribedRows(const QString &description, const QString &value, const QStringList &offsets,
                             const QString &type, const QString &file, int length = 0);
    // The same with a value for each offset; offsets without one get empty text.
    void appendDescribedRows(const QString &description, const QStringList &values, const QStringList &offsets,
                             const QString &type, const QString &file, int length = 0);
    // Stable sort by a column's text, without regard to case; then renumbered.
    void sortByColumn(int column, bool ascending);

signals:
    // The snapshot was taken anew: what counts as modified may have changed.
    void saved();

private:
    std::vector<BookmarkRow> m_rows;
    std::vector<BookmarkRow::Cells> m_snapshot;
};
