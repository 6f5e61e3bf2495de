#include "converter/conversionreport.h"

#include "converter/hbkconverter.h"

#include <QDir>
#include <QStringList>

#include <algorithm>

namespace {

QString counted(int n, const char *singular, const char *plural)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? singular : plural);
}

} // namespace

QString ConversionReport::reasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::Empty:
        return QStringLiteral("empty");
    case SkipReason::OffsetNotHex:
        return QStringLiteral("offset not hexadecimal");
    case SkipReason::SizeNotHex:
        return QStringLiteral("size not hexadecimal");
    case SkipReason::OutOfRange:
        return QStringLiteral("offset or size too large");
    case SkipReason::ArrayTooLarge:
        return QStringLiteral("array count above %1").arg(HbkConverter::MaxArrayCount);
    }
    return QString();
}

int ConversionReport::skippedFor(SkipReason reason) const
{
    return int(std::count_if(skipped.begin(), skipped.end(), [reason](const Skip &s) { return s.reason == reason; }));
}

QString ConversionReport::statusLine() const
{
    if (!ok)
        return message;
    QString line = QStringLiteral("Wrote %1 to section \"%2\" of %3.")
                       .arg(counted(entriesWritten, "bookmark", "bookmarks"), section,
                            QDir::toNativeSeparators(outputPath));
    if (skipped.empty())
        return line;
    QStringList why;
    for (const SkipReason reason : {SkipReason::Empty, SkipReason::OffsetNotHex, SkipReason::SizeNotHex,
                                    SkipReason::OutOfRange, SkipReason::ArrayTooLarge}) {
        if (const int n = skippedFor(reason))
            why << QString::number(n) + QLatin1Char(' ') + reasonText(reason);
    }
    line += QStringLiteral(" Skipped %1 of %2: %3.")
                .arg(counted(int(skipped.size()), "record", "records"), QString::number(recordsRead),
                     why.join(QStringLiteral(", ")));
    return line;
}
