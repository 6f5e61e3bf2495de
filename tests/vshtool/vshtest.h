#pragma once

#include "tests/support/littleendian.h"
#include "common/inifile.h"
#include "tests/document/documenttest.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/vshtool.h"

#include <QtEndian>
#include <cstring>

// A document over the demo home with the VSHmain tool's core beside it.
class VshTest : public DocumentTest
{
protected:
    QString module(const QString &version) const
    {
        return version == DemoFixture::kVersion5 ? home.module5() : home.module4();
    }
    void open(const QString &version)
    {
        doc->openFromCommandLine(module(version));
        ASSERT_EQ(doc->prxversion(), version);
    }
    void setKey(const QString &version, const QString &key, const QString &value)
    {
        IniFile(home.bookmarks()).write(version, key, value);
    }
    // Puts singles into the module file on disk, before it is opened.
    void putSingles(const QString &version, qint64 at, std::initializer_list<float> values)
    {
        QByteArray bytes = TestHome::readAll(module(version));
        for (float f : values) {
            quint32 bits;
            std::memcpy(&bits, &f, sizeof bits);
            qToLittleEndian(bits, bytes.data() + at);
            at += 4;
        }
        ASSERT_TRUE(TestHome::writeAll(module(version), bytes));
    }
    static QByteArray singles(std::initializer_list<float> values) { return LittleEndian::singles(values); }
    // The offsets at which two files differ.
    static std::vector<qint64> changed(const QByteArray &before, const QByteArray &after)
    {
        std::vector<qint64> out;
        for (qint64 i = 0; i < std::min(before.size(), after.size()); ++i)
            if (before[i] != after[i])
                out.push_back(i);
        return out;
    }

    void SetUp() override
    {
        DocumentTest::SetUp();
        tool = std::make_unique<VshTool>(*doc);
    }

    std::unique_ptr<VshTool> tool;
};
