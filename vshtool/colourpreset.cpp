#include "vshtool/colourpreset.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace {

const QString kFormat = QStringLiteral("vantor-colours");
const char *const kComponents[4] = {"red", "green", "blue", "alpha"};

QString tableName(ColourTable table)
{
    switch (table) {
    case ColourTable::Font:
        return QStringLiteral("font");
    case ColourTable::Option:
        return QStringLiteral("option");
    case ColourTable::WaveBack:
        return QStringLiteral("waveBack");
    case ColourTable::WaveFront:
        break;
    }
    return QStringLiteral("waveFront");
}

constexpr int kFormatVersion = 1;

// A JSON value as its text, for a message.
QString jsonText(const QJsonValue &value)
{
    const QByteArray array = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(array.sliced(1, array.size() - 2));
}

bool isKnownKey(const QString &key)
{
    if (key == QLatin1String("format") || key == QLatin1String("formatVersion") || key == QLatin1String("firmware"))
        return true;
    for (ColourTable t : kColourTables)
        if (key == tableName(t))
            return true;
    return false;
}

QString monthName(int month)
{
    return QLatin1String(kMonthNames[size_t(month)]);
}

// The shortest decimal that gives the single back, as the double JSON holds;
// a NaN, an infinity or a negative zero keeps its bits as hexadecimal text.
QJsonValue componentValue(quint32 bits)
{
    const float f = std::bit_cast<float>(bits);
    if (std::isfinite(f) && !(f == 0.0f && std::signbit(f))) {
        char text[32];
        const auto end = std::to_chars(text, text + sizeof text - 1, f).ptr;
        *end = '\0';
        const double shortest = std::strtod(text, nullptr);
        if (std::bit_cast<quint32>(float(shortest)) == bits)
            return shortest;
        return double(f);
    }
    return QString::number(bits, 16).toUpper().rightJustified(8, QLatin1Char('0'));
}

std::optional<quint32> componentBits(const QJsonValue &value)
{
    if (value.isDouble()) {
        const double d = value.toDouble();
        // Beyond a single's range a number would turn into an infinity.
        if (!std::isfinite(float(d)))
            return std::nullopt;
        return std::bit_cast<quint32>(float(d));
    }
    if (value.isString()) {
        const QString text = value.toString();
        bool ok = false;
        const quint32 bits = text.toUInt(&ok, 16);
        if (ok && text.size() == 8)
            return bits;
    }
    return std::nullopt;
}

} // namespace

QByteArray ColourPreset::toJson() const
{
    QJsonObject root;
    root.insert(QStringLiteral("format"), kFormat);
    root.insert(QStringLiteral("formatVersion"), kFormatVersion);
    root.insert(QStringLiteral("firmware"), firmware);
    for (ColourTable t : kColourTables) {
        if (!table(t))
            continue;
        QJsonArray months;
        for (int m = 0; m < kMonths; ++m) {
            QJsonObject month;
            month.insert(QStringLiteral("month"), monthName(m));
            for (int k = 0; k < (isWave(t) ? 4 : 3); ++k)
                month.insert(QLatin1String(kComponents[k]), componentValue((*table(t))[size_t(m)][size_t(k)]));
            months.append(month);
        }
        root.insert(tableName(t), months);
    }
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

std::optional<ColourPreset> ColourPreset::fromJson(const QByteArray &json, QString &why)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &error);
    if (doc.isNull()) {
        why = QStringLiteral("it is not JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset);
        return std::nullopt;
    }
    const QJsonObject root = doc.object();
    if (root.value(QStringLiteral("format")).toString() != kFormat) {
        why = QStringLiteral("it is not a colour preset (no \"format\": \"%1\")").arg(kFormat);
        return std::nullopt;
    }
    // What this program does not know it can not import faithfully: refused, named.
    const QJsonValue formatVersion = root.value(QStringLiteral("formatVersion"));
    if (formatVersion.isUndefined()) {
        why = QStringLiteral("it names no \"formatVersion\"");
        return std::nullopt;
    }
    if (formatVersion.toDouble(-1) != kFormatVersion) {
        why = QStringLiteral("its format version %1 is unknown: this program reads version %2")
                  .arg(jsonText(formatVersion))
                  .arg(kFormatVersion);
        return std::nullopt;
    }
    for (auto it = root.begin(); it != root.end(); ++it) {
        if (!isKnownKey(it.key())) {
            why = QStringLiteral("it holds \"%1\", which is no table this program knows").arg(it.key());
            return std::nullopt;
        }
    }
    ColourPreset preset;
    preset.firmware = root.value(QStringLiteral("firmware")).toString();
    bool any = false;
    for (ColourTable t : kColourTables) {
        const QJsonValue value = root.value(tableName(t));
        if (value.isUndefined())
            continue;
        const QJsonArray months = value.toArray();
        if (!value.isArray() || months.size() != kMonths) {
            why = QStringLiteral("\"%1\" does not hold twelve months").arg(tableName(t));
            return std::nullopt;
        }
        Table table{};
        for (int m = 0; m < kMonths; ++m) {
            const QJsonObject month = months.at(m).toObject();
            const QJsonValue name = month.value(QStringLiteral("month"));
            if (!name.isUndefined() && name.toString() != monthName(m)) {
                const bool known = std::any_of(kMonthNames.begin(), kMonthNames.end(), [&](const char *month) {
                    return name.toString() == QLatin1String(month);
                });
                why = known ? QStringLiteral("\"%1\": %2 stands where %3 belongs")
                                  .arg(tableName(t), jsonText(name), monthName(m))
                            : QStringLiteral("\"%1\", %2: the month %3 is unknown")
                                  .arg(tableName(t), monthName(m), jsonText(name));
                return std::nullopt;
            }
            for (int k = 0; k < (isWave(t) ? 4 : 3); ++k) {
                const auto bits = componentBits(month.value(QLatin1String(kComponents[k])));
                if (!bits) {
                    why = QStringLiteral("\"%1\", %2: \"%3\" is missing or not a number")
                              .arg(tableName(t), monthName(m), QLatin1String(kComponents[k]));
                    return std::nullopt;
                }
                table[size_t(m)][size_t(k)] = *bits;
            }
        }
        preset.table(t) = table;
        any = true;
    }
    if (!any) {
        why = QStringLiteral("it holds no colour table");
        return std::nullopt;
    }
    return preset;
}
