#include "document/gzipcodec.h"

#include <QtEndian>
#include <algorithm>
#include <atomic>
#include <thread>
#include <utility>
#include <vector>
#include <zlib.h>

namespace GzipCodec {

namespace {

constexpr int kGzipWindow = 15 + 16;
constexpr int kRawWindow = -15;
constexpr qsizetype kDictionary = 32768;
// Chunks are compressed side by side. Their size is fixed, not derived from
// the number of cores, so the same input always gives the same stream.
constexpr qsizetype kChunk = qsizetype(1) << 20;
// Far above any module, for streams that are not modules: they are not let
// fill the memory either.
constexpr qsizetype kMaxUnpacked = qsizetype(256) << 20;

struct Chunk
{
    QByteArray deflated;
    uLong crc = 0;
    qsizetype length = 0;
};

// One chunk as raw deflate at level 9. It is primed with the 32 KiB before it,
// so matches reach back across the seam as in one continuous stream; every
// chunk but the last ends on a byte boundary (a sync flush) so that the
// chunks can simply be joined.
bool deflateChunk(const QByteArray &data, qsizetype begin, qsizetype end, bool last, Chunk &chunk)
{
    const auto *bytes = reinterpret_cast<const Bytef *>(data.constData());
    chunk.length = end - begin;
    chunk.crc = crc32(crc32(0, nullptr, 0), bytes + begin, uInt(chunk.length));
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, kRawWindow, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return false;
    const qsizetype from = std::max<qsizetype>(0, begin - kDictionary);
    if (begin > from && deflateSetDictionary(&zs, bytes + from, uInt(begin - from)) != Z_OK) {
        deflateEnd(&zs);
        return false;
    }
    chunk.deflated.resize(qsizetype(deflateBound(&zs, uLong(chunk.length)) + 16));
    zs.next_in = const_cast<Bytef *>(bytes + begin);
    zs.avail_in = uInt(chunk.length);
    zs.next_out = reinterpret_cast<Bytef *>(chunk.deflated.data());
    zs.avail_out = uInt(chunk.deflated.size());
    const int rc = deflate(&zs, last ? Z_FINISH : Z_SYNC_FLUSH);
    const bool ok = last ? rc == Z_STREAM_END : rc == Z_OK && zs.avail_in == 0 && zs.avail_out > 0;
    chunk.deflated.truncate(qsizetype(zs.total_out));
    deflateEnd(&zs);
    return ok;
}

} // namespace

QByteArray compress(const QByteArray &data)
{
    const qsizetype count = std::max<qsizetype>(1, (data.size() + kChunk - 1) / kChunk);
    std::vector<Chunk> chunks(static_cast<size_t>(count));
    std::atomic<qsizetype> next{0};
    std::atomic<bool> failed{false};
    auto work = [&] {
        for (qsizetype i; (i = next++) < count;) {
            const qsizetype begin = i * kChunk;
            const qsizetype end = std::min(data.size(), begin + kChunk);
            if (!deflateChunk(data, begin, end, i == count - 1, chunks[size_t(i)]))
                failed = true;
        }
    };
    const qsizetype workers = std::min<qsizetype>(count, std::max(1u, std::thread::hardware_concurrency()));
    {
        std::vector<std::jthread> helpers;
        for (qsizetype w = 1; w < workers; ++w)
            helpers.emplace_back(work);
        work();
    }
    if (failed)
        return QByteArray();

    // The gzip wrapper: no name, no time stamp, "maximum compression", Unix.
    QByteArray out = QByteArray::fromRawData("\x1f\x8b\x08\x00\x00\x00\x00\x00\x02\x03", 10);
    qsizetype total = out.size() + 8;
    for (const Chunk &c : chunks)
        total += c.deflated.size();
    out.reserve(total);
    uLong crc = crc32(0, nullptr, 0);
    for (const Chunk &c : chunks) {
        out.append(c.deflated);
        crc = crc32_combine(crc, c.crc, z_off_t(c.length));
    }
    char trailer[8];
    qToLittleEndian(quint32(crc), trailer);
    qToLittleEndian(quint32(quint64(data.size()) & 0xFFFFFFFFu), trailer + 4);
    out.append(trailer, 8);
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
