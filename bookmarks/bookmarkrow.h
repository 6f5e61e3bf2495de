#pragma once

#include <QString>
#include <array>

// One bookmark of the list: seven text cells, by their column number.
struct BookmarkRow
{
    enum Column { Description = 0, Value, Offset, Type, Len, Number, File, ColumnCount };

    std::array<QString, ColumnCount> cells;
    // The Value text as last read from or written to the module: the exit
    // check compares with it, and Save writes only rows whose text differs.
    QString savedValue;

    QString &operator[](int column) { return cells[column]; }
    const QString &operator[](int column) const { return cells[column]; }
};
