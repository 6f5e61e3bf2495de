#include "app/recentmenu.h"

#include "document/recentmodules.h"

#include <QDir>
#include <utility>

RecentMenu::RecentMenu(RecentModules &recent, std::function<void(const QString &)> open, QWidget *parent)
    : QMenu(QStringLiteral("&Recent Modules"), parent)
    , m_recent(recent)
    , m_open(std::move(open))
{
    setObjectName(QStringLiteral("menuRecent"));
    connect(this, &QMenu::aboutToShow, this, &RecentMenu::rebuild);
    connect(&m_recent, &RecentModules::changed, this, &RecentMenu::rebuild);
}

void RecentMenu::rebuild()
{
    clear();
    const auto entries = m_recent.entries();
    if (entries.empty()) {
        addAction(QStringLiteral("(none)"))->setEnabled(false);
        return;
    }
    int number = 0;
    for (const RecentModules::Entry &entry : entries) {
        ++number;
        const QString shown = QDir::toNativeSeparators(entry.path);
        // "&&" keeps an ampersand in a path from becoming a mnemonic.
        QString text = QString(shown).replace(QLatin1Char('&'), QStringLiteral("&&"));
        if (number < 10)
            text = QStringLiteral("&%1 %2").arg(number).arg(text);
        QAction *item = addAction(text);
        item->setObjectName(QStringLiteral("recent%1").arg(number));
        item->setEnabled(entry.exists);
        item->setToolTip(entry.exists ? shown : QStringLiteral("%1 no longer exists").arg(shown));
        const QString path = entry.path;
        connect(item, &QAction::triggered, this, [this, path] { m_open(path); });
    }
}
