#pragma once

#include "search/searchkey.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <functional>
#include <optional>

class PrxDocument;
class SearchResultModel;

// The Search window's logic without its widgets: which file a search reads,
// the scan that lists the hits, the search each listed hit belongs to, and
// what "Add To Bookmark" hands on for the selected ones.
class SearchSession : public QObject
{
    Q_OBJECT

public:
    // One value and offset per selected hit, typed as their search was.
    struct Hits
    {
        QStringList values;
        QStringList offsets;
        QString type;
        QString file;
        // The Len of a String hit: the key's length in bytes.
        int length = 0;
    };
    // The share of the file scanned so far, in percent; the hits found so
    // far are in results() when it is called.
    using Progress = std::function<void(int percent)>;

    explicit SearchSession(PrxDocument &document, QObject *parent = nullptr);

    SearchResultModel &results() { return *m_results; }
    // The module as opened (`normal`) or its working copy, as the document
    // has them now; empty when there is none.
    QString fileFor(bool normal) const;
    // Lists every hit of `key` in `path`, replacing the hits listed before.
    // False, with errorString(), when the file could not be read; the hits
    // before the failure stay listed.
    bool scan(const QString &path, bool normal, const SearchKey &key, const Progress &progress = {});
    bool scanning() const { return m_scanning; }
    qint64 count() const { return m_count; }
    QString errorString() const { return m_error; }
    // What the listed rows hand on, in file order. Nothing, with `why`, when
    // the file searched is no longer the one open; nothing when no row is given.
    std::optional<Hits> hits(QList<int> rows, QString *why = nullptr) const;

private:
    struct Search
    {
        QString path;
        bool normal;
        SearchKey key;
    };

    QStringList foundValues(const QList<int> &rows) const;

    PrxDocument &m_doc;
    SearchResultModel *m_results = nullptr;
    std::optional<Search> m_search;
    qint64 m_count = 0;
    bool m_scanning = false;
    QString m_error;
};
