#include "document/wholefile.h"

#include <QDir>
#include <QSaveFile>
#include <cerrno>

namespace WholeFile {

namespace {

// The system's words for the failure. A buffered QSaveFile can commit a cut
// file and report "Unknown error", so the file is written unbuffered and the
// cause is taken from errno when the device has none to give.
QString cause(const QFileDevice &file, int error)
{
    if (error != 0)
        return qt_error_string(error);
    if (file.error() != QFileDevice::NoError && !file.errorString().isEmpty() &&
        file.errorString() != QLatin1String("Unknown error"))
        return file.errorString();
    return QStringLiteral("the write was cut short");
}

} // namespace

QString write(const QString &path, const QByteArray &bytes)
{
    auto failed = [&](const QString &why) {
        return QStringLiteral("Can not write %1: %2").arg(QDir::toNativeSeparators(path), why);
    };
    QSaveFile out(path);
    errno = 0;
    if (!out.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(out.errorString().isEmpty() ? qt_error_string(errno) : out.errorString());
    errno = 0;
    if (out.write(bytes) != bytes.size()) {
        const QString why = cause(out, errno);
        out.cancelWriting();
        return failed(why);
    }
    errno = 0;
    if (!out.commit())
        return failed(cause(out, errno));
    return QString();
}

} // namespace WholeFile
