#include "converter/hbkconverter.h"

#include "common/hextext.h"
#include "common/inifile.h"
#include "common/vtentries.h"
#include "converter/hbkfile.h"

#include <QDir>
#include <QFileInfo>

#include <limits>
#include <optional>

namespace {

using SkipReason = ConversionReport::SkipReason;

QString quoted(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// Strict hexadecimal digits to a number; nullopt for anything else. Values
// beyond 64 bits are out of range rather than not hexadecimal.
struct HexValue
{
    bool hex = false;
    std::optional<quint64> value;
};

HexValue parseHex(const QString &text)
{
    HexValue result;
    if (!HexText::convert(text).isNumber())
        return result;
    result.hex = true;
    bool ok = false;
    const quint64 v = text.toULongLong(&ok, 16);
    if (ok)
        result.value = v;
    return result;
}

// A line break inside a description would split the key's line in the .vt file.
QString singleLine(QString text)
{
    for (QChar &c : text) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F)
            c = QLatin1Char(' ');
    }
    return text;
}

QString hexOffset(quint64 value, qsizetype width)
{
    return QString::number(value, 16).toUpper().rightJustified(width, QLatin1Char('0'));
}

ConversionReport failure(ConversionReport report, const QString &message)
{
    report.ok = false;
    report.message = message;
    return report;
}

} // namespace

QString HbkConverter::outputPathFor(const QString &hbkPath)
{
    const QString name = QFileInfo(hbkPath).fileName();
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot > 0 && dot == name.size() - 4)
        return hbkPath.left(hbkPath.size() - 3) + QStringLiteral("vt");
    return hbkPath + QStringLiteral(".vt");
}

ConversionReport HbkConverter::convert(const QString &hbkPath, const QString &section, const Options &options)
{
    ConversionReport report;
    report.section = section.trimmed();
    if (hbkPath.trimmed().isEmpty())
        return failure(report, QStringLiteral("No input file given: choose the .hbk file to convert."));
    if (section.trimmed().isEmpty())
        return failure(report, QStringLiteral("No firmware version given for %1: type the section to write, "
                                              "for example 5.00.")
                                   .arg(quoted(hbkPath)));
    if (section.contains(QLatin1Char(']')) || section.contains(QLatin1Char('\n')) || section.contains(QLatin1Char('\r')))
        return failure(report, QStringLiteral("Cannot convert %1: the firmware version \"%2\" cannot name a section "
                                              "(no \"]\" or line breaks).")
                                   .arg(quoted(hbkPath), section));
    report.outputPath = outputPathFor(hbkPath);

    const HbkFile hbk = HbkFile::read(hbkPath);
    switch (hbk.status()) {
    case HbkFile::Status::Ok:
        break;
    case HbkFile::Status::NotFound:
        return failure(report, QStringLiteral("Cannot convert %1: the file does not exist.").arg(quoted(hbkPath)));
    case HbkFile::Status::Unreadable:
        return failure(report, QStringLiteral("Cannot convert %1: the file cannot be read (%2).")
                                   .arg(quoted(hbkPath), hbk.errorString()));
    case HbkFile::Status::TooShort:
        return failure(report, QStringLiteral("Cannot convert %1: it is shorter than the %2-byte header of a "
                                              ".hbk bookmark file.")
                                   .arg(quoted(hbkPath))
                                   .arg(HbkFile::HeaderSize));
    }

    std::vector<VtEntries::Entry> entries;
    // Counted beyond the cap but not built, so the message can give the whole count.
    quint64 total = 0;
    const quint64 cap = options.expandArrays ? quint64(MaxExpandedEntries) : std::numeric_limits<quint64>::max();
    report.recordsRead = int(hbk.records().size());
    for (const HbkRecord &record : hbk.records()) {
        const auto skip = [&](SkipReason reason) { report.skipped.push_back({record.number, reason}); };
        if (record.empty) {
            skip(SkipReason::Empty);
            continue;
        }
        const HexValue offset = parseHex(record.offsetText);
        if (!offset.hex) {
            skip(SkipReason::OffsetNotHex);
            continue;
        }
        const HexValue size = parseHex(record.sizeText);
        if (!size.hex) {
            skip(SkipReason::SizeNotHex);
            continue;
        }
        if (!offset.value || !size.value) {
            skip(SkipReason::OutOfRange);
            continue;
        }

        VtEntries::Entry entry;
        entry[VtEntries::Description] = singleLine(record.description);
        entry[VtEntries::Offset] = record.offsetText;
        entry[VtEntries::File] = QStringLiteral("1");
        if (*size.value == 4) {
            entry[VtEntries::Type] = QStringLiteral("Float");
            entry[VtEntries::Length] = QStringLiteral("0");
        } else if (*size.value == 2) {
            entry[VtEntries::Type] = QStringLiteral("Integer");
            entry[VtEntries::Length] = QStringLiteral("0");
        } else {
            entry[VtEntries::Type] = QStringLiteral("String");
            entry[VtEntries::Length] = QString::number(*size.value);
        }

        quint64 count = 1;
        if (options.expandArrays) {
            // A count that is missing or not hexadecimal leaves the record a single bookmark.
            if (const HexValue c = parseHex(record.countText); c.hex)
                count = c.value.value_or(std::numeric_limits<quint64>::max());
        }
        if (count <= 1) {
            if (++total <= cap)
                entries.push_back(std::move(entry));
            continue;
        }
        if (count > quint64(MaxArrayCount)) {
            skip(SkipReason::ArrayTooLarge);
            continue;
        }
        if (*size.value != 0 && (count - 1) > (std::numeric_limits<quint64>::max() - *offset.value) / *size.value) {
            skip(SkipReason::OutOfRange);
            continue;
        }
        total += count;
        if (total > cap)
            continue;
        for (quint64 j = 0; j < count; ++j) {
            VtEntries::Entry element = entry;
            element[VtEntries::Description] = entry[VtEntries::Description] + QStringLiteral(" [%1]").arg(j);
            element[VtEntries::Offset] = hexOffset(*offset.value + j * *size.value, record.offsetText.size());
            entries.push_back(std::move(element));
        }
    }

    if (total > cap)
        return failure(report, QStringLiteral("Cannot convert %1: expanding its arrays gives %2 bookmarks, more than "
                                              "the %3 allowed. Nothing was written.")
                                   .arg(quoted(hbkPath))
                                   .arg(total)
                                   .arg(MaxExpandedEntries));

    IniFile vt(report.outputPath);
    using enum VtEntries::Field;
    if (!VtEntries::write(vt, section, entries, {Description, Offset, Type, Length, File}))
        return failure(report, vt.lastError().text());

    report.ok = true;
    report.entriesWritten = int(entries.size());
    return report;
}
