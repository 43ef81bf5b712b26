#include "CWineRun.h"
#include "core/serial/CPortChoice.h"
#include "core/serial/CPortMap.h"
#include "core/serial/CSerialPort.h"
#include "platform/common/CSerialDevice.h"
#include "tests/support/CRecordingView.h"
#include "tests/support/CTempDir.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <thread>

// The Win32 serial device against qarn-sim, which the harness puts on COM5.
namespace {

using Clock = std::chrono::steady_clock;

// Reads what the device sends until `size` bytes have come or `limit` passed.
std::string ReadAnswer(CSerialPort& port, std::size_t size, std::chrono::seconds limit,
                       int* pMostQueued = nullptr) {
    std::string answer;
    const auto deadline = Clock::now() + limit;
    while (answer.size() < size && Clock::now() < deadline && !port.GetLastError()) {
        const int queued = port.GetInQueue();
        if (pMostQueued != nullptr && queued > *pMostQueued) {
            *pMostQueued = queued;
        }
        if (queued == 0) {
            // A read also notices a line that was dropped.
            if (const char c = port.ReadByte(); c != 0) {
                answer += c;
            } else {
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
            }
            continue;
        }
        for (int i = 0; i < queued; ++i) {
            answer += port.ReadByte();
        }
    }
    return answer;
}

DCB LineSettings(HANDLE h) {
    DCB dcb{};
    dcb.DCBlength = sizeof dcb;
    EXPECT_TRUE(GetCommState(h, &dcb));
    return dcb;
}

bool OpenSim(CSerialPort& port, int baud) {
    return port.Open(CPortChoice::Device(CWineRun::kSimPort), baud);
}

HANDLE OpenRaw(const char* port) {
    return CreateFileA(port, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, nullptr);
}

}  // namespace

TEST(Win32SerialDevice, ComPortsAreNamedInTheDeviceNamespace) {
    EXPECT_EQ(CSerialDevice::DefaultPath(1), "\\\\.\\COM1");
    EXPECT_EQ(CSerialDevice::DefaultPath(12), "\\\\.\\COM12");
    EXPECT_EQ(CSerialDevice::DefaultPath(0), "");
    EXPECT_EQ(CPortMap().DeviceFor(2), "\\\\.\\COM2");
}

TEST(Win32SerialDevice, OpensExclusively) {
    CSerialPort port;
    ASSERT_TRUE(OpenSim(port, 38400)) << port.GetLastError().message();
    CSerialPort other;
    EXPECT_FALSE(OpenSim(other, 38400));
    EXPECT_EQ(other.GetLastError(), std::errc::device_or_resource_busy);
    EXPECT_EQ(other.GetLastError().message(), "The requested resource is in use");
    EXPECT_TRUE(port.Close());
    EXPECT_TRUE(OpenSim(other, 9600)) << "closing gives the port up";
}

TEST(Win32SerialDevice, RefusalsGiveTheSameHintsAsOnLinux) {
    CSerialPort holder;
    ASSERT_TRUE(OpenSim(holder, 9600));
    const struct {
        const char* device;
        std::errc error;
        std::string reason;
        std::string hint;
    } cases[] = {
        {CWineRun::kMissingPort, std::errc::no_such_file_or_directory,
         "The system cannot find the file specified",
         "There is no such device: check the port setting."},
        {CWineRun::kSimPort, std::errc::device_or_resource_busy, "The requested resource is in use",
         "The port is in use by another program."},
        {CWineRun::kFilePort, std::errc::inappropriate_io_control_operation,
         "The request is not supported", "That device is not a serial port."},
    };
    for (const auto& c : cases) {
        CSerialPort port;
        CRecordingHost host(port);
        host.m_request.eMode = ETransferMode::Upload;
        host.m_request.port = CPortChoice::Device(c.device);
        CQARNCfgDoc doc;
        ASSERT_TRUE(host.RunToEnd(doc)) << c.device;
        EXPECT_EQ(host.Outcome(), ETransferOutcome::PortNotOpened) << c.device;
        EXPECT_EQ(port.GetLastError(), c.error) << c.device;
        EXPECT_EQ(
            host.StatusList(),
            (std::vector<std::string>{
                "Cannot open port " + std::string(c.device) + ": " + c.reason + ".", c.hint}));
        // A failed open leaves a closed port that does nothing.
        EXPECT_EQ(port.Write("#CD\r\n", 5), 0);
        EXPECT_EQ(port.ReadByte(), 0);
        EXPECT_EQ(port.GetInQueue(), 0);
    }
}

TEST(Win32SerialDevice, AnUploadRequestIsAnsweredByteForByte) {
    const std::string config = CTempDir::Read(TOVRIK_SIM_CONFIG);
    ASSERT_FALSE(config.empty());
    CSerialPort port;
    ASSERT_TRUE(OpenSim(port, 38400)) << port.GetLastError().message();
    // Nothing waits yet: a read returns at once, without its second's wait.
    const auto before = Clock::now();
    EXPECT_EQ(port.ReadByte(), 0);
    EXPECT_LT(Clock::now() - before, std::chrono::milliseconds(500));
    EXPECT_EQ(port.GetInQueue(), 0);

    EXPECT_EQ(port.Write("\r\n\r\n#CD\r\n", 9), 9);
    EXPECT_TRUE(port.Drain());
    int mostQueued = 0;
    const std::string answer =
        ReadAnswer(port, config.size(), std::chrono::seconds(60), &mostQueued);
    EXPECT_FALSE(port.GetLastError()) << port.GetLastError().message();
    EXPECT_EQ(answer.size(), config.size());
    EXPECT_TRUE(answer == config) << "the answer differs from the configuration qarn-sim holds";
    EXPECT_GT(mostQueued, 1) << "the input queue was never seen holding bytes";
    EXPECT_EQ(port.GetInQueue(), 0);
}

TEST(Win32SerialDevice, WritesDrainAndTheLineSettingsComeBackAtClose) {
    // Another program left the port at 1200 baud and 2 stop bits. (A
    // pseudo-terminal keeps no other data bits or parity than 8N.)
    HANDLE raw = OpenRaw(CWineRun::kSimPort);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    DCB found = LineSettings(raw);
    found.BaudRate = 1200;
    found.StopBits = TWOSTOPBITS;
    ASSERT_TRUE(SetCommState(raw, &found));
    found = LineSettings(raw);
    CloseHandle(raw);
    raw = OpenRaw(CWineRun::kSimPort);
    const DCB kept = LineSettings(raw);
    CloseHandle(raw);
    ASSERT_EQ(kept.BaudRate, 1200u);
    ASSERT_EQ(kept.StopBits, TWOSTOPBITS) << "the line does not keep its settings between opens";

    {
        CSerialDevice device;
        ASSERT_FALSE(device.Open(CWineRun::kSimPort, 38400));
        // A line that qarn-sim reads and ignores, well past one driver write.
        for (int i = 0; i < 3000; ++i) {
            ASSERT_FALSE(device.WriteByte(i % 64 == 63 ? '\n' : 'x', 1000)) << "byte " << i;
        }
        int queued = -1;
        const auto deadline = Clock::now() + std::chrono::seconds(5);
        do {
            ASSERT_FALSE(device.OutQueue(queued));
        } while (queued > 0 && Clock::now() < deadline);
        EXPECT_EQ(queued, 0) << "the output queue never emptied";
        device.Close(false);
        EXPECT_FALSE(device.IsOpen());
    }

    raw = OpenRaw(CWineRun::kSimPort);
    ASSERT_NE(raw, INVALID_HANDLE_VALUE);
    const DCB after = LineSettings(raw);
    CloseHandle(raw);
    EXPECT_EQ(after.BaudRate, 1200u);
    EXPECT_EQ(after.StopBits, TWOSTOPBITS);
}

TEST(Win32SerialDevice, DrainWaitsForTheQueuedBytes) {
    CSerialPort port;
    ASSERT_TRUE(OpenSim(port, 38400));
    const std::string line(2000, 'y');
    EXPECT_EQ(port.Write(line.data(), static_cast<int>(line.size())), 2000);
    EXPECT_TRUE(port.Drain()) << port.GetLastError().message();
    EXPECT_FALSE(port.GetLastError());
    EXPECT_TRUE(port.Close());
    EXPECT_FALSE(port.Drain()) << "a closed port has nothing to drain";
}

// Run with qarn-sim dropping the line after a few hundred bytes of its answer.
TEST(Win32SerialHangUp, ADroppedLineIsAnErrorNotSilence) {
    CSerialPort port;
    ASSERT_TRUE(OpenSim(port, 38400)) << port.GetLastError().message();
    EXPECT_EQ(port.Write("\r\n\r\n#CD\r\n", 9), 9);
    const auto start = Clock::now();
    const std::string answer = ReadAnswer(port, 1000000, std::chrono::seconds(10));
    EXPECT_TRUE(port.GetLastError()) << "the hang-up went unnoticed";
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(8));
    EXPECT_GE(answer.size(), 200u);
    EXPECT_LE(answer.size(), 400u);
}
