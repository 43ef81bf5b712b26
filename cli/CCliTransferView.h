#pragma once

#include "core/transfer/CTransferView.h"

#include <chrono>
#include <mutex>
#include <ostream>

// The transfer dialog of the command line: status lines go to `out` as they
// come, message boxes to `err` as "caption: text", and a byte counter to `err`
// only when it is a terminal.
class CCliTransferView : public CTransferView {
public:
    CCliTransferView(std::ostream& out, std::ostream& err, bool bShowProgress, int nProgressRange);

    void AddStatus(const std::string& line) override;
    void InsertStatus(int index, const std::string& line) override;
    void SetProgressPos(int pos) override;
    void StepProgress() override;
    void ShowMessageBox(const std::string& text, const std::string& caption) override;
    void PostTransferStep() override { StepProgress(); }
    void PortNotOpened(const CPortChoice& port, std::error_code error) override;

    // Removes the byte counter from the terminal line.
    void ClearProgress();

private:
    void PrintLine(std::ostream& stream, const std::string& line);
    void ClearProgressLocked();

    std::mutex m_mutex;
    std::ostream& m_out;
    std::ostream& m_err;
    const bool m_bShowProgress;
    const int m_nProgressRange;
    int m_nProgress = 0;
    bool m_bProgressShown = false;
    std::chrono::steady_clock::time_point m_lastShown;
};
