#include "converter/conversionreport.h"

#include "converter/hbkconverter.h"

#include <QDir>
#include <QStringList>

#include <algorithm>

namespace {

QString counted(qsizetype n, const char *singular, const char *plural)
{
    return QString::number(n) + QLatin1Char(' ') + QLatin1String(n == 1 ? singular : plural);
}

template<typename Notes, typename Reason>
int countFor(const Notes &notes, Reason reason)
{
    return int(std::count_if(notes.begin(), notes.end(), [reason](const auto &n) { return n.reason == reason; }));
}

} // namespace

QString ConversionReport::reasonText(SkipReason reason)
{
    switch (reason) {
    case SkipReason::Empty:
        return QStringLiteral("empty");
    case SkipReason::CutShort:
        return QStringLiteral("cut short at the end of the file");
    }
    return QString();
}

QString ConversionReport::reasonText(ArrayReason reason)
{
    switch (reason) {
    case ArrayReason::CountTooLarge:
        return QStringLiteral("count above %1").arg(HbkConverter::MaxArrayCount);
    case ArrayReason::NoNumericPlace:
        return QStringLiteral("offset or size not a usable number");
    }
    return QString();
}

int ConversionReport::skippedFor(SkipReason reason) const
{
    return countFor(skipped, reason);
}

int ConversionReport::unexpandedFor(ArrayReason reason) const
{
    return countFor(unexpanded, reason);
}

QString ConversionReport::moduleBookmarkName() const
{
    // A leading dot starts a hidden name, not an extension.
    const qsizetype dot = moduleName.lastIndexOf(QLatin1Char('.'));
    return (dot > 0 ? moduleName.left(dot) : moduleName) + QStringLiteral(".vt");
}

QString ConversionReport::statusLine() const
{
    if (!ok)
        return message;
    QString line = QStringLiteral("Wrote %1 to section \"%2\" of %3")
                       .arg(counted(entriesWritten, "bookmark", "bookmarks"), section,
                            QDir::toNativeSeparators(outputPath));
    if (!moduleName.isEmpty())
        line += QStringLiteral(", with PRXSize %1 of %2").arg(prxSize, moduleName);
    line += QLatin1Char('.');
    if (!skipped.empty()) {
        QStringList why;
        for (const SkipReason reason : {SkipReason::Empty, SkipReason::CutShort}) {
            if (const int n = skippedFor(reason))
                why << QString::number(n) + QLatin1Char(' ') + reasonText(reason);
        }
        const int total = recordsRead + skippedFor(SkipReason::CutShort);
        line += QStringLiteral(" Skipped %1 of %2: %3.")
                    .arg(counted(skipped.size(), "record", "records"), QString::number(total),
                         why.join(QStringLiteral(", ")));
    }
    if (!unexpanded.empty()) {
        QStringList why;
        for (const ArrayReason reason : {ArrayReason::CountTooLarge, ArrayReason::NoNumericPlace}) {
            if (const int n = unexpandedFor(reason))
                why << QString::number(n) + QLatin1Char(' ') + reasonText(reason);
        }
        line += QStringLiteral(" Kept %1 as one bookmark: %2.")
                    .arg(counted(unexpanded.size(), "array", "arrays"), why.join(QStringLiteral(", ")));
    }
    if (!moduleName.isEmpty()) {
        line += QStringLiteral(" VantorEditor reads the bookmarks of %1 from %2 in its bookmark folder.")
                    .arg(moduleName, moduleBookmarkName());
    } else if (prxSize.isEmpty()) {
        line += QStringLiteral(" The section has no PRXSize, so VantorEditor finds no module's version by it: "
                               "name the module these bookmarks are for (Module..., or --module) and convert again.");
    }
    return line;
}
