#include "app/restorebackupdialog.h"

#include <QDir>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

RestoreBackupDialog::RestoreBackupDialog(const QString &moduleName, const QString &folder,
                                         const std::vector<BackupStore::Backup> &backups, QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("RestoreBackup"));
    setWindowTitle(QStringLiteral("Restore Backup"));
    setModal(true);

    auto *label = new QLabel(this);
    label->setObjectName(QStringLiteral("lblBackups"));
    label->setWordWrap(true);
    m_list = new QTreeWidget(this);
    m_list->setObjectName(QStringLiteral("lstBackups"));
    m_list->setRootIsDecorated(false);
    m_list->setUniformRowHeights(true);
    m_list->setAllColumnsShowFocus(true);
    m_list->setHeaderLabels({QStringLiteral("Made"), QStringLiteral("Size")});
    m_list->headerItem()->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    label->setBuddy(m_list);

    const QLocale numbers(QLocale::English);
    for (size_t i = 0; i < backups.size(); ++i) {
        const BackupStore::Backup &b = backups[i];
        QString time = BackupStore::timeText(b.time);
        // The oldest is the module as it first came: kept for good.
        if (i + 1 == backups.size() && backups.size() > 1)
            time += QStringLiteral("  (the first)");
        auto *item = new QTreeWidgetItem(m_list, {time, numbers.toString(b.size) + QStringLiteral(" bytes")});
        item->setData(0, Qt::UserRole, b.path);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
        item->setToolTip(0, QDir::toNativeSeparators(b.path));
    }
    m_list->header()->setStretchLastSection(false);
    m_list->header()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->header()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_list->setMinimumSize(380, 160);

    if (backups.empty()) {
        label->setText(QStringLiteral("There are no backups of %1 yet: one is made before the first save that "
                                      "changes it.")
                           .arg(moduleName));
        m_list->setEnabled(false);
    } else {
        label->setText(
            QStringLiteral("Backups of %1, the newest first. The one you restore replaces %1, which is backed up first.")
                .arg(moduleName));
        m_list->setCurrentItem(m_list->topLevelItem(0));
    }
    auto *where = new QLabel(QStringLiteral("Kept in %1").arg(QDir::toNativeSeparators(folder)), this);
    where->setObjectName(QStringLiteral("lblFolder"));
    where->setTextInteractionFlags(Qt::TextSelectableByMouse);
    where->setForegroundRole(QPalette::PlaceholderText);

    m_restore = new QPushButton(QStringLiteral("&Restore"), this);
    m_restore->setObjectName(QStringLiteral("cmdRestore"));
    m_restore->setDefault(true);
    m_restore->setEnabled(!backups.empty());
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_restore);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list, 1);
    layout->addWidget(where);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(m_restore, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_list, &QTreeWidget::itemDoubleClicked, this, &QDialog::accept);
    connect(m_list, &QTreeWidget::currentItemChanged, this,
            [this](QTreeWidgetItem *current) { m_restore->setEnabled(current != nullptr); });
    resize(sizeHint().expandedTo(QSize(440, 300)));
}

QString RestoreBackupDialog::chosen() const
{
    const QTreeWidgetItem *item = m_list->currentItem();
    return item ? item->data(0, Qt::UserRole).toString() : QString();
}
