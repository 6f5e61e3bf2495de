#pragma once

#include "cli/cliprompter.h"
#include "common/filelock.h"
#include "document/prxdocument.h"

struct CliContext;

// The editor's document on the command line: the home's settings, read
// without the first-run question, and one module opened as the editor opens
// it. The working copy goes away with the session.
class CliSession
{
public:
    explicit CliSession(CliContext &context);
    ~CliSession();

    enum class Access { Read, Change };
    // Opens `module` with its version, or with `version` when one is given.
    // False, after the cause is printed, when it is not open with a version.
    // To change it, the module is locked first for the whole session: a
    // second `vantor` changing it waits, at most lockWait(), then fails.
    bool open(const QString &module, const QString &version = QString(), Access access = Access::Read);
    // Only the lock that open() takes to change a module: for a change made
    // without opening it (a module too broken to open can still be restored).
    // False, after the cause is printed, when it could not be taken.
    bool lock(const QString &module);
    // $VANTOR_LOCK_WAIT (seconds) when set, else 30 s.
    static std::chrono::milliseconds lockWait();

    PrxDocument &document() { return m_doc; }
    CliPrompter &prompter() { return m_prompter; }
    // Prints "vantor: " + text on standard error; gives the failure status.
    int fail(const QString &text);

private:
    CliContext &m_context;
    CliPrompter m_prompter;
    FileLock m_lock;
    PrxDocument m_doc;
};
