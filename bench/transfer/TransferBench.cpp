// Full-size transfers at the device's own pacing (about a minute each):
//  - Download over a pseudo-terminal with a reader that drains it at once.
//    Goal: no more than 1% longer than the sum of the pauses it must keep.
//  - Upload from qarn-sim paced at 38400 baud. Goal: within the line time
//    (bytes x 10 / baud) + 1.6 s of request pauses + 1000 ms.
//  - Compare with the device: the same upload, kept beside the configuration
//    loaded from the file and compared with it. Goal: as long as the upload,
//    within noise.
#include "core/data/CConfigCompare.h"
#include "core/data/CConfiguration.h"
#include "core/data/CQARNCfgDoc.h"
#include "core/data/CRecordList.h"
#include "core/serial/CSerialPort.h"
#include "core/transfer/CTransferSession.h"
#include "tests/support/CPtyDevice.h"
#include "tests/support/CSimProcess.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <string>

namespace {

using Clock = std::chrono::steady_clock;

// The transfer's seconds from its start to the worker's end; -1 when it did
// not start or end. The view is a dialog that is never slow: every update
// returns at once.
double RunToEnd(CTransferSession& session, CQARNCfgDoc& doc, const CTransferRequest& request) {
    const auto start = Clock::now();
    if (!session.Start(doc, request) || !session.WaitForEnd(std::chrono::minutes(10))) {
        return -1;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    session.EndSession();
    return seconds;
}

CTransferRequest RequestFor(ETransferMode eMode, const std::string& device, int nBaudRate) {
    CTransferRequest request;
    request.eMode = eMode;
    request.port = CPortChoice::Device(device);
    request.nBaudRate = nBaudRate;
    return request;
}

void BM_DownloadFullConfiguration(benchmark::State& state) {
    CQARNCfgDoc doc;
    if (const std::error_code error = doc.OnOpenDocument(TOVRIK_SAMPLE_CONFIG)) {
        state.SkipWithError(error.message().c_str());
        return;
    }
    const CTransferTiming timing;
    const double pauses = (2 * timing.nWakeupPauseMs + timing.nCommandPauseMs +
                           static_cast<double>(g_recordList.GetCount()) * timing.nLinePauseMs +
                           timing.nPowerCyclePauseMs) /
                          1000.0;
    for (auto _ : state) {
        CPtyDevice pty;
        CSerialPort port;
        CTransferView view;
        CTransferSession host(view, port);
        const double seconds =
            RunToEnd(host, doc, RequestFor(ETransferMode::Download, pty.Path(), 38400));
        state.SetIterationTime(seconds);
        state.counters["seconds"] = seconds;
        state.counters["pauses_s"] = pauses;
        state.counters["over_pauses_pct"] = (seconds / pauses - 1.0) * 100.0;
        state.counters["bytes"] = host.Total();
        if (host.Outcome() != ETransferOutcome::Finished) {
            state.SkipWithError("the download did not finish");
        }
    }
}
BENCHMARK(BM_DownloadFullConfiguration)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

// An upload from qarn-sim, or (bCompare) a compare with it: the same upload
// kept beside the configuration loaded from the file, and compared with it.
void ReadDeviceAt38400(benchmark::State& state, bool bCompare) {
    // The qarn-sim of this build, unless QARN_SIM names another.
    setenv("QARN_SIM", QARN_SIM_PATH, 0);
    constexpr int kBaud = 38400;
    for (auto _ : state) {
        CSimProcess sim({"--config", TOVRIK_SAMPLE_CONFIG, "--baud", std::to_string(kBaud)});
        if (!sim.Start()) {
            state.SkipWithError(sim.Error().c_str());
            return;
        }
        const auto start = Clock::now();
        CConfiguration file;
        if (bCompare && file.Load(TOVRIK_SAMPLE_CONFIG)) {
            state.SkipWithError("cannot load the sample");
            return;
        }
        CQARNCfgDoc doc;
        CSerialPort port;
        CTransferView view;
        CTransferSession host(view, port);
        CTransferRequest request = RequestFor(ETransferMode::Upload, sim.DevicePath(), kBaud);
        request.bKeepDocument = bCompare;
        RunToEnd(host, doc, request);
        const bool bSame = !bCompare || CConfigCompare(file, host.Received()).IsIdentical();
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double lineTime = host.Total() * 10.0 / kBaud;
        state.SetIterationTime(seconds);
        state.counters["seconds"] = seconds;
        state.counters["goal_s"] = lineTime + 1.6 + 1.0;
        state.counters["line_time_s"] = lineTime;
        state.counters["bytes"] = host.Total();
        if (host.Outcome() != ETransferOutcome::Finished || !bSame) {
            state.SkipWithError("the upload did not finish, or differs from the file");
        }
    }
}

void BM_UploadFullConfigurationAt38400(benchmark::State& state) {
    ReadDeviceAt38400(state, false);
}
BENCHMARK(BM_UploadFullConfigurationAt38400)
    ->Iterations(1)
    ->UseManualTime()
    ->Unit(benchmark::kSecond);

void BM_CompareWithDeviceAt38400(benchmark::State& state) {
    ReadDeviceAt38400(state, true);
}
BENCHMARK(BM_CompareWithDeviceAt38400)->Iterations(1)->UseManualTime()->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();
