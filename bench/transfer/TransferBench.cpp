// Full-size transfers at the device's own pacing (about a minute each):
//  - Download over a pseudo-terminal with a reader that drains it at once.
//    Goal: no more than 1% longer than the sum of the pauses it must keep.
//  - Upload from qarn-sim paced at 38400 baud. Goal: within the line time
//    (bytes x 10 / baud) + 1.6 s of request pauses + 1000 ms.
#include "data/CQARNCfgDoc.h"
#include "data/CRecordList.h"
#include "serial/CSerialPort.h"
#include "transfer/CTransferHost.h"

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// The interface of a dialog that is never slow: every update returns at once.
class CQuietHost : public CTransferHost {
public:
    using CTransferHost::CTransferHost;
    ~CQuietHost() override { StopWorker(); }
    void AddStatus(const std::string&) override {}
    void InsertStatus(int, const std::string&) override {}
    void SetProgressPos(int) override {}
    void StepProgress() override { ++m_nSteps; }
    void UpdateByteCount() override {}
    void EnableControls() override {}
    void SetCaption(const std::string&) override {}
    void ShowMessageBox(const std::string&, const std::string&) override {}
    void PostTransferStep() override { ++m_nSteps; }
    void PostTransferCount() override {}
    void PostTransferDone() override {}
    std::atomic<long> m_nSteps{0};
};

double RunToEnd(CTransferHost& host) {
    const auto start = Clock::now();
    host.StartWorker();
    while (host.m_bRunning) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    host.EndSession();
    return seconds;
}

// A pseudo-terminal whose master side is read as fast as bytes arrive.
class CDrainedPty {
public:
    CDrainedPty() {
        m_nMaster = posix_openpt(O_RDWR | O_NOCTTY);
        grantpt(m_nMaster);
        unlockpt(m_nMaster);
        m_strSlave = ptsname(m_nMaster);
        // Held open so the master never sees a hang-up between opens.
        m_nSlave = open(m_strSlave.c_str(), O_RDWR | O_NOCTTY);
        m_reader = std::thread([this] {
            char buf[4096];
            while (!m_bStop) {
                pollfd p{m_nMaster, POLLIN, 0};
                if (poll(&p, 1, 20) > 0) {
                    const ssize_t n = read(m_nMaster, buf, sizeof buf);
                    if (n > 0) {
                        m_nReceived += n;
                    }
                }
            }
        });
    }
    ~CDrainedPty() {
        m_bStop = true;
        m_reader.join();
        close(m_nSlave);
        close(m_nMaster);
    }
    const std::string& Path() const { return m_strSlave; }
    long Received() const { return m_nReceived; }

private:
    int m_nMaster = -1;
    int m_nSlave = -1;
    std::string m_strSlave;
    std::atomic<bool> m_bStop{false};
    std::atomic<long> m_nReceived{0};
    std::thread m_reader;
};

// qarn-sim serving the sample configuration.
class CSim {
public:
    CSim(const char* program, const char* baud) {
        int out[2];
        if (pipe(out) != 0) {
            return;
        }
        m_nPid = fork();
        if (m_nPid == 0) {
            dup2(out[1], STDOUT_FILENO);
            close(out[0]);
            execl(program, program, "--config", TOVRIK_SAMPLE_CONFIG, "--baud", baud,
                  static_cast<char*>(nullptr));
            _exit(127);
        }
        close(out[1]);
        char c;
        while (read(out[0], &c, 1) == 1 && c != '\n') {
            m_strDevice += c;
        }
        close(out[0]);
    }
    ~CSim() {
        if (m_nPid > 0) {
            kill(m_nPid, SIGTERM);
            waitpid(m_nPid, nullptr, 0);
        }
    }
    const std::string& Device() const { return m_strDevice; }

private:
    pid_t m_nPid = -1;
    std::string m_strDevice;
};

void BM_DownloadFullConfiguration(benchmark::State& state) {
    CQARNCfgDoc doc;
    std::string error;
    if (!doc.OnOpenDocument(TOVRIK_SAMPLE_CONFIG, error)) {
        state.SkipWithError(error.c_str());
        return;
    }
    const CTransferTiming timing;
    const double pauses = (2 * timing.nWakeupPauseMs + timing.nCommandPauseMs +
                           static_cast<double>(g_recordList.GetCount()) * timing.nLinePauseMs +
                           timing.nPowerCyclePauseMs) /
                          1000.0;
    for (auto _ : state) {
        CDrainedPty pty;
        CSerialPort port;
        CQuietHost host(port);
        host.m_pDoc = &doc;
        host.m_nMode = 0;
        host.m_strDevice = pty.Path();
        host.m_nBaudRate = 38400;
        const double seconds = RunToEnd(host);
        state.SetIterationTime(seconds);
        state.counters["seconds"] = seconds;
        state.counters["pauses_s"] = pauses;
        state.counters["over_pauses_pct"] = (seconds / pauses - 1.0) * 100.0;
        state.counters["bytes"] = host.m_nTotal.load();
        if (host.m_eOutcome != ETransferOutcome::Finished) {
            state.SkipWithError("the download did not finish");
        }
    }
}
BENCHMARK(BM_DownloadFullConfiguration)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

void BM_UploadFullConfigurationAt38400(benchmark::State& state) {
    const char* program = std::getenv("QARN_SIM");
#ifdef QARN_SIM_PATH
    if (program == nullptr) {
        program = QARN_SIM_PATH;
    }
#endif
    if (program == nullptr) {
        state.SkipWithError("qarn-sim not built and QARN_SIM not set");
        return;
    }
    constexpr int kBaud = 38400;
    for (auto _ : state) {
        CSim sim(program, "38400");
        CQARNCfgDoc doc;
        CSerialPort port;
        CQuietHost host(port);
        host.m_pDoc = &doc;
        host.m_nMode = 1;
        host.m_strDevice = sim.Device();
        host.m_nBaudRate = kBaud;
        host.BeginUpload();
        const double seconds = RunToEnd(host);
        const double lineTime = host.m_nTotal.load() * 10.0 / kBaud;
        const double goal = lineTime + 1.6 + 1.0;
        state.SetIterationTime(seconds);
        state.counters["seconds"] = seconds;
        state.counters["goal_s"] = goal;
        state.counters["line_time_s"] = lineTime;
        state.counters["bytes"] = host.m_nTotal.load();
        if (host.m_eOutcome != ETransferOutcome::Finished) {
            state.SkipWithError("the upload did not finish");
        }
    }
}
BENCHMARK(BM_UploadFullConfigurationAt38400)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
