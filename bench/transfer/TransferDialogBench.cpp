// The transfer dialog during a full download at the device's own pacing (about
// a minute), shown offscreen, over a pseudo-terminal drained at once.
//  - max_gap_ms: the longest time a posted event waited for the interface
//    thread. Goal: under 50 ms.
//  - ui_cpu_pct: the interface thread's CPU time as a share of the transfer
//    time. Goal: under 10%.
#include "app/IPrompter.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "gui/CProgressCtrl.h"
#include "gui/CTransferDlg.h"
#include "tests/support/CPtyDevice.h"
#include "tests/support/CTestContext.h"

#include <benchmark/benchmark.h>
#include <poll.h>
#include <unistd.h>

#include <QApplication>
#include <QEventLoop>
#include <QPushButton>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Nobody to answer: a box is printed, and a question gets its default.
class CPrintingPrompter : public IPrompter {
public:
    EAnswer Show(const CMessageBox& box) override {
        std::fprintf(stderr, "message box: %s\n", box.strText.c_str());
        return box.eDefault;
    }
    std::string ChooseFile(const CFileDialog&) override { return {}; }
    std::string AskText(const std::string&, const std::string&, const std::string&) override {
        return {};
    }
    void ShowReport(const CReportBox&) override {}
};

// Waits for the worker without blocking the event loop.
void WaitForEnd(CTransferDlg& dlg) {
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (!dlg.Presenter().Session().IsRunning()) {
            loop.quit();
        }
    });
    poll.start(50);
    loop.exec();
}

double ThreadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

// Posts a stamped event to the interface thread every few milliseconds and
// keeps the longest wait before one was handled.
class CLatencyProbe {
public:
    explicit CLatencyProbe(QObject* target) : m_target(target) {
        m_thread = std::thread([this] {
            while (!m_bStop) {
                const auto posted = Clock::now();
                QMetaObject::invokeMethod(
                    m_target,
                    [this, posted] {
                        const long us = std::chrono::duration_cast<std::chrono::microseconds>(
                                            Clock::now() - posted)
                                            .count();
                        if (us > m_nMaxUs) {
                            m_nMaxUs = us;
                        }
                    },
                    Qt::QueuedConnection);
                std::this_thread::sleep_for(std::chrono::milliseconds(5));
            }
        });
    }
    ~CLatencyProbe() { Stop(); }
    void Stop() {
        m_bStop = true;
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }
    double MaxMs() const { return static_cast<double>(m_nMaxUs.load()) / 1000.0; }

private:
    QObject* m_target;
    std::atomic<bool> m_bStop{false};
    std::atomic<long> m_nMaxUs{0};
    std::thread m_thread;
};

void BM_DialogDuringFullDownload(benchmark::State& state) {
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(TOVRIK_SAMPLE_CONFIG)) {
        state.SkipWithError(error.message().c_str());
        return;
    }
    for (auto _ : state) {
        CPtyDevice pty;  // drains the line as fast as bytes arrive
        if (!pty.Ok()) {
            state.SkipWithError(pty.Error().c_str());
            return;
        }

        CPrintingPrompter prompter;
        CSystemContext context = CTestContext::Make();
        context.Ports().SetDevice(1, pty.Path());
        CTransferDlg dlg(prompter, context);
        dlg.Presenter().OnInitDialog(doc, ETransferMode::Download);
        dlg.show();
        QCoreApplication::processEvents();
        CLatencyProbe probe(&dlg);
        const double cpuStart = ThreadCpuSeconds();
        const auto start = Clock::now();
        dlg.m_btnTransfer->click();
        WaitForEnd(dlg);
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double cpu = ThreadCpuSeconds() - cpuStart;
        probe.Stop();
        QCoreApplication::processEvents();

        state.SetIterationTime(seconds);
        state.counters["transfer_s"] = seconds;
        state.counters["max_gap_ms"] = probe.MaxMs();
        state.counters["ui_cpu_pct"] = cpu / seconds * 100.0;
        state.counters["bytes"] = dlg.Presenter().Session().Total();
        state.counters["bar_pos"] = dlg.m_progress->GetPos();
    }
}
BENCHMARK(BM_DialogDuringFullDownload)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
