#include "fuzz/reloadinput.h"

#include "bookmarks/bookmarksection.h"
#include "common/inifile.h"
#include "values/modulefiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>

namespace ReloadInput {

namespace {

QString folder()
{
    // Memory-backed where there is one: every input writes two files.
    static const QString base = QFileInfo(QStringLiteral("/dev/shm")).isWritable() ? QStringLiteral("/dev/shm")
                                                                                   : QDir::tempPath();
    static QTemporaryDir dir(base + QStringLiteral("/vantor-reload-XXXXXX"));
    return dir.path();
}

bool writeFile(const QString &path, const char *bytes, qint64 size)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes, size) == size;
}

} // namespace

void run(const std::uint8_t *data, std::size_t size)
{
    if (size < 6)
        return;
    const std::size_t vtSize = std::min<std::size_t>(size - 6, std::size_t(data[0]) | std::size_t(data[1]) << 8);
    const quint32 cutAt = quint32(data[2]) | quint32(data[3]) << 8 | quint32(data[4]) << 16 | quint32(data[5]) << 24;
    const char *vt = reinterpret_cast<const char *>(data + 6);
    const char *module = vt + vtSize;
    const qint64 moduleSize = qint64(size - 6 - vtSize);

    const QString vtPath = folder() + QStringLiteral("/m.vt");
    const QString modulePath = folder() + QStringLiteral("/m.prx");
    if (!writeFile(vtPath, vt, qint64(vtSize)) || !writeFile(modulePath, module, moduleSize))
        return;
    IniFile bookmarks(vtPath);
    ModuleFiles files;
    files.open(ModuleFiles::Working, modulePath);
    files.open(ModuleFiles::Held, modulePath);
    {
        // The load begins reading, then the module is cut under it.
        ModuleFiles::ReadCache cache(files);
        files.read(ModuleFiles::Working, 0, 1);
        files.read(ModuleFiles::Held, 0, 1);
        QFile::resize(modulePath, qint64(cutAt % quint32(moduleSize + 1)));
        BookmarkSection::load(bookmarks, QStringLiteral("5.00"), &files);
    }
    BookmarkSection::load(bookmarks, QStringLiteral("5.00"), &files);
}

} // namespace ReloadInput
