#include "search/widgets/offsetdescriptiondialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

OffsetDescriptionDialog::OffsetDescriptionDialog(QWidget *parent)
    : QDialog(parent)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Offset Description"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("Enter Offset description"), this);
    m_description = new QLineEdit(this);
    m_description->setObjectName(QStringLiteral("txtDesc"));
    m_description->setMinimumWidth(280);
    label->setBuddy(m_description);
    auto *ok = new QPushButton(QStringLiteral("&Ok"), this);
    ok->setObjectName(QStringLiteral("cmdOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cancel->setObjectName(QStringLiteral("cmdCancel"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_description);
    layout->addSpacing(6);
    layout->addLayout(buttons);

    connect(ok, &QPushButton::clicked, this, &OffsetDescriptionDialog::cmdOk_Click);
    connect(cancel, &QPushButton::clicked, this, &QDialog::hide);
}

void OffsetDescriptionDialog::setHits(const QString &value, const QStringList &offsets, const QString &type,
                                      const QString &file, int length)
{
    setHits(QStringList(qsizetype(offsets.size()), value), offsets, type, file, length);
}

void OffsetDescriptionDialog::setHits(const QStringList &values, const QStringList &offsets, const QString &type,
                                      const QString &file, int length)
{
    m_values = values;
    m_offsets = offsets;
    m_type = type;
    m_file = file;
    m_length = length;
}

void OffsetDescriptionDialog::cmdOk_Click()
{
    emit rowsNamed(m_description->text(), m_values, m_offsets, m_type, m_file, m_length);
    hide();
}
