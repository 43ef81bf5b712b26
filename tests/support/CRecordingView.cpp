#include "support/CRecordingView.h"

#include "app/CErrorText.h"

#include <algorithm>

void CRecordingView::AddStatus(const std::string& line) {
    {
        std::lock_guard lock(m_mutex);
        m_status.push_back(line);
    }
    Record("status:" + line);
}

void CRecordingView::InsertStatus(int index, const std::string& line) {
    {
        std::lock_guard lock(m_mutex);
        const auto at = std::min<std::size_t>(static_cast<std::size_t>(index), m_status.size());
        m_status.insert(m_status.begin() + static_cast<std::ptrdiff_t>(at), line);
    }
    Record("insert:" + std::to_string(index) + ":" + line);
}

void CRecordingView::SetProgressPos(int pos) {
    Record("pos:" + std::to_string(pos));
}

void CRecordingView::UpdateByteCount(int nTotal) {
    Record("count:" + std::to_string(nTotal));
}

void CRecordingView::EnableControls() {
    Record("enable");
}

void CRecordingView::SetCaption(const std::string& caption) {
    Record("caption:" + caption);
}

void CRecordingView::ShowMessageBox(const std::string& text, const std::string& caption) {
    Record("box:" + caption + "|" + text);
}

// Shown as the dialog shows it: worded status lines.
void CRecordingView::PortNotOpened(const CPortChoice& port, std::error_code error) {
    for (const std::string& line : CErrorText::PortNotOpened(port, error)) {
        AddStatus(line);
    }
}

void CRecordingView::StepProgress() {
    const int n = ++m_nSteps;
    if (m_onStep) {
        m_onStep(n);
    }
}

void CRecordingView::PostTransferStep() {
    const int n = ++m_nPostedSteps;
    if (m_onPostedStep) {
        m_onPostedStep(n);
    }
}

void CRecordingView::PostTransferDone() {
    Record("done");
}

std::vector<std::string> CRecordingView::Log() const {
    std::lock_guard lock(m_mutex);
    return m_log;
}

std::vector<std::string> CRecordingView::StatusList() const {
    std::lock_guard lock(m_mutex);
    return m_status;
}

void CRecordingView::Record(const std::string& event) {
    {
        std::lock_guard lock(m_mutex);
        m_log.push_back(event);
    }
    if (m_onEvent) {
        m_onEvent(event);
    }
}
