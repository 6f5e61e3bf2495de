#include "fuzz/unpackcase.h"

#include "document/gzipcodec.h"
#include "document/modulepacker.h"
#include "document/moduleunpacker.h"

#include <QtEndian>

namespace UnpackCase {

namespace {

quint32 le32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// What holds for any input: a result is a whole module or a reason, never
// both, and a module has the size the header records when it records one.
bool holds(const QByteArray &packed, const ModuleUnpacker::Result &result)
{
    if (!result.ok())
        return result.module.isEmpty();
    if (result.module.isEmpty() || result.module.size() >= ModulePacker::SizeLimit)
        return false;
    const quint32 recorded = le32(packed, ModulePacker::ModuleSizeAt);
    return recorded == 0 || recorded >= ModulePacker::SizeLimit || recorded == quint32(result.module.size());
}

bool asGiven(const QByteArray &packed)
{
    return holds(packed, ModuleUnpacker::unpackBytes(packed));
}

// A header whose module and stream size fields are chosen by two bytes.
bool behindHeader(quint8 moduleField, quint8 streamField, const QByteArray &stream)
{
    QByteArray packed(ModulePacker::HeaderSize, '\0');
    packed.replace(0, 4, "~PSP");
    const quint32 module[] = {0, 0xFFFFFFFFu, quint32(moduleField >> 2) * 977u, quint32(ModulePacker::SizeLimit)};
    const quint32 streamSize[] = {0, quint32(stream.size()), quint32(std::max<qsizetype>(0, stream.size() - (streamField >> 2))),
                                  quint32(stream.size() + 1)};
    qToLittleEndian(module[moduleField % 4], packed.data() + ModulePacker::ModuleSizeAt);
    qToLittleEndian(streamSize[streamField % 4], packed.data() + ModulePacker::StreamSizeAt);
    packed.append(stream);
    return asGiven(packed);
}

// The payload packed as 1 to 4 members behind a template with a tail of up to
// 79 bytes: it must come back whole. With one byte flipped it may be refused,
// but what comes back is still the payload.
bool roundTrip(quint8 shape, quint8 tail, quint8 flip, const QByteArray &payload)
{
    const int members = 1 + shape % 4;
    QByteArray stream;
    for (int i = 0; i < members; ++i) {
        const qsizetype from = payload.size() * i / members;
        const qsizetype to = payload.size() * (i + 1) / members;
        stream += GzipCodec::compress(payload.mid(from, to - from));
    }
    QByteArray headerTemplate(ModulePacker::HeaderSize, 'h');
    headerTemplate.append(QByteArray(tail % 80, 't'));
    auto packed = ModulePacker::assemble(headerTemplate, stream, payload.size());
    if (!packed)
        return true;
    if (flip != 0) {
        const qsizetype at = qsizetype((quint32(flip) * 7919u + quint32(payload.size())) % quint32(packed->size()));
        (*packed)[at] = char((*packed)[at] ^ (1 << (flip % 8)));
    }
    const ModuleUnpacker::Result result = ModuleUnpacker::unpackBytes(*packed);
    if (!holds(*packed, result))
        return false;
    if (flip == 0 && result.ok() == payload.isEmpty())
        return false;
    return !result.ok() || result.module == payload;
}

} // namespace

bool check(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    if (input.size() < 4)
        return asGiven(input);
    const auto byte = [&](int i) { return quint8(input[i]); };
    const QByteArray rest = input.mid(4);
    switch (byte(0) % 3) {
    case 0:
        return asGiven(rest);
    case 1:
        return behindHeader(byte(1), byte(2), rest);
    default:
        return roundTrip(byte(1), byte(2), byte(3), rest);
    }
}

} // namespace UnpackCase
