#include "cli/CTransferCommand.h"

#include "cli/CCliTransferHost.h"
#include "cli/CTransferSettings.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "serial/CSerialPort.h"

#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

namespace {

constexpr int kConfigImageBytes = 196642;

volatile sig_atomic_t g_bInterrupted = 0;

extern "C" void OnInterrupt(int) {
    g_bInterrupted = 1;
}

// SIGINT cancels the transfer instead of ending the process, for as long as
// this object lives.
class CInterruptGuard {
public:
    CInterruptGuard() {
        g_bInterrupted = 0;
        struct sigaction action {};
        action.sa_handler = OnInterrupt;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, &m_previous);
    }
    ~CInterruptGuard() { sigaction(SIGINT, &m_previous, nullptr); }
    CInterruptGuard(const CInterruptGuard&) = delete;
    CInterruptGuard& operator=(const CInterruptGuard&) = delete;

private:
    struct sigaction m_previous {};
};

struct CArguments {
    std::string strFile;
    CTransferSettings settings;
};

bool ParseArguments(const std::vector<std::string>& args, const char* command, CArguments& parsed,
                    std::ostream& err) {
    parsed.settings = CTransferSettings::FromProfile();
    std::string error;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        std::string option;
        std::string value;
        if (const auto eq = arg.find('='); arg.starts_with("--") && eq != std::string::npos) {
            option = arg.substr(0, eq);
            value = arg.substr(eq + 1);
        } else if (arg == "--port" || arg == "--baud") {
            if (i + 1 == args.size()) {
                error = arg + " needs a value";
                break;
            }
            option = arg;
            value = args[++i];
        } else if (arg.starts_with("-") && arg != "-") {
            error = "unknown option '" + arg + "'";
            break;
        } else if (parsed.strFile.empty()) {
            parsed.strFile = arg;
            continue;
        } else {
            error = "unexpected argument '" + arg + "'";
            break;
        }
        if (option == "--port") {
            if (!parsed.settings.SetPort(value, error)) {
                break;
            }
        } else if (option == "--baud") {
            if (!parsed.settings.SetBaud(value, error)) {
                break;
            }
        } else {
            error = "unknown option '" + option + "'";
            break;
        }
    }
    if (error.empty() && parsed.strFile.empty()) {
        error = "missing file name";
    }
    if (!error.empty()) {
        err << "tovrik-cli " << command << ": " << error << "\nUsage: tovrik-cli " << command
            << " FILE.s19 [--port P] [--baud B]\n";
        return false;
    }
    return true;
}

// Runs the worker to its end. SIGINT acts as the dialog's Cancel: it asks the
// worker to stop, says so, and waits for it. True when interrupted.
bool RunWorker(CCliTransferHost& host) {
    if (!host.StartWorker()) {
        host.ShowMessageBox("Cannot start the transfer: the system refused a new thread.", "Error");
        return false;
    }
    bool interrupted = false;
    while (host.m_bRunning) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (g_bInterrupted != 0 && !interrupted) {
            interrupted = true;
            host.m_bAbort = true;
            host.ShowMessageBox(host.m_nMode == 1 ? "Upload aborted.\nPlease power cycle QARN."
                                                  : "Download aborted.\nPlease power cycle QARN.",
                                "Info");
        }
    }
    host.EndSession();
    host.ClearProgress();
    return interrupted;
}

int ExitStatusOf(ETransferOutcome outcome) {
    return outcome == ETransferOutcome::Finished ? CTransferCommand::kExitFinished
                                                 : CTransferCommand::kExitFailed;
}

void Prepare(CCliTransferHost& host, CQARNCfgDoc& doc, int nMode, const CTransferSettings& s) {
    host.m_pDoc = &doc;
    host.m_nMode = nMode;
    host.m_nPort = s.m_nPort;
    host.m_strDevice = s.m_strDevice;
    host.m_nBaudRate = s.m_nBaudRate;
    host.m_nTotal = 0;
}

}  // namespace

int CTransferCommand::RunDownload(const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err) {
    CArguments parsed;
    if (!ParseArguments(args, "download", parsed, err)) {
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    std::string error;
    if (!doc.OnOpenDocument(parsed.strFile, error)) {
        err << "tovrik-cli download: " << error << '\n';
        return kExitUsage;
    }
    if (g_recordList.IsEmpty()) {
        err << "Warning: Cannot perform download.\nNo Configuration data loaded\n";
        return kExitUsage;
    }
    CSerialPort port;
    const int range = doc.m_nFileSize != 0 ? doc.m_nFileSize : kConfigImageBytes;
    CCliTransferHost host(port, out, err, isatty(STDERR_FILENO) == 1, range);
    Prepare(host, doc, 0, parsed.settings);
    CInterruptGuard guard;
    if (RunWorker(host)) {
        return kExitInterrupted;
    }
    return ExitStatusOf(host.m_eOutcome);
}

int CTransferCommand::RunUpload(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err) {
    CArguments parsed;
    if (!ParseArguments(args, "upload", parsed, err)) {
        return kExitUsage;
    }
    // Refuse a file that cannot be written before the device is asked for
    // minutes of data.
    namespace fs = std::filesystem;
    const fs::path target(parsed.strFile);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Refused before the transfer, so that no device is read for nothing.
    std::error_code ec;
    std::string reason;
    if (fs::is_directory(target, ec)) {
        reason = std::strerror(EISDIR);
    } else if (!fs::is_directory(folder, ec)) {
        reason = "there is no folder " + folder.string();
    } else if (access(folder.c_str(), W_OK) != 0) {
        reason = std::strerror(errno);
    }
    if (!reason.empty()) {
        err << "tovrik-cli upload: Cannot write " << parsed.strFile << ": " << reason << ".\n";
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    CSerialPort port;
    CCliTransferHost host(port, out, err, isatty(STDERR_FILENO) == 1, kConfigImageBytes);
    Prepare(host, doc, 1, parsed.settings);
    host.BeginUpload();
    CInterruptGuard guard;
    if (RunWorker(host)) {
        return kExitInterrupted;
    }
    if (host.m_eOutcome != ETransferOutcome::Finished) {
        return kExitFailed;
    }
    std::string error;
    if (!doc.OnSaveDocument(parsed.strFile, error)) {
        err << "tovrik-cli upload: " << error << '\n';
        return kExitUsage;  // the transfer finished; the file could not be written
    }
    return kExitFinished;
}
