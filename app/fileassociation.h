#pragma once

#include <QString>

// The .prx association with the freedesktop means, for the current user: a
// desktop entry that runs the program on a file, a shared-mime-info package
// that names *.prx files (in any case), and the entry as the type's default
// application in mimeapps.list. Folders come from $XDG_DATA_HOME and
// $XDG_CONFIG_HOME at each call. Failures are not reported: the association
// is a convenience, and the setting PRXassociation records the choice.
class FileAssociation
{
public:
    static inline const QString MimeType = QStringLiteral("application/x-psp-prx");
    static inline const QString DesktopId = QStringLiteral("vantoreditor.desktop");

    explicit FileAssociation(const QString &programPath) : m_programPath(programPath) {}

    // Writes what is missing or different, then refreshes the desktop's
    // caches when the helper programs are installed.
    void add();
    // Drops the default and the desktop entry written by add(). The type
    // itself stays known, as every other type is.
    void remove();

    static QString dataHome();
    static QString configHome();
    static QString desktopEntryPath();
    static QString mimePackagePath();
    static QString mimeAppsPath();

    // The desktop entry's text for the program.
    QString desktopEntry() const;

private:
    QString m_programPath;
};
