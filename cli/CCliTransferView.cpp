#include "cli/CCliTransferView.h"

#include "app/CErrorText.h"

CCliTransferView::CCliTransferView(std::ostream& out, std::ostream& err, bool bShowProgress,
                                   int nProgressRange)
    : m_out(out), m_err(err), m_bShowProgress(bShowProgress), m_nProgressRange(nProgressRange) {}

void CCliTransferView::AddStatus(const std::string& line) {
    PrintLine(m_out, line);
}

// The command line's list only grows at its end, so an inserted line is
// simply the next one printed.
void CCliTransferView::InsertStatus(int, const std::string& line) {
    PrintLine(m_out, line);
}

void CCliTransferView::ShowMessageBox(const std::string& text, const std::string& caption) {
    std::string body = text;
    while (!body.empty() && body.back() == '\n') {
        body.pop_back();
    }
    PrintLine(m_err, caption + ": " + body);
}

void CCliTransferView::SetProgressPos(int pos) {
    std::lock_guard lock(m_mutex);
    m_nProgress = pos;
}

void CCliTransferView::StepProgress() {
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

void CCliTransferView::ClearProgress() {
    std::lock_guard lock(m_mutex);
    ClearProgressLocked();
}

void CCliTransferView::ClearProgressLocked() {
    if (m_bProgressShown) {
        m_err << "\r\033[K" << std::flush;
        m_bProgressShown = false;
    }
}

void CCliTransferView::PrintLine(std::ostream& stream, const std::string& line) {
    std::lock_guard lock(m_mutex);
    ClearProgressLocked();
    stream << line << '\n' << std::flush;
}

void CCliTransferView::PortNotOpened(const CPortChoice& port, std::error_code error) {
    for (const std::string& line : CErrorText::PortNotOpened(port, error)) {
        AddStatus(line);
    }
}
