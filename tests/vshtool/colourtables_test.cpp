#include "vshtest.h"
#include "common/filestamp.h"
#include "vshtool/colourchannel.h"
#include "tests/support/forkedchild.h"
#include "vshtool/vshfiles.h"

#include <cmath>
#include <limits>

using DemoFixture::kFontStart;
using DemoFixture::kOptStart;
using DemoFixture::kWaveStart;
using DemoFixture::kVersion4;
using DemoFixture::kVersion5;

TEST(ColourChannel, ConversionsBetweenSinglesAndChannels)
{
    EXPECT_EQ(ColourChannel::fromComponent(1.0f), 255);
    EXPECT_EQ(ColourChannel::fromComponent(0.5f), 127) << "truncated, not rounded";
    EXPECT_EQ(ColourChannel::fromComponent(0.0f), 0);
    // What a module may hold beyond the nominal range stays a channel.
    EXPECT_EQ(ColourChannel::fromComponent(2.0f), 255);
    EXPECT_EQ(ColourChannel::fromComponent(-1.0f), 0);
    EXPECT_EQ(ColourChannel::fromComponent(std::numeric_limits<float>::quiet_NaN()), 0);

    // A wave (1, 0, 0) at alpha 0.5: floor on read, halves to even after typing.
    EXPECT_EQ(ColourChannel::blended(255, 0.5f), 255);
    EXPECT_EQ(ColourChannel::blended(0, 0.5f), 127);
    EXPECT_EQ(ColourChannel::blendedRounded(0, 0.5), 128);
    EXPECT_EQ(ColourChannel::blendedRounded(1, 0.5), 128) << "128.0 exactly";
    EXPECT_EQ(ColourChannel::blendedRounded(2, 0.5), 128) << "128.5 goes to the even neighbour";
    EXPECT_EQ(ColourChannel::blended(0, 2.0f), 0);

    EXPECT_EQ(ColourChannel::toComponent(255), 1.0f);
    EXPECT_EQ(ColourChannel::toComponent(0), 0.0f);
    for (int k = 0; k <= 255; ++k)
        EXPECT_EQ(ColourChannel::fromComponent(ColourChannel::toComponent(k)), k) << "a picked channel reads back as itself";
}

class ColourTablesTest : public VshTest
{
};

TEST_F(ColourTablesTest, EachComponentComesFromItsOwnKey)
{
    setKey(kVersion5, "RFontStart", "1000");
    setKey(kVersion5, "GFontStart", "1004");
    setKey(kVersion5, "BFontStart", "1008");
    putSingles(kVersion5, 0x1018, {1.0f, 0.5f, 0.25f});
    open(kVersion5);
    const auto at = tool->offsets(ColourTable::Font, 2);
    ASSERT_TRUE(at);
    EXPECT_EQ((*at)[0], 0x1018);
    EXPECT_EQ((*at)[1], 0x101C);
    EXPECT_EQ((*at)[2], 0x1020);
    const auto front = tool->offsets(ColourTable::WaveFront, 1);
    EXPECT_EQ((*front)[3], kWaveStart + 12 + 32 + 16) << "alpha of the front layer";

    ColourTables tables = tool->VSHreadcolor();
    EXPECT_TRUE(tables.complete);
    EXPECT_EQ(tables.swatch(ColourTable::Font, 2), (Rgb{255, 127, 63}));
}

TEST_F(ColourTablesTest, WaveSwatchesBlendOverWhite)
{
    putSingles(kVersion5, kWaveStart, {1.0f, 0.0f, 0.0f, 0.5f});
    open(kVersion5);
    ColourTables tables = tool->VSHreadcolor();
    EXPECT_EQ(tables.swatch(ColourTable::WaveBack, 0), (Rgb{255, 127, 127}));
    EXPECT_EQ(tables.alpha(ColourTable::WaveBack, 0), QStringLiteral("0.5"));

    const AlphaWrite typed = tool->WriteWaveAlpha(ColourTable::WaveBack, 0, "0.5");
    EXPECT_TRUE(typed.written);
    EXPECT_EQ(typed.swatch, (Rgb{255, 128, 128}));
}

TEST_F(ColourTablesTest, TheVersionDecidesWhichTablesAreRead)
{
    open(kVersion4);
    ColourTables four = tool->VSHreadcolor();
    EXPECT_TRUE(four.complete);
    for (int m = 0; m < kMonths; ++m) {
        EXPECT_TRUE(four.swatch(ColourTable::Font, m));
        EXPECT_TRUE(four.swatch(ColourTable::Option, m));
        EXPECT_FALSE(four.swatch(ColourTable::WaveBack, m));
        EXPECT_FALSE(four.alpha(ColourTable::WaveFront, m));
    }
    // Option month 11 of the demo: (1, 0.9, 0.5).
    EXPECT_EQ(four.swatch(ColourTable::Option, 11), (Rgb{255, 229, 127}));

    restart();
    tool = std::make_unique<VshTool>(*doc);
    open(kVersion5);
    ColourTables five = tool->VSHreadcolor();
    EXPECT_TRUE(five.complete);
    EXPECT_EQ(five.alpha(ColourTable::WaveBack, 3), QStringLiteral("0.75"));
    EXPECT_EQ(five.alpha(ColourTable::WaveFront, 3), QStringLiteral("0.5"));
}

TEST_F(ColourTablesTest, ColourAndCategoryFiles)
{
    open(kVersion4);
    EXPECT_EQ(VshFiles::colourFile(*doc), ModuleFiles::Working);
    EXPECT_EQ(VshFiles::categoryFile(*doc), ModuleFiles::Working);

    restart();
    open(kVersion5);
    EXPECT_EQ(VshFiles::colourFile(*doc), ModuleFiles::Held);
    EXPECT_EQ(VshFiles::categoryFile(*doc), ModuleFiles::Held);
    // A section switch keeps the working copy: colours stay in file 2, categories follow the version.
    ASSERT_TRUE(doc->versionEnter(kVersion4));
    EXPECT_EQ(VshFiles::colourFile(*doc), ModuleFiles::Held);
    EXPECT_EQ(VshFiles::categoryFile(*doc), ModuleFiles::Working);
}

TEST_F(ColourTablesTest, AFailedReadKeepsWhatWasReadBefore)
{
    // The option table lacks a key: the font table is read, nothing after it.
    setKey(kVersion5, "GOptStart", "");
    open(kVersion5);
    ColourTables missing = tool->VSHreadcolor();
    EXPECT_FALSE(missing.complete);
    EXPECT_TRUE(missing.swatch(ColourTable::Font, 11));
    EXPECT_FALSE(missing.swatch(ColourTable::Option, 0));

    // A table that runs past the end of the file fails the same way, at the month that does not fit.
    setKey(kVersion5, "GOptStart", QString::number(DemoFixture::moduleSize(kVersion5) - 12 * 6, 16));
    ColourTables past = tool->VSHreadcolor();
    EXPECT_FALSE(past.complete);
    EXPECT_TRUE(past.swatch(ColourTable::Option, 5));
    EXPECT_FALSE(past.swatch(ColourTable::Option, 6));
}

TEST_F(ColourTablesTest, APickWritesThreeSinglesIntoTheModuleAsOpened)
{
    open(kVersion5);
    const QByteArray before = TestHome::readAll(home.module5());
    prompter.colours.push_back(std::nullopt);
    EXPECT_EQ(tool->WriteColor(ColourTable::Font, 0).status, ColourWrite::Status::Cancelled);
    EXPECT_EQ(TestHome::readAll(home.module5()), before) << "a cancelled pick writes nothing";

    prompter.colours.push_back(Rgb{255, 0, 0});
    const ColourWrite red = tool->WriteColor(ColourTable::Font, 0);
    EXPECT_EQ(red.status, ColourWrite::Status::Written);
    EXPECT_EQ(red.colour, (Rgb{255, 0, 0}));
    const QByteArray after = TestHome::readAll(home.module5());
    EXPECT_EQ(after.mid(kFontStart, 12), QByteArray::fromHex("0000803F0000000000000000"));
    for (qint64 at : changed(before, after))
        EXPECT_TRUE(at >= kFontStart && at < kFontStart + 12) << "changed byte at " << at;
    EXPECT_EQ(tool->lastColour(), (Rgb{255, 0, 0})) << "the dialog opens with it next time";

    // The document's own tool, which every tool window is given, keeps it too.
    prompter.colours.push_back(Rgb{0, 255, 0});
    ASSERT_EQ(VshTool::of(*doc).WriteColor(ColourTable::Font, 0).status, ColourWrite::Status::Written);
    EXPECT_EQ(VshTool::of(*doc).lastColour(), (Rgb{0, 255, 0}));

    // The wave pick leaves the alpha alone.
    prompter.colours.push_back(Rgb{0, 0, 255});
    EXPECT_EQ(tool->WriteColor(ColourTable::WaveFront, 1).status, ColourWrite::Status::Written);
    const QByteArray wave = TestHome::readAll(home.module5());
    EXPECT_EQ(wave.mid(kWaveStart + 48, 16), singles({0.0f, 0.0f, 1.0f, 0.5f}));
}

TEST_F(ColourTablesTest, AllMonthsWritesThirtySixSingles)
{
    open(kVersion5);
    const QByteArray before = TestHome::readAll(home.module5());
    prompter.colours.push_back(Rgb{0, 255, 51});
    EXPECT_EQ(tool->WriteColorAllMonths(ColourTable::WaveBack).status, ColourWrite::Status::Written);
    const QByteArray after = TestHome::readAll(home.module5());
    const QByteArray green = singles({0.0f, 1.0f, 0.2f});
    int months = 0;
    for (int m = 0; m < kMonths; ++m) {
        months += after.mid(kWaveStart + 32 * m, 12) == green;
        EXPECT_EQ(after.mid(kWaveStart + 32 * m + 12, 20), before.mid(kWaveStart + 32 * m + 12, 20))
            << "alpha and front layer of month " << m;
    }
    EXPECT_EQ(months, 12);
    EXPECT_LE(changed(before, after).size(), 36u * 4u);
}

TEST_F(ColourTablesTest, AWriteThatDoesNotFitWritesNothing)
{
    // Month 11 of the font table would lie past the end of the module.
    const qint64 size = DemoFixture::moduleSize(kVersion4);
    setKey(kVersion4, "RFontStart", QString::number(size - 12 * 11 - 8, 16));
    setKey(kVersion4, "GFontStart", QString::number(size - 12 * 11 - 4, 16));
    setKey(kVersion4, "BFontStart", QString::number(size - 12 * 11, 16));
    open(kVersion4);
    const QByteArray before = TestHome::readAll(home.module4());
    prompter.colours.push_back(Rgb{1, 2, 3});
    const ColourWrite all = tool->WriteColorAllMonths(ColourTable::Font);
    EXPECT_EQ(all.status, ColourWrite::Status::Refused);
    EXPECT_TRUE(all.why.contains("does not lie inside")) << all.why.toStdString();
    EXPECT_EQ(prompter.count("colour"), 0) << "no colour is asked for that can not be stored";
    EXPECT_EQ(TestHome::readAll(home.module4()), before);

    // A missing key refuses the pick too, rather than writing from offset 0.
    setKey(kVersion4, "ROptStart", "zz");
    EXPECT_EQ(tool->WriteColor(ColourTable::Option, 0).status, ColourWrite::Status::Refused);
    EXPECT_EQ(TestHome::readAll(home.module4()), before);
}

TEST_F(ColourTablesTest, TypedAlphas)
{
    open(kVersion5);
    const qint64 alphaAt = kWaveStart + 32 * 2 + 12;
    for (const char *refused : {"1.5", "abc", "", "-0.1", "0x1"}) {
        const AlphaWrite r = tool->WriteWaveAlpha(ColourTable::WaveBack, 2, QString::fromLatin1(refused));
        EXPECT_FALSE(r.written) << refused;
        EXPECT_EQ(r.stored, QStringLiteral("0.75")) << refused;
    }
    EXPECT_EQ(TestHome::readAll(home.module5()).mid(alphaAt, 4), singles({0.75f}));

    EXPECT_TRUE(tool->WriteWaveAlpha(ColourTable::WaveBack, 2, "0").written);
    EXPECT_EQ(TestHome::readAll(home.module5()).mid(alphaAt, 4), singles({0.0f}));
    EXPECT_TRUE(tool->WriteWaveAlpha(ColourTable::WaveFront, 2, "1e-1").written);
    EXPECT_EQ(TestHome::readAll(home.module5()).mid(alphaAt + 16, 4), singles({0.1f}));
}

TEST_F(ColourTablesTest, FixedClearFromFiveOn)
{
    open(kVersion4);
    const QByteArray four = TestHome::readAll(home.module4());
    EXPECT_EQ(tool->clearFixed(), QString());
    EXPECT_EQ(TestHome::readAll(home.module4()), four) << "nothing below 5.0";

    restart();
    tool = std::make_unique<VshTool>(*doc);
    open(kVersion5);
    EXPECT_EQ(TestHome::readAll(home.module5()).mid(DemoFixture::kFixedClear, 5), QByteArray("VTDMO"));
    EXPECT_EQ(tool->clearFixed(), QString());
    EXPECT_EQ(TestHome::readAll(home.module5()).mid(DemoFixture::kFixedClear, 5), QByteArray(5, '\0'));

    // Opened again, the window clears again: what is clear already is not written.
    const FileStamp cleared = FileStamp::of(home.module5());
    restart();
    tool = std::make_unique<VshTool>(*doc);
    open(kVersion5);
    EXPECT_EQ(tool->clearFixed(), QString());
    EXPECT_TRUE(FileStamp::of(home.module5()).sameStatus(cleared)) << "the module was replaced";
}

TEST_F(ColourTablesTest, ColourWritesSurviveASave)
{
    // Writes into file 2 go into the journal: the scramble-back at Save keeps them,
    // also when no bookmark value changed.
    open(kVersion5);
    prompter.colours.push_back(Rgb{255, 0, 0});
    ASSERT_EQ(tool->WriteColor(ColourTable::Option, 4).status, ColourWrite::Status::Written);
    ASSERT_TRUE(doc->save());
    EXPECT_EQ(TestHome::readAll(home.module5()).mid(kOptStart + 48, 12), singles({1.0f, 0.0f, 0.0f}));

    prompter.colours.push_back(Rgb{0, 0, 255});
    ASSERT_EQ(tool->WriteColor(ColourTable::Option, 4).status, ColourWrite::Status::Written);
    doc->model().setCell(0, BookmarkRow::Value, "2.5");
    ASSERT_TRUE(doc->save());
    const QByteArray stored = TestHome::readAll(home.module5());
    EXPECT_EQ(stored.mid(kOptStart + 48, 12), singles({0.0f, 0.0f, 1.0f}));
    EXPECT_EQ(stored.mid(DemoFixture::kDataOffset + 0x10, 4), singles({2.5f}));
}

TEST_F(ColourTablesTest, AReadOnlyModuleTakesNoColour)
{
    // Opened by another user, the module can only be read: the pick says so and writes nothing.
    QFile::setPermissions(home.path(), QFile::Permissions(0x7755));
    QFile::setPermissions(home.module4(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const QByteArray before = TestHome::readAll(home.module4());
    ForkedChild child;
    child.asNobody = true;
    const ForkedChild::Result result = child.run([&] {
        doc->openFromCommandLine(home.module4());
        prompter.colours.push_back(Rgb{1, 2, 3});
        const ColourWrite write = tool->WriteColor(ColourTable::Font, 0);
        const AlphaWrite alpha = tool->WriteWaveAlpha(ColourTable::WaveBack, 0, "0.5");
        const bool told = write.status == ColourWrite::Status::Refused && write.why.endsWith("is read-only") &&
                          prompter.count("colour") == 0 && !alpha.written;
        return QByteArray(told ? "refused" : write.why.toUtf8());
    });
    EXPECT_TRUE(result.exitedNormally);
    EXPECT_EQ(result.output, QByteArray("refused"));
    EXPECT_EQ(TestHome::readAll(home.module4()), before);
}
