#include "document/prxdocument.h"

#include "bookmarks/bookmarksection.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "values/firmware.h"
#include "document/modulesaver.h"
#include "document/moduleunpacker.h"
#include "common/prompter.h"
#include "document/toolrunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kConfig = QStringLiteral("Config");

bool isFile(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile();
}

// Deletes a file even when it is read-only.
void forceRemove(const QString &path)
{
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    QFile::remove(path);
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
    , AppPath(QDir(homeFolder).absolutePath() + QLatin1Char('/'))
    , m_prompter(prompter)
{
}

PrxDocument::~PrxDocument() = default;

IniFile &PrxDocument::ini(const QString &path)
{
    auto &slot = m_inis[path];
    if (!slot)
        slot = std::make_unique<IniFile>(path);
    return *slot;
}

QString PrxDocument::workingCopyPath() const
{
    return m_workingCopy;
}

QString PrxDocument::scrambleToolPath() const
{
#ifdef Q_OS_WIN
    return AppPath + QStringLiteral("scramble.exe");
#else
    return AppPath + QStringLiteral("scramble");
#endif
}

void PrxDocument::setTitle(const QString &title)
{
    m_title = title;
}

void PrxDocument::startUp()
{
    IniFile &cfg = config();
    ScrollScale = 1.0;
    prxversion = cfg.read(kConfig, QStringLiteral("PRXversion"));
    FirmwareList = cfg.read(kConfig, QStringLiteral("Firmware")).split(QLatin1Char(','));
    ExpertFlag = cfg.read(kConfig, QStringLiteral("Expertmode")) != QLatin1String("0");
    const QString folder = cfg.read(kConfig, QStringLiteral("BookmarkPath"));
    bookmarkFolder = folder.isEmpty() || folder.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0
                         ? AppPath + QStringLiteral("bookmarks")
                         : folder;
    m_status[0] = QStringLiteral("PRX Version:  ") + prxversion;
    m_savePrxEnabled = isFile(currentBookmarkFile) && isFile(currentModuleFile);
    for (int i = 0; i < 4; ++i) {
        const auto n = NumberText::parseWhole(cfg.read(QStringLiteral("Colors"), QStringLiteral("Color.") + QString::number(i)));
        colours[size_t(i)] = n && *n >= 0 && *n <= 0xFFFFFF ? std::optional<Rgb>(Rgb::fromNumber(quint32(*n))) : std::nullopt;
    }
    const QString association = cfg.read(kConfig, QStringLiteral("PRXassociation"));
    if (association == QLatin1String("0")) {
        associatePrx = false;
    } else if (association == QLatin1String("1")) {
        associatePrx = true;
    } else {
        associatePrx = m_prompter.ask(QStringLiteral("Do you want to associate .PRX files to Vantor Editor?      "),
                                      QStringLiteral("File association"), Prompter::Buttons::YesNo,
                                      Prompter::Icon::Question) == Prompter::Answer::Yes;
        cfg.write(kConfig, QStringLiteral("PRXassociation"), associatePrx ? QStringLiteral("1") : QStringLiteral("0"));
        reportWriteFailure(cfg);
    }
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
                                                              : QFileInfo(currentModuleFile).size();
    IniFile &file = ini(bookmarkFolder + QLatin1Char('/') + PRXname + QStringLiteral(".vt"));
    QString found;
    for (const QString &version : FirmwareList) {
        const auto recorded = NumberText::parse(file.read(version, QStringLiteral("PRXSize")));
        if (recorded && *recorded == double(size))
            found = version;
    }
    return found;
}

void PrxDocument::openFromCommandLine(const QString &argument)
{
    const QString longName = GetLongFilename(argument);
    if (longName.isEmpty()) {
        m_prompter.inform(QStringLiteral("File not found: ") + argument, QStringLiteral("Error"),
                          Prompter::Icon::Critical);
        return;
    }
    if (const QString problem = cannotOpen(longName); !problem.isEmpty()) {
        m_prompter.inform(problem, QStringLiteral("Error"), Prompter::Icon::Critical);
        return;
    }
    currentModuleFile = prxtempname = longName;
    OpenedFiletitle = fileTitle(longName);
    openModule(false);
}

bool PrxDocument::mayDropList()
{
    m_editor.commit();
    return ModuleSaver(*this).exitCheck();
}

void PrxDocument::openFromMenu()
{
    // Typed text still in the editor counts as an edit when the question is asked.
    m_editor.commit();
    m_editor.hide();
    const QString chosen = m_prompter.chooseOpenFile(QStringLiteral("PRX files (*.prx *.PRX)"), prxtempname);
    if (chosen.isEmpty() || chosen == prxtempname)
        return;
    // Checked before the open module is let go, which then stays open.
    if (QFileInfo::exists(chosen)) {
        if (const QString problem = cannotOpen(chosen); !problem.isEmpty()) {
            m_prompter.inform(problem, QStringLiteral("Error"), Prompter::Icon::Critical);
            return;
        }
    }
    // Unsaved values are asked about before the open module is let go.
    if (isFile(chosen) && !ModuleSaver(*this).exitCheck())
        return;
    prxtempname = chosen;
    if (!isFile(chosen))
        return;
    dropWorkingCopy();
    m_files.closeAll();
    currentModuleFile = chosen;
    OpenedFiletitle = fileTitle(chosen);
    setTitle(BaseTitle + QStringLiteral("   [") + OpenedFiletitle + QLatin1Char(']'));
    openModule(true);
}

void PrxDocument::openModule(bool fromMenu)
{
    auto abandon = [this] {
        m_files.closeAll();
        currentModuleFile.clear();
        m_savePrxEnabled = false;
        emit changed();
    };
    if (!m_files.open(ModuleFiles::Working, currentModuleFile)) {
        m_prompter.inform(openFailure(currentModuleFile), QStringLiteral("Error"), Prompter::Icon::Critical);
        return abandon();
    }
    if (m_files.read(ModuleFiles::Working, 1, 3) != QByteArrayLiteral("ELF")) {
        const auto answer = m_prompter.ask(QStringLiteral("Can not read PRX file, try to decompress?"),
                                           QStringLiteral("Error"), Prompter::Buttons::YesNo,
                                           Prompter::Icon::Critical);
        if (answer != Prompter::Answer::Yes || !unpackCurrentModule())
            return abandon();
    }
    currentBookmarkFile = bookmarkFolder + QLatin1Char('/') + ModuleFiles::baseName(OpenedFiletitle) + QStringLiteral(".vt");
    prxversion = getVersion(ModuleFiles::baseName(OpenedFiletitle));
    if (!prxversion.isEmpty()) {
        SetBookmark();
        ReloadBookmark();
        setStatusAfterOpen();
        m_status[0] = QStringLiteral("PRX Version:  ") + prxversion;
        m_savePrxEnabled = true;
        emit changed();
        return;
    }
    if (fromMenu)
        setStatusAfterOpen();
    m_prompter.inform(QStringLiteral("No bookmark found for ") + OpenedFiletitle + QStringLiteral("       "),
                      QStringLiteral("Error!"), Prompter::Icon::Information);
    if (fromMenu) {
        writeSkeleton();
        ReloadBookmark();
    }
    abandon();
}

void PrxDocument::setStatusAfterOpen()
{
    m_status[1] = QStringLiteral("Bookmark:  ") + currentBookmarkFile;
    m_status[2] = QStringLiteral("Filesize:  ") + QString::number(QFileInfo(currentModuleFile).size()) +
                  QStringLiteral(" bytes");
}

void PrxDocument::writeSkeleton()
{
    IniFile &file = bookmarks();
    IniFile::Batch batch(file);
    const QString size = QString::number(QFileInfo(currentModuleFile).size());
    for (const QString &version : FirmwareList) {
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
    if (currentModuleFile.contains(QLatin1String("vshmain"))) {
        const QString begin = bookmarks().read(prxversion, QStringLiteral("BeginOffset"));
        if (begin != IniFile::Missing) {
            BeginOffset = qint32(HexText::convert(begin).offset().value_or(0));
            m_vshToolEnabled = true;
            m_vshToolChecked = true;
        }
        emit vshToolVisibilityRequested(true);
    } else {
        m_vshToolEnabled = false;
        emit vshToolVisibilityRequested(false);
    }
    if (Firmware::isScrambled(prxversion) && !makeWorkingCopy()) {
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
                          AppTitle, Prompter::Icon::Information);
    setTitle(BaseTitle + QStringLiteral("   [") + OpenedFiletitle + QLatin1Char(']'));
    emit changed();
    return true;
}

bool PrxDocument::makeWorkingCopy()
{
    dropWorkingCopy();
    m_files.closeAll();
    const QString tool = QDir::toNativeSeparators(scrambleToolPath());
    auto fail = [this](const QString &text, const QString &title = QStringLiteral("Error"),
                       Prompter::Icon icon = Prompter::Icon::Critical) {
        dropWorkingCopy();
        m_prompter.inform(text, title, icon);
        return false;
    };
    const QFileInfo toolInfo(scrambleToolPath());
    if (!toolInfo.exists())
        return fail(QStringLiteral("The scramble tool %1 is missing: %2 can not be descrambled.").arg(tool, OpenedFiletitle));
    if (!toolInfo.isFile() || !toolInfo.isExecutable())
        return fail(QStringLiteral("The scramble tool %1 is not executable: %2 can not be descrambled.")
                        .arg(tool, OpenedFiletitle));
    if (!m_files.open(ModuleFiles::Held, currentModuleFile))
        return fail(QStringLiteral("Can not open %1: %2")
                        .arg(QDir::toNativeSeparators(currentModuleFile), m_files.errorString(ModuleFiles::Held)));
    // The name is free now, so whatever lies there after the run is the tool's.
    m_workingCopy = ModuleFiles::freeWorkingCopyPath(currentModuleFile);
    const QString copyName = fileTitle(m_workingCopy);
    const ToolRun run = ToolRunner::run(m_prompter, scrambleToolPath(), {QStringLiteral("-d"), OpenedFiletitle, copyName},
                                        QFileInfo(currentModuleFile).absolutePath(),
                                        QStringLiteral("Descrambling %1...").arg(OpenedFiletitle));
    const QString failed = QStringLiteral("The scramble tool %1 failed on %2: ").arg(tool, OpenedFiletitle);
    if (run.outcome == ToolRun::Outcome::Cancelled)
        return fail(QStringLiteral("Descrambling %1 was cancelled: the module is left as it was.")
                        .arg(OpenedFiletitle),
                    AppTitle, Prompter::Icon::Information);
    if (run.outcome == ToolRun::Outcome::NotStarted)
        return fail(QStringLiteral("The scramble tool %1 could not be started: %2").arg(tool, run.errorOutput));
    if (!run.succeeded())
        return fail(failed + run.describe());
    const QFileInfo copy(m_workingCopy);
    if (!copy.isFile())
        return fail(failed + QStringLiteral("it left no working copy %1").arg(copyName));
    const qint64 moduleSize = m_files.size(ModuleFiles::Held);
    if (copy.size() != moduleSize)
        return fail(failed + QStringLiteral("it wrote a working copy of %1 bytes (the module has %2)")
                                 .arg(copy.size())
                                 .arg(moduleSize));
    if (!m_files.open(ModuleFiles::Working, m_workingCopy))
        return fail(QStringLiteral("Can not open the working copy %1: %2")
                        .arg(QDir::toNativeSeparators(m_workingCopy), m_files.errorString(ModuleFiles::Working)));
    // The tool did its work, but what it made is no module: the wrong version was chosen.
    if (m_files.read(ModuleFiles::Working, 1, 3) != QByteArrayLiteral("ELF"))
        return fail(QStringLiteral("PRX Version doesn't match! \r\nPlease select the correct version."), AppTitle,
                    Prompter::Icon::None);
    m_files.setJournalling(true);
    return true;
}

void PrxDocument::dropWorkingCopy()
{
    if (m_workingCopy.isEmpty())
        return;
    if (m_files.path(ModuleFiles::Working) == m_workingCopy)
        m_files.close(ModuleFiles::Working);
    const QFileInfo copy(m_workingCopy);
    if (copy.exists() || copy.isSymLink())
        forceRemove(m_workingCopy);
    m_workingCopy.clear();
}

bool PrxDocument::versionEnter(const QString &text)
{
    if (!mayDropList()) {
        emit changed();
        return false;
    }
    prxversion = text;
    config().write(kConfig, QStringLiteral("prxversion"), prxversion);
    reportWriteFailure(config());
    m_status[0] = QStringLiteral("PRX Version: ") + text;
    ReloadBookmark();
    emit changed();
    return true;
}

bool PrxDocument::versionClick(const QString &text)
{
    if (!mayDropList()) {
        emit changed();
        return false;
    }
    m_editor.hide();
    prxversion = text;
    if (isFile(currentModuleFile) && Firmware::isScrambled(prxversion)) {
        makeWorkingCopy();
    } else {
        dropWorkingCopy();
        m_files.close(ModuleFiles::Working);
        if (isFile(prxtempname))
            m_files.open(ModuleFiles::Working, prxtempname);
    }
    config().write(kConfig, QStringLiteral("prxversion"), prxversion);
    reportWriteFailure(config());
    m_status[0] = QStringLiteral("PRX Version: ") + text;
    ReloadBookmark();
    emit changed();
    return true;
}

void PrxDocument::ReloadBookmark()
{
    // What the editor and the selection pointed at is gone with the old rows.
    m_editor.reset();
    m_list.selectedRow = 0;
    const bool haveBookmarks = isFile(currentBookmarkFile);
    m_model.setRows(haveBookmarks ? BookmarkSection::load(bookmarks(), prxversion,
                                                          isFile(currentModuleFile) ? &m_files : nullptr)
                                  : std::vector<BookmarkRow>{});
    if (haveBookmarks) {
        writeExpertmode();
    }
    m_model.renumber();
    GridGeometry::refill(scroll, m_model.count());
    m_list.clampScroll();
    if (haveBookmarks) {
        const QString menu = bookmarks().read(prxversion, QStringLiteral("XMBmenuString"));
        if (menu != IniFile::Missing)
            XMBmenu = menu.split(QLatin1Char(','));
        const QString main = bookmarks().read(prxversion, QStringLiteral("XMBmainString"));
        if (main != IniFile::Missing)
            XMBmain = main.split(QLatin1Char(','));
    }
    emit changed();
}

void PrxDocument::writeExpertmode()
{
    IniFile &cfg = config();
    cfg.write(kConfig, QStringLiteral("Expertmode"), ExpertFlag ? QStringLiteral("1") : QStringLiteral("0"));
    reportWriteFailure(cfg);
}

bool PrxDocument::SaveVT(const QString &section)
{
    if (currentBookmarkFile.isEmpty())
        return true;
    IniFile &file = bookmarks();
    return BookmarkSection::save(file, section, m_model.rows()) || reportWriteFailure(file);
}

bool PrxDocument::reportWriteFailure(const IniFile &file)
{
    if (file.lastWriteOk())
        return true;
    m_prompter.inform(file.lastError(), QStringLiteral("Error"), Prompter::Icon::Critical);
    return false;
}

bool PrxDocument::unpackCurrentModule()
{
    m_files.close(ModuleFiles::Working);
    if (!ModuleUnpacker(m_prompter).unpack(currentModuleFile))
        return false;
    if (m_files.open(ModuleFiles::Working, currentModuleFile))
        return true;
    m_prompter.inform(openFailure(currentModuleFile), QStringLiteral("Error"), Prompter::Icon::Critical);
    return false;
}

void PrxDocument::closeModule()
{
    m_files.closeAll();
    dropWorkingCopy();
}
