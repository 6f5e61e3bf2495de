#include "document/modulestage.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QString kPrefix = QStringLiteral(".vantor-stage-");
// A stage folder older than this belongs to a process that is gone.
constexpr qint64 kStaleSeconds = 60;

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString lastSystemError()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

bool syncPath(const QString &path, int flags)
{
    const int fd = ::open(QFile::encodeName(path).constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void sweepStale(const QDir &folder)
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const auto entries = folder.entryInfoList({kPrefix + QLatin1Char('*')}, QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo &entry : entries) {
        if (entry.lastModified().secsTo(now) > kStaleSeconds)
            QDir(entry.absoluteFilePath()).removeRecursively();
    }
}

} // namespace

ModuleStage::ModuleStage(const QString &target)
    : m_target(target)
{
    const QDir folder = QFileInfo(target).absoluteDir();
    sweepStale(folder);
    m_dir = std::make_unique<QTemporaryDir>(folder.filePath(kPrefix + QStringLiteral("XXXXXX")));
    if (!m_dir->isValid())
        m_error = QStringLiteral("Can not write in %1: %2").arg(native(folder.path()), m_dir->errorString());
}

ModuleStage::~ModuleStage() = default;

bool ModuleStage::isValid() const
{
    return m_dir->isValid();
}

QString ModuleStage::folder() const
{
    return m_dir->path();
}

QString ModuleStage::file(const QString &name) const
{
    return m_dir->filePath(name);
}

bool ModuleStage::fail(const QString &text)
{
    m_error = text;
    return false;
}

bool ModuleStage::copyIn(const QString &from, const QString &name)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("Can not read %1: %2").arg(native(from), in.errorString()));
    QFile out(file(name));
    if (!out.open(QIODevice::WriteOnly))
        return fail(QStringLiteral("Can not write in %1: %2").arg(native(folder()), out.errorString()));
    qint64 copied = 0;
    const qint64 size = in.size();
    QByteArray block(1 << 20, Qt::Uninitialized);
    while (copied < size) {
        const qint64 got = in.read(block.data(), block.size());
        if (got <= 0)
            return fail(QStringLiteral("Can not read %1: %2").arg(native(from), in.errorString()));
        if (out.write(block.constData(), got) != got || !out.flush())
            return fail(QStringLiteral("Can not write in %1: %2").arg(native(folder()), out.errorString()));
        copied += got;
    }
    out.setPermissions(in.permissions());
    return true;
}

bool ModuleStage::commit(const QString &staged)
{
    if (!syncPath(staged, O_RDONLY))
        return fail(QStringLiteral("Can not write %1: %2").arg(native(m_target), lastSystemError()));
    if (::rename(QFile::encodeName(staged).constData(), QFile::encodeName(m_target).constData()) != 0)
        return fail(QStringLiteral("Can not replace %1: %2").arg(native(m_target), lastSystemError()));
    // The rename itself lasts only once the folder is on the disk too.
    syncPath(QFileInfo(m_target).absolutePath(), O_RDONLY | O_DIRECTORY);
    return true;
}
