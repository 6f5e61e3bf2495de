#include "search/patternfinder.h"

#include "search/bytefold.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define VANTOR_SEARCH_X86 1
#endif

namespace {

// How often a byte is seen in module files, roughly: zero padding and 0xFF
// fill first, then text and the exponent bytes of common floats.
int commonness(unsigned char b)
{
    if (b == 0x00)
        return 255;
    if (b == 0xFF)
        return 230;
    if (b == ' ')
        return 200;
    if (b == 0x01)
        return 180;
    if (b < 0x10)
        return 140;
    if (std::strchr("etaoinsr", b))
        return 170;
    if (b >= 'a' && b <= 'z')
        return 150;
    if (b >= '0' && b <= '9')
        return 130;
    if (b == 0x3F || b == 0x40 || b == 0xBF || b == 0xC0 || b == 0x80)
        return 125;
    if (b >= 'A' && b <= 'Z')
        return 120;
    if (b < 0x80)
        return 100;
    return 60;
}

qsizetype scalarFrom(const PatternFinder &f, const unsigned char *data, qsizetype pos, qsizetype last)
{
    const PatternFinder::Probe &a = f.first();
    const PatternFinder::Probe &b = f.second();
    for (; pos <= last; ++pos) {
        const unsigned char x = data[pos + a.index];
        const unsigned char y = data[pos + b.index];
        if ((x == a.byte || x == a.otherByte) && (y == b.byte || y == b.otherByte) && f.matchesAt(data + pos))
            return pos;
    }
    return -1;
}

qsizetype scalarKernel(const PatternFinder &, const unsigned char *, qsizetype pos, qsizetype, qsizetype &next)
{
    next = pos;
    return -1;
}

#ifdef VANTOR_SEARCH_X86

// The first candidate in `mask` (bit i stands for offset pos + i) where the whole pattern matches, or -1.
template<typename Mask>
inline qsizetype firstMatchIn(const PatternFinder &f, const unsigned char *data, qsizetype pos, Mask mask)
{
    for (; mask; mask &= mask - 1) {
        const qsizetype at = pos + std::countr_zero(mask);
        if (f.matchesAt(data + at))
            return at;
    }
    return -1;
}

template<bool Fold>
qsizetype sse2Kernel(const PatternFinder &f, const unsigned char *data, qsizetype pos, qsizetype last,
                     qsizetype &next)
{
    const PatternFinder::Probe &a = f.first();
    const PatternFinder::Probe &b = f.second();
    const __m128i a1 = _mm_set1_epi8(char(a.byte)), a2 = _mm_set1_epi8(char(a.otherByte));
    const __m128i b1 = _mm_set1_epi8(char(b.byte)), b2 = _mm_set1_epi8(char(b.otherByte));
    for (; pos + 15 <= last; pos += 16) {
        const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos + a.index));
        const __m128i y = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + pos + b.index));
        __m128i ex = _mm_cmpeq_epi8(x, a1);
        __m128i ey = _mm_cmpeq_epi8(y, b1);
        if constexpr (Fold) {
            ex = _mm_or_si128(ex, _mm_cmpeq_epi8(x, a2));
            ey = _mm_or_si128(ey, _mm_cmpeq_epi8(y, b2));
        }
        const unsigned mask = unsigned(_mm_movemask_epi8(_mm_and_si128(ex, ey)));
        if (const qsizetype at = firstMatchIn(f, data, pos, mask); at >= 0)
            return at;
    }
    next = pos;
    return -1;
}

struct Avx2Probes
{
    __m256i a1, a2, b1, b2;
};

template<bool Fold>
__attribute__((target("avx2"), always_inline)) inline __m256i avx2Candidates(const Avx2Probes &p,
                                                                              const PatternFinder &f,
                                                                              const unsigned char *at)
{
    const __m256i x = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + f.first().index));
    const __m256i y = _mm256_loadu_si256(reinterpret_cast<const __m256i *>(at + f.second().index));
    __m256i ex = _mm256_cmpeq_epi8(x, p.a1);
    __m256i ey = _mm256_cmpeq_epi8(y, p.b1);
    if constexpr (Fold) {
        ex = _mm256_or_si256(ex, _mm256_cmpeq_epi8(x, p.a2));
        ey = _mm256_or_si256(ey, _mm256_cmpeq_epi8(y, p.b2));
    }
    return _mm256_and_si256(ex, ey);
}

template<bool Fold>
__attribute__((target("avx2"))) qsizetype avx2Kernel(const PatternFinder &f, const unsigned char *data,
                                                     qsizetype pos, qsizetype last, qsizetype &next)
{
    const PatternFinder::Probe &a = f.first();
    const PatternFinder::Probe &b = f.second();
    const Avx2Probes probes{_mm256_set1_epi8(char(a.byte)), _mm256_set1_epi8(char(a.otherByte)),
                            _mm256_set1_epi8(char(b.byte)), _mm256_set1_epi8(char(b.otherByte))};
    // Two vectors a round: most rounds find no candidate and end at one test.
    for (; pos + 63 <= last; pos += 64) {
        const __m256i low = avx2Candidates<Fold>(probes, f, data + pos);
        const __m256i high = avx2Candidates<Fold>(probes, f, data + pos + 32);
        if (_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high)))
            continue;
        const quint64 mask = quint64(unsigned(_mm256_movemask_epi8(low))) |
                             (quint64(unsigned(_mm256_movemask_epi8(high))) << 32);
        if (const qsizetype at = firstMatchIn(f, data, pos, mask); at >= 0)
            return at;
    }
    for (; pos + 31 <= last; pos += 32) {
        const unsigned mask = unsigned(_mm256_movemask_epi8(avx2Candidates<Fold>(probes, f, data + pos)));
        if (const qsizetype at = firstMatchIn(f, data, pos, mask); at >= 0)
            return at;
    }
    next = pos;
    return -1;
}

#endif

} // namespace

PatternFinder::PatternFinder(const QByteArray &pattern, bool foldCase)
    : m_pattern(pattern)
    , m_fold(foldCase)
{
    const qsizetype n = m_pattern.size();
    const auto byteAt = [this](qsizetype i) { return static_cast<unsigned char>(m_pattern.at(i)); };
    const auto score = [&](qsizetype i) {
        const unsigned char b = byteAt(i);
        const unsigned char o = m_fold ? ByteFold::otherCase(b) : b;
        return o == b ? commonness(b) : std::max(commonness(b), commonness(o)) + 20;
    };
    qsizetype rarest = 0;
    for (qsizetype i = 1; i < n; ++i)
        if (score(i) < score(rarest))
            rarest = i;
    qsizetype next = rarest;
    for (qsizetype i = 0; i < n; ++i)
        if (i != rarest && (next == rarest || score(i) < score(next)))
            next = i;
    const auto probe = [&](qsizetype i) {
        const unsigned char b = n ? byteAt(i) : 0;
        return Probe{i, b, m_fold ? ByteFold::otherCase(b) : b};
    };
    m_first = probe(std::min(rarest, next));
    m_second = probe(std::max(rarest, next));

    m_kernel = scalarKernel;
#ifdef VANTOR_SEARCH_X86
    if (__builtin_cpu_supports("avx2"))
        m_kernel = m_fold ? avx2Kernel<true> : avx2Kernel<false>;
    else
        m_kernel = m_fold ? sse2Kernel<true> : sse2Kernel<false>;
#endif
}

bool PatternFinder::matchesAt(const unsigned char *at) const
{
    const auto *p = reinterpret_cast<const unsigned char *>(m_pattern.constData());
    const qsizetype n = m_pattern.size();
    if (!m_fold)
        return std::memcmp(at, p, size_t(n)) == 0;
    const auto &lower = ByteFold::lowerTable();
    for (qsizetype i = 0; i < n; ++i)
        if (lower[at[i]] != p[i])
            return false;
    return true;
}

qsizetype PatternFinder::find(const unsigned char *data, qsizetype length, qsizetype from) const
{
    const qsizetype last = length - m_pattern.size();
    if (m_pattern.isEmpty() || from < 0 || from > last)
        return -1;
    qsizetype next = from;
    const qsizetype hit = m_kernel(*this, data, from, last, next);
    return hit >= 0 ? hit : scalarFrom(*this, data, next, last);
}
