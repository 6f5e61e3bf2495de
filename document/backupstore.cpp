#include "document/backupstore.h"

#include "common/platform.h"
#include "common/safefile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTimeZone>
#include <algorithm>
#include <limits>
#include <tuple>

namespace {

const QString kTimeFormat = QStringLiteral("yyyyMMdd-HHmmss");
// "." + time + "Z" + "_" + sequence + ".bak" + ".from", with room for a long sequence.
constexpr int kSuffixRoom = 37;
const QString kOriginSuffix = QStringLiteral(".from");
// A path, whatever its length, and nothing that is not one.
constexpr qint64 kOriginLimit = 64 * 1024;
constexpr qint64 kNoLimit = std::numeric_limits<qint64>::max();

QString fileName(const QString &key, const QDateTime &time, int sequence)
{
    QString name = key + QLatin1Char('.') + time.toString(kTimeFormat) + QLatin1Char('Z');
    if (sequence > 1)
        name += QLatin1Char('_') + QString::number(sequence);
    return name + QStringLiteral(".bak");
}

} // namespace

BackupStore::BackupStore(const QString &folder)
    : m_folder(folder)
    , m_clock([] { return QDateTime::currentDateTimeUtc(); })
{
}

QString BackupStore::timeText(const QDateTime &time)
{
    return time.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

QString BackupStore::key(const QString &moduleName) const
{
    const int room = Platform::nameLimit(m_folder) - kSuffixRoom;
    if (moduleName.toUtf8().size() <= room)
        return moduleName;
    // Two long names that begin alike still get backups of their own.
    const QByteArray hash = QCryptographicHash::hash(moduleName.toUtf8(), QCryptographicHash::Sha1).toHex().left(8);
    const QString tail = QLatin1Char('~') + QString::fromLatin1(hash);
    QString head;
    for (const QChar c : moduleName) {
        // A surrogate pair is never cut in two.
        if (c.isLowSurrogate() && !head.isEmpty() && head.back().isHighSurrogate()) {
            head += c;
            continue;
        }
        if ((head + c).toUtf8().size() + tail.size() > room)
            break;
        head += c;
    }
    if (!head.isEmpty() && head.back().isHighSurrogate())
        head.chop(1);
    return head + tail;
}

std::vector<BackupStore::Entry> BackupStore::entries(const QString &key) const
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{8}-\\d{6})Z(?:_(\\d{1,6}))?\\.bak$"));
    std::vector<Entry> found;
    const QString prefix = key + QLatin1Char('.');
    // Links are not backups of ours: never listed, restored from or removed.
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files | QDir::NoSymLinks | QDir::Hidden);
    for (const QFileInfo &info : files) {
        const QString name = info.fileName();
        if (!name.startsWith(prefix))
            continue;
        const auto match = pattern.match(QStringView(name).mid(prefix.size()));
        if (!match.hasMatch())
            continue;
        const QDateTime local = QDateTime::fromString(match.captured(1), kTimeFormat);
        if (!local.isValid())
            continue;
        const QDateTime time(local.date(), local.time(), QTimeZone::utc());
        const int sequence = match.hasCaptured(2) ? match.captured(2).toInt() : 1;
        found.push_back({{info.absoluteFilePath(), time, info.size()}, sequence});
    }
    std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
        return std::tie(a.backup.time, a.sequence) < std::tie(b.backup.time, b.sequence);
    });
    return found;
}

QString BackupStore::origin(const QString &backup)
{
    QByteArray text;
    if (!QFileInfo::exists(backup + kOriginSuffix) || !SafeFile::read(backup + kOriginSuffix, kOriginLimit, text).ok())
        return QString();
    return QString::fromUtf8(text).trimmed();
}

QString BackupStore::identity(const QString &module)
{
    // A module is the file it is, whichever link it was opened through.
    const QFileInfo info(module);
    const QString real = info.canonicalFilePath();
    return real.isEmpty() ? info.absoluteFilePath() : real;
}

bool BackupStore::isOf(const QString &backup, const QString &module)
{
    // Backups made before origins were recorded stand for every module of their name.
    const QString from = origin(backup);
    return from.isEmpty() || identity(from) == identity(module);
}

std::vector<BackupStore::Backup> BackupStore::list(const QString &module) const
{
    // Under the file's own name, and under the name of a link it was once opened through.
    const QString own = key(QFileInfo(identity(module)).fileName());
    const QString given = key(QFileInfo(module).fileName());
    std::vector<Entry> found = entries(own);
    if (given != own) {
        const auto more = entries(given);
        found.insert(found.end(), more.begin(), more.end());
        std::sort(found.begin(), found.end(), [](const Entry &a, const Entry &b) {
            return std::tie(a.backup.time, a.sequence) < std::tie(b.backup.time, b.sequence);
        });
    }
    std::vector<Backup> out;
    for (auto it = found.rbegin(); it != found.rend(); ++it)
        if (isOf(it->backup.path, module))
            out.push_back(it->backup);
    return out;
}

FileError BackupStore::make(const QString &module, QString *made)
{
    QByteArray bytes;
    if (FileError error = SafeFile::read(module, kNoLimit, bytes); !error.ok())
        return error;
    const QString name = key(QFileInfo(identity(module)).fileName());
    const auto existing = entries(name);
    if (const auto own = list(module); !own.empty()) {
        const Backup &newest = own.front();
        QByteArray held;
        if (newest.size == bytes.size() && SafeFile::read(newest.path, kNoLimit, held).ok() && held == bytes) {
            if (made)
                *made = newest.path;
            return FileError::none();
        }
    }
    const QFileInfo folder(m_folder);
    if (folder.exists() && !folder.isDir())
        return FileError::writing(m_folder, QStringLiteral("it is a file, not a folder for backups"));
    if (!QDir().mkpath(m_folder))
        return FileError::writing(m_folder, QStringLiteral("the folder for backups can not be made"));

    const QDateTime now = m_clock().toUTC();
    QDateTime time(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()), QTimeZone::utc());
    int sequence = 1;
    // A clock set back still names the new backup after the ones before it.
    if (!existing.empty() && time <= existing.back().backup.time) {
        time = existing.back().backup.time;
        sequence = existing.back().sequence + 1;
    }
    QString path = QDir(m_folder).filePath(fileName(name, time, sequence));
    while (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        path = QDir(m_folder).filePath(fileName(name, time, ++sequence));
    if (FileError error = SafeFile::write(path, bytes); !error.ok())
        return error;
    // Which module it was: another folder's module of the same name has backups of its own.
    const QByteArray madeOf = identity(module).toUtf8() + '\n';
    if (FileError error = SafeFile::write(path + kOriginSuffix, madeOf); !error.ok()) {
        QFile::remove(path);
        return error;
    }
    prune(name);
    if (made)
        *made = path;
    return FileError::none();
}

void BackupStore::prune(const QString &key) const
{
    const auto found = entries(key);
    if (found.size() <= size_t(Kept) + 1)
        return;
    // The first backup of each module is the module as it came: never removed.
    QSet<QString> seen;
    for (size_t i = 0; i + Kept < found.size(); ++i) {
        const QString &path = found[i].backup.path;
        const QString from = origin(path);
        if (!seen.contains(from)) {
            seen.insert(from);
            continue;
        }
        QFile::remove(path);
        QFile::remove(path + kOriginSuffix);
    }
}

FileError BackupStore::beforeChange(const QString &module)
{
    if (m_madeThisOpening)
        return FileError::none();
    FileError error = make(module);
    m_madeThisOpening = error.ok();
    return error;
}

FileError BackupStore::restore(const QString &backup, const QString &module, QString *made)
{
    const QFileInfo chosen(backup);
    const auto known = list(module);
    const bool listed = std::any_of(known.begin(), known.end(), [&](const Backup &b) {
        return QFileInfo(b.path).canonicalFilePath() == chosen.canonicalFilePath();
    });
    if (!listed || !chosen.exists())
        return FileError::reading(backup, QStringLiteral("it is not a backup of %1 in %2")
                                              .arg(QFileInfo(module).fileName(), QDir::toNativeSeparators(m_folder)));
    QByteArray bytes;
    if (FileError error = SafeFile::read(backup, kNoLimit, bytes); !error.ok())
        return error;
    // A module that is gone has nothing to keep; one that is there is kept first.
    if (QFileInfo::exists(module))
        if (FileError error = make(module, made); !error.ok())
            return error;
    return SafeFile::write(module, bytes);
}
