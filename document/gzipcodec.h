#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

// gzip streams (RFC 1952) made and read in-process.
namespace GzipCodec {

// The level packing uses (libdeflate's scale, 1 to 12).
constexpr int PackLevel = 10;

// Deflate with a gzip wrapper: one gzip member, the same bytes for the same
// data and level. `level` runs from 1 to 12. Empty when out of memory.
QByteArray compress(const QByteArray &data, int level = PackLevel);

// What inflating a stream gave: every member's bytes, one after another, or
// the fault that stopped it.
struct Inflated
{
    enum class Fault { None, NotGzip, Damaged, Truncated, TrailingBytes, TooLarge };

    QByteArray data;
    Fault fault = Fault::None;
    // zlib's own words for a damaged stream; the count of stray bytes for TrailingBytes.
    QString detail;

    bool ok() const { return fault == Fault::None; }
};

// Inflates every member of `stream`. Bytes after the last member that do not
// begin another member make the whole stream count as damaged. Stops as soon
// as more than `limit` bytes come out, and gives TooLarge.
Inflated inflate(QByteArrayView stream, qsizetype limit);

// The unpacked bytes, or nothing when the data is not a whole, undamaged gzip
// stream or unpacks to more than 256 MiB.
std::optional<QByteArray> decompress(const QByteArray &stream);

} // namespace GzipCodec
