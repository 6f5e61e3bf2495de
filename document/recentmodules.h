#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <vector>

class PrxDocument;

// File > Recent Modules: the modules last opened, the newest first, kept in
// Config.ini ("Recent Modules", File1..File8). Each module the document opens
// goes to the front; a module named twice is kept once. A module that no
// longer exists stays on the list, to be shown disabled.
class RecentModules : public QObject
{
    Q_OBJECT

public:
    static constexpr int Limit = 8;

    explicit RecentModules(PrxDocument &document, QObject *parent = nullptr);

    struct Entry
    {
        QString path;
        bool exists = false;
    };
    // As Config.ini holds them now.
    std::vector<Entry> entries();
    // Puts `path` at the front; false (and told) when Config.ini could not be written.
    bool add(const QString &path);

signals:
    void changed();

private:
    QStringList paths();

    PrxDocument &m_doc;
};
