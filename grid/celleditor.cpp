#include "grid/celleditor.h"

#include "bookmarks/bookmarkrow.h"
#include "common/codepage.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "document/prompter.h"
#include "document/prxdocument.h"
#include "grid/valuecodec.h"

#include <QFileInfo>
#include <cmath>

namespace {

// The characters that an edit put into `before` to make `after`.
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

} // namespace

void CellEditor::place(double x, double y, const GridGeometry::Widths &widths)
{
    BookmarkModel &model = m_doc.model();
    const int n = model.count();
    if (EditLock || n == 0)
        return;
    visible = true;
    maxLength = 0;
    const int r = int(std::floor(y / GridGeometry::RowPitch));
    if (r <= n) {
        top = m_doc.listTop + GridGeometry::CellInsetY + double(r) * GridGeometry::RowPitch;
        const GridGeometry::Hit hit = GridGeometry::hitTest(widths, x);
        if (r < 1) {
            // Over the column captions: they are clicked to sort, not edited.
            hide();
        } else if (hit.editColumn > 0) {
            width = hit.width;
            left = GridGeometry::ListLeft + GridGeometry::CellInsetX + hit.left;
            rightAligned = hit.editColumn == 2 || hit.editColumn == 3;
            maxLength = hit.editColumn == 6 ? 1 : 0;
            text = model.cell(r - 1, GridGeometry::columnOfEdit(hit.editColumn));
            SavedText = text;
            EditColumn = hit.editColumn;
        } else if (x < GridGeometry::ListLeft + widths[BookmarkRow::Value]) {
            hide();
            width = top = left = 0;
        }
    }
    EditRow = r;
    if (EditRow > n && visible)
        EditRow = n;
}

void CellEditor::focusIn()
{
    EditLock = true;
    m_focusRow = EditRow;
    m_focusColumn = EditColumn;
    m_focusText = SavedText;
}

void CellEditor::cancelEdit()
{
    BookmarkModel &model = m_doc.model();
    if (EditLock && m_focusRow >= 1 && m_focusRow <= model.count() && m_focusColumn > 0) {
        model.setCell(m_focusRow - 1, GridGeometry::columnOfEdit(m_focusColumn), m_focusText);
        text = SavedText = m_focusText;
    }
    EditLock = false;
}

void CellEditor::hide()
{
    visible = false;
}

void CellEditor::loadFromRow(int row)
{
    EditLock = false;
    BookmarkModel &model = m_doc.model();
    if (row >= 1 && row <= model.count()) {
        const int column = EditColumn == 1 ? BookmarkRow::Description
                           : EditColumn == 2 ? BookmarkRow::Value
                                             : BookmarkRow::Offset;
        rightAligned = EditColumn != 1;
        text = SavedText = model.cell(row - 1, column);
    }
    hide();
}

CellEditor::Change CellEditor::refuse()
{
    text = SavedText;
    m_doc.prompter().beep();
    return Change::Refused;
}

bool CellEditor::acceptsNumberEdit(const QString &newText) const
{
    if (!ValueCodec::IsNumberKey(LastKey))
        return false;
    // A paste inserts many characters at once: each must be one a person could type.
    for (const QChar c : insertedText(SavedText, newText))
        if (!ValueCodec::IsNumberKey(c.unicode()))
            return false;
    return true;
}

CellEditor::Change CellEditor::textChanged(const QString &newText)
{
    BookmarkModel &model = m_doc.model();
    const int n = model.count();
    if (EditRow > n)
        --EditRow;
    text = newText;
    Change result = Change::Mirrored;
    if (EditLock && EditRow >= 1 && EditRow <= n) {
        const int row = EditRow - 1;
        switch (EditColumn) {
        case 1:
            model.setCell(row, BookmarkRow::Description, newText);
            result = Change::Applied;
            break;
        case 2: {
            const QString type = Codepage::lower(model.cell(row, BookmarkRow::Type));
            if (type == QLatin1String("integer") || type == QLatin1String("float")) {
                if (!acceptsNumberEdit(newText))
                    return refuse();
                model.setCell(row, BookmarkRow::Value, newText);
                result = Change::Applied;
            } else if (type == QLatin1String("string")) {
                const auto length = NumberText::parseWhole(model.cell(row, BookmarkRow::Len));
                if (length && *length > 0 && newText.size() > *length)
                    return refuse();
                model.setCell(row, BookmarkRow::Value, newText);
                result = Change::Applied;
            }
            break;
        }
        case 3: {
            const HexText v = HexText::convert(newText);
            const qint64 size = m_doc.moduleOpen() ? QFileInfo(m_doc.currentModuleFile).size() : 0;
            if (v.isInvalid() || v.value() > double(size))
                return refuse();
            model.setCell(row, BookmarkRow::Offset, newText.toUpper());
            reread(row, newText);
            result = Change::Applied;
            break;
        }
        case 4:
            model.setCell(row, BookmarkRow::Type, newText);
            result = Change::Applied;
            break;
        case 5:
            model.setCell(row, BookmarkRow::Len, newText);
            result = Change::Applied;
            break;
        case 6:
            if (LastKey != '1' && LastKey != '2' && LastKey != 8)
                return refuse();
            model.setCell(row, BookmarkRow::File, newText);
            result = Change::Applied;
            break;
        default:
            break;
        }
    }
    SavedText = newText;
    return result;
}

void CellEditor::reread(int row, const QString &offsetText)
{
    if (offsetText.isEmpty())
        return;
    BookmarkModel &model = m_doc.model();
    const QString &fileCell = model.cell(row, BookmarkRow::File);
    // Only a row that names one of the two module files is read.
    if (fileCell != QLatin1String("1") && fileCell != QLatin1String("2"))
        return;
    const int file = fileCell.toInt();
    const qint64 v = HexText::convert(offsetText).offset().value_or(0);
    ModuleFiles &files = m_doc.files();
    const QString type = Codepage::lower(model.cell(row, BookmarkRow::Type));
    // What is read at the new offset is what the module holds there: not an edit.
    const auto show = [&](const QString &text) {
        model.setCell(row, BookmarkRow::Value, text);
        model.setSavedValue(row, text);
    };
    if (type == QLatin1String("float")) {
        const QByteArray before = v > 1 ? files.read(file, v - 2, 2) : QByteArray();
        if (before.size() == 2) {
            const auto b0 = static_cast<unsigned char>(before[0]);
            const auto b1 = static_cast<unsigned char>(before[1]);
            // The tail of a largest stored float: the value there is not one of its own.
            if (b0 >= 0x40 && (b1 == 0xFF || b1 == 0x7F))
                return;
        }
        show(ValueCodec::ReadValue(files, file, v, QStringLiteral("Float"), {}, 99));
    } else if (type == QLatin1String("integer")) {
        show(ValueCodec::ReadValue(files, file, v, QStringLiteral("Integer"), {}, 99));
    } else if (type == QLatin1String("string")) {
        show(ValueCodec::ReadValue(files, file, v, QStringLiteral("String"), {}, 99));
    }
}
