#include "app/windowtexts.h"

#include "document/prxdocument.h"

#include <QFileInfo>

WindowTexts::WindowTexts(PrxDocument &document, QObject *parent)
    : QObject(parent)
    , m_doc(document)
{
    connect(&document, &PrxDocument::started, this, [this] {
        m_status[0] = QStringLiteral("PRX Version:  ") + m_doc.prxversion();
        emit changed();
    });
    connect(&document, &PrxDocument::moduleShown, this, [this] {
        m_status[1] = QStringLiteral("Bookmark:  ") + m_doc.currentBookmarkFile();
        m_status[2] = QStringLiteral("Filesize:  ") + QString::number(QFileInfo(m_doc.currentModuleFile()).size()) +
                      QStringLiteral(" bytes");
        emit changed();
    });
    connect(&document, &PrxDocument::moduleClosed, this, [this] {
        m_status = {QStringLiteral("PRX Version:  ") + m_doc.prxversion(), QStringLiteral("Bookmark:"),
                    QStringLiteral("Filesize:")};
        emit changed();
    });
    // A chosen version is shown with one blank after the caption, a detected one with two.
    connect(&document, &PrxDocument::versionChanged, this, [this](bool chosen) {
        m_status[0] = (chosen ? QStringLiteral("PRX Version: ") : QStringLiteral("PRX Version:  ")) + m_doc.prxversion();
        emit changed();
    });
}

QString WindowTexts::title() const
{
    const QString &module = m_doc.titledModule();
    return module.isEmpty() ? BaseTitle : BaseTitle + QStringLiteral("   [") + module + QLatin1Char(']');
}

bool WindowTexts::savePrxEnabled() const
{
    return m_doc.moduleOpen();
}
