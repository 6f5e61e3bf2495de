#include "tests/vshtool/vshtest.h"
#include "vshtool/preview/picturelayout.h"
#include "vshtool/preview/xmbpicture.h"

#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace {

using PictureLayout::Layer;

struct Wave
{
    Rgb colour;
    float alpha;
};

// Tables as a read of a 5.00 module gives them, every month in colours of its own.
ColourTables tablesOf(bool waves = true)
{
    ColourTables t;
    t.waveTables = waves;
    t.complete = true;
    for (int m = 0; m < kMonths; ++m) {
        const auto k = std::uint8_t(m * 20);
        t.swatch(ColourTable::Font, m) = Rgb{250, std::uint8_t(10 + k), 20};
        t.swatch(ColourTable::Option, m) = Rgb{10, 200, std::uint8_t(30 + k)};
        if (waves) {
            t.wave(ColourTable::WaveBack, m) = WaveColour{Rgb{200, 40, std::uint8_t(k)}, 0.6f};
            t.wave(ColourTable::WaveFront, m) = WaveColour{Rgb{std::uint8_t(k), 60, 230}, 0.35f};
        }
    }
    return t;
}

Rgb rgbAt(const QImage &image, QPoint at)
{
    const QRgb p = image.pixel(at);
    return Rgb{std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p))};
}

const Rgb kBackground{std::uint8_t(qRed(XmbPicture::kBackground)), std::uint8_t(qGreen(XmbPicture::kBackground)),
                      std::uint8_t(qBlue(XmbPicture::kBackground))};

// Source over: alpha * colour + (1 - alpha) * what lies beneath, per channel, unrounded.
std::array<double, 3> over(std::array<double, 3> under, Rgb colour, double alpha)
{
    const double c[3] = {double(colour.red), double(colour.green), double(colour.blue)};
    for (size_t k = 0; k < 3; ++k)
        under[k] = alpha * c[k] + (1 - alpha) * under[k];
    return under;
}

std::array<double, 3> channels(Rgb c)
{
    return {double(c.red), double(c.green), double(c.blue)};
}

::testing::AssertionResult near(Rgb got, std::array<double, 3> want)
{
    const int g[3] = {got.red, got.green, got.blue};
    for (size_t k = 0; k < 3; ++k)
        if (std::abs(g[k] - want[k]) > 1.0)
            return ::testing::AssertionFailure() << "got (" << g[0] << ", " << g[1] << ", " << g[2] << "), want ("
                                                 << want[0] << ", " << want[1] << ", " << want[2] << ")";
    return ::testing::AssertionSuccess();
}

bool isBackground(const QImage &image, QPoint at)
{
    return rgbAt(image, at) == kBackground;
}

// How many pixels of `area` have exactly `colour`.
int count(const QImage &image, QRect area, Rgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += rgbAt(image, {x, y}) == colour;
    return n;
}

TEST(PictureLayoutTest, ProbesLieWhereTheirBandsSayAndClearOfTheOtherParts)
{
    const PictureLayout::Probes probes = PictureLayout::probes();
    const QPoint points[4] = {probes.backOnly, probes.frontOnly, probes.both, probes.neither};
    const bool inBack[4] = {true, false, true, false};
    const bool inFront[4] = {false, true, true, false};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const QPoint p = points[i];
        EXPECT_TRUE(PictureLayout::scene().contains(p));
        EXPECT_FALSE(PictureLayout::optionBar().contains(p));
        EXPECT_FALSE(PictureLayout::menuText().contains(p));
        // Four pixels of margin in every direction.
        for (int dx : {-4, 0, 4})
            for (int dy : {-4, 0, 4}) {
                const double x = p.x() + 0.5 + dx;
                const double y = p.y() + 0.5 + dy;
                EXPECT_EQ(y > PictureLayout::waveTop(Layer::Back, x) && y < PictureLayout::waveBottom(Layer::Back, x),
                          inBack[i]);
                EXPECT_EQ(y > PictureLayout::waveTop(Layer::Front, x) && y < PictureLayout::waveBottom(Layer::Front, x),
                          inFront[i]);
            }
    }
    EXPECT_TRUE(PictureLayout::waveArea().contains(probes.both));
    EXPECT_FALSE(PictureLayout::waveArea().intersects(PictureLayout::menuText()));
}

TEST(XmbPictureTest, EachPartOfAMonthInItsColourWithBlendedWaves)
{
    const ColourTables t = tablesOf();
    const int month = 3;
    const QImage image = XmbPicture::month(t, month);
    ASSERT_EQ(image.size(), PictureLayout::monthSize());
    const PictureLayout::Probes probes = PictureLayout::probes();
    const WaveColour back = *t.wave(ColourTable::WaveBack, month);
    const WaveColour front = *t.wave(ColourTable::WaveFront, month);

    EXPECT_EQ(rgbAt(image, PictureLayout::optionBar().center()), *t.swatch(ColourTable::Option, month));
    EXPECT_TRUE(isBackground(image, probes.neither));
    const auto backOverDark = over(channels(kBackground), back.colour, back.alpha);
    EXPECT_TRUE(near(rgbAt(image, probes.backOnly), backOverDark));
    EXPECT_TRUE(near(rgbAt(image, probes.frontOnly), over(channels(kBackground), front.colour, front.alpha)));
    EXPECT_TRUE(near(rgbAt(image, probes.both), over(backOverDark, front.colour, front.alpha)))
        << "the front layer over the back one";
    // The words are antialiased at their edges; their strokes are the font colour itself.
    EXPECT_GT(count(image, PictureLayout::menuText(), *t.swatch(ColourTable::Font, month)), 40);
}

QStringList warnings;

TEST(XmbPictureTest, AlphaOutsideZeroToOneIsHeldToItsEnds)
{
    ColourTables t = tablesOf();
    const PictureLayout::Probes probes = PictureLayout::probes();
    t.wave(ColourTable::WaveBack, 0)->alpha = 1.5f;
    t.wave(ColourTable::WaveFront, 0)->alpha = -2.0f;
    // Quietly: `vantor colors --preview` would print every complaint of Qt's.
    warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(
        [](QtMsgType, const QMessageLogContext &, const QString &text) { warnings << text; });
    QImage image = XmbPicture::year(t);
    qInstallMessageHandler(previous);
    EXPECT_EQ(warnings, QStringList());
    image = XmbPicture::month(t, 0);
    EXPECT_EQ(rgbAt(image, probes.both), t.wave(ColourTable::WaveBack, 0)->colour);
    EXPECT_EQ(rgbAt(image, probes.frontOnly), kBackground);

    t.wave(ColourTable::WaveBack, 0)->alpha = std::numeric_limits<float>::quiet_NaN();
    image = XmbPicture::month(t, 0);
    EXPECT_EQ(rgbAt(image, probes.backOnly), kBackground) << "NaN draws nothing";
}

TEST(XmbPictureTest, WhatATableLacksIsLeftOut)
{
    ColourTables t = tablesOf();
    t.swatch(ColourTable::Option, 5).reset();
    t.swatch(ColourTable::Font, 5).reset();
    t.wave(ColourTable::WaveFront, 5).reset();
    const QImage image = XmbPicture::month(t, 5);
    EXPECT_TRUE(isBackground(image, PictureLayout::optionBar().topLeft() + QPoint(4, 4)));
    EXPECT_EQ(count(image, PictureLayout::menuText(), kBackground), PictureLayout::menuText().width() *
                                                                          PictureLayout::menuText().height());
    const WaveColour back = *t.wave(ColourTable::WaveBack, 5);
    EXPECT_TRUE(near(rgbAt(image, PictureLayout::probes().both), over(channels(kBackground), back.colour, back.alpha)));
}

TEST(XmbPictureTest, TheStripShowsEveryMonthInOrderAndMarksTheOneShown)
{
    const ColourTables t = tablesOf();
    const QImage image = XmbPicture::month(t, 7);
    const QRect bar = PictureLayout::optionBar();
    for (int m = 0; m < kMonths; ++m) {
        SCOPED_TRACE(m);
        // The middle of the option bar, scaled into the tile.
        const QRect tile = PictureLayout::tile(m);
        const QPoint at(tile.left() + bar.center().x() * tile.width() / PictureLayout::kSceneWidth,
                        tile.top() + tile.height() / 2);
        EXPECT_EQ(rgbAt(image, at), *t.swatch(ColourTable::Option, m));
        EXPECT_EQ(PictureLayout::monthAt(tile.center()), m);
        EXPECT_EQ(PictureLayout::monthAt(PictureLayout::tileLabel(m).center()), m);
    }
    // The marked tile has a frame unlike the strip around the others.
    const auto beside = [&](int m) { return rgbAt(image, PictureLayout::tile(m).topLeft() + QPoint(-1, 8)); };
    EXPECT_NE(beside(7), beside(6));
    EXPECT_EQ(beside(6), beside(8));
    EXPECT_EQ(PictureLayout::monthAt(PictureLayout::scene().center()), std::nullopt);
}

TEST(XmbPictureTest, TheYearIsAGridOfTheTwelveScenes)
{
    const ColourTables t = tablesOf();
    const QImage image = XmbPicture::year(t);
    ASSERT_EQ(image.size(), PictureLayout::yearSize());
    const PictureLayout::Probes probes = PictureLayout::probes();
    for (int m = 0; m < kMonths; ++m) {
        SCOPED_TRACE(m);
        const QPoint origin = PictureLayout::yearScene(m).topLeft();
        EXPECT_TRUE(QRect(QPoint(), image.size()).contains(PictureLayout::yearCaption(m)));
        EXPECT_EQ(rgbAt(image, origin + PictureLayout::optionBar().center()), *t.swatch(ColourTable::Option, m));
        const WaveColour back = *t.wave(ColourTable::WaveBack, m);
        const WaveColour front = *t.wave(ColourTable::WaveFront, m);
        EXPECT_TRUE(near(rgbAt(image, origin + probes.both),
                         over(over(channels(kBackground), back.colour, back.alpha), front.colour, front.alpha)));
    }
    for (int m = 1; m < kMonths; ++m)
        EXPECT_FALSE(PictureLayout::yearScene(m).intersects(PictureLayout::yearScene(m - 1)));
}

// The pictures of the demo modules, read as the window and the command read them.
class ModulePictureTest : public VshTest
{
protected:
    // No pixel of the waves' place but the note's is anything but background.
    static bool wavesLeftOut(const QImage &image)
    {
        const QRect area = PictureLayout::waveArea();
        const QRect note = PictureLayout::note();
        for (int y = area.top(); y <= area.bottom(); ++y)
            for (int x = area.left(); x <= area.right(); ++x)
                if (!note.contains(x, y) && !isBackground(image, {x, y}))
                    return false;
        return true;
    }
};

TEST_F(ModulePictureTest, BeforeFirmwareFiveTheWavesAreLeftOutAndThePictureSaysSo)
{
    open(DemoFixture::kVersion4);
    const ColourTables four = tool->VSHreadcolor();
    ASSERT_TRUE(four.complete);
    EXPECT_FALSE(four.waveTables);
    const QImage image = XmbPicture::month(four, 11);
    EXPECT_TRUE(wavesLeftOut(image));
    EXPECT_LT(count(image, PictureLayout::note(), kBackground), PictureLayout::note().width() * PictureLayout::note().height())
        << "the note is written";
    // Option month 11 of the demo is (1, 0.9, 0.5).
    EXPECT_EQ(rgbAt(image, PictureLayout::optionBar().center()), (Rgb{255, 229, 127}));

    open(DemoFixture::kVersion5);
    const ColourTables five = tool->VSHreadcolor();
    EXPECT_TRUE(five.waveTables);
    EXPECT_FALSE(wavesLeftOut(XmbPicture::month(five, 11)));
    // The back wave of month 11 is the option colour at alpha 0.75, unblended in the tables.
    EXPECT_EQ(five.wave(ColourTable::WaveBack, 11)->colour, (Rgb{255, 229, 127}));
    EXPECT_EQ(five.wave(ColourTable::WaveBack, 11)->alpha, 0.75f);
    EXPECT_EQ(five.swatch(ColourTable::WaveBack, 11), (Rgb{255, 235, 159})) << "the swatch stays blended over white";
}

} // namespace
