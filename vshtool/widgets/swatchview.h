#pragma once

#include "common/rgb.h"

#include <QFrame>

// A clickable colour box of the VSHmain tool. It takes the keyboard focus
// (Tab) and Space or Enter clicks it, as a button does.
class SwatchView : public QFrame
{
    Q_OBJECT

public:
    // What a swatch shows before a table is read, or without a module.
    static constexpr Rgb NoColour{192, 192, 192};

    explicit SwatchView(const QString &name, QWidget *parent = nullptr);

    void setColour(Rgb colour);
    Rgb colour() const { return m_colour; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    Rgb m_colour = NoColour;
};
