#include "converter/hbkconverter.h"

#include "common/hextext.h"
#include "common/inifile.h"
#include "common/platform.h"
#include "common/vtentries.h"
#include "converter/hbkfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <limits>
#include <optional>

namespace {

using SkipReason = ConversionReport::SkipReason;
using ArrayReason = ConversionReport::ArrayReason;

QString quoted(const QString &path)
{
    return QLatin1Char('"') + QDir::toNativeSeparators(path) + QLatin1Char('"');
}

// Hexadecimal digits to a number. Values beyond 64 bits have no value.
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

// "0x108" gives "108", and blanks around hex digits go: the editor reads
// offsets as bare hex digits. Any other text is kept as it is.
QString bareHex(const QString &text)
{
    QString t = text.trimmed();
    if (t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X'))
        t = t.mid(2);
    return HexText::convert(t).isNumber() ? t : text;
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

// The size of the module the bookmarks are for, or why it can not give one.
struct ModuleSize
{
    qint64 size = -1;
    QString problem;
};

ModuleSize moduleSizeOf(const QString &path)
{
    const Platform::Status s = Platform::status(path);
    if (!s.exists)
        return {-1, s.error == ENOENT ? QStringLiteral("does not exist") : Platform::errorText(s.error)};
    if (s.folder)
        return {-1, QStringLiteral("is a folder")};
    // Reading a pipe or a device could block or never end.
    if (!s.regular)
        return {-1, QStringLiteral("is not a regular file")};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {-1, QStringLiteral("cannot be read (%1)").arg(file.errorString())};
    // The editor unpacks a module without "ELF" at bytes 1 to 3 before it
    // looks for the version, so the size as it stands would never be found.
    if (file.read(4).mid(1) != "ELF")
        return {-1, QStringLiteral("is not a plain module (bytes 1 to 3 are not \"ELF\"): if it is packed, open it "
                                   "once in VantorEditor, which unpacks it, and name it again")};
    return {file.size(), QString()};
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

    qint64 prxSize = -1;
    if (!options.modulePath.isEmpty()) {
        const ModuleSize module = moduleSizeOf(options.modulePath);
        if (!module.problem.isEmpty())
            return failure(report, QStringLiteral("Cannot convert %1: the module %2 %3.")
                                       .arg(quoted(hbkPath), quoted(options.modulePath), module.problem));
        prxSize = module.size;
        report.moduleName = QFileInfo(options.modulePath).fileName();
    }

    std::vector<VtEntries::Entry> entries;
    // Counted beyond the cap but not built, so the message can give the whole count.
    quint64 total = 0;
    const quint64 cap = options.expandArrays ? quint64(MaxExpandedEntries) : std::numeric_limits<quint64>::max();
    report.recordsRead = int(hbk.records().size());
    for (const HbkRecord &record : hbk.records()) {
        if (record.empty) {
            report.skipped.push_back({record.number, SkipReason::Empty});
            continue;
        }
        const QString offsetText = bareHex(record.offsetText);
        const QString sizeText = bareHex(record.sizeText);
        const HexValue size = parseHex(sizeText);

        VtEntries::Entry entry;
        entry[VtEntries::Description] = singleLine(record.description);
        // Copied as it stands: a text that is no offset shows as such in the editor's list.
        entry[VtEntries::Offset] = offsetText;
        entry[VtEntries::File] = QStringLiteral("1");
        if (size.value == 4u) {
            entry[VtEntries::Type] = QStringLiteral("Float");
            entry[VtEntries::Length] = QStringLiteral("0");
        } else if (size.value == 2u) {
            entry[VtEntries::Type] = QStringLiteral("Integer");
            entry[VtEntries::Length] = QStringLiteral("0");
        } else {
            entry[VtEntries::Type] = QStringLiteral("String");
            // A size that is no number gives the hex conversion's "Invalid",
            // a Len the editor neither reads nor writes by.
            entry[VtEntries::Length] =
                size.value ? QString::number(*size.value) : HexText::convert(sizeText).text();
        }

        quint64 count = 1;
        if (options.expandArrays) {
            // A count that is missing or not hexadecimal leaves the record a single bookmark.
            if (const HexValue c = parseHex(bareHex(record.countText)); c.hex)
                count = c.value.value_or(std::numeric_limits<quint64>::max());
        }
        if (count > 1) {
            const HexValue offset = parseHex(offsetText);
            std::optional<ArrayReason> whole;
            if (count > quint64(MaxArrayCount))
                whole = ArrayReason::CountTooLarge;
            else if (!offset.value || !size.value
                     || (*size.value != 0
                         && (count - 1) > (std::numeric_limits<quint64>::max() - *offset.value) / *size.value))
                whole = ArrayReason::NoNumericPlace;
            if (whole) {
                report.unexpanded.push_back({record.number, *whole});
                count = 1;
            } else {
                total += count;
                if (total > cap)
                    continue;
                for (quint64 j = 0; j < count; ++j) {
                    VtEntries::Entry element = entry;
                    element[VtEntries::Description] = entry[VtEntries::Description] + QStringLiteral(" [%1]").arg(j);
                    element[VtEntries::Offset] = hexOffset(*offset.value + j * *size.value, offsetText.size());
                    entries.push_back(std::move(element));
                }
                continue;
            }
        }
        if (++total <= cap)
            entries.push_back(std::move(entry));
    }
    if (hbk.trailingBytes() > 0)
        report.skipped.push_back({report.recordsRead + 1, SkipReason::CutShort});

    if (total > cap)
        return failure(report, QStringLiteral("Cannot convert %1: expanding its arrays gives %2 bookmarks, more than "
                                              "the %3 allowed. Nothing was written.")
                                   .arg(quoted(hbkPath))
                                   .arg(total)
                                   .arg(MaxExpandedEntries));

    IniFile vt(report.outputPath);
    {
        IniFile::Batch batch(vt);
        if (prxSize >= 0)
            vt.write(section, QStringLiteral("PRXSize"), QString::number(prxSize));
        using enum VtEntries::Field;
        VtEntries::write(vt, section, entries, {Description, Offset, Type, Length, File});
    }
    if (!vt.lastError().ok())
        return failure(report, vt.lastError().text());

    report.ok = true;
    report.entriesWritten = int(entries.size());
    // A PRXSize the section held before stays, and serves the editor as well.
    if (const QString kept = vt.read(section, QStringLiteral("PRXSize")); kept != IniFile::Missing)
        report.prxSize = kept;
    return report;
}
