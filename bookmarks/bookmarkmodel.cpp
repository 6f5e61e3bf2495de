#include "bookmarks/bookmarkmodel.h"

#include "bookmarks/bookmarksection.h"

#include <algorithm>

namespace {

// The cells that the bookmark file keeps for a row. The Value is the
// module's, compared with the saved value; "#" is only the row's place.
bool sameEntry(const BookmarkRow::Cells &a, const BookmarkRow::Cells &b)
{
    for (int c : {BookmarkRow::Description, BookmarkRow::Offset, BookmarkRow::Type, BookmarkRow::Len,
                  BookmarkRow::File})
        if (a[size_t(c)] != b[size_t(c)])
            return false;
    return true;
}

std::vector<BookmarkRow::Cells> cellsOf(const std::vector<BookmarkRow> &rows)
{
    std::vector<BookmarkRow::Cells> cells;
    cells.reserve(rows.size());
    for (const BookmarkRow &row : rows)
        cells.push_back(row.cells);
    return cells;
}

} // namespace

QString BookmarkModel::caption(int column)
{
    static const char *const captions[] = {"Description", "Value", "Offset", "Type", "Len", "#", "File"};
    return column >= 0 && column < BookmarkRow::ColumnCount ? QString::fromLatin1(captions[column]) : QString();
}

int BookmarkModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int BookmarkModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : BookmarkRow::ColumnCount;
}

QVariant BookmarkModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    if (role == Qt::DisplayRole || role == Qt::EditRole)
        return cell(index.row(), index.column());
    if (role == Qt::TextAlignmentRole) {
        const int c = index.column();
        const bool right = c == BookmarkRow::Value || c == BookmarkRow::Offset || c == BookmarkRow::Number;
        return int((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignVCenter);
    }
    return QVariant();
}

QVariant BookmarkModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return caption(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

void BookmarkModel::setCell(int row, int column, const QString &text)
{
    if (row < 0 || row >= count() || column < 0 || column >= BookmarkRow::ColumnCount)
        return;
    QString &target = m_rows[size_t(row)][column];
    if (target == text)
        return;
    target = text;
    const QModelIndex at = index(row, column);
    emit dataChanged(at, at);
}

void BookmarkModel::setSavedValue(int row, const QString &text)
{
    if (row >= 0 && row < count())
        m_rows[size_t(row)].savedValue = text;
}

void BookmarkModel::markSaved()
{
    m_snapshot = cellsOf(m_rows);
    emit saved();
}

int BookmarkModel::firstModifiedRow() const
{
    for (int i = 0; i < count(); ++i)
        if (rowChanged(i))
            return i;
    return m_rows.size() < m_snapshot.size() ? count() : -1;
}

bool BookmarkModel::rowChanged(int row) const
{
    if (row < 0 || row >= count())
        return false;
    const BookmarkRow &r = m_rows[size_t(row)];
    return size_t(row) >= m_snapshot.size() || !sameEntry(r.cells, m_snapshot[size_t(row)]) ||
           r[BookmarkRow::Value] != r.savedValue;
}

int BookmarkModel::changedRowCount() const
{
    int n = 0;
    for (int i = 0; i < count(); ++i)
        n += rowChanged(i) ? 1 : 0;
    return n;
}

const BookmarkRow::Cells *BookmarkModel::snapshotRow(int row) const
{
    return row >= 0 && size_t(row) < m_snapshot.size() ? &m_snapshot[size_t(row)] : nullptr;
}

void BookmarkModel::insertRowsAt(int at, const std::vector<BookmarkRow> &rows)
{
    if (rows.empty() || at < 0 || at > count())
        return;
    beginInsertRows(QModelIndex(), at, at + int(rows.size()) - 1);
    m_rows.insert(m_rows.begin() + at, rows.begin(), rows.end());
    endInsertRows();
}

void BookmarkModel::removeRowsAt(int first, int n)
{
    if (first < 0 || n <= 0 || first + n > count())
        return;
    beginRemoveRows(QModelIndex(), first, first + n - 1);
    m_rows.erase(m_rows.begin() + first, m_rows.begin() + first + n);
    endRemoveRows();
}

void BookmarkModel::setRow(int row, const BookmarkRow &cells)
{
    if (row < 0 || row >= count())
        return;
    m_rows[size_t(row)] = cells;
    emit dataChanged(index(row, 0), index(row, BookmarkRow::ColumnCount - 1));
}

void BookmarkModel::reorder(std::vector<BookmarkRow> rows)
{
    emit layoutAboutToBeChanged();
    m_rows = std::move(rows);
    emit layoutChanged();
}

void BookmarkModel::readValues(ModuleFiles &files, int first)
{
    if (first < 0 || first >= count())
        return;
    for (size_t i = size_t(first); i < m_rows.size(); ++i) {
        BookmarkRow &row = m_rows[i];
        row[BookmarkRow::Value] = row.savedValue = BookmarkSection::readValue(files, row);
    }
    emit dataChanged(index(first, BookmarkRow::Value), index(count() - 1, BookmarkRow::Value));
}

void BookmarkModel::setRows(std::vector<BookmarkRow> rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_snapshot = cellsOf(m_rows);
    endResetModel();
}

void BookmarkModel::appendRow(const BookmarkRow &row)
{
    beginInsertRows(QModelIndex(), count(), count());
    m_rows.push_back(row);
    endInsertRows();
}

void BookmarkModel::removeRowAt(int row)
{
    if (row < 0 || row >= count())
        return;
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void BookmarkModel::renumber()
{
    for (int k = 0; k < count(); ++k)
        m_rows[size_t(k)][BookmarkRow::Number] = QString::number(k + 1);
    if (count() > 0)
        emit dataChanged(index(0, BookmarkRow::Number), index(count() - 1, BookmarkRow::Number));
}

Qt::ItemFlags BookmarkModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

bool BookmarkModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (!index.isValid() || role != Qt::EditRole || index.row() >= count())
        return false;
    setCell(index.row(), index.column(), value.toString());
    return true;
}

void BookmarkModel::addTypedEntry(const QString &type)
{
    BookmarkRow row;
    row[BookmarkRow::Type] = type;
    row[BookmarkRow::Len] = QStringLiteral("0");
    row[BookmarkRow::Number] = QString::number(count() + 1);
    row[BookmarkRow::File] = QStringLiteral("1");
    appendRow(row);
}

void BookmarkModel::appendDescribedRows(const QString &description, const QString &value, const QStringList &offsets,
                                        const QString &type, const QString &file, int length)
{
    appendDescribedRows(description, QStringList(offsets.size(), value), offsets, type, file, length);
}

void BookmarkModel::appendDescribedRows(const QString &description, const QStringList &values,
                                        const QStringList &offsets, const QString &type, const QString &file,
                                        int length)
{
    if (offsets.isEmpty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(offsets.size()) - 1);
    for (qsizetype i = 0; i < offsets.size(); ++i) {
        BookmarkRow row;
        row[BookmarkRow::Description] = description;
        row[BookmarkRow::Value] = values.value(i);
        row[BookmarkRow::Offset] = offsets[i];
        row[BookmarkRow::Type] = type;
        row[BookmarkRow::Len] = QString::number(length);
        row[BookmarkRow::Number] = QString::number(count() + 1);
        row[BookmarkRow::File] = file;
        m_rows.push_back(std::move(row));
    }
    endInsertRows();
}

void BookmarkModel::sortByColumn(int column, bool ascending)
{
    if (column < 0 || column >= BookmarkRow::ColumnCount)
        return;
    emit layoutAboutToBeChanged();
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](const BookmarkRow &a, const BookmarkRow &b) {
        const int c = a[column].compare(b[column], Qt::CaseInsensitive);
        return ascending ? c < 0 : c > 0;
    });
    emit layoutChanged();
    renumber();
}
