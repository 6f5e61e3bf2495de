#pragma once

#include "common/prompter.h"

#include <QString>
#include <QStringList>
#include <deque>
#include <vector>

// A scripted Prompter: answers and chosen files are queued by the test, and
// every call is recorded with its exact texts.
class FakePrompter : public Prompter
{
public:
    struct Call
    {
        QString kind; // "ask", "inform", "open", "save", "colour", "beep", "busy", "wait"
        QString text;
        QString title;
        Buttons buttons = Buttons::Ok;
        Icon icon = Icon::None;
    };

    std::deque<Answer> answers;
    std::deque<QString> files;
    std::deque<std::optional<Rgb>> colours;
    // One entry per busy wait, in order: cancel after that many milliseconds,
    // or -1 to wait to the end. No entry waits to the end.
    std::deque<int> cancelAfterMs;
    std::vector<Call> calls;

    Answer ask(const QString &text, const QString &title, Buttons buttons, Icon icon) override;
    void inform(const QString &text, const QString &title, Icon icon) override;
    QString chooseOpenFile(const QString &filter, const QString &start) override;
    QString chooseSaveFile(const QString &filter, const QString &start) override;
    std::optional<Rgb> chooseColour(Rgb initial, const QString &title) override;
    void beep() override;
    void setBusy(bool busy) override;
    bool waitWhileBusy(const QString &text, const std::function<bool()> &finished) override;

    int count(const QString &kind) const;
    // The texts of the message boxes (ask and inform), in order.
    QStringList messages() const;
};
