#pragma once

#include <QWidget>
#include <functional>

// Runs `open`, which shows a modal window and waits for it, and calls
// `answer` with that window once it is the active modal one, then again
// every 20 ms while it stays open (a dialog not yet ready to take the answer;
// `attempt` counts from 1). A window still open after `limitMs` is closed,
// so that a test fails instead of waiting for ever. Returns how often
// `answer` ran: 0 when no modal window showed.
int answerModal(const std::function<void()> &open, const std::function<void(QWidget *modal, int attempt)> &answer,
                int limitMs = 10000);
