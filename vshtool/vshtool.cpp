#include "vshtool/vshtool.h"

#include "common/numbertext.h"
#include "common/prompter.h"
#include "document/prxdocument.h"
#include "values/firmware.h"
#include "values/valuecodec.h"
#include "vshtool/colourchannel.h"
#include "vshtool/vshfiles.h"

#include <QDir>
#include <QFileInfo>
#include <QtEndian>
#include <bit>

namespace {

constexpr qint64 kFixedClear = 0x1A0E8;
constexpr int kFixedClearBytes = 5;

QByteArray littleEndian(quint32 bits)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToLittleEndian(bits, bytes.data());
    return bytes;
}

// The colour dialog's title: which months of which table the colour goes into.
QString pickTitle(ColourTable table, const std::vector<int> &months)
{
    static const char *const tables[] = {"font colour", "option bar colour", "back wave colour", "front wave colour"};
    const QString when =
        months.size() == 1 ? QLatin1String(kMonthNames[size_t(months.front())]) : QStringLiteral("All months");
    return when + QStringLiteral(": ") + QLatin1String(tables[size_t(table)]);
}

} // namespace

int VshTool::colourFile() const
{
    return VshFiles::colourFile(m_doc);
}

std::optional<std::array<qint64, 4>> VshTool::offsets(ColourTable table, int month, QString *why)
{
    const TableLayout &layout = TableLayout::of(table);
    std::array<qint64, 4> out = {-1, -1, -1, -1};
    for (size_t k = 0; k < 4; ++k) {
        if (layout.keys[k].isEmpty())
            continue;
        const auto start = VshFiles::keyOffset(m_doc, layout.keys[k]);
        if (!start) {
            if (why)
                *why = QStringLiteral("the bookmark section %1 gives no %2").arg(m_doc.prxversion(), layout.keys[k]);
            return std::nullopt;
        }
        out[k] = *start + qint64(layout.stride) * month + layout.placement;
    }
    return out;
}

std::optional<quint32> VshTool::readBits(qint64 offset)
{
    const QByteArray bytes = m_doc.files().read(colourFile(), offset, 4);
    if (bytes.size() != 4)
        return std::nullopt;
    return qFromLittleEndian<quint32>(bytes.constData());
}

std::optional<float> VshTool::readSingle(qint64 offset)
{
    const auto bits = readBits(offset);
    return bits ? std::optional<float>(std::bit_cast<float>(*bits)) : std::nullopt;
}

QString VshTool::refusal(const std::vector<qint64> &offsets, qint64 count)
{
    ModuleFiles &files = m_doc.files();
    const int slot = colourFile();
    const QString name = QDir::toNativeSeparators(files.path(slot));
    if (!files.isOpen(slot))
        return QStringLiteral("no module file is open");
    if (!files.isWritable(slot))
        return QStringLiteral("%1 is read-only").arg(name);
    for (qint64 offset : offsets)
        if (offset < 0 || offset + count > files.size(slot))
            return QStringLiteral("offset %1 does not lie inside %2 (%3 bytes)")
                .arg(QString::number(offset, 16).toUpper(), name)
                .arg(files.size(slot));
    return QString();
}

QString VshTool::writeBits(const std::vector<std::pair<qint64, quint32>> &components, const QString &text)
{
    std::vector<qint64> offsets;
    std::vector<std::pair<qint64, QByteArray>> writes;
    for (const auto &[offset, bits] : components) {
        offsets.push_back(offset);
        writes.emplace_back(offset, littleEndian(bits));
    }
    if (const QString why = refusal(offsets, 4); !why.isEmpty())
        return why;
    return m_doc.writeModule(colourFile(), writes, text);
}

VshTool::VshTool(PrxDocument &doc, QObject *parent)
    : QObject(parent)
    , m_doc(doc)
{
}

VshTool &VshTool::of(PrxDocument &doc)
{
    if (auto *tool = doc.findChild<VshTool *>(QString(), Qt::FindDirectChildrenOnly))
        return *tool;
    return *new VshTool(doc, &doc);
}

ColourTables VshTool::VSHreadcolor()
{
    ColourTables out;
    const bool waves = Firmware::hasWaveTables(m_doc.prxversion());
    out.waveTables = waves;
    for (ColourTable table : kColourTables) {
        if (isWave(table) && !Firmware::value(m_doc.prxversion()))
            return out;
        if (isWave(table) && !waves)
            break;
        for (int m = 0; m < kMonths; ++m) {
            const auto at = offsets(table, m);
            if (!at)
                return out;
            float c[4] = {0, 0, 0, 1};
            for (size_t k = 0; k < (isWave(table) ? 4u : 3u); ++k) {
                const auto value = readSingle((*at)[k]);
                if (!value)
                    return out;
                c[k] = *value;
            }
            Rgb rgb;
            Rgb own;
            std::uint8_t *channels[3] = {&rgb.red, &rgb.green, &rgb.blue};
            std::uint8_t *owns[3] = {&own.red, &own.green, &own.blue};
            for (size_t k = 0; k < 3; ++k) {
                const int channel = ColourChannel::fromComponent(c[k]);
                *owns[k] = std::uint8_t(channel);
                *channels[k] = std::uint8_t(isWave(table) ? ColourChannel::blended(channel, c[3]) : channel);
            }
            out.swatch(table, m) = rgb;
            if (isWave(table)) {
                out.alpha(table, m) = ValueCodec::formatFloat(c[3]);
                out.wave(table, m) = WaveColour{own, c[3]};
            }
        }
    }
    out.complete = true;
    return out;
}

ColourWrite VshTool::pick(ColourTable table, const std::vector<int> &months)
{
    ColourWrite result;
    if (!VshFiles::moduleExists(m_doc)) {
        result.status = ColourWrite::Status::NoModule;
        return result;
    }
    std::vector<std::array<qint64, 4>> positions;
    for (int m : months) {
        const auto at = offsets(table, m, &result.why);
        if (!at) {
            result.status = ColourWrite::Status::Refused;
            return result;
        }
        positions.push_back(*at);
    }
    // Checked before the dialog: a colour that can not be stored is not asked for.
    std::vector<qint64> probe;
    for (const auto &at : positions)
        probe.insert(probe.end(), at.begin(), at.begin() + 3);
    if (result.why = refusal(probe, 4); !result.why.isEmpty()) {
        result.status = ColourWrite::Status::Refused;
        return result;
    }
    const auto chosen = m_doc.prompter().chooseColour(m_lastColour, pickTitle(table, months));
    if (!chosen)
        return result;
    m_lastColour = *chosen;
    const quint32 bits[3] = {std::bit_cast<quint32>(ColourChannel::toComponent(chosen->red)),
                             std::bit_cast<quint32>(ColourChannel::toComponent(chosen->green)),
                             std::bit_cast<quint32>(ColourChannel::toComponent(chosen->blue))};
    std::vector<std::pair<qint64, quint32>> components;
    for (const auto &at : positions)
        for (size_t k = 0; k < 3; ++k)
            components.emplace_back(at[k], bits[k]);
    const QString hex = QStringLiteral("%1%2%3")
                            .arg(int(chosen->red), 2, 16, QLatin1Char('0'))
                            .arg(int(chosen->green), 2, 16, QLatin1Char('0'))
                            .arg(int(chosen->blue), 2, 16, QLatin1Char('0'))
                            .toUpper();
    result.why = writeBits(components, QStringLiteral("%1 = #%2").arg(pickTitle(table, months), hex));
    result.status = result.why.isEmpty() ? ColourWrite::Status::Written : ColourWrite::Status::Refused;
    result.colour = *chosen;
    return result;
}

ColourWrite VshTool::WriteColor(ColourTable table, int month)
{
    return pick(table, {month});
}

ColourWrite VshTool::WriteColorAllMonths(ColourTable table)
{
    std::vector<int> months;
    for (int m = 0; m < kMonths; ++m)
        months.push_back(m);
    return pick(table, months);
}

AlphaWrite VshTool::WriteWaveAlpha(ColourTable layer, int month, const QString &text)
{
    AlphaWrite result;
    const auto at = offsets(layer, month);
    if (!at)
        return result;
    const auto value = NumberText::parse(text);
    if (value && *value >= 0.0 && *value <= 1.0) {
        const QString name = QStringLiteral("%1: %2 alpha = %3")
                                 .arg(QLatin1String(kMonthNames[size_t(month)]),
                                      layer == ColourTable::WaveBack ? QStringLiteral("back wave")
                                                                     : QStringLiteral("front wave"),
                                      ValueCodec::formatFloat(float(*value)));
        result.written = writeBits({{(*at)[3], std::bit_cast<quint32>(float(*value))}}, name).isEmpty();
        const auto r = readSingle((*at)[0]), g = readSingle((*at)[1]), b = readSingle((*at)[2]);
        if (result.written && r && g && b)
            result.swatch = Rgb{std::uint8_t(ColourChannel::blendedRounded(ColourChannel::fromComponent(*r), *value)),
                                std::uint8_t(ColourChannel::blendedRounded(ColourChannel::fromComponent(*g), *value)),
                                std::uint8_t(ColourChannel::blendedRounded(ColourChannel::fromComponent(*b), *value))};
        if (result.written)
            return result;
    }
    if (const auto stored = readSingle((*at)[3]))
        result.stored = ValueCodec::formatFloat(*stored);
    return result;
}

QString VshTool::clearFixed()
{
    if (m_doc.currentModuleFile().isEmpty() || !Firmware::hasWaveTables(m_doc.prxversion()))
        return QString();
    if (const QString why = refusal({kFixedClear}, kFixedClearBytes); !why.isEmpty())
        return why;
    ModuleFiles &files = m_doc.files();
    const QByteArray clear(kFixedClearBytes, '\0');
    // Clear since an earlier opening: the module is not replaced (nor backed up) for nothing.
    if (files.read(colourFile(), kFixedClear, kFixedClearBytes) == clear)
        return QString();
    return files.write(colourFile(), kFixedClear, clear).text();
}
