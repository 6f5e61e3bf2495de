#include "search/searchresultmodel.h"

int SearchResultModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

int SearchResultModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant SearchResultModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return QVariant();
    if (role == Qt::DisplayRole)
        return index.column() == Offset ? offsetText(offset(index.row())) : m_value;
    return QVariant();
}

QVariant SearchResultModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    return section == Offset ? QStringLiteral("Offset") : QStringLiteral("Value");
}

void SearchResultModel::start(const QString &value)
{
    beginResetModel();
    m_offsets.clear();
    m_offsets.shrink_to_fit();
    m_value = value;
    endResetModel();
}

void SearchResultModel::append(const std::vector<qint64> &offsets)
{
    if (offsets.empty())
        return;
    beginInsertRows(QModelIndex(), count(), count() + int(offsets.size()) - 1);
    m_offsets.insert(m_offsets.end(), offsets.begin(), offsets.end());
    endInsertRows();
}

QString SearchResultModel::offsetText(qint64 offset)
{
    return QString::number(offset, 16).toUpper();
}
