#include "document/modulesaver.h"

#include "bookmarks/bookmarksection.h"
#include "common/codepage.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "document/firmware.h"
#include "document/modulepacker.h"
#include "document/prompter.h"
#include "document/prxdocument.h"
#include "document/toolrunner.h"
#include "grid/valuecodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <limits>

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
    const QString &type = row[BookmarkRow::Type];
    const QString &text = row[BookmarkRow::Value];
    if (type == QLatin1String("Float"))
        return ValueCodec::parseFloat(text) || ValueCodec::isSpecialFloatText(text) ? std::optional<qint64>(4)
                                                                                     : std::nullopt;
    if (type == QLatin1String("Integer"))
        return ValueCodec::parseInteger(text) ? std::optional<qint64>(2) : std::nullopt;
    if (type == QLatin1String("String")) {
        const auto length = lengthOf(row);
        if (!length)
            return std::nullopt;
        return *length > 0 ? qint64(*length) : qint64(Codepage::fromUnicode(text).size());
    }
    return 0;
}

void writeValue(ModuleFiles &files, int slot, const BookmarkRow &row)
{
    const HexText offset = HexText::convert(row[BookmarkRow::Offset]);
    ValueCodec::WriteValue(files, slot, offset.offset().value_or(0), row[BookmarkRow::Type], lengthOf(row).value_or(0),
                           row[BookmarkRow::Value]);
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

// A whole-file copy, renamed over the target only once it is complete.
bool copyWhole(const QString &from, const QString &to)
{
    QFile in(from);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = in.readAll();
    if (bytes.size() != in.size())
        return false;
    QSaveFile out(to);
    return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.commit();
}

} // namespace

ModuleSaver::ModuleSaver(PrxDocument &document)
    : m_doc(document)
    , m_prompter(document.prompter())
{
}

int ModuleSaver::firstInvalidRow(std::optional<qint64> copySize)
{
    ModuleFiles &files = m_doc.files();
    const auto &rows = m_doc.model().rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        const BookmarkRow &row = rows[i];
        const auto span = valueSpan(row);
        if (!span)
            return int(i);
        if (*span == 0)
            continue;
        qint64 size = 0;
        if (copySize) {
            size = *copySize;
        } else {
            // Rows that name no open file are not written, so they can not fail.
            const int slot = slotOf(row[BookmarkRow::File]);
            if (slot == 0 || !files.isOpen(slot))
                continue;
            size = files.size(slot);
        }
        const HexText offset = HexText::convert(row[BookmarkRow::Offset]);
        if (offset.isInvalid() || offset.value() + double(*span) > double(size))
            return int(i);
    }
    return -1;
}

bool ModuleSaver::checkValues(std::optional<qint64> copySize)
{
    const int row = firstInvalidRow(copySize);
    if (row < 0)
        return true;
    m_doc.list().selectedRow = row + 1;
    emit m_doc.listFocusRequested();
    emit m_doc.changed();
    m_prompter.inform(QStringLiteral("Enter a valid value"), PrxDocument::AppTitle, Prompter::Icon::None);
    return false;
}

bool ModuleSaver::save()
{
    if (!m_doc.moduleOpen())
        return false;
    // After a failed descramble the rows of file 1 have nowhere to go: saving
    // then would drop their edits without a word.
    if (!m_doc.files().isOpen(ModuleFiles::Working)) {
        m_prompter.inform(m_doc.OpenedFiletitle +
                              QStringLiteral(" can not be saved: its working copy is not open. "
                                             "Choose the correct PRX version first."),
                          QStringLiteral("Error"), Prompter::Icon::Critical);
        return false;
    }
    if (!checkValues())
        return false;
    {
        IniFile &bookmarks = m_doc.bookmarks();
        IniFile::Batch batch(bookmarks);
        m_doc.SaveVT(m_doc.prxversion);
        ModuleFiles &files = m_doc.files();
        for (const BookmarkRow &row : m_doc.model().rows()) {
            const int slot = slotOf(row[BookmarkRow::File]);
            if (slot != 0 && files.isOpen(slot))
                writeValue(files, slot, row);
        }
        BookmarkSection::writeSnapshot(bookmarks, m_doc.prxversion, m_doc.model().rows());
    }
    if (Firmware::isScrambled(m_doc.prxversion))
        scrambleBack();
    return true;
}

void ModuleSaver::scrambleBack()
{
    ModuleFiles &files = m_doc.files();
    const QString workingCopy = m_doc.workingCopyPath();
    if (!files.isOpen(ModuleFiles::Working) || files.path(ModuleFiles::Working) != workingCopy)
        return;
    // The tool may replace the module file instead of rewriting it, so file 2
    // is let go for the run and opened afresh after it; then the writes made
    // into file 2, which the tool has just overwritten, are made again.
    files.close(ModuleFiles::Held);
    const bool started = ToolRunner::run(m_prompter, m_doc.scrambleToolPath(),
                                         {QStringLiteral("-s"), QFileInfo(workingCopy).fileName(), m_doc.OpenedFiletitle},
                                         QFileInfo(m_doc.currentModuleFile).absolutePath(),
                                         QStringLiteral("Scrambling %1...").arg(m_doc.OpenedFiletitle))
                             .outcome != ToolRun::Outcome::NotStarted;
    files.open(ModuleFiles::Held, m_doc.currentModuleFile);
    files.replayJournal();
    if (!started)
        m_prompter.inform(QStringLiteral("The scramble tool %1 could not be started: %2 holds the values of the "
                                         "previous save.")
                              .arg(QDir::toNativeSeparators(m_doc.scrambleToolPath()), m_doc.OpenedFiletitle),
                          QStringLiteral("Error"), Prompter::Icon::Critical);
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
    if (!m_doc.moduleOpen())
        return;
    const QString chosen = chooseTarget(m_lastSavePath);
    // The dialog offers existing files only; the working copy is never a target.
    if (chosen.isEmpty() || !QFileInfo(chosen).isFile() || sameFile(chosen, m_doc.workingCopyPath()))
        return;
    const bool ontoModule = sameFile(chosen, m_doc.currentModuleFile);
    if (Firmware::isScrambled(m_doc.prxversion)) {
        if (save() && !ontoModule)
            copyWhole(m_doc.currentModuleFile, chosen);
        return;
    }
    if (!checkValues(QFileInfo(m_doc.currentModuleFile).size()))
        return;
    if (!ontoModule && !copyWhole(m_doc.currentModuleFile, chosen))
        return;
    {
        // The list goes into the bookmark file, but the module itself is not
        // written: its snapshot stays, so the exit check still sees the changes.
        IniFile &bookmarks = m_doc.bookmarks();
        IniFile::Batch batch(bookmarks);
        const int rows = m_doc.model().count();
        const int kept = std::max(rows, BookmarkSection::entryCount(bookmarks, m_doc.prxversion));
        QStringList snapshot;
        for (int n = 1; n <= kept; ++n)
            snapshot << bookmarks.read(m_doc.prxversion, BookmarkSection::entryKey(n, "value"));
        m_doc.SaveVT(m_doc.prxversion);
        for (int n = 1; n <= rows; ++n)
            bookmarks.write(m_doc.prxversion, BookmarkSection::entryKey(n, "value"), snapshot[n - 1]);
    }
    ModuleFiles copy;
    if (!copy.open(ModuleFiles::Working, chosen))
        return;
    for (const BookmarkRow &row : m_doc.model().rows())
        writeValue(copy, ModuleFiles::Working, row);
}

void ModuleSaver::saveCompressedAs()
{
    if (!m_doc.moduleOpen())
        return;
    const QString chosen = chooseTarget(m_lastSavePath.isEmpty() ? QString() : QFileInfo(m_lastSavePath).absolutePath());
    if (chosen.isEmpty())
        return;
    if (sameFile(chosen, m_doc.currentModuleFile) || sameFile(chosen, m_doc.workingCopyPath())) {
        m_prompter.inform(QStringLiteral("         PRX file is in use!         "), QStringLiteral("Error"),
                          Prompter::Icon::Information);
        return;
    }
    if (!QFileInfo(chosen).isFile() || !save())
        return;
    ModulePacker(m_prompter).pack(m_doc.currentModuleFile,
                                  m_doc.AppPath + QStringLiteral("header/") + m_doc.prxversion + QStringLiteral(".prx"),
                                  chosen);
}

int ModuleSaver::firstModifiedRow()
{
    IniFile &bookmarks = m_doc.bookmarks();
    const auto &rows = m_doc.model().rows();
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i][BookmarkRow::Value] != bookmarks.read(m_doc.prxversion, BookmarkSection::entryKey(int(i) + 1, "value")))
            return int(i);
    }
    return -1;
}

bool ModuleSaver::exitCheck()
{
    if (!m_doc.moduleOpen() || firstModifiedRow() < 0)
        return true;
    const auto answer = m_prompter.ask(m_doc.OpenedFiletitle +
                                           QStringLiteral(" has been modified\r\nDo you want to save changes and exit?"),
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
