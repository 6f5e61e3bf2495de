#pragma once

#include "common/prompter.h"

// The benchmarks' Prompter: answers No, chooses nothing, and keeps the last
// message that was not a success, so a benchmark can report why it failed.
class SilentPrompter : public Prompter
{
public:
    QString failure;

    Answer ask(const QString &, const QString &, Buttons, Icon) override { return Answer::No; }
    void inform(const QString &text, const QString &title, Icon) override
    {
        if (title != QLatin1String("Done"))
            failure = text;
    }
    QString chooseOpenFile(const QString &, const QString &) override { return {}; }
    QString chooseSaveFile(const QString &, const QString &) override { return {}; }
    std::optional<Rgb> chooseColour(Rgb, const QString &) override { return std::nullopt; }
    void beep() override {}
    void setBusy(bool) override {}
};
