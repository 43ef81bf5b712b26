#include "cli/CCliTransferHost.h"

CCliTransferHost::CCliTransferHost(ISerialPort& port, std::ostream& out, std::ostream& err,
                                   bool bShowProgress, int nProgressRange)
    : CTransferHost(port),
      m_out(out),
      m_err(err),
      m_bShowProgress(bShowProgress),
      m_nProgressRange(nProgressRange) {
    m_strTitle = "tovrik-cli";
}

CCliTransferHost::~CCliTransferHost() {
    StopWorker();
}

void CCliTransferHost::AddStatus(const std::string& line) {
    PrintLine(m_out, line);
}

// The command line's list only grows at its end, so an inserted line is
// simply the next one printed.
void CCliTransferHost::InsertStatus(int, const std::string& line) {
    PrintLine(m_out, line);
}

void CCliTransferHost::ShowMessageBox(const std::string& text, const std::string& caption) {
    std::string body = text;
    while (!body.empty() && body.back() == '\n') {
        body.pop_back();
    }
    PrintLine(m_err, caption + ": " + body);
}

void CCliTransferHost::SetProgressPos(int pos) {
    std::lock_guard lock(m_mutex);
    m_nProgress = pos;
}

void CCliTransferHost::StepProgress() {
    if (!m_bShowProgress) {
        return;
    }
    std::lock_guard lock(m_mutex);
    ++m_nProgress;
    // A terminal redraw per byte would slow the transfer down; a few a second
    // are enough to see it move.
    const auto now = std::chrono::steady_clock::now();
    if (now - m_lastShown < std::chrono::milliseconds(100)) {
        return;
    }
    m_lastShown = now;
    m_err << "\r" << m_nProgress << " of " << m_nProgressRange << " bytes" << std::flush;
    m_bProgressShown = true;
}

void CCliTransferHost::ClearProgress() {
    std::lock_guard lock(m_mutex);
    ClearProgressLocked();
}

void CCliTransferHost::ClearProgressLocked() {
    if (m_bProgressShown) {
        m_err << "\r\033[K" << std::flush;
        m_bProgressShown = false;
    }
}

void CCliTransferHost::PrintLine(std::ostream& stream, const std::string& line) {
    std::lock_guard lock(m_mutex);
    ClearProgressLocked();
    stream << line << '\n' << std::flush;
}
