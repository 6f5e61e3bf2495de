#include "common/inifile.h"
#include "document/gzipcodec.h"
#include "document/modulesaver.h"
#include "document/toolrunner.h"
#include "documenttest.h"
#include "tools/mkdemo/demofixture.h"
#include "values/valuecodec.h"
#include "vshtool/vshtool.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtEndian>
#include <cstring>
#include <limits>
#include <vector>

namespace {

using DemoFixture::kCodeOffset;
using DemoFixture::kDataOffset;

// Rows of the demo list (both versions): 0 Float, 2 Integer, 4 String of 16,
// 6 Float in the code segment (scrambled on disk for 5.00), 8 Float in file 2.
constexpr int kFloatRow = 0;
constexpr int kIntegerRow = 2;
constexpr int kStringRow = 4;
constexpr int kCodeRow = 6;
constexpr int kHeldRow = 8;
constexpr qint64 kFloatAt = kDataOffset + 0x10;
constexpr qint64 kIntegerAt = kDataOffset + 0x20;
constexpr qint64 kStringAt = kDataOffset + 0x40;
constexpr qint64 kCodeAt = kCodeOffset + 0x2240;
constexpr qint64 kHeldAt = kDataOffset + 0x80;

float floatIn(const QByteArray &bytes, qint64 at)
{
    const quint32 bits = qFromLittleEndian<quint32>(bytes.constData() + at);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

qint16 integerIn(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<qint16>(bytes.constData() + at);
}

// The module file as the stand-in tool descrambles it.
QByteArray descrambled(const QString &module)
{
    QTemporaryDir dir;
    QFile::copy(module, dir.filePath("m.prx"));
    FakePrompter quiet;
    ToolRunner::run(quiet, QStringLiteral(SCRAMBLE_PATH), {"-d", "m.prx", "m.bin"}, dir.path(), QString());
    return TestHome::readAll(dir.filePath("m.bin"));
}

class SaveTest : public DocumentTest
{
protected:
    void open(const QString &version)
    {
        doc->openFromCommandLine(version == "5.00" ? home.module5() : home.module4());
        ASSERT_EQ(doc->prxversion(), version);
        prompter.calls.clear();
    }
    void edit(int row, const QString &value) { doc->model().setCell(row, BookmarkRow::Value, value); }
    QString snapshot(int row) { return doc->model().rows()[size_t(row)].savedValue; }
    // A row as a search hit makes it (what the file holds there), then edited to `value` unless that is null.
    int addRow(const QString &offset, const QString &type, const char *value, const QString &file = "1")
    {
        const int row = doc->model().count();
        doc->model().appendDescribedRows("Found", QString(), {offset}, type, file);
        doc->model().readValues(doc->files(), row);
        if (value)
            edit(row, value);
        return row;
    }
    QString existingTarget(const QString &name)
    {
        const QString path = home.file("out/" + name);
        QDir().mkpath(home.file("out"));
        TestHome::writeAll(path, "an older file");
        return path;
    }
};

class SaveByVersion : public SaveTest, public ::testing::WithParamInterface<const char *>
{
};

TEST_P(SaveByVersion, ValuesLandAtTheirOffsetsAndTheSnapshotIsRenewed)
{
    const QString version = GetParam();
    open(version);
    edit(kFloatRow, "2.5");
    edit(kIntegerRow, "-300");
    edit(kStringRow, "Theme");
    edit(kCodeRow, "0.125");
    ASSERT_TRUE(doc->save());
    EXPECT_TRUE(prompter.messages().isEmpty()) << prompter.messages().join("|").toStdString();

    const bool scrambled = version == "5.00";
    const QString module = scrambled ? home.module5() : home.module4();
    const QByteArray working = TestHome::readAll(scrambled ? home.file("demo/vshmain.bin") : module);
    EXPECT_EQ(floatIn(working, kFloatAt), 2.5f);
    EXPECT_EQ(integerIn(working, kIntegerAt), -300);
    EXPECT_EQ(working.mid(kStringAt, 16), QByteArray("Theme\0\0\0\0\0\0\0\0\0\0\0", 16)) << "the field is cleared";
    EXPECT_EQ(floatIn(working, kCodeAt), 0.125f);
    if (scrambled) {
        const QByteArray stored = TestHome::readAll(module);
        EXPECT_NE(floatIn(stored, kCodeAt), 0.125f) << "the code segment is scrambled on disk";
        EXPECT_TRUE(descrambled(module) == working) << "the module file descrambles to the working copy";
        EXPECT_TRUE(doc->files().isOpen(ModuleFiles::Working));
        EXPECT_TRUE(doc->files().isOpen(ModuleFiles::Held));
    }

    for (const auto &[row, text] : {std::pair{kFloatRow, "2.5"}, {kIntegerRow, "-300"}, {kStringRow, "Theme"},
                                    {kCodeRow, "0.125"}, {1, "12.25"}})
        EXPECT_EQ(snapshot(row), text);
    EXPECT_EQ(doc->firstModifiedRow(), -1);
    EXPECT_EQ(IniFile(home.bookmarks()).read(version, "entry.5.description"), "Sub-menu label") << "SaveVT wrote the list";

    doc->closeModule();
    restart();
    doc->openFromCommandLine(module);
    EXPECT_EQ(doc->model().cell(kCodeRow, BookmarkRow::Value), "0.125") << "the value is there when opened again";
}

INSTANTIATE_TEST_SUITE_P(Firmware, SaveByVersion, ::testing::Values("4.05", "5.00"));

TEST_F(SaveTest, WritesIntoFile2SurviveTheScrambleBack)
{
    open("5.00");
    edit(kHeldRow, "0.875");
    ASSERT_TRUE(doc->save());
    EXPECT_EQ(floatIn(TestHome::readAll(home.module5()), kHeldAt), 0.875f);
    EXPECT_EQ(floatIn(TestHome::readAll(home.file("demo/vshmain.bin")), kHeldAt), 0.875f)
        << "the working copy is the saved module descrambled";

    // A colour write of the VSHmain tool goes straight into file 2.
    const QByteArray colour("\x11\x22\x33\x44", 4);
    ASSERT_TRUE(doc->files().write(ModuleFiles::Held, DemoFixture::kFontStart, colour).ok());
    edit(kFloatRow, "7");
    ASSERT_TRUE(doc->save());
    const QByteArray stored = TestHome::readAll(home.module5());
    EXPECT_EQ(floatIn(stored, kHeldAt), 0.875f) << "replayed again at the second save";
    EXPECT_EQ(stored.mid(DemoFixture::kFontStart, 4), colour);
    EXPECT_EQ(floatIn(descrambled(home.module5()), kFloatAt), 7.0f);
    EXPECT_EQ(doc->files().read(ModuleFiles::Held, kHeldAt, 4), stored.mid(kHeldAt, 4)) << "file 2 reopened";

    doc->closeModule();
    EXPECT_FALSE(doc->files().isJournalling()) << "the journal goes with the working copy";
}

TEST_F(SaveTest, TheWorkingCopyIsTheSavedModuleDescrambled)
{
    open("5.00");
    VshTool tool(*doc);
    for (const Rgb colour : {Rgb{0x11, 0x22, 0x33}, Rgb{0x44, 0x55, 0x66}}) {
        prompter.colours.push_back(colour);
        ASSERT_EQ(tool.WriteColor(ColourTable::Font, 0).status, ColourWrite::Status::Written);
        edit(kFloatRow, QString::number(colour.red));
        edit(kHeldRow, QString::number(colour.blue));
        ASSERT_TRUE(doc->save());
        const QByteArray working = descrambled(home.module5());
        ASSERT_FALSE(working.isEmpty());
        EXPECT_TRUE(TestHome::readAll(home.file("demo/vshmain.bin")) == working);
        EXPECT_TRUE(doc->files().read(ModuleFiles::Working, 0, working.size()) == working) << "file 1 is the new copy";
        EXPECT_EQ(floatIn(working, DemoFixture::kFontStart), colour.red / 255.0f) << "the tool's colour is in it";
    }
}

TEST_F(SaveTest, TheListShowsWhatTheFilesHoldAfterSave)
{
    for (const QString version : {"4.05", "5.00"}) {
        SCOPED_TRACE(version.toStdString());
        restart();
        open(version);
        edit(kIntegerRow, "32767.4");
        // Unchanged, on the integer's first two bytes: not written, but changed by that write.
        const int covering = addRow(QString::number(kIntegerAt - 2, 16), "Float", nullptr);
        const QString coveringBefore = doc->model().cell(covering, BookmarkRow::Value);
        // Written on the bytes of the first row, which is not written.
        const int sameBytes = addRow(QString::number(kFloatAt, 16), "Float", "3");
        ASSERT_TRUE(doc->save());

        const QByteArray working = TestHome::readAll(version == "5.00" ? home.file("demo/vshmain.bin") : home.module4());
        EXPECT_EQ(doc->model().cell(kIntegerRow, BookmarkRow::Value), "32767");
        const QString covered = doc->model().cell(covering, BookmarkRow::Value);
        EXPECT_EQ(covered, ValueCodec::formatFloat(floatIn(working, kIntegerAt - 2)));
        EXPECT_NE(covered, coveringBefore);
        EXPECT_EQ(doc->model().cell(sameBytes, BookmarkRow::Value), "3");
        EXPECT_EQ(doc->model().cell(kFloatRow, BookmarkRow::Value), "3") << "the row on the same bytes shows them";
        EXPECT_EQ(doc->model().firstModifiedRow(), -1);
    }
}

TEST_F(SaveTest, TwoWrittenRowsOnOneByteAreRefused)
{
    const struct
    {
        int row;          // a row of the list, edited
        const char *offset; // of a new row, edited
        const char *type;
        const char *message; // nothing: both are written
    } cases[] = {
        {kIntegerRow, "10020", "Integer",
         "Row 3 (Menu item height) and row 9 (Found) both write into vshmain.prx at offset 10020: only one of them "
         "can be saved. Change or remove one of them."},
        {kFloatRow, "10012", "Integer",
         "Row 1 (Clock text scale) and row 9 (Found) both write into vshmain.prx at offset 10012: only one of them "
         "can be saved. Change or remove one of them."},
        {kStringRow, "1004F", "Integer",
         "Row 5 (Sub-menu label) and row 9 (Found) both write into vshmain.prx at offset 1004F: only one of them "
         "can be saved. Change or remove one of them."},
        {kStringRow, "1003E", "Float",
         "Row 5 (Sub-menu label) and row 9 (Found) both write into vshmain.prx at offset 10040: only one of them "
         "can be saved. Change or remove one of them."},
        {kFloatRow, "1000C", "Float", nullptr}, // ends where the other begins
        {kStringRow, "10050", "Integer", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.offset);
        restart();
        open("4.05");
        edit(c.row, "7");
        const int added = addRow(c.offset, c.type, "9");
        const QByteArray module = TestHome::readAll(home.module4());
        const QByteArray vt = TestHome::readAll(home.bookmarks());
        if (!c.message) {
            EXPECT_TRUE(doc->save());
            EXPECT_TRUE(prompter.messages().isEmpty());
            continue;
        }
        EXPECT_FALSE(doc->save());
        EXPECT_EQ(prompter.messages().join('|').toStdString(), c.message);
        EXPECT_EQ(grid->selectedRow, added + 1);
        EXPECT_TRUE(TestHome::readAll(home.module4()) == module) << "nothing written into the module";
        EXPECT_TRUE(TestHome::readAll(home.bookmarks()) == vt) << "nor into the bookmark file";
        EXPECT_EQ(doc->model().cell(c.row, BookmarkRow::Value), "7") << "both edits stay in the list";
        EXPECT_EQ(doc->model().cell(added, BookmarkRow::Value), "9");
    }

    // A copy takes every row into one file, whatever their File cells.
    restart();
    open("4.05");
    edit(kIntegerRow, "7");
    const int added = addRow("10020", "Integer", "9", "2");
    prompter.files.push_back(existingTarget("copy.prx"));
    doc->saveAs();
    EXPECT_TRUE(prompter.messages().value(0).startsWith(
        QStringLiteral("Row 3 (Menu item height) and row %1 (Found) both write").arg(added + 1)))
        << prompter.messages().join('|').toStdString();
    EXPECT_EQ(TestHome::readAll(home.file("out/copy.prx")), "an older file");
}

TEST_F(SaveTest, ValueCheckStopsBeforeAnythingIsWritten)
{
    const struct
    {
        int row;
        const char *column;
        const char *text;
        bool passes;
        const char *message = "";
    } cases[] = {
        {kFloatRow, "Value", "abc", false,
         "Enter a valid value\n\nRow 1 (Clock text scale): \"abc\" is not a number."},
        {kFloatRow, "Value", "", false, "Enter a valid value\n\nRow 1 (Clock text scale): it has no value."},
        {kFloatRow, "Value", "1e39", false,           // beyond a single
         "Enter a valid value\n\nRow 1 (Clock text scale): 1e39 is out of range (-3.402823E+38 to 3.402823E+38)."},
        {kFloatRow, "Value", "1.5 ", false,
         "Enter a valid value\n\nRow 1 (Clock text scale): \"1.5 \" is not a number."},
        {kIntegerRow, "Value", "32768", false,
         "Enter a valid value\n\nRow 3 (Menu item height): 32768 is out of range (-32768 to 32767)."},
        {kIntegerRow, "Value", "-32769", false,
         "Enter a valid value\n\nRow 3 (Menu item height): -32769 is out of range (-32768 to 32767)."},
        {kIntegerRow, "Value", "1,5", false,
         "Enter a valid value\n\nRow 3 (Menu item height): \"1,5\" is not a number."},
        {kIntegerRow, "Value", "32767.4", true},     // rounds into range
        {kStringRow, "Value", "not a number", true},
        {kStringRow, "Value", "seventeen letters", false,
         "Enter a valid value\n\nRow 5 (Sub-menu label): \"seventeen letters\" is longer than its Len of 16."},
        {kStringRow, "Len", "x", false,
         "Enter a valid value\n\nRow 5 (Sub-menu label): its Len \"x\" is not a whole number."},
        {kFloatRow, "Offset", "187FE", false,        // 4 bytes from 2 before the end
         "Row 1 can not be saved: its value at offset 187FE does not lie inside vshmain.prx (100352 bytes)."},
        {kFloatRow, "Offset", "187FC", true},        // the last 4 bytes
        {kFloatRow, "Offset", "12G4", false, "Row 1 can not be saved: its offset \"12G4\" is not a hexadecimal number."},
        {kFloatRow, "Offset", "", false, "Row 1 can not be saved: it has no offset."},
        {kFloatRow, "File", "2", false,              // 4.05 keeps no file 2
         "Row 1 can not be saved: it names file 2, but vshmain.prx has no file 2 (only firmware 5 and later keep one)."},
        {kFloatRow, "Type", "float", true},          // not tested, not written
        {kFloatRow, "File", "7", true},              // names no file, skipped
    };
    const QMap<QString, int> columns{{"Value", BookmarkRow::Value}, {"Len", BookmarkRow::Len},
                                     {"Offset", BookmarkRow::Offset}, {"Type", BookmarkRow::Type},
                                     {"File", BookmarkRow::File}};
    for (const auto &c : cases) {
        SCOPED_TRACE(std::string(c.column) + " '" + c.text + "'");
        restart();
        open("4.05");
        // Only changed values are written, so only they are checked.
        if (QString(c.column) == "Type")
            edit(c.row, "abc");
        else if (QString(c.column) != "Value")
            edit(c.row, QString::number(100 + (&c - cases))); // differs from what earlier cases saved
        doc->model().setCell(c.row, columns[c.column], c.text);
        const QByteArray module = TestHome::readAll(home.module4());
        const QByteArray vt = TestHome::readAll(home.bookmarks());
        int focus = 0;
        QObject::connect(doc.get(), &PrxDocument::valueFaulted, [&] { ++focus; });

        EXPECT_EQ(doc->save(), c.passes);
        if (c.passes) {
            EXPECT_TRUE(prompter.messages().isEmpty());
            continue;
        }
        ASSERT_EQ(prompter.count("inform"), 1);
        EXPECT_EQ(prompter.calls.back().text.toStdString(), c.message);
        EXPECT_EQ(prompter.calls.back().title, "VantorEditor");
        EXPECT_EQ(grid->selectedRow, c.row + 1);
        EXPECT_EQ(focus, 1);
        EXPECT_TRUE(TestHome::readAll(home.module4()) == module) << "nothing written into the module";
        EXPECT_TRUE(TestHome::readAll(home.bookmarks()) == vt) << "nor into the bookmark file";
    }
}

TEST_F(SaveTest, SaveAsBefore5WritesTheCopyAndLeavesTheModule)
{
    open("4.05");
    const QByteArray original = TestHome::readAll(home.module4());
    edit(kFloatRow, "3.5");
    const QString target = existingTarget("copy.prx");
    prompter.files.push_back(target);
    doc->saveAs();
    EXPECT_TRUE(prompter.messages().isEmpty());

    QByteArray expected = original;
    const float value = 3.5f;
    std::memcpy(expected.data() + kFloatAt, &value, 4);
    EXPECT_TRUE(TestHome::readAll(target) == expected);
    EXPECT_TRUE(TestHome::readAll(home.module4()) == original);
    EXPECT_EQ(snapshot(kFloatRow), "1.5") << "the module's saved value stays";
    EXPECT_EQ(doc->firstModifiedRow(), kFloatRow) << "so the exit check still asks";
    EXPECT_TRUE(QDir(home.file("out")).entryList(QDir::Files) == QStringList{"copy.prx"});
}

TEST_F(SaveTest, SaveAsFrom5SavesThenCopiesTheModule)
{
    open("5.00");
    edit(kCodeRow, "9.5");
    const QString target = existingTarget("copy.prx");
    prompter.files.push_back(target);
    doc->saveAs();
    EXPECT_EQ(floatIn(descrambled(home.module5()), kCodeAt), 9.5f);
    EXPECT_TRUE(TestHome::readAll(target) == TestHome::readAll(home.module5()));
    EXPECT_EQ(doc->firstModifiedRow(), -1);

    doc->saveAs();
    EXPECT_EQ(prompter.calls.back().kind, "save");
    EXPECT_EQ(prompter.calls.back().text, target) << "the dialog starts with the last chosen path";
}

TEST_F(SaveTest, SaveAsOntoAMissingFileDoesNothing)
{
    open("4.05");
    edit(kFloatRow, "3.5");
    const QString target = home.file("nowhere.prx");
    prompter.files.push_back(target);
    doc->saveAs();
    EXPECT_FALSE(QFileInfo::exists(target));
    EXPECT_EQ(snapshot(kFloatRow), "1.5");
}

TEST_F(SaveTest, SaveCompressedAsRefusesTheOpenModule)
{
    open("5.00");
    edit(kFloatRow, "3.5");
    const QByteArray before = TestHome::readAll(home.module5());
    prompter.files.push_back(home.module5());
    doc->saveCompressedAs();
    EXPECT_EQ(prompter.messages(), QStringList{"         PRX file is in use!         "});
    EXPECT_EQ(prompter.calls.back().title, "Error");
    EXPECT_EQ(prompter.calls.back().icon, Prompter::Icon::Information);
    EXPECT_TRUE(TestHome::readAll(home.module5()) == before);
    EXPECT_EQ(snapshot(kFloatRow), "1.5");
}

TEST_F(SaveTest, SaveCompressedAsSavesThenPacks)
{
    for (const QString version : {"4.05", "5.00"}) {
        SCOPED_TRACE(version.toStdString());
        restart();
        open(version);
        const QString module = version == "5.00" ? home.module5() : home.module4();
        edit(kFloatRow, "4.5");
        const QString target = existingTarget("packed.prx");
        prompter.files.push_back(target);
        doc->saveCompressedAs();
        EXPECT_EQ(prompter.messages(), QStringList{"Compression Complete!"});
        EXPECT_EQ(prompter.calls.front().kind, "save");
        EXPECT_EQ(prompter.calls.front().text, "") << "no start folder yet";

        const QByteArray saved = TestHome::readAll(module);
        EXPECT_EQ(floatIn(version == "5.00" ? descrambled(module) : saved, kFloatAt), 4.5f) << "saved first";
        const QByteArray packed = TestHome::readAll(target);
        ASSERT_GT(packed.size(), 336);
        EXPECT_EQ(packed.left(40), DemoFixture::headerTemplate(version).left(40));
        const quint32 streamSize = qFromLittleEndian<quint32>(packed.constData() + 176);
        EXPECT_TRUE(GzipCodec::decompress(packed.mid(336, streamSize)) == saved) << "the module as saved";

        prompter.calls.clear();
        doc->saveCompressedAs();
        EXPECT_EQ(prompter.calls.front().text, home.file("out")) << "the folder chosen last time";
    }
}

TEST_F(SaveTest, ExitCheck)
{
    const QString question = "vshmain.prx has been modified\r\nDo you want to save changes and exit?";
    const struct
    {
        const char *name;
        const char *value;
        std::optional<Prompter::Answer> answer;
        bool proceeds;
        bool saved;
    } cases[] = {
        {"unchanged", nullptr, std::nullopt, true, false},
        {"Yes", "5.5", Prompter::Answer::Yes, true, true},
        {"No", "6.5", Prompter::Answer::No, true, false},
        {"Cancel", "7.5", Prompter::Answer::Cancel, false, false},
        {"Yes stopped by the value check", "five", Prompter::Answer::Yes, false, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        restart();
        open("5.00");
        const QByteArray before = TestHome::readAll(home.module5());
        if (c.value)
            edit(kFloatRow, c.value);
        if (c.answer)
            prompter.answers.push_back(*c.answer);

        EXPECT_EQ(doc->exitCheck(), c.proceeds);
        EXPECT_EQ(prompter.count("ask"), c.answer ? 1 : 0);
        if (c.answer) {
            EXPECT_EQ(prompter.calls.front().text, question);
            EXPECT_EQ(prompter.calls.front().title, "Confirm");
            EXPECT_EQ(prompter.calls.front().buttons, Prompter::Buttons::YesNoCancel);
        }
        EXPECT_EQ(TestHome::readAll(home.module5()) != before, c.saved);
        if (c.value) {
            EXPECT_EQ(doc->model().cell(kFloatRow, BookmarkRow::Value), c.value) << "the list keeps its edits";
        }
    }
}

TEST_F(SaveTest, ExitCheckWithoutAModuleOrAfterSaveAsksNothing)
{
    EXPECT_TRUE(doc->exitCheck());
    open("4.05");
    edit(kIntegerRow, "12");
    ASSERT_TRUE(doc->save());
    EXPECT_TRUE(doc->exitCheck());
    EXPECT_EQ(prompter.count("ask"), 0);
}

TEST_F(SaveTest, OpeningAnotherModuleAsksAboutUnsavedValues)
{
    open("5.00");
    edit(kFloatRow, "6.5");

    prompter.files.push_back(home.module4());
    prompter.answers.push_back(Prompter::Answer::Cancel);
    doc->openFromMenu();
    EXPECT_EQ(prompter.count("ask"), 1);
    EXPECT_EQ(doc->prxversion(), "5.00") << "Cancel keeps the open module";
    EXPECT_EQ(doc->prxtempname(), home.module5());
    EXPECT_EQ(doc->model().cell(kFloatRow, BookmarkRow::Value), "6.5");
    EXPECT_TRUE(QFileInfo::exists(home.file("demo/vshmain.bin")));

    prompter.files.push_back(home.module4());
    prompter.answers.push_back(Prompter::Answer::Yes);
    doc->openFromMenu();
    EXPECT_EQ(doc->prxversion(), "4.05");
    EXPECT_EQ(floatIn(descrambled(home.module5()), kFloatAt), 6.5f) << "Yes saved the module first";
    EXPECT_FALSE(QFileInfo::exists(home.file("demo/vshmain.bin")));

    edit(kFloatRow, "8");
    const QByteArray module4 = TestHome::readAll(home.module4());
    prompter.files.push_back(home.module5());
    prompter.answers.push_back(Prompter::Answer::No);
    doc->openFromMenu();
    EXPECT_EQ(doc->prxversion(), "5.00");
    EXPECT_TRUE(TestHome::readAll(home.module4()) == module4) << "No discards the edits";
}

} // namespace

namespace {

TEST_F(SaveTest, NothingIsSavedWithoutAWorkingCopy)
{
    home.removeScrambleTool();
    doc->openFromCommandLine(home.module5());
    const QByteArray before = TestHome::readAll(home.module5());
    prompter.calls.clear();
    edit(0, "3");
    EXPECT_FALSE(doc->save());
    ASSERT_EQ(prompter.count("inform"), 1);
    EXPECT_TRUE(prompter.calls[0].text.startsWith("vshmain.prx can not be saved"));
    EXPECT_EQ(prompter.calls[0].title, "Error");
    EXPECT_EQ(TestHome::readAll(home.module5()), before);
}

} // namespace

TEST_F(SaveTest, ValuesNobodyChangedKeepTheirBytes)
{
    // Floats whose seven-digit text does not give back their bits.
    std::vector<float> awkward{1.0f / 3, std::numeric_limits<float>::max(), -std::numeric_limits<float>::max(),
                               -0.0f, std::numeric_limits<float>::denorm_min(), 1e-40f,
                               std::numeric_limits<float>::min()};
    for (int k = 0; k <= 255; ++k)
        awkward.push_back(float(k) / 255);
    for (int n = 1; n <= 24; ++n)
        for (int i = 1; i < n; ++i)
            awkward.push_back(float(i) / float(n));
    constexpr qint64 kAt = 0x16000;
    QByteArray module = TestHome::readAll(home.module4());
    ASSERT_LT(kAt + qint64(4 * awkward.size()), module.size());
    std::memcpy(module.data() + kAt, awkward.data(), 4 * awkward.size());
    TestHome::writeAll(home.module4(), module);
    {
        IniFile vt(home.bookmarks());
        IniFile::Batch batch(vt);
        const int first = vt.read("4.05", "offset").toInt();
        for (size_t i = 0; i < awkward.size(); ++i) {
            const int n = first + 1 + int(i);
            vt.write("4.05", QStringLiteral("entry.%1.offset").arg(n), QString::number(kAt + 4 * qint64(i), 16));
            vt.write("4.05", QStringLiteral("entry.%1.type").arg(n), "Float");
            vt.write("4.05", QStringLiteral("entry.%1.file").arg(n), "1");
        }
        vt.write("4.05", "offset", QString::number(first + int(awkward.size())));
    }
    open("4.05");
    edit(kFloatRow, "7.25");
    ASSERT_TRUE(doc->save());

    QByteArray expected = module;
    const float edited = 7.25f;
    std::memcpy(expected.data() + kFloatAt, &edited, 4);
    const QByteArray saved = TestHome::readAll(home.module4());
    ASSERT_EQ(saved.size(), expected.size());
    for (qsizetype i = 0; i < saved.size(); ++i)
        ASSERT_EQ(saved[i], expected[i]) << "byte " << i << " changed";
}
