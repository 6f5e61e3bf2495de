#pragma once

#include "common/rgb.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <optional>

class IniFile;
class IniStore;
class Prompter;

// Config.ini as the session uses it: read once at start-up, written back
// setting by setting. A failed write is told, naming the file and the cause.
class Settings : public QObject
{
    Q_OBJECT

public:
    using Colours = std::array<std::optional<Rgb>, 4>;

    Settings(const QString &homeFolder, IniStore &store, Prompter &prompter, QObject *parent = nullptr);

    // Reads every setting; asks the first-run association question when no
    // answer is stored and `askFirstRun`.
    void load(bool askFirstRun = true);

    const QString &AppPath() const { return m_appPath; }
    const QStringList &FirmwareList() const { return m_firmwareList; }
    bool ExpertFlag() const { return m_expertFlag; }
    const QString &bookmarkFolder() const { return m_bookmarkFolder; }
    // The version Config.ini names as the last one used.
    const QString &storedVersion() const { return m_storedVersion; }
    const Colours &colours() const { return m_colours; }
    bool associatePrx() const { return m_associatePrx; }

    QString configPath() const { return m_appPath + QStringLiteral("Config.ini"); }
    IniFile &config();
    QString scrambleToolPath() const;
    QString headerTemplate(const QString &version) const;
    QString bookmarkFile(const QString &baseName) const;

    // Each writes its setting; false (and told) when the write failed.
    bool setExpertFlag(bool expert);
    bool writeExpertmode();
    bool writeVersion(const QString &version);
    bool storePreferences(const Colours &colours, bool associate);
    // The colour Config.ini holds now, read again.
    std::optional<Rgb> storedColour(int index);

    // Tells the person why the last write of `file` failed; true when it did not.
    bool reportWriteFailure(const IniFile &file);

signals:
    void changed();

private:
    IniStore &m_store;
    Prompter &m_prompter;
    QString m_appPath;
    QStringList m_firmwareList;
    bool m_expertFlag = true;
    QString m_bookmarkFolder;
    QString m_storedVersion;
    Colours m_colours;
    bool m_associatePrx = false;
};
