#include "grid/widgets/bytesview.h"

#include "grid/rowbytes.h"

#include <QFontDatabase>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QTextEdit>
#include <QVBoxLayout>
#include <utility>

namespace {

// Columns of a line: the address, two blanks, the hex bytes, two blanks, the text.
constexpr int kHexColumn = 10;
constexpr int kTextColumn = kHexColumn + RowBytes::BytesPerLine * 3 + 1;

} // namespace

BytesView::BytesView(RowBytes &bytes, QWidget *parent)
    : QWidget(parent)
    , m_bytes(bytes)
{
    setObjectName(QStringLiteral("bytesView"));
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 4);

    auto *left = new QVBoxLayout;
    m_caption = new QLabel(this);
    m_caption->setObjectName(QStringLiteral("bytesCaption"));
    m_lines = new QPlainTextEdit(this);
    m_lines->setObjectName(QStringLiteral("bytesLines"));
    m_lines->setAccessibleName(QStringLiteral("Bytes around the offset"));
    m_lines->setReadOnly(true);
    m_lines->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_lines->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    m_lines->setFont(fixed);
    const QFontMetrics metrics(fixed);
    // Every line whole, without scrolling.
    const int frame = 2 * (m_lines->frameWidth() + int(m_lines->document()->documentMargin())) + 4;
    m_lines->setFixedSize(
        metrics.horizontalAdvance(QString(kTextColumn + RowBytes::BytesPerLine, QLatin1Char('W'))) + frame,
        metrics.lineSpacing() * RowBytes::Lines + frame);
    left->addWidget(m_caption);
    left->addWidget(m_lines);
    left->addStretch();
    layout->addLayout(left);
    layout->addSpacing(8);

    auto *form = new QFormLayout;
    const char *labels[4] = {"Float:", "Integer:", "32-bit integer:", "String:"};
    const char *names[4] = {"bytesFloat", "bytesInteger", "bytesInt32", "bytesString"};
    for (int i = 0; i < 4; ++i) {
        m_readings[i] = new QLineEdit(this);
        m_readings[i]->setObjectName(QLatin1String(names[i]));
        m_readings[i]->setReadOnly(true);
        m_readings[i]->setMinimumWidth(fontMetrics().horizontalAdvance(QLatin1Char('0')) * 20);
        form->addRow(QLatin1String(labels[i]), m_readings[i]);
    }
    layout->addLayout(form, 1);

    connect(&m_bytes, &RowBytes::changed, this, &BytesView::sync);
    sync();
}

void BytesView::sync()
{
    const QByteArray &bytes = m_bytes.bytes();
    QStringList lines;
    for (qsizetype at = 0; at < bytes.size(); at += RowBytes::BytesPerLine) {
        const QByteArray line = bytes.mid(at, RowBytes::BytesPerLine);
        lines << RowBytes::addressText(m_bytes.start() + at) + QStringLiteral("  ") +
                     RowBytes::hexText(line).leftJustified(RowBytes::BytesPerLine * 3 - 1) + QStringLiteral("  ") +
                     RowBytes::charText(line);
    }
    m_lines->setPlainText(lines.join(QLatin1Char('\n')));
    m_caption->setText(m_bytes.problem().isEmpty() ? m_bytes.caption() : m_bytes.problem());

    QList<QTextEdit::ExtraSelection> marks;
    QTextCharFormat format;
    format.setBackground(palette().color(QPalette::Highlight));
    format.setForeground(palette().color(QPalette::HighlightedText));
    for (qint64 i = 0; i < bytes.size(); ++i) {
        if (!m_bytes.isHighlighted(m_bytes.start() + i))
            continue;
        const QTextBlock block = m_lines->document()->findBlockByNumber(int(i / RowBytes::BytesPerLine));
        const int column = int(i % RowBytes::BytesPerLine);
        // The hex pair, with the blank after it when the next byte is highlighted too.
        const bool joined = column + 1 < RowBytes::BytesPerLine && m_bytes.isHighlighted(m_bytes.start() + i + 1);
        for (const auto &[from, length] : {std::pair{kHexColumn + column * 3, joined ? 3 : 2},
                                           std::pair{kTextColumn + column, 1}}) {
            QTextCursor cursor(block);
            cursor.setPosition(block.position() + from);
            cursor.setPosition(block.position() + from + length, QTextCursor::KeepAnchor);
            marks.append({cursor, format});
        }
    }
    m_lines->setExtraSelections(marks);

    const RowBytes::Readings &r = m_bytes.readings();
    const QString texts[4] = {r.asFloat, r.asInteger, r.asInt32, r.asString};
    for (int i = 0; i < 4; ++i)
        m_readings[i]->setText(texts[i]);
}

QString BytesView::linesText() const
{
    return m_lines->toPlainText();
}

QStringList BytesView::highlightedTexts() const
{
    QStringList hex;
    QStringList text;
    for (const QTextEdit::ExtraSelection &mark : m_lines->extraSelections()) {
        const QString part = mark.cursor.selectedText();
        (part.size() == 1 ? text : hex) << part;
    }
    return {hex.join(QString()).simplified(), text.join(QString())};
}
