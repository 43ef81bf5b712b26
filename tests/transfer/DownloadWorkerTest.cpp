#include "serial/CPortMap.h"
#include "serial/CSerialPort.h"
#include "support/CFakePort.h"
#include "support/CPtyDevice.h"
#include "support/CWorkerFixture.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <map>

namespace {

const std::string kPreamble = "\r\n\r\n#CU\r\n";

int LengthOf(const std::vector<std::string>& lines, std::size_t first, std::size_t count) {
    int n = 0;
    for (std::size_t i = first; i < first + count; ++i) {
        n += static_cast<int>(lines[i].size());
    }
    return n;
}

std::string LastCount(const std::vector<std::string>& log) {
    for (auto it = log.rbegin(); it != log.rend(); ++it) {
        if (it->starts_with("count:")) {
            return *it;
        }
    }
    return "";
}

}  // namespace

class DownloadWorker : public CWorkerFixture {
protected:
    std::vector<std::string> LoadRecords(int nRecords) {
        auto lines = CTestConfig::Lines(nRecords);
        CTestConfig::Load(m_doc, lines);
        return lines;
    }
};

TEST_F(DownloadWorker, SendsWakeupCommandAndEveryLineThenReportsTheEnd) {
    const auto lines = LoadRecords(3);
    const std::string config = CTestConfig::Joined(lines);
    CPtyDevice device;
    ASSERT_TRUE(device.Ok());
    CSerialPort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, device.Path());

    RunToEnd(host);

    ASSERT_TRUE(device.WaitForBytes(kPreamble.size() + config.size(), 2000));
    EXPECT_EQ(device.Received(), kPreamble + config);
    const int total = static_cast<int>(config.size());
    EXPECT_EQ(host.m_nTotal, total);
    EXPECT_EQ(host.m_nSteps, total) << "one progress step per byte of every line";
    EXPECT_EQ(host.StatusList(),
              (std::vector<std::string>{
                  "Downloading data.", "Download finished.",
                  std::to_string(total) + " bytes have been successfully downloaded into the QARN",
                  "Power cycle QARN."}));
    const auto log = host.Log();
    const std::vector<std::string> expected{
        "status:Downloading data.",
        "count:" + std::to_string(LengthOf(lines, 0, 2)),
        "count:" + std::to_string(LengthOf(lines, 0, 3)),
        "count:" + std::to_string(LengthOf(lines, 0, 4)),
        "caption:" + host.m_strTitle,
        "count:" + std::to_string(total),
        "insert:1:Download finished.",
        "insert:2:" + std::to_string(total) +
            " bytes have been successfully downloaded into the QARN",
        "insert:3:Power cycle QARN.",
        "enable"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(host.m_eOutcome, ETransferOutcome::Finished);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(host.m_bRunning);
}

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
    const auto& t = host.m_timing;
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

    ASSERT_TRUE(host.StartWorker());
    host.m_bAbort = true;  // Cancel pressed at once: must not be lost
    EXPECT_TRUE(host.m_bRunning) << "the dialog must see a live worker";
    ASSERT_TRUE(host.WaitForEnd(3000));

    EXPECT_EQ(port.WireBytes(), kPreamble + lines[0]);
    EXPECT_TRUE(host.StatusList().empty());
    EXPECT_EQ(host.m_nTotal, static_cast<int>(lines[0].size())) << "the S7 line was never sent";
    const auto log = host.Log();
    EXPECT_EQ(log, (std::vector<std::string>{"count:" + std::to_string(lines[0].size())}));
    EXPECT_EQ(host.m_eOutcome, ETransferOutcome::Aborted);
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
            host.m_bAbort = true;
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
    EXPECT_EQ(host.m_nTotal, LengthOf(lines, 0, sent));
    EXPECT_EQ(LastCount(host.Log()), "count:" + std::to_string(LengthOf(lines, 0, sent)));
    EXPECT_EQ(host.StatusList(), (std::vector<std::string>{"Downloading data."}));
    EXPECT_FALSE(Contains(host.Log(), "enable")) << "the dialog is closing";
    EXPECT_EQ(host.m_eOutcome, ETransferOutcome::Aborted);
    EXPECT_FALSE(host.m_bRunning);
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
    CPortMap::SetDevice(2, "/dev/fake-com2");
    for (const auto& [error, hint] : hints) {
        CFakePort port;
        port.m_openError = std::error_code(error, std::generic_category());
        CRecordingHost host(port);
        Prepare(host, ETransferMode::Download, "");
        host.m_nPort = 2;

        RunToEnd(host);

        EXPECT_EQ(host.StatusList(),
                  (std::vector<std::string>{"Cannot open port COM2 (/dev/fake-com2): " +
                                                std::string(std::strerror(error)) + ".",
                                            hint}));
        EXPECT_EQ(host.Log().back(), "enable");
        EXPECT_TRUE(Contains(host.Log(), "caption:" + host.m_strTitle));
        EXPECT_TRUE(port.WireBytes().empty());
        EXPECT_EQ(host.m_nTotal, 0);
        EXPECT_EQ(host.m_eOutcome, ETransferOutcome::PortNotOpened);
    }
    CPortMap::Reset();
}

TEST_F(DownloadWorker, RealPortFailuresAreNamedWithTheirReasonAndHint) {
    LoadRecords(1);
    CPtyDevice device;
    ASSERT_TRUE(device.Ok());
    CSerialPort otherProgram;
    ASSERT_TRUE(otherProgram.OpenDevice(device.Path(), 9600));
    const std::vector<std::pair<std::string, std::vector<std::string>>> cases{
        {"/nonexistent/ttyQARN",
         {"Cannot open port /nonexistent/ttyQARN: No such file or directory.",
          "There is no such device: check the port setting."}},
        {"/dev/null",
         {"Cannot open port /dev/null: " + std::string(std::strerror(ENOTTY)) + ".",
          "That device is not a serial port."}},
        {device.Path(),
         {"Cannot open port " + device.Path() + ": " + std::strerror(EBUSY) + ".",
          "The port is in use by another program."}},
    };
    for (const auto& [path, expected] : cases) {
        CSerialPort port;
        CRecordingHost host(port);
        Prepare(host, ETransferMode::Download, path);

        RunToEnd(host);

        EXPECT_EQ(host.StatusList(), expected);
        EXPECT_EQ(host.m_eOutcome, ETransferOutcome::PortNotOpened);
    }
    EXPECT_TRUE(device.Received().empty());
}

TEST_F(DownloadWorker, DeviceUnpluggedMidwayEndsAsCommunicationError) {
    const auto lines = LoadRecords(40);
    const std::size_t unplugAt = kPreamble.size() + lines[0].size() + 60;
    CPtyDevice device({}, [unplugAt](CPtyDevice& self, const std::string& received) {
        if (received.size() > unplugAt) {
            self.RequestUnplug();
        }
    });
    ASSERT_TRUE(device.Ok());
    CSerialPort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, device.Path());

    RunToEnd(host);

    EXPECT_EQ(host.StatusList(),
              (std::vector<std::string>{"Downloading data.", "Download aborted."}));
    const auto log = host.Log();
    EXPECT_TRUE(
        Contains(log, "box:Communication Error|Download Aborted\nPlease Power Cycle QARN\n"));
    EXPECT_TRUE(Contains(log, "caption:" + host.m_strTitle));
    EXPECT_EQ(log.back(), "enable");
    EXPECT_EQ(host.m_eOutcome, ETransferOutcome::CommError);
    EXPECT_FALSE(port.IsOpen());
    // The count is that of whole lines handed to the port, never the full image.
    int whole = 0;
    std::size_t n = 0;
    while (whole < host.m_nTotal && n < lines.size()) {
        whole += static_cast<int>(lines[n++].size());
    }
    EXPECT_EQ(whole, host.m_nTotal);
    EXPECT_LT(n, lines.size());
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
    EXPECT_EQ(host.m_nTotal, whole);
    EXPECT_EQ(LastCount(host.Log()), "count:" + std::to_string(whole));
    EXPECT_EQ(host.m_nSteps, GetParam() - std::min<int>(GetParam(), kPreamble.size()))
        << "a rejected byte is not a progress step";
    EXPECT_EQ(host.Log().back(), "enable");
    EXPECT_EQ(host.m_eOutcome, ETransferOutcome::CommError);
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
    host.m_timing.nPowerCyclePauseMs = 5000;
    std::atomic<bool> refused{false};
    host.m_onEvent = [&](const std::string& event) {
        if (event == "insert:1:Download finished.") {
            refused = !host.RequestAbort();
        }
    };
    const auto start = std::chrono::steady_clock::now();

    RunToEnd(host, 3000);

    EXPECT_TRUE(refused) << "the end line has gone out: no abort any more";
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(2000));
    EXPECT_EQ(host.m_eOutcome, ETransferOutcome::Finished);
    EXPECT_EQ(host.StatusList().back(), "Power cycle QARN.");
}
