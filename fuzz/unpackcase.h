#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input for the unpacker: its first byte picks how the rest becomes
// a packed module (taken as it is, put behind a header with chosen size
// fields, or packed from members and perhaps damaged in one byte), and the
// result is checked against what unpacking promises. False when it breaks
// a promise; a crash or a sanitizer report is a fault as well.
namespace UnpackCase {

bool check(const uint8_t *data, size_t size);

} // namespace UnpackCase
