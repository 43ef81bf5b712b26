#include "CDownloadWorkerFixture.h"
#include "serial/CPortMap.h"
#include "support/CFakePort.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>

// The download worker over a port that records when each byte reached the
// wire: what a pseudo-terminal cannot show. No device is needed.
using namespace DownloadWorkerText;

TEST_F(DownloadWorker, EveryPauseIsAGapOnTheWireAfterTheLastByte) {
    const auto lines = LoadRecords(3);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, "/dev/fake");
    CFakePort::Clock::time_point powerCycleShown;
    host.m_onEvent = [&](const std::string& event) {
        if (event.starts_with("insert:3:")) {
            powerCycleShown = CFakePort::Clock::now();
        }
    };

    RunToEnd(host);

    // The port only puts bytes on the wire when drained: a pause taken without
    // draining first would show as lines running together.
    const auto wire = port.Wire();
    const std::vector<std::string> chunks{"\r\n",   "\r\n",   "#CU\r\n", lines[0] + lines[1],
                                          lines[2], lines[3], lines[4]};
    ASSERT_EQ(wire.size(), chunks.size());
    const auto& t = host.m_request.timing;
    const std::vector<int> pauses{t.nWakeupPauseMs, t.nWakeupPauseMs, t.nCommandPauseMs,
                                  t.nLinePauseMs,   t.nLinePauseMs,   t.nLinePauseMs};
    for (std::size_t i = 0; i < wire.size(); ++i) {
        EXPECT_EQ(wire[i].bytes, chunks[i]) << "chunk " << i;
        if (i + 1 < wire.size()) {
            EXPECT_GE(wire[i + 1].firstWrittenAt - wire[i].drainedAt,
                      std::chrono::milliseconds(pauses[i]))
                << "gap after chunk " << i;
        }
    }
    EXPECT_GE(powerCycleShown - wire.back().drainedAt,
              std::chrono::milliseconds(t.nPowerCyclePauseMs));
}

TEST_F(DownloadWorker, AbortBeforeTheWorkerRunsSendsOnlyTheHeaderAndCountsOnlyIt) {
    const auto lines = LoadRecords(3);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, "/dev/fake");

    ASSERT_TRUE(host.Start(m_doc));
    host.RequestAbort();  // Cancel pressed at once: must not be lost
    EXPECT_TRUE(host.IsRunning()) << "the dialog must see a live worker";
    ASSERT_TRUE(host.WaitForEnd(std::chrono::seconds(3)));

    EXPECT_EQ(port.WireBytes(), kPreamble + lines[0]);
    EXPECT_TRUE(host.StatusList().empty());
    EXPECT_EQ(host.Total(), static_cast<int>(lines[0].size())) << "the S7 line was never sent";
    const auto log = host.Log();
    EXPECT_EQ(log, (std::vector<std::string>{"count:" + std::to_string(lines[0].size())}));
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Aborted);
    EXPECT_FALSE(port.IsOpen());
}

// An abort request arriving after `nBytes` bytes of the records have gone out.
class DownloadAbort : public DownloadWorker, public ::testing::WithParamInterface<int> {};

TEST_P(DownloadAbort, TheLineUnderWayGoesOutWholeAndNothingFollows) {
    const auto lines = LoadRecords(4);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, "/dev/fake");
    host.m_onStep = [&](int nSteps) {
        if (nSteps == GetParam()) {
            host.RequestAbort();
        }
    };

    RunToEnd(host);

    // Whole lines only: the header, then every record begun before the request.
    std::size_t sent = 0;
    int bytes = 0;
    while (sent < lines.size() - 1 && bytes < GetParam()) {
        bytes += static_cast<int>(lines[sent++].size());
    }
    sent = std::max<std::size_t>(sent, 1);
    std::string expected = kPreamble;
    for (std::size_t i = 0; i < sent; ++i) {
        expected += lines[i];
    }
    EXPECT_EQ(port.WireBytes(), expected);
    EXPECT_EQ(host.Total(), LengthOf(lines, 0, sent));
    EXPECT_EQ(LastCount(host.Log()), "count:" + std::to_string(LengthOf(lines, 0, sent)));
    EXPECT_EQ(host.StatusList(), (std::vector<std::string>{"Downloading data."}));
    EXPECT_FALSE(Contains(host.Log(), "enable")) << "the dialog is closing";
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Aborted);
    EXPECT_FALSE(host.IsRunning());
}

// Within the header, within the first record, at the end of the last record.
INSTANTIATE_TEST_SUITE_P(Checkpoints, DownloadAbort,
                         ::testing::Values(5, 40,
                                           static_cast<int>(CTestConfig::HeaderLine().size() +
                                                            4 * CTestConfig::DataLine(0).size())));

TEST_F(DownloadWorker, PortThatCannotBeOpenedSendsNothingAndSaysWhy) {
    LoadRecords(2);
    const std::map<int, std::string> hints{
        {EACCES, "Permission denied: is the user in the dialout group?"},
        {EBUSY, "The port is in use by another program."},
    };
    CPortMap map;
    map.SetDevice(2, "/dev/fake-com2");
    for (const auto& [error, hint] : hints) {
        CFakePort port;
        port.m_openError = std::error_code(error, std::generic_category());
        CRecordingHost host(port);
        Prepare(host, ETransferMode::Download, "");
        host.m_request.port = CPortChoice::Com(2, map);

        RunToEnd(host);

        EXPECT_EQ(host.StatusList(),
                  (std::vector<std::string>{"Cannot open port COM2 (/dev/fake-com2): " +
                                                std::string(std::strerror(error)) + ".",
                                            hint}));
        EXPECT_EQ(host.Log().back(), "enable");
        EXPECT_TRUE(Contains(host.Log(), "caption:" + host.m_request.strTitle));
        EXPECT_TRUE(port.WireBytes().empty());
        EXPECT_EQ(host.Total(), 0);
        EXPECT_EQ(host.Outcome(), ETransferOutcome::PortNotOpened);
    }
}

// Writes start failing after `nBytes` bytes: during the wake-up, within the
// header, within the second record.
class DownloadWriteFailure : public DownloadWorker, public ::testing::WithParamInterface<int> {};

TEST_P(DownloadWriteFailure, EndsAsCommunicationErrorCountingOnlyWholeLines) {
    const auto lines = LoadRecords(3);
    CFakePort port;
    port.m_nFailAfterBytes = GetParam();
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, "/dev/fake");

    RunToEnd(host);

    EXPECT_EQ(port.WireBytes(), (kPreamble + CTestConfig::Joined(lines)).substr(0, GetParam()));
    const auto status = host.StatusList();
    ASSERT_FALSE(status.empty());
    EXPECT_EQ(status.back(), "Download aborted.");
    EXPECT_EQ(status.size() == 2, GetParam() >= static_cast<int>(kPreamble.size()))
        << "\"Downloading data.\" only once the command is out";
    int whole = 0;
    for (std::size_t i = 0, end = kPreamble.size(); i < lines.size(); ++i) {
        end += lines[i].size();
        if (static_cast<int>(end) <= GetParam()) {
            whole += static_cast<int>(lines[i].size());
        }
    }
    EXPECT_EQ(host.Total(), whole);
    EXPECT_EQ(LastCount(host.Log()), "count:" + std::to_string(whole));
    EXPECT_EQ(host.m_nSteps, GetParam() - std::min<int>(GetParam(), kPreamble.size()))
        << "a rejected byte is not a progress step";
    EXPECT_EQ(host.Log().back(), "enable");
    EXPECT_EQ(host.Outcome(), ETransferOutcome::CommError);
}

INSTANTIATE_TEST_SUITE_P(Points, DownloadWriteFailure,
                         ::testing::Values(3, 15,
                                           static_cast<int>(kPreamble.size() +
                                                            CTestConfig::HeaderLine().size() +
                                                            CTestConfig::DataLine(0).size() + 7)));

TEST_F(DownloadWorker, AbortAfterTheEndLineOnlyShortensTheLastWait) {
    LoadRecords(2);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, "/dev/fake");
    host.m_request.timing.nPowerCyclePauseMs = 5000;
    std::atomic<bool> refused{false};
    host.m_onEvent = [&](const std::string& event) {
        if (event == "insert:1:Download finished.") {
            refused = !host.RequestAbort();
        }
    };

    // Well within the five seconds the wait would last.
    RunToEnd(host, 3000);

    EXPECT_TRUE(refused) << "the end line has gone out: no abort any more";
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Finished);
    EXPECT_EQ(host.StatusList().back(), "Power cycle QARN.");
}
