#include "res/Version.h"
#include "cli/CCliCommand.h"
#include "cli/CConvertCommand.h"
#include "cli/CTransferCommand.h"

#include <iostream>
#include <new>

namespace {

// One line per subcommand.
const CCliCommand kCommands[] = {
    {"convert", &CConvertCommand::Run},
    {"download", &CTransferCommand::RunDownload},
    {"upload", &CTransferCommand::RunUpload},
};

const char kUsage[] =
    "Usage: tovrik-cli COMMAND [ARGUMENTS]\n"
    "\n"
    "Backs up and restores the configuration of a QARN device.\n"
    "\n"
    "Commands:\n"
    "  convert IN.s19 OUT.s19                   load IN.s19 as File > Open does and save it\n"
    "                                           to OUT.s19 as File > Save As does\n"
    "  download FILE.s19 [--port P] [--baud B]  send the configuration in FILE.s19 to the device\n"
    "  upload OUT.s19 [--port P] [--baud B]     read the device's configuration into OUT.s19\n"
    "\n"
    "Options:\n"
    "  --help     show this help\n"
    "  --version  show the version\n"
    "\n"
    "  P is 1, 2, COM1, COM2 or a device path; B is in bits per second. Both default to\n"
    "  the port and baud rate last chosen in Tovrik's transfer dialog. After --, every\n"
    "  argument is a file name, also one that starts with a dash.\n"
    "\n"
    "Exit status: 0 when the command finished; 1 when a transfer failed (the port cannot be\n"
    "opened, no connection, a communication error); 2 on a usage error or a file that cannot\n"
    "be read or written; 128 + the signal's number when stopped by Ctrl+C (130), SIGTERM\n"
    "(143) or SIGHUP (129).\n";

}  // namespace

int main(int argc, char* argv[]) {
    if (argc < 2) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string command = argv[1];
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
                return entry.run(std::vector<std::string>(argv + 2, argv + argc), std::cout,
                                 std::cerr);
            } catch (const std::bad_alloc&) {
                std::cerr << "tovrik-cli: not enough memory\n";
                return kExitUsage;
            }
        }
    }
    std::cerr << "tovrik-cli: unknown command '" << command << "'. Try 'tovrik-cli --help'.\n";
    return kExitUsage;
}
