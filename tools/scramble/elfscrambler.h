#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The stand-in for the external scramble tool. It scrambles, reversibly, only
// the bytes of a module's executable ELF segment and marks the header as
// scrambled in a byte of the ELF identification padding.
namespace ElfScrambler {

using Bytes = std::vector<std::uint8_t>;

inline constexpr std::size_t kMarkIndex = 12;
inline constexpr std::uint8_t kMark = 0x5C;

enum class Result { Ok, NotElf, NoCodeSegment, AlreadyScrambled, NotScrambled };

// Both work in place and change nothing unless they return Ok.
Result scramble(Bytes &module);
Result descramble(Bytes &module);

bool isScrambled(const Bytes &module);
std::string describe(Result result);

} // namespace ElfScrambler
