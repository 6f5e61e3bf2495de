#pragma once

#include "vshtool/colourtable.h"

#include <QByteArray>
#include <QString>
#include <array>
#include <optional>

// A colour scheme apart from any module: for each table it holds, the stored
// singles of all twelve months as their exact bit patterns (red, green, blue,
// and alpha for the waves). As JSON a component is a number when that number
// gives back the same bits, else the text of its eight hexadecimal digits.
struct ColourPreset
{
    using Month = std::array<quint32, 4>;
    using Table = std::array<Month, kMonths>;

    QString firmware;
    std::array<std::optional<Table>, 4> tables;

    std::optional<Table> &table(ColourTable t) { return tables[size_t(t)]; }
    const std::optional<Table> &table(ColourTable t) const { return tables[size_t(t)]; }

    QByteArray toJson() const;
    // Nothing, with `why`, when the text is no preset or a table in it is incomplete.
    static std::optional<ColourPreset> fromJson(const QByteArray &json, QString &why);
};
