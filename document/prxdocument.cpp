#include "document/prxdocument.h"

#include "bookmarks/bookmarksection.h"
#include "common/hextext.h"
#include "common/inifile.h"
#include "common/numbertext.h"
#include "common/prompter.h"
#include "common/undecodablename.h"
#include "document/addrowscommand.h"
#include "document/celleditcommand.h"
#include "document/modulewritecommand.h"
#include "document/moduleunpacker.h"
#include "document/sortcommand.h"
#include "values/firmware.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

namespace {

bool isFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

QString fileTitle(const QString &path)
{
    return QFileInfo(path).fileName();
}

// Why `path` can not be opened as a module, or empty text.
QString cannotOpen(const QString &path)
{
    const QString name = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir())
        return QStringLiteral("%1 is a folder, not a module file.").arg(name);
    // Opening a pipe would wait for a writer; a device never ends.
    if (QFileInfo(path).exists() && !QFileInfo(path).isFile())
        return QStringLiteral("Can not open %1: it is not a regular file.").arg(name);
    QFile probe(path);
    if (!probe.open(QIODevice::ReadOnly))
        return QStringLiteral("Can not open %1: %2").arg(name, probe.errorString());
    return QString();
}

// The same, for an open that has just failed.
QString openFailure(const QString &path)
{
    const QString why = cannotOpen(path);
    return why.isEmpty() ? QStringLiteral("Can not open %1.").arg(QDir::toNativeSeparators(path)) : why;
}

} // namespace

PrxDocument::PrxDocument(const QString &homeFolder, Prompter &prompter, QObject *parent)
    : QObject(parent)
    , m_prompter(prompter)
    , m_settings(homeFolder, m_inis, prompter)
    , m_backups(QDir(homeFolder).filePath(QStringLiteral("backups")))
{
    // Every replacement of the module, a save's or a single colour pick's,
    // is preceded by a backup of it as it was opened.
    m_saver.setBeforeModuleChange([this](const QString &module) { return backUpBeforeChange(module); });
    m_files.setBeforeReplace([this](const QString &path) {
        const QString why = backUpBeforeChange(path);
        return why.isEmpty() ? FileError::none() : FileError::writing(path, why);
    });
    m_saver.setTarget([this] { return saveTarget(); });
    m_saver.setFaultHandler([this](int row) { emit valueFaulted(row); });
    m_saver.setDiskCheck([this] { return confirmDiskVersion(true); });
    m_saver.setWorkingCopyRenewed([this] { m_workingCopy.mark(); });
    connect(&m_settings, &Settings::changed, this, &PrxDocument::changed);
}

PrxDocument::~PrxDocument()
{
    closeModule();
}

SaveTarget PrxDocument::saveTarget()
{
    SaveTarget target;
    target.module = m_currentModuleFile;
    target.version = m_prxversion;
    target.workingCopy = m_workingCopy.path();
    target.scrambleTool = m_settings.scrambleToolPath();
    target.headerTemplate = m_settings.headerTemplate(m_prxversion);
    target.bookmarks = m_currentBookmarkFile.isEmpty() ? nullptr : &bookmarks();
    return target;
}

void PrxDocument::setTitledModule(const QString &title)
{
    m_titledModule = title;
}

void PrxDocument::startUp(bool askFirstRun)
{
    m_settings.load(askFirstRun);
    m_prxversion = m_settings.storedVersion();
    emit started();
    emit changed();
}

QString PrxDocument::GetLongFilename(const QString &shortName)
{
    const QFileInfo info(shortName);
    return info.exists() ? info.canonicalFilePath() : QString();
}

QString PrxDocument::getVersion(const QString &moduleName)
{
    const qint64 size = m_files.isOpen(ModuleFiles::Working) ? m_files.size(ModuleFiles::Working)
                                                              : QFileInfo(m_currentModuleFile).size();
    return versionOfSize(moduleName, size);
}

QString PrxDocument::versionOfSize(const QString &moduleName, qint64 size)
{
    IniFile &file = ini(m_settings.bookmarkFile(moduleName));
    QString found;
    for (const QString &version : m_settings.FirmwareList()) {
        const auto recorded = NumberText::parse(file.read(version, QStringLiteral("PRXSize")));
        if (recorded && *recorded == double(size))
            found = version;
    }
    return found;
}

void PrxDocument::openFromCommandLine(const QString &argument, const QString &version)
{
    const QString longName = GetLongFilename(argument);
    if (longName.isEmpty()) {
        const QString undecodable = UndecodableName::message(argument);
        m_prompter.inform(undecodable.isEmpty() ? QStringLiteral("File not found: ") + argument : undecodable,
                          QStringLiteral("Error"), Prompter::Icon::Critical);
        return;
    }
    if (const QString problem = cannotOpen(longName); !problem.isEmpty()) {
        m_prompter.inform(problem, QStringLiteral("Error"), Prompter::Icon::Critical);
        return;
    }
    m_currentModuleFile = m_prxtempname = longName;
    m_openedFiletitle = fileTitle(longName);
    openModule(false, version);
}

bool PrxDocument::mayDropList(ListDrop why)
{
    emit aboutToDropList();
    return askBeforeDrop(why);
}

bool PrxDocument::askBeforeDrop(ListDrop why)
{
    switch (why) {
    case ListDrop::Refresh:
        return m_saver.dropCheck(QStringLiteral("Refreshing the bookmark list"));
    case ListDrop::Version:
        return m_saver.dropCheck(QStringLiteral("Choosing another version"));
    case ListDrop::OpenModule:
        break;
    }
    return m_saver.dropCheck(QStringLiteral("Opening another module"));
}

void PrxDocument::openFromMenu()
{
    // Typed text still in the editor counts as an edit when the question is asked.
    emit aboutToDropList();
    openChosen(m_prompter.chooseOpenFile(QStringLiteral("PRX files (*.prx *.PRX)"), m_prxtempname));
}

void PrxDocument::openPath(const QString &path)
{
    emit aboutToDropList();
    if (!QFileInfo::exists(path)) {
        m_prompter.inform(QStringLiteral("File not found: ") + QDir::toNativeSeparators(path), QStringLiteral("Error"),
                          Prompter::Icon::Critical);
        return;
    }
    openChosen(path);
}

void PrxDocument::openChosen(const QString &chosen)
{
    if (chosen.isEmpty() || chosen == m_prxtempname)
        return;
    // Checked before the open module is let go, which then stays open.
    const QString problem = QFileInfo::exists(chosen) ? cannotOpen(chosen) : UndecodableName::message(chosen);
    if (!problem.isEmpty()) {
        m_prompter.inform(problem, QStringLiteral("Error"), Prompter::Icon::Critical);
        return;
    }
    // Unsaved values are asked about before the open module is let go.
    if (isFile(chosen) && !askBeforeDrop(ListDrop::OpenModule))
        return;
    m_prxtempname = chosen;
    if (!isFile(chosen))
        return;
    m_workingCopy.drop();
    m_files.closeAll();
    m_currentModuleFile = chosen;
    m_openedFiletitle = fileTitle(chosen);
    setTitledModule(m_openedFiletitle);
    openModule(true);
}

void PrxDocument::openModule(bool fromMenu, const QString &version)
{
    m_backups.newOpening();
    // No module is open afterwards, and nothing of the one before stays on show.
    auto abandon = [this] {
        m_files.closeAll();
        m_currentModuleFile.clear();
        m_currentBookmarkFile.clear();
        m_history.clear();
        m_model.clear();
        setTitledModule(QString());
        m_vshToolEnabled = false;
        emit vshToolVisibilityRequested(false);
        emit moduleClosed();
        emit changed();
    };
    if (!m_files.open(ModuleFiles::Working, m_currentModuleFile)) {
        m_prompter.inform(openFailure(m_currentModuleFile), QStringLiteral("Error"), Prompter::Icon::Critical);
        return abandon();
    }
    if (m_files.read(ModuleFiles::Working, 1, 3) != QByteArrayLiteral("ELF")) {
        const auto answer = m_prompter.ask(QStringLiteral("Can not read PRX file, try to decompress?"),
                                           QStringLiteral("Error"), Prompter::Buttons::YesNo,
                                           Prompter::Icon::Critical);
        if (answer != Prompter::Answer::Yes || !unpackCurrentModule())
            return abandon();
    }
    m_currentBookmarkFile = m_settings.bookmarkFile(ModuleFiles::baseName(m_openedFiletitle));
    m_prxversion = version.isEmpty() ? getVersion(ModuleFiles::baseName(m_openedFiletitle)) : version;
    if (!m_prxversion.isEmpty()) {
        SetBookmark();
        ReloadBookmark();
        emit moduleShown();
        emit versionChanged(false);
        emit changed();
        emit moduleOpened();
        return;
    }
    if (fromMenu)
        emit moduleShown();
    const QString problem = bookmarkFileProblem();
    m_prompter.inform(QStringLiteral("No bookmark found for ") + m_openedFiletitle +
                          (problem.isEmpty() ? QStringLiteral("       ") : QStringLiteral(": ") + problem),
                      QStringLiteral("Error!"), Prompter::Icon::Information);
    // A skeleton could not go where the bookmark file can not be.
    if (fromMenu && problem.isEmpty()) {
        writeSkeleton();
        ReloadBookmark();
    }
    abandon();
}

QString PrxDocument::bookmarkFileProblem()
{
    const QString folder = m_settings.bookmarkFolder();
    const QFileInfo folderInfo(folder);
    if (folderInfo.exists() && !folderInfo.isDir())
        return QStringLiteral("the bookmark folder %1 (BookmarkPath in %2) is a file, not a folder.")
            .arg(QDir::toNativeSeparators(folder), QDir::toNativeSeparators(m_settings.configPath()));
    const QFileInfo file(m_currentBookmarkFile);
    if (file.isDir())
        return QStringLiteral("%1 is a folder, not a bookmark file.").arg(QDir::toNativeSeparators(m_currentBookmarkFile));
    if (const QString why = bookmarks().readError(); !why.isEmpty())
        return QStringLiteral("%1 can not be used: %2.").arg(QDir::toNativeSeparators(m_currentBookmarkFile), why);
    return QString();
}

void PrxDocument::writeSkeleton()
{
    IniFile &file = bookmarks();
    IniFile::Batch batch(file);
    const QString size = QString::number(QFileInfo(m_currentModuleFile).size());
    for (const QString &version : m_settings.FirmwareList()) {
        if (file.read(version, QStringLiteral("offset")) != IniFile::Missing)
            continue;
        file.write(version, QStringLiteral("PRXSize"), size);
        file.write(version, QStringLiteral("offset"), QStringLiteral("1"));
        file.write(version, QStringLiteral("entry.1.description"), QStringLiteral("Edit Description"));
        file.write(version, QStringLiteral("entry.1.offset"), QStringLiteral("0000000"));
    }
}

bool PrxDocument::SetBookmark()
{
    if (m_currentModuleFile.contains(QLatin1String("vshmain"))) {
        const QString begin = bookmarks().read(m_prxversion, QStringLiteral("BeginOffset"));
        if (begin != IniFile::Missing) {
            m_beginOffset = qint32(HexText::convert(begin).offset().value_or(0));
            m_vshToolEnabled = true;
        }
        emit vshToolVisibilityRequested(true);
    } else {
        m_vshToolEnabled = false;
        emit vshToolVisibilityRequested(false);
    }
    if (Firmware::isScrambled(m_prxversion) && !makeWorkingCopy()) {
        emit changed();
        return false;
    }
    // Said once, at the open: otherwise the first sign would be a failed save.
    int readOnly = 0;
    for (int slot : {ModuleFiles::Held, ModuleFiles::Working})
        if (readOnly == 0 && m_files.isOpen(slot) && !m_files.isWritable(slot))
            readOnly = slot;
    if (readOnly != 0)
        m_prompter.inform(QDir::toNativeSeparators(m_files.path(readOnly)) +
                              QStringLiteral(" is read-only: values can be viewed but not saved."),
                          Prompter::AppTitle, Prompter::Icon::Information);
    setTitledModule(m_openedFiletitle);
    emit changed();
    return true;
}

bool PrxDocument::makeWorkingCopy()
{
    return m_workingCopy.make(m_currentModuleFile, m_settings.scrambleToolPath());
}

bool PrxDocument::versionEnter(const QString &text)
{
    if (!mayDropList(ListDrop::Version)) {
        emit changed();
        return false;
    }
    m_prxversion = text;
    m_settings.writeVersion(m_prxversion);
    ReloadBookmark();
    emit versionChanged(true);
    emit changed();
    return true;
}

bool PrxDocument::versionClick(const QString &text)
{
    if (!mayDropList(ListDrop::Version)) {
        emit changed();
        return false;
    }
    m_prxversion = text;
    if (isFile(m_currentModuleFile) && Firmware::isScrambled(m_prxversion)) {
        makeWorkingCopy();
    } else {
        m_workingCopy.drop();
        m_files.close(ModuleFiles::Working);
        if (isFile(m_prxtempname))
            m_files.open(ModuleFiles::Working, m_prxtempname);
    }
    m_settings.writeVersion(m_prxversion);
    ReloadBookmark();
    emit versionChanged(true);
    emit changed();
    return true;
}

void PrxDocument::ReloadBookmark()
{
    // The history's rows and bytes belong to the list being replaced.
    m_history.clear();
    const bool haveBookmarks = isFile(m_currentBookmarkFile);
    // One reload sees one state of the bookmark file, the tool window's reads
    // included: a file written moments ago is otherwise read again at every key.
    std::optional<IniFile::Batch> oneRead;
    if (haveBookmarks)
        oneRead.emplace(bookmarks());
    m_model.setRows(haveBookmarks ? BookmarkSection::load(bookmarks(), m_prxversion,
                                                          isFile(m_currentModuleFile) ? &m_files : nullptr)
                                  : std::vector<BookmarkRow>{});
    if (haveBookmarks)
        m_settings.writeExpertmode();
    m_model.renumber();
    rememberBookmarkVersion();
    const bool readColours =
        haveBookmarks && m_currentModuleFile.contains(QLatin1String("vshmain")) &&
        bookmarks().read(m_prxversion, QStringLiteral("RFontStart")).toLower() != QLatin1String("default");
    const CategoryLists lists = haveBookmarks ? readCategoryLists() : CategoryLists{};
    emit vshToolReloaded(readColours, lists.subMenu, lists.main);
    emit changed();
}

PrxDocument::CategoryLists PrxDocument::readCategoryLists()
{
    CategoryLists read;
    if (m_currentBookmarkFile.isEmpty())
        return read;
    const QString menu = bookmarks().read(m_prxversion, QStringLiteral("XMBmenuString"));
    if ((read.subMenu = menu != IniFile::Missing))
        m_xmbMenu = menu.split(QLatin1Char(','));
    const QString main = bookmarks().read(m_prxversion, QStringLiteral("XMBmainString"));
    if ((read.main = main != IniFile::Missing))
        m_xmbMain = main.split(QLatin1Char(','));
    return read;
}

bool PrxDocument::SaveVT(const QString &section)
{
    if (m_currentBookmarkFile.isEmpty())
        return true;
    IniFile &file = bookmarks();
    if (!BookmarkSection::save(file, section, m_model.rows()))
        return m_settings.reportWriteFailure(file);
    // Only the file of the list in use holds it now.
    if (section == m_prxversion && file.exists())
        m_model.markSaved();
    return true;
}

bool PrxDocument::unpackCurrentModule()
{
    // The packed file is replaced by what it holds: kept first, as any module a change replaces.
    if (const FileError error = m_backups.make(m_currentModuleFile); !error.ok()) {
        m_prompter.inform(QDir::toNativeSeparators(m_currentModuleFile) +
                              QStringLiteral(" was not unpacked: no backup of it could be made first (%1)")
                                  .arg(error.text()),
                          QStringLiteral("Error"), Prompter::Icon::Critical);
        return false;
    }
    m_files.close(ModuleFiles::Working);
    if (!ModuleUnpacker(m_prompter).unpack(m_currentModuleFile))
        return false;
    if (m_files.open(ModuleFiles::Working, m_currentModuleFile))
        return true;
    m_prompter.inform(openFailure(m_currentModuleFile), QStringLiteral("Error"), Prompter::Icon::Critical);
    return false;
}

int PrxDocument::moduleSlot() const
{
    return m_workingCopy.path().isEmpty() ? ModuleFiles::Working : ModuleFiles::Held;
}

void PrxDocument::rememberBookmarkVersion()
{
    if (m_currentBookmarkFile.isEmpty()) {
        m_bookmarkStamp = FileStamp();
        return;
    }
    IniFile &file = bookmarks();
    m_bookmarkStamp = file.exists() ? file.diskStamp() : FileStamp();
    m_bookmarkWrites = file.writeCount();
}

bool PrxDocument::bookmarksChangedOnDisk()
{
    if (m_currentBookmarkFile.isEmpty())
        return false;
    IniFile &file = bookmarks();
    // Writes made here since are this program's own.
    if (file.writeCount() != m_bookmarkWrites) {
        m_bookmarkStamp = file.diskStamp();
        m_bookmarkWrites = file.writeCount();
    }
    return !m_bookmarkStamp.matches(m_currentBookmarkFile);
}

bool PrxDocument::confirmDiskVersion(bool beforeSave)
{
    if (!moduleOpen())
        return true;
    const int slot = moduleSlot();
    const bool module = m_files.isOpen(slot) && m_files.changedOnDisk(slot);
    const bool list = bookmarksChangedOnDisk();
    if (!module && !list)
        return true;
    // A change the person put off when coming back is asked about again at Save, not at every return.
    const auto seen = std::make_pair(FileStamp::of(m_files.path(slot)), FileStamp::of(m_currentBookmarkFile));
    if (!beforeSave && m_putOff && m_putOff->first.matches(m_files.path(slot)) &&
        m_putOff->second.matches(m_currentBookmarkFile))
        return true;
    m_putOff.reset();
    QStringList names;
    if (module)
        names << m_openedFiletitle;
    if (list)
        names << QFileInfo(m_currentBookmarkFile).fileName();
    const QString what = names.join(QStringLiteral(" and ")) +
                         (names.size() > 1 ? QStringLiteral(" were") : QStringLiteral(" was")) +
                         QStringLiteral(" changed by another program since ") + m_openedFiletitle +
                         QStringLiteral(" was opened here.");
    if (m_diskChanges == DiskChanges::Refuse) {
        m_prompter.inform(what + QStringLiteral(" Nothing was written over it."), QStringLiteral("Error"),
                          Prompter::Icon::Critical);
        return false;
    }
    const QString keep = beforeSave ? QStringLiteral("No: save over %1; the other program's changes are lost.")
                                          .arg(names.size() > 1 ? QStringLiteral("them") : QStringLiteral("it"))
                                    : QStringLiteral("No: keep what is shown here; saving will write over the "
                                                     "other program's changes.");
    const QString them = names.size() > 1 ? QStringLiteral("them") : QStringLiteral("it");
    const auto answer = m_prompter.ask(what + QStringLiteral("\r\n\r\nYes: reload ") + them +
                                           QStringLiteral("; the changes not saved here are lost.\r\n") +
                                           keep + QStringLiteral("\r\nCancel: do neither for now."),
                                       Prompter::AppTitle, Prompter::Buttons::YesNoCancel, Prompter::Icon::Warning);
    switch (answer) {
    case Prompter::Answer::Yes:
        reloadFromDisk();
        return false;
    case Prompter::Answer::No:
        if (module)
            m_files.acceptDiskVersion(slot);
        if (list) {
            bookmarks().read(m_prxversion, QStringLiteral("offset"));
            m_bookmarkStamp = bookmarks().diskStamp();
        }
        return true;
    default:
        if (!beforeSave)
            m_putOff = seen;
        return false;
    }
}

void PrxDocument::reloadFromDisk()
{
    const QString version = m_prxversion;
    m_workingCopy.drop();
    m_files.closeAll();
    openModule(false, version);
}

void PrxDocument::closeModule()
{
    m_files.closeAll();
    m_workingCopy.drop();
}

QString PrxDocument::backUpBeforeChange(const QString &path)
{
    const FileError error = m_backups.beforeChange(path);
    return error.ok() ? QString() : QStringLiteral("no backup of it could be made first (%1)").arg(error.text());
}

bool PrxDocument::restoreBackup(const QString &backup)
{
    if (!moduleOpen())
        return false;
    emit aboutToDropList();
    const auto known = backups();
    const auto chosen = std::find_if(known.begin(), known.end(), [&](const BackupStore::Backup &b) {
        return QFileInfo(b.path).canonicalFilePath() == QFileInfo(backup).canonicalFilePath();
    });
    const QString when = chosen == known.end() ? QFileInfo(backup).fileName()
                                               : QStringLiteral("of ") + BackupStore::timeText(chosen->time);
    const auto answer =
        m_prompter.ask(QStringLiteral("Put the backup %1 in the place of %2?\r\n\r\n%2 as it is now is backed up "
                                      "first. Changes not saved here are lost.")
                           .arg(when, m_openedFiletitle),
                       QStringLiteral("Restore Backup"), Prompter::Buttons::YesNo, Prompter::Icon::Question);
    if (answer != Prompter::Answer::Yes)
        return false;
    const qint64 size = QFileInfo(backup).size();
    if (const FileError error = m_backups.restore(backup, m_currentModuleFile); !error.ok()) {
        m_prompter.inform(m_openedFiletitle + QStringLiteral(" was not restored: ") + error.text(),
                          QStringLiteral("Error"), Prompter::Icon::Critical);
        return false;
    }
    // The backup may be of another version of the module: its size says which.
    const QString found = versionOfSize(ModuleFiles::baseName(m_openedFiletitle), size);
    const QString version = found.isEmpty() ? m_prxversion : found;
    m_workingCopy.drop();
    m_files.closeAll();
    openModule(false, version);
    return true;
}

void PrxDocument::pushDone(DocumentCommand *command)
{
    m_history.push(command);
    emit changed();
}

bool PrxDocument::step(bool forward)
{
    // Text still in the editor is a change of its own, taken before the step.
    emit aboutToDropList();
    const int at = forward ? m_history.index() : m_history.index() - 1;
    if (at < 0 || at >= m_history.count())
        return false;
    auto *command = const_cast<DocumentCommand *>(static_cast<const DocumentCommand *>(m_history.command(at)));
    if (QString why = command->apply(forward); !why.isEmpty()) {
        why[0] = why[0].toUpper();
        if (!why.endsWith(u'.'))
            why += u'.';
        m_prompter.inform(QStringLiteral("Can not %1 \"%2\".\n%3")
                              .arg(forward ? QStringLiteral("redo") : QStringLiteral("undo"), command->text(), why),
                          Prompter::AppTitle, Prompter::Icon::Warning);
        return false;
    }
    command->skipNext();
    if (forward)
        m_history.redo();
    else
        m_history.undo();
    emit historyMoved();
    if (dynamic_cast<ModuleWriteCommand *>(command))
        emit moduleRewritten();
    emit changed();
    return true;
}

bool PrxDocument::undo()
{
    return step(false);
}

bool PrxDocument::redo()
{
    return step(true);
}

EditRules::Change PrxDocument::editCell(int row, int column, const QString &before, const QString &newText,
                                        qint64 moduleSize, quint64 session)
{
    if (row < 0 || row >= m_model.count())
        return EditRules::Change::Mirrored;
    const BookmarkRow was = m_model.rows()[size_t(row)];
    const EditRules::Change change = EditRules::apply(m_model, m_files, moduleSize, row, column, before, newText);
    const BookmarkRow &now = m_model.rows()[size_t(row)];
    if (change == EditRules::Change::Applied && now.cells != was.cells)
        pushDone(new CellEditCommand(m_model, m_files, row, column, was, now, session));
    return change;
}

void PrxDocument::restoreRow(int row, int column, const BookmarkRow &cells, quint64 session)
{
    if (row < 0 || row >= m_model.count())
        return;
    const BookmarkRow was = m_model.rows()[size_t(row)];
    m_model.setRow(row, cells);
    if (was.cells != cells.cells)
        pushDone(new CellEditCommand(m_model, m_files, row, column, was, cells, session));
}

void PrxDocument::addTypedRow(const QString &type)
{
    m_model.addTypedEntry(type);
    const int row = m_model.count() - 1;
    pushDone(new AddRowsCommand(m_model, row, {m_model.rows().back()}, QStringLiteral("Add %1 row").arg(type)));
}

void PrxDocument::addDescribedRows(const QString &description, const QStringList &values, const QStringList &offsets,
                                   const QString &type, const QString &file, int length)
{
    if (offsets.isEmpty())
        return;
    const int first = m_model.count();
    m_model.appendDescribedRows(description, values, offsets, type, file, length);
    // The key's text is not what the file holds (a Float key of more digits,
    // a String in other letter case): Save would rewrite the found bytes.
    m_model.readValues(m_files, first);
    std::vector<BookmarkRow> rows(m_model.rows().begin() + first, m_model.rows().end());
    const QString text = rows.size() == 1 ? QStringLiteral("Add \"%1\"").arg(description)
                                          : QStringLiteral("Add %1 rows \"%2\"").arg(rows.size()).arg(description);
    pushDone(new AddRowsCommand(m_model, first, std::move(rows), text));
}

void PrxDocument::removeRow(int row)
{
    if (row < 0 || row >= m_model.count())
        return;
    const BookmarkRow removed = m_model.rows()[size_t(row)];
    const QString &description = removed[BookmarkRow::Description];
    auto *command = new AddRowsCommand(
        m_model, row, {removed},
        QStringLiteral("Remove %1").arg(description.isEmpty() ? QStringLiteral("row %1").arg(row + 1)
                                                                : QStringLiteral("\"%1\"").arg(description)),
        true);
    command->apply(true);
    pushDone(command);
}

void PrxDocument::sortList(int column, bool ascending)
{
    if (column < 0 || column >= BookmarkRow::ColumnCount)
        return;
    const std::vector<BookmarkRow> &rows = m_model.rows();
    std::vector<int> order(rows.size());
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = rows[size_t(a)][column].compare(rows[size_t(b)][column], Qt::CaseInsensitive);
        return ascending ? c < 0 : c > 0;
    });
    auto *command = new SortCommand(m_model, std::move(order),
                                    QStringLiteral("Sort by %1").arg(BookmarkModel::caption(column)));
    command->apply(true);
    IniFile &file = bookmarks();
    // The section now holds the list in this order: only other changes still count as unsaved.
    if (BookmarkSection::saveSorted(file, m_prxversion, m_model.rows()))
        m_model.markSaved();
    else
        m_settings.reportWriteFailure(file);
    pushDone(command);
}

void PrxDocument::revertRow(int row)
{
    const BookmarkRow::Cells *saved = m_model.snapshotRow(row);
    if (!saved || !m_model.rowChanged(row))
        return;
    const BookmarkRow was = m_model.rows()[size_t(row)];
    BookmarkRow back = was;
    for (int c : {BookmarkRow::Description, BookmarkRow::Offset, BookmarkRow::Type, BookmarkRow::Len,
                  BookmarkRow::File})
        back[c] = (*saved)[size_t(c)];
    bool moved = false;
    for (int c : {BookmarkRow::Offset, BookmarkRow::Type, BookmarkRow::Len, BookmarkRow::File})
        moved = moved || back[c] != was[c];
    if (moved)
        back.savedValue = BookmarkSection::readValue(m_files, back);
    back[BookmarkRow::Value] = back.savedValue;
    m_model.setRow(row, back);
    auto *command = new CellEditCommand(m_model, m_files, row, BookmarkRow::Value, was, back, 0);
    const QString &description = back[BookmarkRow::Description];
    command->setText(QStringLiteral("Revert %1").arg(description.isEmpty() ? QStringLiteral("row %1").arg(row + 1)
                                                                             : QStringLiteral("\"%1\"").arg(description)));
    pushDone(command);
}

QString PrxDocument::writeModule(int slot, const std::vector<std::pair<qint64, QByteArray>> &writes,
                                 const QString &text)
{
    std::vector<ModuleWriteCommand::Span> spans;
    for (const auto &[offset, bytes] : writes) {
        const QByteArray before = m_files.read(slot, offset, bytes.size());
        if (before.size() != bytes.size())
            return QStringLiteral("offset %1 does not lie inside %2 (%3 bytes)")
                .arg(QString::number(offset, 16).toUpper(), QDir::toNativeSeparators(m_files.path(slot)))
                .arg(m_files.size(slot));
        spans.push_back({offset, before, bytes});
    }
    if (const QString why = ModuleWriteCommand::write(m_files, slot, spans, true); !why.isEmpty())
        return why;
    pushDone(new ModuleWriteCommand(m_files, slot, std::move(spans), text));
    return QString();
}

void PrxDocument::toggleExpertFlag()
{
    m_settings.setExpertFlag(!m_settings.ExpertFlag());
}
