#pragma once

#include <QByteArray>
#include <QString>
#include <optional>

class Prompter;

// Packs a module behind its firmware version's header template: the template,
// a gzip stream of the module written over it from offset 336 on, and three
// sizes patched into the header as 32-bit little-endian numbers: the module's
// at 40, the packed file's at 44, the stream's at 176.
class ModulePacker
{
public:
    static constexpr qint64 HeaderSize = 336;
    static constexpr qint64 ModuleSizeAt = 40;
    static constexpr qint64 PackedSizeAt = 44;
    static constexpr qint64 StreamSizeAt = 176;
    // The header's size fields were six hexadecimal digits: sizes stay below 16 MiB.
    static constexpr qint64 SizeLimit = 0x1000000;

    explicit ModulePacker(Prompter &prompter) : m_prompter(prompter) {}

    // Packs the module file into `outputPath`, which then holds the whole
    // packed module or is left as it was. Ends with "Compression Complete!";
    // a failure is reported under the title "Error", naming its cause.
    bool pack(const QString &modulePath, const QString &templatePath, const QString &outputPath);

    // The packed bytes, or nothing when a size reaches SizeLimit. A template
    // longer than 336 bytes plus the stream keeps its tail.
    static std::optional<QByteArray> assemble(const QByteArray &headerTemplate, const QByteArray &stream,
                                              qint64 moduleSize);

private:
    // The cause of a failure, or empty text.
    QString packToFile(const QString &modulePath, const QString &templatePath, const QString &outputPath);

    Prompter &m_prompter;
};
