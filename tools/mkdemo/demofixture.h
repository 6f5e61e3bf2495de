#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>

// Deterministic synthetic vshmain modules and the files that go with them:
// bookmark file, header templates, Config.ini. Used by mkdemo for the demo home
// and by the tests for their fixtures. Nothing here comes from a real firmware.
namespace DemoFixture {

struct Entry
{
    QString description;
    quint32 offset;
    QString type;
    int length;
    int file;
    QString value; // as the Value cell shows it
};

inline const QString kVersion4 = QStringLiteral("4.05");
inline const QString kVersion5 = QStringLiteral("5.00");

constexpr quint32 kCodeOffset = 0x100;
constexpr quint32 kDataOffset = 0x10000;
constexpr quint32 kFontStart = 0x11000;
constexpr quint32 kOptStart = 0x11100;
constexpr quint32 kWaveStart = 0x11200;
constexpr quint32 kBeginOffset = 0x11400;
constexpr quint32 kFixedClear = 0x1A0E8;

qint64 moduleSize(const QString &version);
// The module as the editor works on it (descrambled).
QByteArray plainModule(const QString &version);
// The module as stored on disk: scrambled for firmware 5 and later.
QByteArray storedModule(const QString &version);
// 336 bytes of header and a tail, as a packed module's template.
QByteArray headerTemplate(const QString &version);
QVector<Entry> entries(const QString &version);
QStringList subMenuItems();
QStringList mainCategories();

bool writeFile(const QString &path, const QByteArray &bytes);
// The .vt file with sections 4.05 and 5.00.
bool writeBookmarks(const QString &path);
bool writeConfig(const QString &path);
// Config.ini, bookmarks/vshmain.vt, header/<version>.prx, demo/vshmain.prx
// (5.00) and demo/4.05/vshmain.prx. The scramble tool is not part of it.
bool writeHome(const QString &folder);

} // namespace DemoFixture
