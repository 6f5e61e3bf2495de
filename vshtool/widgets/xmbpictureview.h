#pragma once

#include <QImage>
#include <QWidget>

// Shows an XMB picture of one month (XmbPicture::month) scaled to the space it
// has, without changing its shape. A click on a tile of the strip asks for that month.
class XmbPictureView : public QWidget
{
    Q_OBJECT

public:
    explicit XmbPictureView(const QString &name, QWidget *parent = nullptr);

    // `month` names the picture for those who can not see it.
    void setPicture(const QImage &picture, int month);
    // Nothing to show: no module.
    void clear();
    const QImage &picture() const { return m_picture; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;

signals:
    void monthClicked(int month);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    // Where the picture is drawn inside the widget.
    QRect target() const;

    QImage m_picture;
};
