#include "tests/support/testhome.h"

#include "common/inifile.h"
#include "tools/mkdemo/demofixture.h"

#include <QFile>

TestHome::TestHome()
{
    DemoFixture::writeHome(m_dir.path());
    QFile::copy(QStringLiteral(SCRAMBLE_PATH), file(QStringLiteral("scramble")));
}

void TestHome::removeScrambleTool()
{
    QFile::remove(file(QStringLiteral("scramble")));
}

void TestHome::answerAssociation()
{
    IniFile(config()).write(QStringLiteral("Config"), QStringLiteral("PRXassociation"), QStringLiteral("0"));
}

QByteArray TestHome::readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool TestHome::writeAll(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}
