#include "vshtool/presettransfer.h"

#include "document/prxdocument.h"
#include "common/safefile.h"
#include "values/firmware.h"
#include "vshtool/colourpreset.h"
#include "vshtool/vshfiles.h"
#include "vshtool/vshtool.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>

namespace PresetTransfer {

namespace {

QString noWaves(const QString &version)
{
    return QStringLiteral("firmware %1 has no wave tables: they are skipped").arg(version);
}

} // namespace

QString read(VshTool &tool, ColourPreset &preset, QStringList &notes)
{
    PrxDocument &doc = tool.document();
    if (!doc.moduleOpen())
        return QStringLiteral("no module is open");
    const bool waves = Firmware::hasWaveTables(doc.prxversion());
    if (!waves)
        notes << noWaves(doc.prxversion());
    preset = ColourPreset{};
    preset.firmware = doc.prxversion();
    for (ColourTable t : kColourTables) {
        if (isWave(t) && !waves)
            continue;
        ColourPreset::Table table{};
        for (int m = 0; m < kMonths; ++m) {
            QString why;
            const auto at = tool.offsets(t, m, &why);
            if (!at)
                return why;
            for (size_t k = 0; k < (isWave(t) ? 4u : 3u); ++k) {
                const auto bits = tool.readBits((*at)[k]);
                if (!bits)
                    return QStringLiteral("offset %1 does not lie inside the module")
                        .arg(QString::number((*at)[k], 16).toUpper());
                table[size_t(m)][k] = *bits;
            }
        }
        preset.table(t) = table;
    }
    return QString();
}

QString write(VshTool &tool, const ColourPreset &preset, QStringList &notes, const QString &text)
{
    PrxDocument &doc = tool.document();
    if (!doc.moduleOpen())
        return QStringLiteral("no module is open");
    const bool waves = Firmware::hasWaveTables(doc.prxversion());
    std::vector<std::pair<qint64, quint32>> components;
    for (ColourTable t : kColourTables) {
        if (!preset.table(t))
            continue;
        if (isWave(t) && !waves) {
            if (t == ColourTable::WaveBack || !preset.table(ColourTable::WaveBack))
                notes << noWaves(doc.prxversion());
            continue;
        }
        for (int m = 0; m < kMonths; ++m) {
            QString why;
            const auto at = tool.offsets(t, m, &why);
            if (!at)
                return why;
            for (size_t k = 0; k < (isWave(t) ? 4u : 3u); ++k)
                components.emplace_back((*at)[k], (*preset.table(t))[size_t(m)][k]);
        }
    }
    return tool.writeBits(components, text);
}

QString exportTo(VshTool &tool, const QString &path, QStringList &notes)
{
    ColourPreset preset;
    if (const QString why = read(tool, preset, notes); !why.isEmpty())
        return why;
    return SafeFile::write(path, preset.toJson()).text();
}

QString importFrom(VshTool &tool, const QString &path, QStringList &notes)
{
    QByteArray json;
    if (const FileError error = SafeFile::read(path, SafeFile::TextLimit, json); !error.ok())
        return error.text();
    QString why;
    const auto preset = ColourPreset::fromJson(json, why);
    if (!preset)
        return QStringLiteral("%1 can not be imported: %2").arg(QDir::toNativeSeparators(path), why);
    return write(tool, *preset, notes, QStringLiteral("Import colours from %1").arg(QFileInfo(path).fileName()));
}

} // namespace PresetTransfer
