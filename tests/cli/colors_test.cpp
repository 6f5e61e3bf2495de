#include "tests/support/testhome.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/preview/picturelayout.h"
#include "vshtool/preview/xmbpicture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <gtest/gtest.h>

#include <sys/stat.h>

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
    CliRun vantor(const QStringList &arguments, const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment())
    {
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(VANTOR_PATH), QStringList{"--home", home.path(), "colors"} + arguments);
        if (!process.waitForFinished(60000))
            process.kill();
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

QRgb at(const QImage &image, QPoint point)
{
    return image.pixel(point) | 0xFF000000u;
}

TEST_F(ColorsCommand, APreviewOfOneMonthOrOfTheYear)
{
    const QString png = home.file("march.png");
    const CliRun march = vantor({home.module5(), "--preview", png, "--month", "3"});
    ASSERT_EQ(march.status, 0) << march.err.toStdString();
    EXPECT_EQ(march.err, QString());
    EXPECT_TRUE(march.out.contains("March")) << march.out.toStdString();
    QImage image(png, "PNG");
    ASSERT_EQ(image.size(), PictureLayout::monthSize());
    // Option month 2 of the demo is (2/11, 0.9, 1 - 2/22), each channel floor(c * 255).
    EXPECT_EQ(at(image, PictureLayout::optionBar().center()), qRgb(46, 229, 231));
    EXPECT_EQ(at(image, PictureLayout::probes().neither), XmbPicture::kBackground);
    EXPECT_NE(at(image, PictureLayout::probes().both), XmbPicture::kBackground);

    // Without --month, all twelve.
    const QString year = home.file("year.png");
    ASSERT_EQ(vantor({home.module5(), "--preview", year}).status, 0);
    image = QImage(year, "PNG");
    ASSERT_EQ(image.size(), PictureLayout::yearSize());
    EXPECT_EQ(at(image, PictureLayout::yearScene(11).topLeft() + PictureLayout::optionBar().center()),
              qRgb(255, 229, 127));
}

TEST_F(ColorsCommand, APreviewNeedsNoDisplayAndSaysWhatAFourHasNot)
{
    // A desktop's choice of platform for windowed programs does not make the command need a display.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("QT_QPA_PLATFORM", "xcb");
    environment.remove("DISPLAY");
    environment.remove("WAYLAND_DISPLAY");
    const QString png = home.file("four.png");
    const CliRun four = vantor({home.module4(), "--preview", png, "--month", "12"}, environment);
    ASSERT_EQ(four.status, 0) << four.err.toStdString();
    EXPECT_EQ(four.err, "vantor: note: firmware 4.05 has no wave tables: they are skipped\n");
    const QImage image(png, "PNG");
    ASSERT_EQ(image.size(), PictureLayout::monthSize());
    const PictureLayout::Probes probes = PictureLayout::probes();
    for (QPoint p : {probes.backOnly, probes.frontOnly, probes.both})
        EXPECT_EQ(at(image, p), XmbPicture::kBackground);
    int written = 0;
    const QRect note = PictureLayout::note();
    for (int y = note.top(); y <= note.bottom(); ++y)
        for (int x = note.left(); x <= note.right(); ++x)
            written += at(image, {x, y}) != XmbPicture::kBackground;
    EXPECT_GT(written, 100) << "the note is written, with fonts found without a display";
}

TEST_F(ColorsCommand, PreviewUsageAndRefusedTargets)
{
    const QString png = home.file("p.png");
    for (const QStringList &arguments :
         {QStringList{home.module5(), "--preview", png, "--month", "0"},
          QStringList{home.module5(), "--preview", png, "--month", "13"},
          QStringList{home.module5(), "--preview", png, "--month", "May"},
          QStringList{home.module5(), "--export", png, "--month", "5"},
          QStringList{home.module5(), "--preview", png, "--export", home.file("x.json")},
          QStringList{home.module5(), "--preview"}}) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const CliRun r = vantor(arguments);
        EXPECT_EQ(r.status, 2);
        EXPECT_TRUE(r.err.contains("usage: vantor colors")) << r.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(png));

    const QString fifo = home.file("out.fifo");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    for (const QString &target : {fifo, home.file("demo"), home.file("no/such/folder/p.png")}) {
        SCOPED_TRACE(target.toStdString());
        const CliRun r = vantor({home.module5(), "--preview", target});
        EXPECT_EQ(r.status, 1);
        EXPECT_TRUE(r.err.startsWith("vantor: no preview was written: ")) << r.err.toStdString();
        EXPECT_TRUE(r.err.contains(target)) << r.err.toStdString();
    }
    struct stat st{};
    ASSERT_EQ(::lstat(QFile::encodeName(fifo).constData(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
    EXPECT_TRUE(QFileInfo(home.file("demo")).isDir());
}

} // namespace
