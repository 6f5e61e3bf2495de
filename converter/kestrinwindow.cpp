#include "converter/kestrinwindow.h"

#include "converter/hbkconverter.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

KestrinWindow::KestrinWindow(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("KestrinWindow"));
    setWindowTitle(Title);

    auto *frame = new QGroupBox(QStringLiteral("Input HBK file"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    auto *prompt = new QLabel(QStringLiteral("Select the .hbk file to convert"), frame);
    prompt->setObjectName(QStringLiteral("Label1"));
    m_path = new QLineEdit(frame);
    m_path->setObjectName(QStringLiteral("Text1"));
    m_path->setMinimumWidth(440);
    auto *browse = new QPushButton(QStringLiteral("..."), frame);
    browse->setObjectName(QStringLiteral("Command2"));
    browse->setToolTip(QStringLiteral("Browse for the .hbk file"));
    prompt->setBuddy(m_path);

    auto *firmwareLabel = new QLabel(QStringLiteral("Firmware:"), frame);
    firmwareLabel->setObjectName(QStringLiteral("Label2"));
    m_firmware = new QLineEdit(QStringLiteral("5.00"), frame);
    m_firmware->setObjectName(QStringLiteral("Text2"));
    m_firmware->setFixedWidth(m_firmware->fontMetrics().horizontalAdvance(QStringLiteral("00000000")) + 16);
    firmwareLabel->setBuddy(m_firmware);
    m_expand = new QCheckBox(QStringLiteral("Expand arrays"), frame);
    m_expand->setObjectName(QStringLiteral("chkExpand"));
    m_expand->setToolTip(QStringLiteral("Turn a bookmark with a count above 1 into one entry per element"));

    auto *moduleLabel = new QLabel(QStringLiteral("Module the bookmarks are for (its size becomes PRXSize):"), frame);
    moduleLabel->setObjectName(QStringLiteral("Label3"));
    m_module = new QLineEdit(frame);
    m_module->setObjectName(QStringLiteral("Text3"));
    m_module->setPlaceholderText(QStringLiteral("none: the section gets no PRXSize"));
    moduleLabel->setBuddy(m_module);
    auto *chooseModule = new QPushButton(QStringLiteral("&Module..."), frame);
    chooseModule->setObjectName(QStringLiteral("cmdModule"));
    chooseModule->setToolTip(QStringLiteral("Choose the module these bookmarks are for"));

    // Both buttons take the width of the wider one, so the two paths line up.
    auto *grid = new QGridLayout(frame);
    grid->addWidget(prompt, 0, 0, 1, 2);
    grid->addWidget(m_path, 1, 0);
    grid->addWidget(browse, 1, 1);
    grid->addWidget(moduleLabel, 3, 0, 1, 2);
    grid->addWidget(m_module, 4, 0);
    grid->addWidget(chooseModule, 4, 1);
    auto *firmwareRow = new QHBoxLayout;
    firmwareRow->addWidget(firmwareLabel);
    firmwareRow->addWidget(m_firmware);
    firmwareRow->addSpacing(16);
    firmwareRow->addWidget(m_expand);
    firmwareRow->addStretch();
    grid->addLayout(firmwareRow, 2, 0, 1, 2);
    grid->setColumnStretch(0, 1);

    auto *convert = new QPushButton(QStringLiteral("&Convert"), this);
    convert->setObjectName(QStringLiteral("Command1"));
    convert->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(convert);

    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("lblStatus"));
    m_status->setFrameShape(QFrame::StyledPanel);
    m_status->setFrameShadow(QFrame::Sunken);
    m_status->setWordWrap(true);
    m_status->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_status->setMargin(4);
    m_status->setMinimumHeight(2 * m_status->fontMetrics().lineSpacing() + 12);
    m_status->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    m_status->setText(QStringLiteral("Ready."));

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(frame);
    layout->addLayout(buttons);
    layout->addStretch();
    layout->addWidget(m_status);

    connect(convert, &QPushButton::clicked, this, &KestrinWindow::Command1_Click);
    connect(browse, &QPushButton::clicked, this, &KestrinWindow::Command2_Click);
    connect(chooseModule, &QPushButton::clicked, this, &KestrinWindow::cmdModule_Click);
    // Enter in any box converts, as a dialog's default button would.
    for (QLineEdit *edit : {m_path, m_firmware, m_module})
        connect(edit, &QLineEdit::returnPressed, this, &KestrinWindow::Command1_Click);

    setMinimumWidth(sizeHint().width());
}

void KestrinWindow::setInput(const QString &hbkPath, const QString &firmware, bool expandArrays,
                             const QString &modulePath)
{
    m_path->setText(hbkPath);
    m_firmware->setText(firmware);
    m_expand->setChecked(expandArrays);
    m_module->setText(modulePath);
}

QString KestrinWindow::statusText() const
{
    return m_status->text();
}

void KestrinWindow::Command1_Click()
{
    HbkConverter::Options options;
    options.expandArrays = m_expand->isChecked();
    options.modulePath = m_module->text().trimmed();
    const ConversionReport report = HbkConverter::convert(m_path->text(), m_firmware->text(), options);
    if (report.ok) {
        showStatus(report.statusLine());
    } else {
        showStatus(QStringLiteral("Nothing converted."));
        showFailure(report.message);
    }
}

void KestrinWindow::showStatus(const QString &text)
{
    m_status->setText(text);
    // A summary of several lines makes the window taller rather than squeezing the boxes above it.
    const int needed = layout()->totalHeightForWidth(width());
    if (needed > height())
        resize(width(), needed);
}

void KestrinWindow::Command2_Click()
{
    // Start beside the file already chosen, else in the program's folder.
    const QFileInfo current(m_path->text());
    const QString start = !m_path->text().isEmpty() && current.dir().exists() ? current.absolutePath()
                                                                               : QCoreApplication::applicationDirPath();
    const QString chosen = chooseInputFile(start);
    if (!chosen.isEmpty())
        m_path->setText(QDir::toNativeSeparators(chosen));
}

void KestrinWindow::cmdModule_Click()
{
    // Beside the module already chosen, else beside the .hbk file, else in the program's folder.
    QString start = QCoreApplication::applicationDirPath();
    for (const QLineEdit *edit : {m_path, m_module}) {
        const QFileInfo file(edit->text().trimmed());
        if (!edit->text().trimmed().isEmpty() && file.dir().exists())
            start = file.absolutePath();
    }
    const QString chosen = chooseModuleFile(start);
    if (!chosen.isEmpty())
        m_module->setText(QDir::toNativeSeparators(chosen));
}

void KestrinWindow::showFailure(const QString &message)
{
    QMessageBox::warning(this, Title, message);
}

QString KestrinWindow::chooseInputFile(const QString &startFolder)
{
    return QFileDialog::getOpenFileName(this, QStringLiteral("Open HBK file"), startFolder,
                                        QStringLiteral("HBK files (*.hbk *.HBK)"));
}

QString KestrinWindow::chooseModuleFile(const QString &startFolder)
{
    return QFileDialog::getOpenFileName(this, QStringLiteral("Module the bookmarks are for"), startFolder,
                                        QStringLiteral("PRX files (*.prx *.PRX);;All files (*)"));
}
