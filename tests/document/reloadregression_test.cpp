#include "fuzz/reloadinput.h"
#include "tests/support/testhome.h"

#include <QDir>
#include <gtest/gtest.h>

namespace {

// Every input that once made loading a bookmark list over a changing module fail.
TEST(ReloadRegressions, EveryKeptInputLoadsCleanly)
{
    const QDir folder(QStringLiteral(RELOAD_REGRESSIONS));
    const QStringList inputs = folder.entryList(QDir::Files);
    EXPECT_FALSE(inputs.isEmpty());
    for (const QString &name : inputs) {
        SCOPED_TRACE(name.toStdString());
        const QByteArray input = TestHome::readAll(folder.filePath(name));
        ReloadInput::run(reinterpret_cast<const std::uint8_t *>(input.constData()), std::size_t(input.size()));
    }
}

} // namespace
