#include "document/modulepacker.h"

#include "document/gzipcodec.h"
#include "common/prompter.h"
#include "common/safefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtEndian>
#include <algorithm>

namespace {

QString native(const QString &path)
{
    return QDir::toNativeSeparators(path);
}

QString tooLarge(const QString &name, const QString &why)
{
    return QStringLiteral("%1 is too large to pack: %2, and a packed module holds sizes below 16 MiB (%3 bytes).")
        .arg(name, why)
        .arg(ModulePacker::SizeLimit);
}

} // namespace

std::optional<QByteArray> ModulePacker::assemble(const QByteArray &headerTemplate, const QByteArray &stream,
                                                 qint64 moduleSize)
{
    QByteArray packed = headerTemplate;
    if (packed.size() < HeaderSize + stream.size())
        packed.resize(HeaderSize + stream.size(), '\0');
    std::copy(stream.begin(), stream.end(), packed.begin() + HeaderSize);
    const qint64 sizes[][2] = {{ModuleSizeAt, moduleSize}, {PackedSizeAt, packed.size()}, {StreamSizeAt, stream.size()}};
    for (const auto &[at, size] : sizes) {
        if (size < 0 || size >= SizeLimit)
            return std::nullopt;
        qToLittleEndian(quint32(size), packed.data() + at);
    }
    return packed;
}

bool ModulePacker::pack(const QString &modulePath, const QString &templatePath, const QString &outputPath)
{
    m_prompter.setBusy(true);
    const QString error = packToFile(modulePath, templatePath, outputPath);
    m_prompter.setBusy(false);
    if (!error.isEmpty()) {
        m_prompter.inform(error, QStringLiteral("Error"), Prompter::Icon::Critical);
        return false;
    }
    m_prompter.inform(QStringLiteral("Compression Complete!"), QStringLiteral("Done"), Prompter::Icon::Information);
    return true;
}

QString ModulePacker::packToFile(const QString &modulePath, const QString &templatePath, const QString &outputPath)
{
    QFile headerFile(templatePath);
    if (!QFileInfo(templatePath).exists())
        return QStringLiteral("The header template %1 does not exist.").arg(native(templatePath));
    if (const FileError refused = SafeFile::checkInput(templatePath); !refused.ok())
        return refused.text();
    if (!headerFile.open(QIODevice::ReadOnly))
        return QStringLiteral("Can not read the header template %1: %2").arg(native(templatePath), headerFile.errorString());
    if (headerFile.size() >= SizeLimit)
        return QStringLiteral("The header template %1 is too large: a packed module holds sizes below 16 MiB.")
            .arg(native(templatePath));
    const QByteArray headerTemplate = headerFile.read(SizeLimit);
    if (headerTemplate.size() != headerFile.size())
        return QStringLiteral("Can not read the header template %1: %2").arg(native(templatePath), headerFile.errorString());
    if (headerTemplate.size() < HeaderSize)
        return QStringLiteral("The header template %1 is shorter than %2 bytes.").arg(native(templatePath)).arg(HeaderSize);

    if (const FileError refused = SafeFile::checkInput(modulePath); !refused.ok())
        return refused.text();
    QFile moduleFile(modulePath);
    if (!moduleFile.open(QIODevice::ReadOnly))
        return QStringLiteral("Can not read %1: %2").arg(native(modulePath), moduleFile.errorString());
    const QString name = QFileInfo(modulePath).fileName();
    if (moduleFile.size() >= SizeLimit)
        return tooLarge(name, QStringLiteral("it is %1 bytes long").arg(moduleFile.size()));
    const QByteArray module = moduleFile.read(SizeLimit);
    if (module.size() != moduleFile.size())
        return QStringLiteral("Can not read %1: %2").arg(native(modulePath), moduleFile.errorString());
    moduleFile.close();
    if (module.isEmpty())
        return QStringLiteral("%1 is empty: there is no module to pack.").arg(native(modulePath));

    const QByteArray stream = GzipCodec::compress(module);
    if (stream.isEmpty())
        return QStringLiteral("Can not compress %1.").arg(name);
    const auto packed = assemble(headerTemplate, stream, module.size());
    if (!packed)
        return tooLarge(name, QStringLiteral("packed it would be %1 bytes long")
                                  .arg(std::max<qint64>(headerTemplate.size(), HeaderSize + stream.size())));

    // Written beside the target and renamed over it: no partial file under its name.
    return SafeFile::write(outputPath, *packed).text();
}
