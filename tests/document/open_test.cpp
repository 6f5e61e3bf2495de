#include "common/inifile.h"
#include "documenttest.h"
#include "processhelpers.h"
#include "tools/mkdemo/demofixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QScopeGuard>

#include <fcntl.h>
#include <unistd.h>

namespace {

using OpenTest = DocumentTest;

QStringList expectedValues(const QString &version)
{
    QStringList out;
    for (const auto &e : DemoFixture::entries(version))
        out << e.value;
    return out;
}

TEST_F(OpenTest, CommandLineOpensFirmware5ThroughAWorkingCopy)
{
    doc->openFromCommandLine(home.module5());
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join("|").toStdString();
    EXPECT_EQ(texts->title(), "VantorEditor by VT   [vshmain.prx]");
    EXPECT_EQ(doc->prxversion(), "5.00");
    EXPECT_EQ(texts->status(1), "PRX Version:  5.00");
    EXPECT_EQ(texts->status(2), "Bookmark:  " + home.bookmarks());
    EXPECT_EQ(texts->status(3), QStringLiteral("Filesize:  %1 bytes").arg(DemoFixture::moduleSize("5.00")));
    EXPECT_TRUE(texts->savePrxEnabled());
    EXPECT_TRUE(doc->vshToolEnabled());
    EXPECT_EQ(doc->BeginOffset(), qint32(DemoFixture::kBeginOffset));
    EXPECT_EQ(column(BookmarkRow::Value), expectedValues("5.00")) << "code values come from the descrambled copy";
    EXPECT_EQ(column(BookmarkRow::Number).first(), "1");
    EXPECT_EQ(doc->XMBmenu(), DemoFixture::subMenuItems());

    const QString workingCopy = home.file("demo/vshmain.bin");
    EXPECT_EQ(TestHome::readAll(workingCopy), DemoFixture::plainModule("5.00"));
    EXPECT_EQ(doc->files().path(ModuleFiles::Held), home.module5());

    EXPECT_EQ(doc->model().rows()[0].savedValue, "1.5") << "the loaded values are what the exit check compares with";
    EXPECT_EQ(doc->model().rows()[8].savedValue, "0.25");
    EXPECT_EQ(doc->model().firstModifiedRow(), -1);

    doc->closeModule();
    EXPECT_FALSE(QFileInfo::exists(workingCopy));
    EXPECT_EQ(TestHome::readAll(home.module5()), DemoFixture::storedModule("5.00"));
}

TEST_F(OpenTest, Firmware4OpensTheModuleItselfWithoutFile2)
{
    doc->openFromCommandLine(home.module4());
    EXPECT_EQ(doc->prxversion(), "4.05");
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Held));
    EXPECT_EQ(doc->files().path(ModuleFiles::Working), home.module4());
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/4.05/vshmain.bin")));
    EXPECT_EQ(column(BookmarkRow::Value), expectedValues("4.05"));
}

TEST_F(OpenTest, CommandLineFileThatDoesNotExist)
{
    doc->openFromCommandLine("nowhere/vshmain.prx");
    ASSERT_EQ(prompter.count("inform"), 1);
    EXPECT_EQ(prompter.calls[0].text, "File not found: nowhere/vshmain.prx");
    EXPECT_EQ(prompter.calls[0].title, "Error");
    EXPECT_FALSE(doc->moduleOpen());
}

TEST_F(OpenTest, UnknownSizeWritesASkeletonOnlyFromTheMenu)
{
    const QString other = home.file("mods/vshmain.prx");
    QDir().mkpath(home.file("mods"));
    QByteArray module = DemoFixture::plainModule("4.05");
    module.append(QByteArray(100, '\0'));
    TestHome::writeAll(other, module);
    IniFile(home.bookmarks()).write("9.99", "PRXSize", "1");
    IniFile(home.config()).write("Config", "Firmware", "4.05,5.00,9.99,6.20");
    restart();

    doc->openFromCommandLine(other);
    EXPECT_EQ(prompter.messages(), QStringList{"No bookmark found for vshmain.prx       "});
    EXPECT_EQ(prompter.calls.back().title, "Error!");
    EXPECT_FALSE(doc->moduleOpen());
    EXPECT_EQ(IniFile(home.bookmarks()).read("9.99", "offset"), "Default") << "no skeleton from the command line";

    const QString copy = home.file("mods/copy/vshmain.prx");
    QDir().mkpath(home.file("mods/copy"));
    TestHome::writeAll(copy, module);
    prompter.files.push_back(copy);
    doc->openFromMenu();
    EXPECT_FALSE(doc->moduleOpen());
    EXPECT_FALSE(texts->savePrxEnabled());
    EXPECT_EQ(texts->title(), "VantorEditor by VT") << "no module is on show";
    EXPECT_EQ(texts->status(2), "Bookmark:");
    EXPECT_EQ(texts->status(3), "Filesize:");
    IniFile vt(home.bookmarks());
    const QString size = QString::number(module.size());
    EXPECT_EQ(vt.read("9.99", "PRXSize"), size);
    EXPECT_EQ(vt.read("9.99", "offset"), "1");
    EXPECT_EQ(vt.read("9.99", "entry.1.description"), "Edit Description");
    EXPECT_EQ(vt.read("9.99", "entry.1.offset"), "0000000");
    EXPECT_EQ(vt.read("6.20", "PRXSize"), size);
    EXPECT_EQ(vt.read("5.00", "PRXSize"), QString::number(DemoFixture::moduleSize("5.00")))
        << "sections with entries are left alone";

    prompter.files.push_back(other);
    doc->openFromMenu();
    EXPECT_EQ(doc->prxversion(), "6.20") << "the last matching version of the list wins";
}

TEST_F(OpenTest, SizeIsComparedAsANumber)
{
    IniFile(home.bookmarks()).write("4.05", "PRXSize", "0" + QString::number(DemoFixture::moduleSize("4.05")));
    doc->openFromCommandLine(home.module4());
    EXPECT_EQ(doc->prxversion(), "4.05");
}

TEST_F(OpenTest, CancelledDialogKeepsTheOpenModule)
{
    doc->openFromCommandLine(home.module5());
    doc->openFromMenu();
    EXPECT_EQ(prompter.calls.back().kind, "open");
    EXPECT_EQ(prompter.calls.back().text, home.module5()) << "the dialog starts on the open module";
    EXPECT_TRUE(doc->moduleOpen());
    EXPECT_TRUE(doc->files().isOpen(ModuleFiles::Held));
    EXPECT_TRUE(QFileInfo::exists(home.file("demo/vshmain.bin")));
}

TEST_F(OpenTest, OpeningAnotherModuleDropsTheWorkingCopy)
{
    doc->openFromCommandLine(home.module5());
    prompter.files.push_back(home.module4());
    doc->openFromMenu();
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
    EXPECT_EQ(doc->prxversion(), "4.05");
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Held));
}

TEST_F(OpenTest, VshmainSetUpFollowsThePathNotTheFileName)
{
    QDir().mkpath(home.file("vshmain"));
    const QString other = home.file("vshmain/module.prx");
    QFile::copy(home.module4(), other);
    QFile::copy(home.bookmarks(), home.file("bookmarks/module.vt"));
    int shown = -1;
    QObject::connect(doc.get(), &PrxDocument::vshToolVisibilityRequested, [&](bool v) { shown = v; });
    doc->openFromCommandLine(other);
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(doc->vshToolEnabled());
}

TEST_F(OpenTest, VersionChoiceByEnterAndByClick)
{
    doc->openFromCommandLine(home.module5());
    doc->versionEnter("4.05");
    EXPECT_EQ(texts->status(1), "PRX Version: 4.05");
    EXPECT_EQ(IniFile(home.config()).read("Config", "PRXversion"), "4.05");
    EXPECT_TRUE(doc->files().isOpen(ModuleFiles::Held)) << "Enter only switches the section";
    EXPECT_EQ(column(BookmarkRow::Description).size(), DemoFixture::entries("4.05").size());

    doc->versionClick("5.00");
    EXPECT_EQ(texts->status(1), "PRX Version: 5.00");
    EXPECT_EQ(column(BookmarkRow::Value), expectedValues("5.00"));
    EXPECT_TRUE(prompter.messages().isEmpty());
}

TEST_F(OpenTest, VersionClickWithoutTheToolReportsAndLeavesNoWorkingCopy)
{
    doc->openFromCommandLine(home.module5());
    home.removeScrambleTool();
    doc->versionClick("5.00");
    EXPECT_EQ(prompter.messages(), QStringList{"The scramble tool " + home.file("scramble") +
                                               " is missing: vshmain.prx can not be descrambled."});
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
}

TEST_F(OpenTest, AVersionWithABlankOrASuffixIsStillScrambled)
{
    doc->openFromCommandLine(home.module5());
    for (const char *version : {" 5.00", "5.00M33"}) {
        doc->versionClick(version);
        EXPECT_TRUE(doc->files().isOpen(ModuleFiles::Held)) << version;
        EXPECT_EQ(doc->files().path(ModuleFiles::Working), home.file("demo/vshmain.bin")) << version;
        EXPECT_EQ(TestHome::readAll(home.file("demo/vshmain.bin")), DemoFixture::plainModule("5.00"));
    }
    doc->versionClick("4.05");
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin"))) << "a working copy no longer in use goes";
    EXPECT_EQ(doc->files().path(ModuleFiles::Working), home.module5());
}

TEST_F(OpenTest, AModuleNamedBinIsNeverItsOwnWorkingCopy)
{
    QDir().mkpath(home.file("keep"));
    const QString module = home.file("keep/vshmain.bin");
    const QByteArray stored = DemoFixture::storedModule("5.00");
    TestHome::writeAll(module, stored);
    doc->openFromCommandLine(module);
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join("|").toStdString();
    EXPECT_EQ(doc->prxversion(), "5.00") << "the bookmark file of vshmain.bin is vshmain.vt";
    EXPECT_EQ(doc->workingCopyPath(), home.file("keep/vshmain.work.bin"));
    EXPECT_EQ(column(BookmarkRow::Value), expectedValues("5.00"));
    EXPECT_EQ(TestHome::readAll(module), stored);
    doc->closeModule();
    EXPECT_EQ(TestHome::readAll(module), stored);
    EXPECT_FALSE(QFileInfo::exists(home.file("keep/vshmain.work.bin")));
}

TEST_F(OpenTest, AUsersOwnBinFileBesideTheModuleSurvivesEverything)
{
    const QString own4 = home.file("demo/4.05/vshmain.bin");
    const QString own5 = home.file("demo/vshmain.bin");
    TestHome::writeAll(own4, "mine");
    TestHome::writeAll(own5, "mine too");

    doc->openFromCommandLine(home.module4());
    doc->versionClick("4.05");
    prompter.files.push_back(home.module5());
    doc->openFromMenu();
    EXPECT_EQ(doc->workingCopyPath(), home.file("demo/vshmain.work.bin")) << "the user's vshmain.bin is taken";
    EXPECT_EQ(column(BookmarkRow::Value), expectedValues("5.00"));
    doc->versionClick("5.00");
    prompter.files.push_back(home.module4());
    doc->openFromMenu();
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.work.bin")));
    doc->closeModule();
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join("|").toStdString();
    EXPECT_EQ(TestHome::readAll(own4), "mine");
    EXPECT_EQ(TestHome::readAll(own5), "mine too");
}

TEST_F(OpenTest, ShortAndExtensionlessModuleNames)
{
    for (const char *name : {"ab", "x.p", "vshmain"}) {
        const QString module = home.file(QStringLiteral("demo/") + name);
        TestHome::writeAll(module, DemoFixture::storedModule("5.00"));
        QFile::copy(home.bookmarks(), home.file("bookmarks/" + ModuleFiles::baseName(name) + ".vt"));
        prompter.calls.clear();
        doc->openFromCommandLine(module);
        EXPECT_TRUE(prompter.messages().isEmpty()) << name;
        EXPECT_EQ(doc->currentBookmarkFile(), home.file("bookmarks/" + ModuleFiles::baseName(name) + ".vt"));
        EXPECT_EQ(doc->prxversion(), "5.00") << name;
        EXPECT_EQ(column(BookmarkRow::Value), expectedValues("5.00")) << name;
        EXPECT_EQ(doc->workingCopyPath(), home.file("demo/" + ModuleFiles::baseName(name) + ".bin"));
        doc->closeModule();
        EXPECT_FALSE(QFileInfo::exists(home.file("demo/" + ModuleFiles::baseName(name) + ".bin")));
    }
}

TEST_F(OpenTest, AReadOnlyModuleIsSaidAtOpen)
{
    const QString result = home.file("messages.txt");
    ProcessHelpers::shareWithEveryone(home.path());
    for (const QString &module : {home.module4(), home.module5()})
        QFile::setPermissions(module, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    const int status = ProcessHelpers::runAsNobody([&] {
        QStringList seen;
        for (const QString &module : {home.module4(), home.module5()}) {
            FakePrompter nobody;
            PrxDocument document(home.path(), nobody);
            document.startUp();
            document.openFromCommandLine(module);
            seen << nobody.messages().join("|") + " @" + nobody.calls.back().title;
            if (!document.moduleOpen() || document.files().isWritable(ModuleFiles::Working) == (module == home.module4()))
                return 1;
            document.closeModule();
        }
        return TestHome::writeAll(result, seen.join('\n').toUtf8()) ? 0 : 2;
    });
    ASSERT_EQ(status, 0);
    const QString tail = " is read-only: values can be viewed but not saved. @VantorEditor";
    EXPECT_EQ(QString::fromUtf8(TestHome::readAll(result)).split('\n'),
              QStringList({home.module4() + tail, home.module5() + tail}));
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));
}

TEST_F(OpenTest, BookmarkFilesAreReadAsTheProfileFunctionsReadThem)
{
    // A quoted value loses its quotes; a file of CR line ends is one of lines.
    const auto entries = DemoFixture::entries("5.00");
    const QString third = QString::number(entries[2].offset, 16).toUpper();
    QByteArray vt = TestHome::readAll(home.bookmarks());
    ASSERT_TRUE(vt.contains("\r\n"));
    const QByteArray plain = "entry.3.offset=" + third.toLatin1() + "\r\n";
    ASSERT_TRUE(vt.contains(plain)) << third.toStdString();
    vt.replace(plain, "entry.3.offset=\"" + third.toLatin1() + "\"\r\n");
    vt.replace("\r\n", "\r");
    ASSERT_TRUE(TestHome::writeAll(home.bookmarks(), vt));

    doc->openFromCommandLine(home.module5());
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join("|").toStdString();
    ASSERT_EQ(doc->prxversion(), "5.00");
    EXPECT_EQ(column(BookmarkRow::Value), expectedValues("5.00"));
    EXPECT_EQ(column(BookmarkRow::Offset)[2], third);
    EXPECT_EQ(doc->XMBmenu(), DemoFixture::subMenuItems());
}

TEST_F(OpenTest, ABookmarkFileThatCanNotBeReadIsNamedWithItsCause)
{
    QDir().mkpath(home.file("mods"));
    const QString other = home.file("mods/vshmain.prx");
    QByteArray module = DemoFixture::plainModule("4.05");
    module.append(QByteArray(100, '\0'));
    ASSERT_TRUE(TestHome::writeAll(other, module));

    // The .vt is a folder.
    ASSERT_TRUE(QFile::remove(home.bookmarks()));
    ASSERT_TRUE(QDir().mkpath(home.bookmarks()));
    prompter.files.push_back(other);
    doc->openFromMenu();
    EXPECT_EQ(prompter.messages(), QStringList{"No bookmark found for vshmain.prx: " + home.bookmarks() +
                                               " is a folder, not a bookmark file."});
    EXPECT_TRUE(QFileInfo(home.bookmarks()).isDir()) << "no skeleton tried";
    EXPECT_FALSE(doc->moduleOpen());

    // BookmarkPath names a file; a relative one lies in the home folder.
    ASSERT_TRUE(TestHome::writeAll(home.file("marks"), "not a folder"));
    IniFile(home.config()).write("Config", "BookmarkPath", "marks");
    restart();
    prompter.calls.clear();
    doc->openFromCommandLine(other);
    EXPECT_EQ(prompter.messages(), QStringList{"No bookmark found for vshmain.prx: the bookmark folder " +
                                               home.file("marks") + " (BookmarkPath in " + home.config() +
                                               ") is a file, not a folder."});
    EXPECT_EQ(TestHome::readAll(home.file("marks")), "not a folder");
}

TEST_F(OpenTest, AFileNameThatIsNotUtf8IsToldAsSuch)
{
    // The name reaches the program as the command line and the file dialog
    // decode it: U+FFFD for each bad byte.
    const QByteArray raw = QFile::encodeName(home.file("demo/4.05/")) + "vsh\xFFmain.prx";
    {
        const int fd = ::open(raw.constData(), O_CREAT | O_WRONLY | O_TRUNC, 0644);
        ASSERT_GE(fd, 0);
        const QByteArray bytes = TestHome::readAll(home.module4());
        ASSERT_EQ(::write(fd, bytes.constData(), size_t(bytes.size())), bytes.size());
        ::close(fd);
    }
    // Qt can not name it to remove it with the home.
    const auto removeRaw = qScopeGuard([&] { ::unlink(raw.constData()); });
    const QString decoded = QFile::decodeName(raw);
    ASSERT_TRUE(decoded.contains(QChar::ReplacementCharacter));
    const QString told = "Can not open " + decoded + ": the name " + QFileInfo(decoded).fileName() +
                         " is not valid UTF-8";

    doc->openFromCommandLine(decoded);
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().startsWith(told)) << prompter.messages().first().toStdString();
    EXPECT_FALSE(doc->moduleOpen());

    // From the menu the open module stays open.
    doc->openFromCommandLine(home.module5());
    prompter.calls.clear();
    prompter.files.push_back(decoded);
    doc->openFromMenu();
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages().first().startsWith(told));
    EXPECT_TRUE(doc->moduleOpen());
    EXPECT_EQ(doc->prxversion(), "5.00");

    // A name with U+FFFD that no entry has is simply missing.
    prompter.calls.clear();
    doc->openFromCommandLine(home.file("demo/4.05/gone") + QChar::ReplacementCharacter + ".prx");
    EXPECT_TRUE(prompter.messages().first().startsWith("File not found: "));
}

} // namespace
