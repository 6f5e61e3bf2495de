#include "search/scanner.h"

#include "common/safefile.h"
#include "search/patternfinder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <vector>

Scanner::Scanner(const SearchKey &key, qint64 blockSize)
    : m_key(key)
    , m_blockSize(std::max<qint64>(blockSize, 1))
{
}

bool Scanner::scanFile(const QString &path, const HitSink &sink, const Progress &progress)
{
    m_error.clear();
    const QString shown = QDir::toNativeSeparators(path);
    if (QFileInfo(path).isDir()) {
        m_error = QStringLiteral("Can not read %1: it is a folder").arg(shown);
        return false;
    }
    // A pipe would block and a device may never end.
    if (const FileError refused = SafeFile::checkInput(path); !refused.ok()) {
        m_error = refused.text();
        return false;
    }
    // Read, not mapped: a file cut short by another program mid-scan ends the
    // scan early instead of faulting the process.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Unbuffered)) {
        m_error = QStringLiteral("Can not read %1: %2").arg(shown, file.errorString());
        return false;
    }
    const qint64 total = file.size();
    const PatternFinder finder(m_key.pattern(), m_key.foldsCase());
    const qint64 n = finder.size();

    // The buffer holds the file's bytes [base, base + filled); a block is read
    // after the bytes kept from the block before, which a hit may still begin in.
    std::vector<unsigned char> buffer(size_t(m_blockSize + n));
    qint64 base = 0;
    qint64 filled = 0;
    qint64 resume = 0; // file position where the next hit may begin
    qint64 done = 0;
    for (;;) {
        const qint64 got = file.read(reinterpret_cast<char *>(buffer.data() + filled), m_blockSize);
        if (got < 0) {
            m_error = QStringLiteral("Can not read %1: %2").arg(shown, file.errorString());
            return false;
        }
        if (got == 0)
            break;
        filled += got;
        qsizetype from = qsizetype(resume - base);
        for (qsizetype hit; (hit = finder.find(buffer.data(), qsizetype(filled), from)) >= 0;) {
            sink(base + hit);
            from = hit + qsizetype(n);
        }
        resume = std::max(qint64(from), filled - n + 1) + base;
        // Keep the bytes a hit not yet found may begin in: fewer than n.
        const qint64 keepFrom = std::min(resume - base, filled);
        std::memmove(buffer.data(), buffer.data() + keepFrom, size_t(filled - keepFrom));
        base += keepFrom;
        filled -= keepFrom;
        done += got;
        if (progress)
            progress(done, std::max(total, done)); // a file may grow while it is read
    }
    return true;
}
