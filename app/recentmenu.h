#pragma once

#include <QMenu>
#include <functional>

class RecentModules;

// File > Recent Modules: one item per module of the list, the newest first;
// a module that no longer exists is shown disabled. Rebuilt each time it opens.
class RecentMenu : public QMenu
{
    Q_OBJECT

public:
    // `open` is called with the chosen module's path.
    RecentMenu(RecentModules &recent, std::function<void(const QString &)> open, QWidget *parent = nullptr);

    void rebuild();

private:
    RecentModules &m_recent;
    std::function<void(const QString &)> m_open;
};
