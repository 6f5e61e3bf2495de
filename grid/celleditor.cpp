#include "grid/celleditor.h"

#include "bookmarks/bookmarkmodel.h"
#include "common/prompter.h"
#include "document/prxdocument.h"
#include "values/modulefiles.h"
#include "values/valuecodec.h"

#include <cmath>

namespace {

// The size a row's offsets must stay within: the file its File cell names
// (a working copy need not have the module's size), else the module as opened.
qint64 fileSize(const ModuleFiles &files, const QString &fileCell)
{
    const int named = fileCell == u"2" ? ModuleFiles::Held : ModuleFiles::Working;
    for (int slot : {named, ModuleFiles::Held, ModuleFiles::Working})
        if (files.isOpen(slot))
            return files.size(slot);
    return 0;
}

} // namespace

CellEditor::CellEditor(PrxDocument &document) : m_doc(document), m_model(document.model()), m_files(document.files())
{
}

void CellEditor::place(double x, double y, const GridGeometry::Widths &widths, double listTop)
{
    const BookmarkModel &model = m_model;
    const int n = model.count();
    if (EditLock || n == 0)
        return;
    const bool wasVisible = visible;
    visible = true;
    const int r = int(std::floor(y / GridGeometry::RowPitch));
    if (r <= n) {
        maxLength = 0;
        top = listTop + GridGeometry::CellInsetY + double(r) * GridGeometry::RowPitch;
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
    ++m_session;
    m_focusRow = EditRow;
    m_focusColumn = EditColumn;
    m_focusText = SavedText;
    if (m_focusRow >= 1 && m_focusRow <= m_model.count())
        m_focusCells = m_model.rows()[size_t(m_focusRow - 1)];
}

void CellEditor::cancelEdit()
{
    if (EditLock && m_focusRow >= 1 && m_focusRow <= m_model.count() && m_focusColumn > 0) {
        // An offset edit re-read the Value: that goes back too.
        m_doc.restoreRow(m_focusRow - 1, GridGeometry::columnOfEdit(m_focusColumn), m_focusCells, m_session);
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
    const BookmarkModel &model = m_model;
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
    const BookmarkModel &model = m_model;
    if (!m_unapplied || m_shownRow < 1 || m_shownRow > model.count() || EditColumn < 1 || EditColumn > 6)
        return false;
    const QString before = model.cell(m_shownRow - 1, GridGeometry::columnOfEdit(EditColumn));
    if (ValueCodec::hasControlCharacter(EditRules::insertedText(before, text)))
        return false;
    m_unapplied = false;
    ++m_session;
    return apply(m_shownRow - 1, before, text) == Change::Applied;
}

CellEditor::Change CellEditor::textChanged(const QString &newText)
{
    const int n = m_model.count();
    text = newText;
    Change result = Change::Mirrored;
    if (EditLock && EditRow >= 1 && EditRow <= n) {
        // No cell takes a line break or another control character: a .vt line holds each cell.
        if (ValueCodec::hasControlCharacter(EditRules::insertedText(SavedText, newText)))
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
    return m_doc.editCell(row, GridGeometry::columnOfEdit(EditColumn), before, newText,
                          fileSize(m_files, m_model.cell(row, BookmarkRow::File)), m_session);
}
