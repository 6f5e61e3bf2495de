#include "app/aboutdialog.h"
#include "app/fileassociation.h"
#include "app/mainwindow.h"
#include "app/preferencesdialog.h"
#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/widgets/gridview.h"
#include "tests/support/fakeprompter.h"
#include "tests/support/forkedchild.h"
#include "tests/support/modalanswer.h"
#include "tests/support/testhome.h"
#include "tests/support/windowtest.h"

#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

// A desktop of its own for each test: the association lands in a temporary
// XDG data and configuration folder.
class ShellTest : public WindowTest
{
protected:
    void SetUp() override
    {
        qputenv("XDG_DATA_HOME", xdg.filePath("data").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", xdg.filePath("config").toLocal8Bit());
        answerFirstRun();
        start();
    }
    QString config(const QString &section, const QString &key) { return IniFile(home.config()).read(section, key); }
    // A Preferences window as the menu opens it, closed by its close button.
    void closePreferences(const std::function<void(PreferencesDialog &)> &change)
    {
        PreferencesDialog dialog(*doc, window.get());
        dialog.show();
        change(dialog);
        dialog.close();
    }

    QTemporaryDir xdg;
};

QString text(const QString &path)
{
    return QString::fromUtf8(TestHome::readAll(path));
}

TEST_F(ShellTest, PreferencesShowTheColoursOfConfigIni)
{
    PreferencesDialog dialog(*doc, window.get());
    EXPECT_EQ(dialog.objectName(), "Form4");
    EXPECT_EQ(dialog.windowTitle(), "Preferences");
    EXPECT_EQ(dialog.findChild<QGroupBox *>("Frame1")->title(), "Color");
    const quint32 demo[] = {16777215, 10053171, 2105376, 16777215}; // the demo Config.ini
    for (int i = 0; i < 4; ++i) {
        auto *swatch = dialog.findChild<QLabel *>(QStringLiteral("pic(%1)").arg(i));
        ASSERT_TRUE(swatch);
        EXPECT_EQ(dialog.colour(i).toNumber(), demo[i]);
        EXPECT_EQ(swatch->palette().color(QPalette::Window), QColor(dialog.colour(i).red, dialog.colour(i).green, dialog.colour(i).blue));
        auto *caption = qobject_cast<QLabel *>(swatch->parentWidget()->findChild<QLabel *>(QStringLiteral("Label%1").arg(i + 1)));
        EXPECT_EQ(caption->text(), PreferencesDialog::Captions[size_t(i)]);
    }
    EXPECT_EQ(PreferencesDialog::Captions[1], "Highlighted Text (Back Color):");
    auto *check = dialog.findChild<QCheckBox *>("Check1");
    EXPECT_EQ(check->text(), "Associate PRX files");
    EXPECT_FALSE(check->isChecked()) << "PRXassociation is 0";
}

TEST_F(ShellTest, ClosingPreferencesStoresAndAppliesTheColours)
{
    window->show();
    const Rgb chosen[] = {{1, 2, 3}, {200, 100, 50}, {10, 20, 30}, {250, 240, 230}};
    closePreferences([&](PreferencesDialog &dialog) {
        for (int i = 0; i < 4; ++i) {
            prompter.colours.push_back(chosen[i]);
            QTest::mouseClick(dialog.findChild<QLabel *>(QStringLiteral("pic(%1)").arg(i)), Qt::LeftButton);
        }
        prompter.colours.push_back(std::nullopt); // the colour dialog cancelled
        QTest::mouseClick(dialog.findChild<QLabel *>("pic(0)"), Qt::LeftButton);
        EXPECT_EQ(prompter.calls.back().title, "Highlighted Text (Font Color)") << "the swatch's caption";
    });
    EXPECT_EQ(prompter.count("colour"), 5);
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(config("Colors", QStringLiteral("Color.%1").arg(i)), QString::number(chosen[i].toNumber()));
        EXPECT_EQ(doc->settings().colours()[size_t(i)], chosen[i]);
    }
    EXPECT_EQ(config("Colors", "Color.1"), "3302600") << "decimal, red in the lowest byte";
    const QPalette editor = window->grid()->editor()->palette();
    EXPECT_EQ(editor.color(QPalette::Text), QColor(1, 2, 3));
    EXPECT_EQ(editor.color(QPalette::Base), QColor(200, 100, 50));
}

TEST_F(ShellTest, FailedConfigWriteOfThePreferencesIsReported)
{
    const QByteArray before = TestHome::readAll(home.config());
    const ForkedChild::Result run = ForkedChild{40, false}.run([&] {
        closePreferences([&](PreferencesDialog &dialog) {
            prompter.colours.push_back(Rgb{1, 2, 3});
            QTest::mouseClick(dialog.findChild<QLabel *>("pic(0)"), Qt::LeftButton);
        });
        QByteArray report;
        for (const FakePrompter::Call &call : prompter.calls) {
            if (call.kind == "inform")
                report += (call.title + '|' + call.text + '\n').toUtf8();
        }
        return report;
    });
    ASSERT_TRUE(run.exitedNormally && run.exitCode == 0);
    EXPECT_EQ(QString::fromUtf8(run.output),
              QStringLiteral("Error|Can not write %1: File too large\n").arg(QDir::toNativeSeparators(home.config())));
    EXPECT_EQ(TestHome::readAll(home.config()), before);
}

TEST_F(ShellTest, AssociationIsAddedAndRemovedInTheXdgFolders)
{
    const QString apps = FileAssociation::mimeAppsPath();
    const QByteArray before = "[Added Associations]\ntext/plain=mousepad.desktop;\n\n"
                              "[Default Applications]\ntext/plain=mousepad.desktop;\n";
    QDir().mkpath(QFileInfo(apps).absolutePath());
    TestHome::writeAll(apps, before);
    ASSERT_TRUE(FileAssociation::desktopEntryPath().startsWith(xdg.path()));

    closePreferences([](PreferencesDialog &dialog) { dialog.findChild<QCheckBox *>("Check1")->setChecked(true); });
    EXPECT_EQ(config("Config", "PRXassociation"), "1");
    EXPECT_TRUE(doc->settings().associatePrx());
    const QString entry = text(FileAssociation::desktopEntryPath());
    EXPECT_TRUE(entry.contains("MimeType=application/x-psp-prx;\n"));
    EXPECT_TRUE(entry.contains("Exec=\"" + QCoreApplication::applicationFilePath() + "\" %f\n")) << entry.toStdString();
    // The desktop reads the entry as desktop-file-validate does: no error, no hint.
    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start("desktop-file-validate", {FileAssociation::desktopEntryPath()});
    ASSERT_TRUE(validate.waitForFinished(30000)) << "desktop-file-validate (desktop-file-utils) ran";
    EXPECT_EQ(validate.exitCode(), 0);
    EXPECT_EQ(validate.readAll(), "") << entry.toStdString();
    const QString package = text(FileAssociation::mimePackagePath());
    EXPECT_TRUE(package.contains("<mime-type type=\"application/x-psp-prx\">"));
    EXPECT_TRUE(package.contains("<glob pattern=\"*.prx\" case-sensitive=\"false\"/>"));
    EXPECT_EQ(text(apps), QString::fromUtf8(before) + "application/x-psp-prx=vantoreditor.desktop;\n");
    if (!QStandardPaths::findExecutable("update-mime-database").isEmpty()) {
        EXPECT_TRUE(QFileInfo::exists(xdg.filePath("data/mime/application/x-psp-prx.xml")))
            << "update-mime-database took the package";
    }

    closePreferences([](PreferencesDialog &dialog) {
        auto *check = dialog.findChild<QCheckBox *>("Check1");
        EXPECT_TRUE(check->isChecked());
        check->setChecked(false);
    });
    EXPECT_EQ(config("Config", "PRXassociation"), "0");
    EXPECT_FALSE(QFileInfo::exists(FileAssociation::desktopEntryPath()));
    EXPECT_EQ(TestHome::readAll(apps), before) << "only our default is dropped";
}

TEST_F(ShellTest, AssociationWithoutAnyMimeAppsList)
{
    closePreferences([](PreferencesDialog &dialog) { dialog.findChild<QCheckBox *>("Check1")->setChecked(true); });
    EXPECT_EQ(text(FileAssociation::mimeAppsPath()), "[Default Applications]\napplication/x-psp-prx=vantoreditor.desktop;\n");
    closePreferences([](PreferencesDialog &dialog) { dialog.findChild<QCheckBox *>("Check1")->setChecked(false); });
    EXPECT_EQ(text(FileAssociation::mimeAppsPath()), "[Default Applications]\n");
}

TEST_F(ShellTest, ExecLineQuotesTheProgramPath)
{
    const struct
    {
        const char *path;
        const char *exec;
    } cases[] = {
        {"/usr/bin/VantorEditor", "Exec=\"/usr/bin/VantorEditor\" %f"},
        {"/opt/my apps/VantorEditor", "Exec=\"/opt/my apps/VantorEditor\" %f"},
        {"/opt/a\"b$c`d/VantorEditor", "Exec=\"/opt/a\\\\\"b\\\\$c\\\\`d/VantorEditor\" %f"},
        {"/opt/back\\slash/100%/VantorEditor", "Exec=\"/opt/back\\\\\\\\slash/100%%/VantorEditor\" %f"},
    };
    for (const auto &c : cases)
        EXPECT_TRUE(FileAssociation(c.path).desktopEntry().contains(QString(c.exec) + "\n")) << c.path;
}

TEST_F(ShellTest, ExitStoresThePreferencesOfAWindowNeverShown)
{
    IniFile(home.config()).write("Config", "PRXassociation", "1");
    window.reset();
    doc = std::make_unique<PrxDocument>(home.path(), prompter);
    window = std::make_unique<MainWindow>(*doc);
    doc->startUp();
    window->show();
    window->close();
    EXPECT_EQ(config("Config", "PRXassociation"), "1");
    EXPECT_TRUE(QFileInfo::exists(FileAssociation::desktopEntryPath()));
}

TEST_F(ShellTest, ExitCheckKeepsTheWindowOpen)
{
    doc->openFromCommandLine(home.module5());
    window->show();
    const QString workingCopy = home.file("demo/vshmain.bin");

    doc->model().setCell(0, BookmarkRow::Value, "2");
    prompter.answers.push_back(Prompter::Answer::Cancel);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());

    doc->model().setCell(0, BookmarkRow::Value, "two");
    prompter.answers.push_back(Prompter::Answer::Yes);
    EXPECT_FALSE(window->close()) << "Save stopped by the value check";
    EXPECT_EQ(prompter.messages().last(), "Enter a valid value\n\nRow 1 (Clock text scale): \"two\" is not a number.");
    EXPECT_EQ(window->grid()->state().selectedRow, 1);
    EXPECT_TRUE(QFileInfo::exists(workingCopy));

    prompter.answers.push_back(Prompter::Answer::No);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(QFileInfo::exists(workingCopy));
}

TEST_F(ShellTest, SaveItemsAndWindowsAreWired)
{
    doc->openFromCommandLine(home.module4());
    doc->model().setCell(2, BookmarkRow::Value, "77");
    window->findChild<QAction *>("popSave")->trigger();
    EXPECT_EQ(IniFile(home.bookmarks()).read("4.05", "entry.3.value"), "77");
    EXPECT_EQ(window->findChild<QAction *>("popSave")->shortcut(), QKeySequence("Ctrl+S"));
    EXPECT_EQ(window->findChild<QAction *>("popCompress")->shortcut(), QKeySequence("Ctrl+Q"));

    window->findChild<QAction *>("popSaveAs")->trigger();
    window->findChild<QAction *>("popCompress")->trigger();
    EXPECT_EQ(prompter.count("save"), 2);

    for (const char *item : {"menuAbout", "menuPreferences"}) {
        QString shown;
        answerModal([&] { window->findChild<QAction *>(item)->trigger(); },
                    [&](QWidget *modal, int) {
                        shown = modal->objectName();
                        modal->close();
                    });
        EXPECT_EQ(shown, QString(item) == "menuAbout" ? "Form3" : "Form4");
    }
}

TEST(AboutWindow, ShowsItsTextsAndLogo)
{
    AboutDialog dialog;
    EXPECT_EQ(dialog.objectName(), "Form3");
    EXPECT_EQ(dialog.windowTitle(), "About");
    EXPECT_EQ(AboutDialog::AboutText,
              "       Vantor Editor is a tool for editing prx files intended for making \r\n"
              "themes. PRX editing can be done through a Hex-Editor but Vantor \r\n"
              "Editor offers some great features which make it easier to use than \r\n"
              "any Hex-Editing Software. It supports the latest psp firmware version.");
    EXPECT_EQ(dialog.findChild<QGroupBox *>("Frame1")->title(), "About Vantor Editor");
    EXPECT_EQ(dialog.findChild<QGroupBox *>("Frame2")->title(), "Special Thanks To:");
    auto *about = dialog.findChild<QPlainTextEdit *>("Text1");
    EXPECT_TRUE(about->isReadOnly());
    EXPECT_EQ(about->document()->blockCount(), 4);
    EXPECT_EQ(about->toPlainText().split('\n'), AboutDialog::AboutText.split("\r\n"));
    EXPECT_TRUE(dialog.findChild<QPlainTextEdit *>("Text2")->isReadOnly());
    const QPixmap logo = dialog.findChild<QLabel *>("logoPic")->pixmap();
    EXPECT_EQ(logo.size(), QSize(400, 52));
    EXPECT_EQ(dialog.findChild<QLabel *>("lblVersion")->text(), "Version " VANTOR_VERSION);
}

} // namespace
