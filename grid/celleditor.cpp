#include "grid/celleditor.h"

#include "bookmarks/bookmarkrow.h"
#include "common/codepage.h"
#include "common/hextext.h"
#include "common/numbertext.h"
#include "common/prompter.h"
#include "document/prxdocument.h"
#include "values/valuecodec.h"

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

// The characters a person may type into a Float or Integer value.
bool isNumberCharacter(QChar c)
{
    return c.unicode() >= 0x20 && ValueCodec::IsNumberKey(c.unicode());
}

} // namespace

void CellEditor::place(double x, double y, const GridGeometry::Widths &widths)
{
    BookmarkModel &model = m_doc.model();
    const int n = model.count();
    if (EditLock || n == 0)
        return;
    const bool wasVisible = visible;
    visible = true;
    const int r = int(std::floor(y / GridGeometry::RowPitch));
    if (r <= n) {
        maxLength = 0;
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
            m_shownRow = r;
            m_unapplied = false;
        } else if (x < GridGeometry::ListLeft + widths[BookmarkRow::Value]) {
            hide();
            width = top = left = 0;
        }
    } else if (!wasVisible) {
        // Below the last row a hidden editor has no cell to stay over.
        hide();
    }
    // The editor edits the row whose cell it shows, wherever the pointer went
    // on the way (out of the list, below its last row).
    EditRow = visible ? m_shownRow : r;
}

void CellEditor::focusIn()
{
    EditLock = true;
    m_focusRow = EditRow;
    m_focusColumn = EditColumn;
    m_focusText = SavedText;
    if (m_focusRow >= 1 && m_focusRow <= m_doc.model().count())
        m_focusCells = m_doc.model().rows()[size_t(m_focusRow - 1)];
}

void CellEditor::cancelEdit()
{
    BookmarkModel &model = m_doc.model();
    if (EditLock && m_focusRow >= 1 && m_focusRow <= model.count() && m_focusColumn > 0) {
        // An offset edit re-read the Value: that goes back too.
        for (int column = 0; column < BookmarkRow::ColumnCount; ++column)
            model.setCell(m_focusRow - 1, column, m_focusCells[column]);
        model.setSavedValue(m_focusRow - 1, m_focusCells.savedValue);
        text = SavedText = m_focusText;
        m_unapplied = false;
    }
    EditLock = false;
}

void CellEditor::hide()
{
    visible = false;
}

void CellEditor::reset()
{
    EditLock = false;
    visible = false;
    EditRow = 0;
    m_shownRow = 0;
    m_focusRow = 0;
    m_unapplied = false;
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
        m_unapplied = false;
    }
    hide();
}

CellEditor::Change CellEditor::refuse()
{
    text = SavedText;
    m_doc.prompter().beep();
    return Change::Refused;
}

bool CellEditor::commit()
{
    BookmarkModel &model = m_doc.model();
    if (!m_unapplied || m_shownRow < 1 || m_shownRow > model.count() || EditColumn < 1 || EditColumn > 6)
        return false;
    const QString before = model.cell(m_shownRow - 1, GridGeometry::columnOfEdit(EditColumn));
    if (ValueCodec::hasControlCharacter(insertedText(before, text)))
        return false;
    m_unapplied = false;
    return apply(m_shownRow - 1, before, text) == Change::Applied;
}

CellEditor::Change CellEditor::textChanged(const QString &newText)
{
    BookmarkModel &model = m_doc.model();
    const int n = model.count();
    text = newText;
    Change result = Change::Mirrored;
    if (EditLock && EditRow >= 1 && EditRow <= n) {
        // No cell takes a line break or another control character: a .vt line holds each cell.
        if (ValueCodec::hasControlCharacter(insertedText(SavedText, newText)))
            return refuse();
        result = apply(EditRow - 1, SavedText, newText);
        if (result == Change::Refused)
            return refuse();
        m_unapplied = false;
    } else if (newText != SavedText) {
        m_unapplied = true;
    }
    SavedText = newText;
    return result;
}

CellEditor::Change CellEditor::apply(int row, const QString &before, const QString &newText)
{
    BookmarkModel &model = m_doc.model();
    const QString inserted = insertedText(before, newText);
    switch (EditColumn) {
    case 1:
        model.setCell(row, BookmarkRow::Description, newText);
        return Change::Applied;
    case 2: {
        const QString type = Codepage::lower(model.cell(row, BookmarkRow::Type));
        if (type == QLatin1String("integer") || type == QLatin1String("float")) {
            // Whatever the key (Delete, Backspace, a cut), what is inserted must be a number's.
            for (const QChar c : inserted)
                if (!isNumberCharacter(c))
                    return Change::Refused;
            model.setCell(row, BookmarkRow::Value, newText);
            return Change::Applied;
        }
        if (type == QLatin1String("string")) {
            // A text longer than its field may always be shortened, never lengthened.
            const auto length = NumberText::parseWhole(model.cell(row, BookmarkRow::Len));
            if (length && *length > 0 && newText.size() > *length && newText.size() > before.size())
                return Change::Refused;
            model.setCell(row, BookmarkRow::Value, newText);
            return Change::Applied;
        }
        return Change::Mirrored;
    }
    case 3: {
        const HexText v = HexText::convert(newText);
        const qint64 size = m_doc.moduleOpen() ? QFileInfo(m_doc.currentModuleFile).size() : 0;
        if (v.isInvalid() || v.value() > double(size))
            return Change::Refused;
        model.setCell(row, BookmarkRow::Offset, newText.toUpper());
        reread(row, newText);
        return Change::Applied;
    }
    case 4:
        model.setCell(row, BookmarkRow::Type, newText);
        return Change::Applied;
    case 5:
        model.setCell(row, BookmarkRow::Len, newText);
        return Change::Applied;
    case 6:
        for (const QChar c : inserted)
            if (c != u'1' && c != u'2')
                return Change::Refused;
        model.setCell(row, BookmarkRow::File, newText);
        return Change::Applied;
    default:
        return Change::Mirrored;
    }
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
