#pragma once

#include <QString>
#include <array>

// One bookmark of the list: seven text cells, by their column number.
struct BookmarkRow
{
    enum Column { Description = 0, Value, Offset, Type, Len, Number, File, ColumnCount };

    using Cells = std::array<QString, ColumnCount>;

    Cells cells;
    // The Value text as the module holds it at this row's offset, type and
    // file (read at load, at a typed offset, after Save): Save writes only
    // rows whose text differs from it.
    QString savedValue;

    QString &operator[](int column) { return cells[column]; }
    const QString &operator[](int column) const { return cells[column]; }
};
