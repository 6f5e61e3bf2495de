#include "app/bytesdock.h"

#include "common/inifile.h"
#include "document/prxdocument.h"
#include "grid/rowbytes.h"
#include "grid/widgets/bytesview.h"

#include <QAction>

namespace {

const QString kSection = QStringLiteral("Window");
const QString kKey = QStringLiteral("Bytes");

} // namespace

BytesDock::BytesDock(PrxDocument &document, QWidget *parent)
    : QDockWidget(QStringLiteral("Bytes"), parent)
    , m_doc(document)
    , m_bytes(new RowBytes(document, this))
{
    setObjectName(QStringLiteral("bytesDock"));
    // Hidden only from the View menu, so that what is stored is what the person chose.
    setFeatures(QDockWidget::NoDockWidgetFeatures);
    setAllowedAreas(Qt::BottomDockWidgetArea);
    m_view = new BytesView(*m_bytes, this);
    setWidget(m_view);

    m_shown = new QAction(QStringLiteral("&Bytes"), this);
    m_shown->setObjectName(QStringLiteral("menuBytes"));
    m_shown->setCheckable(true);
    m_shown->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_B));
    connect(m_shown, &QAction::triggered, this, [this](bool shown) {
        setShown(shown);
        IniFile &config = m_doc.config();
        config.write(kSection, kKey, shown ? QStringLiteral("1") : QStringLiteral("0"));
        m_doc.settings().reportWriteFailure(config);
    });
    setShown(false);
}

void BytesDock::restoreShown()
{
    setShown(m_doc.config().read(kSection, kKey) == u"1");
}

void BytesDock::setShown(bool shown)
{
    m_shown->setChecked(shown);
    setVisible(shown);
    m_bytes->setActive(shown);
}
