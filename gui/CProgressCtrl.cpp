#include "gui/CProgressCtrl.h"

#include <algorithm>

CProgressCtrl::CProgressCtrl(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
    Show();
}

void CProgressCtrl::SetRange32(int nLower, int nUpper) {
    m_nLower = nLower;
    m_nUpper = std::max(nLower, nUpper);
    m_nPos = std::clamp(m_nPos, m_nLower, m_nUpper);
    Show();
}

void CProgressCtrl::SetPos(int nPos) {
    m_nPos = std::clamp(nPos, m_nLower, m_nUpper);
    Show();
}

void CProgressCtrl::StepIt(int nCount) {
    // Each step past the upper end wraps to the lower end, so the position
    // moves on a ring of (upper - lower + 1) places.
    const long long span = static_cast<long long>(m_nUpper) - m_nLower + 1;
    const long long moved =
        static_cast<long long>(m_nPos) - m_nLower + static_cast<long long>(m_nStep) * nCount;
    long long offset = moved % span;
    if (offset < 0) {
        offset += span;
    }
    m_nPos = static_cast<int>(m_nLower + offset);
    Show();
}

void CProgressCtrl::Show() {
    // QProgressBar turns an empty range into a busy indicator; an empty range
    // here means nothing to show yet.
    const bool empty = m_nUpper == m_nLower;
    const int lower = empty ? 0 : m_nLower;
    const int upper = empty ? 1 : m_nUpper;
    if (minimum() != lower || maximum() != upper) {
        setRange(lower, upper);
    }
    setValue(empty ? 0 : m_nPos);
}
