#include "sim/CSimOptions.h"

#include <cerrno>
#include <cstdlib>

namespace {

bool ParseCount(const std::string& text, long max, long* pValue) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < 0 || value > max) {
        return false;
    }
    *pValue = value;
    return true;
}

}  // namespace

std::string CSimOptions::Usage() {
    return "Usage: qarn-sim [OPTION]...\n"
           "Plays a QARN device on a new pseudo-terminal and prints the terminal's path\n"
           "as the first line of output. Stops on SIGTERM or SIGINT.\n"
           "\n"
           "  --link PATH           also make PATH a symbolic link to the terminal\n"
           "  --config FILE.s19     the configuration sent in answer to \"#CD\"\n"
           "  --received FILE.s19   where the lines after \"#CU\" are saved, up to the S7 line\n"
           "  --baud N              pace the answer at N baud, 10 bits a byte (default 9600;\n"
           "                        0 sends unpaced)\n"
           "  --silence-after N     fall silent after N bytes of the configuration in each\n"
           "                        answer\n"
           "  --hangup-after N      after N bytes of the configuration, sent after \"#CD\" or\n"
           "                        received after \"#CU\", drop the line as an unplugged\n"
           "                        adapter would, and exit\n"
           "  --noise               send bytes outside 9..126 between the lines of an answer\n"
           "  --noise-inside        send bytes outside 9..126 inside the lines of an answer,\n"
           "                        one after every 8 characters\n"
           "  --flood N             send N printable bytes without a line feed before the\n"
           "                        configuration of each answer\n"
           "  --garbage             send every byte as a line set to another baud rate\n"
           "                        delivers it: mostly bytes outside 9..126, now and then a\n"
           "                        printable one, never a line feed\n"
           "  --echo                echo the request line before answering\n"
           "  --log FILE            log every line received, with times\n"
           "  --help                show this help\n";
}

bool CSimOptions::Parse(int argc, char** argv, std::string* pError) {
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--help") {
            m_bHelp = true;
            continue;
        }
        if (arg == "--noise") {
            m_bNoise = true;
            continue;
        }
        if (arg == "--noise-inside") {
            m_bNoiseInside = true;
            continue;
        }
        if (arg == "--echo") {
            m_bEcho = true;
            continue;
        }
        if (arg == "--garbage") {
            m_bGarbage = true;
            continue;
        }
        if (i + 1 >= argc) {
            *pError = arg.rfind("--", 0) == 0 ? arg + " needs a value" : "unknown argument " + arg;
            return false;
        }
        std::string value = argv[i + 1];
        long count = 0;
        if (arg == "--link") {
            m_strLink = value;
        } else if (arg == "--config") {
            m_strConfig = value;
        } else if (arg == "--received") {
            m_strReceived = value;
        } else if (arg == "--log") {
            m_strLog = value;
        } else if (arg == "--baud") {
            if (!ParseCount(value, 10000000, &count)) {
                *pError = "bad baud rate: " + value;
                return false;
            }
            m_nBaud = static_cast<int>(count);
        } else if (arg == "--flood") {
            if (!ParseCount(value, 1L << 30, &count)) {
                *pError = "bad byte count for --flood: " + value;
                return false;
            }
            m_nFlood = count;
        } else if (arg == "--silence-after" || arg == "--hangup-after") {
            if (!ParseCount(value, 1L << 30, &count)) {
                *pError = "bad byte count for ";
                *pError += arg;
                *pError += ": ";
                *pError += value;
                return false;
            }
            (arg == "--silence-after" ? m_nSilenceAfter : m_nHangupAfter) = count;
        } else {
            *pError = "unknown argument " + arg;
            return false;
        }
        ++i;
    }
    return true;
}
