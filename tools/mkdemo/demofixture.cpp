#include "tools/mkdemo/demofixture.h"

#include "common/inifile.h"
#include "tools/scramble/elfscrambler.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <cstring>

namespace DemoFixture {

namespace {

void put32(QByteArray &b, quint32 at, quint32 v)
{
    qToLittleEndian(v, b.data() + at);
}

void put16(QByteArray &b, quint32 at, quint16 v)
{
    qToLittleEndian(v, b.data() + at);
}

void putFloat(QByteArray &b, quint32 at, float f)
{
    quint32 bits;
    std::memcpy(&bits, &f, sizeof bits);
    put32(b, at, bits);
}

void putText(QByteArray &b, quint32 at, const char *text)
{
    std::memcpy(b.data() + at, text, std::strlen(text));
}

bool isFive(const QString &version)
{
    return version == kVersion5;
}

QString hex(quint32 v)
{
    return QString::number(v, 16).toUpper();
}

} // namespace

qint64 moduleSize(const QString &version)
{
    return isFive(version) ? 0x1B000 : 0x18800;
}

QStringList subMenuItems()
{
    return {QStringLiteral("Network Update"), QStringLiteral("Video Settings"), QStringLiteral("Photo Settings"),
            QStringLiteral("System Settings"), QStringLiteral("Date & Time Settings"),
            QStringLiteral("Power Save Settings"), QStringLiteral("Sound Settings"),
            QStringLiteral("Theme Settings"), QStringLiteral("Security Settings"),
            QStringLiteral("Network Settings")};
}

QStringList mainCategories()
{
    return {QStringLiteral("Settings"), QStringLiteral("Photo"), QStringLiteral("Music"), QStringLiteral("Video"),
            QStringLiteral("TV"), QStringLiteral("Game"), QStringLiteral("Network")};
}

QVector<Entry> entries(const QString &version)
{
    QVector<Entry> list = {
        {QStringLiteral("Clock text scale"), kDataOffset + 0x10, QStringLiteral("Float"), 0, 1, QStringLiteral("1.5")},
        {QStringLiteral("Icon spacing"), kDataOffset + 0x14, QStringLiteral("Float"), 0, 1, QStringLiteral("12.25")},
        {QStringLiteral("Menu item height"), kDataOffset + 0x20, QStringLiteral("Integer"), 0, 1, QStringLiteral("96")},
        {QStringLiteral("Wave direction"), kDataOffset + 0x22, QStringLiteral("Integer"), 0, 1, QStringLiteral("-1")},
        {QStringLiteral("Sub-menu label"), kDataOffset + 0x40, QStringLiteral("String"), 16, 1, QStringLiteral("Network Update")},
        {QStringLiteral("Header caption"), kDataOffset + 0x60, QStringLiteral("String"), 8, 1, QStringLiteral("XMB")},
        {QStringLiteral("Icon fade time"), kCodeOffset + 0x2240, QStringLiteral("Float"), 0, 1, QStringLiteral("0.75")},
        {QStringLiteral("Cursor offset"), kCodeOffset + 0x2252, QStringLiteral("Integer"), 0, 1, QStringLiteral("-12")},
        {QStringLiteral("Background dim"), kDataOffset + 0x80, QStringLiteral("Float"), 0, 2, QStringLiteral("0.25")},
    };
    if (!isFive(version))
        list.removeLast();
    return list;
}

QByteArray plainModule(const QString &version)
{
    const auto size = quint32(moduleSize(version));
    QByteArray b(qsizetype(size), '\0');
    // ELF32 little-endian PRX for MIPS with two program headers.
    const unsigned char ident[] = {0x7F, 'E', 'L', 'F', 1, 1, 1, 0};
    std::memcpy(b.data(), ident, sizeof ident);
    put16(b, 16, 0xFFA0);
    put16(b, 18, 8);
    put32(b, 20, 1);
    put32(b, 24, kCodeOffset);
    put32(b, 28, 52);
    put16(b, 40, 52);
    put16(b, 42, 32);
    put16(b, 44, 2);
    const quint32 code[] = {1, kCodeOffset, 0, 0, kDataOffset - kCodeOffset, kDataOffset - kCodeOffset, 5, 16};
    const quint32 data[] = {1, kDataOffset, kDataOffset, 0, size - kDataOffset, size - kDataOffset, 6, 16};
    for (int i = 0; i < 8; ++i) {
        put32(b, 52 + 4 * quint32(i), code[i]);
        put32(b, 84 + 4 * quint32(i), data[i]);
    }
    quint32 state = isFive(version) ? 0x500u : 0x405u;
    for (quint32 at = kCodeOffset; at < kDataOffset; at += 4) {
        state = state * 1103515245u + 12345u;
        put32(b, at, 0x24000000u | (state >> 8));
    }
    for (const Entry &e : entries(version)) {
        if (e.type == QLatin1String("Float"))
            putFloat(b, e.offset, e.value.toFloat());
        else if (e.type == QLatin1String("Integer"))
            put16(b, e.offset, quint16(e.value.toShort()));
        else
            putText(b, e.offset, e.value.toLatin1().constData());
    }
    for (quint32 m = 0; m < 12; ++m) {
        const float r = float(m) / 11.0f;
        const float g = 0.5f + float(m % 3) * 0.2f;
        const float blue = 1.0f - float(m) / 22.0f;
        putFloat(b, kFontStart + 12 * m, 1.0f);
        putFloat(b, kFontStart + 12 * m + 4, 1.0f);
        putFloat(b, kFontStart + 12 * m + 8, 1.0f);
        putFloat(b, kOptStart + 12 * m, r);
        putFloat(b, kOptStart + 12 * m + 4, g);
        putFloat(b, kOptStart + 12 * m + 8, blue);
        if (isFive(version)) {
            const float back[] = {r, g, blue, 0.75f};
            const float front[] = {blue, r, g, 0.5f};
            for (quint32 k = 0; k < 4; ++k) {
                putFloat(b, kWaveStart + 32 * m + 4 * k, back[k]);
                putFloat(b, kWaveStart + 32 * m + 16 + 4 * k, front[k]);
            }
        }
    }
    const int items = int(subMenuItems().size());
    for (int i = 0; i < items; ++i) {
        const quint32 at = kBeginOffset + 16 * quint32(i);
        put32(b, at, 0);
        put32(b, at + 4, 0x1000 + quint32(i));
        put32(b, at + 8, i == 0 ? 2 : 7);
        put32(b, at + 12, i == 0 ? 8 : 0xFFFFFFFFu);
    }
    if (isFive(version))
        putText(b, kFixedClear, "VTDMO");
    return b;
}

QByteArray storedModule(const QString &version)
{
    QByteArray plain = plainModule(version);
    if (!isFive(version))
        return plain;
    ElfScrambler::Bytes bytes(plain.begin(), plain.end());
    ElfScrambler::scramble(bytes);
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
}

QByteArray headerTemplate(const QString &version)
{
    QByteArray b(336, '\0');
    putText(b, 0, "~PSP");
    put16(b, 4, 0x1007);
    putText(b, 10, "vshmain_demo");
    putText(b, 48, version.toLatin1().constData());
    for (int i = 200; i < 336; ++i)
        b[i] = char(i * 7);
    b.append("VantorEditor demo header tail: kept after the stream when it is shorter.\n");
    return b;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool writeBookmarks(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile::remove(path);
    IniFile ini(path);
    {
        IniFile::Batch batch(ini);
        for (const QString &version : {kVersion4, kVersion5}) {
            ini.write(version, QStringLiteral("PRXSize"), QString::number(moduleSize(version)));
            const auto list = entries(version);
            ini.write(version, QStringLiteral("offset"), QString::number(list.size()));
            for (int n = 1; n <= list.size(); ++n) {
                const Entry &e = list[n - 1];
                const QString prefix = QStringLiteral("entry.") + QString::number(n) + QLatin1Char('.');
                ini.write(version, prefix + QStringLiteral("description"), e.description);
                ini.write(version, prefix + QStringLiteral("offset"), hex(e.offset));
                ini.write(version, prefix + QStringLiteral("type"), e.type);
                ini.write(version, prefix + QStringLiteral("length"), QString::number(e.length));
                ini.write(version, prefix + QStringLiteral("file"), QString::number(e.file));
            }
            ini.write(version, QStringLiteral("BeginOffset"), hex(kBeginOffset));
            const char *components = "RGB";
            for (int k = 0; k < 3; ++k) {
                const QString c(QChar::fromLatin1(components[k]));
                ini.write(version, c + QStringLiteral("FontStart"), hex(kFontStart + 4 * quint32(k)));
                ini.write(version, c + QStringLiteral("OptStart"), hex(kOptStart + 4 * quint32(k)));
            }
            if (isFive(version)) {
                const char *wave = "RGBA";
                for (int k = 0; k < 4; ++k)
                    ini.write(version, QChar::fromLatin1(wave[k]) + QStringLiteral("WaveStart"),
                              hex(kWaveStart + 4 * quint32(k)));
            }
            ini.write(version, QStringLiteral("XMBmenuString"), subMenuItems().join(QLatin1Char(',')));
            ini.write(version, QStringLiteral("XMBmainString"), mainCategories().join(QLatin1Char(',')));
        }
    }
    return ini.lastError().ok();
}

bool writeConfig(const QString &path)
{
    const QByteArray text = "[Config]\r\n"
                            "Firmware=4.05,5.00\r\n"
                            "PRXversion=5.00\r\n"
                            "Expertmode=1\r\n"
                            "BookmarkPath=default\r\n"
                            "\r\n"
                            "[Colors]\r\n"
                            "Color.0=16777215\r\n"
                            "Color.1=10053171\r\n"
                            "Color.2=2105376\r\n"
                            "Color.3=16777215\r\n";
    return writeFile(path, text);
}

bool writeHome(const QString &folder)
{
    const QString root = QDir(folder).absolutePath() + QLatin1Char('/');
    bool ok = writeConfig(root + QStringLiteral("Config.ini"));
    ok = writeBookmarks(root + QStringLiteral("bookmarks/vshmain.vt")) && ok;
    for (const QString &version : {kVersion4, kVersion5})
        ok = writeFile(root + QStringLiteral("header/") + version + QStringLiteral(".prx"), headerTemplate(version)) && ok;
    ok = writeFile(root + QStringLiteral("demo/vshmain.prx"), storedModule(kVersion5)) && ok;
    ok = writeFile(root + QStringLiteral("demo/4.05/vshmain.prx"), storedModule(kVersion4)) && ok;
    return ok;
}

} // namespace DemoFixture
