#include "sim/CSimOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <iterator>
#include <utility>

namespace {

bool ParseCount(const std::string& text, long min, long max, long* pValue) {
    if (text.empty()) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    long value = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || value < min || value > max) {
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
           "  --stale N             before each request, after its first wake-up, send the\n"
           "                        last N bytes of the configuration, as the tail of an\n"
           "                        earlier answer still on its way would arrive\n"
           "  --bitflip N           change one hex digit of the Nth line of each answer\n"
           "  --drop-line N         never send the Nth line of an answer\n"
           "  --repeat-line N       send the Nth line of an answer twice\n"
           "  --extra-text N        send the Nth line of an answer with \" ; comment\" before\n"
           "                        its line end\n"
           "  --end-after N         send the S7 line right after the first N lines of an\n"
           "                        answer\n"
           "  --log-lines           answer as another kind of device would: time-stamped\n"
           "                        text lines, some with '7' as their second character\n"
           "  --endless             answer with the header and data lines, over and over,\n"
           "                        and never an S7 line\n"
           "  --keep-received       answer \"#CD\" with the lines of the last download that\n"
           "                        reached its S7 line, as a device does after its power\n"
           "                        cycle; before any, with --config\n"
           "  --store-bitflip N     with --keep-received: keep line N of each download with\n"
           "                        one hex digit changed (and its checksum made to fit),\n"
           "                        as a restore that did not take\n"
           "  --log FILE            log every line received, with times\n"
           "  --help                show this help\n";
}

std::string CSimOptions::Parse(int argc, char** argv) {
    const std::pair<const char*, bool*> flags[] = {
        {"--help", &m_bHelp},
        {"--noise", &m_bNoise},
        {"--noise-inside", &m_bNoiseInside},
        {"--echo", &m_bEcho},
        {"--garbage", &m_bGarbage},
        {"--log-lines", &m_bLogLines},
        {"--endless", &m_bEndless},
        {"--keep-received", &m_bKeepReceived},
    };
    const std::pair<const char*, std::string*> paths[] = {
        {"--link", &m_strLink},
        {"--config", &m_strConfig},
        {"--received", &m_strReceived},
        {"--log", &m_strLog},
    };
    // Option, where it goes, its smallest and largest value, what it counts.
    struct CCount {
        const char* name;
        long* pValue;
        long min;
        long max;
        const char* what;
    };
    long baud = m_nBaud;
    const CCount counts[] = {
        {"--baud", &baud, 0, 10000000, "baud rate"},
        {"--flood", &m_nFlood, 0, 1L << 30, "byte count"},
        {"--silence-after", &m_nSilenceAfter, 0, 1L << 30, "byte count"},
        {"--hangup-after", &m_nHangupAfter, 0, 1L << 30, "byte count"},
        {"--stale", &m_nStale, 0, 1L << 30, "byte count"},
        {"--bitflip", &m_nBitflip, 1, 1L << 30, "line number"},
        {"--drop-line", &m_nDropLine, 1, 1L << 30, "line number"},
        {"--store-bitflip", &m_nStoreBitflip, 1, 1L << 30, "line number"},
        {"--repeat-line", &m_nRepeatLine, 1, 1L << 30, "line number"},
        {"--extra-text", &m_nExtraText, 1, 1L << 30, "line number"},
        {"--end-after", &m_nEndAfter, 1, 1L << 30, "line count"},
    };
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto flag = std::find_if(std::begin(flags), std::end(flags),
                                       [&](const auto& f) { return arg == f.first; });
        if (flag != std::end(flags)) {
            *flag->second = true;
            continue;
        }
        const auto path = std::find_if(std::begin(paths), std::end(paths),
                                       [&](const auto& p) { return arg == p.first; });
        const auto count = std::find_if(std::begin(counts), std::end(counts),
                                        [&](const CCount& c) { return arg == c.name; });
        if (path == std::end(paths) && count == std::end(counts)) {
            return (arg.starts_with('-') ? "unknown option " : "unknown argument ") + arg;
        }
        if (i + 1 >= argc) {
            return arg + " needs a value";
        }
        const std::string value = argv[++i];
        if (path != std::end(paths)) {
            *path->second = value;
        } else if (!ParseCount(value, count->min, count->max, count->pValue)) {
            std::string refusal = "bad ";
            refusal.append(count->what).append(" for ").append(arg).append(": ").append(value);
            return refusal;
        }
    }
    if (m_nStoreBitflip > 0 && !m_bKeepReceived) {
        return "--store-bitflip needs --keep-received";
    }
    m_nBaud = static_cast<int>(baud);
    return {};
}
