#include "search/bytefold.h"

#include "common/codepage.h"

namespace ByteFold {

namespace {

struct Tables
{
    std::array<unsigned char, 256> lower;
    std::array<unsigned char, 256> other;
};

// Derived from the code page's own text folding, so the two never disagree.
const Tables &tables()
{
    static const Tables t = [] {
        Tables made;
        for (int b = 0; b < 256; ++b) {
            const char byte = char(b);
            const QByteArray down = Codepage::fromUnicode(Codepage::lower(Codepage::toUnicode(&byte, 1)));
            made.lower[size_t(b)] = static_cast<unsigned char>(down.at(0));
            made.other[size_t(b)] = static_cast<unsigned char>(b);
        }
        for (int b = 0; b < 256; ++b)
            if (made.lower[size_t(b)] != b)
                made.other[made.lower[size_t(b)]] = static_cast<unsigned char>(b);
        return made;
    }();
    return t;
}

} // namespace

const std::array<unsigned char, 256> &lowerTable()
{
    return tables().lower;
}

unsigned char otherCase(unsigned char folded)
{
    return tables().other[folded];
}

QByteArray folded(const QByteArray &bytes)
{
    QByteArray out = bytes;
    const auto &lower = lowerTable();
    for (char &c : out)
        c = char(lower[static_cast<unsigned char>(c)]);
    return out;
}

} // namespace ByteFold
