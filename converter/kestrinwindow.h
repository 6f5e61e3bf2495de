#pragma once

#include <QWidget>

class QCheckBox;
class QLabel;
class QLineEdit;

// The converter's one window: the .hbk path (Text1, browse with Command2),
// the section to write (Text2), the module the bookmarks are for (Text3,
// chosen with cmdModule) and Convert (Command1). Success shows in the status
// line; failures in a message box.
class KestrinWindow : public QWidget
{
    Q_OBJECT

public:
    static inline const QString Title = QStringLiteral("hbk to vt converter");

    explicit KestrinWindow(QWidget *parent = nullptr);

    void setInput(const QString &hbkPath, const QString &firmware, bool expandArrays,
                  const QString &modulePath = QString());
    QString statusText() const;

    void Command1_Click();
    void Command2_Click();
    void cmdModule_Click();

protected:
    // Shows a failure; a test overrides it to capture the text without a modal box.
    virtual void showFailure(const QString &message);
    // The file the person picks to convert, or empty text when cancelled.
    virtual QString chooseInputFile(const QString &startFolder);
    // The module the person picks, or empty text when cancelled.
    virtual QString chooseModuleFile(const QString &startFolder);

private:
    void showStatus(const QString &text);

    QLineEdit *m_path = nullptr;
    QLineEdit *m_firmware = nullptr;
    QCheckBox *m_expand = nullptr;
    QLineEdit *m_module = nullptr;
    QLabel *m_status = nullptr;
};
