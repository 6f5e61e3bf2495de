#include "app/widgetprompter.h"

#include "app/mainwindow.h"

#include <QApplication>
#include <QColorDialog>
#include <QDir>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>
#include <memory>

namespace {

constexpr qint64 kBusyDialogAfterMs = 2000;

QMessageBox::Icon boxIcon(Prompter::Icon icon)
{
    switch (icon) {
    case Prompter::Icon::Information:
        return QMessageBox::Information;
    case Prompter::Icon::Warning:
        return QMessageBox::Warning;
    case Prompter::Icon::Critical:
        return QMessageBox::Critical;
    case Prompter::Icon::Question:
        return QMessageBox::Question;
    case Prompter::Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

// The window names the dialog its running menu item opens.
QString dialogTitle(QWidget *parent)
{
    const auto *window = qobject_cast<const MainWindow *>(parent);
    return window ? window->fileDialogTitle() : QString();
}

} // namespace

Prompter::Answer WidgetPrompter::ask(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == Buttons::YesNo)
        standard = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == Buttons::YesNoCancel)
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(boxIcon(icon), title, text, standard, owner());
    switch (box.exec()) {
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    case QMessageBox::Ok:
        return Answer::Ok;
    default:
        return Answer::Cancel;
    }
}

void WidgetPrompter::inform(const QString &text, const QString &title, Icon icon)
{
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, owner());
    box.exec();
}

QString WidgetPrompter::startIn(const QString &filter, const QString &start) const
{
    // Where the caller points, while that folder is there.
    const QFileInfo given(start);
    if (!start.isEmpty() && given.isAbsolute() && (given.isDir() || given.absoluteDir().exists()))
        return start;
    const QString last = m_lastFolders.value(filter);
    if (!last.isEmpty() && QFileInfo(last).isDir())
        return last;
    const auto *window = qobject_cast<const MainWindow *>(m_parent);
    const QString module = window ? window->moduleFolder() : QString();
    if (!module.isEmpty() && QFileInfo(module).isDir())
        return module;
    return QDir::homePath();
}

QString WidgetPrompter::chosen(const QString &filter, const QString &path)
{
    if (!path.isEmpty())
        m_lastFolders[filter] = QFileInfo(path).absolutePath();
    return path;
}

QString WidgetPrompter::chooseOpenFile(const QString &filter, const QString &start)
{
    return chosen(filter, QFileDialog::getOpenFileName(owner(), dialogTitle(m_parent), startIn(filter, start), filter));
}

QString WidgetPrompter::chooseSaveFile(const QString &filter, const QString &start)
{
    // Saving goes over a file that exists already, so no question about replacing it.
    QFileDialog dialog(owner(), dialogTitle(m_parent), startIn(filter, start), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return chosen(filter, dialog.selectedFiles().first());
}

QString WidgetPrompter::chooseNewFile(const QString &filter, const QString &start)
{
    return chosen(filter, QFileDialog::getSaveFileName(owner(), dialogTitle(m_parent), startIn(filter, start), filter));
}

std::optional<Rgb> WidgetPrompter::chooseColour(Rgb initial, const QString &title)
{
    const QColor chosen = QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), owner(), title);
    if (!chosen.isValid())
        return std::nullopt;
    m_lastColour = Rgb{std::uint8_t(chosen.red()), std::uint8_t(chosen.green()), std::uint8_t(chosen.blue())};
    return m_lastColour;
}

QWidget *WidgetPrompter::owner() const
{
    // Over the window the person works in (the VSHmain tool, Search), which
    // gets the focus back when the dialog closes.
    QWidget *active = QApplication::activeWindow();
    return active ? active : m_parent;
}

void WidgetPrompter::beep()
{
    QApplication::beep();
}

void WidgetPrompter::setBusy(bool busy)
{
    if (busy)
        QApplication::setOverrideCursor(Qt::BusyCursor);
    else
        QApplication::restoreOverrideCursor();
}

bool WidgetPrompter::waitWhileBusy(const QString &text, const std::function<bool()> &finished)
{
    QElapsedTimer clock;
    clock.start();
    std::unique_ptr<QProgressDialog> dialog;
    while (!finished()) {
        // Until the dialog shows, no events are handled: a click on the main
        // window must not start another operation in the middle of this one.
        if (!dialog && clock.elapsed() >= kBusyDialogAfterMs) {
            dialog = std::make_unique<QProgressDialog>(text, QStringLiteral("Cancel"), 0, 0, m_parent);
            dialog->setObjectName(QStringLiteral("busyDialog"));
            dialog->setWindowTitle(QStringLiteral("VantorEditor"));
            dialog->setWindowModality(Qt::ApplicationModal);
            dialog->setAutoClose(false);
            dialog->setAutoReset(false);
            dialog->setMinimumDuration(0);
            dialog->show();
        }
        if (dialog) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
            if (dialog->wasCanceled())
                return false;
        }
    }
    return true;
}
