#include "tools/scramble/elfscrambler.h"

namespace ElfScrambler {

namespace {

std::uint32_t le32(const Bytes &b, std::size_t at)
{
    return std::uint32_t(b[at]) | std::uint32_t(b[at + 1]) << 8 | std::uint32_t(b[at + 2]) << 16 |
           std::uint32_t(b[at + 3]) << 24;
}

std::uint16_t le16(const Bytes &b, std::size_t at)
{
    return std::uint16_t(b[at] | b[at + 1] << 8);
}

bool isElf32(const Bytes &b)
{
    return b.size() >= 52 && b[0] == 0x7F && b[1] == 'E' && b[2] == 'L' && b[3] == 'F' && b[4] == 1 && b[5] == 1;
}

struct Span
{
    std::size_t begin = 0;
    std::size_t end = 0;
};

// The file bytes of the first loadable segment with the execute flag.
bool codeSegment(const Bytes &b, Span &span)
{
    const std::uint32_t phoff = le32(b, 28);
    const std::uint16_t phentsize = le16(b, 42);
    const std::uint16_t phnum = le16(b, 44);
    if (phentsize < 32)
        return false;
    for (std::uint16_t i = 0; i < phnum; ++i) {
        const std::size_t at = std::size_t(phoff) + std::size_t(i) * phentsize;
        if (at + 32 > b.size())
            return false;
        const std::uint32_t type = le32(b, at);
        const std::uint32_t offset = le32(b, at + 4);
        const std::uint32_t filesz = le32(b, at + 16);
        const std::uint32_t flags = le32(b, at + 24);
        if (type == 1 && (flags & 1) && filesz > 0) {
            if (std::size_t(offset) + filesz > b.size())
                return false;
            span = {offset, std::size_t(offset) + filesz};
            return true;
        }
    }
    return false;
}

// XOR with a keystream that depends on the position, so applying it twice restores the bytes.
void applyKeystream(Bytes &b, Span span)
{
    std::uint32_t state = 0x56544F52u;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        state = state * 1664525u + 1013904223u;
        b[i] ^= std::uint8_t(state >> 24);
    }
}

Result transform(Bytes &module, bool toScrambled)
{
    if (!isElf32(module))
        return Result::NotElf;
    if (isScrambled(module) == toScrambled)
        return toScrambled ? Result::AlreadyScrambled : Result::NotScrambled;
    Span span;
    if (!codeSegment(module, span))
        return Result::NoCodeSegment;
    applyKeystream(module, span);
    module[kMarkIndex] = toScrambled ? kMark : 0;
    return Result::Ok;
}

} // namespace

bool isScrambled(const Bytes &module)
{
    return module.size() > kMarkIndex && module[kMarkIndex] == kMark;
}

Result scramble(Bytes &module)
{
    return transform(module, true);
}

Result descramble(Bytes &module)
{
    return transform(module, false);
}

std::string describe(Result result)
{
    switch (result) {
    case Result::Ok:
        return "ok";
    case Result::NotElf:
        return "not an ELF32 little-endian module";
    case Result::NoCodeSegment:
        return "no executable segment inside the file";
    case Result::AlreadyScrambled:
        return "the module is already scrambled";
    case Result::NotScrambled:
        return "the module is not scrambled";
    }
    return "unknown";
}

} // namespace ElfScrambler
