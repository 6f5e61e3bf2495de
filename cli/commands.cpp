#include "cli/commands.h"

const std::vector<CliCommand> &cliCommands()
{
    static const std::vector<CliCommand> commands = {
        {"info", "vantor info MODULE", infoCommand},
        {"list", "vantor list MODULE [--version V] [--json]", listCommand},
        {"get", "vantor get MODULE OFFSET TYPE [LEN]", getCommand},
        {"set", "vantor set MODULE [--version V] SELECTOR=VALUE ...", setCommand},
        {"pack", "vantor pack MODULE --version V -o OUT", packCommand},
        {"unpack", "vantor unpack FILE -o OUT", unpackCommand},
        {"colors", "vantor colors MODULE [--version V] --export FILE.json | --import FILE.json | --preview OUT.png [--month N]",
         colorsCommand},
        {"backups", "vantor backups MODULE", backupsCommand},
        {"restore", "vantor restore MODULE BACKUP", restoreCommand},
        {"search", "vantor search FILE (--float X | --int N | --string TEXT)", searchCommand},
        {"hbk2vt", "vantor hbk2vt FILE.hbk [--firmware 5.00] [--module MODULE] [--expand-arrays]", hbk2vtCommand},
    };
    return commands;
}
