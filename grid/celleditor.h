#pragma once

#include "bookmarks/bookmarkrow.h"
#include "bookmarks/editrules.h"
#include "grid/gridgeometry.h"

#include <QString>

class BookmarkModel;
class ModuleFiles;
class PrxDocument;

// The floating in-place editor's rules, without a widget: where it sits, what
// it shows, and what a change of its text does to the bookmark list. The
// widget forwards pointer motion, focus, keys and user edits, and mirrors the
// state back (text, place, alignment, visibility).
class CellEditor
{
public:
    using Change = EditRules::Change;

    // Each change reaches the list through the document's operations, so
    // that the history holds it.
    explicit CellEditor(PrxDocument &document);

    // Pointer motion, in twips from the list's cell origin (header row is row 0),
    // over a list whose top is at `listTop`.
    void place(double x, double y, const GridGeometry::Widths &widths, double listTop);
    void focusIn();
    // Escape: the cell gets back the text it had when the editor took the
    // focus, and the editor lets go of it.
    void cancelEdit();
    void focusOut() { EditLock = false; }
    void keyTyped(int code) { LastKey = code; }
    // A change of the text by the person. Refused: `text` is back to SavedText,
    // the caret belongs at its end, and the beep has been given. An edit that
    // only removes characters is never refused for its key; inserted text
    // (typed or pasted) passes the cell's rules, and no cell takes a control
    // character.
    Change textChanged(const QString &newText);
    // Text the person typed that did not reach its cell (the editor had let
    // go of it) goes in now, by the same rules. Called before the list is
    // dropped; true when a cell changed.
    bool commit();
    void hide();
    // The list was replaced: the editor shows no cell and holds none.
    void reset();
    // Fills the editor from a row (1-based) as a row click does, then hides it.
    void loadFromRow(int row);

    int EditColumn = 0;
    int EditRow = 0;
    bool EditLock = false;
    int LastKey = 0;
    QString SavedText;

    bool visible = false;
    QString text;
    double left = 0; // twips, in the grid's client coordinates
    double top = 0;
    double width = 0;
    bool rightAligned = false;
    int maxLength = 0; // 0: unlimited

private:
    Change refuse();
    Change apply(int row, const QString &before, const QString &newText);

    PrxDocument &m_doc;
    const BookmarkModel &m_model;
    const ModuleFiles &m_files;
    // One per focus on a cell: the keystrokes of one edit are one change of the history.
    quint64 m_session = 0;
    // The row whose cell the editor shows, and whether it holds typed text that is not in it.
    int m_shownRow = 0;
    bool m_unapplied = false;
    int m_focusRow = 0;
    int m_focusColumn = 0;
    QString m_focusText;
    BookmarkRow m_focusCells;
};
