#include "documenttest.h"
#include "document/gzipcodec.h"
#include "tools/mkdemo/demofixture.h"

namespace {

class UnpackTest : public DocumentTest
{
protected:
    QByteArray packed() const
    {
        return DemoFixture::headerTemplate("4.05").left(336) + GzipCodec::compress(DemoFixture::storedModule("4.05"));
    }
};

TEST_F(UnpackTest, YesUnpacksInPlaceAndDetectsTheVersion)
{
    TestHome::writeAll(home.module4(), packed());
    prompter.answers.push_back(Prompter::Answer::Yes);
    doc->openFromCommandLine(home.module4());
    ASSERT_GE(prompter.calls.size(), 1u);
    EXPECT_EQ(prompter.calls[0].text, "Can not read PRX file, try to decompress?");
    EXPECT_EQ(prompter.calls[0].title, "Error");
    EXPECT_EQ(prompter.calls[0].buttons, Prompter::Buttons::YesNo);
    EXPECT_EQ(TestHome::readAll(home.module4()), DemoFixture::storedModule("4.05"));
    EXPECT_EQ(doc->prxversion, "4.05");
    EXPECT_TRUE(doc->moduleOpen());
}

TEST_F(UnpackTest, NoLeavesNoModuleOpen)
{
    TestHome::writeAll(home.module4(), packed());
    prompter.answers.push_back(Prompter::Answer::No);
    doc->openFromCommandLine(home.module4());
    EXPECT_FALSE(doc->moduleOpen());
    EXPECT_FALSE(doc->files().isOpen(ModuleFiles::Working));
    EXPECT_EQ(TestHome::readAll(home.module4()), packed());
}

TEST_F(UnpackTest, DamagedStreamChangesNothing)
{
    QByteArray damaged = packed();
    damaged.truncate(damaged.size() - 40);
    for (const QByteArray &bytes : {QByteArray(400, 'x'), damaged}) {
        TestHome::writeAll(home.module4(), bytes);
        prompter.answers.push_back(Prompter::Answer::Yes);
        doc->openFromCommandLine(home.module4());
        EXPECT_EQ(TestHome::readAll(home.module4()), bytes);
        EXPECT_FALSE(doc->moduleOpen());
        restart();
    }
}

} // namespace
