#pragma once

#include "document/backupstore.h"

#include <QDialog>
#include <vector>

class QPushButton;
class QTreeWidget;

// File > Restore Backup...: the open module's backups, the newest first, with
// their time and size. Gives the one chosen; putting it back is the document's.
class RestoreBackupDialog : public QDialog
{
    Q_OBJECT

public:
    RestoreBackupDialog(const QString &moduleName, const QString &folder,
                        const std::vector<BackupStore::Backup> &backups, QWidget *parent = nullptr);

    // The path of the chosen backup, or empty text.
    QString chosen() const;

private:
    QTreeWidget *m_list = nullptr;
    QPushButton *m_restore = nullptr;
};
