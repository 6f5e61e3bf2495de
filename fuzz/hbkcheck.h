#pragma once

#include "common/hextext.h"
#include "common/inifile.h"
#include "converter/hbkconverter.h"
#include "converter/hbkfile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

#include <algorithm>
#include <optional>
#include <vector>

// Reads bytes as a .hbk file and converts it, plain and with arrays expanded:
// the reader takes every whole record, and a conversion either fails with a
// message or writes exactly the entries it reports, each well formed, and no
// more than the expansion cap. A plain conversion keeps every record with a
// description, in order, and an offset given in hexadecimal (with or without
// "0x") keeps its value. Returns what went wrong, or empty text.
namespace HbkCheck {

// The value of a hexadecimal offset text as the converter should keep it, or
// nothing when the text is not one.
inline std::optional<double> hexValue(const QString &text)
{
    QString t = text.trimmed();
    if (t.size() > 2 && t[0] == u'0' && (t[1] == u'x' || t[1] == u'X'))
        t = t.mid(2);
    const HexText hex = HexText::convert(t);
    return hex.isNumber() ? std::optional<double>(hex.value()) : std::nullopt;
}

inline QString check(const QByteArray &bytes, const QString &folder)
{
    const QString hbk = folder + QStringLiteral("/fuzz.hbk");
    const QString vt = HbkConverter::outputPathFor(hbk);
    {
        QFile f(hbk);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
            return QStringLiteral("can not write the input to ") + hbk;
    }
    const HbkFile file = HbkFile::read(hbk);
    const qint64 whole = bytes.size() < HbkFile::HeaderSize ? 0 : (bytes.size() - HbkFile::HeaderSize) / HbkFile::RecordSize;
    if (qint64(file.records().size()) != whole)
        return QStringLiteral("read %1 records of %2").arg(file.records().size()).arg(whole);
    std::vector<const HbkRecord *> described;
    for (const HbkRecord &record : file.records())
        if (!record.empty)
            described.push_back(&record);

    for (const bool expand : {false, true}) {
        QFile::remove(vt);
        HbkConverter::Options options;
        options.expandArrays = expand;
        const ConversionReport report = HbkConverter::convert(hbk, QStringLiteral("5.00"), options);
        const QString mode = expand ? QStringLiteral("expanded: ") : QStringLiteral("plain: ");
        if (!report.ok) {
            if (report.message.isEmpty() || QFile::exists(vt))
                return mode + QStringLiteral("a failure without a message, or with a file written");
            continue;
        }
        if (expand && report.entriesWritten > HbkConverter::MaxExpandedEntries)
            return mode + QStringLiteral("%1 entries written").arg(report.entriesWritten);
        if (expand ? report.entriesWritten < int(described.size()) : report.entriesWritten != int(described.size()))
            return mode + QStringLiteral("%1 entries of %2 records with a description")
                              .arg(report.entriesWritten)
                              .arg(described.size());
        IniFile out(vt);
        IniFile::Batch batch(out);
        if (out.read(QStringLiteral("5.00"), QStringLiteral("offset")) != QString::number(report.entriesWritten))
            return mode + QStringLiteral("offset is not the count of entries");
        for (int n = 1; n <= report.entriesWritten; ++n) {
            const auto field = [&](const char *name) {
                return out.read(QStringLiteral("5.00"), QStringLiteral("entry.%1.%2").arg(n).arg(QLatin1String(name)));
            };
            const QString type = field("type");
            const QString length = field("length");
            const bool whole = !length.isEmpty()
                               && std::all_of(length.begin(), length.end(), [](QChar c) { return c.isDigit(); });
            const bool lengthFits = type == QLatin1String("String")
                                        ? whole || length.isEmpty() || length == QLatin1String("Invalid")
                                        : length == QLatin1String("0");
            if (field("file") != QLatin1String("1") || !lengthFits
                || !(type == QLatin1String("Float") || type == QLatin1String("Integer") || type == QLatin1String("String")))
                return mode + QStringLiteral("entry %1 is not well formed").arg(n);
            if (!expand) {
                const std::optional<double> given = hexValue(described[size_t(n - 1)]->offsetText);
                const HexText kept = HexText::convert(field("offset"));
                if (given && !(kept.isNumber() && kept.value() == *given))
                    return mode + QStringLiteral("entry %1 lost its offset").arg(n);
            }
        }
        if (out.read(QStringLiteral("5.00"), QStringLiteral("entry.%1.type").arg(report.entriesWritten + 1)) != IniFile::Missing)
            return mode + QStringLiteral("more entries than reported");
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (left.size() != 2)
            return mode + QStringLiteral("files left: ") + left.join(QLatin1Char(' '));
    }
    return QString();
}

} // namespace HbkCheck
