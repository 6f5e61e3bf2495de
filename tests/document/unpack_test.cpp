#include "childrun.h"
#include "documenttest.h"
#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "document/moduleunpacker.h"
#include "fuzz/unpackcase.h"
#include "tools/mkdemo/demofixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <fcntl.h>
#include <zlib.h>

namespace {

using Fault = GzipCodec::Inflated::Fault;

// A gzip stream of `mebibytes` zero bytes, made without holding them all.
QByteArray zeroStream(int mebibytes)
{
    z_stream zs{};
    deflateInit2(&zs, 1, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
    const QByteArray zeros(1 << 20, '\0');
    QByteArray out;
    char buffer[1 << 16];
    for (int i = 0; i < mebibytes; ++i) {
        zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(zeros.constData()));
        zs.avail_in = uInt(zeros.size());
        const int flush = i + 1 == mebibytes ? Z_FINISH : Z_NO_FLUSH;
        do {
            zs.next_out = reinterpret_cast<Bytef *>(buffer);
            zs.avail_out = sizeof buffer;
            deflate(&zs, flush);
            out.append(buffer, qsizetype(sizeof buffer - zs.avail_out));
        } while (zs.avail_out == 0);
    }
    deflateEnd(&zs);
    return out;
}

// `data` as gzip members, one per piece between the cuts.
QByteArray members(const QByteArray &data, std::initializer_list<qsizetype> cuts)
{
    QByteArray stream;
    qsizetype from = 0;
    for (qsizetype cut : cuts) {
        stream += GzipCodec::compress(data.mid(from, cut - from));
        from = cut;
    }
    return stream + GzipCodec::compress(data.mid(from));
}

QByteArray withByte(QByteArray bytes, qsizetype at, char value)
{
    bytes[at] = value;
    return bytes;
}

QByteArray header()
{
    return DemoFixture::headerTemplate("4.05").left(336);
}

// Packed as packing does it: the module's, the file's and the stream's sizes recorded.
QByteArray recorded(const QByteArray &stream, qint64 moduleSize, const QByteArray &headerTemplate = header())
{
    return *ModulePacker::assemble(headerTemplate, stream, moduleSize);
}

QByteArray setField(QByteArray packed, qint64 at, quint32 value)
{
    qToLittleEndian(value, packed.data() + at);
    return packed;
}

const QByteArray &module()
{
    static const QByteArray bytes = DemoFixture::storedModule("4.05");
    return bytes;
}

TEST(GzipCodec, EveryMemberIsInflated)
{
    EXPECT_EQ(GzipCodec::decompress(members(module(), {1000})), module());
    EXPECT_EQ(GzipCodec::decompress(members(module(), {0, 1, 50000, 50000})), module()) << "empty members too";
    const auto inflated = GzipCodec::inflate(members(module(), {1000, 2000}), module().size());
    EXPECT_TRUE(inflated.ok());
    EXPECT_EQ(inflated.data, module()) << "exactly the limit is allowed";
}

TEST(GzipCodec, DamagedOrIncompleteStreamsAreRefusedWithTheirCause)
{
    const QByteArray good = GzipCodec::compress(module());
    const struct
    {
        const char *name;
        QByteArray stream;
        Fault fault;
        QString detail;
    } cases[] = {
        {"a stray byte after the stream", good + "x", Fault::TrailingBytes, "1"},
        {"zero padding after the stream", good + QByteArray(16, '\0'), Fault::TrailingBytes, "16"},
        {"stray bytes after a second member", members(module(), {10}) + "junk", Fault::TrailingBytes, "4"},
        {"cut short", good.chopped(1), Fault::Truncated, {}},
        {"cut in the next member's header", good + "\x1f\x8b", Fault::Truncated, {}},
        {"invalid block type", withByte(good, 10, 0x07), Fault::Damaged, "invalid block type"},
        {"wrong checksum", withByte(good, good.size() - 8, char(good[good.size() - 8] ^ 1)), Fault::Damaged,
         "incorrect data check"},
        {"wrong length", withByte(good, good.size() - 4, char(good[good.size() - 4] ^ 1)), Fault::Damaged,
         "incorrect length check"},
        {"not gzip", QByteArray(400, 'x'), Fault::NotGzip, {}},
        {"empty", QByteArray(), Fault::NotGzip, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto inflated = GzipCodec::inflate(c.stream, ModulePacker::SizeLimit);
        EXPECT_EQ(inflated.fault, c.fault);
        EXPECT_EQ(inflated.detail, c.detail);
        EXPECT_TRUE(inflated.data.isEmpty()) << "nothing of a refused stream is given back";
        EXPECT_FALSE(GzipCodec::decompress(c.stream).has_value());
    }
}

TEST(GzipCodec, OutputIsBoundedWhileInflating)
{
    const QByteArray twoMiB = zeroStream(2);
    EXPECT_EQ(GzipCodec::inflate(twoMiB, 2 << 20).data.size(), 2 << 20);
    EXPECT_EQ(GzipCodec::inflate(twoMiB, (2 << 20) - 1).fault, Fault::TooLarge);
    EXPECT_EQ(GzipCodec::inflate(members(module(), {5000}), 5000).fault, Fault::TooLarge) << "counted over members";
}

TEST(UnpackedModule, IsWholeOrRefusedWithItsReason)
{
    const QByteArray whole = GzipCodec::compress(module());
    const QByteArray small(20, '\0');
    const QByteArray withTail = header() + QByteArray(200, 'T');
    const struct
    {
        const char *name;
        QByteArray packed;
        QByteArray module; // empty: refused with `fault`
        QString fault;
    } cases[] = {
        {"one member", recorded(whole, module().size()), module(), {}},
        {"three members", recorded(members(module(), {1000, 60000}), module().size()), module(), {}},
        {"the template's tail after the stream", recorded(GzipCodec::compress(small), small.size(), withTail), small, {}},
        {"no sizes recorded", header() + whole, module(), {}},
        {"a stream size beyond the file", setField(recorded(whole, module().size()), 176, 0xFFFF00), module(), {}},
        {"a module size beyond the format", setField(recorded(whole, 7), 40, 0x1000000), module(), {}},
        {"a member lost", recorded(GzipCodec::compress(module().left(1000)), module().size()), {},
         "it unpacks to 1000 bytes, but its header records 100352"},
        {"stray bytes after the stream", header() + whole + "junk", {},
         "the compressed data is damaged (4 stray bytes follow its end)"},
        {"a stray byte after the stream", header() + whole + "x", {},
         "the compressed data is damaged (a stray byte follows its end)"},
        {"stray bytes inside the recorded stream", recorded(whole + "junk", module().size()), {},
         "the compressed data is damaged (4 stray bytes follow its end)"},
        {"damaged", recorded(withByte(whole, 10, 0x07), module().size()), {},
         "the compressed data is damaged (invalid block type)"},
        {"cut short", header() + whole.chopped(100), {}, "the compressed data is damaged (it ends too early)"},
        {"beyond the format", header() + zeroStream(16), {},
         "it unpacks to more than 16777215 bytes, and a module is below 16 MiB"},
        {"nothing packed", recorded(GzipCodec::compress({}), 0), {}, "it unpacks to no bytes at all"},
        {"not packed", QByteArray(400, 'x'), {}, "no gzip stream follows its 336-byte header"},
        {"too short", QByteArray(300, 'x'), {}, "at 300 bytes it is too short to be a packed module"},
        {"16 MiB", QByteArray(ModulePacker::SizeLimit, '\0'), {},
         "it is 16777216 bytes long, and a packed module is below 16 MiB (16777216 bytes)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const auto result = ModuleUnpacker::unpackBytes(c.packed);
        EXPECT_EQ(result.fault, c.fault);
        EXPECT_TRUE(result.module == c.module) << result.module.size() << " bytes";
    }
}

TEST(UnpackedModule, FuzzRegressionsHold)
{
    const QDir dir(QStringLiteral(FUZZ_REGRESSIONS "/fuzz_unpack"));
    const QStringList inputs = dir.entryList(QDir::Files);
    EXPECT_FALSE(inputs.isEmpty());
    for (const QString &name : inputs) {
        const QByteArray input = TestHome::readAll(dir.filePath(name));
        EXPECT_TRUE(UnpackCase::check(reinterpret_cast<const uint8_t *>(input.constData()), size_t(input.size())))
            << name.toStdString();
    }
}

class UnpackTest : public DocumentTest
{
protected:
    static QString native(const QString &path) { return QDir::toNativeSeparators(path); }
    // Opens the module from the command line, answering the unpack question Yes.
    void openAnsweringYes(const QString &path)
    {
        prompter.calls.clear();
        prompter.answers.push_back(Prompter::Answer::Yes);
        doc->openFromCommandLine(path);
    }
    QStringList folderEntries(const QString &path) const
    {
        return QDir(QFileInfo(path).absolutePath()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
    }
};

TEST_F(UnpackTest, YesUnpacksEveryMemberInPlaceAndDetectsTheVersion)
{
    TestHome::writeAll(home.module4(), recorded(members(module(), {1000, 50000}), module().size()));
    openAnsweringYes(home.module4());
    ASSERT_GE(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "Can not read PRX file, try to decompress?");
    EXPECT_EQ(prompter.calls[0].title, "Error");
    EXPECT_EQ(prompter.calls[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(prompter.messages(), QStringList{"Can not read PRX file, try to decompress?"});
    EXPECT_TRUE(TestHome::readAll(home.module4()) == module()) << "100352 bytes, not the first member's 1000";
    EXPECT_EQ(doc->prxversion(), "4.05");
    EXPECT_TRUE(doc->moduleOpen());
    EXPECT_EQ(doc->files().path(ModuleFiles::Working), home.module4());
}

TEST_F(UnpackTest, NoLeavesNoModuleOpen)
{
    const QByteArray packed = header() + GzipCodec::compress(module());
    TestHome::writeAll(home.module4(), packed);
    prompter.answers.push_back(Prompter::Answer::No);
    doc->openFromCommandLine(home.module4());
    EXPECT_FALSE(doc->moduleOpen());
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
    EXPECT_EQ(TestHome::readAll(home.module4()), packed);
}

TEST_F(UnpackTest, AFailedUnpackSaysWhyAndLeavesThePackedModule)
{
    const QByteArray whole = GzipCodec::compress(module());
    const struct
    {
        const char *name;
        QByteArray packed;
        QString why;
    } cases[] = {
        {"not packed", QByteArray(400, 'x'), "no gzip stream follows its 336-byte header"},
        {"cut short", header() + whole.chopped(40), "the compressed data is damaged (it ends too early)"},
        {"a member lost", recorded(GzipCodec::compress(module().left(1000)), module().size()),
         "it unpacks to 1000 bytes, but its header records 100352"},
        {"stray bytes", header() + whole + "junk", "the compressed data is damaged (4 stray bytes follow its end)"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        TestHome::writeAll(home.module4(), c.packed);
        const QStringList before = folderEntries(home.module4());
        openAnsweringYes(home.module4());
        EXPECT_EQ(prompter.messages(), QStringList({"Can not read PRX file, try to decompress?",
                                                    native(home.module4()) + " could not be unpacked: " + c.why + "."}));
        EXPECT_EQ(prompter.calls.back().title, "Error");
        EXPECT_TRUE(TestHome::readAll(home.module4()) == c.packed);
        EXPECT_EQ(folderEntries(home.module4()), before);
        EXPECT_FALSE(doc->moduleOpen());
        EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
        EXPECT_FALSE(texts->savePrxEnabled());
        restart();
    }
}

TEST_F(UnpackTest, AFileBeyondThePackedFormatIsRefusedBeforeItIsRead)
{
    const QString path = home.file("demo/huge.prx");
    QFile huge(path);
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_EQ(ftruncate(huge.handle(), qint64(3) << 30), 0);
    huge.close();
    openAnsweringYes(path);
    EXPECT_EQ(prompter.messages(),
              QStringList({"Can not read PRX file, try to decompress?",
                           native(path) + " could not be unpacked: it is 3221225472 bytes long, and a packed module is "
                                          "below 16 MiB (16777216 bytes)."}));
    EXPECT_EQ(QFileInfo(path).size(), qint64(3) << 30);
    EXPECT_FALSE(doc->moduleOpen());
}

TEST_F(UnpackTest, AFullDiskLeavesThePackedModuleAndSaysSo)
{
    const QByteArray packed = recorded(GzipCodec::compress(module()), module().size());
    ASSERT_LT(packed.size(), 70000);
    TestHome::writeAll(home.module4(), packed);
    const QStringList before = folderEntries(home.module4());
    const auto seen = ChildRun::run([&] {
        ChildRun::limitFileSize(70000);
        openAnsweringYes(home.module4());
        return prompter.messages().join('\n') + (doc->moduleOpen() ? "\nopen" : "\nclosed");
    });
    ASSERT_TRUE(seen);
    EXPECT_EQ(*seen, "Can not read PRX file, try to decompress?\nCan not write " + native(home.module4()) +
                         ": File too large. The packed module is left as it was.\nclosed");
    EXPECT_TRUE(TestHome::readAll(home.module4()) == packed);
    EXPECT_EQ(folderEntries(home.module4()), before) << "no temporary file stays behind";
}

TEST_F(UnpackTest, AFolderOrAnUnreadableModuleIsNamed)
{
    const QString folder = home.file("demo");
    const QString locked = home.file("demo/locked.prx");
    TestHome::writeAll(locked, module());
    // Only the file is closed to others: nobody may look into the folders.
    for (const QString &path : {home.path(), folder, home.file("bookmarks")})
        QFile::setPermissions(path, QFile::permissions(path) | QFile::ReadOther | QFile::ExeOther);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner);
    const QString isFolder = native(folder) + " is a folder, not a module file.";
    const QString denied = "Can not open " + native(locked) + ": Permission denied";

    doc->openFromCommandLine(folder);
    EXPECT_EQ(prompter.messages(), QStringList{isFolder});
    EXPECT_FALSE(doc->moduleOpen());

    doc->openFromCommandLine(home.module4());
    ASSERT_TRUE(doc->moduleOpen());
    prompter.calls.clear();
    prompter.files.push_back(folder);
    doc->openFromMenu();
    EXPECT_EQ(prompter.messages(), QStringList{isFolder});
    EXPECT_EQ(doc->currentModuleFile(), home.module4()) << "the open module stays open";

    const auto seen = ChildRun::run([&] {
        if (!ChildRun::becomeNobody())
            return QStringLiteral("still root");
        prompter.calls.clear();
        prompter.files.push_back(locked);
        doc->openFromMenu();
        QString out = prompter.messages().join('\n') + '\n' + doc->currentModuleFile() + '\n';
        auto fresh = std::make_unique<PrxDocument>(home.path(), prompter);
        fresh->startUp();
        prompter.calls.clear();
        fresh->openFromCommandLine(locked);
        return out + prompter.messages().join('\n') + (fresh->moduleOpen() ? "\nopen" : "\nclosed");
    });
    ASSERT_TRUE(seen);
    EXPECT_EQ(*seen, denied + '\n' + home.module4() + '\n' + denied + "\nclosed");
}

} // namespace
