#include "fuzz/filecheck.h"
#include "fuzz/searchcheck.h"
#include "search/patternfinder.h"
#include "search/scanner.h"
#include "search/searchkey.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <utility>

namespace {

using Type = SearchKey::Type;
using Hits = std::vector<qint64>;

class ScannerTest : public ::testing::Test
{
protected:
    QString write(const QByteArray &bytes)
    {
        const QString path = dir.filePath(QStringLiteral("module.bin"));
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        EXPECT_EQ(f.write(bytes), bytes.size());
        return path;
    }
    // The hits of every block size, which must all agree.
    Hits hits(const QByteArray &bytes, Type type, const QString &text)
    {
        const auto key = SearchKey::make(type, text);
        EXPECT_TRUE(key.has_value()) << text.toStdString();
        if (!key)
            return {};
        const QString path = write(bytes);
        const Hits whole = SearchCheck::scan(path, *key, Scanner::DefaultBlock);
        for (qint64 block : {1, 2, 63, 64, 65})
            EXPECT_EQ(SearchCheck::scan(path, *key, block), whole) << "block " << block;
        return whole;
    }
    static QByteArray zeros(int n) { return QByteArray(n, '\0'); }
    static QByteArray planted(QByteArray bytes, qsizetype at, const QByteArray &key)
    {
        bytes.replace(at, key.size(), key);
        return bytes;
    }

    QTemporaryDir dir;
};

TEST_F(ScannerTest, StringHitsAcrossBlockEdgesAndLongKeys)
{
    EXPECT_EQ(hits(planted(zeros(200), 63, "ab"), Type::String, "ab"), Hits{63});
    const QByteArray longKey = QByteArray("0123456789abcdefghij").repeated(5);
    ASSERT_GT(longKey.size(), 64);
    EXPECT_EQ(hits(planted(zeros(400), 150, longKey), Type::String, QString::fromLatin1(longKey)), Hits{150});
    EXPECT_EQ(hits(planted(zeros(40), 37, "end"), Type::String, "end"), Hits{37}) << "a key in the last bytes";
    EXPECT_EQ(hits(planted(zeros(40), 38, "en"), Type::String, "end"), Hits{}) << "a key cut by the end of the file";
    EXPECT_EQ(hits(QByteArray(), Type::String, "a"), Hits{});
}

TEST_F(ScannerTest, StringKeysIgnoreCaseOfTheCodePage)
{
    EXPECT_EQ(hits(QByteArray("\0\0xABCx\0", 8), Type::String, "abc"), Hits{3});
    // É (C9) and é (E9), Š (8A) and š (9A), Ÿ (9F) and ÿ (FF).
    EXPECT_EQ(hits(QByteArray("-\xC9t\xE9-\x8A\x9F", 7), Type::String, QString::fromUtf8("\xC3\xA9T\xC3\x89")),
              Hits{1});
    EXPECT_EQ(hits(QByteArray("-\x8A\x9F-", 4), Type::String, QString::fromUtf8("\xC5\xA1\xC3\xBF")), Hits{1});
    EXPECT_EQ(hits(QByteArray("\xD7\xF7", 2), Type::String, QString::fromUtf8("\xC3\xB7")), Hits{1})
        << "the multiplication sign is no capital of the division sign";
}

TEST_F(ScannerTest, NumbersAreTheirLittleEndianBytes)
{
    EXPECT_EQ(hits(QByteArray("\x04\xD2\x00\xD2\x04", 5), Type::Integer, "1234"), Hits{3});
    EXPECT_EQ(hits(QByteArray("\xFF\xFF\x00\x80", 4), Type::Integer, "-1"), Hits{0});
    EXPECT_EQ(hits(QByteArray("\xFF\xFF\x00\x80", 4), Type::Integer, "-32768"), Hits{2});
    EXPECT_EQ(hits(planted(zeros(20), 9, QByteArray("\x00\x00\xC0\x3F", 4)), Type::Float, "1.5"), Hits{9});
    EXPECT_EQ(hits(planted(zeros(8), 0, QByteArray("\x00\x00\xC0\x3F", 4)), Type::Float, "1.5"), Hits{0});
    EXPECT_EQ(hits(planted(zeros(8), 5, QByteArray("\x00\x00\xC0", 3)), Type::Float, "1.5"), Hits{})
        << "three bytes of the float and the end of the file";
    // Zeros everywhere: the probes must not be the zero bytes of the key.
    EXPECT_EQ(hits(planted(zeros(1 << 16), 40000, QByteArray("\x00\x00\xC0\x3F", 4)), Type::Float, "1.5"),
              Hits{40000});
}

TEST_F(ScannerTest, HitsDoNotOverlap)
{
    EXPECT_EQ(hits("aaaa", Type::String, "aa"), (Hits{0, 2}));
    EXPECT_EQ(hits("aaaaa", Type::String, "aA"), (Hits{0, 2}));
    EXPECT_EQ(hits(zeros(7), Type::Integer, "0"), (Hits{0, 2, 4}));
    EXPECT_EQ(hits("abababa", Type::String, "aba"), (Hits{0, 4}));
}

TEST_F(ScannerTest, KeysThatCanNotBeSearched)
{
    for (const auto &[type, text] : std::vector<std::pair<Type, QString>>{
             {Type::Integer, "32768"}, {Type::Integer, "-32769"}, {Type::Integer, "12a"}, {Type::Integer, "-"},
             {Type::Float, "."}, {Type::Float, "1e39"}, {Type::Float, "1/2"}, {Type::String, ""},
             {Type::String, QString::fromUtf8("\xE2\x82\xAC\xE2\x88\x9E")}})
        EXPECT_FALSE(SearchKey::make(type, text).has_value()) << text.toStdString();
    const auto integer = SearchKey::make(Type::Integer, "007");
    ASSERT_TRUE(integer);
    EXPECT_EQ(integer->valueText(), "7");
    const auto single = SearchKey::make(Type::Float, "1.50");
    ASSERT_TRUE(single);
    EXPECT_EQ(single->valueText(), "1.5");
    const auto euro = SearchKey::make(Type::String, QString::fromUtf8("\xE2\x82\xAC"));
    ASSERT_TRUE(euro) << "the euro sign has byte 80";
    EXPECT_EQ(euro->pattern(), QByteArray("\x80"));
}

TEST_F(ScannerTest, MissingFileOrFolderIsReported)
{
    Scanner scanner(*SearchKey::make(Type::String, "a"));
    int calls = 0;
    EXPECT_FALSE(scanner.scanFile(dir.filePath("none.bin"), [&](qint64) { ++calls; }));
    EXPECT_TRUE(scanner.errorString().contains("none.bin"));
    EXPECT_FALSE(scanner.scanFile(dir.path(), [&](qint64) { ++calls; }));
    EXPECT_TRUE(scanner.errorString().contains("folder"));
    EXPECT_EQ(calls, 0);
}

TEST_F(ScannerTest, ProgressReachesTheWholeFile)
{
    const QString path = write(zeros(10000));
    Scanner scanner(*SearchKey::make(Type::Integer, "5"), 4096);
    std::vector<qint64> done;
    EXPECT_TRUE(scanner.scanFile(path, [](qint64) {}, [&](qint64 at, qint64 total) {
        EXPECT_EQ(total, 10000);
        done.push_back(at);
    }));
    EXPECT_EQ(done, (std::vector<qint64>{4096, 8192, 10000}));
}

TEST_F(ScannerTest, AFileCutShortWhileScannedEndsTheScan)
{
    QByteArray bytes = planted(zeros(1 << 20), 100, "cut");
    const QString path = write(planted(bytes, 900000, "cut"));
    Scanner scanner(*SearchKey::make(Type::String, "cut"), 1 << 16);
    Hits found;
    bool cut = false;
    EXPECT_TRUE(scanner.scanFile(path, [&](qint64 offset) { found.push_back(offset); }, [&](qint64, qint64) {
        if (!std::exchange(cut, true)) {
            EXPECT_TRUE(QFile::resize(path, 200000));
        }
    }));
    EXPECT_EQ(found, Hits{100}) << "only what the file still holds";
}

TEST(SearchRegressions, EveryKeptInputHolds)
{
    QTemporaryDir work;
    const QStringList failures = FileCheck::checkAll(QStringLiteral(FUZZ_REGRESSIONS "/fuzz_search"), work.path(),
                                                     SearchCheck::check);
    EXPECT_TRUE(failures.isEmpty()) << failures.join('\n').toStdString();
}

// Small alphabets give many hits, overlaps and near misses.
TEST_F(ScannerTest, AgreesWithNaiveSearchOnRandomFiles)
{
    QRandomGenerator random(20261207);
    const QByteArray alphabet("aAbB\xC9\xE9\x00\x3F\xC0\xFF", 10);
    for (int round = 0; round < 400; ++round) {
        QByteArray data(random.bounded(0, 3000), '\0');
        const int letters = random.bounded(2, int(alphabet.size()) + 1);
        for (char &c : data)
            c = alphabet.at(random.bounded(letters));
        const auto type = Type(random.bounded(3));
        QByteArray keyBytes(type == Type::Float ? 4 : type == Type::Integer ? 2 : random.bounded(1, 90), '\0');
        const qsizetype at = data.size() > keyBytes.size() ? random.bounded(int(data.size() - keyBytes.size())) : 0;
        for (qsizetype i = 0; i < keyBytes.size(); ++i)
            keyBytes[i] = at + i < data.size() && random.bounded(8) ? data.at(at + i) : alphabet.at(random.bounded(letters));
        QByteArray fuzz;
        fuzz.append(char(int(type) * 4 + random.bounded(4)));
        fuzz.append(char(keyBytes.size()));
        fuzz.append(keyBytes);
        fuzz.append(data);
        const QString why = SearchCheck::check(fuzz, dir.path());
        ASSERT_TRUE(why.isEmpty()) << "round " << round << ": " << why.toStdString();
    }
}

TEST_F(ScannerTest, ProbesAvoidCommonBytes)
{
    const PatternFinder single(QByteArray("\x00\x00\xC0\x3F", 4), false);
    EXPECT_EQ(single.first().index, 2);
    EXPECT_EQ(single.second().index, 3);
    const PatternFinder text(QByteArray("x\xE9"), true);
    EXPECT_EQ(text.second().byte, 0xE9);
    EXPECT_EQ(text.second().otherByte, 0xC9);
}

} // namespace
