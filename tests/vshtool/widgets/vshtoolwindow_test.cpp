#include "app/mainwindow.h"
#include "common/inifile.h"
#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "document/prxdocument.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/littleendian.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"
#include "tools/mkdemo/demofixture.h"
#include "vshtool/widgets/swatchview.h"
#include "vshtool/widgets/vshtoolwindow.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QRadioButton>
#include <QTest>
#include <QtEndian>
#include <cstring>
#include <gtest/gtest.h>

namespace {

using DemoFixture::kBeginOffset;
using DemoFixture::kFontStart;
using DemoFixture::kOptStart;
using DemoFixture::kWaveStart;

using LittleEndian::singles;

class VshToolWindowTest : public WindowTest
{
protected:
    void SetUp() override
    {
        answerFirstRun();
        start();
        window->show();
    }
    void open(const QString &module)
    {
        doc->openFromCommandLine(module);
        ASSERT_NE(tool(), nullptr);
    }
    VshToolWindow *tool() const { return window->vshToolWindow(); }
    SwatchView *swatch(const QString &name) const { return toolControl<SwatchView>(name); }
    QAction *menuItem() const { return window->findChild<QAction *>("menuViewCOlor"); }
    QByteArray module() const { return TestHome::readAll(home.module5()); }

};

TEST_F(VshToolWindowTest, OpeningAVshmainShowsTheFilledWindow)
{
    open(home.module5());
    EXPECT_EQ(tool()->objectName(), "Form2");
    EXPECT_EQ(tool()->windowTitle(), "VSHmain Tool");
    EXPECT_TRUE(tool()->isVisible());
    EXPECT_TRUE(menuItem()->isChecked());
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();

    // Option month 11 of the demo is (1, 0.9, 0.5); its back wave the same at alpha 0.75.
    EXPECT_EQ(swatch("infopic(11)")->colour(), (Rgb{255, 229, 127}));
    EXPECT_EQ(swatch("WavePic(11)")->colour(), (Rgb{255, 235, 159}));
    EXPECT_EQ(toolControl<QLineEdit>("txtAlpha(11)")->text(), "0.75");
    EXPECT_EQ(toolControl<QLineEdit>("txtAlphaFront(0)")->text(), "0.5");
    EXPECT_EQ(module().mid(DemoFixture::kFixedClear, 5), QByteArray(5, '\0'));

    QStringList months;
    for (const QLabel *label : toolControl("Frame6")->findChildren<QLabel *>())
        months << label->text();
    EXPECT_EQ(months.mid(0, 12), (QStringList{"January", "February", "March", "April", "May", "June", "July",
                                              "August", "September", "October", "November", "December"}));

    // The option buttons show one panel each.
    const char *frames[] = {"Frame6", "Frame1", "Frame3", "Frame5"};
    for (int i = 0; i < 4; ++i) {
        QTest::mouseClick(toolControl<QRadioButton>(QStringLiteral("Option%1").arg(i + 1)), Qt::LeftButton);
        for (int f = 0; f < 4; ++f)
            EXPECT_EQ(toolControl(QLatin1String(frames[f]))->isVisible(), f == i) << i << " " << f;
    }

    // The category lists come from the section; record 0 of the demo is disabled.
    auto *sub = toolControl<QComboBox>("cmbSub");
    EXPECT_EQ(sub->count(), DemoFixture::subMenuItems().size());
    EXPECT_EQ(sub->currentText(), "Network Update");
    EXPECT_EQ(toolControl<QComboBox>("cmbMain")->currentText(), "Settings");
    EXPECT_FALSE(toolControl("cmbMain")->isEnabled());
    EXPECT_EQ(toolControl<QCheckBox>("chkXMB")->checkState(), Qt::Unchecked);
}

// A tool window of the main window stays above it when a colour dialog or a
// message has given the main window the focus; a window manager keeps it so
// only when it is mapped after the main window.
TEST_F(VshToolWindowTest, IsAToolWindowOfTheMainWindowShownAfterIt)
{
    window->hide();
    open(home.module5());
    EXPECT_EQ(tool()->parentWidget(), window.get());
    EXPECT_EQ(tool()->windowType(), Qt::Tool);
    EXPECT_FALSE(tool()->isVisible()) << "not before the main window";
    window->show();
    EXPECT_FALSE(tool()->isVisible()) << "not in the main window's show event, before it is mapped";
    QCoreApplication::processEvents();
    EXPECT_TRUE(tool()->isVisible());
    EXPECT_TRUE(menuItem()->isChecked());

    // Hidden with its menu item, it stays hidden when the main window is shown again.
    menuItem()->trigger();
    window->hide();
    window->show();
    QCoreApplication::processEvents();
    EXPECT_FALSE(tool()->isVisible());
}

TEST_F(VshToolWindowTest, TheMenuItemHidesShowsAndRecreates)
{
    open(home.module5());
    QPointer<VshToolWindow> first = tool();
    menuItem()->trigger();
    EXPECT_FALSE(menuItem()->isChecked());
    EXPECT_FALSE(first->isVisible());
    menuItem()->trigger();
    EXPECT_TRUE(first->isVisible()) << "hidden, not gone";

    // The close box ends the window; the menu item makes a new one, which clears again.
    doc->files().write(ModuleFiles::Held, DemoFixture::kFixedClear, "ABCDE");
    first->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(first.isNull());
    EXPECT_FALSE(menuItem()->isChecked());
    menuItem()->trigger();
    ASSERT_NE(tool(), nullptr);
    EXPECT_TRUE(tool()->isVisible());
    EXPECT_EQ(module().mid(DemoFixture::kFixedClear, 5), QByteArray(5, '\0'));
    EXPECT_EQ(swatch("infopic(11)")->colour(), (Rgb{255, 229, 127})) << "read when shown";
}

TEST_F(VshToolWindowTest, PickingColours)
{
    open(home.module5());
    const QByteArray before = module();
    const Rgb shown = swatch("pic(0)")->colour();
    prompter.colours.push_back(std::nullopt);
    QTest::mouseClick(swatch("pic(0)"), Qt::LeftButton);
    EXPECT_EQ(prompter.count("colour"), 1);
    EXPECT_EQ(module(), before) << "a cancelled pick writes nothing";
    EXPECT_EQ(swatch("pic(0)")->colour(), shown);

    prompter.colours.push_back(Rgb{255, 0, 0});
    QTest::mouseClick(swatch("pic(2)"), Qt::LeftButton);
    EXPECT_EQ(module().mid(kFontStart + 24, 12), QByteArray::fromHex("0000803F0000000000000000"));
    EXPECT_EQ(swatch("pic(2)")->colour(), (Rgb{255, 0, 0}));
    prompter.colours.push_back(Rgb{255, 0, 0});
    QTest::mouseClick(swatch("pic(0)"), Qt::LeftButton);
    EXPECT_EQ(module().mid(kFontStart, 12), QByteArray::fromHex("0000803F0000000000000000"));
    EXPECT_EQ(swatch("pic(0)")->colour(), (Rgb{255, 0, 0}));

    // A single wave month is shown blended after the pick; all months unblended.
    QTest::mouseClick(toolControl<QRadioButton>("Option3"), Qt::LeftButton);
    prompter.colours.push_back(Rgb{0, 0, 0});
    QTest::mouseClick(swatch("WavePic(1)"), Qt::LeftButton);
    EXPECT_EQ(swatch("WavePic(1)")->colour(), (Rgb{63, 63, 63})) << "black at alpha 0.75";
    prompter.colours.push_back(Rgb{0, 0, 0});
    QTest::mouseClick(swatch("WavePicAll"), Qt::LeftButton);
    for (int m = 0; m < 12; ++m)
        EXPECT_EQ(swatch(QStringLiteral("WavePic(%1)").arg(m))->colour(), (Rgb{0, 0, 0}));
    EXPECT_EQ(swatch("WavePicAll")->colour(), (Rgb{0, 0, 0}));
    EXPECT_EQ(module().mid(kWaveStart + 32 * 5 + 12, 4), singles({0.75f})) << "no alpha changes";

    prompter.colours.push_back(Rgb{0, 51, 255});
    QTest::mouseClick(toolControl<QRadioButton>("Option2"), Qt::LeftButton);
    QTest::mouseClick(swatch("infoAll"), Qt::LeftButton);
    for (int m = 0; m < 12; ++m) {
        EXPECT_EQ(swatch(QStringLiteral("infopic(%1)").arg(m))->colour(), (Rgb{0, 51, 255}));
        EXPECT_EQ(module().mid(kOptStart + 12 * m, 12), singles({0.0f, 0.2f, 1.0f}));
    }
    EXPECT_TRUE(prompter.messages().isEmpty());

    // Each colour dialog says what it colours.
    QStringList titles;
    for (const FakePrompter::Call &call : prompter.calls)
        if (call.kind == "colour")
            titles << call.title;
    EXPECT_EQ(titles, (QStringList{"January: font colour", "March: font colour", "January: font colour",
                                   "February: back wave colour", "All months: back wave colour",
                                   "All months: option bar colour"}));
}

TEST_F(VshToolWindowTest, TypedAlphas)
{
    open(home.module5());
    QTest::mouseClick(toolControl<QRadioButton>("Option3"), Qt::LeftButton);
    auto *alpha = toolControl<QLineEdit>("txtAlpha(0)");
    alpha->selectAll();
    QTest::keyClicks(alpha, "abc");
    EXPECT_EQ(alpha->text(), "0.75");
    EXPECT_EQ(prompter.count("beep"), 3);
    EXPECT_EQ(module().mid(kWaveStart + 12, 4), singles({0.75f}));

    alpha->selectAll();
    QTest::keyClicks(alpha, "0.5");
    EXPECT_EQ(alpha->text(), "0.5");
    EXPECT_EQ(module().mid(kWaveStart + 12, 4), singles({0.5f}));
    EXPECT_EQ(prompter.count("beep"), 3);
    // Month 0 back wave of the demo is (0, 0.5, 1): blended and rounded.
    EXPECT_EQ(swatch("WavePic(0)")->colour(), (Rgb{128, 191, 255}));
}

TEST_F(VshToolWindowTest, WaveOptionsFollowTheVersion)
{
    open(home.module4());
    EXPECT_FALSE(toolControl("Option3")->isEnabled());
    EXPECT_FALSE(toolControl("Option4")->isEnabled());
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
    EXPECT_EQ(TestHome::readAll(home.module4()), DemoFixture::storedModule("4.05")) << "no clear below 5.0";

    // Switching the section to 5.00 offers them.
    ASSERT_TRUE(doc->versionEnter("5.00"));
    EXPECT_TRUE(toolControl("Option3")->isEnabled());
}

TEST_F(VshToolWindowTest, AMissingColourKeyIsToldOnce)
{
    IniFile(home.bookmarks()).write("5.00", "GOptStart", "");
    open(home.module5());
    EXPECT_EQ(prompter.messages(), QStringList{"PRX Version doesn't match!\r\nPlease select the correct version."});
    EXPECT_EQ(swatch("pic(4)")->colour(), (Rgb{255, 255, 255})) << "the font table was read";
    EXPECT_EQ(swatch("infopic(4)")->colour(), (Rgb{192, 192, 192})) << "the option table not";
}

TEST_F(VshToolWindowTest, SubIconRecords)
{
    open(home.module5());
    auto *sub = toolControl<QComboBox>("cmbSub");
    auto *main = toolControl<QComboBox>("cmbMain");
    auto *xmb = toolControl<QCheckBox>("chkXMB");
    const qint64 third = kBeginOffset + 32;

    sub->setCurrentIndex(2);
    emit sub->activated(2);
    EXPECT_EQ(doc->BeginOffset(), qint32(third));
    EXPECT_EQ(xmb->checkState(), Qt::Checked);

    QTest::mouseClick(xmb, Qt::RightButton);
    EXPECT_EQ(xmb->checkState(), Qt::PartiallyChecked);
    EXPECT_EQ(module().mid(third + 8, 8), QByteArray::fromHex("06000000FFFFFFFF"));
    QTest::mouseClick(xmb, Qt::LeftButton);
    EXPECT_EQ(xmb->checkState(), Qt::Checked);
    EXPECT_EQ(module().mid(third + 8, 8), QByteArray::fromHex("07000000FFFFFFFF"));
    QTest::mouseClick(xmb, Qt::LeftButton);
    EXPECT_EQ(xmb->checkState(), Qt::Unchecked);
    EXPECT_EQ(module().mid(third + 8, 8), QByteArray::fromHex("0200000008000000"));

    QTest::mouseClick(toolControl("chkEditMain"), Qt::LeftButton);
    EXPECT_TRUE(main->isEnabled());
    main->setCurrentIndex(5);
    emit main->activated(5);
    EXPECT_EQ(module().mid(third, 4), QByteArray::fromHex("05000000"));

    // A category beyond the list: no selection, and the record stays as it is.
    doc->files().write(ModuleFiles::Held, kBeginOffset + 16, QByteArray::fromHex("09000000"));
    const QByteArray before = module();
    sub->setCurrentIndex(1);
    emit sub->activated(1);
    EXPECT_EQ(main->currentIndex(), -1);
    EXPECT_EQ(module(), before);
    EXPECT_TRUE(prompter.messages().isEmpty());
}

TEST_F(VshToolWindowTest, APickedColourAndAnEditedValueBothSurviveSave)
{
    open(home.module5());
    prompter.colours.push_back(Rgb{0, 255, 0});
    QTest::mouseClick(swatch("pic(7)"), Qt::LeftButton);
    doc->model().setCell(1, BookmarkRow::Value, "3.5");
    ASSERT_TRUE(doc->save());
    const QByteArray saved = module();
    EXPECT_EQ(saved.mid(kFontStart + 12 * 7, 12), singles({0.0f, 1.0f, 0.0f}));
    EXPECT_EQ(saved.mid(DemoFixture::kDataOffset + 0x14, 4), singles({3.5f}));
}

TEST_F(VshToolWindowTest, ExportAndImportButtons)
{
    open(home.module5());
    const QString preset = home.file("scheme.json");
    prompter.files.push_back(preset);
    QTest::mouseClick(toolControl("cmdExportColours"), Qt::LeftButton);
    ASSERT_TRUE(QFileInfo::exists(preset));

    prompter.colours.push_back(Rgb{1, 2, 3});
    QTest::mouseClick(swatch("picAll"), Qt::LeftButton);
    prompter.files.push_back(preset);
    QTest::mouseClick(toolControl("cmdImportColours"), Qt::LeftButton);
    EXPECT_EQ(swatch("pic(3)")->colour(), (Rgb{255, 255, 255})) << "re-read after the import";
    EXPECT_EQ(module().mid(kFontStart, 12), singles({1.0f, 1.0f, 1.0f}));

    ASSERT_TRUE(TestHome::writeAll(preset, "not json"));
    prompter.files.push_back(preset);
    QTest::mouseClick(toolControl("cmdImportColours"), Qt::LeftButton);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().startsWith("Nothing was imported: ")) << prompter.messages().first().toStdString();
}

} // namespace

namespace {

TEST_F(VshToolWindowTest, ASectionWithoutListsKeepsTheDesignTexts)
{
    IniFile(home.bookmarks()).write("5.00", "XMBmenuString", "Default");
    IniFile(home.bookmarks()).write("5.00", "XMBmainString", "Default");
    open(home.module5());
    auto *sub = toolControl<QComboBox>("cmbSub");
    EXPECT_EQ(sub->count(), 0);
    EXPECT_EQ(sub->placeholderText(), "Network Update");
    EXPECT_EQ(toolControl<QComboBox>("cmbMain")->count(), 7);
    EXPECT_EQ(toolControl<QComboBox>("cmbMain")->currentText(), "Settings");
    EXPECT_EQ(toolControl<QCheckBox>("chkXMB")->checkState(), Qt::Checked);
}

} // namespace

namespace {

TEST_F(VshToolWindowTest, FillingTheCategoryListsWritesNothing)
{
    // Record 0 ("Network Update", selected by every fill) holds Video: a fill
    // that wrote the "Settings" it shows first would put 0 there.
    QByteArray bytes = module();
    qToLittleEndian<quint32>(3, bytes.data() + kBeginOffset);
    ASSERT_TRUE(TestHome::writeAll(home.module5(), bytes));
    open(home.module5());
    EXPECT_EQ(toolControl<QComboBox>("cmbMain")->currentText(), "Video");
    menuItem()->trigger();
    menuItem()->trigger();
    ASSERT_TRUE(doc->versionEnter("5.00"));
    const qsizetype records = 16 * DemoFixture::subMenuItems().size();
    EXPECT_EQ(module().mid(kBeginOffset, records), bytes.mid(kBeginOffset, records))
        << "opening, the menu item and a reload only read";
    EXPECT_EQ(toolControl<QComboBox>("cmbMain")->currentText(), "Video");
}

TEST_F(VshToolWindowTest, ColoursAreReadOnlyWhenTheSectionGivesRFontStart)
{
    for (const char *missing : {"Default", "DEFAULT", "default"}) {
        SCOPED_TRACE(missing);
        IniFile(home.bookmarks()).write("5.00", "RFontStart", QLatin1String(missing));
        doc->closeModule();
        window.reset();
        doc = std::make_unique<PrxDocument>(home.path(), prompter);
        window = std::make_unique<MainWindow>(*doc);
        doc->startUp();
        prompter.calls.clear();
        open(home.module5());
        EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
        EXPECT_EQ(swatch("infopic(11)")->colour(), SwatchView::NoColour) << "no table was read";
    }
}

TEST_F(VshToolWindowTest, AVersionWithASuffixReadsTheWaveTables)
{
    // The same section under "5.00M33": its leading number is 5.00.
    QByteArray vt = TestHome::readAll(home.bookmarks());
    vt.replace("[5.00]", "[5.00M33]");
    ASSERT_TRUE(TestHome::writeAll(home.bookmarks(), vt));
    IniFile(home.config()).write("Config", "Firmware", "4.05,5.00M33");
    doc->closeModule();
    window.reset();
    doc = std::make_unique<PrxDocument>(home.path(), prompter);
    window = std::make_unique<MainWindow>(*doc);
    doc->startUp();

    open(home.module5());
    ASSERT_EQ(doc->prxversion(), "5.00M33");
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join('|').toStdString();
    EXPECT_TRUE(toolControl("Option3")->isEnabled());
    EXPECT_TRUE(toolControl("Option4")->isEnabled());
    EXPECT_EQ(swatch("WavePic(11)")->colour(), (Rgb{255, 235, 159}));
    EXPECT_EQ(toolControl<QLineEdit>("txtAlpha(11)")->text(), "0.75");

    // Categories go where the colours go: the module as opened, not its working copy.
    const qint64 third = kBeginOffset + 32;
    auto *sub = toolControl<QComboBox>("cmbSub");
    auto *main = toolControl<QComboBox>("cmbMain");
    sub->setCurrentIndex(2);
    emit sub->activated(2);
    QTest::mouseClick(toolControl("chkEditMain"), Qt::LeftButton);
    main->setCurrentIndex(4);
    emit main->activated(4);
    EXPECT_EQ(module().mid(third, 4), QByteArray::fromHex("04000000"));
    EXPECT_EQ(TestHome::readAll(doc->workingCopyPath()).mid(third, 4), QByteArray::fromHex("00000000"));
}

TEST_F(VshToolWindowTest, AFailedOpenLeavesNoModuleOnShow)
{
    // A packed module of a size no section records.
    QByteArray plain = DemoFixture::plainModule("4.05");
    plain.append(QByteArray(100, '\0'));
    const auto packed = ModulePacker::assemble(DemoFixture::headerTemplate("4.05"), GzipCodec::compress(plain),
                                               plain.size());
    ASSERT_TRUE(packed);
    const QString other = home.file("packed.prx");

    for (const auto unpack : {Prompter::Answer::Yes, Prompter::Answer::No}) {
        SCOPED_TRACE(unpack == Prompter::Answer::Yes ? "unpacked, no version" : "not unpacked");
        ASSERT_TRUE(TestHome::writeAll(other, *packed));
        open(home.module5());
        ASSERT_TRUE(tool()->isVisible());
        ASSERT_TRUE(toolControl("cmdExportColours")->isEnabled());
        prompter.calls.clear();
        prompter.files.push_back(other);
        prompter.answers.push_back(unpack);
        window->findChild<QAction *>("menuOpenPRX")->trigger();
        if (unpack == Prompter::Answer::Yes) {
            EXPECT_TRUE(prompter.messages().contains("No bookmark found for packed.prx       "))
                << prompter.messages().join('|').toStdString();
        }

        EXPECT_FALSE(doc->moduleOpen());
        EXPECT_EQ(window->windowTitle(), "VantorEditor by VT");
        for (int i = 2; i <= 3; ++i) {
            const QString text = window->findChild<QLabel *>(QStringLiteral("statBar(%1)").arg(i))->text();
            EXPECT_TRUE(text == "Bookmark:" || text == "Filesize:") << text.toStdString();
        }
        EXPECT_FALSE(window->findChild<QMenu *>("mypopup")->isEnabled());
        EXPECT_EQ(doc->model().count(), 0) << "no rows of the module before";
        EXPECT_FALSE(menuItem()->isEnabled());
        EXPECT_FALSE(tool()->isVisible());
        EXPECT_FALSE(toolControl("cmdExportColours")->isEnabled());
        EXPECT_FALSE(toolControl("cmdImportColours")->isEnabled());
        EXPECT_EQ(swatch("infopic(11)")->colour(), SwatchView::NoColour);
        EXPECT_EQ(toolControl<QLineEdit>("txtAlpha(11)")->text(), "");
        // The next module fills it again.
        doc->openFromCommandLine(home.module5());
        EXPECT_TRUE(toolControl("cmdExportColours")->isEnabled());
        EXPECT_EQ(swatch("infopic(11)")->colour(), (Rgb{255, 229, 127}));
        doc->closeModule();
    }
}

} // namespace

TEST_F(VshToolWindowTest, ASwatchIsPickedFromTheKeyboard)
{
    open(home.module5());
    SwatchView *march = swatch("pic(2)");
    EXPECT_EQ(march->focusPolicy(), Qt::StrongFocus) << "Tab reaches it";
    prompter.colours.push_back(Rgb{0, 0, 255});
    QTest::keyClick(march, Qt::Key_Space);
    EXPECT_EQ(module().mid(kFontStart + 24, 12), QByteArray::fromHex("00000000000000000000803F"));
    prompter.colours.push_back(Rgb{255, 0, 0});
    QTest::keyClick(march, Qt::Key_Return);
    EXPECT_EQ(march->colour(), (Rgb{255, 0, 0}));
    EXPECT_EQ(prompter.count("colour"), 2);
}
