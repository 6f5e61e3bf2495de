#include "tests/support/fakeprompter.h"

#include <QElapsedTimer>

Prompter::Answer FakePrompter::ask(const QString &text, const QString &title, Buttons buttons, Icon icon)
{
    calls.push_back({QStringLiteral("ask"), text, title, buttons, icon});
    if (answers.empty())
        return buttons == Buttons::Ok ? Answer::Ok : Answer::No;
    const Answer a = answers.front();
    answers.pop_front();
    return a;
}

void FakePrompter::inform(const QString &text, const QString &title, Icon icon)
{
    calls.push_back({QStringLiteral("inform"), text, title, Buttons::Ok, icon});
}

QString FakePrompter::chooseOpenFile(const QString &filter, const QString &start)
{
    calls.push_back({QStringLiteral("open"), start, filter});
    if (files.empty())
        return QString();
    const QString f = files.front();
    files.pop_front();
    return f;
}

QString FakePrompter::chooseSaveFile(const QString &filter, const QString &start)
{
    calls.push_back({QStringLiteral("save"), start, filter});
    if (files.empty())
        return QString();
    const QString f = files.front();
    files.pop_front();
    return f;
}

std::optional<Rgb> FakePrompter::chooseColour(Rgb, const QString &title)
{
    calls.push_back({QStringLiteral("colour"), {}, title});
    if (colours.empty())
        return std::nullopt;
    const auto c = colours.front();
    colours.pop_front();
    return c;
}

void FakePrompter::beep()
{
    calls.push_back({QStringLiteral("beep"), {}, {}});
}

void FakePrompter::setBusy(bool busy)
{
    calls.push_back({QStringLiteral("busy"), busy ? QStringLiteral("on") : QStringLiteral("off"), {}});
}

bool FakePrompter::waitWhileBusy(const QString &text, const std::function<bool()> &finished)
{
    calls.push_back({QStringLiteral("wait"), text, {}});
    int limit = -1;
    if (!cancelAfterMs.empty()) {
        limit = cancelAfterMs.front();
        cancelAfterMs.pop_front();
    }
    QElapsedTimer clock;
    clock.start();
    while (!finished()) {
        if (limit >= 0 && clock.elapsed() >= limit)
            return false;
    }
    return true;
}

int FakePrompter::count(const QString &kind) const
{
    int n = 0;
    for (const Call &c : calls)
        n += c.kind == kind;
    return n;
}

QStringList FakePrompter::messages() const
{
    QStringList out;
    for (const Call &c : calls)
        if (c.kind == QLatin1String("ask") || c.kind == QLatin1String("inform"))
            out << c.text;
    return out;
}
