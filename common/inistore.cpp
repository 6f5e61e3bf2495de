#include "common/inistore.h"

IniFile &IniStore::file(const QString &path)
{
    auto &slot = m_files[path];
    if (!slot)
        slot = std::make_unique<IniFile>(path);
    return *slot;
}
