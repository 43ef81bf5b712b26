#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help > About: the program's icon, name and version, and an OK button.
class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDlg(QWidget* parent = nullptr);

    QLabel* GetIconLabel() const { return m_pIcon; }
    QLabel* GetTitleLabel() const { return m_pTitle; }
    QLabel* GetVersionLabel() const { return m_pVersion; }
    QPushButton* GetOkButton() const { return m_pOk; }

private:
    QLabel* m_pIcon;
    QLabel* m_pTitle;
    QLabel* m_pVersion;
    QPushButton* m_pOk;
};
