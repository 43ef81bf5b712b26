#include "CDownloadWorkerFixture.h"
#include "serial/CSerialPort.h"
#include "support/CPtyDevice.h"

#include <cerrno>
#include <chrono>
#include <cstring>

using namespace DownloadWorkerText;

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
    EXPECT_EQ(host.Total(), total);
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
        "caption:" + host.m_request.strTitle,
        "count:" + std::to_string(total),
        "insert:1:Download finished.",
        "insert:2:" + std::to_string(total) +
            " bytes have been successfully downloaded into the QARN",
        "insert:3:Power cycle QARN.",
        "enable"};
    EXPECT_EQ(log, expected);
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Finished);
    EXPECT_FALSE(port.IsOpen());
    EXPECT_FALSE(host.IsRunning());
}

TEST_F(DownloadWorker, RealPortFailuresAreNamedWithTheirReasonAndHint) {
    LoadRecords(1);
    CPtyDevice device;
    ASSERT_TRUE(device.Ok());
    CSerialPort otherProgram;
    ASSERT_TRUE(otherProgram.Open(CPortChoice::Device(device.Path()), 9600));
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
        EXPECT_EQ(host.Outcome(), ETransferOutcome::PortNotOpened);
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
    EXPECT_TRUE(Contains(log,
                         "box:Communication Error|Download Aborted\nPlease Power Cycle QARN\nCheck "
                         "the cable, the port and the baud rate.\n"));
    EXPECT_TRUE(Contains(log, "caption:" + host.m_request.strTitle));
    EXPECT_EQ(log.back(), "enable");
    EXPECT_EQ(host.Outcome(), ETransferOutcome::CommError);
    EXPECT_FALSE(port.IsOpen());
    // The count is that of whole lines handed to the port, never the full image.
    int whole = 0;
    std::size_t n = 0;
    while (whole < host.Total() && n < lines.size()) {
        whole += static_cast<int>(lines[n++].size());
    }
    EXPECT_EQ(whole, host.Total());
    EXPECT_LT(n, lines.size());
}
