#pragma once

#include "grid/celleditor.h"
#include "grid/gridgeometry.h"
#include "grid/gridstate.h"
#include "tools/mkdemo/demofixture.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cstring>

// Typing into the demo module's list as the grid forwards keys, and reading a
// Float back from the module's bytes.
namespace GridTyping {

constexpr qint64 kClockAt = DemoFixture::kDataOffset + 0x10; // row 1, Float 1.5
constexpr double kValue = 5300, kDescription = 1000, kOffset = 6600;
inline double rowY(int r) { return r * 210 + 100; }

inline float floatIn(const QByteArray &bytes, qint64 at)
{
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// Keys as the grid forwards them: pointer over the cell, a click into the
// editor (whose text is then all selected), one character at a time.
inline void typeInto(GridState &grid, double x, int row, const QString &chars)
{
    CellEditor &editor = grid.editor();
    editor.focusOut();
    grid.place(x, rowY(row), GridGeometry::layout(true));
    editor.focusIn();
    QString text;
    for (const QChar c : chars) {
        editor.keyTyped(c.unicode());
        text += c;
        editor.textChanged(text);
    }
}

} // namespace GridTyping
