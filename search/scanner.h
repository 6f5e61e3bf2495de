#pragma once

#include "search/searchkey.h"

#include <QString>
#include <functional>

// Finds every occurrence of a key in a file: in file order, leftmost first,
// each one after the last byte of the one before. The file is read in large
// blocks through a handle of its own and never written; bytes beyond its end
// are never part of a hit.
class Scanner
{
public:
    using HitSink = std::function<void(qint64 offset)>;
    // Bytes scanned so far and the file's size when the scan began.
    using Progress = std::function<void(qint64 done, qint64 total)>;

    static constexpr qint64 DefaultBlock = 1 << 20;

    explicit Scanner(const SearchKey &key, qint64 blockSize = DefaultBlock);

    // Hands every hit's 0-based offset to `sink`, and calls `progress` after
    // each block. False, with errorString(), when the file can not be opened
    // or a read fails; the hits before the failure have been handed on.
    bool scanFile(const QString &path, const HitSink &sink, const Progress &progress = {});
    QString errorString() const { return m_error; }

private:
    SearchKey m_key;
    qint64 m_blockSize;
    QString m_error;
};
