#pragma once

#include "common/prompter.h"

#include <QHash>

class QWidget;

// The Prompter of the windows: message boxes, file and colour dialogs, the busy dialog.
class WidgetPrompter : public Prompter
{
public:
    explicit WidgetPrompter(QWidget *parent = nullptr) : m_parent(parent) {}
    void setParent(QWidget *parent) { m_parent = parent; }

    Answer ask(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    void inform(const QString &text, const QString &title, Icon icon) override;
    QString chooseOpenFile(const QString &filter, const QString &start) override;
    QString chooseSaveFile(const QString &filter, const QString &start) override;
    QString chooseNewFile(const QString &filter, const QString &start) override;
    std::optional<Rgb> chooseColour(Rgb initial, const QString &title) override;
    void beep() override;
    void setBusy(bool busy) override;
    // After about two seconds a modal busy dialog with Cancel; events are
    // processed while it shows.
    bool waitWhileBusy(const QString &text, const std::function<bool()> &finished) override;

    // Where a file dialog opens: at `start` when the caller gives one whose
    // folder exists, else in the folder last chosen in a dialog of that
    // filter, else in the open module's folder, else in the home folder;
    // never in the process's current folder.
    QString startIn(const QString &filter, const QString &start) const;

private:
    // The dialogs' parent: the active window of the program, else the main window.
    QWidget *owner() const;
    // Remembers the folder of a chosen path for its filter; gives the path back.
    QString chosen(const QString &filter, const QString &path);

    QWidget *m_parent;
    Rgb m_lastColour;
    QHash<QString, QString> m_lastFolders;
};
