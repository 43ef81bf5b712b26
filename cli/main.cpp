#include "cli/CCliCommand.h"
#include "cli/CCompareCommand.h"
#include "cli/CConvertCommand.h"
#include "cli/CPortsCommand.h"
#include "cli/CTransferCommand.h"
#include "cli/CVerifyCommand.h"
#include "platform/common/CCommandLine.h"
#include "platform/common/CInterruptGuard.h"
#include "platform/common/CSerialDevice.h"
#include "platform/common/CStandardDescriptors.h"
#include "platform/common/CTerminal.h"
#include "res/Version.h"
#include "settings/CSystemContext.h"

#include <iostream>
#include <new>
#include <string>

namespace {

// One line per subcommand.
const CCliCommand kCommands[] = {
    {"convert", &CConvertCommand::Run},       {"download", &CTransferCommand::RunDownload},
    {"upload", &CTransferCommand::RunUpload}, {"ports", &CPortsCommand::Run},
    {"verify", &CVerifyCommand::Run},         {"compare", &CCompareCommand::Run},
};

// Every line fits in 80 columns.
std::string Usage() {
    return "Usage: tovrik-cli COMMAND [ARGUMENTS]\n"
           "\n"
           "Backs up and restores the configuration of a QARN device.\n"
           "\n"
           "Commands:\n"
           "  convert IN.s19 OUT.s19\n"
           "      load IN.s19 and save its records to OUT.s19; problems found in IN.s19\n"
           "      are printed as warnings\n"
           "  download FILE.s19 [--port P] [--baud B] [--force]\n"
           "      send the configuration in FILE.s19 to the device; one that is not\n"
           "      complete only with --force\n"
           "  upload OUT.s19 [--port P] [--baud B] [--force]\n"
           "      read the device's configuration into OUT.s19; an upload that does not\n"
           "      finish (also one whose answer is not whole) leaves OUT.s19 alone, and\n"
           "      with --force writes what it got\n"
           "  verify FILE.s19...\n"
           "      check each file: what it holds, and every problem and warning with its\n"
           "      line number\n"
           "  compare A.s19 B.s19\n"
           "  compare A.s19 --device [--port P] [--baud B]\n"
           "      compare two configurations as data (the header, the bytes at every\n"
           "      address, the S7 address): A.s19 with B.s19, or with the device's\n"
           "      configuration read as upload reads it; nothing is written\n"
           "  ports [--json]\n"
           "      list the serial ports of this machine, without opening any\n"
           "\n"
           "Options:\n"
           "  --help     show this help\n"
           "  --version  show the version\n"
           "\n"
           "P is 1, 2, COM1, COM2, a device path such as " +
           CSerialDevice::ExamplePath() +
           ",\n"
           "or a name that ports lists; B is in bits per second. Without --port or\n"
           "--baud, a transfer uses the port and baud rate kept in the profile (the\n"
           "transfer dialog's last choice) and says so on stderr. After --, every\n"
           "argument is a file name, also one that starts with a dash.\n"
           "\n"
           "Exit status: 0 when the command finished; 1 when a transfer failed (the port\n"
           "cannot be opened, no connection, a communication error, an upload whose\n"
           "answer is not whole) or verify found a problem; 2 on a usage error, a file\n"
           "that cannot be read or written or is not an S-record configuration, or a\n"
           "download refused as not complete;\n" +
           CInterruptGuard::ExitStatuses() + ".\n";
}

}  // namespace

int main(int argc, char* argv[]) {
    if (!CStandardDescriptors::OpenMissing()) {
        return kExitUsage;
    }
    CTerminal::ShowUtf8Output();
    const std::vector<std::string> args = CCommandLine::Arguments(argc, argv);
    if (args.size() < 2) {
        std::cerr << Usage();
        return kExitUsage;
    }
    const std::string& command = args[1];
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << Usage();
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
