#include "document/moduleunpacker.h"

#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "common/prompter.h"
#include "common/safefile.h"

#include <QDir>
#include <QFile>
#include <QtEndian>

namespace {

constexpr qint64 kMinimumStream = 18;

quint32 le32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

QString tooLong(qint64 size)
{
    return QStringLiteral("it is %1 bytes long, and a packed module is below 16 MiB (%2 bytes)")
        .arg(size)
        .arg(ModulePacker::SizeLimit);
}

ModuleUnpacker::Result failure(const QString &fault)
{
    return {QByteArray(), fault};
}

} // namespace

ModuleUnpacker::Result ModuleUnpacker::unpackBytes(const QByteArray &packed)
{
    constexpr qint64 header = ModulePacker::HeaderSize;
    if (packed.size() >= ModulePacker::SizeLimit)
        return failure(tooLong(packed.size()));
    if (packed.size() < header + kMinimumStream)
        return failure(QStringLiteral("at %1 bytes it is too short to be a packed module").arg(packed.size()));

    // The header records the stream's size. Where it fits the file, bytes after
    // the stream are the header template's tail, which packing keeps; else the
    // stream runs to the end of the file.
    qint64 streamSize = packed.size() - header;
    const quint32 recordedStream = le32(packed, ModulePacker::StreamSizeAt);
    if (recordedStream >= kMinimumStream && recordedStream <= streamSize)
        streamSize = recordedStream;

    GzipCodec::Inflated inflated =
        GzipCodec::inflate(QByteArrayView(packed).sliced(header, streamSize), ModulePacker::SizeLimit - 1);
    using Fault = GzipCodec::Inflated::Fault;
    switch (inflated.fault) {
    case Fault::None:
        break;
    case Fault::NotGzip:
        return failure(QStringLiteral("no gzip stream follows its %1-byte header").arg(header));
    case Fault::Damaged:
        return failure(QStringLiteral("the compressed data is damaged (%1)").arg(inflated.detail));
    case Fault::Truncated:
        return failure(QStringLiteral("the compressed data is damaged (it ends too early)"));
    case Fault::TrailingBytes:
        return failure(inflated.detail == QLatin1String("1")
                           ? QStringLiteral("the compressed data is damaged (a stray byte follows its end)")
                           : QStringLiteral("the compressed data is damaged (%1 stray bytes follow its end)")
                                 .arg(inflated.detail));
    case Fault::TooLarge:
        return failure(QStringLiteral("it unpacks to more than %1 bytes, and a module is below 16 MiB")
                           .arg(ModulePacker::SizeLimit - 1));
    }
    if (inflated.data.isEmpty())
        return failure(QStringLiteral("it unpacks to no bytes at all"));
    // Packing always records the module's size, below the format's limit. A
    // stream that ends cleanly after a member yet short of that size has lost
    // members, which no checksum inside the stream can show.
    const quint32 recordedModule = le32(packed, ModulePacker::ModuleSizeAt);
    if (recordedModule > 0 && recordedModule < ModulePacker::SizeLimit && recordedModule != inflated.data.size())
        return failure(QStringLiteral("it unpacks to %1 bytes, but its header records %2")
                           .arg(inflated.data.size())
                           .arg(recordedModule));
    return {std::move(inflated.data), QString()};
}

bool ModuleUnpacker::unpack(const QString &path)
{
    return unpack(path, path);
}

bool ModuleUnpacker::unpack(const QString &path, const QString &outputPath)
{
    m_prompter.setBusy(true);
    const QString error = unpackFile(path, outputPath);
    m_prompter.setBusy(false);
    if (error.isEmpty())
        return true;
    m_prompter.inform(error, QStringLiteral("Error"), Prompter::Icon::Critical);
    return false;
}

QString ModuleUnpacker::unpackFile(const QString &path, const QString &outputPath)
{
    const QString name = QDir::toNativeSeparators(path);
    auto refused = [&](const QString &why) { return QStringLiteral("%1 could not be unpacked: %2.").arg(name, why); };

    if (const FileError refused = SafeFile::checkInput(path); !refused.ok())
        return refused.text();
    QFile in(path);
    if (!in.open(QIODevice::ReadOnly))
        return QStringLiteral("Can not read %1: %2").arg(name, in.errorString());
    const qint64 size = in.size();
    if (size >= ModulePacker::SizeLimit)
        return refused(tooLong(size));
    // One byte more than expected is asked for, so a file that grows meanwhile shows.
    const QByteArray packed = in.read(size + 1);
    if (packed.size() != size)
        return QStringLiteral("Can not read %1: %2")
            .arg(name, in.error() != QFileDevice::NoError ? in.errorString()
                                                          : QStringLiteral("it changed while it was read"));
    in.close();

    Result result = unpackBytes(packed);
    if (!result.ok())
        return refused(result.fault);
    const QString writeError = SafeFile::write(outputPath, result.module).text();
    if (!writeError.isEmpty())
        return writeError + QStringLiteral(". The packed module is left as it was.");
    return QString();
}
