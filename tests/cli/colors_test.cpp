#include "tests/support/testhome.h"
#include "tools/mkdemo/demofixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

using DemoFixture::kFontStart;
using DemoFixture::kOptStart;
using DemoFixture::kWaveStart;

struct CliRun
{
    int status = -1;
    QString out;
    QString err;
};

class ColorsCommand : public ::testing::Test
{
protected:
    void SetUp() override { home.answerAssociation(); }
    CliRun vantor(const QStringList &arguments)
    {
        QProcess process;
        process.start(QStringLiteral(VANTOR_PATH), QStringList{"--home", home.path(), "colors"} + arguments);
        process.waitForFinished(-1);
        return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
                QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
    }
    QString preset() const { return home.file("scheme.json"); }

    TestHome home;
};

TEST_F(ColorsCommand, ASchemeFromFourGoesIntoFive)
{
    // Give the 4.05 demo a scheme of its own.
    QByteArray four = TestHome::readAll(home.module4());
    for (int m = 0; m < 12; ++m)
        four.replace(kFontStart + 12 * m, 4, QByteArray::fromHex("0000003F")); // red 0.5
    ASSERT_TRUE(TestHome::writeAll(home.module4(), four));

    const CliRun exported = vantor({home.module4(), "--export", preset()});
    ASSERT_EQ(exported.status, 0) << exported.err.toStdString();
    EXPECT_TRUE(exported.err.contains("vantor: note: firmware 4.05 has no wave tables: they are skipped"));
    const QJsonObject json = QJsonDocument::fromJson(TestHome::readAll(preset())).object();
    EXPECT_EQ(json["font"].toArray()[11].toObject()["red"].toDouble(), 0.5);
    EXPECT_FALSE(json.contains("waveBack"));

    const QByteArray waves = TestHome::readAll(home.module5()).mid(kWaveStart, 384);
    const CliRun imported = vantor({home.module5(), "--import", preset()});
    ASSERT_EQ(imported.status, 0) << imported.err.toStdString();
    EXPECT_EQ(imported.err, QString());
    const QByteArray five = TestHome::readAll(home.module5());
    EXPECT_EQ(five.mid(kFontStart, 144), four.mid(kFontStart, 144));
    EXPECT_EQ(five.mid(kOptStart, 144), four.mid(kOptStart, 144));
    EXPECT_EQ(five.mid(kWaveStart, 384), waves);
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin"))) << "the working copy goes with the session";
}

TEST_F(ColorsCommand, ExportThenImportChangesNoByte)
{
    ASSERT_EQ(vantor({home.module5(), "--export", preset()}).status, 0);
    const QByteArray before = TestHome::readAll(home.module5());
    const CliRun again = vantor({home.module5(), "--import", preset()});
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(TestHome::readAll(home.module5()), before);
}

TEST_F(ColorsCommand, FailuresAndUsage)
{
    EXPECT_EQ(vantor({home.module5()}).status, 2);
    EXPECT_EQ(vantor({home.module5(), "--export", preset(), "--import", preset()}).status, 2);

    ASSERT_TRUE(TestHome::writeAll(preset(), "{}"));
    const QByteArray before = TestHome::readAll(home.module5());
    const CliRun bad = vantor({home.module5(), "--import", preset()});
    EXPECT_EQ(bad.status, 1);
    EXPECT_TRUE(bad.err.startsWith("vantor: nothing was imported: ")) << bad.err.toStdString();
    EXPECT_EQ(TestHome::readAll(home.module5()), before);

    // The export file is written whole or not at all: into a missing folder, not at all.
    const CliRun nowhere = vantor({home.module5(), "--export", home.file("no/such/folder/x.json")});
    EXPECT_EQ(nowhere.status, 1);
    EXPECT_TRUE(nowhere.err.contains("nothing was exported")) << nowhere.err.toStdString();
}

} // namespace
