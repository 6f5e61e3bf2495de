#include "vshtest.h"
#include "vshtool/colourpreset.h"
#include "vshtool/presettransfer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>
#include <limits>

using DemoFixture::kFontStart;
using DemoFixture::kOptStart;
using DemoFixture::kWaveStart;
using DemoFixture::kVersion4;
using DemoFixture::kVersion5;

class PresetTest : public VshTest
{
protected:
    QString presetPath() const { return home.file("scheme.json"); }
    void reopen(const QString &version)
    {
        doc->closeModule();
        restart();
        tool = std::make_unique<VshTool>(*doc);
        open(version);
    }
};

TEST_F(PresetTest, ASchemeMovesFromFourToFive)
{
    // A 4.05 scheme whose font differs from the 5.00 one.
    putSingles(kVersion4, kFontStart + 12 * 3, {0.25f, 0.5f, 0.75f});
    setKey(kVersion5, "RFontStart", QString::number(kFontStart + 0x40, 16));
    setKey(kVersion5, "GFontStart", QString::number(kFontStart + 0x44, 16));
    setKey(kVersion5, "BFontStart", QString::number(kFontStart + 0x48, 16));
    open(kVersion4);
    QStringList notes;
    ASSERT_EQ(PresetTransfer::exportTo(*tool, presetPath(), notes), QString());
    EXPECT_EQ(notes, QStringList{"firmware 4.05 has no wave tables: they are skipped"});
    const ColourTables four = tool->VSHreadcolor();

    reopen(kVersion5);
    const QByteArray wavesBefore = TestHome::readAll(home.module5()).mid(kWaveStart, 32 * 12);
    notes.clear();
    ASSERT_EQ(PresetTransfer::importFrom(*tool, presetPath(), notes), QString());
    EXPECT_TRUE(notes.isEmpty());
    ColourTables five = tool->VSHreadcolor();
    for (int m = 0; m < kMonths; ++m) {
        EXPECT_EQ(five.swatch(ColourTable::Font, m), four.swatches[0][size_t(m)]) << "font, month " << m;
        EXPECT_EQ(five.swatch(ColourTable::Option, m), four.swatches[1][size_t(m)]) << "option, month " << m;
    }
    const QByteArray module = TestHome::readAll(home.module5());
    EXPECT_EQ(module.mid(kFontStart + 0x40 + 36, 12), singles({0.25f, 0.5f, 0.75f})) << "at the 5.00 keys";
    EXPECT_EQ(module.mid(kWaveStart, 32 * 12), wavesBefore) << "a scheme without waves leaves them";
}

TEST_F(PresetTest, ExportThenImportChangesNoByte)
{
    // Singles that no short decimal gives back exactly.
    putSingles(kVersion5, kOptStart, {1.0f / 3.0f, -0.0f, std::numeric_limits<float>::quiet_NaN()});
    putSingles(kVersion5, kWaveStart + 16, {std::numeric_limits<float>::infinity(), 1e-40f, 0.1f, 2.5f});
    open(kVersion5);
    QStringList notes;
    ASSERT_EQ(PresetTransfer::exportTo(*tool, presetPath(), notes), QString());
    const QByteArray json = TestHome::readAll(presetPath());
    EXPECT_TRUE(json.contains("\"month\": \"December\""));
    EXPECT_TRUE(json.contains("\"red\": 0.33333334")) << "the shortest text of the single";

    // Another scheme in between, then the exported one back.
    for (ColourTable t : kColourTables) {
        prompter.colours.push_back(Rgb{9, 9, 9});
        ASSERT_EQ(tool->WriteColorAllMonths(t).status, ColourWrite::Status::Written);
    }
    ASSERT_EQ(PresetTransfer::importFrom(*tool, presetPath(), notes), QString());
    ASSERT_EQ(PresetTransfer::exportTo(*tool, home.file("again.json"), notes), QString());
    EXPECT_EQ(TestHome::readAll(home.file("again.json")), json);
    const QByteArray module = TestHome::readAll(home.module5());
    EXPECT_EQ(module.mid(kOptStart, 12).toHex(), QByteArray("abaaaa3e000000800000c07f"));
    EXPECT_EQ(module.mid(kWaveStart + 16, 16), singles({std::numeric_limits<float>::infinity(), 1e-40f, 0.1f, 2.5f}));
}

TEST_F(PresetTest, ImportingIsAllOrNothing)
{
    open(kVersion5);
    QStringList notes;
    ASSERT_EQ(PresetTransfer::exportTo(*tool, presetPath(), notes), QString());
    const QByteArray before = TestHome::readAll(home.module5());
    QJsonObject root = QJsonDocument::fromJson(TestHome::readAll(presetPath())).object();

    struct Case
    {
        const char *name;
        std::function<void(QJsonObject &)> spoil;
        const char *why;
    };
    const Case cases[] = {
        {"eleven months", [](QJsonObject &o) {
             auto a = o["font"].toArray(); a.removeLast(); o["font"] = a; }, "\"font\" does not hold twelve months"},
        {"a component missing", [](QJsonObject &o) {
             auto a = o["waveFront"].toArray(); auto m = a[4].toObject(); m.remove("alpha"); a[4] = m; o["waveFront"] = a; },
         "\"waveFront\", May: \"alpha\" is missing or not a number"},
        {"beyond a single", [](QJsonObject &o) {
             auto a = o["option"].toArray(); auto m = a[0].toObject(); m["red"] = 1e300; a[0] = m; o["option"] = a; },
         "\"option\", January: \"red\" is missing or not a number"},
        {"another file", [](QJsonObject &o) { o["format"] = "something"; }, "it is not a colour preset"},
        {"a later format", [](QJsonObject &o) { o["formatVersion"] = 2; },
         "its format version 2 is unknown: this program reads version 1"},
        {"no format version", [](QJsonObject &o) { o.remove("formatVersion"); }, "it names no \"formatVersion\""},
        {"an unknown table", [](QJsonObject &o) { o["waveMiddle"] = o["waveBack"]; },
         "it holds \"waveMiddle\", which is no table this program knows"},
        {"an unknown month", [](QJsonObject &o) {
             auto a = o["option"].toArray(); auto m = a[3].toObject(); m["month"] = "Smarch"; a[3] = m; o["option"] = a; },
         "\"option\", April: the month \"Smarch\" is unknown"},
        {"months out of order", [](QJsonObject &o) {
             auto a = o["font"].toArray(); const auto first = a[0]; a[0] = a[1]; a[1] = first; o["font"] = a; },
         "\"font\": \"February\" stands where January belongs"},
    };
    for (const Case &c : cases) {
        QJsonObject spoilt = root;
        c.spoil(spoilt);
        ASSERT_TRUE(TestHome::writeAll(home.file("bad.json"), QJsonDocument(spoilt).toJson()));
        const QString why = PresetTransfer::importFrom(*tool, home.file("bad.json"), notes);
        EXPECT_TRUE(why.contains(QLatin1String(c.why))) << c.name << ": " << why.toStdString();
        EXPECT_EQ(TestHome::readAll(home.module5()), before) << c.name;
    }
    ASSERT_TRUE(TestHome::writeAll(home.file("bad.json"), "{\"format\": \"vantor-colours\", "));
    EXPECT_TRUE(PresetTransfer::importFrom(*tool, home.file("bad.json"), notes).contains("is not JSON"));
    EXPECT_TRUE(PresetTransfer::importFrom(*tool, home.file("none.json"), notes).startsWith("Can not read"));

    // A table whose keys the section lacks: the tables before it are not written either.
    setKey(kVersion5, "BWaveStart", "Default");
    prompter.colours.push_back(Rgb{0, 0, 0});
    ASSERT_EQ(tool->WriteColorAllMonths(ColourTable::Font).status, ColourWrite::Status::Written);
    const QByteArray black = TestHome::readAll(home.module5());
    EXPECT_TRUE(PresetTransfer::importFrom(*tool, presetPath(), notes).contains("gives no BWaveStart"));
    EXPECT_EQ(TestHome::readAll(home.module5()), black);
    EXPECT_NE(black, before);
}

TEST_F(PresetTest, WavesOfAFiveSchemeAreSkippedBelowFive)
{
    putSingles(kVersion5, kOptStart, {0.125f, 0.25f, 0.375f});
    open(kVersion5);
    QStringList notes;
    ASSERT_EQ(PresetTransfer::exportTo(*tool, presetPath(), notes), QString());
    EXPECT_TRUE(notes.isEmpty());
    reopen(kVersion4);
    const QByteArray before = TestHome::readAll(home.module4());
    ASSERT_EQ(PresetTransfer::importFrom(*tool, presetPath(), notes), QString());
    EXPECT_EQ(notes, QStringList{"firmware 4.05 has no wave tables: they are skipped"}) << "one note for both layers";
    const QByteArray after = TestHome::readAll(home.module4());
    EXPECT_EQ(after.mid(kOptStart, 12), singles({0.125f, 0.25f, 0.375f}));
    for (qint64 at : changed(before, after))
        EXPECT_TRUE(at >= kOptStart && at < kOptStart + 12) << "changed byte at " << at;
}
