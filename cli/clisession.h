#pragma once

#include "cli/cliprompter.h"
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

    // Opens `module` with its version, or with `version` when one is given.
    // False, after the cause is printed, when it is not open with a version.
    bool open(const QString &module, const QString &version = QString());

    PrxDocument &document() { return m_doc; }
    CliPrompter &prompter() { return m_prompter; }
    // Prints "vantor: " + text on standard error; gives the failure status.
    int fail(const QString &text);

private:
    CliContext &m_context;
    CliPrompter m_prompter;
    PrxDocument m_doc;
};
