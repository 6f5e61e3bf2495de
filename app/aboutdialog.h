#pragma once

#include <QDialog>

// The About window (Form3): the logo, the version, what the editor is, and thanks.
class AboutDialog : public QDialog
{
    Q_OBJECT

public:
    // The four lines of the "About Vantor Editor" frame, joined by CR LF.
    static const QString AboutText;

    explicit AboutDialog(QWidget *parent = nullptr);
};
