#pragma once

#include <QString>

// A file name whose bytes are not valid UTF-8 reaches the program with U+FFFD
// in place of its bad bytes, and so names no file: told apart here from a
// file that is not there, by a folder entry that reads the same.
namespace UndecodableName {

// The path up to and including the first part of `path` whose name is such a
// name, or empty text when there is none.
QString find(const QString &path);

// "Can not open <path>: the name <part> is not valid UTF-8 ...", or empty
// text when no part of `path` has such a name.
QString message(const QString &path);

} // namespace UndecodableName
