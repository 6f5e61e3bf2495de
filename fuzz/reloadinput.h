#pragma once

#include <cstddef>
#include <cstdint>

// One fuzz input for loading a bookmark list over a module that another
// program cuts short while the load runs. Layout: 2 bytes little-endian, the
// length of the .vt text; 4 bytes little-endian, where the module is cut
// (modulo its size + 1); the .vt text; the rest is the module. Section "5.00"
// is loaded with the module open as file 1 and file 2.
namespace ReloadInput {

void run(const std::uint8_t *data, std::size_t size);

} // namespace ReloadInput
