#include "cli/CCliCommand.h"
#include "cli/CConvertCommand.h"
#include "cli/CPortsCommand.h"
#include "cli/CTransferCommand.h"
#include "cli/CVerifyCommand.h"
#include "platform/CCommandLine.h"
#include "platform/CTerminal.h"
#include "res/Version.h"
#include "settings/CSystemContext.h"

#include <iostream>
#include <new>

namespace {

// One line per subcommand.
const CCliCommand kCommands[] = {
    {"convert", &CConvertCommand::Run},       {"download", &CTransferCommand::RunDownload},
    {"upload", &CTransferCommand::RunUpload}, {"ports", &CPortsCommand::Run},
    {"verify", &CVerifyCommand::Run},
};

const char kUsage[] =
    "Usage: tovrik-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Backs up and restores the configuration of a QARN device.\n"
    "\n"
    "Commands:\n"
    "  convert IN.s19 OUT.s19                   load IN.s19 as File > Open does and save it\n"
    "                                           to OUT.s19 as File > Save As does; problems\n"
    "                                           found in IN.s19 are printed as warnings\n"
    "  download FILE.s19 [--port P] [--baud B] [--force]\n"
    "                                           send the configuration in FILE.s19 to the\n"
    "                                           device; one that is not complete only with\n"
    "                                           --force\n"
    "  upload OUT.s19 [--port P] [--baud B] [--force]\n"
    "                                           read the device's configuration into OUT.s19;\n"
    "                                           an upload that does not finish leaves OUT.s19\n"
    "                                           alone, and with --force writes what it got\n"
    "  verify FILE.s19...                       check each file: what it holds, and every\n"
    "                                           problem and warning with its line number\n"
    "  ports [--json]                           list the serial ports of this machine, without\n"
    "                                           opening any\n"
    "\n"
    "Options:\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "  P is 1, 2, COM1, COM2, a device path, or a name that ports lists; B is in bits\n"
    "  per second. Both default to the port and baud rate last chosen in Tovrik's\n"
    "  transfer dialog. After --, every argument is a file name, also one that starts\n"
    "  with a dash.\n"
    "\n"
    "Exit status: 0 when the command finished; 1 when a transfer failed (the port cannot be\n"
    "opened, no connection, a communication error, a damaged upload) or verify found a\n"
    "problem; 2 on a usage error, a file that cannot be read or written, or a download\n"
    "refused as not complete; 128 + the signal's number when stopped by Ctrl+C (130),\n"
    "SIGTERM (143) or SIGHUP (129).\n";

}  // namespace

int main(int argc, char* argv[]) {
    CTerminal::ShowUtf8Output();
    const std::vector<std::string> args = CCommandLine::Arguments(argc, argv);
    if (args.size() < 2) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string& command = args[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return kExitSuccess;
    }
    if (command == "--version") {
        std::cout << "tovrik-cli " TOVRIK_VERSION "\n";
        return kExitSuccess;
    }
    for (const CCliCommand& entry : kCommands) {
        if (command == entry.name) {
            // The commands report running out of memory with the file it
            // happened on; this catches what no command foresaw.
            try {
                CSystemContext context = CSystemContext::ForThisMachine();
                return entry.run(context, std::vector<std::string>(args.begin() + 2, args.end()),
                                 std::cout, std::cerr);
            } catch (const std::bad_alloc&) {
                std::cerr << "tovrik-cli: not enough memory\n";
                return kExitUsage;
            }
        }
    }
    std::cerr << "tovrik-cli: unknown command '" << command << "'. Try 'tovrik-cli --help'.\n";
    return kExitUsage;
}
