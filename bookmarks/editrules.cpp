#include "bookmarks/editrules.h"

#include "bookmarks/bookmarkmodel.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"

namespace {

// The characters a person may type into a Float or Integer value.
bool isNumberCharacter(QChar c)
{
    return c.unicode() >= 0x20 && ValueCodec::IsNumberKey(c.unicode());
}

} // namespace

namespace EditRules {

QString insertedText(const QString &before, const QString &after)
{
    qsizetype prefix = 0;
    while (prefix < before.size() && prefix < after.size() && before[prefix] == after[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < before.size() - prefix && suffix < after.size() - prefix &&
           before[before.size() - 1 - suffix] == after[after.size() - 1 - suffix])
        ++suffix;
    return after.mid(prefix, after.size() - prefix - suffix);
}

Change apply(BookmarkModel &model, ModuleFiles &files, qint64 moduleSize, int row, int column, const QString &before,
             const QString &newText)
{
    const QString inserted = insertedText(before, newText);
    switch (column) {
    case BookmarkRow::Description:
    case BookmarkRow::Type:
    case BookmarkRow::Len:
        model.setCell(row, column, newText);
        return Change::Applied;
    case BookmarkRow::Value: {
        const auto type = ValueTypes::fromCellIgnoringCase(model.cell(row, BookmarkRow::Type));
        if (type == ValueType::Integer || type == ValueType::Float) {
            // Whatever the key (Delete, Backspace, a cut), what is inserted must be a number's.
            for (const QChar c : inserted)
                if (!isNumberCharacter(c))
                    return Change::Refused;
            model.setCell(row, BookmarkRow::Value, newText);
            return Change::Applied;
        }
        if (type == ValueType::String) {
            // A text longer than its field may always be shortened, never lengthened.
            const auto length = NumberText::parseWhole(model.cell(row, BookmarkRow::Len));
            if (length && *length > 0 && newText.size() > *length && newText.size() > before.size())
                return Change::Refused;
            model.setCell(row, BookmarkRow::Value, newText);
            return Change::Applied;
        }
        return Change::Mirrored;
    }
    case BookmarkRow::Offset: {
        const HexText v = HexText::convert(newText);
        if (v.isInvalid() || v.value() > double(moduleSize))
            return Change::Refused;
        model.setCell(row, BookmarkRow::Offset, newText.toUpper());
        reread(model, files, row, newText);
        return Change::Applied;
    }
    case BookmarkRow::File:
        for (const QChar c : inserted)
            if (c != u'1' && c != u'2')
                return Change::Refused;
        model.setCell(row, BookmarkRow::File, newText);
        return Change::Applied;
    default:
        return Change::Mirrored;
    }
}

void reread(BookmarkModel &model, ModuleFiles &files, int row, const QString &offsetText)
{
    if (offsetText.isEmpty())
        return;
    const QString &fileCell = model.cell(row, BookmarkRow::File);
    // Only a row that names one of the two module files is read.
    if (fileCell != QLatin1String("1") && fileCell != QLatin1String("2"))
        return;
    const int file = fileCell.toInt();
    const qint64 v = HexText::convert(offsetText).offset().value_or(0);
    const auto type = ValueTypes::fromCellIgnoringCase(model.cell(row, BookmarkRow::Type));
    if (!type)
        return;
    if (*type == ValueType::Float) {
        const QByteArray before = v > 1 ? files.read(file, v - 2, 2) : QByteArray();
        if (before.size() == 2) {
            const auto b0 = static_cast<unsigned char>(before[0]);
            const auto b1 = static_cast<unsigned char>(before[1]);
            // The tail of a largest stored float: the value there is not one of its own.
            if (b0 >= 0x40 && (b1 == 0xFF || b1 == 0x7F))
                return;
        }
    }
    // What is read at the new offset is what the module holds there: not an edit.
    const QString text = ValueCodec::ReadValue(files, file, v, *type, {}, 99);
    model.setCell(row, BookmarkRow::Value, text);
    model.setSavedValue(row, text);
}

} // namespace EditRules
