#pragma once

#include "common/fileerror.h"

#include <QDateTime>
#include <QString>
#include <functional>
#include <vector>

// Copies of modules as they were before this program changed them, in one
// folder (the home's backups/), named "<module name>.<UTC time>Z.bak" (with
// "_2", "_3", ... after the time when that second is taken), so the names of
// one module sort by time. Of each module the oldest backup is kept for good
// and of the others of its name the newest `Kept`.
class BackupStore
{
public:
    static constexpr int Kept = 20;

    struct Backup
    {
        QString path;
        QDateTime time; // UTC
        qint64 size = 0;
    };

    explicit BackupStore(const QString &folder);

    const QString &folder() const { return m_folder; }
    // Tests set the time backups are named after.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

    // The backups of `module`, newest first: those made of it (a file beside
    // each, "<backup>.from", names the module it was made of, links
    // resolved) and those of its file name made before such names were kept.
    std::vector<Backup> list(const QString &module) const;
    // Copies `module` as it lies on disk into the folder (through the one
    // safe write), then prunes that name's backups. When the newest backup
    // already holds these bytes it stands for this one and no file is made.
    // `made` gets the backup's path.
    FileError make(const QString &module, QString *made = nullptr);

    // A module opened anew gets a backup again before its first change.
    void newOpening() { m_madeThisOpening = false; }
    // Before a change of `module`: a backup, unless one was made since the
    // module was opened. A failure means the change must not be made.
    FileError beforeChange(const QString &module);

    // Puts `backup` back as `module`: the module as it is now is backed up
    // first, then replaced whole and atomically, keeping its mode. `made`
    // gets the path of that backup. Nothing is replaced when `backup` is not
    // one of `module`'s backups or its backup can not be made.
    FileError restore(const QString &backup, const QString &module, QString *made = nullptr);

    // A backup's time as people read it: local time, "2026-12-08 13:55:01".
    static QString timeText(const QDateTime &time);

    // The file name part that stands for `moduleName`: the name itself, or
    // when that would leave no room for the time in the name limit, its
    // beginning and a short hash of the whole.
    QString key(const QString &moduleName) const;

private:
    static QString identity(const QString &module);
    static QString origin(const QString &backup);
    static bool isOf(const QString &backup, const QString &module);

    struct Entry
    {
        Backup backup;
        int sequence;
    };
    std::vector<Entry> entries(const QString &key) const;
    void prune(const QString &key) const;

    QString m_folder;
    std::function<QDateTime()> m_clock;
    bool m_madeThisOpening = false;
};
