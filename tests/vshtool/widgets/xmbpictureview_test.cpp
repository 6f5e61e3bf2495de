#include "app/mainwindow.h"
#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/preview/picturelayout.h"
#include "vshtool/preview/xmbpicture.h"
#include "vshtool/widgets/swatchview.h"
#include "vshtool/vshtool.h"
#include "vshtool/widgets/vshtoolwindow.h"
#include "vshtool/widgets/xmbpictureview.h"

#include <QAction>
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

Rgb rgbAt(const QImage &image, QPoint at)
{
    const QRgb p = image.pixel(at);
    return Rgb{std::uint8_t(qRed(p)), std::uint8_t(qGreen(p)), std::uint8_t(qBlue(p))};
}

class PreviewWindowTest : public WindowTest
{
protected:
    void SetUp() override
    {
        answerFirstRun();
        start();
        tool = std::make_unique<VshTool>(*doc);
        window->show();
        doc->openFromCommandLine(home.module5());
        ASSERT_NE(window->vshToolWindow(), nullptr);
    }
    XmbPictureView *preview() const { return toolControl<XmbPictureView>("picPreview"); }
    // The preview is the renderer's picture of what the module holds now, for `month`.
    ::testing::AssertionResult shows(int month) const
    {
        const QImage want = XmbPicture::month(tool->VSHreadcolor(), month);
        if (preview()->picture() == want)
            return ::testing::AssertionSuccess();
        return ::testing::AssertionFailure() << "the preview is not the picture of month " << month
                                             << " as the module holds it";
    }
    Rgb optionBar() const { return rgbAt(preview()->picture(), PictureLayout::optionBar().center()); }
    Rgb bothWaves() const { return rgbAt(preview()->picture(), PictureLayout::probes().both); }

    std::unique_ptr<VshTool> tool;
};

TEST_F(PreviewWindowTest, ThePreviewFollowsEveryChangeOfTheColours)
{
    EXPECT_TRUE(preview()->isVisible());
    EXPECT_TRUE(shows(0)) << "January at first";

    // A pick shows its month with the new colour.
    prompter.colours.push_back(Rgb{255, 0, 0});
    QTest::mouseClick(toolControl<QRadioButton>("Option2"), Qt::LeftButton);
    QTest::mouseClick(toolControl<SwatchView>("infopic(4)"), Qt::LeftButton);
    EXPECT_TRUE(shows(4));
    EXPECT_EQ(optionBar(), (Rgb{255, 0, 0}));

    // A cancelled pick still turns to its month.
    prompter.colours.push_back(std::nullopt);
    QTest::mouseClick(toolControl<SwatchView>("infopic(9)"), Qt::LeftButton);
    EXPECT_TRUE(shows(9));

    // A typed alpha: its month, blended anew.
    QTest::mouseClick(toolControl<QRadioButton>("Option4"), Qt::LeftButton);
    const Rgb before = bothWaves();
    auto *alpha = toolControl<QLineEdit>("txtAlphaFront(4)");
    alpha->selectAll();
    QTest::keyClicks(alpha, "1");
    EXPECT_TRUE(shows(4));
    EXPECT_EQ(bothWaves(), tool->VSHreadcolor().wave(ColourTable::WaveFront, 4)->colour) << "opaque front layer";
    EXPECT_NE(bothWaves(), before);

    // All months at once: the month shown stays.
    prompter.colours.push_back(Rgb{0, 0, 255});
    QTest::mouseClick(toolControl<QRadioButton>("Option2"), Qt::LeftButton);
    QTest::mouseClick(toolControl<SwatchView>("infoAll"), Qt::LeftButton);
    EXPECT_TRUE(shows(4));
    EXPECT_EQ(optionBar(), (Rgb{0, 0, 255}));

    // Undo and redo rewrite the module under the window.
    ASSERT_TRUE(doc->undo());
    EXPECT_TRUE(shows(4));
    EXPECT_EQ(optionBar(), (Rgb{255, 0, 0}));
    ASSERT_TRUE(doc->redo());
    EXPECT_EQ(optionBar(), (Rgb{0, 0, 255}));

    // An import, from a preset exported before the blue.
    ASSERT_TRUE(doc->undo());
    const QString preset = home.file("scheme.json");
    prompter.files.push_back(preset);
    QTest::mouseClick(toolControl("cmdExportColours"), Qt::LeftButton);
    ASSERT_TRUE(doc->redo());
    prompter.files.push_back(preset);
    QTest::mouseClick(toolControl("cmdImportColours"), Qt::LeftButton);
    EXPECT_TRUE(shows(4));
    EXPECT_EQ(optionBar(), (Rgb{255, 0, 0}));
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
}

TEST_F(PreviewWindowTest, AClickOnTheStripTurnsToThatMonth)
{
    XmbPictureView *view = preview();
    view->resize(PictureLayout::monthSize());
    QTest::mouseClick(view, Qt::LeftButton, {}, PictureLayout::tile(10).center());
    EXPECT_TRUE(shows(10));
    // Drawn at half size, the tiles are where they are drawn.
    view->resize(PictureLayout::monthSize() / 2);
    QTest::mouseClick(view, Qt::LeftButton, {}, PictureLayout::tile(2).center() / 2);
    EXPECT_TRUE(shows(2));
    QTest::mouseClick(view, Qt::LeftButton, {}, PictureLayout::scene().center() / 2);
    EXPECT_TRUE(shows(2)) << "the scene is no tile";
}

TEST_F(PreviewWindowTest, NoModuleNoPreview)
{
    // A packed module the person does not want unpacked: no module is open afterwards.
    QByteArray plain = DemoFixture::plainModule("4.05");
    const auto packed =
        ModulePacker::assemble(DemoFixture::headerTemplate("4.05"), GzipCodec::compress(plain), plain.size());
    ASSERT_TRUE(packed);
    const QString other = home.file("packed.prx");
    ASSERT_TRUE(TestHome::writeAll(other, *packed));
    prompter.files.push_back(other);
    prompter.answers.push_back(Prompter::Answer::No);
    window->findChild<QAction *>("menuOpenPRX")->trigger();
    ASSERT_FALSE(doc->moduleOpen());
    EXPECT_TRUE(preview()->picture().isNull());
}

TEST_F(PreviewWindowTest, TheWindowWithItsPreviewFitsASmallScreen)
{
    VshToolWindow *tool = window->vshToolWindow();
    const QSize size = tool->sizeHint().expandedTo(tool->minimumSizeHint());
    EXPECT_LE(size.width(), 1366 - 40);
    EXPECT_LE(size.height(), 768 - 100);
}

} // namespace
