#pragma once

#include <QString>

class QFile;

// What a file given as a module is, read without changing it: an ELF module,
// a packed module (with the size of the module it holds), or neither.
struct ModuleIdentity
{
    enum class Format { Elf, Packed, Unknown };

    Format format = Format::Unknown;
    qint64 moduleSize = -1; // of the module itself, inside a packed file too

    // "elf", "packed", "unknown".
    QString formatName() const;

    // `file` is open for reading.
    static ModuleIdentity of(QFile &file);
};
