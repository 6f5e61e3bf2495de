#pragma once

#include <QByteArray>

// Finds a byte pattern in a buffer, exactly or with Windows-1252 letters
// folded to lower case. Two bytes of the pattern that are rarely seen in
// module files (not zeros) are tested first for many positions at once, so a
// file full of the pattern's first byte does not slow the search down.
class PatternFinder
{
public:
    // `pattern` is stored as it is; with `foldCase` it must already be folded.
    PatternFinder(const QByteArray &pattern, bool foldCase);

    qsizetype size() const { return m_pattern.size(); }
    // The first position p >= from with the pattern at data[p .. p + size()),
    // all of it inside the `length` bytes, or -1.
    qsizetype find(const unsigned char *data, qsizetype length, qsizetype from) const;

    bool matchesAt(const unsigned char *at) const;

    // The two positions tested first, and the byte values that pass at each.
    struct Probe
    {
        qsizetype index;
        unsigned char byte;
        unsigned char otherByte;
    };
    const Probe &first() const { return m_first; }
    const Probe &second() const { return m_second; }

private:
    using Kernel = qsizetype (*)(const PatternFinder &, const unsigned char *, qsizetype, qsizetype, qsizetype &);

    QByteArray m_pattern;
    bool m_fold;
    Probe m_first{};
    Probe m_second{};
    Kernel m_kernel = nullptr;
};
