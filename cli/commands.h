#pragma once

#include "cli/clicontext.h"

#include <vector>

// One subcommand of `vantor`: its name, its usage line, and what runs it.
struct CliCommand
{
    const char *name;
    const char *usage;
    int (*run)(CliContext &context);
};

int infoCommand(CliContext &context);
int listCommand(CliContext &context);
int getCommand(CliContext &context);
int setCommand(CliContext &context);
int packCommand(CliContext &context);
int unpackCommand(CliContext &context);
int hbk2vtCommand(CliContext &context);
int colorsCommand(CliContext &context);
int searchCommand(CliContext &context);
int backupsCommand(CliContext &context);
int restoreCommand(CliContext &context);

const std::vector<CliCommand> &cliCommands();
