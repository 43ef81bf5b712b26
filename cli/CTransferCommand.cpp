#include "cli/CTransferCommand.h"

#include "cli/CArgumentParser.h"
#include "cli/CCheckReport.h"
#include "cli/CCliCommand.h"
#include "cli/CCliTransferView.h"
#include "cli/CTransferOptions.h"
#include "data/CConfiguration.h"
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "platform/CAtomicFile.h"
#include "platform/CInterruptGuard.h"
#include "platform/CTerminal.h"
#include "serial/CSerialPort.h"
#include "settings/CProfile.h"
#include "transfer/CTransferSession.h"
#include "transfer/TransferProtocol.h"

#include <chrono>
#include <thread>

namespace {

struct CArguments {
    std::string strFile;
    CTransferOptions settings;
    bool bForce = false;
};

bool ParseArguments(const std::vector<std::string>& args, const char* command, CArguments& parsed,
                    std::ostream& err) {
    parsed.settings = CTransferOptions::FromProfile();
    if (const std::string warning = CProfile::GetWarning(); !warning.empty()) {
        err << "tovrik-cli: warning: " << warning << '\n';
    }
    CArgumentParser parser(command, "FILE.s19 [--port P] [--baud B] [--force]", 1);
    parser.AddFlag("--force", [&] { parsed.bForce = true; });
    parser.AddValue("--port", [&](const std::string& value, std::string& error) {
        return parsed.settings.SetPort(value, error);
    });
    parser.AddValue("--baud", [&](const std::string& value, std::string& error) {
        return parsed.settings.SetBaud(value, error);
    });
    std::vector<std::string> files;
    if (!parser.Parse(args, files, err)) {
        return false;
    }
    parsed.strFile = files.front();
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
             const CTransferOptions& options, std::ostream& err) {
    if (const std::string note = options.ProfileNote(); !note.empty()) {
        err << "tovrik-cli: " << note << '\n';
    }
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
    CArguments parsed;
    if (!ParseArguments(args, "download", parsed, err)) {
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
    if (!CCheckReport::MayDownload(doc, parsed.strFile, parsed.bForce, err)) {
        return kExitUsage;
    }
    CSerialPort port;
    const int range = doc.m_nFileSize != 0 ? doc.m_nFileSize : CONFIG_IMAGE_BYTES;
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), range);
    CTransferSession session(view, port);
    Prepare(session, doc, ETransferMode::Download, parsed.settings, err);
    const CInterruptGuard guard;
    if (RunWorker(session, view)) {
        return ExitStatusForSignal(CInterruptGuard::Caught());
    }
    return ExitStatusOf(session.m_eOutcome);
}

int CTransferCommand::RunUpload(const std::vector<std::string>& args, std::ostream& out,
                                std::ostream& err) {
    CArguments parsed;
    if (!ParseArguments(args, "upload", parsed, err)) {
        return kExitUsage;
    }
    // Refused before the device is asked for minutes of data that could not
    // be kept: OUT a folder, not a regular file, not writable, or in a folder
    // that is missing or not writable.
    if (const std::error_code error = CAtomicFile::CheckTarget(parsed.strFile)) {
        err << "tovrik-cli upload: " << CDocument::SaveErrorMessage(parsed.strFile, error) << '\n';
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    CSerialPort port;
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), CONFIG_IMAGE_BYTES);
    CTransferSession session(view, port);
    Prepare(session, doc, ETransferMode::Upload, parsed.settings, err);
    session.BeginUpload();
    const CInterruptGuard guard;
    const bool interrupted = RunWorker(session, view);
    if (interrupted || session.m_eOutcome != ETransferOutcome::Finished) {
        // OUT is written only for a finished upload, unless --force asks for
        // what was received.
        if (!interrupted && session.m_receivedCheck) {
            CCheckReport::ReportNotWhole(*session.m_receivedCheck, parsed.strFile, parsed.bForce,
                                         err);
        }
        if (parsed.bForce) {
            CCheckReport::SaveReceived(session, doc, parsed.strFile, err);
        }
        return interrupted ? ExitStatusForSignal(CInterruptGuard::Caught()) : kExitFailed;
    }
    if (const std::error_code error = doc.OnSaveDocument(parsed.strFile)) {
        err << "tovrik-cli upload: " << CDocument::SaveErrorMessage(parsed.strFile, error) << '\n';
        return ExitStatusForSave(error);  // the transfer finished; the file could not be written
    }
    return kExitSuccess;
}

int CTransferCommand::ReadDevice(const CTransferOptions& options, CConfiguration& received,
                                 std::ostream& out, std::ostream& err) {
    CQARNCfgDoc doc;
    CSerialPort port;
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), CONFIG_IMAGE_BYTES);
    CTransferSession session(view, port);
    Prepare(session, doc, ETransferMode::Upload, options, err);
    session.m_bKeepDocument = true;
    session.BeginUpload();
    const CInterruptGuard guard;
    if (RunWorker(session, view)) {
        return ExitStatusForSignal(CInterruptGuard::Caught());
    }
    if (session.m_eOutcome != ETransferOutcome::Finished) {
        return kExitFailed;
    }
    received = session.TakeReceived();
    return kExitSuccess;
}
