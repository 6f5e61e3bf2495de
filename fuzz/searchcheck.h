#pragma once

#include "common/codepage.h"
#include "search/scanner.h"

#include <QFile>
#include <QString>
#include <QtEndian>
#include <algorithm>
#include <cstring>
#include <vector>

// The scanner against the plainest search there is: every start position in
// turn, String keys compared as lower-cased text, a hit skipping past its
// last byte. Shared by the fuzz target and the randomized test.
namespace SearchCheck {

inline std::vector<qint64> naive(const QByteArray &data, const SearchKey &key, const QString &keyText)
{
    std::vector<qint64> hits;
    const QByteArray exact = key.pattern();
    const QString folded = Codepage::lower(keyText);
    const qsizetype n = exact.size();
    for (qsizetype i = 0; n > 0 && i + n <= data.size();) {
        const bool match = key.foldsCase()
                               ? Codepage::lower(Codepage::toUnicode(data.constData() + i, n)) == folded
                               : data.mid(i, n) == exact;
        if (match) {
            hits.push_back(i);
            i += n;
        } else {
            ++i;
        }
    }
    return hits;
}

inline std::vector<qint64> scan(const QString &path, const SearchKey &key, qint64 blockSize, QString *error = nullptr)
{
    std::vector<qint64> hits;
    Scanner scanner(key, blockSize);
    if (!scanner.scanFile(path, [&](qint64 offset) { hits.push_back(offset); }) && error)
        *error = scanner.errorString();
    return hits;
}

// The input's first byte picks the type and the block size, the second the
// key's length; the key's bytes follow, the rest is the file. Empty text when
// the scanner found what the naive search finds.
inline QString check(const QByteArray &input, const QString &folder)
{
    if (input.size() < 2)
        return QString();
    const auto pick = static_cast<unsigned char>(input.at(0));
    const qsizetype length = std::min<qsizetype>(static_cast<unsigned char>(input.at(1)), input.size() - 2);
    const QByteArray keyBytes = input.mid(2, length);
    const QByteArray data = input.mid(2 + length);
    const qint64 blocks[] = {1, 3, 64, Scanner::DefaultBlock};
    const qint64 blockSize = blocks[pick % 4];
    const auto type = SearchKey::Type((pick / 4) % 3);
    QString text;
    switch (type) {
    case SearchKey::Type::String:
        text = Codepage::toUnicode(keyBytes);
        break;
    case SearchKey::Type::Integer: {
        qint16 value = 0;
        if (keyBytes.size() >= 2)
            std::memcpy(&value, keyBytes.constData(), 2);
        text = QString::number(qFromLittleEndian(value));
        break;
    }
    case SearchKey::Type::Float: {
        float value = 0;
        if (keyBytes.size() >= 4)
            std::memcpy(&value, keyBytes.constData(), 4);
        text = QString::number(double(value), 'g', 9);
        break;
    }
    }
    const auto key = SearchKey::make(type, text);
    if (!key)
        return QString();
    const QString path = folder + QStringLiteral("/search.bin");
    {
        QFile f(path);
        if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(data) != data.size())
            return QStringLiteral("can not write the input to ") + path;
    }
    QString error;
    const std::vector<qint64> found = scan(path, *key, blockSize, &error);
    if (!error.isEmpty())
        return error;
    const std::vector<qint64> expected = naive(data, *key, text);
    if (found != expected)
        return QStringLiteral("%1 key '%2', block %3: %4 hits, the naive search %5")
            .arg(SearchKey::typeName(type), text)
            .arg(blockSize)
            .arg(found.size())
            .arg(expected.size());
    return QString();
}

} // namespace SearchCheck
