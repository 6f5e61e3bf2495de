#include "search/searchsession.h"

#include "common/codepage.h"
#include "document/prxdocument.h"
#include "search/scanner.h"
#include "search/searchresultmodel.h"

#include <QElapsedTimer>
#include <QFile>
#include <algorithm>
#include <vector>

namespace {

// The list is handed new hits at most this often during a scan.
constexpr int kProgressMs = 50;

} // namespace

SearchSession::SearchSession(PrxDocument &document, QObject *parent)
    : QObject(parent)
    , m_doc(document)
    , m_results(new SearchResultModel(this))
{
}

QString SearchSession::fileFor(bool normal) const
{
    return normal ? m_doc.currentModuleFile() : m_doc.workingCopyPath();
}

bool SearchSession::scan(const QString &path, bool normal, const SearchKey &key, const Progress &progress)
{
    m_scanning = true;
    m_count = 0;
    m_error.clear();
    m_results->start(key.valueText());
    m_search = Search{path, normal, key};

    std::vector<qint64> pending;
    QElapsedTimer sinceShown;
    sinceShown.start();
    Scanner scanner(key);
    const bool read = scanner.scanFile(
        path,
        [&](qint64 offset) {
            pending.push_back(offset);
            ++m_count;
        },
        [&](qint64 done, qint64 total) {
            if (sinceShown.elapsed() < kProgressMs)
                return;
            sinceShown.restart();
            m_results->append(pending);
            pending.clear();
            if (progress)
                progress(int(done * 100 / std::max<qint64>(total, 1)));
        });
    m_results->append(pending);
    m_scanning = false;
    if (!read)
        m_error = scanner.errorString();
    return read;
}

QStringList SearchSession::foundValues(const QList<int> &rows) const
{
    QStringList values;
    const QString typed = m_results->value();
    // A String hit keeps its letters as the file has them, so that saving the
    // new bookmark does not rewrite them in the key's case.
    QFile file(m_search->path);
    const qint64 n = m_search->key.pattern().size();
    const bool readBack = m_search->key.type() == SearchKey::Type::String && file.open(QIODevice::ReadOnly);
    for (int row : rows) {
        QString value = typed;
        if (readBack && file.seek(m_results->offset(row))) {
            const QByteArray bytes = file.read(n);
            if (bytes.size() == n)
                value = Codepage::toUnicode(bytes);
        }
        values << value;
    }
    return values;
}

std::optional<SearchSession::Hits> SearchSession::hits(QList<int> rows, QString *why) const
{
    if (rows.isEmpty() || !m_search)
        return std::nullopt;
    std::sort(rows.begin(), rows.end());
    if (fileFor(m_search->normal) != m_search->path) {
        if (why)
            *why = QStringLiteral("The file searched is no longer open: search again");
        return std::nullopt;
    }
    Hits out;
    for (int row : rows)
        out.offsets << SearchResultModel::offsetText(m_results->offset(row));
    out.values = foundValues(rows);
    out.type = SearchKey::typeName(m_search->key.type());
    // The module as opened is file 2 while a working copy stands in for it as file 1.
    out.file = m_search->normal && !m_doc.workingCopyPath().isEmpty() ? QStringLiteral("2") : QStringLiteral("1");
    out.length = m_search->key.type() == SearchKey::Type::String ? int(m_search->key.pattern().size()) : 0;
    return out;
}
