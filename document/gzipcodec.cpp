#include "document/gzipcodec.h"

#include <zlib.h>

namespace GzipCodec {

namespace {
constexpr int kGzipWindow = 15 + 16;
}

QByteArray compress(const QByteArray &data)
{
    z_stream zs{};
    if (deflateInit2(&zs, 9, Z_DEFLATED, kGzipWindow, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        return QByteArray();
    QByteArray out(qsizetype(deflateBound(&zs, uLong(data.size())) + 64), Qt::Uninitialized);
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.constData()));
    zs.avail_in = uInt(data.size());
    zs.next_out = reinterpret_cast<Bytef *>(out.data());
    zs.avail_out = uInt(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const auto produced = qsizetype(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return QByteArray();
    out.truncate(produced);
    return out;
}

std::optional<QByteArray> decompress(const QByteArray &stream)
{
    if (stream.size() < 18 || static_cast<unsigned char>(stream[0]) != 0x1F || static_cast<unsigned char>(stream[1]) != 0x8B)
        return std::nullopt;
    z_stream zs{};
    if (inflateInit2(&zs, kGzipWindow) != Z_OK)
        return std::nullopt;
    zs.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(stream.constData()));
    zs.avail_in = uInt(stream.size());
    QByteArray out;
    char chunk[1 << 16];
    int rc = Z_OK;
    while (rc == Z_OK) {
        zs.next_out = reinterpret_cast<Bytef *>(chunk);
        zs.avail_out = sizeof chunk;
        rc = inflate(&zs, Z_NO_FLUSH);
        out.append(chunk, qsizetype(sizeof chunk - zs.avail_out));
        if (rc == Z_BUF_ERROR && zs.avail_in == 0)
            break;
    }
    inflateEnd(&zs);
    if (rc != Z_STREAM_END)
        return std::nullopt;
    return out;
}

} // namespace GzipCodec
