#include "document/settings.h"

#include "common/inifile.h"
#include "common/inistore.h"
#include "common/prompter.h"

#include <QDir>

namespace {

const QString kConfig = QStringLiteral("Config");
const QString kColors = QStringLiteral("Colors");

QString colourKey(int index)
{
    return QStringLiteral("Color.") + QString::number(index);
}

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

Settings::Settings(const QString &homeFolder, IniStore &store, Prompter &prompter, QObject *parent)
    : QObject(parent)
    , m_store(store)
    , m_prompter(prompter)
    , m_appPath(QDir(homeFolder).absolutePath() + QLatin1Char('/'))
{
}

IniFile &Settings::config()
{
    return m_store.file(configPath());
}

QString Settings::scrambleToolPath() const
{
#ifdef Q_OS_WIN
    return m_appPath + QStringLiteral("scramble.exe");
#else
    return m_appPath + QStringLiteral("scramble");
#endif
}

QString Settings::headerTemplate(const QString &version) const
{
    return m_appPath + QStringLiteral("header/") + version + QStringLiteral(".prx");
}

QString Settings::bookmarkFile(const QString &baseName) const
{
    return m_bookmarkFolder + QLatin1Char('/') + baseName + QStringLiteral(".vt");
}

void Settings::load(bool askFirstRun)
{
    IniFile &cfg = config();
    m_storedVersion = cfg.read(kConfig, QStringLiteral("PRXversion"));
    if (const QString why = cfg.readError(); !why.isEmpty())
        m_prompter.inform(QStringLiteral("The settings file %1 is not used: %2.")
                              .arg(QDir::toNativeSeparators(cfg.path()), why),
                          QStringLiteral("Error"), Prompter::Icon::Warning);
    m_firmwareList = cfg.read(kConfig, QStringLiteral("Firmware")).split(QLatin1Char(','));
    m_expertFlag = cfg.read(kConfig, QStringLiteral("Expertmode")) != QLatin1String("0");
    const QString folder = cfg.read(kConfig, QStringLiteral("BookmarkPath"));
    m_bookmarkFolder = folder.isEmpty() || folder.compare(QLatin1String("default"), Qt::CaseInsensitive) == 0
                           ? m_appPath + QStringLiteral("bookmarks")
                           : QDir::cleanPath(QDir(m_appPath).absoluteFilePath(folder)); // relative to the home folder
    for (int i = 0; i < 4; ++i)
        m_colours[size_t(i)] = Rgb::fromSetting(cfg.read(kColors, colourKey(i)));
    const QString association = cfg.read(kConfig, QStringLiteral("PRXassociation"));
    if (association == QLatin1String("0")) {
        m_associatePrx = false;
    } else if (association == QLatin1String("1")) {
        m_associatePrx = true;
    } else if (askFirstRun) {
        m_associatePrx = m_prompter.ask(QStringLiteral("Do you want to associate .PRX files to Vantor Editor?      "),
                                        QStringLiteral("File association"), Prompter::Buttons::YesNo,
                                        Prompter::Icon::Question) == Prompter::Answer::Yes;
        cfg.write(kConfig, QStringLiteral("PRXassociation"), flag(m_associatePrx));
        reportWriteFailure(cfg);
    }
    emit changed();
}

bool Settings::setExpertFlag(bool expert)
{
    m_expertFlag = expert;
    emit changed();
    return writeExpertmode();
}

bool Settings::writeExpertmode()
{
    IniFile &cfg = config();
    cfg.write(kConfig, QStringLiteral("Expertmode"), flag(m_expertFlag));
    return reportWriteFailure(cfg);
}

bool Settings::writeVersion(const QString &version)
{
    IniFile &cfg = config();
    cfg.write(kConfig, QStringLiteral("prxversion"), version);
    return reportWriteFailure(cfg);
}

std::optional<Rgb> Settings::storedColour(int index)
{
    return Rgb::fromSetting(config().read(kColors, colourKey(index)));
}

bool Settings::storePreferences(const Colours &colours, bool associate)
{
    m_colours = colours;
    m_associatePrx = associate;
    emit changed();
    IniFile &cfg = config();
    {
        IniFile::Batch batch(cfg);
        for (int i = 0; i < 4; ++i)
            if (colours[size_t(i)])
                cfg.write(kColors, colourKey(i), QString::number(colours[size_t(i)]->toNumber()));
        cfg.write(kConfig, QStringLiteral("PRXassociation"), flag(associate));
    }
    return reportWriteFailure(cfg);
}

bool Settings::reportWriteFailure(const IniFile &file)
{
    return reportFileError(m_prompter, file.lastError());
}
