#include "childrun.h"
#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "document/moduleunpacker.h"
#include "documenttest.h"
#include "tools/mkdemo/demofixture.h"

#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>
#include <utility>
#include <zlib.h>

namespace {

quint32 le32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// Instruction-like words: a few opcodes, registers and small immediates, and
// runs that repeat earlier code, so deflate has real work to do.
QByteArray codeLike(qsizetype size, quint32 seed)
{
    QByteArray out(size, '\0');
    quint32 state = seed;
    auto next = [&] { return state = state * 1103515245u + 12345u, state >> 8; };
    qsizetype at = 0;
    while (at + 4 <= size) {
        if (at > 4096 && next() % 4 == 0) {
            const qsizetype back = 4 * qsizetype(1 + next() % 900);
            for (qsizetype n = 4 * qsizetype(2 + next() % 10); n > 0 && at < size; --n, ++at)
                out[at] = out[at - back];
            continue;
        }
        static const quint32 ops[] = {0x8C000000, 0xAC000000, 0x24000000, 0x00000021, 0x0C000000, 0x10000000};
        qToLittleEndian(ops[next() % 6] | (next() % 8) << 21 | (next() % 8) << 16 | (next() % 64) * 4,
                        out.data() + at);
        at += 4;
    }
    return out;
}

// gzip itself must accept the stream and give the module back.
void expectGzipReads(const QByteArray &stream, const QByteArray &module)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("stream.gz"));
    ASSERT_TRUE(TestHome::writeAll(path, stream));
    QProcess test;
    test.start(QStringLiteral("gzip"), {QStringLiteral("-t"), path});
    ASSERT_TRUE(test.waitForFinished(60000));
    EXPECT_EQ(test.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(test.exitCode(), 0) << test.readAllStandardError().toStdString();
    QProcess unpack;
    unpack.start(QStringLiteral("gzip"), {QStringLiteral("-dc"), path});
    ASSERT_TRUE(unpack.waitForFinished(60000));
    EXPECT_TRUE(unpack.readAllStandardOutput() == module) << "gzip -dc gives the module back";
}

TEST(PackedLayout, HeaderFieldsHoldTheThreeSizes)
{
    QByteArray longTemplate = DemoFixture::headerTemplate("5.00").left(336);
    longTemplate.append(QByteArray(1000, 'T'));
    const struct
    {
        QByteArray headerTemplate;
        qsizetype stream;
        qint64 module;
        qint64 packed;
    } cases[] = {
        {DemoFixture::headerTemplate("5.00").left(336), 150000, 400000, 150336},
        {longTemplate, 600, 1200, 1336},                  // the template's tail stays
        {longTemplate, 1000, 5000, 1336},                 // stream ends where the template ends
        {DemoFixture::headerTemplate("4.05"), 40000, 90000, 40336},
    };
    for (const auto &c : cases) {
        const QByteArray stream(c.stream, 's');
        const auto packed = ModulePacker::assemble(c.headerTemplate, stream, c.module);
        ASSERT_TRUE(packed);
        ASSERT_EQ(packed->size(), c.packed);
        EXPECT_EQ(le32(*packed, 40), quint32(c.module));
        EXPECT_EQ(le32(*packed, 44), quint32(c.packed));
        EXPECT_EQ(le32(*packed, 176), quint32(c.stream));
        EXPECT_EQ(packed->mid(336, c.stream), stream);
        EXPECT_EQ(packed->mid(336 + c.stream), c.headerTemplate.mid(336 + c.stream));
        for (qint64 at : {0, 39, 48, 175, 180, 335})
            EXPECT_EQ((*packed)[at], c.headerTemplate[at]) << "header byte " << at << " comes from the template";
    }
}

TEST(PackedLayout, SizesFrom16MiBOnDoNotFit)
{
    const QByteArray header(336, 'h');
    const qint64 limit = ModulePacker::SizeLimit;
    EXPECT_TRUE(ModulePacker::assemble(header, QByteArray(10, 's'), limit - 1));
    EXPECT_FALSE(ModulePacker::assemble(header, QByteArray(10, 's'), limit));
    EXPECT_TRUE(ModulePacker::assemble(header, QByteArray(limit - 1 - 336, 's'), 100));
    EXPECT_FALSE(ModulePacker::assemble(header, QByteArray(limit - 336, 's'), 100)) << "the packed file reaches 16 MiB";
}

// The bytes of the one gzip member at the start of `stream`, and whether it
// fills the stream exactly; zlib reads it on its own, without the codec.
std::pair<QByteArray, bool> firstMember(const QByteArray &stream)
{
    z_stream zs{};
    if (inflateInit2(&zs, 15 + 16) != Z_OK)
        return {};
    QByteArray out(qsizetype(1) << 22, '\0');
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.constData()));
    zs.avail_in = uInt(stream.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = ::inflate(&zs, Z_FINISH);
    out.truncate(qsizetype(zs.total_out));
    const bool whole = rc == Z_STREAM_END && zs.avail_in == 0;
    inflateEnd(&zs);
    return {out, whole};
}

TEST(GzipStream, PackedStreamIsOneStandardMemberWithTheHeaderAsBeforeAndDeterministic)
{
    // No name, no time stamp, "maximum compression", Unix: what packed modules have always carried.
    const QByteArray header = QByteArray::fromRawData("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03", 10);
    for (const qsizetype size : {qsizetype(0), qsizetype(1), qsizetype(1 << 20), qsizetype(3 * (1 << 20) + 12345)}) {
        SCOPED_TRACE(size);
        const QByteArray data = codeLike(size, quint32(size));
        const QByteArray stream = GzipCodec::compress(data);
        ASSERT_GE(stream.size(), 18);
        EXPECT_EQ(stream.left(10), header);
        EXPECT_EQ(firstMember(stream), std::make_pair(data, true)) << "one member, nothing after it";
        EXPECT_EQ(GzipCodec::decompress(stream), data);
        EXPECT_EQ(GzipCodec::compress(data), stream) << "the same module packs to the same bytes";
        EXPECT_EQ(le32(stream, stream.size() - 4), quint32(size));
        expectGzipReads(stream, data);
    }
}

TEST(GzipStream, EveryLevelRoundTripsAndPackingIsSmallerThanZlibAtNine)
{
    const QByteArray data = codeLike(2 << 20, 11);
    for (const int level : {1, 6, 9, 12}) {
        const QByteArray stream = GzipCodec::compress(data, level);
        EXPECT_EQ(firstMember(stream), std::make_pair(data, true)) << "level " << level;
        EXPECT_EQ(stream.left(10), GzipCodec::compress(QByteArray(), GzipCodec::PackLevel).left(10))
            << "the header does not depend on the level " << level;
    }
    uLongf zlibSize = compressBound(uLong(data.size()));
    QByteArray zlibOut(qsizetype(zlibSize), '\0');
    ASSERT_EQ(compress2(reinterpret_cast<Bytef *>(zlibOut.data()), &zlibSize,
                        reinterpret_cast<const Bytef *>(data.constData()), uLong(data.size()), 9),
              Z_OK);
    // zlib's own wrapper is 6 bytes, gzip's 18.
    EXPECT_LT(GzipCodec::compress(data).size() - 18, qsizetype(zlibSize) - 6)
        << "packing is to give smaller modules than zlib -9 did";
}

class PackTest : public DocumentTest
{
protected:
    QString templatePath(const QString &version) const { return home.file("header/" + version + ".prx"); }
    QString output() const { return home.file("out/packed.prx"); }
    void SetUp() override
    {
        DocumentTest::SetUp();
        QDir().mkpath(home.file("out"));
        QDir().mkpath(home.file("in"));
    }
    QString pack(const QByteArray &module, const QString &templateFile)
    {
        const QString modulePath = home.file("in/vshmain.prx");
        TestHome::writeAll(modulePath, module);
        prompter.calls.clear();
        ModulePacker(prompter).pack(modulePath, templateFile, output());
        return modulePath;
    }
};

TEST_F(PackTest, PacksA400000ByteModuleBehindItsTemplate)
{
    const QByteArray module = codeLike(400000, 7);
    pack(module, templatePath("5.00"));
    EXPECT_EQ(prompter.messages(), QStringList{"Compression Complete!"});
    EXPECT_EQ(prompter.calls.back().title, "Done");
    EXPECT_EQ(prompter.calls.back().icon, Prompter::Icon::Information);
    EXPECT_EQ(prompter.calls.front().kind, "busy");
    EXPECT_EQ(prompter.calls.front().text, "on");
    EXPECT_EQ(prompter.calls[1].text, "off") << "the pointer is normal again before the message";

    const QByteArray packed = TestHome::readAll(output());
    const QByteArray header = DemoFixture::headerTemplate("5.00");
    const quint32 streamSize = le32(packed, 176);
    EXPECT_EQ(le32(packed, 40), 400000u);
    EXPECT_EQ(le32(packed, 44), quint32(packed.size()));
    EXPECT_EQ(qsizetype(streamSize), packed.size() - 336) << "a stream longer than the template's tail";
    EXPECT_EQ(packed.left(40), header.left(40));
    EXPECT_EQ(packed.mid(48, 128), header.mid(48, 128));
    EXPECT_EQ(packed.mid(180, 156), header.mid(180, 156));
    const QByteArray stream = packed.mid(336, streamSize);
    EXPECT_EQ(GzipCodec::decompress(stream), module);
    expectGzipReads(stream, module);
}

TEST_F(PackTest, TemplateLongerThanTheStreamKeepsItsTail)
{
    QByteArray longTemplate = DemoFixture::headerTemplate("4.05").left(336) + QByteArray(4000, 'T');
    TestHome::writeAll(home.file("header/long.prx"), longTemplate);
    const QByteArray module(3000, '\0');
    pack(module, home.file("header/long.prx"));
    const QByteArray packed = TestHome::readAll(output());
    ASSERT_EQ(packed.size(), longTemplate.size());
    const quint32 streamSize = le32(packed, 176);
    EXPECT_EQ(le32(packed, 44), quint32(longTemplate.size()));
    EXPECT_EQ(packed.mid(336 + streamSize), longTemplate.mid(336 + streamSize));
    EXPECT_EQ(GzipCodec::decompress(packed.mid(336, streamSize)), module);
    const auto unpacked = ModuleUnpacker::unpackBytes(packed);
    EXPECT_EQ(unpacked.fault, "") << "the tail is no stray data: the header says where the stream ends";
    EXPECT_EQ(unpacked.module, module);
}

TEST_F(PackTest, PackedModuleUnpacksThroughTheOpenPath)
{
    const QByteArray original = DemoFixture::storedModule("4.05");
    pack(original, templatePath("4.05"));
    TestHome::writeAll(home.module4(), TestHome::readAll(output()));

    prompter.calls.clear();
    prompter.answers.push_back(Prompter::Answer::Yes);
    doc->openFromCommandLine(home.module4());
    EXPECT_EQ(prompter.messages().first(), "Can not read PRX file, try to decompress?");
    EXPECT_TRUE(TestHome::readAll(home.module4()) == original) << "byte for byte";
    EXPECT_EQ(doc->prxversion(), "4.05");
}

TEST_F(PackTest, DemoModulesUnpackByteForByteWithGzipAndWithOurOwnUnpack)
{
    for (const QString &version : {DemoFixture::kVersion4, DemoFixture::kVersion5}) {
        SCOPED_TRACE(version.toStdString());
        const QByteArray module = DemoFixture::storedModule(version);
        pack(module, templatePath(version));
        ASSERT_EQ(prompter.messages(), QStringList{"Compression Complete!"});
        const QByteArray packed = TestHome::readAll(output());
        const auto unpacked = ModuleUnpacker::unpackBytes(packed);
        EXPECT_EQ(unpacked.fault, "");
        EXPECT_TRUE(unpacked.module == module) << "byte for byte";
        expectGzipReads(packed.mid(336, le32(packed, 176)), module);
    }
}

TEST_F(PackTest, FailuresNameTheirCauseAndLeaveNoOutput)
{
    const QByteArray before = "an existing file the person chose";
    const struct
    {
        const char *name;
        QByteArray module;
        QString templateFile;
        bool outputIsAFolder;
        QString message;
    } cases[] = {
        {"missing template", QByteArray(1000, 'm'), templatePath("9.99"), false,
         "The header template " + QDir::toNativeSeparators(templatePath("9.99")) + " does not exist."},
        {"short template", QByteArray(1000, 'm'), home.file("header/short.prx"), false,
         "The header template " + QDir::toNativeSeparators(home.file("header/short.prx")) +
             " is shorter than 336 bytes."},
        {"16 MiB module", QByteArray(ModulePacker::SizeLimit, '\0'), templatePath("5.00"), false,
         "vshmain.prx is too large to pack: it is 16777216 bytes long, and a packed module holds sizes below "
         "16 MiB (16777216 bytes)."},
        {"write failure", QByteArray(1000, 'm'), templatePath("5.00"), true, "Can not write "},
    };
    TestHome::writeAll(home.file("header/short.prx"), QByteArray(335, 'h'));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QDir(output()).removeRecursively();
        QFile::remove(output());
        if (c.outputIsAFolder)
            QDir().mkpath(output());
        else
            TestHome::writeAll(output(), before);
        const QStringList entries = QDir(home.file("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);

        pack(c.module, c.templateFile);
        ASSERT_EQ(prompter.count("inform"), 1);
        EXPECT_TRUE(prompter.calls.back().text.startsWith(c.message)) << prompter.calls.back().text.toStdString();
        EXPECT_EQ(prompter.calls.back().title, "Error");
        EXPECT_EQ(prompter.count("busy"), 2);
        if (!c.outputIsAFolder) {
            EXPECT_EQ(TestHome::readAll(output()), before);
        }
        EXPECT_EQ(QDir(home.file("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), entries)
            << "no temporary file stays behind";
    }
}

TEST_F(PackTest, AFullDiskSaysSoAndLeavesTheOutputAsItWas)
{
    const QByteArray before = "an existing file the person chose";
    TestHome::writeAll(output(), before);
    const QString modulePath = home.file("in/vshmain.prx");
    TestHome::writeAll(modulePath, codeLike(400000, 3));
    const QStringList entries = QDir(home.file("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    const auto seen = ChildRun::run([&] {
        ChildRun::limitFileSize(10000);
        prompter.calls.clear();
        const bool packed = ModulePacker(prompter).pack(modulePath, templatePath("5.00"), output());
        return prompter.messages().join('\n') + (packed ? "\npacked" : "\nrefused");
    });
    ASSERT_TRUE(seen);
    EXPECT_EQ(*seen, "Can not write " + QDir::toNativeSeparators(output()) + ": File too large\nrefused");
    EXPECT_EQ(TestHome::readAll(output()), before);
    EXPECT_EQ(QDir(home.file("out")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden), entries)
        << "no temporary file stays behind";
}

} // namespace
