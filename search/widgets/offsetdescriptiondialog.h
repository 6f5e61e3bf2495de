#pragma once

#include <QDialog>
#include <QStringList>

class QLineEdit;

// "Offset Description" (Form6): names the selected search hits; OK hands
// them on as rows to add to the bookmark list. Hidden, not destroyed, by OK
// and Cancel, so the description stays for the next use.
class OffsetDescriptionDialog : public QDialog
{
    Q_OBJECT

public:
    explicit OffsetDescriptionDialog(QWidget *parent = nullptr);

    // What OK adds: one row per offset, with these type, file and Len cells.
    // Each row's Value is what its file holds there, so the row counts as
    // unchanged until it is edited.
    void setHits(const QString &value, const QStringList &offsets, const QString &type, const QString &file,
                 int length = 0);
    // The same with a value for each offset.
    void setHits(const QStringList &values, const QStringList &offsets, const QString &type, const QString &file,
                 int length = 0);

signals:
    // OK: one row per offset, every row named by the description.
    void rowsNamed(const QString &description, const QStringList &values, const QStringList &offsets,
                   const QString &type, const QString &file, int length);

private:
    void cmdOk_Click();

    QLineEdit *m_description;
    QStringList m_values;
    QStringList m_offsets;
    QString m_type;
    QString m_file;
    int m_length = 0;
};
