#include "common/platform.h"
#include "common/safefile.h"
#include "tools/scramble/elfscrambler.h"

#include <QFile>
#include <cstdio>
#include <limits>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: scramble -d MODULE OUTPUT | -s INPUT MODULE\n");
    return 2;
}

void say(const QString &text)
{
    std::fprintf(stderr, "scramble: %s\n", text.toLocal8Bit().constData());
}

} // namespace

int main(int argc, char **argv)
{
    Platform::ignoreFileSizeSignal();
    if (argc != 4)
        return usage();
    const QByteArray command = argv[1];
    if (command != "-d" && command != "-s")
        return usage();
    const QString input = QFile::decodeName(argv[2]);
    const QString output = QFile::decodeName(argv[3]);
    QByteArray read;
    if (const FileError error = SafeFile::read(input, std::numeric_limits<qint64>::max(), read); !error.ok()) {
        say(error.text());
        return 1;
    }
    ElfScrambler::Bytes bytes(read.begin(), read.end());
    const auto result = command == "-d" ? ElfScrambler::descramble(bytes) : ElfScrambler::scramble(bytes);
    if (result != ElfScrambler::Result::Ok) {
        say(input + QStringLiteral(": ") + QString::fromStdString(ElfScrambler::describe(result)));
        return 1;
    }
    // Made complete beside the output and renamed over it, never through a planted link.
    const QByteArrayView written(reinterpret_cast<const char *>(bytes.data()), qsizetype(bytes.size()));
    if (const FileError error = SafeFile::write(output, written); !error.ok()) {
        say(error.text());
        return 1;
    }
    return 0;
}
