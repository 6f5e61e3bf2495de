#include "app/preferencesdialog.h"

#include "app/fileassociation.h"
#include "common/prompter.h"
#include "document/prxdocument.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QMouseEvent>
#include <QVBoxLayout>

const std::array<QString, 4> PreferencesDialog::Captions = {
    QStringLiteral("Highlighted Text (Font Color):"), QStringLiteral("Highlighted Text (Back Color):"),
    QStringLiteral("Grid View Text (Font Color):"), QStringLiteral("Grid View Text (Back Color):")};

namespace {

Rgb toRgb(const QColor &c)
{
    return Rgb{std::uint8_t(c.red()), std::uint8_t(c.green()), std::uint8_t(c.blue())};
}

// What the list and its editor show for a colour Config.ini does not give.
Rgb fallbackColour(int index)
{
    const QPalette palette = QApplication::palette();
    switch (index) {
    case 1:
        return toRgb(palette.color(QPalette::Window));
    case 3:
        return toRgb(palette.color(QPalette::Base));
    default:
        return toRgb(palette.color(QPalette::WindowText));
    }
}

} // namespace

PreferencesDialog::PreferencesDialog(PrxDocument &document, QWidget *parent)
    : QDialog(parent)
    , m_doc(document)
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Preferences"));
    if (parent)
        setWindowIcon(parent->windowIcon());
    setModal(true);

    auto *colours = new QGroupBox(QStringLiteral("Color"));
    colours->setObjectName(QStringLiteral("Frame1"));
    auto *grid = new QGridLayout(colours);
    grid->setHorizontalSpacing(12);
    for (int i = 0; i < 4; ++i) {
        m_colours[size_t(i)] = m_doc.settings().storedColour(i).value_or(fallbackColour(i));
        auto *caption = new QLabel(Captions[size_t(i)]);
        caption->setObjectName(QStringLiteral("Label%1").arg(i + 1));
        auto *swatch = new QLabel;
        swatch->setObjectName(QStringLiteral("pic(%1)").arg(i));
        swatch->setFixedSize(48, 20);
        swatch->setFrameShape(QFrame::Box);
        swatch->setAutoFillBackground(true);
        swatch->setCursor(Qt::PointingHandCursor);
        swatch->setToolTip(QStringLiteral("Click to choose a colour"));
        swatch->installEventFilter(this);
        m_swatches[size_t(i)] = swatch;
        caption->setBuddy(swatch);
        grid->addWidget(caption, i, 0);
        grid->addWidget(swatch, i, 1);
        setColour(i, m_colours[size_t(i)]);
    }

    m_associate = new QCheckBox(QStringLiteral("Associate PRX files"));
    m_associate->setObjectName(QStringLiteral("Check1"));
    m_associate->setChecked(m_doc.settings().associatePrx());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(colours);
    layout->addWidget(m_associate);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void PreferencesDialog::setColour(int index, Rgb colour)
{
    m_colours[size_t(index)] = colour;
    QLabel *swatch = m_swatches[size_t(index)];
    QPalette palette = swatch->palette();
    palette.setColor(QPalette::Window, QColor(colour.red, colour.green, colour.blue));
    swatch->setPalette(palette);
}

bool PreferencesDialog::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        for (int i = 0; i < 4; ++i) {
            if (watched == m_swatches[size_t(i)]) {
                // The swatch's caption names the dialog, without its colon.
                const QString title = Captions[size_t(i)].chopped(1);
                if (const auto chosen = m_doc.prompter().chooseColour(m_colours[size_t(i)], title))
                    setColour(i, *chosen);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void PreferencesDialog::storeSettings()
{
    Settings::Colours colours;
    for (int i = 0; i < 4; ++i)
        colours[size_t(i)] = m_colours[size_t(i)];
    const bool associate = m_associate->isChecked();
    FileAssociation association(QCoreApplication::applicationFilePath());
    if (associate)
        association.add();
    else
        association.remove();
    m_doc.storePreferences(colours, associate);
}

void PreferencesDialog::done(int result)
{
    storeSettings();
    QDialog::done(result);
}
