#include "cli/clisession.h"

#include "cli/clicontext.h"
#include "cli/moduleidentity.h"
#include "common/safefile.h"
#include "values/firmware.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

CliSession::CliSession(CliContext &context)
    : m_context(context), m_prompter(context.err), m_doc(context.home, m_prompter)
{
    m_doc.startUp(false);
    // A script never writes over another program's change: it fails instead.
    m_doc.setDiskChanges(PrxDocument::DiskChanges::Refuse);
}

std::chrono::milliseconds CliSession::lockWait()
{
    bool ok = false;
    const double seconds = qEnvironmentVariable("VANTOR_LOCK_WAIT").toDouble(&ok);
    return std::chrono::milliseconds(ok && seconds >= 0 ? qint64(seconds * 1000) : 30'000);
}

CliSession::~CliSession()
{
    m_doc.closeModule();
}

bool CliSession::lock(const QString &module)
{
    if (!QFileInfo(module).isFile())
        return true;
    if (const FileError error = m_lock.acquire(module, lockWait()); !error.ok()) {
        fail(error.text());
        return false;
    }
    return true;
}

bool CliSession::open(const QString &module, const QString &version, Access access)
{
    if (access == Access::Change && !lock(module))
        return false;
    // The editor would ask whether to unpack what is no ELF module; a script
    // is told what the file is instead.
    QFile file(module);
    if (SafeFile::checkInput(module).ok() && file.open(QIODevice::ReadOnly) && file.peek(4).mid(1) != "ELF") {
        const QString name = QDir::toNativeSeparators(module);
        if (ModuleIdentity::of(file).format == ModuleIdentity::Format::Packed)
            fail(QStringLiteral("%1 is a packed module: 'vantor unpack %1 -o OUT' unpacks it.").arg(name));
        else
            fail(QStringLiteral("%1 is not a module: it does not begin with an ELF header.").arg(name));
        return false;
    }
    file.close();
    const int before = m_prompter.messageCount();
    m_doc.openFromCommandLine(module, version);
    // A failed descramble leaves the module open without its working copy: nothing could be read from it.
    const bool usable = m_doc.moduleOpen() && !m_doc.prxversion().isEmpty() &&
                        (!Firmware::isScrambled(m_doc.prxversion()) || !m_doc.workingCopyPath().isEmpty());
    if (usable)
        return true;
    if (m_prompter.messageCount() == before)
        fail(QStringLiteral("%1 could not be opened.").arg(QDir::toNativeSeparators(module)));
    return false;
}

int CliSession::fail(const QString &text)
{
    m_context.err << "vantor: " << text << Qt::endl;
    return CliContext::Failure;
}
