#include "document/prxdocument.h"

#include "bookmarks/bookmarksection.h"
#include "common/hextext.h"
#include "common/inifile.h"
#include "common/numbertext.h"
#include "common/prompter.h"
#include "common/undecodablename.h"
#include "document/moduleunpacker.h"
#include "values/firmware.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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
{
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

QString PrxDocument::GetLongFilename(const QString &sShortName)
{
    const QFileInfo info(sShortName);
    return info.exists() ? info.canonicalFilePath() : QString();
}

QString PrxDocument::getVersion(const QString &PRXname)
{
    const qint64 size = m_files.isOpen(ModuleFiles::Working) ? m_files.size(ModuleFiles::Working)
                                                              : QFileInfo(m_currentModuleFile).size();
    return versionOfSize(PRXname, size);
}

QString PrxDocument::versionOfSize(const QString &PRXname, qint64 size)
{
    IniFile &file = ini(m_settings.bookmarkFile(PRXname));
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
    // No module is open afterwards, and nothing of the one before stays on show.
    auto abandon = [this] {
        m_files.closeAll();
        m_currentModuleFile.clear();
        m_currentBookmarkFile.clear();
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
    const QString keep = beforeSave ? QStringLiteral("No: save over it; the other program's changes are lost.")
                                    : QStringLiteral("No: keep what is shown here; saving will write over the "
                                                     "other program's changes.");
    const auto answer = m_prompter.ask(what + QStringLiteral("\r\n\r\nYes: reload it; the changes not saved here are "
                                                             "lost.\r\n") +
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
