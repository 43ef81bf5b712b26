#include "tests/support/CFakeTransferDialog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>

namespace {

using Clock = std::chrono::steady_clock;

// A condition that no call signals (a worker's flag) is looked at this often.
constexpr auto kLookAgain = std::chrono::milliseconds(2);

}  // namespace

CFakeTransferDialog::~CFakeTransferDialog() {
    // Posted calls go with the window; nobody may still wait for one.
    const std::lock_guard lock(m_mutex);
    for (const CCall& call : m_calls) {
        EXPECT_EQ(call.pDone, nullptr) << "a thread still waits for the dialog";
    }
}

void CFakeTransferDialog::InsertStatusLine(int index, const std::string& line) {
    const auto at =
        std::clamp<std::size_t>(static_cast<std::size_t>(std::max(index, 0)), 0, m_status.size());
    m_status.insert(m_status.begin() + static_cast<std::ptrdiff_t>(at), line);
}

void CFakeTransferDialog::SetProgressRange(int upper) {
    m_nProgressUpper = upper;
    m_nProgressPos = std::clamp(m_nProgressPos, 0, upper);
}

void CFakeTransferDialog::SetProgressPos(int pos) {
    m_nProgressPos = std::clamp(pos, 0, m_nProgressUpper);
}

void CFakeTransferDialog::StepProgress(int steps) {
    const long long moved = static_cast<long long>(m_nProgressPos) + steps;
    if (moved > m_nProgressUpper) {
        m_bProgressWrapped = true;
    }
    m_nProgressPos = static_cast<int>(moved % (m_nProgressUpper + 1LL));
}

void CFakeTransferDialog::ShowPorts(const std::vector<CPortEntry>& entries, int selected) {
    m_ports = entries;
    m_nPortRow = selected;
}

void CFakeTransferDialog::ShowBaudRates(const std::vector<std::string>& rates, int selected) {
    m_baudRates = rates;
    m_nBaudRow = selected;
}

std::vector<std::string> CFakeTransferDialog::PortTexts() const {
    std::vector<std::string> texts;
    for (const CPortEntry& entry : m_ports) {
        texts.push_back(entry.strText);
    }
    texts.emplace_back(CPortListModel::kOther);
    return texts;
}

std::string CFakeTransferDialog::ShownPort() const {
    return m_nPortRow >= 0 && m_nPortRow < static_cast<int>(m_ports.size())
               ? m_ports[static_cast<std::size_t>(m_nPortRow)].strShort
               : std::string();
}

void CFakeTransferDialog::Invoke(const std::function<void()>& call) {
    if (std::this_thread::get_id() == m_uiThread) {
        call();
        return;
    }
    HandOver([&call] { call(); }, true);
}

void CFakeTransferDialog::Post(std::function<void()> call) {
    HandOver(std::move(call), m_bServePostsAtOnce && std::this_thread::get_id() != m_uiThread);
}

void CFakeTransferDialog::HandOver(std::function<void()> call, bool bWait) {
    bool bDone = false;
    std::unique_lock lock(m_mutex);
    m_calls.push_back({std::move(call), bWait ? &bDone : nullptr});
    m_queued.notify_all();
    if (bWait) {
        m_served.wait(lock, [&] { return bDone; });
    }
}

bool CFakeTransferDialog::Idle() {
    const std::lock_guard lock(m_mutex);
    return m_calls.empty();
}

void CFakeTransferDialog::ServeFor(int ms) {
    m_nServedMs += ms;
    ServeUntil([] { return false; }, ms);
}

bool CFakeTransferDialog::ServeUntil(const std::function<bool()>& done, int timeoutMs) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (done()) {
            return true;
        }
        if (Clock::now() >= deadline) {
            return false;
        }
        std::unique_lock lock(m_mutex);
        if (m_calls.empty()) {
            m_queued.wait_until(lock, std::min(deadline, Clock::now() + kLookAgain));
            continue;
        }
        CCall call = std::move(m_calls.front());
        m_calls.pop_front();
        lock.unlock();
        call.call();
        if (call.pDone != nullptr) {
            lock.lock();
            *call.pDone = true;
            m_served.notify_all();
        }
    }
}
