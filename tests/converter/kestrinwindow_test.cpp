#include "hbkbuilder.h"
#include "tests/support/forkedchild.h"

#include "common/inifile.h"
#include "converter/kestrinwindow.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Records the failure prompts and answers the file dialog from a script.
class ScriptedKestrinWindow : public KestrinWindow
{
public:
    QStringList failures;
    QStringList browseStarts;
    QString browseAnswer;
    QStringList moduleStarts;
    QString moduleAnswer;

protected:
    void showFailure(const QString &message) override { failures << message; }
    QString chooseInputFile(const QString &startFolder) override
    {
        browseStarts << startFolder;
        return browseAnswer;
    }
    QString chooseModuleFile(const QString &startFolder) override
    {
        moduleStarts << startFolder;
        return moduleAnswer;
    }
};

class KestrinWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    }

    template<typename T>
    T *control(const char *name)
    {
        T *w = m_window.findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }

    void typeInto(const char *name, const QString &text)
    {
        QLineEdit *edit = control<QLineEdit>(name);
        edit->selectAll();
        QTest::keyClick(edit, Qt::Key_Delete);
        QTest::keyClicks(edit, text);
    }

    QTemporaryDir m_dir;
    ScriptedKestrinWindow m_window;
};

TEST_F(KestrinWindowTest, ConvertWritesTheTypedSectionAndShowsTheStatus)
{
    EXPECT_EQ(m_window.windowTitle(), "hbk to vt converter");
    EXPECT_EQ(control<QLineEdit>("Text2")->text(), "5.00");
    const QString hbk = HbkBuilder()
                            .record("Font", "1A0E8", "00000004")
                            .emptyRecord()
                            .record("Label", "200", "00000020")
                            .writeTo(m_dir.filePath("vshmain.hbk"));

    typeInto("Text1", hbk);
    typeInto("Text2", "6.20");
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);

    EXPECT_TRUE(m_window.failures.isEmpty()) << m_window.failures.join('\n').toStdString();
    IniFile vt(m_dir.filePath("vshmain.vt"));
    EXPECT_EQ(vt.read("6.20", "offset"), "2");
    EXPECT_EQ(vt.read("6.20", "entry.2.description"), "Label");
    EXPECT_EQ(vt.read("6.20", "entry.2.length"), "32");
    EXPECT_EQ(vt.read("5.00", "offset"), IniFile::Missing);
    EXPECT_EQ(m_window.statusText(),
              QStringLiteral("Wrote 2 bookmarks to section \"6.20\" of %1. Skipped 1 record of 3: 1 empty. The section "
                             "has no PRXSize, so VantorEditor finds no module's version by it: name the module these "
                             "bookmarks are for (Module..., or --module) and convert again.")
                  .arg(QDir::toNativeSeparators(m_dir.filePath("vshmain.vt"))));
}

TEST_F(KestrinWindowTest, ModuleChosenGivesTheSectionItsPrxSize)
{
    const QString hbk = HbkBuilder().record("Font", "0x1A0E8", "4").writeTo(m_dir.filePath("marks.hbk"));
    QByteArray module(4096, '\0');
    module.replace(0, 4, "\x7F" "ELF");
    const QString prx = m_dir.filePath("vshmain.prx");
    {
        QFile f(prx);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(module);
    }
    typeInto("Text1", hbk);

    m_window.moduleAnswer = prx;
    QTest::mouseClick(control<QPushButton>("cmdModule"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Text3")->text(), QDir::toNativeSeparators(prx));
    m_window.moduleAnswer.clear();
    QTest::mouseClick(control<QPushButton>("cmdModule"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Text3")->text(), QDir::toNativeSeparators(prx)) << "a cancelled choice keeps the module";
    EXPECT_EQ(m_window.moduleStarts, QStringList({m_dir.path(), m_dir.path()})) << "beside the .hbk, then the module";
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);

    EXPECT_TRUE(m_window.failures.isEmpty()) << m_window.failures.join('\n').toStdString();
    IniFile vt(m_dir.filePath("marks.vt"));
    EXPECT_EQ(vt.read("5.00", "PRXSize"), "4096");
    EXPECT_EQ(vt.read("5.00", "entry.1.offset"), "1A0E8");
    EXPECT_EQ(m_window.statusText(),
              QStringLiteral("Wrote 1 bookmark to section \"5.00\" of %1, with PRXSize 4096 of vshmain.prx. VantorEditor "
                             "reads the bookmarks of vshmain.prx from vshmain.vt in its bookmark folder.")
                  .arg(QDir::toNativeSeparators(m_dir.filePath("marks.vt"))));

    typeInto("Text3", m_dir.filePath("gone.prx"));
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(m_window.failures.size(), 1);
    EXPECT_TRUE(m_window.failures[0].contains("gone.prx\" does not exist")) << m_window.failures[0].toStdString();
    EXPECT_EQ(m_window.statusText(), "Nothing converted.");
}

TEST_F(KestrinWindowTest, FailureIsPromptedAndTheStatusDropsTheLastSuccess)
{
    const QString hbk = HbkBuilder().record("A", "10", "4").writeTo(m_dir.filePath("a.hbk"));
    typeInto("Text1", hbk);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_TRUE(m_window.failures.isEmpty());

    const QString missing = m_dir.filePath("missing.hbk");
    typeInto("Text1", missing);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);

    ASSERT_EQ(m_window.failures.size(), 1);
    EXPECT_TRUE(m_window.failures[0].contains(QDir::toNativeSeparators(missing)));
    EXPECT_EQ(m_window.statusText(), "Nothing converted.");
    EXPECT_FALSE(QFile::exists(m_dir.filePath("missing.vt")));
}

TEST_F(KestrinWindowTest, FullDiskAndOversizedArraysAreShownAsFailures)
{
    HbkBuilder builder;
    for (int i = 0; i < 17; ++i)
        builder.record("Table", "100", "4", "1000");
    const QString hbk = builder.writeTo(m_dir.filePath("vshmain.hbk"));
    const QString vt = m_dir.filePath("vshmain.vt");
    typeInto("Text1", hbk);

    // On a full disk the child converts; the window is its copy of this one.
    const ForkedChild::Result run = ForkedChild{500, false}.run([&] {
        QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
        return (m_window.failures.join('\n') + '|' + m_window.statusText()).toUtf8();
    });
    ASSERT_TRUE(run.exitedNormally && run.exitCode == 0);
    EXPECT_EQ(QString::fromUtf8(run.output),
              QStringLiteral("Can not write %1: File too large|Nothing converted.").arg(QDir::toNativeSeparators(vt)));
    EXPECT_FALSE(QFile::exists(vt));

    control<QCheckBox>("chkExpand")->setChecked(true);
    QTest::mouseClick(control<QPushButton>("Command1"), Qt::LeftButton);
    ASSERT_EQ(m_window.failures.size(), 1);
    EXPECT_TRUE(m_window.failures[0].contains(QDir::toNativeSeparators(hbk)));
    EXPECT_TRUE(m_window.failures[0].contains("69632 bookmarks")) << m_window.failures[0].toStdString();
    EXPECT_EQ(m_window.statusText(), "Nothing converted.");
    EXPECT_FALSE(QFile::exists(vt));
}

TEST_F(KestrinWindowTest, BrowseStartsInTheProgramFolderAndFillsText1)
{
    m_window.browseAnswer = m_dir.filePath("chosen.hbk");
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Text1")->text(), QDir::toNativeSeparators(m_window.browseAnswer));

    m_window.browseAnswer.clear();
    QTest::mouseClick(control<QPushButton>("Command2"), Qt::LeftButton);
    EXPECT_EQ(control<QLineEdit>("Text1")->text(), QDir::toNativeSeparators(m_dir.filePath("chosen.hbk")));

    ASSERT_EQ(m_window.browseStarts.size(), 2);
    EXPECT_EQ(m_window.browseStarts[0], QCoreApplication::applicationDirPath());
    EXPECT_EQ(m_window.browseStarts[1], m_dir.path());
}

} // namespace
