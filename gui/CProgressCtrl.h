#pragma once

#include <QProgressBar>

// A progress bar that counts like the transfer needs it: any range from 0
// (including an empty one), a step, and stepping past the end starts the bar
// again from its beginning. The position is kept here; the bar only shows it.
class CProgressCtrl : public QProgressBar {
    Q_OBJECT
public:
    explicit CProgressCtrl(QWidget* parent = nullptr);

    void SetRange32(int nLower, int nUpper);
    void SetStep(int nStep) { m_nStep = nStep; }
    // Clamped to the range.
    void SetPos(int nPos);
    // nCount steps at once, exactly as nCount single steps would move it.
    void StepIt(int nCount = 1);

    int GetPos() const { return m_nPos; }
    int GetUpper() const { return m_nUpper; }

private:
    void Show();

    int m_nLower = 0;
    int m_nUpper = 100;
    int m_nStep = 10;
    int m_nPos = 0;
};
