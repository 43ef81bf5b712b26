#include "app/CTransferPresenter.h"

#include "app/CErrorText.h"
#include "app/IPrompter.h"
#include "app/ITransferDialog.h"
#include "core/data/CConfigCheck.h"
#include "core/data/CRecordList.h"
#include "core/serial/ISerialPort.h"
#include "core/transfer/TransferProtocol.h"
#include "platform/common/ETovrikError.h"
#include "settings/CSystemContext.h"
#include "settings/CTransferSettings.h"

#include <algorithm>
#include <cstdlib>

namespace {

constexpr int kRestartWaitMs = 10;  // a start waits this often for the last worker's end
constexpr const char* kMissingText = " is missing: plug it in or choose another port.";
constexpr const char* kNotSentText = "Download cancelled: nothing was sent.";
constexpr const char* kNotUploadedText = "Upload cancelled: the configuration in memory is kept.";
constexpr const char* kCompareCaption = " - Compare with Device";

std::string CountText(int nTotal) {
    return std::to_string(nTotal) + " of " + std::to_string(CONFIG_IMAGE_BYTES);
}

int ReadBaud(const std::string& text) {
    return static_cast<int>(std::strtod(text.c_str(), nullptr));
}

std::vector<std::string> BaudTexts() {
    std::vector<std::string> texts;
    for (const int baud : CTransferSettings::kBaudRates) {
        texts.push_back(std::to_string(baud));
    }
    return texts;
}

// The bytes a download sends: every line the configuration holds.
int BytesToSend(const CQARNCfgDoc& doc) {
    long long total = static_cast<long long>(doc.m_pHeader->GetLine().size()) +
                      static_cast<long long>(doc.m_pEndRecord->GetLine().size());
    for (const auto& record : g_recordList) {
        total += static_cast<long long>(record->GetLine().size());
    }
    return static_cast<int>(std::min<long long>(total, CONFIG_IMAGE_BYTES * 64LL));
}

}  // namespace

CTransferPresenter::CTransferPresenter(ITransferDialog& dialog, IPrompter& prompter,
                                       CSystemContext& context, ISerialPort& port)
    : m_dialog(dialog),
      m_prompter(prompter),
      m_context(context),
      m_port(port),
      m_session(*this, port) {}

CTransferPresenter::~CTransferPresenter() {
    if (m_session.IsRunning()) {
        m_session.RequestAbort();
        WaitForWorker(kRestartWaitMs, false);
    }
    m_session.EndSession();
}

// -- the dialog ---------------------------------------------------------------

void CTransferPresenter::OnInitDialog(CQARNCfgDoc& doc, ETransferMode eMode, bool bCompare) {
    m_pDoc = &doc;
    m_request.eMode = bCompare ? ETransferMode::Upload : eMode;
    m_request.bKeepDocument = bCompare;
    m_bClosing = false;
    m_strCaption = std::string(kCaption) + (bCompare ? kCompareCaption : "");
    m_dialog.SetCaption(m_strCaption);
    m_dialog.SetByteCount({});
    if (eMode == ETransferMode::Download) {
        m_nProgressUpper = doc.m_nFileSize;
        m_dialog.AddStatusLine("Ready to Download.");
    } else {
        m_nProgressUpper = CONFIG_IMAGE_BYTES;
        m_dialog.AddStatusLine(bCompare
                                   ? "Ready to read the device's configuration for the compare."
                                   : "Ready to Upload.");
    }
    m_dialog.SetProgressRange(m_nProgressUpper);
    m_dialog.SetProgressPos(0);

    // A stored index that names no entry would leave a list blank and the
    // port or baud rate 0; the settings give the default for it.
    const CTransferSettings settings =
        CTransferSettings::Load(m_context.Profile(), m_context.Ports());
    doc.m_nBaudIndex = settings.m_nBaudIndex;
    m_dialog.ShowBaudRates(BaudTexts(), settings.m_nBaudIndex);
    m_request.nBaudRate = GetSelectedBaud();

    // A port chosen among those found, or typed, is remembered beside "CPSEL";
    // when it is gone it stays chosen, shown as missing, so that no other
    // device is ever talked to without being chosen.
    doc.m_nPortIndex = settings.m_nPortIndex;
    m_request.port = settings.m_port;
    ShowPortList();
    if (!m_request.port.IsCom() && !m_entries[m_nPortRow].info.bPresent) {
        m_dialog.AddStatusLine(m_request.port.DevicePath() + kMissingText);
    }

    SetTransferControlsEnabled(true);
    ShowByteCount(0);
}

int CTransferPresenter::GetSelectedBaud() const {
    const int index = m_pDoc->m_nBaudIndex;
    return index >= 0 && index < CTransferSettings::kBaudCount
               ? ReadBaud(std::to_string(CTransferSettings::kBaudRates[index]))
               : 0;
}

void CTransferPresenter::OnStartTransfer() {
    if (m_bClosing) {
        return;
    }
    // The last worker enables this button just before it lets go of the port;
    // a new one starts only once the old one has ended and its end is handled.
    WaitForWorker(kRestartWaitMs, false);
    OnTransferEnded();
    m_request.strTitle = m_strCaption;
    m_compared.reset();
    if (m_request.eMode == ETransferMode::Download) {
        if (g_recordList.IsEmpty()) {
            Tell(TransferProtocol::kNoDataText, TransferProtocol::kNoDataCaption,
                 EBoxIcon::Warning);
            NotStarted(kNotSentText);
            return;
        }
        if (!ConfirmDownload()) {
            NotStarted(kNotSentText);
            return;
        }
        m_dialog.SetCaption(m_strCaption + " - DownLoading");
        // The bar fills with the bytes that go out, whatever the file held.
        m_nProgressUpper = BytesToSend(*m_pDoc);
    } else {
        m_dialog.SetCaption(m_strCaption + " - Uploading");
    }
    m_dialog.SetProgressRange(m_nProgressUpper);
    SetTransferControlsEnabled(false);
    m_dialog.ClearStatusLines();
    m_bEndPending = true;
    ++m_nTransfer;
    if (m_session.Start(*m_pDoc, m_request)) {
        return;
    }
    m_bEndPending = false;
    m_dialog.SetCaption(m_strCaption);
    SetTransferControlsEnabled(true);
    NotStarted("Cannot start the transfer: the system refused a new thread.");
}

bool CTransferPresenter::ConfirmDownload() {
    const CConfigCheck check(*m_pDoc);
    if (check.IsWhole()) {
        return true;
    }
    std::vector<CConfigFinding> findings = check.Problems();
    findings.insert(findings.end(), check.Warnings().begin(), check.Warnings().end());
    return m_prompter.Show(CMessageBox::AskYesNo(TransferProtocol::kNoDataCaption,
                                                 "This configuration is not complete (" +
                                                     CConfigCheck::ReasonList(findings) +
                                                     "). Download it anyway?")) == EAnswer::Yes;
}

void CTransferPresenter::NotStarted(const std::string& line) {
    m_dialog.AddStatusLine(line);
    m_dialog.SetByteCount({});
    m_dialog.FocusExit();
}

void CTransferPresenter::SetTransferControlsEnabled(bool bEnabled) {
    m_dialog.EnableControls({bEnabled, bEnabled, bEnabled, bEnabled});
}

// -- the port and baud lists ----------------------------------------------------

void CTransferPresenter::ShowPortList() {
    m_entries = CPortListModel::Build(m_context, m_request.port, m_nPortRow);
    m_dialog.ShowPorts(m_entries, m_nPortRow);
}

void CTransferPresenter::OnPortListOpening() {
    ShowPortList();
}

void CTransferPresenter::OnSelchangePort(int row) {
    m_port.Close();
    if (row < 0 || row >= static_cast<int>(m_entries.size())) {
        OnOtherPort();
        return;
    }
    ChoosePort(m_entries[row].choice, m_entries[row].info);
}

void CTransferPresenter::OnOtherPort() {
    CPortChoice typed;
    const std::string text = m_prompter.AskText(
        "Other port", "Device path of the serial port:", m_context.Discovery().PathOfBareName(""));
    if (!CPortChoice::Parse(text, m_context.Ports(), m_context.Discovery(), typed)) {
        m_dialog.ShowPorts(m_entries, m_nPortRow);
        return;
    }
    ChoosePort(typed, m_context.Discovery().Inspect(typed.DevicePath()));
}

void CTransferPresenter::ChoosePort(const CPortChoice& port, const CSerialPortInfo& info) {
    if (info.bConsole) {
        const std::error_code console = ETovrikError::SystemConsole;
        m_dialog.AddStatusLine("Cannot use " + port.Describe() + ": " + console.message() + ".");
        m_dialog.ShowPorts(m_entries, m_nPortRow);
        return;
    }
    m_request.port = port;
    if (port.IsCom()) {
        m_pDoc->m_nPortIndex = port.ComNumber() - 1;
    }
    if (const std::error_code error = CTransferSettings::SavePort(m_context.Profile(), port)) {
        m_dialog.AddStatusLine("Cannot remember the port: " + error.message() + ".");
    }
    // A typed port that is not listed yet gets its own entry.
    const bool bListed = std::any_of(m_entries.begin(), m_entries.end(),
                                     [&](const CPortEntry& entry) { return entry.choice == port; });
    if (bListed) {
        m_nPortRow = static_cast<int>(
            std::find_if(m_entries.begin(), m_entries.end(),
                         [&](const CPortEntry& entry) { return entry.choice == port; }) -
            m_entries.begin());
        m_dialog.ShowPorts(m_entries, m_nPortRow);
    } else {
        ShowPortList();
    }
    if (!info.bPresent) {
        m_dialog.AddStatusLine(port.Describe() + kMissingText);
    } else if (!info.bAccessible) {
        m_dialog.AddStatusLine("Cannot use " + port.Describe() + ": " + info.strNoAccess);
    }
}

void CTransferPresenter::OnSelchangeBaudrate(int row) {
    if (row < 0 || row >= CTransferSettings::kBaudCount) {
        return;
    }
    m_request.nBaudRate = ReadBaud(std::to_string(CTransferSettings::kBaudRates[row]));
    m_pDoc->m_nBaudIndex = row;
    if (const std::error_code error = CTransferSettings::SaveBaudIndex(m_context.Profile(), row)) {
        m_dialog.AddStatusLine("Cannot remember the baud rate: " + error.message() + ".");
    }
}

// -- closing ------------------------------------------------------------------

bool CTransferPresenter::BeginClosing(bool& bWasRunning, bool& bAborts) {
    if (m_bClosing) {
        return false;
    }
    m_bClosing = true;
    bWasRunning = m_session.IsRunning();
    // A download that has sent its end line has finished: closing then only
    // shortens its last wait, and aborts nothing.
    bAborts = m_session.RequestAbort() && bWasRunning;
    return true;
}

void CTransferPresenter::OnOK() {
    bool bWasRunning = false;
    bool bAborts = false;
    if (!BeginClosing(bWasRunning, bAborts)) {
        return;
    }
    if (bWasRunning) {
        WaitForWorker(kCloseWaitMs, true);
    }
    EndDialog();
}

void CTransferPresenter::OnCancel() {
    bool bWasRunning = false;
    bool bAborts = false;
    if (!BeginClosing(bWasRunning, bAborts)) {
        return;
    }
    const bool bUpload = m_request.eMode == ETransferMode::Upload;
    if (bAborts) {
        Tell(bUpload ? TransferProtocol::kUploadCancelledText
                     : TransferProtocol::kDownloadCancelledText,
             TransferProtocol::kCancelledCaption);
    }
    WaitForWorker(kCloseWaitMs, true);
    // A download whose end line went out has reached the device whole: the
    // user must still be told to power-cycle it, before the dialog goes.
    if (bWasRunning && !bAborts && !bUpload) {
        Tell(TransferProtocol::kPowerCycleText, TransferProtocol::kCancelledCaption);
    }
    EndDialog();
}

void CTransferPresenter::WaitForWorker(int nStepMs, bool bAtLeastOnce) {
    // The worker's calls wait for the interface thread, so the wait must keep
    // serving them, or neither thread could move on.
    for (bool bFirst = bAtLeastOnce; bFirst || m_session.IsRunning(); bFirst = false) {
        m_dialog.ServeFor(nStepMs);
    }
}

void CTransferPresenter::EndDialog() {
    // An end the worker posted but that was not handled yet asks its question
    // before the dialog goes.
    OnTransferEnded();
    // Puts back the configuration of an upload that did not reach its end.
    m_session.EndSession();
    m_dialog.EndDialog();
}

void CTransferPresenter::Tell(const std::string& text, const std::string& caption, EBoxIcon eIcon) {
    m_prompter.Show(CMessageBox::Tell(eIcon, caption, text));
}

// -- the end of a transfer ----------------------------------------------------

void CTransferPresenter::OnTransferEnded(bool bWorkerDone) {
    if (!m_bEndPending || (!bWorkerDone && m_session.IsRunning())) {
        return;
    }
    m_bEndPending = false;
    switch (m_session.Outcome()) {
        case ETransferOutcome::Finished:
            // A finished transfer shows a full bar.
            FlushSteps();
            m_dialog.SetProgressPos(m_nProgressUpper);
            if (m_request.bKeepDocument) {
                OnCompareRead();
            }
            break;
        case ETransferOutcome::Damaged:
        case ETransferOutcome::Incomplete:
            if (m_request.bKeepDocument) {
                OnCompareRead();
            } else {
                AskToKeepReceived();
            }
            break;
        case ETransferOutcome::PortNotOpened:
            // Nothing was transferred: no count of an earlier transfer stays.
            m_dialog.SetByteCount({});
            m_dialog.FocusExit();
            break;
        default:
            break;
    }
}

void CTransferPresenter::AskToKeepReceived() {
    const std::optional<CConfigCheck>& check = m_session.ReceivedCheck();
    if (!check || !m_session.HasReceived()) {
        return;
    }
    std::vector<CConfigFinding> findings = check->Problems();
    findings.insert(findings.end(), check->Warnings().begin(), check->Warnings().end());
    const CMessageBox box = CMessageBox::AskYesNo(
        m_strCaption, "The configuration received is not complete (" +
                          CConfigCheck::ReasonList(findings) + "). Keep it anyway?");
    if (m_prompter.Show(box) == EAnswer::Yes) {
        m_session.KeepReceived();
        m_dialog.AddStatusLine("The configuration received is kept, marked as not complete.");
    } else {
        m_dialog.AddStatusLine(kNotUploadedText);
        m_dialog.FocusExit();
    }
}

void CTransferPresenter::OnCompareRead() {
    if (m_session.Outcome() != ETransferOutcome::Finished) {
        // Bytes that did not arrive whole would show as differences that the
        // device does not hold.
        m_compared.reset();
        m_dialog.AddStatusLine("The device's answer is not whole: nothing was compared.");
        m_dialog.FocusExit();
        return;
    }
    m_compared.emplace(*m_pDoc, m_session.Received(), CCompareReport::kDeviceName);
    m_dialog.AddStatusLine("Compared with the configuration in memory: " + m_compared->Verdict() +
                           ". Exit shows the report.");
    m_dialog.FocusExit();
}

// -- calls from the worker ----------------------------------------------------

void CTransferPresenter::AddStatus(const std::string& line) {
    m_dialog.Invoke([&] {
        FlushSteps();
        m_dialog.AddStatusLine(line);
    });
}

void CTransferPresenter::InsertStatus(int index, const std::string& line) {
    m_dialog.Invoke([&] {
        FlushSteps();
        m_dialog.InsertStatusLine(index, line);
    });
}

void CTransferPresenter::SetProgressPos(int pos) {
    m_dialog.Invoke([&] {
        FlushSteps();
        m_dialog.SetProgressPos(pos);
    });
}

void CTransferPresenter::StepProgress() {
    QueueStep();
}

void CTransferPresenter::UpdateByteCount(int nTotal) {
    m_dialog.Invoke([&] {
        FlushSteps();
        ShowByteCount(nTotal);
    });
}

void CTransferPresenter::EnableControls() {
    m_dialog.Invoke([&] {
        FlushSteps();
        SetTransferControlsEnabled(true);
    });
}

void CTransferPresenter::SetCaption(const std::string& caption) {
    m_dialog.Invoke([&] {
        FlushSteps();
        m_strCaption = caption;
        m_dialog.SetCaption(caption);
    });
}

void CTransferPresenter::ShowMessageBox(const std::string& text, const std::string& caption) {
    m_dialog.Invoke([&] {
        FlushSteps();
        m_prompter.Show(CMessageBox::Tell(EBoxIcon::None, caption, text));
    });
}

void CTransferPresenter::PortNotOpened(const CPortChoice& port, std::error_code error) {
    m_dialog.Invoke([&] {
        FlushSteps();
        for (const std::string& line : CErrorText::PortNotOpened(port, error)) {
            m_dialog.AddStatusLine(line);
        }
    });
}

void CTransferPresenter::PostTransferStep() {
    QueueStep();
}

void CTransferPresenter::PostTransferCount() {
    m_dialog.PostReport(EPostedReport::Count, [this] {
        FlushSteps();
        ShowByteCount(m_session.Total());
    });
}

void CTransferPresenter::PostTransferDone() {
    m_dialog.PostReport(EPostedReport::Done, [this] {
        FlushSteps();
        m_dialog.SetProgressPos(m_nProgressUpper);
    });
}

void CTransferPresenter::PostTransferEnded() {
    // Posted just before the worker's flag falls, so the call may run while it
    // is still up: the worker has done all it will, and its end is handled,
    // unless a later transfer has started by then.
    const unsigned nTransfer = m_nTransfer;
    m_dialog.Post([this, nTransfer] {
        if (nTransfer == m_nTransfer) {
            OnTransferEnded(true);
        }
    });
}

void CTransferPresenter::ShowByteCount(int nTotal) {
    m_dialog.SetByteCount(CountText(nTotal));
}

void CTransferPresenter::QueueStep() {
    if (m_nPendingSteps.fetch_add(1) == 0) {
        m_dialog.PostReport(EPostedReport::Step, [this] { FlushSteps(); });
    }
}

void CTransferPresenter::FlushSteps() {
    if (const int n = m_nPendingSteps.exchange(0); n > 0) {
        m_dialog.StepProgress(n);
    }
}
