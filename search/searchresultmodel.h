#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <vector>

// The hits of one search: columns Offset (upper-case hexadecimal, no
// prefix) and Value. Every hit of a search shows the same Value, so a hit is
// kept as its offset alone and its texts are made when a view asks.
class SearchResultModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    enum Column { Offset = 0, Value = 1, ColumnCount = 2 };

    using QAbstractTableModel::QAbstractTableModel;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // Drops every hit; the hits to come show `value`.
    void start(const QString &value);
    // Appends hits, in file order after the ones listed.
    void append(const std::vector<qint64> &offsets);

    int count() const { return int(m_offsets.size()); }
    qint64 offset(int row) const { return m_offsets[size_t(row)]; }
    static QString offsetText(qint64 offset);
    const QString &value() const { return m_value; }

private:
    std::vector<qint64> m_offsets;
    QString m_value;
};
