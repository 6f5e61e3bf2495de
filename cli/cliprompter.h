#pragma once

#include "common/prompter.h"

#include <QTextStream>

// The core's messages on standard error, one line each, for scripts. No one
// is there to answer: every question is answered No (nothing is unpacked or
// saved that the command did not ask for), file and colour choices are cancelled.
class CliPrompter : public Prompter
{
public:
    explicit CliPrompter(QTextStream &err) : m_err(err) {}

    Answer ask(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    void inform(const QString &text, const QString &title, Icon icon) override;
    QString chooseOpenFile(const QString &, const QString &) override { return QString(); }
    QString chooseSaveFile(const QString &, const QString &) override { return QString(); }
    std::optional<Rgb> chooseColour(Rgb, const QString &) override { return std::nullopt; }
    void beep() override {}
    void setBusy(bool) override {}

    // Messages told so far, for a command that reports the last failure itself.
    int messageCount() const { return m_messages; }

private:
    void print(const QString &text);

    QTextStream &m_err;
    int m_messages = 0;
};
