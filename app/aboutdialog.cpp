#include "app/aboutdialog.h"

#include "app/artwork.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QVBoxLayout>
#include <algorithm>

const QString AboutDialog::AboutText =
    QStringLiteral("       Vantor Editor is a tool for editing prx files intended for making \r\n"
                   "themes. PRX editing can be done through a Hex-Editor but Vantor \r\n"
                   "Editor offers some great features which make it easier to use than \r\n"
                   "any Hex-Editing Software. It supports the latest psp firmware version.");

namespace {

const char *const kThanks = "Everyone who shared what they found inside vshmain,\n"
                            "so that themes could be more than wallpapers.\n"
                            "The testers of the early builds, for every module they broke first.\n"
                            "The people behind Qt and zlib, on whose work this editor stands.";

// A read-only text that shows all of its lines, unwrapped, without scroll bars.
QPlainTextEdit *readOnlyText(const QString &text, const char *name)
{
    auto *edit = new QPlainTextEdit;
    edit->setObjectName(QLatin1String(name));
    edit->setReadOnly(true);
    edit->setPlainText(text);
    edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    edit->setFrameShape(QFrame::NoFrame);
    edit->viewport()->setAutoFillBackground(false);
    edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    const QFontMetrics metrics(edit->font());
    const QStringList lines = text.split(QLatin1Char('\n'));
    int widest = 0;
    for (const QString &line : lines)
        widest = std::max(widest, metrics.horizontalAdvance(line));
    const int margins = 2 * int(edit->document()->documentMargin()) + 8;
    edit->setFixedSize(widest + margins, metrics.lineSpacing() * int(lines.size()) + margins);
    return edit;
}

QGroupBox *frame(const QString &title, const char *name, QWidget *content)
{
    auto *box = new QGroupBox(title);
    box->setObjectName(QLatin1String(name));
    auto *layout = new QVBoxLayout(box);
    layout->addWidget(content);
    return box;
}

} // namespace

AboutDialog::AboutDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("About"));
    setModal(true);

    auto *logo = new QLabel;
    logo->setObjectName(QStringLiteral("logoPic"));
    logo->setPixmap(Artwork::logo());
    logo->setFixedSize(400, 52);

    auto *version = new QLabel(QStringLiteral("Version %1").arg(QStringLiteral(VANTOR_VERSION)));
    version->setObjectName(QStringLiteral("lblVersion"));
    version->setTextInteractionFlags(Qt::TextSelectableByMouse);

    // The text's own line ends are CR LF; shown, a line ends at each of them.
    QString shown = AboutText;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    QPlainTextEdit *about = readOnlyText(shown, "Text1");
    QPlainTextEdit *thanks = readOnlyText(QString::fromUtf8(kThanks), "Text2");
    thanks->setFixedWidth(std::max(about->width(), thanks->width()));
    about->setFixedWidth(thanks->width());

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    buttons->setObjectName(QStringLiteral("cmdOK"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(logo, 0, Qt::AlignHCenter);
    layout->addWidget(version, 0, Qt::AlignHCenter);
    layout->addWidget(frame(QStringLiteral("About Vantor Editor"), "Frame1", about));
    layout->addWidget(frame(QStringLiteral("Special Thanks To:"), "Frame2", thanks));
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}
