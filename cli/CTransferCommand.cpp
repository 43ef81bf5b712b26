#include "cli/CTransferCommand.h"

#include "app/CErrorText.h"
#include "cli/CArgumentParser.h"
#include "cli/CCheckReport.h"
#include "cli/CCliCommand.h"
#include "cli/CCliTransferView.h"
#include "cli/CTransferOptions.h"
#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/serial/CSerialPort.h"
#include "core/transfer/CTransferSession.h"
#include "core/transfer/TransferProtocol.h"
#include "platform/common/CAtomicFile.h"
#include "platform/common/CInterruptGuard.h"
#include "platform/common/CTerminal.h"
#include "settings/CSystemContext.h"

#include <chrono>

namespace {

struct CArguments {
    std::string strFile;
    CTransferOptions settings;
    bool bForce = false;
};

bool ParseArguments(const CSystemContext& context, const std::vector<std::string>& args,
                    const char* command, CArguments& parsed, std::ostream& err) {
    parsed.settings = CTransferOptions::FromProfile(context);
    if (const std::string warning = context.Profile().GetWarning(); !warning.empty()) {
        err << "tovrik-cli: warning: " << warning << '\n';
    }
    CArgumentParser parser(command, "FILE.s19 [--port P] [--baud B] [--force]", 1);
    parser.AddFlag("--force", [&] { parsed.bForce = true; });
    parser.AddValue("--port", [&](const std::string& value, std::string& error) {
        return parsed.settings.SetPort(value, context, error);
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
bool RunWorker(CTransferSession& session, CQARNCfgDoc& doc, const CTransferRequest& request,
               CCliTransferView& view) {
    if (!session.Start(doc, request)) {
        view.ShowMessageBox("Cannot start the transfer: the system refused a new thread.", "Error");
        return false;
    }
    // How soon an interrupt is noticed while the worker runs.
    constexpr std::chrono::milliseconds kInterruptLook(20);
    bool asked = false;
    bool interrupted = false;
    while (!session.WaitForEnd(kInterruptLook)) {
        if (CInterruptGuard::Caught() == 0 || asked) {
            continue;
        }
        asked = true;
        // After its end line a download has finished; the interrupt then only
        // shortens its last wait.
        interrupted = session.RequestAbort();
        if (interrupted) {
            view.ShowMessageBox(request.eMode == ETransferMode::Upload
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

// The request of a transfer with these options; says on stderr what it takes
// from the profile.
CTransferRequest RequestOf(ETransferMode eMode, const CTransferOptions& options,
                           std::ostream& err) {
    if (const std::string note = options.ProfileNote(); !note.empty()) {
        err << "tovrik-cli: " << note << '\n';
    }
    CTransferRequest request;
    request.eMode = eMode;
    request.port = options.m_port;
    request.nBaudRate = options.m_nBaudRate;
    request.strTitle = "tovrik-cli";
    return request;
}

}  // namespace

int CTransferCommand::RunDownload(CSystemContext& context, const std::vector<std::string>& args,
                                  std::ostream& out, std::ostream& err) {
    CArguments parsed;
    if (!ParseArguments(context, args, "download", parsed, err)) {
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(parsed.strFile)) {
        err << "tovrik-cli download: " << CErrorText::OpenFailed(parsed.strFile, error) << '\n';
        return kExitUsage;
    }
    if (g_recordList.IsEmpty()) {
        err << TransferProtocol::kNoDataCaption << ": " << TransferProtocol::kNoDataText << '\n';
        return kExitUsage;
    }
    if (!CCheckReport::MayDownload(doc, parsed.strFile, parsed.bForce, err)) {
        return kExitUsage;
    }
    CSerialPort port(context.Paths());
    const int range = doc.m_nFileSize != 0 ? doc.m_nFileSize : CONFIG_IMAGE_BYTES;
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), range);
    CTransferSession session(view, port);
    const CTransferRequest request = RequestOf(ETransferMode::Download, parsed.settings, err);
    const CInterruptGuard guard;
    if (RunWorker(session, doc, request, view)) {
        return ExitStatusForSignal(CInterruptGuard::Caught());
    }
    return ExitStatusOf(session.Outcome());
}

int CTransferCommand::RunUpload(CSystemContext& context, const std::vector<std::string>& args,
                                std::ostream& out, std::ostream& err) {
    CArguments parsed;
    if (!ParseArguments(context, args, "upload", parsed, err)) {
        return kExitUsage;
    }
    // Refused before the device is asked for minutes of data that could not
    // be kept: OUT a folder, not a regular file, not writable, or in a folder
    // that is missing or not writable.
    if (const std::error_code error = CAtomicFile::CheckTarget(parsed.strFile)) {
        err << "tovrik-cli upload: " << CErrorText::SaveFailed(parsed.strFile, error) << '\n';
        return kExitUsage;
    }
    CQARNCfgDoc doc;
    CSerialPort port(context.Paths());
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), CONFIG_IMAGE_BYTES);
    CTransferSession session(view, port);
    const CTransferRequest request = RequestOf(ETransferMode::Upload, parsed.settings, err);
    const CInterruptGuard guard;
    const bool interrupted = RunWorker(session, doc, request, view);
    if (interrupted || session.Outcome() != ETransferOutcome::Finished) {
        // OUT is written only for a finished upload, unless --force asks for
        // what was received.
        if (!interrupted && session.ReceivedCheck()) {
            CCheckReport::ReportNotWhole(*session.ReceivedCheck(), parsed.strFile, parsed.bForce,
                                         err);
        }
        if (parsed.bForce) {
            CCheckReport::SaveReceived(session, doc, parsed.strFile, err);
        }
        return interrupted ? ExitStatusForSignal(CInterruptGuard::Caught()) : kExitFailed;
    }
    if (const std::error_code error = doc.OnSaveDocument(parsed.strFile)) {
        err << "tovrik-cli upload: " << CErrorText::SaveFailed(parsed.strFile, error) << '\n';
        return ExitStatusForSave(error);  // the transfer finished; the file could not be written
    }
    return kExitSuccess;
}

int CTransferCommand::ReadDevice(CSystemContext& context, const CTransferOptions& options,
                                 CConfiguration& received, std::ostream& out, std::ostream& err) {
    CQARNCfgDoc doc;
    CSerialPort port(context.Paths());
    CCliTransferView view(out, err, CTerminal::IsStandardErrorTerminal(), CONFIG_IMAGE_BYTES);
    CTransferSession session(view, port);
    CTransferRequest request = RequestOf(ETransferMode::Upload, options, err);
    request.bKeepDocument = true;
    const CInterruptGuard guard;
    if (RunWorker(session, doc, request, view)) {
        return ExitStatusForSignal(CInterruptGuard::Caught());
    }
    if (session.Outcome() != ETransferOutcome::Finished) {
        return kExitFailed;
    }
    received = session.TakeReceived();
    return kExitSuccess;
}
