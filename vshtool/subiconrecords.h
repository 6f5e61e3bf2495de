#pragma once

#include <QString>
#include <optional>

class PrxDocument;

// The 16-byte sub-icon records from the bookmark key BeginOffset on, one per
// entry of the sub-menu list. Of each record only the main category (+0), the
// submenu mode (+8) and its companion value (+12) are used, each a 32-bit
// little-endian integer in the category file. The selected record's start is
// the document's BeginOffset.
class SubIconRecords
{
public:
    enum class Mode { Disabled = 2, SlimOnly = 6, Enabled = 7 };

    struct Record
    {
        std::optional<qint32> mainCategory;
        std::optional<qint32> mode;
    };

    explicit SubIconRecords(PrxDocument &doc) : m_doc(doc) {}

    // Makes record `index` the selected one and reads it. Nothing, and the
    // selection as it was, when the section gives no BeginOffset.
    std::optional<Record> select(int index);
    // Empty text when written, else why not; nothing is written then.
    QString writeMainCategory(qint32 category);
    // Enabled writes 7 and -1, Disabled 2 and 8, SlimOnly 6 and -1.
    QString writeMode(Mode mode);

private:
    std::optional<qint32> readAt(qint64 offset);
    QString writeAt(qint64 offset, const QByteArray &bytes, const QString &text);

    PrxDocument &m_doc;
};
