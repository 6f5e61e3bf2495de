#include "app/widgetprompter.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace {

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

} // namespace

Prompter::Answer WidgetPrompter::ask(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    QMessageBox::StandardButtons standard = QMessageBox::Ok;
    if (buttons == Buttons::YesNo)
        standard = QMessageBox::Yes | QMessageBox::No;
    else if (buttons == Buttons::YesNoCancel)
        standard = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    QMessageBox box(boxIcon(icon), title, text, standard, m_parent);
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
    QMessageBox box(boxIcon(icon), title, text, QMessageBox::Ok, m_parent);
    box.exec();
}

QString WidgetPrompter::chooseOpenFile(const QString &filter, const QString &start)
{
    return QFileDialog::getOpenFileName(m_parent, QString(), start, filter);
}

QString WidgetPrompter::chooseSaveFile(const QString &filter, const QString &start)
{
    // Saving goes over a file that exists already, so no question about replacing it.
    QFileDialog dialog(m_parent, QString(), start, filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return QString();
    return dialog.selectedFiles().first();
}

std::optional<Rgb> WidgetPrompter::chooseColour(Rgb initial)
{
    const QColor chosen = QColorDialog::getColor(QColor(initial.red, initial.green, initial.blue), m_parent);
    if (!chosen.isValid())
        return std::nullopt;
    m_lastColour = Rgb{std::uint8_t(chosen.red()), std::uint8_t(chosen.green()), std::uint8_t(chosen.blue())};
    return m_lastColour;
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
