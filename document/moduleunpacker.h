#pragma once

#include <QByteArray>
#include <QString>

class Prompter;

// Unpacks a packed module (a 336-byte header and a gzip stream, as
// ModulePacker makes them) into the plain module it holds.
class ModuleUnpacker
{
public:
    // The module held by packed bytes, or, in `fault`, why there is none
    // ("the compressed data is damaged (invalid block type)").
    struct Result
    {
        QByteArray module;
        QString fault;

        bool ok() const { return fault.isEmpty(); }
    };

    explicit ModuleUnpacker(Prompter &prompter) : m_prompter(prompter) {}

    // Replaces the packed file at `path` by its module, atomically. When the
    // file is too large to be a packed module (refused before it is read),
    // its stream is damaged or incomplete, or the result can not be written,
    // the cause is reported under the title "Error", naming the file, and the
    // file is left as it was.
    bool unpack(const QString &path);
    // The same, with the module written to `outputPath` (a new file or one
    // replaced whole) and the packed file left as it is.
    bool unpack(const QString &path, const QString &outputPath);

    // Every member of the stream that follows the header is inflated, and the
    // result must be a whole module: not empty, below the packed format's size
    // limit, and of the size the header records when it records a plausible one.
    static Result unpackBytes(const QByteArray &packed);

private:
    // The cause of a failure, or empty text.
    QString unpackFile(const QString &path, const QString &outputPath);

    Prompter &m_prompter;
};
