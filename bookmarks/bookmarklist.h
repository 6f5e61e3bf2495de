#pragma once

#include <QString>
#include <QStringList>

class PrxDocument;

// The bookmark list's operations: the five buttons, typed rows, sorting by a
// column, row selection, scrolling and rows added from search hits.
class BookmarkList
{
public:
    enum Button { AddOffset = 1, RemoveOffset, RefreshBookmark, SaveBookmark, ViewOffsets };

    explicit BookmarkList(PrxDocument &document) : m_doc(document) {}

    void cmdBookmark_Click(int index);
    void AddTypedEntry(const QString &type);
    // Sorts by a column number (0 Description .. 6 File) and rewrites the section.
    void sortByColumn(int column);
    // A click on a row (1-based).
    void list_1_ItemClick(int row);
    void scrollTo(int position);
    // Brings a position that the list no longer has back into range, and the
    // list to rest when it fits without scrolling.
    void clampScroll();
    // The Offset Description window's OK: one row per hit offset.
    void addDescribedRows(const QString &description, const QString &value, const QStringList &offsets,
                          const QString &type, const QString &file);

    static QString viewButtonCaption(bool expert);

    // 1-based selected row, 0 for none.
    int selectedRow = 0;
    bool nextSortAscending = false;

private:
    PrxDocument &m_doc;
};
