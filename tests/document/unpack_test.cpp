#include "documenttest.h"
#include "document/gzipcodec.h"
#include "tools/mkdemo/demofixture.h"

#include <zlib.h>

namespace {

class UnpackTest : public DocumentTest
{
protected:
    QByteArray packed() const
    {
        return DemoFixture::headerTemplate("4.05").left(336) + GzipCodec::compress(DemoFixture::storedModule("4.05"));
    }
};

TEST_F(UnpackTest, YesUnpacksInPlaceAndDetectsTheVersion)
{
    TestHome::writeAll(home.module4(), packed());
    prompter.answers.push_back(Prompter::Answer::Yes);
    doc->openFromCommandLine(home.module4());
    ASSERT_GE(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "Can not read PRX file, try to decompress?");
    EXPECT_EQ(prompter.calls[0].title, "Error");
    EXPECT_EQ(prompter.calls[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(TestHome::readAll(home.module4()), DemoFixture::storedModule("4.05"));
    EXPECT_EQ(doc->prxversion, "4.05");
    EXPECT_TRUE(doc->moduleOpen());
}

TEST_F(UnpackTest, NoLeavesNoModuleOpen)
{
    TestHome::writeAll(home.module4(), packed());
    prompter.answers.push_back(Prompter::Answer::No);
    doc->openFromCommandLine(home.module4());
    EXPECT_FALSE(doc->moduleOpen());
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
    EXPECT_EQ(TestHome::readAll(home.module4()), packed());
}

TEST_F(UnpackTest, DamagedStreamChangesNothing)
{
    QByteArray damaged = packed();
    damaged.truncate(damaged.size() - 40);
    for (const QByteArray &bytes : {QByteArray(400, 'x'), damaged}) {
        TestHome::writeAll(home.module4(), bytes);
        prompter.answers.push_back(Prompter::Answer::Yes);
        doc->openFromCommandLine(home.module4());
        EXPECT_EQ(TestHome::readAll(home.module4()), bytes);
        EXPECT_FALSE(doc->moduleOpen());
        restart();
    }
}

} // namespace

namespace {

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

TEST(GzipCodec, AStreamThatUnpacksBeyondAnyModuleIsRefused)
{
    EXPECT_EQ(GzipCodec::decompress(zeroStream(2))->size(), 2 << 20);
    EXPECT_FALSE(GzipCodec::decompress(zeroStream(300)).has_value());
}

} // namespace
