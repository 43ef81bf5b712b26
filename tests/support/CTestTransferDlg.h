#pragma once

#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "gui/CTransferDlg.h"
#include "settings/CProfile.h"
#include "support/CTestConfig.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QSettings>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <memory>
#include <mutex>
#include <ostream>
#include <string>
#include <thread>
#include <vector>

// Readable failure messages for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* os) {
    *os << '"' << text.toStdString() << '"';
}

// The transfer dialog with its message boxes answered at once and recorded,
// and its handlers within reach of the tests.
class CTestTransferDlg : public CTransferDlg {
public:
    struct Box {
        QString text;
        QString caption;
        QMessageBox::Icon icon;
    };

    using CTransferDlg::OnCancel;
    using CTransferDlg::OnInitDialog;
    using CTransferDlg::OnOK;
    using CTransferDlg::OnStartTransfer;

    // What DoModal does before its modal loop.
    void Init(CQARNCfgDoc* pDoc, ETransferMode nMode) {
        m_session.m_pDoc = pDoc;
        m_session.m_nMode = nMode;
        OnInitDialog();
    }

    // Pauses short enough for a test, long enough to keep the order of events.
    void UseShortTiming() { m_session.m_timing = CTestConfig::Timing(); }

    QStringList StatusLines() const {
        QStringList lines;
        for (int i = 0; i < m_lbStatus->count(); ++i) {
            lines << m_lbStatus->item(i)->text();
        }
        return lines;
    }

    std::vector<Box> m_boxes;
    std::function<void()> m_onBox;
    // The answer to "Other…" in the port list; "" cancels. Counted in m_nAsked.
    QString m_strTypedPath;
    int m_nAsked = 0;
    QStringList m_questions;   // every Yes/No question asked
    bool m_bAnswerYes = true;  // how they are answered

    // -- helpers shared by the dialog tests ------------------------------------
    static QSettings Profile() {
        return QSettings(QSettings::NativeFormat, QSettings::UserScope, CProfile::kOrganization,
                         CProfile::kApplication);
    }

    static void ClearProfile() {
        QSettings settings = Profile();
        settings.remove(QStringLiteral("INITALISATION"));
        settings.sync();
    }

    // Runs the event loop until `done` holds or `timeoutMs` has passed.
    static bool ServeUntil(const std::function<bool()>& done, int timeoutMs) {
        QElapsedTimer timer;
        timer.start();
        while (!done()) {
            if (timer.elapsed() > timeoutMs) {
                return false;
            }
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }

    static void ServeFor(int ms) {
        ServeUntil([] { return false; }, ms);
    }

protected:
    QString AskDevicePath() override {
        ++m_nAsked;
        return m_strTypedPath;
    }

    void MessageBox(const QString& text, const QString& caption, QMessageBox::Icon icon) override {
        m_boxes.push_back({text, caption, icon});
        if (m_onBox) {
            m_onBox();
        }
    }
    bool AskYesNo(const QString& text, const QString& /*caption*/) override {
        m_questions << text;
        return m_bAnswerYes;
    }
};

// Ends the test program when a test hangs, so that a deadlock shows as a
// failure with a reason instead of a stuck run.
class CWatchdog {
public:
    explicit CWatchdog(int seconds) {
        m_thread = std::thread([this, seconds] {
            std::unique_lock lock(m_mutex);
            if (!m_cv.wait_for(lock, std::chrono::seconds(seconds), [this] { return m_bDone; })) {
                std::fprintf(stderr, "hung for %d s: the interface thread stopped serving\n",
                             seconds);
                std::_Exit(3);
            }
        });
    }
    ~CWatchdog() {
        {
            std::lock_guard lock(m_mutex);
            m_bDone = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDone = false;
    std::thread m_thread;
};
