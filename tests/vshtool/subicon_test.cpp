#include "tests/support/littleendian.h"
#include "vshtest.h"
#include "vshtool/subiconrecords.h"

using DemoFixture::kBeginOffset;
using DemoFixture::kVersion4;
using DemoFixture::kVersion5;

using LittleEndian::ints;

class SubIconTest : public VshTest
{
protected:
    SubIconRecords records() { return SubIconRecords(*doc); }
};

TEST_F(SubIconTest, SelectingARecordAddressesItsSixteenBytes)
{
    // A 4.05 module grown to hold records at 2A000.
    QByteArray bytes = TestHome::readAll(home.module4());
    bytes.resize(0x30000, '\0');
    const QByteArray third = ints({3, 0x1234, 7, -1});
    bytes.replace(0x2A020, 16, third);
    ASSERT_TRUE(TestHome::writeAll(home.module4(), bytes));
    setKey(kVersion4, "PRXSize", QString::number(bytes.size()));
    setKey(kVersion4, "BeginOffset", "2A000");
    open(kVersion4);

    SubIconRecords r = records();
    const auto record = r.select(2);
    ASSERT_TRUE(record);
    EXPECT_EQ(doc->BeginOffset(), 0x2A020);
    EXPECT_EQ(record->mainCategory, 3);
    EXPECT_EQ(record->mode, 7);
    EXPECT_EQ(TestHome::readAll(home.module4()), bytes) << "selecting writes nothing";

    EXPECT_EQ(r.writeMainCategory(5), QString());
    EXPECT_EQ(r.writeMode(SubIconRecords::Mode::Disabled), QString());
    const QByteArray after = TestHome::readAll(home.module4());
    EXPECT_EQ(after.mid(0x2A020, 16), ints({5, 0x1234, 2, 8})) << "bytes 4 to 7 untouched";
    EXPECT_EQ(after.left(0x2A020), bytes.left(0x2A020));
    EXPECT_EQ(after.mid(0x2A030), bytes.mid(0x2A030));
}

TEST_F(SubIconTest, ModesAndTheirCompanions)
{
    open(kVersion5);
    SubIconRecords r = records();
    ASSERT_TRUE(r.select(1));
    const qint64 at = kBeginOffset + 16 + 8;
    const struct
    {
        SubIconRecords::Mode mode;
        const char *bytes;
    } cases[] = {{SubIconRecords::Mode::SlimOnly, "06000000FFFFFFFF"},
                 {SubIconRecords::Mode::Disabled, "0200000008000000"},
                 {SubIconRecords::Mode::Enabled, "07000000FFFFFFFF"}};
    for (const auto &c : cases) {
        EXPECT_EQ(r.writeMode(c.mode), QString());
        EXPECT_EQ(TestHome::readAll(home.module5()).mid(at, 8).toHex().toUpper(), QByteArray(c.bytes));
    }
    EXPECT_EQ(doc->files().read(ModuleFiles::Working, at, 8), QByteArray::fromHex("07000000FFFFFFFF"))
        << "from 5.0 on the records are written into file 2; the working copy keeps the demo's values";
}

TEST_F(SubIconTest, RecordsOutsideTheFileAreRefused)
{
    setKey(kVersion4, "BeginOffset", QString::number(DemoFixture::moduleSize(kVersion4) - 8, 16));
    open(kVersion4);
    const QByteArray before = TestHome::readAll(home.module4());
    SubIconRecords r = records();
    const auto record = r.select(0);
    ASSERT_TRUE(record);
    EXPECT_TRUE(record->mainCategory);
    EXPECT_FALSE(record->mode) << "the mode field lies past the end";
    EXPECT_TRUE(r.writeMode(SubIconRecords::Mode::SlimOnly).contains("does not lie inside"));
    EXPECT_EQ(TestHome::readAll(home.module4()), before);

    setKey(kVersion4, "BeginOffset", "");
    const qint32 kept = doc->BeginOffset();
    EXPECT_FALSE(r.select(3)) << "no BeginOffset, no record";
    EXPECT_EQ(doc->BeginOffset(), kept);
}
