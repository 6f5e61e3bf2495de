#pragma once

#include "common/rgb.h"

#include <QString>
#include <functional>
#include <optional>

// Everything the core asks of the person or shows them goes through here, so
// that windows use message boxes and dialogs and tests use a scripted fake.
// Texts, titles, buttons and icons pass through unchanged.
class Prompter
{
public:
    enum class Icon { None, Information, Warning, Critical, Question };
    enum class Buttons { Ok, YesNo, YesNoCancel };
    enum class Answer { Ok, Yes, No, Cancel };

    // The title of the program's own messages.
    static inline const QString AppTitle = QStringLiteral("VantorEditor");

    virtual ~Prompter() = default;

    virtual Answer ask(const QString &text, const QString &title, Buttons buttons, Icon icon) = 0;
    virtual void inform(const QString &text, const QString &title, Icon icon) = 0;
    // The chosen path, or empty text when the person cancelled. Both dialogs
    // offer existing files only: saving writes over a file the person chose.
    virtual QString chooseOpenFile(const QString &filter, const QString &start) = 0;
    virtual QString chooseSaveFile(const QString &filter, const QString &start) = 0;
    // A file to write, which may be new; a window asks before one is replaced.
    virtual QString chooseNewFile(const QString &filter, const QString &start) { return chooseSaveFile(filter, start); }
    // `title` says what the colour is for (which month, which table).
    virtual std::optional<Rgb> chooseColour(Rgb initial, const QString &title) = 0;
    virtual void beep() = 0;
    virtual void setBusy(bool busy) = 0;
    // Waits until `finished` returns true; it is polled and may block briefly
    // each time. A window shows a busy dialog with `text` and Cancel once the
    // wait has lasted about two seconds. False when the person cancelled.
    virtual bool waitWhileBusy(const QString &text, const std::function<bool()> &finished)
    {
        (void)text;
        while (!finished()) {
        }
        return true;
    }
};
