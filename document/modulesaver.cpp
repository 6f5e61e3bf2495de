#include "document/modulesaver.h"

#include "bookmarks/bookmarksection.h"
#include "common/codepage.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "values/firmware.h"
#include "document/modulepacker.h"
#include "common/prompter.h"
#include "common/safefile.h"
#include "bookmarks/bookmarkmodel.h"
#include "common/inifile.h"
#include "document/toolrunner.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <limits>
#include <tuple>

namespace {

const QString kFilter = QStringLiteral("PRX File (*.prx *.PRX)");

int slotOf(const QString &fileCell)
{
    if (fileCell == QLatin1String("1"))
        return ModuleFiles::Working;
    if (fileCell == QLatin1String("2"))
        return ModuleFiles::Held;
    return 0;
}

std::optional<int> lengthOf(const BookmarkRow &row)
{
    const auto length = NumberText::parseWhole(row[BookmarkRow::Len]);
    if (!length || *length < 0 || *length > std::numeric_limits<int>::max())
        return std::nullopt;
    return int(*length);
}

// The bytes a row's value covers when written: 0 for a type that is not
// written, nothing when the text can not be written as its type.
std::optional<qint64> valueSpan(const BookmarkRow &row)
{
    const QString &text = row[BookmarkRow::Value];
    const auto type = ValueTypes::fromCell(row[BookmarkRow::Type]);
    if (!type)
        return 0;
    switch (*type) {
    case ValueType::Float:
        return FloatCodec::parse(text) || FloatCodec::isSpecialText(text) ? std::optional<qint64>(FloatCodec::Width)
                                                                           : std::nullopt;
    case ValueType::Integer:
        return IntegerCodec::parse(text) ? std::optional<qint64>(IntegerCodec::Width) : std::nullopt;
    case ValueType::String:
        break;
    }
    const auto length = lengthOf(row);
    if (!length)
        return std::nullopt;
    const qint64 chars = Codepage::fromUnicode(text).size();
    if (*length > 0 && chars > *length)
        return std::nullopt;
    return *length > 0 ? qint64(*length) : chars;
}

// Why a row's text can not be written as its type (what valueSpan refuses).
QString whyInvalid(const BookmarkRow &row)
{
    const auto type = ValueTypes::fromCell(row[BookmarkRow::Type]);
    const QString &text = row[BookmarkRow::Value];
    if (type && *type != ValueType::String) {
        if (text.isEmpty())
            return QStringLiteral("it has no value.");
        if (!NumberText::parse(text))
            return QStringLiteral("\"%1\" is not a number.").arg(text);
        return *type == ValueType::Float
                   ? QStringLiteral("%1 is out of range (-3.402823E+38 to 3.402823E+38).").arg(text)
                   : QStringLiteral("%1 is out of range (-32768 to 32767).").arg(text);
    }
    const auto length = lengthOf(row);
    if (!length)
        return QStringLiteral("its Len \"%1\" is not a whole number.").arg(row[BookmarkRow::Len]);
    return QStringLiteral("\"%1\" is longer than its Len of %2.").arg(text, QString::number(*length));
}

// "Row 3 (Menu item height)", or "Row 3" for a row without a description.
QString rowName(size_t index, const BookmarkRow &row)
{
    const QString &description = row[BookmarkRow::Description];
    return description.isEmpty() ? QStringLiteral("Row %1").arg(index + 1)
                                 : QStringLiteral("Row %1 (%2)").arg(index + 1).arg(description);
}

// Why a descrambled module can not be a working copy, or empty text.
QString notDescrambled(const QString &path)
{
    QFile file(path);
    if (!QFileInfo(path).isFile())
        return QStringLiteral("it left no working copy");
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("its working copy can not be read: %1").arg(file.errorString());
    if (file.size() == 0)
        return QStringLiteral("it wrote an empty working copy");
    if (file.read(4).mid(1) != QByteArrayLiteral("ELF"))
        return QStringLiteral("what it wrote is no module");
    return QString();
}

// Writes a row's value; empty text when it was written, else why not.
QString writeValue(ModuleFiles &files, int slot, const BookmarkRow &row, int number)
{
    const HexText offset = HexText::convert(row[BookmarkRow::Offset]);
    const auto result = ValueCodec::WriteValue(files, slot, offset.offset().value_or(0), row[BookmarkRow::Type],
                                               lengthOf(row).value_or(0), row[BookmarkRow::Value]);
    if (result == ValueCodec::WriteResult::Written)
        return QString();
    return QStringLiteral("Row %1 could not be written into %2 at offset %3.")
        .arg(number)
        .arg(QFileInfo(files.path(slot)).fileName(), row[BookmarkRow::Offset]);
}

bool sameFile(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QFileInfo x(a), y(b);
    if (x.exists() && y.exists())
        return x.canonicalFilePath() == y.canonicalFilePath();
    return x.absoluteFilePath() == y.absoluteFilePath();
}

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

// Why `path` can not be replaced by a saved version, or empty text.
QString unwritable(const QString &path)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return QStringLiteral("%1 no longer exists.").arg(native(path));
    if (!info.isWritable())
        return QStringLiteral("%1 is read-only.").arg(native(path));
    return QString();
}

} // namespace

QString SaveTarget::title() const
{
    return QFileInfo(module).fileName();
}

ModuleSaver::ModuleSaver(BookmarkModel &model, ModuleFiles &files, Prompter &prompter)
    : m_model(model)
    , m_files(files)
    , m_prompter(prompter)
{
}

bool ModuleSaver::saveList()
{
    if (!m_t.bookmarks)
        return true;
    if (!BookmarkSection::save(*m_t.bookmarks, m_t.version, m_model.rows()))
        return reportFileError(m_prompter, m_t.bookmarks->lastError());
    if (m_t.bookmarks->exists())
        m_model.markSaved();
    return true;
}

bool ModuleSaver::isPending(const BookmarkRow &row)
{
    // A row nobody changed keeps the bytes it was read from.
    return row[BookmarkRow::Value] != row.savedValue;
}

bool ModuleSaver::isWritten(const BookmarkRow &row, bool intoCopy) const
{
    if (!isPending(row) || valueSpan(row).value_or(0) == 0)
        return false;
    return intoCopy || m_files.isOpen(slotOf(row[BookmarkRow::File]));
}

ModuleSaver::Fault ModuleSaver::firstFault(std::optional<qint64> copySize)
{
    ModuleFiles &files = m_files;
    const auto &rows = m_model.rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const BookmarkRow &row = rows[i];
        if (!isPending(row))
            continue;
        const auto span = valueSpan(row);
        if (!span)
            return {int(i), QStringLiteral("Enter a valid value\n\n%1: %2").arg(rowName(i, row), whyInvalid(row))};
        if (*span == 0)
            continue;
        qint64 size = 0;
        QString name;
        if (copySize) {
            size = *copySize;
            name = m_t.title();
        } else {
            // Rows that name no module file are not written, so they can not fail.
            const int slot = slotOf(row[BookmarkRow::File]);
            if (slot == ModuleFiles::Held && !files.isOpen(slot))
                return {int(i), QStringLiteral("Row %1 can not be saved: it names file 2, but %2 has no file 2 (only "
                                               "firmware 5 and later keep one).")
                                    .arg(i + 1)
                                    .arg(m_t.title())};
            if (slot == 0 || !files.isOpen(slot))
                continue;
            size = files.size(slot);
            name = QFileInfo(files.path(slot)).fileName();
        }
        if (row[BookmarkRow::Offset].isEmpty())
            return {int(i), QStringLiteral("Row %1 can not be saved: it has no offset.").arg(i + 1)};
        const HexText offset = HexText::convert(row[BookmarkRow::Offset]);
        if (offset.isInvalid() || !offset.offset())
            return {int(i), QStringLiteral("Row %1 can not be saved: its offset \"%2\" is not a hexadecimal number.")
                                .arg(i + 1)
                                .arg(row[BookmarkRow::Offset])};
        if (offset.value() + double(*span) > double(size))
            return {int(i), QStringLiteral("Row %1 can not be saved: its value at offset %2 does not lie inside %3 "
                                           "(%4 bytes).")
                                .arg(i + 1)
                                .arg(row[BookmarkRow::Offset], name)
                                .arg(size)};
    }
    return {-1, QString()};
}

ModuleSaver::Fault ModuleSaver::firstOverlap(std::optional<qint64> copySize)
{
    struct Written
    {
        int file;
        qint64 begin;
        qint64 end;
        size_t row;
    };
    const auto &rows = m_model.rows();
    std::vector<Written> written;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (!isWritten(rows[i], copySize.has_value()))
            continue;
        const int file = copySize ? 0 : slotOf(rows[i][BookmarkRow::File]);
        const qint64 begin = HexText::convert(rows[i][BookmarkRow::Offset]).offset().value_or(0);
        written.push_back({file, begin, begin + valueSpan(rows[i]).value_or(0), i});
    }
    std::sort(written.begin(), written.end(), [](const Written &a, const Written &b) {
        return std::tie(a.file, a.begin, a.row) < std::tie(b.file, b.begin, b.row);
    });
    // The row reaching furthest so far is the one a later row can share bytes with.
    for (size_t k = 1, widest = 0; k < written.size(); ++k) {
        const Written &a = written[widest];
        const Written &b = written[k];
        if (a.file != b.file) {
            widest = k;
            continue;
        }
        if (b.begin < a.end) {
            const auto [first, second] = std::minmax(a.row, b.row);
            const QString name = copySize ? m_t.title() : QFileInfo(m_files.path(b.file)).fileName();
            return {int(second),
                    QStringLiteral("%1 and %2 both write into %3 at offset %4: only one of them can be saved. "
                                   "Change or remove one of them.")
                        .arg(rowName(first, rows[first]), rowName(second, rows[second]).replace(0, 1, u'r'), name,
                             QString::number(b.begin, 16).toUpper())};
        }
        if (b.end > a.end)
            widest = k;
    }
    return {-1, QString()};
}

bool ModuleSaver::checkValues(std::optional<qint64> copySize)
{
    Fault fault = firstFault(copySize);
    if (fault.row < 0)
        fault = firstOverlap(copySize);
    if (fault.row < 0)
        return true;
    if (m_onFault)
        m_onFault(fault.row);
    m_prompter.inform(fault.text, Prompter::AppTitle, Prompter::Icon::None);
    return false;
}

bool ModuleSaver::fail(const QString &text)
{
    m_prompter.inform(text, QStringLiteral("Error"), Prompter::Icon::Critical);
    return false;
}

QString ModuleSaver::beforeModuleChange() const
{
    return m_beforeModuleChange ? m_beforeModuleChange(m_t.module) : QString();
}

bool ModuleSaver::save()
{
    m_t = m_target ? m_target() : SaveTarget{};
    if (!m_t.isOpen())
        return false;
    // After a failed descramble the rows of file 1 have nowhere to go: saving
    // then would drop their edits without a word.
    if (!m_files.isOpen(ModuleFiles::Working))
        return fail(m_t.title() + QStringLiteral(" can not be saved: its working copy is not open. "
                                                          "Choose the correct PRX version first."));
    if (!checkValues())
        return false;
    if (m_diskCheck && !m_diskCheck())
        return false;
    m_notices.clear();
    const QString error = Firmware::isScrambled(m_t.version) ? saveScrambled() : savePlain();
    if (!error.isEmpty())
        return fail(m_t.title() + QStringLiteral(" was not saved: ") + error);
    // What the files now hold, not what was typed: a value that does not read
    // back as its text, a row on bytes another row wrote.
    m_model.readValues(m_files);
    for (const QString &notice : std::as_const(m_notices))
        m_prompter.inform(notice, Prompter::AppTitle, Prompter::Icon::Information);
    if (!m_t.bookmarks || BookmarkSection::save(*m_t.bookmarks, m_t.version, m_model.rows())) {
        if (m_t.bookmarks && m_t.bookmarks->exists())
            m_model.markSaved();
        return true;
    }
    // Said whole: the module did change, only the list did not reach its file.
    return fail(m_t.title() + QStringLiteral(" was saved, but its bookmark list was not: ") +
                m_t.bookmarks->lastError().text());
}

QString ModuleSaver::writePending(ModuleFiles &target, int slot, int fileCell)
{
    const auto &rows = m_model.rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const BookmarkRow &row = rows[i];
        if (isWritten(row, false) && slotOf(row[BookmarkRow::File]) == fileCell) {
            if (const QString error = writeValue(target, slot, row, int(i) + 1); !error.isEmpty())
                return error;
        }
    }
    return QString();
}

SafeFile::Options ModuleSaver::expecting(int slot) const
{
    SafeFile::Options options;
    options.expected = &m_files.stamp(slot);
    options.mustExist = true;
    return options;
}

QString ModuleSaver::savePlain()
{
    const QString module = m_t.module;
    if (const QString why = unwritable(module); !why.isEmpty())
        return why;
    if (const QString why = beforeModuleChange(); !why.isEmpty())
        return why;
    const QString name = QFileInfo(module).fileName();
    SafeFile::Stage stage(module);
    if (!stage.isValid())
        return stage.error().text();
    if (const FileError error = stage.copyIn(module, name); !error.ok())
        return error.text();
    const QString staged = stage.file(name);
    ModuleFiles copy;
    if (!copy.open(ModuleFiles::Working, staged))
        return QStringLiteral("Can not write %1.").arg(native(staged));
    copy.setScratch(ModuleFiles::Working, true);
    if (const QString error = writePending(copy, ModuleFiles::Working, ModuleFiles::Working); !error.isEmpty())
        return error;
    copy.closeAll();
    ModuleFiles &files = m_files;
    if (const FileError error = stage.commit(name, expecting(ModuleFiles::Working)); !error.ok())
        return error.text();
    if (!files.open(ModuleFiles::Working, module))
        return QStringLiteral("it was written, but could not be opened again.");
    return QString();
}

QString ModuleSaver::saveScrambled()
{
    ModuleFiles &files = m_files;
    const QString module = m_t.module;
    const QString workingCopy = files.path(ModuleFiles::Working);
    if (!QFileInfo(workingCopy).isFile())
        return QStringLiteral("its working copy %1 was deleted while it was open. Choose the PRX version again to "
                              "make a new one.")
            .arg(native(workingCopy));
    if (const QString why = unwritable(module); !why.isEmpty())
        return why;
    if (const QString why = beforeModuleChange(); !why.isEmpty())
        return why;
    if (const QString error = writePending(files, ModuleFiles::Working, ModuleFiles::Working); !error.isEmpty())
        return error;

    // The tool writes the scrambled module in a private folder; only a
    // complete, checked result is renamed over the module.
    SafeFile::Stage stage(module);
    const QString copyName = QFileInfo(workingCopy).fileName();
    const QString moduleName = QFileInfo(module).fileName();
    if (!stage.isValid())
        return stage.error().text();
    if (const FileError error = stage.copyIn(workingCopy, copyName); !error.ok())
        return error.text();
    if (const QString error = scrambleBack(stage, copyName, moduleName); !error.isEmpty())
        return error;
    const QString staged = stage.file(moduleName);
    if (const QString error = writeHeld(staged); !error.isEmpty())
        return error;
    // The working copy to come, made from the saved module before that
    // replaces the module: a result the tool can not descramble is no save.
    SafeFile::Stage copyStage(workingCopy);
    if (const QString error = descrambleSaved(staged, copyStage, moduleName, copyName); !error.isEmpty())
        return error;
    const qint64 before = QFileInfo(module).size();
    const qint64 after = QFileInfo(staged).size();
    if (const FileError error = stage.commit(moduleName, expecting(ModuleFiles::Held)); !error.ok())
        return error.text();
    files.close(ModuleFiles::Held);
    if (!files.open(ModuleFiles::Held, module))
        return QStringLiteral("it was written, but could not be opened again.");
    renewWorkingCopy(copyStage, copyName);
    noteSizeChange(before, after);
    return QString();
}

QString ModuleSaver::scrambleBack(SafeFile::Stage &stage, const QString &copyName, const QString &moduleName)
{
    const QString tool = m_t.scrambleTool;
    const ToolRun run = ToolRunner::run(m_prompter, tool, {QStringLiteral("-s"), copyName, moduleName}, stage.folder(),
                                        QStringLiteral("Scrambling %1...").arg(moduleName));
    if (run.outcome == ToolRun::Outcome::Cancelled)
        return QStringLiteral("saving was cancelled; the module is as it was.");
    if (!run.succeeded())
        return QStringLiteral("the scramble tool %1 %2").arg(native(tool), run.describe());
    // A scrambled module may have any size: only a missing or empty result is no module.
    const QFileInfo result(stage.file(moduleName));
    if (!result.isFile())
        return QStringLiteral("the scramble tool %1 wrote no module.").arg(native(tool));
    if (result.size() == 0)
        return QStringLiteral("the scramble tool %1 wrote an empty module.").arg(native(tool));
    return QString();
}

QString ModuleSaver::writeHeld(const QString &staged)
{
    // Writes into file 2 are not in the working copy: made again on the result.
    ModuleFiles result;
    if (!result.open(ModuleFiles::Working, staged))
        return QStringLiteral("Can not write %1.").arg(native(staged));
    result.setScratch(ModuleFiles::Working, true);
    if (!m_files.replayJournalInto(result, ModuleFiles::Working))
        return QStringLiteral("Can not write %1.").arg(native(staged));
    return writePending(result, ModuleFiles::Working, ModuleFiles::Held);
}

QString ModuleSaver::descrambleSaved(const QString &staged, SafeFile::Stage &copyStage, const QString &moduleName,
                                     const QString &copyName)
{
    if (!copyStage.isValid())
        return copyStage.error().text();
    if (const FileError error = copyStage.copyIn(staged, moduleName); !error.ok())
        return error.text();
    const QString tool = m_t.scrambleTool;
    const ToolRun run =
        ToolRunner::run(m_prompter, tool, {QStringLiteral("-d"), moduleName, copyName}, copyStage.folder(),
                        QStringLiteral("Descrambling %1...").arg(moduleName));
    if (run.outcome == ToolRun::Outcome::Cancelled)
        return QStringLiteral("saving was cancelled; the module is as it was.");
    QString why = run.succeeded() ? notDescrambled(copyStage.file(copyName)) : run.describe();
    if (why.isEmpty())
        return QString();
    return QStringLiteral("the scramble tool %1 could not descramble the module it made (%2); the module is as it was.")
        .arg(native(tool), why);
}

void ModuleSaver::renewWorkingCopy(SafeFile::Stage &copyStage, const QString &copyName)
{
    // The working copy becomes the saved module descrambled: it then holds
    // the writes made into file 2 too, and the journal starts empty.
    const QString workingCopy = m_files.path(ModuleFiles::Working);
    const FileError replaced = copyStage.commit(copyName);
    if (replaced.ok() && m_files.open(ModuleFiles::Working, workingCopy)) {
        m_files.setScratch(ModuleFiles::Working, true);
        m_files.setJournalling(true);
        if (m_onWorkingCopyRenewed)
            m_onWorkingCopyRenewed();
        return;
    }
    const QString why = replaced.ok() ? m_files.errorString(ModuleFiles::Working) : replaced.text();
    // The old working copy stays: the next save must make this save's file-2 writes again.
    for (const BookmarkRow &row : m_model.rows()) {
        if (isWritten(row, false) && slotOf(row[BookmarkRow::File]) == ModuleFiles::Held) {
            const qint64 at = HexText::convert(row[BookmarkRow::Offset]).offset().value_or(0);
            m_files.addToJournal(at, m_files.read(ModuleFiles::Held, at, valueSpan(row).value_or(0)));
        }
    }
    m_notices << QStringLiteral("%1 was saved, but its working copy %2 could not be made again from it: %3")
                     .arg(m_t.title(), native(workingCopy), why);
}

void ModuleSaver::noteSizeChange(qint64 before, qint64 after)
{
    if (before == after || !m_t.bookmarks)
        return;
    const auto recorded = NumberText::parse(m_t.bookmarks->read(m_t.version, QStringLiteral("PRXSize")));
    if (!recorded || *recorded != double(before))
        return;
    m_notices << QStringLiteral("The scramble tool made %1 %2 bytes long; version %3 is found by a size of %4 bytes "
                                "(PRXSize in %5). The next open will not find its version by size: choose %3 by "
                                "hand, or set its PRXSize to %2.")
                     .arg(m_t.title())
                     .arg(after)
                     .arg(m_t.version)
                     .arg(before)
                     .arg(native(m_t.bookmarks->path()));
}

QString ModuleSaver::chooseTarget(const QString &start)
{
    const QString chosen = m_prompter.chooseSaveFile(kFilter, start);
    if (!chosen.isEmpty())
        m_lastSavePath = chosen;
    return chosen;
}

void ModuleSaver::saveAs()
{
    m_t = m_target ? m_target() : SaveTarget{};
    if (!m_t.isOpen())
        return;
    const QString chosen = chooseTarget(m_lastSavePath);
    // The dialog offers existing files only; the working copy is never a target.
    if (chosen.isEmpty() || !QFileInfo(chosen).isFile() || sameFile(chosen, m_t.workingCopy))
        return;
    const bool ontoModule = sameFile(chosen, m_t.module);
    if (Firmware::isScrambled(m_t.version)) {
        if (save() && !ontoModule)
            copyOver(m_t.module, chosen, false);
        return;
    }
    if (!checkValues(QFileInfo(m_t.module).size()) || (m_diskCheck && !m_diskCheck()))
        return;
    if (ontoModule) {
        if (const QString why = unwritable(m_t.module); !why.isEmpty())
            return (void)fail(m_t.title() + QStringLiteral(" was not saved: ") + why);
        if (const QString why = beforeModuleChange(); !why.isEmpty())
            return (void)fail(m_t.title() + QStringLiteral(" was not saved: ") + why);
    }
    // The copy gets the list's values; the module itself and its saved values
    // stay as they were, so the exit check still sees the changes.
    if (copyOver(m_t.module, chosen, true))
        saveList();
}

bool ModuleSaver::copyOver(const QString &from, const QString &to, bool withValues)
{
    if (const QString why = unwritable(to); !why.isEmpty())
        return fail(QFileInfo(to).fileName() + QStringLiteral(" was not saved: ") + why);
    SafeFile::Stage stage(to);
    const QString name = QFileInfo(to).fileName();
    const QString staged = stage.file(name);
    if (!stage.isValid())
        return fail(name + QStringLiteral(" was not saved: ") + stage.error().text());
    if (const FileError error = stage.copyIn(from, name); !error.ok())
        return fail(name + QStringLiteral(" was not saved: ") + error.text());
    if (withValues) {
        // Every row goes into the copy, whatever its File cell says.
        ModuleFiles copy;
        if (!copy.open(ModuleFiles::Working, staged))
            return fail(QStringLiteral("Can not write %1.").arg(native(staged)));
        copy.setScratch(ModuleFiles::Working, true);
        const auto &rows = m_model.rows();
        for (size_t i = 0; i < rows.size(); ++i) {
            if (!isWritten(rows[i], true))
                continue;
            if (const QString error = writeValue(copy, ModuleFiles::Working, rows[i], int(i) + 1); !error.isEmpty())
                return fail(name + QStringLiteral(" was not saved: ") + error);
        }
    }
    if (const FileError error = stage.commit(name); !error.ok())
        return fail(name + QStringLiteral(" was not saved: ") + error.text());
    return true;
}

void ModuleSaver::saveCompressedAs()
{
    m_t = m_target ? m_target() : SaveTarget{};
    if (!m_t.isOpen())
        return;
    const QString chosen = chooseTarget(m_lastSavePath.isEmpty() ? QString() : QFileInfo(m_lastSavePath).absolutePath());
    if (chosen.isEmpty())
        return;
    if (sameFile(chosen, m_t.module) || sameFile(chosen, m_t.workingCopy)) {
        m_prompter.inform(QStringLiteral("         PRX file is in use!         "), QStringLiteral("Error"),
                          Prompter::Icon::Information);
        return;
    }
    if (!QFileInfo(chosen).isFile() || !save())
        return;
    ModulePacker(m_prompter).pack(m_t.module,
                                  m_t.headerTemplate,
                                  chosen);
}

int ModuleSaver::firstModifiedRow()
{
    return m_model.firstModifiedRow();
}

bool ModuleSaver::exitCheck()
{
    return askAboutChanges(QStringLiteral("Do you want to save changes and exit?"));
}

bool ModuleSaver::dropCheck(const QString &dropping)
{
    return askAboutChanges(dropping + QStringLiteral(" drops the unsaved changes. Do you want to save them first?"));
}

bool ModuleSaver::askAboutChanges(const QString &question)
{
    m_t = m_target ? m_target() : SaveTarget{};
    if (!m_t.isOpen() || firstModifiedRow() < 0)
        return true;
    const auto answer = m_prompter.ask(m_t.title() + QStringLiteral(" has been modified\r\n") + question,
                                       QStringLiteral("Confirm"), Prompter::Buttons::YesNoCancel,
                                       Prompter::Icon::Question);
    switch (answer) {
    case Prompter::Answer::Yes:
        return save();
    case Prompter::Answer::No:
        return true;
    default:
        return false;
    }
}
