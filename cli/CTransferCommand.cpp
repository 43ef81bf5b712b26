#include "cli/CTransferCommand.h"

#include "cli/CCheckReport.h"
#include "cli/CCliCommand.h"
#include "cli/CCliTransferView.h"
#include "cli/CTransferOptions.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "platform/CFileAccess.h"
#include "platform/CInterruptGuard.h"
#include "platform/CTerminal.h"
#include "serial/CSerialPort.h"
#include "transfer/CTransferSession.h"
#include "transfer/TransferProtocol.h"

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

struct CArguments {
    std::string strFile;
    CTransferOptions settings;
};

bool ParseArguments(const std::vector<std::string>& args, const char* command, CArguments& parsed,
                    std::ostream& err) {
    parsed.settings = CTransferOptions::FromProfile();
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

// Runs the worker to its end. An interrupt acts as the dialog's Cancel: it
// asks the worker to stop, says so, and waits for it. True when interrupted.
bool RunWorker(CTransferSession& session, CCliTransferView& view) {
    if (!session.StartWorker()) {
        view.ShowMessageBox("Cannot start the transfer: the system refused a new thread.", "Error");
        return false;
    }
    bool asked = false;
    bool interrupted = false;
    while (session.m_bRunning) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (CInterruptGuard::Caught() == 0 || asked) {
            continue;
        }
        asked = true;
        // After its end line a download has finished; the interrupt then only
        // shortens its last wait.
        interrupted = session.RequestAbort();
        if (interrupted) {
            view.ShowMessageBox(session.m_nMode == ETransferMode::Upload
                                    ? TransferProtocol::kUploadCancelledText
                                    : TransferProtocol::kDownloadCancelledText,
                                TransferProtocol::kCancelledCaption);
        }
    }
    session.EndSession();
    view.ClearProgress();
    return interrupted;
}

int ExitStatusOf(ETransferOutcome outcome) {
    return outcome == ETransferOutcome::Finished ? kExitSuccess : kExitFailed;
}

void Prepare(CTransferSession& session, CQARNCfgDoc& doc, ETransferMode nMode,
             const CTransferOptions& options) {
    session.m_pDoc = &doc;
    session.m_nMode = nMode;
    session.m_nPort = options.m_nPort;
    session.m_strDevice = options.m_strDevice;
    session.m_nBaudRate = options.m_nBaudRate;
    session.m_strTitle = "tovrik-cli";
    session.m_nTotal = 0;
}

}  // namespace

int CTransferCommand::RunDownload(const std::vector<std::string>& args, std::ostream& out,
                                  std::ostream& err) {
    std::vector<std::string> rest = args;
    const bool bForce = CCheckReport::TakeForce(rest);
    CArguments parsed;
    if (!ParseArguments(rest, "download", parsed, err)) {
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(parsed.strFile)) {
        err << "tovrik-cli download: " << CDocument::OpenErrorMessage(parsed.strFile, error)
            << '\n';
        return kExitUsage;
    }
    if (g_recordList.IsEmpty()) {
        err << TransferProtocol::kNoDataCaption << ": " << TransferProtocol::kNoDataText << '\n';
        return kExitUsage;
    }
    if (!CCheckReport::MayDownload(doc, parsed.strFile, bForce, err)) {
        return kExitUsage;
    }
    CSerialPort port;
    const int range = doc.m_nFileSize != 0 ? doc.m_nFileSize : CONFIG_IMAGE_BYTES;
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), range);
    CTransferSession session(view, port);
    Prepare(session, doc, ETransferMode::Download, parsed.settings);
    const CInterruptGuard guard;
    if (RunWorker(session, view)) {
        return ExitStatusForSignal(CInterruptGuard::Caught());
    }
    return ExitStatusOf(session.m_eOutcome);
}

int CTransferCommand::RunUpload(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err) {
    std::vector<std::string> rest = args;
    const bool bForce = CCheckReport::TakeForce(rest);
    CArguments parsed;
    if (!ParseArguments(rest, "upload", parsed, err)) {
        return kExitUsage;
    }
    // Refuse a file that cannot be written before the device is asked for
    // minutes of data.
    namespace fs = std::filesystem;
    const fs::path target = Utf8Path(parsed.strFile);
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    // Refused before the transfer, so that no device is read for nothing.
    std::error_code ec;
    std::string reason;
    if (fs::is_directory(target, ec)) {
        reason = std::make_error_code(std::errc::is_a_directory).message();
    } else if (!fs::is_directory(folder, ec)) {
        reason = "there is no folder " + Utf8Name(folder);
    } else if (const std::error_code denied = CFileAccess::CheckWritableFolder(Utf8Name(folder))) {
        reason = denied.message();
    }
    if (!reason.empty()) {
        err << "tovrik-cli upload: Cannot write " << parsed.strFile << ": " << reason << ".\n";
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    CSerialPort port;
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), CONFIG_IMAGE_BYTES);
    CTransferSession session(view, port);
    Prepare(session, doc, ETransferMode::Upload, parsed.settings);
    session.BeginUpload();
    const CInterruptGuard guard;
    const bool interrupted = RunWorker(session, view);
    if (interrupted || session.m_eOutcome != ETransferOutcome::Finished) {
        // OUT is written only for a finished upload, unless --force asks for
        // what was received.
        if (bForce) {
            CCheckReport::SaveReceived(session, doc, parsed.strFile, err);
        }
        return interrupted ? ExitStatusForSignal(CInterruptGuard::Caught()) : kExitFailed;
    }
    if (const std::error_code error = doc.OnSaveDocument(parsed.strFile)) {
        err << "tovrik-cli upload: " << CDocument::SaveErrorMessage(parsed.strFile, error) << '\n';
        return kExitUsage;  // the transfer finished; the file could not be written
    }
    return kExitSuccess;
}
