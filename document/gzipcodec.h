#pragma once

#include <QByteArray>
#include <optional>

// gzip streams (RFC 1952) made and read in-process.
namespace GzipCodec {

// Deflate at level 9 with a gzip wrapper: one gzip member, its deflate data
// made in 1 MiB chunks side by side on the available cores.
QByteArray compress(const QByteArray &data);
// The unpacked bytes, or nothing when the data is not one whole, undamaged gzip
// stream or unpacks to more than 256 MiB.
std::optional<QByteArray> decompress(const QByteArray &stream);

} // namespace GzipCodec
