#include "document/gzipcodec.h"

#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <libdeflate.h>
#include <utility>
#include <zlib.h>

namespace GzipCodec {

namespace {

constexpr int kGzipWindow = 15 + 16;
// Far above any module, for streams that are not modules: they are not let
// fill the memory either.
constexpr qsizetype kMaxUnpacked = qsizetype(256) << 20;

} // namespace

// One raw deflate stream over the whole module, made by libdeflate on one
// core. libdeflate takes no preset dictionary and ends every stream with a
// final block that is not byte aligned, so chunks made side by side could
// only be joined as separate gzip members or by rewriting their last block
// headers bit by bit; a single member made at once is the sound way. Level 10
// (near-optimal parsing) was chosen on ELF code and on a synthetic module: on
// both it gives a stream about 4 % smaller than gzip -9's for a third to a
// half of gzip -9's CPU time; level 9 came out larger than gzip -9 on the
// synthetic module, and 11 and 12 cost 20-40 % more time for a few bytes
// (docs/architecture.md has the figures).
QByteArray compress(const QByteArray &data, int level)
{
    libdeflate_compressor *compressor = libdeflate_alloc_compressor(level);
    if (!compressor)
        return QByteArray();
    // The gzip wrapper: no name, no time stamp, "maximum compression", Unix.
    static const char header[] = "\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03";
    constexpr qsizetype kHeader = sizeof header - 1, kTrailer = 8;
    const size_t bound = libdeflate_deflate_compress_bound(compressor, size_t(data.size()));
    QByteArray out(kHeader + qsizetype(bound) + kTrailer, Qt::Uninitialized);
    std::memcpy(out.data(), header, kHeader);
    const size_t deflated =
        libdeflate_deflate_compress(compressor, data.constData(), size_t(data.size()), out.data() + kHeader, bound);
    libdeflate_free_compressor(compressor);
    if (deflated == 0)
        return QByteArray();
    char *trailer = out.data() + kHeader + qsizetype(deflated);
    qToLittleEndian(quint32(libdeflate_crc32(0, data.constData(), size_t(data.size()))), trailer);
    qToLittleEndian(quint32(quint64(data.size()) & 0xFFFFFFFFu), trailer + 4);
    out.truncate(kHeader + qsizetype(deflated) + kTrailer);
    return out;
}

Inflated inflate(QByteArrayView stream, qsizetype limit)
{
    Inflated result;
    const auto *next = reinterpret_cast<const Bytef *>(stream.data());
    qsizetype left = stream.size();
    auto atMember = [&] { return left >= 2 && next[0] == 0x1F && next[1] == 0x8B; };
    if (!atMember()) {
        result.fault = Inflated::Fault::NotGzip;
        return result;
    }
    z_stream zs{};
    if (inflateInit2(&zs, kGzipWindow) != Z_OK) {
        result.fault = Inflated::Fault::Damaged;
        result.detail = QStringLiteral("out of memory");
        return result;
    }
    QByteArray &out = result.data;
    qsizetype used = 0;
    // The output grows as it fills, never past one byte more than allowed:
    // that byte tells a stream of exactly `limit` bytes from a larger one.
    const qsizetype room = limit < 0 ? 0 : limit + 1;
    for (;;) {
        if (used == out.size()) {
            if (used == room) {
                result.fault = Inflated::Fault::TooLarge;
                break;
            }
            out.resize(std::min(room, std::max<qsizetype>(qsizetype(1) << 16, out.size() * 2)));
        }
        const uInt inBefore = uInt(std::min<qsizetype>(left, qsizetype(1) << 30));
        const uInt outBefore = uInt(std::min<qsizetype>(out.size() - used, qsizetype(1) << 30));
        zs.next_in = const_cast<Bytef *>(next);
        zs.avail_in = inBefore;
        zs.next_out = reinterpret_cast<Bytef *>(out.data() + used);
        zs.avail_out = outBefore;
        const int rc = ::inflate(&zs, Z_NO_FLUSH);
        next += inBefore - zs.avail_in;
        left -= inBefore - zs.avail_in;
        used += outBefore - zs.avail_out;
        if (rc == Z_STREAM_END) {
            if (left == 0)
                break;
            if (atMember() && inflateReset(&zs) == Z_OK)
                continue;
            result.fault = Inflated::Fault::TrailingBytes;
            result.detail = QString::number(left);
            break;
        }
        if (rc == Z_OK)
            continue;
        if (rc == Z_BUF_ERROR && zs.avail_out == 0)
            continue;
        if (rc == Z_BUF_ERROR && left == 0) {
            result.fault = Inflated::Fault::Truncated;
            break;
        }
        result.fault = Inflated::Fault::Damaged;
        result.detail = zs.msg ? QString::fromLatin1(zs.msg)
                               : rc == Z_MEM_ERROR ? QStringLiteral("out of memory")
                                                   : QStringLiteral("zlib error %1").arg(rc);
        break;
    }
    inflateEnd(&zs);
    out.truncate(used);
    if (result.ok() && used > limit)
        result.fault = Inflated::Fault::TooLarge;
    if (!result.ok())
        out.clear();
    return result;
}

std::optional<QByteArray> decompress(const QByteArray &stream)
{
    Inflated inflated = inflate(stream, kMaxUnpacked);
    if (!inflated.ok())
        return std::nullopt;
    return std::move(inflated.data);
}

} // namespace GzipCodec
