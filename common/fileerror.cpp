#include "common/fileerror.h"

#include "common/prompter.h"

#include <QDir>

QString FileError::text() const
{
    if (ok())
        return QString();
    return (action == Action::Read ? QStringLiteral("Can not read %1: %2") : QStringLiteral("Can not write %1: %2"))
        .arg(QDir::toNativeSeparators(path), cause);
}

bool reportFileError(Prompter &prompter, const FileError &error)
{
    if (error.ok())
        return true;
    prompter.inform(error.text(), QStringLiteral("Error"), Prompter::Icon::Critical);
    return false;
}
