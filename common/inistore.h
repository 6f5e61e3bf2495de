#pragma once

#include "common/inifile.h"

#include <QString>
#include <map>
#include <memory>

// One IniFile per path for the whole session, so every reader of a file
// shares its parse and sees another program's change at the next read.
class IniStore
{
public:
    IniFile &file(const QString &path);

private:
    std::map<QString, std::unique_ptr<IniFile>> m_files;
};
