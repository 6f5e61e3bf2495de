#include "tests/support/modalanswer.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QTimer>
#include <gtest/gtest.h>

int answerModal(const std::function<void()> &open, const std::function<void(QWidget *modal, int attempt)> &answer,
                int limitMs)
{
    int attempts = 0;
    QElapsedTimer clock;
    clock.start();
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        QWidget *modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        if (clock.elapsed() > limitMs) {
            ADD_FAILURE() << "\"" << modal->windowTitle().toStdString() << "\" was still open after " << limitMs
                          << " ms";
            if (auto *dialog = qobject_cast<QDialog *>(modal))
                dialog->reject();
            else
                modal->close();
            return;
        }
        answer(modal, ++attempts);
    });
    ticker.start(20);
    open();
    ticker.stop();
    return attempts;
}
