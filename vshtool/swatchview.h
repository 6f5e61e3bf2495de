#pragma once

#include "common/rgb.h"

#include <QFrame>

// A clickable colour box of the VSHmain tool.
class SwatchView : public QFrame
{
    Q_OBJECT

public:
    explicit SwatchView(const QString &name, QWidget *parent = nullptr);

    void setColour(Rgb colour);
    Rgb colour() const { return m_colour; }

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    Rgb m_colour{192, 192, 192};
};
