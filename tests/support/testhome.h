#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

// A demo home in a temporary folder, with the stand-in scramble tool copied in.
class TestHome
{
public:
    TestHome();

    QString path() const { return m_dir.path(); }
    QString file(const QString &relative) const { return m_dir.filePath(relative); }
    QString module5() const { return file(QStringLiteral("demo/vshmain.prx")); }
    QString module4() const { return file(QStringLiteral("demo/4.05/vshmain.prx")); }
    QString bookmarks() const { return file(QStringLiteral("bookmarks/vshmain.vt")); }
    QString config() const { return file(QStringLiteral("Config.ini")); }

    void removeScrambleTool();
    // Config.ini with the association already answered, so no first-run question.
    void answerAssociation();

    static QByteArray readAll(const QString &path);
    static bool writeAll(const QString &path, const QByteArray &bytes);

private:
    QTemporaryDir m_dir;
};
