#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QTimer>

class PrxDocument;

// What the Bytes panel shows for one row of the list: the lines of its module
// file around the row's offset, which of those bytes the row's value takes,
// and the bytes at the offset read as each type. While it is active it reads
// again whenever the list or the document changes, and twice a second for
// writes that come without a signal (another window, another program); it
// says changed() only when what it shows changed. It never writes.
class RowBytes : public QObject
{
    Q_OBJECT

public:
    static constexpr int BytesPerLine = 16;
    // Lines shown before the line that holds the offset, and in all.
    static constexpr int LinesBefore = 2;
    static constexpr int Lines = 6;

    explicit RowBytes(PrxDocument &document, QObject *parent = nullptr);

    // The 0-based row to show, or -1 for none.
    void setRow(int row);
    int row() const { return m_row; }
    // An inactive panel (hidden) reads nothing until it is active again.
    void setActive(bool active);
    void refresh();

    // Set when nothing can be shown: why (no row, no offset, no file, beyond the file's end).
    const QString &problem() const { return m_problem; }
    // "File 1, offset 0x1A2C (6700)" for the row shown.
    const QString &caption() const { return m_caption; }
    int file() const { return m_file; }
    qint64 offset() const { return m_offset; }
    // The file's offset of bytes()[0], a multiple of BytesPerLine.
    qint64 start() const { return m_start; }
    const QByteArray &bytes() const { return m_bytes; }
    // The bytes the row's value takes: offset() up to highlightEnd().
    qint64 highlightEnd() const { return m_highlightEnd; }
    bool isHighlighted(qint64 fileOffset) const { return fileOffset >= m_offset && fileOffset < m_highlightEnd; }

    struct Readings
    {
        QString asFloat;
        QString asInteger;
        QString asInt32;
        QString asString;
        bool operator==(const Readings &) const = default;
    };
    const Readings &readings() const { return m_readings; }

    // One line of bytes as the panel writes it: "0000A3F0  41 42 ..  AB......".
    static QString addressText(qint64 address);
    static QString hexText(QByteArrayView bytes);
    // Windows-1252, with a dot for each byte that is no printable character.
    static QString charText(QByteArrayView bytes);

signals:
    void changed();

private:
    void clear(const QString &problem);
    void read();

    PrxDocument &m_doc;
    QTimer m_poll;
    int m_row = -1;
    bool m_active = false;
    QString m_problem;
    QString m_caption;
    int m_file = 0;
    qint64 m_offset = 0;
    qint64 m_start = 0;
    QByteArray m_bytes;
    qint64 m_highlightEnd = 0;
    Readings m_readings;
};
