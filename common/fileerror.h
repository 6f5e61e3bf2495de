#pragma once

#include <QString>

class Prompter;

// Why a file could not be read or written: the path and the cause in the
// system's words. A value without a cause means success.
struct FileError
{
    enum class Action { Read, Write };

    QString path;
    QString cause;
    Action action = Action::Write;

    static FileError none() { return FileError(); }
    static FileError reading(const QString &path, const QString &cause) { return {path, cause, Action::Read}; }
    static FileError writing(const QString &path, const QString &cause) { return {path, cause, Action::Write}; }

    bool ok() const { return cause.isEmpty(); }
    // "Can not write <path>: <cause>" (or "read"); empty text when ok().
    QString text() const;
};

// Tells the person about a failure (title "Error"); nothing when `error` is ok. Gives error.ok().
bool reportFileError(Prompter &prompter, const FileError &error);
