#pragma once

#include <QByteArray>
#include <QString>

namespace WholeFile {

// Writes `bytes` to a temporary file beside `path` and renames it over
// `path` once every byte is written: `path` then holds all of `bytes` or is
// left as it was. Gives empty text on success, else the failure naming the
// file and its cause: "Can not write <path>: No space left on device".
QString write(const QString &path, const QByteArray &bytes);

} // namespace WholeFile
