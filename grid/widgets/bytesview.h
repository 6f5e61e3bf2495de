#pragma once

#include <QWidget>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class RowBytes;

// The Bytes panel's content: the lines RowBytes gives as hexadecimal and text,
// the row's bytes highlighted, and the readings at the offset. Read-only.
class BytesView : public QWidget
{
    Q_OBJECT

public:
    explicit BytesView(RowBytes &bytes, QWidget *parent = nullptr);

    // The text of the hexadecimal lines as shown.
    QString linesText() const;
    // The highlighted part of the lines, in the order shown: hex digits, then text.
    QStringList highlightedTexts() const;
    QLineEdit *reading(int index) const { return m_readings[index]; }

private:
    void sync();

    RowBytes &m_bytes;
    QLabel *m_caption = nullptr;
    QPlainTextEdit *m_lines = nullptr;
    QLineEdit *m_readings[4] = {};
};
