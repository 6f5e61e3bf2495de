#pragma once

#include <QString>

class GridState;
class PrxDocument;

// The bookmark list's buttons, typed rows and sorting by a column: what they
// do to the document's list and to what the grid shows of it.
class BookmarkList
{
public:
    enum Button { AddOffset = 1, RemoveOffset, RefreshBookmark, SaveBookmark, ViewOffsets };

    BookmarkList(PrxDocument &document, GridState &state) : m_doc(document), m_state(state) {}

    void cmdBookmark_Click(int index);
    void AddTypedEntry(const QString &type);
    // Sorts by a column number (0 Description .. 6 File) and rewrites the section.
    void sortByColumn(int column);

    static QString viewButtonCaption(bool expert);

private:
    bool bookmarkFileExists() const;

    PrxDocument &m_doc;
    GridState &m_state;
};
