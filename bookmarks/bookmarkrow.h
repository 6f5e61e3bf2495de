#pragma once

#include <QString>
#include <array>

// One bookmark of the list: seven text cells, by their column number.
struct BookmarkRow
{
    enum Column { Description = 0, Value, Offset, Type, Len, Number, File, ColumnCount };

    std::array<QString, ColumnCount> cells;

    QString &operator[](int column) { return cells[column]; }
    const QString &operator[](int column) const { return cells[column]; }
};
