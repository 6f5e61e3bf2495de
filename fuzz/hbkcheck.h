#pragma once

#include "common/hextext.h"
#include "common/inifile.h"
#include "converter/hbkconverter.h"
#include "converter/hbkfile.h"

#include <QDir>
#include <QFile>
#include <QStringList>

// Reads bytes as a .hbk file and converts it, plain and with arrays expanded:
// the reader takes every whole record, and a conversion either fails with a
// message or writes exactly the entries it reports, each well formed, and no
// more than the expansion cap. Returns what went wrong, or empty text.
namespace HbkCheck {

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
        IniFile out(vt);
        IniFile::Batch batch(out);
        if (out.read(QStringLiteral("5.00"), QStringLiteral("offset")) != QString::number(report.entriesWritten))
            return mode + QStringLiteral("offset is not the count of entries");
        for (int n = 1; n <= report.entriesWritten; ++n) {
            const auto field = [&](const char *name) {
                return out.read(QStringLiteral("5.00"), QStringLiteral("entry.%1.%2").arg(n).arg(QLatin1String(name)));
            };
            const QString type = field("type");
            if (!HexText::convert(field("offset")).isNumber() || field("file") != QLatin1String("1")
                || !(type == QLatin1String("Float") || type == QLatin1String("Integer") || type == QLatin1String("String")))
                return mode + QStringLiteral("entry %1 is not well formed").arg(n);
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
