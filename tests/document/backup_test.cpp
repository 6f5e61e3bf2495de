#include "document/backupstore.h"
#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "documenttest.h"
#include "tools/mkdemo/demofixture.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimeZone>

namespace {

using DemoFixture::kDataOffset;

constexpr int kFloatRow = 0;

QDateTime at(int minutes, int seconds = 0)
{
    return QDateTime(QDate(2026, 12, 8), QTime(10, 0), QTimeZone::utc()).addSecs(minutes * 60 + seconds);
}

class BackupStoreTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        module = dir.filePath("vshmain.prx");
        TestHome::writeAll(module, "version 0");
        store.setClock([this] { return now; });
    }
    // Makes a backup of the module holding `content`, at `when`.
    QString backUp(const QByteArray &content, const QDateTime &when)
    {
        TestHome::writeAll(module, content);
        now = when;
        QString made;
        EXPECT_TRUE(store.make(module, &made).ok());
        return made;
    }
    QStringList names() const
    {
        QStringList out;
        for (const BackupStore::Backup &b : store.list(module))
            out << QFileInfo(b.path).fileName();
        return out;
    }

    QTemporaryDir dir;
    QString module;
    BackupStore store{dir.filePath("home/backups")};
    QDateTime now = at(0);
};

TEST_F(BackupStoreTest, NamesSortByTimeAndNeverCollide)
{
    EXPECT_EQ(QFileInfo(backUp("a", at(5, 1))).fileName(), "vshmain.prx.20261208-100501Z.bak");
    // The same second twice, then a clock set back: each a file of its own, in the order made.
    backUp("b", at(5, 1));
    backUp("c", at(1));
    EXPECT_EQ(names(), (QStringList{"vshmain.prx.20261208-100501Z_3.bak", "vshmain.prx.20261208-100501Z_2.bak",
                                    "vshmain.prx.20261208-100501Z.bak"}));
    const auto listed = store.list(module);
    EXPECT_EQ(TestHome::readAll(listed.front().path), "c");
    EXPECT_EQ(listed.front().size, 1);
    EXPECT_EQ(listed.back().time, at(5, 1));

    // A module holding what its newest backup holds gets no second copy.
    EXPECT_EQ(backUp("c", at(9)), listed.front().path);
    EXPECT_EQ(store.list(module).size(), 3u);

    // Another module's backups and files not named as backups are not this module's.
    TestHome::writeAll(dir.filePath("home/backups/vshmain.prx.notes.bak"), "mine");
    TestHome::writeAll(dir.filePath("home/backups/vshmain.prx.20261208-100501Z.bak.old"), "mine");
    TestHome::writeAll(dir.filePath("other.prx"), "other");
    ASSERT_TRUE(store.make(dir.filePath("other.prx")).ok());
    EXPECT_EQ(store.list(module).size(), 3u);
    EXPECT_EQ(store.list(dir.filePath("other.prx")).size(), 1u);
}

TEST_F(BackupStoreTest, LongModuleNamesAreCutToFitTheNameLimit)
{
    const QString longName = QString(240, u'm') + QStringLiteral("ä.prx");
    const QString similar = QString(240, u'm') + QStringLiteral("ö.prx");
    const QString a = store.key(longName);
    EXPECT_LE(a.toUtf8().size() + 24, 255);
    EXPECT_NE(a, store.key(similar)) << "names that begin alike keep backups of their own";
    EXPECT_EQ(store.key("vshmain.prx"), "vshmain.prx");

    module = dir.filePath(longName);
    const QString made = backUp("long", at(1));
    ASSERT_FALSE(made.isEmpty());
    EXPECT_TRUE(QFileInfo(made).fileName().startsWith(a + "."));
    EXPECT_EQ(store.list(module).size(), 1u);
}

TEST_F(BackupStoreTest, KeepsTheFirstAndTheNewestTwentyOthers)
{
    for (int i = 0; i < 30; ++i)
        backUp("version " + QByteArray::number(i), at(i));
    const auto kept = store.list(module);
    ASSERT_EQ(kept.size(), size_t(BackupStore::Kept) + 1);
    EXPECT_EQ(TestHome::readAll(kept.back().path), "version 0") << "the first backup is never removed";
    for (int i = 0; i < BackupStore::Kept; ++i)
        EXPECT_EQ(TestHome::readAll(kept[size_t(i)].path), "version " + QByteArray::number(29 - i));
}

TEST_F(BackupStoreTest, ModulesOfOneNameInTwoFoldersKeepTheirBackupsApart)
{
    // Firmware 4.05 and 5.00 modules are both vshmain.prx.
    const QString other = dir.filePath("5.00/vshmain.prx");
    QDir().mkpath(dir.filePath("5.00"));
    TestHome::writeAll(other, "five");
    now = at(1);
    ASSERT_TRUE(store.make(other).ok());
    const QString mine = backUp("four", at(2));
    for (int i = 0; i < 25; ++i)
        backUp("four " + QByteArray::number(i), at(3 + i));

    const auto others = store.list(other);
    ASSERT_EQ(others.size(), 1u) << "its first backup is never removed";
    EXPECT_EQ(TestHome::readAll(others.front().path), "five");
    EXPECT_EQ(store.list(module).size(), size_t(BackupStore::Kept) + 1);
    for (const BackupStore::Backup &b : store.list(module))
        EXPECT_NE(TestHome::readAll(b.path), "five");

    // Its backup is not put back over this module.
    const QByteArray before = TestHome::readAll(module);
    EXPECT_FALSE(store.restore(others.front().path, module).ok());
    EXPECT_TRUE(TestHome::readAll(module) == before);
    // A module holding what the other module's newest backup holds still gets one of its own.
    TestHome::writeAll(other, "four 24");
    QString made;
    ASSERT_TRUE(store.make(other, &made).ok());
    EXPECT_EQ(store.list(other).size(), 2u);
    EXPECT_EQ(QFileInfo(mine).fileName(), "vshmain.prx.20261208-100200Z.bak");
}

TEST_F(BackupStoreTest, AModuleOpenedThroughALinkHasTheBackupsOfTheFileItIs)
{
    const QString link = dir.filePath("theme.prx");
    ASSERT_TRUE(QFile::link(module, link));
    const QString viaLink = backUp("through the link", at(1));
    const QString direct = backUp("by its own name", at(2));
    EXPECT_EQ(QFileInfo(viaLink).fileName(), "vshmain.prx.20261208-100100Z.bak");
    for (const QString &name : {module, link}) {
        QStringList listed;
        for (const BackupStore::Backup &b : store.list(name))
            listed << b.path;
        EXPECT_EQ(listed, QStringList({direct, viaLink})) << name.toStdString();
    }

    // One made under the link's name, its origin the link, stays the file's backup too.
    const QString older = QDir(store.folder()).filePath("theme.prx.20261208-095900Z.bak");
    TestHome::writeAll(older, "older");
    TestHome::writeAll(older + ".from", link.toUtf8() + "\n");
    EXPECT_EQ(store.list(link).size(), 3u);
    EXPECT_EQ(store.list(link).back().path, older);
    EXPECT_TRUE(store.restore(older, link).ok());
    EXPECT_EQ(TestHome::readAll(module), "older");
}

TEST_F(BackupStoreTest, RestorePutsTheBytesBackAndKeepsTheModuleFirst)
{
    QByteArray original(70000, '\0');
    for (int i = 0; i < original.size(); ++i)
        original[i] = char(i * 7);
    const QString first = backUp(original, at(1));
    TestHome::writeAll(module, "edited since");
    QFile::setPermissions(module, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
    const auto mode = QFile::permissions(module);
    now = at(2);
    QString kept;
    ASSERT_TRUE(store.restore(first, module, &kept).ok());
    EXPECT_TRUE(TestHome::readAll(module) == original) << "byte for byte";
    EXPECT_EQ(QFile::permissions(module), mode);
    EXPECT_EQ(TestHome::readAll(kept), "edited since") << "the module that was replaced is kept";

    // Only a backup of this module is put back.
    TestHome::writeAll(dir.filePath("stranger.bak"), "not a backup");
    const FileError refused = store.restore(dir.filePath("stranger.bak"), module);
    EXPECT_FALSE(refused.ok());
    EXPECT_TRUE(refused.text().contains("is not a backup of vshmain.prx")) << refused.text().toStdString();
    EXPECT_TRUE(TestHome::readAll(module) == original);
}

class BackupTest : public DocumentTest
{
protected:
    std::vector<BackupStore::Backup> backups() { return doc->backupStore().list(home.module4()); }
    void open4()
    {
        doc->openFromCommandLine(home.module4());
        ASSERT_EQ(doc->prxversion(), "4.05");
        prompter.calls.clear();
    }
    void editAndSave(const QString &value)
    {
        doc->model().setCell(kFloatRow, BookmarkRow::Value, value);
        ASSERT_TRUE(doc->save()) << prompter.messages().join("|").toStdString();
    }
};

TEST_F(BackupTest, TheFirstChangeOfEachOpeningIsBackedUp)
{
    const QByteArray original = TestHome::readAll(home.module4());
    open4();
    EXPECT_TRUE(backups().empty()) << "opening writes no backup";
    editAndSave("2.5");
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_TRUE(TestHome::readAll(backups()[0].path) == original);
    editAndSave("3.5");
    EXPECT_EQ(backups().size(), 1u) << "one backup an opening";

    const QByteArray afterTwoSaves = TestHome::readAll(home.module4());
    open4();
    editAndSave("4.5");
    ASSERT_EQ(backups().size(), 2u);
    EXPECT_TRUE(TestHome::readAll(backups()[0].path) == afterTwoSaves);

    // A write of the VSHmain tool replaces the module too: backed up first.
    open4();
    const QByteArray beforePick = TestHome::readAll(home.module4());
    ASSERT_TRUE(doc->files().write(ModuleFiles::Working, kDataOffset, QByteArray(4, '\x11')).ok());
    ASSERT_EQ(backups().size(), 3u);
    EXPECT_TRUE(TestHome::readAll(backups()[0].path) == beforePick);
}

TEST_F(BackupTest, AScrambledModuleIsBackedUpAsItLiesOnDisk)
{
    const QByteArray original = TestHome::readAll(home.module5());
    doc->openFromCommandLine(home.module5());
    ASSERT_EQ(doc->prxversion(), "5.00");
    // The colour tables are written into file 2, the module itself.
    ASSERT_TRUE(doc->files().write(ModuleFiles::Held, kDataOffset, QByteArray(4, '\x22')).ok());
    doc->model().setCell(kFloatRow, BookmarkRow::Value, "2.5");
    ASSERT_TRUE(doc->save());
    const auto made = doc->backupStore().list(home.module5());
    ASSERT_EQ(made.size(), 1u);
    EXPECT_TRUE(TestHome::readAll(made[0].path) == original);
}

TEST_F(BackupTest, NoBackupNoChange)
{
    const QByteArray original = TestHome::readAll(home.module4());
    TestHome::writeAll(home.file("backups"), "a file where the folder should be");
    open4();
    doc->model().setCell(kFloatRow, BookmarkRow::Value, "2.5");
    EXPECT_FALSE(doc->save());
    ASSERT_EQ(prompter.messages().size(), 1);
    EXPECT_TRUE(prompter.messages()[0].startsWith("vshmain.prx was not saved: no backup of it could be made first"))
        << prompter.messages()[0].toStdString();
    EXPECT_TRUE(prompter.messages()[0].contains(QDir::toNativeSeparators(home.file("backups"))));
    const FileError pick = doc->files().write(ModuleFiles::Working, kDataOffset, QByteArray(4, '\x11'));
    EXPECT_FALSE(pick.ok());
    EXPECT_TRUE(pick.text().contains("no backup of it could be made first")) << pick.text().toStdString();
    EXPECT_TRUE(TestHome::readAll(home.module4()) == original);
    EXPECT_EQ(doc->model().cell(kFloatRow, BookmarkRow::Value), "2.5") << "the edit is still there to save";
}

TEST_F(BackupTest, RestoreAsksThenPutsTheBackupBackAndReloads)
{
    const QByteArray original = TestHome::readAll(home.module4());
    const QString firstValue = [&] {
        open4();
        return doc->model().cell(kFloatRow, BookmarkRow::Value);
    }();
    editAndSave("2.5");
    const QByteArray saved = TestHome::readAll(home.module4());
    const QString backup = backups()[0].path;

    prompter.answers.push_back(Prompter::Answer::No);
    EXPECT_FALSE(doc->restoreBackup(backup));
    EXPECT_TRUE(TestHome::readAll(home.module4()) == saved);

    prompter.calls.clear();
    prompter.answers.push_back(Prompter::Answer::Yes);
    ASSERT_TRUE(doc->restoreBackup(backup));
    ASSERT_EQ(prompter.count("ask"), 1);
    EXPECT_EQ(prompter.calls[0].title, "Restore Backup");
    EXPECT_TRUE(prompter.calls[0].text.contains("vshmain.prx as it is now is backed up first"));
    EXPECT_TRUE(TestHome::readAll(home.module4()) == original);
    EXPECT_EQ(doc->model().cell(kFloatRow, BookmarkRow::Value), firstValue) << "the list is read again";
    const auto now = backups();
    ASSERT_EQ(now.size(), 2u);
    EXPECT_TRUE(TestHome::readAll(now[0].path) == saved) << "the module that was replaced";
    EXPECT_EQ(doc->firstModifiedRow(), -1);
}

TEST_F(BackupTest, APackedModuleIsKeptBeforeItIsUnpackedInPlace)
{
    const QByteArray module = TestHome::readAll(home.module4());
    const QByteArray packed =
        *ModulePacker::assemble(DemoFixture::headerTemplate("4.05").left(336), GzipCodec::compress(module), module.size());
    TestHome::writeAll(home.module4(), packed);
    prompter.answers.push_back(Prompter::Answer::Yes);
    doc->openFromCommandLine(home.module4());
    ASSERT_EQ(doc->prxversion(), "4.05");
    ASSERT_EQ(backups().size(), 1u);
    EXPECT_TRUE(TestHome::readAll(backups()[0].path) == packed);
    editAndSave("2.5");
    ASSERT_EQ(backups().size(), 2u) << "the unpacked module before its first save";
    EXPECT_TRUE(TestHome::readAll(backups()[0].path) == module);
}

} // namespace
