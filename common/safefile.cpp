#include "common/safefile.h"

#include "common/filestamp.h"
#include "common/platform.h"

#include <QDir>
#include <QFileInfo>
#include <atomic>
#include <cerrno>

namespace SafeFile {

namespace {

// Leftovers are told by name: ".vantor-<pid>-<n>.tmp" files and
// ".vantor-stage-<pid>-XXXXXX" folders. Short, so that they fit any name limit.
const QString kTemporaryPrefix = QStringLiteral(".vantor-");
const QString kStagePrefix = QStringLiteral(".vantor-stage-");
constexpr int kMaxLinks = 40;

std::function<void(const char *, const QString &)> g_trace;

void trace(const char *step, const QString &path)
{
    if (g_trace)
        g_trace(step, path);
}

QString causeOf(int error)
{
    return Platform::errorText(error);
}

QString temporaryPath(const QString &folder)
{
    static std::atomic<int> sequence{0};
    return folder + QLatin1Char('/') + kTemporaryPrefix + QString::number(Platform::processId()) + QLatin1Char('-') +
           QString::number(sequence++) + QStringLiteral(".tmp");
}

// The pid a leftover's name carries after `prefix`, or 0.
qint64 ownerPid(const QString &name, const QString &prefix)
{
    if (!name.startsWith(prefix))
        return 0;
    const QStringView rest = QStringView(name).mid(prefix.size());
    const qsizetype dash = rest.indexOf(u'-');
    if (dash <= 0)
        return 0;
    bool ok = false;
    const qint64 pid = rest.left(dash).toLongLong(&ok);
    return ok ? pid : 0;
}

bool isStale(const QString &path, qint64 pid, bool folder)
{
    if (pid <= 0 || pid == Platform::processId() || Platform::processRunning(pid))
        return false;
    const Platform::Status s = Platform::status(path, false);
    return s.exists && !s.link && s.owner == Platform::userId() && (folder ? s.folder : s.regular);
}

void removeStaleStage(const QString &path)
{
    // Entries inside are removed, never followed: a link there is only unlinked.
    QDir(path).removeRecursively();
}

FileError checkReplace(const QString &path, const Options &options)
{
    const Platform::Status s = Platform::status(path);
    if (!s.exists)
        return options.mustExist ? FileError::writing(path, QStringLiteral("it no longer exists")) : FileError::none();
    if (s.folder)
        return FileError::writing(path, QStringLiteral("it is a folder"));
    if (!s.regular)
        return FileError::writing(path, QStringLiteral("it is not a regular file"));
    // Renaming would replace a file the person made read-only; refuse as writing in place would.
    if (!Platform::mayWrite(path))
        return FileError::writing(path, causeOf(EACCES));
    if (options.expected && !options.expected->matches(path))
        return FileError::writing(path, QStringLiteral("it was changed by another program since it was read"));
    return FileError::none();
}

// Syncs the new file, gives it the target's mode and renames it over the target.
FileError finish(Platform::Handle handle, const QString &temporary, const QString &target, const Options &options)
{
    if (const int error = Platform::syncFile(handle))
        return FileError::writing(target, causeOf(error));
    trace("sync", temporary);
    const Platform::Status old = Platform::status(target);
    if (old.exists) {
        if (const int error = Platform::setModeAndOwner(handle, old.mode, old.owner, old.group))
            return FileError::writing(target, causeOf(error));
    }
    if (options.written)
        *options.written = Platform::status(handle);
    if (const int error = Platform::close(handle))
        return FileError::writing(target, causeOf(error));
    if (const int error = Platform::rename(temporary, target))
        return FileError::writing(target, causeOf(error));
    trace("rename", target);
    // The rename itself lasts only once the folder is on the disk too.
    Platform::syncFolder(QFileInfo(target).absolutePath());
    trace("sync-folder", QFileInfo(target).absolutePath());
    return FileError::none();
}

} // namespace

void setTrace(std::function<void(const char *, const QString &)> traceStep)
{
    g_trace = std::move(traceStep);
}

QString finalPath(const QString &path)
{
    QString at = QFileInfo(path).absoluteFilePath();
    for (int i = 0; i < kMaxLinks; ++i) {
        if (!Platform::status(at, false).link)
            return at;
        at = Platform::linkTarget(at);
    }
    return at;
}

FileError checkTarget(const QString &path)
{
    return checkReplace(finalPath(path), Options());
}

FileError checkInput(const QString &path)
{
    const Platform::Status s = Platform::status(path);
    if (!s.exists)
        return FileError::reading(path, causeOf(ENOENT));
    if (s.folder)
        return FileError::reading(path, causeOf(EISDIR));
    if (!s.regular)
        return FileError::reading(path, QStringLiteral("it is not a regular file"));
    return FileError::none();
}

FileError read(const QString &path, qint64 limit, QByteArray &bytes)
{
    bytes.clear();
    if (FileError error = checkInput(path); !error.ok())
        return error;
    Platform::Handle handle = Platform::NoHandle;
    if (const int error = Platform::openForReading(path, handle))
        return FileError::reading(path, causeOf(error));
    // Checked again on what was opened: the path may have been swapped meanwhile.
    const Platform::Status s = Platform::status(handle);
    FileError failure;
    if (!s.regular)
        failure = FileError::reading(path, QStringLiteral("it is not a regular file"));
    else if (s.size > limit)
        failure = FileError::reading(path, QStringLiteral("it is larger than %1 bytes").arg(limit));
    if (failure.ok()) {
        bytes.resize(s.size);
        int error = 0;
        const qint64 got = Platform::read(handle, bytes.data(), s.size, error);
        if (got < 0)
            failure = FileError::reading(path, causeOf(error));
        else
            bytes.truncate(got);
    }
    Platform::close(handle);
    if (!failure.ok())
        bytes.clear();
    return failure;
}

void sweep(const QString &folder)
{
    const QStringList entries = QDir(folder).entryList({kTemporaryPrefix + QLatin1Char('*')},
                                                       QDir::AllEntries | QDir::Hidden | QDir::System |
                                                           QDir::NoDotAndDotDot);
    for (const QString &name : entries) {
        const QString path = folder + QLatin1Char('/') + name;
        if (name.startsWith(kStagePrefix)) {
            if (isStale(path, ownerPid(name, kStagePrefix), true))
                removeStaleStage(path);
        } else if (name.endsWith(QLatin1String(".tmp")) && isStale(path, ownerPid(name, kTemporaryPrefix), false)) {
            Platform::remove(path);
        }
    }
}

FileError write(const QString &path, QByteArrayView bytes, const Options &options)
{
    const QString target = finalPath(path);
    if (FileError error = checkReplace(target, options); !error.ok())
        return error;
    const QString folder = QFileInfo(target).absolutePath();
    sweep(folder);
    const QString temporary = temporaryPath(folder);
    Platform::Handle handle = Platform::NoHandle;
    if (const int error = Platform::createExclusive(temporary, handle))
        return FileError::writing(target, causeOf(error));
    FileError failure;
    if (const int error = Platform::writeAll(handle, bytes.data(), bytes.size())) {
        Platform::close(handle);
        failure = FileError::writing(target, causeOf(error));
    } else {
        failure = finish(handle, temporary, target, options);
    }
    if (!failure.ok())
        Platform::remove(temporary);
    return failure;
}

FileError commit(const QString &staged, const QString &path, const Options &options)
{
    const QString target = finalPath(path);
    if (FileError error = checkReplace(target, options); !error.ok())
        return error;
    const Platform::Status s = Platform::status(staged, false);
    if (!s.regular)
        return FileError::writing(target, QStringLiteral("%1 is not a regular file").arg(QDir::toNativeSeparators(staged)));
    Platform::Handle handle = Platform::NoHandle;
    if (const int error = Platform::openForReading(staged, handle))
        return FileError::writing(target, causeOf(error));
    return finish(handle, staged, target, options);
}

Stage::Stage(const QString &target)
    : m_target(finalPath(target))
{
    const QString folder = QFileInfo(m_target).absolutePath();
    sweep(folder);
    const QString prefix = folder + QLatin1Char('/') + kStagePrefix + QString::number(Platform::processId()) +
                           QLatin1Char('-');
    if (const int error = Platform::makeFolder(prefix, m_folder))
        m_error = FileError::writing(folder, causeOf(error));
}

Stage::~Stage()
{
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

QString Stage::file(const QString &name) const
{
    return m_folder + QLatin1Char('/') + name;
}

FileError Stage::copyIn(const QString &from, const QString &name)
{
    QByteArray bytes;
    if (FileError error = read(from, std::numeric_limits<qint64>::max(), bytes); !error.ok())
        return error;
    const QString staged = file(name);
    Platform::Handle handle = Platform::NoHandle;
    if (const int error = Platform::createExclusive(staged, handle))
        return FileError::writing(staged, causeOf(error));
    int error = Platform::writeAll(handle, bytes.constData(), bytes.size());
    if (!error)
        error = Platform::syncFile(handle);
    const int closed = Platform::close(handle);
    if (error || closed)
        return FileError::writing(staged, causeOf(error ? error : closed));
    return FileError::none();
}

FileError Stage::commit(const QString &name, const Options &options)
{
    return SafeFile::commit(file(name), m_target, options);
}

} // namespace SafeFile
