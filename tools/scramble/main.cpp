#include "tools/scramble/elfscrambler.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: scramble -d MODULE OUTPUT | -s INPUT MODULE\n");
    return 2;
}

bool readAll(const std::string &path, ElfScrambler::Bytes &bytes)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

// Written beside the target and renamed over it, so no half file is ever left.
bool writeAll(const std::string &path, const ElfScrambler::Bytes &bytes)
{
    const std::string temporary = path + ".scramble-tmp";
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        if (!out.flush()) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, path, error);
    if (error)
        std::remove(temporary.c_str());
    return !error;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 4)
        return usage();
    const std::string command = argv[1];
    if (command != "-d" && command != "-s")
        return usage();
    ElfScrambler::Bytes bytes;
    if (!readAll(argv[2], bytes)) {
        std::fprintf(stderr, "scramble: cannot read %s\n", argv[2]);
        return 1;
    }
    const auto result = command == "-d" ? ElfScrambler::descramble(bytes) : ElfScrambler::scramble(bytes);
    if (result != ElfScrambler::Result::Ok) {
        std::fprintf(stderr, "scramble: %s: %s\n", argv[2], ElfScrambler::describe(result).c_str());
        return 1;
    }
    if (!writeAll(argv[3], bytes)) {
        std::fprintf(stderr, "scramble: cannot write %s\n", argv[3]);
        return 1;
    }
    return 0;
}
