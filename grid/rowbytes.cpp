#include "grid/rowbytes.h"

#include "bookmarks/bookmarksection.h"
#include "common/codepage.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "document/prxdocument.h"
#include "values/floatcodec.h"
#include "values/integercodec.h"
#include "values/stringcodec.h"
#include "values/valuetype.h"

#include <QtEndian>
#include <algorithm>
#include <tuple>

RowBytes::RowBytes(PrxDocument &document, QObject *parent)
    : QObject(parent)
    , m_doc(document)
{
    const BookmarkModel *model = &m_doc.model();
    // Any change may move the row's bytes: another row written over them, a
    // tool write, a reload, a row removed before it.
    connect(model, &QAbstractItemModel::dataChanged, this, &RowBytes::refresh);
    connect(model, &QAbstractItemModel::modelReset, this, &RowBytes::refresh);
    connect(model, &QAbstractItemModel::rowsInserted, this, &RowBytes::refresh);
    connect(model, &QAbstractItemModel::rowsRemoved, this, &RowBytes::refresh);
    connect(&m_doc, &PrxDocument::changed, this, &RowBytes::refresh);
    m_poll.setInterval(500);
    connect(&m_poll, &QTimer::timeout, this, &RowBytes::refresh);
    setActive(true);
}

void RowBytes::setRow(int row)
{
    if (row == m_row)
        return;
    m_row = row;
    refresh();
}

void RowBytes::setActive(bool active)
{
    m_active = active;
    if (active) {
        m_poll.start();
        refresh();
    } else {
        m_poll.stop();
    }
}

void RowBytes::clear(const QString &problem)
{
    m_problem = problem;
    m_caption.clear();
    m_file = 0;
    m_offset = m_start = m_highlightEnd = 0;
    m_bytes.clear();
    m_readings = {};
}

void RowBytes::refresh()
{
    if (!m_active)
        return;
    const auto shown = std::tie(m_problem, m_caption, m_file, m_offset, m_start, m_bytes, m_highlightEnd, m_readings);
    const auto before = std::make_tuple(m_problem, m_caption, m_file, m_offset, m_start, m_bytes, m_highlightEnd,
                                        m_readings);
    read();
    if (shown != before)
        emit changed();
}

void RowBytes::read()
{
    const BookmarkModel &model = m_doc.model();
    if (m_row < 0 || m_row >= model.count())
        return clear(QStringLiteral("Choose a row to see the bytes at its offset."));
    const BookmarkRow &row = model.rows()[size_t(m_row)];
    const int file = row[BookmarkRow::File] == u"2" ? ModuleFiles::Held : ModuleFiles::Working;
    const QString &offsetText = row[BookmarkRow::Offset];
    const auto offset = HexText::convert(offsetText).offset();
    ModuleFiles &files = m_doc.files();
    if (offsetText.isEmpty() || !offset) {
        clear(QStringLiteral("Row %1 has no offset.").arg(m_row + 1));
    } else if (!files.isOpen(file)) {
        clear(QStringLiteral("File %1 is not open.").arg(file));
    } else if (*offset >= files.size(file)) {
        clear(QStringLiteral("Offset 0x%1 lies beyond the end of file %2 (%3 bytes).")
                  .arg(QString::number(*offset, 16).toUpper())
                  .arg(file)
                  .arg(files.size(file)));
    } else {
        m_problem.clear();
        m_file = file;
        m_offset = *offset;
        m_caption = QStringLiteral("File %1, offset 0x%2 (%3)")
                        .arg(file)
                        .arg(QString::number(m_offset, 16).toUpper())
                        .arg(m_offset);
        const qint64 line = m_offset / BytesPerLine * BytesPerLine;
        m_start = std::max<qint64>(0, line - qint64(LinesBefore) * BytesPerLine);
        m_bytes = files.read(file, m_start, qint64(Lines) * BytesPerLine);

        const QByteArray at = files.read(file, m_offset, BookmarkSection::ReadLimit);
        m_readings.asFloat = at.size() >= FloatCodec::Width ? FloatCodec::value(at) : QString();
        m_readings.asInteger = at.size() >= IntegerCodec::Width ? IntegerCodec::value(at) : QString();
        m_readings.asInt32 = at.size() >= 4 ? QString::number(qFromLittleEndian<qint32>(at.constData())) : QString();
        m_readings.asString = StringCodec::value(at, std::nullopt, BookmarkSection::ReadLimit).value_or(QString());

        // What the row's value takes: its type's width, or a String's Len (its
        // text up to the first zero byte when it has none).
        // An unknown type takes the byte at the offset.
        qint64 width = 1;
        const auto type = ValueTypes::fromCell(row[BookmarkRow::Type]);
        switch (type.value_or(ValueType::Float)) {
        case ValueType::Float:
            width = type ? FloatCodec::Width : 1;
            break;
        case ValueType::Integer:
            width = IntegerCodec::Width;
            break;
        case ValueType::String: {
            const auto len = NumberText::parseWhole(row[BookmarkRow::Len]);
            if (len && *len > 0) {
                width = std::min<qint64>(*len, BookmarkSection::ReadLimit);
            } else {
                const qsizetype zero = at.indexOf('\0');
                width = std::max<qint64>(1, zero < 0 ? at.size() : zero);
            }
            break;
        }
        }
        m_highlightEnd = std::min(m_offset + width, files.size(file));
    }
}

QString RowBytes::addressText(qint64 address)
{
    return QStringLiteral("%1").arg(address, 8, 16, QLatin1Char('0')).toUpper();
}

QString RowBytes::hexText(QByteArrayView bytes)
{
    QString out;
    out.reserve(bytes.size() * 3);
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i > 0)
            out += QLatin1Char(' ');
        out += QStringLiteral("%1").arg(quint8(bytes[i]), 2, 16, QLatin1Char('0')).toUpper();
    }
    return out;
}

QString RowBytes::charText(QByteArrayView bytes)
{
    QString out = Codepage::toUnicode(bytes.data(), bytes.size());
    for (qsizetype i = 0; i < out.size(); ++i) {
        const QChar c = out.at(i);
        // The C1 controls stand for the bytes Windows-1252 leaves undefined.
        if (c.unicode() < 0x20 || (c.unicode() >= 0x7F && c.unicode() < 0xA0) || c.unicode() == 0xAD)
            out[i] = QLatin1Char('.');
    }
    return out;
}
