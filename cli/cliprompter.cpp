#include "cli/cliprompter.h"

Prompter::Answer CliPrompter::ask(const QString &text, const QString &, Buttons buttons, Icon)
{
    print(text);
    return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
}

void CliPrompter::inform(const QString &text, const QString &, Icon)
{
    print(text);
}

void CliPrompter::print(const QString &text)
{
    // The window texts carry padding blanks and line breaks for message boxes.
    QString line = text.simplified();
    if (line.isEmpty())
        return;
    ++m_messages;
    m_err << "vantor: " << line << Qt::endl;
}
