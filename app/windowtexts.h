#pragma once

#include <QObject>
#include <QString>
#include <array>

class PrxDocument;

// The main window's title and status-bar texts, and whether Save PRX is
// offered, as the document's signals make them.
class WindowTexts : public QObject
{
    Q_OBJECT

public:
    static inline const QString BaseTitle = QStringLiteral("VantorEditor by VT");

    explicit WindowTexts(PrxDocument &document, QObject *parent = nullptr);

    // The title, without the mark of unsaved values.
    QString title() const;
    // Panel 1 to 3.
    const QString &status(int panel) const { return m_status[size_t(panel - 1)]; }
    bool savePrxEnabled() const;

signals:
    void changed();

private:
    PrxDocument &m_doc;
    std::array<QString, 3> m_status = {QStringLiteral("PRX Version:"), QStringLiteral("Bookmark:"),
                                       QStringLiteral("Filesize:")};
};
