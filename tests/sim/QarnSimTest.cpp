#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <functional>
#include <string>
#include <vector>

#include "serial/CPortChoice.h"
#include "serial/CSerialPort.h"
#include "support/CProcess.h"
#include "support/CSimProcess.h"
#include "support/CTempDir.h"
#include "support/CWait.h"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

const std::string kS0 = "S00F000068656C6C6F202020202000003C";
const std::string kS3a = "S30D000000000102030405060708D7";
const std::string kS3b = "S30D00000008090A0B0C0D0E0F10AF";
const std::string kS7 = "S70500000000FA";
// The same configuration as the device sends it.
const std::string kAnswer = kS0 + "\r\n" + kS3a + "\r\n" + kS3b + "\r\n" + kS7 + "\r\n";

// Bytes received, one at a time, until what came is `done` (or 5 s have
// passed). What follows stays in the queue for the next call. Silence is
// shown by the next answer: whatever the device sent in between comes first.
std::string ReceiveUntil(CSerialPort& port, const std::function<bool(const std::string&)>& done) {
    std::string got;
    CWait::Until([&] {
        while (!done(got) && port.GetInQueue() > 0) {
            got += port.ReadByte();
        }
        return done(got);
    });
    return got;
}

std::string Receive(CSerialPort& port, std::size_t count) {
    return ReceiveUntil(port, [count](const std::string& got) { return got.size() >= count; });
}

void Send(CSerialPort& port, const std::string& text) {
    ASSERT_EQ(port.Write(text.data(), static_cast<int>(text.size())),
              static_cast<int>(text.size()));
}

bool WaitForFile(const std::string& path) {
    return CWait::Until([&] {
        struct stat st {};
        return stat(path.c_str(), &st) == 0;
    });
}

bool IsLink(const std::string& path) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
}

class QarnSimTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(CSimProcess::ProgramPath().empty()) << "QARN_SIM names no program";
        ASSERT_FALSE(m_dir.Path().empty());
        // Mixed line ends: the device sends CR LF whatever the file holds.
        m_strConfig = m_dir.Write("device.s19", kS0 + "\n" + kS3a + "\r\n" + kS3b + "\r" + kS7);
    }

    // Starts the simulator with the configuration, --baud 0 and `extra`, and
    // opens a port on it.
    void Start(std::vector<std::string> extra = {}) {
        std::vector<std::string> args = {"--config", m_strConfig, "--baud", "0"};
        args.insert(args.end(), extra.begin(), extra.end());
        m_pSim = std::make_unique<CSimProcess>(args);
        ASSERT_TRUE(m_pSim->Start()) << m_pSim->Error();
        ASSERT_TRUE(m_port.Open(CPortChoice::Device(m_pSim->DevicePath()), 115200))
            << m_port.GetLastError().message();
    }

    void RequestUpload() {
        Send(m_port, "\r\n");
        Send(m_port, "\r\n");
        Send(m_port, "#CD\r\n");
    }

    CTempDir m_dir;
    std::string m_strConfig;
    std::unique_ptr<CSimProcess> m_pSim;
    CSerialPort m_port;
};

TEST_F(QarnSimTest, AnswersCdWithTheConfigurationInCrLfLines) {
    Start();
    Send(m_port, "\r\n\r\n");
    Send(m_port, "#CD\r\n");
    EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer) << "wake-ups get no answer";
}

TEST_F(QarnSimTest, SavesTheLinesAfterCuUpToTheEndLineAsReceived) {
    const std::string received = m_dir.File("received.s19");
    Start({"--received", received});
    Send(m_port, "\r\n\r\n#CU\r\n");
    // A line ended by LF alone is kept as it came.
    const std::string download = kS0 + "\r\n" + kS3a + "\n" + kS7 + "\r\n";
    Send(m_port, download);
    Send(m_port, "\r\n");
    ASSERT_TRUE(WaitForFile(received));
    EXPECT_EQ(CTempDir::Read(received), download);
    RequestUpload();
    EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer) << "the device acknowledges nothing";
}

TEST_F(QarnSimTest, ServesOneRequestAfterAnother) {
    const std::string received = m_dir.File("received.s19");
    Start({"--received", received});
    RequestUpload();
    EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer);

    Send(m_port, "\r\n\r\n#CU\r\n" + kS0 + "\r\n" + kS7 + "\r\n");
    ASSERT_TRUE(WaitForFile(received));
    EXPECT_EQ(CTempDir::Read(received), kS0 + "\r\n" + kS7 + "\r\n");

    m_port.Close();
    ASSERT_TRUE(m_port.Open(CPortChoice::Device(m_pSim->DevicePath()), 9600));
    RequestUpload();
    EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer);
}

TEST_F(QarnSimTest, EchoRepeatsTheRequestBeforeTheAnswer) {
    Start({"--echo"});
    RequestUpload();
    EXPECT_EQ(Receive(m_port, 5 + kAnswer.size()), "#CD\r\n" + kAnswer);
}

TEST_F(QarnSimTest, NoiseComesOnlyBetweenLinesAndOutsidePrintableText) {
    Start({"--noise"});
    RequestUpload();
    const auto end = [](const std::string& got) { return got.ends_with(kS7 + "\r\n"); };
    const std::string got = ReceiveUntil(m_port, end);
    std::string text;
    std::string noise;
    for (char c : got) {
        int value = static_cast<unsigned char>(c);
        (value >= 9 && value <= 126 ? text : noise) += c;
    }
    EXPECT_EQ(text, kAnswer);
    EXPECT_FALSE(noise.empty());
    EXPECT_EQ(got.substr(0, kS0.size()), kS0) << "no noise before the first line";
    RequestUpload();
    EXPECT_EQ(ReceiveUntil(m_port, end).substr(0, kS0.size()), kS0) << "none after the last";
}

TEST_F(QarnSimTest, FallsSilentAfterTheGivenBytesOfEachAnswer) {
    Start({"--silence-after", "20", "--echo"});
    for (int request = 0; request < 2; ++request) {
        RequestUpload();
        EXPECT_EQ(Receive(m_port, 25), "#CD\r\n" + kAnswer.substr(0, 20)) << request;
    }
    EXPECT_TRUE(m_pSim->IsRunning());
}

TEST_F(QarnSimTest, HangUpDropsTheLineAndEnds) {
    const std::string link = m_dir.File("ttyQARN");
    Start({"--hangup-after", "40", "--link", link});
    RequestUpload();
    EXPECT_EQ(Receive(m_port, 40), kAnswer.substr(0, 40));

    int status = -1;
    ASSERT_TRUE(m_pSim->WaitExit(3000, &status));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(IsLink(link));

    m_port.ReadByte();
    EXPECT_NE(m_port.GetLastError().value(), 0) << "the port must see the unplugged line";
}

TEST_F(QarnSimTest, LinkNamesTheTerminalUntilTheSimulatorStops) {
    const std::string link = m_dir.File("ttyQARN");
    ASSERT_EQ(symlink("/dev/null", link.c_str()), 0);  // left over from an earlier run
    Start({"--link", link});
    char target[256] = {};
    ASSERT_GT(readlink(link.c_str(), target, sizeof target - 1), 0);
    EXPECT_EQ(std::string(target), m_pSim->DevicePath());

    int status = m_pSim->Stop();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_FALSE(IsLink(link));
}

TEST_F(QarnSimTest, RefusesToReplaceAFileWithItsLink) {
    const std::string file = m_dir.Write("precious.s19", kAnswer);
    CSimProcess sim({"--link", file});
    EXPECT_FALSE(sim.Start());
    EXPECT_EQ(CTempDir::Read(file), kAnswer);
}

TEST_F(QarnSimTest, PacesTheAnswerAtTheBaudRate) {
    // 100 bytes at 1200 baud, ten bits a byte: at least 0.83 s.
    m_strConfig = m_dir.Write("short.s19", std::string(98, '3') + "\r\n");
    m_pSim = std::make_unique<CSimProcess>(
        std::vector<std::string>{"--config", m_strConfig, "--baud", "1200"});
    ASSERT_TRUE(m_pSim->Start()) << m_pSim->Error();
    ASSERT_TRUE(m_port.Open(CPortChoice::Device(m_pSim->DevicePath()), 1200));
    auto start = Clock::now();
    Send(m_port, "#CD\r\n");
    EXPECT_EQ(Receive(m_port, 100).size(), 100u);
    EXPECT_GE(Clock::now() - start, milliseconds(800));
}

TEST_F(QarnSimTest, LogsWhatItReceived) {
    const std::string log = m_dir.File("sim.log");
    Start({"--log", log});
    RequestUpload();
    Receive(m_port, kAnswer.size());
    m_pSim->Stop();
    std::string text = CTempDir::Read(log);
    EXPECT_NE(text.find("received \"#CD\\r\\n\""), std::string::npos) << text;
    EXPECT_NE(text.find("received \"\\r\\n\""), std::string::npos) << text;
}

}  // namespace

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find('\n', at), text.size() - 1);
        lines.push_back(text.substr(at, end + 1 - at));
        at = end + 1;
    }
    return lines;
}

TEST_F(QarnSimTest, StaleBytesAreTheTailOfAnAnswerAfterTheFirstWakeUpOfEachRequest) {
    Start({"--stale", "20"});
    for (int request = 0; request < 2; ++request) {
        Send(m_port, "\r\n");
        EXPECT_EQ(Receive(m_port, 20), kAnswer.substr(kAnswer.size() - 20));
        Send(m_port, "\r\n#CD\r\n");
        EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer) << "once per request";
    }
}

TEST_F(QarnSimTest, DropLineAndBitflipChangeOneLineOfEachAnswer) {
    Start({"--drop-line", "2"});
    RequestUpload();
    const std::string dropped = kS0 + "\r\n" + kS3b + "\r\n" + kS7 + "\r\n";
    EXPECT_EQ(Receive(m_port, dropped.size()), dropped);
    m_port.Close();

    Start({"--bitflip", "2"});
    RequestUpload();
    const auto lines = Lines(Receive(m_port, kAnswer.size()));
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], kS0 + "\r\n");
    EXPECT_EQ(lines[2], kS3b + "\r\n");
    const std::string& flipped = lines[1];
    ASSERT_EQ(flipped.size(), kS3a.size() + 2);
    std::size_t changed = 0;
    for (std::size_t i = 0; i < kS3a.size(); ++i) {
        if (flipped[i] != kS3a[i]) {
            ++changed;
            EXPECT_TRUE(std::isxdigit(static_cast<unsigned char>(flipped[i])));
            EXPECT_GE(i, 4u) << "past the byte count";
        }
    }
    EXPECT_EQ(changed, 1u);
}

TEST_F(QarnSimTest, KeepReceivedAnswersWithTheLastDownloadThatReachedItsEndLine) {
    const std::string download = kS0 + "\r\n" + kS3b + "\n" + kS7 + "\r\n";
    for (const bool bFlip : {false, true}) {
        Start(bFlip ? std::vector<std::string>{"--keep-received", "--store-bitflip", "2"}
                    : std::vector<std::string>{"--keep-received"});
        RequestUpload();
        EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer)
            << "--config until a download has ended";
        // Cut short by the next request: not kept.
        Send(m_port, "\r\n\r\n#CU\r\n" + kS0 + "\r\n" + kS3b + "\r\n");
        RequestUpload();
        EXPECT_EQ(Receive(m_port, kAnswer.size()), kAnswer);
        Send(m_port, "\r\n\r\n#CU\r\n" + download);
        RequestUpload();
        const auto lines = Lines(Receive(m_port, kS0.size() + kS3b.size() + kS7.size() + 6));
        ASSERT_EQ(lines.size(), 3u) << bFlip;
        EXPECT_EQ(lines[0], kS0 + "\r\n");
        EXPECT_EQ(lines[2], kS7 + "\r\n");
        if (!bFlip) {
            EXPECT_EQ(lines[1], kS3b + "\r\n") << "kept in CR LF lines";
            m_port.Close();
            continue;
        }
        // One data digit changed, and a checksum that fits it: what a device
        // that stored a wrong byte reports.
        const std::string& stored = lines[1];
        ASSERT_EQ(stored.size(), kS3b.size() + 2);
        std::size_t changed = 0;
        unsigned sum = 0;
        for (std::size_t i = 0; i < kS3b.size() - 2; ++i) {
            changed += stored[i] != kS3b[i] ? 1 : 0;
            if (i >= 2 && i % 2 == 0) {
                sum += static_cast<unsigned>(std::stoul(stored.substr(i, 2), nullptr, 16));
            }
        }
        EXPECT_EQ(changed, 1u) << stored;
        EXPECT_EQ(stored.substr(0, 12), kS3b.substr(0, 12)) << "the address stays";
        EXPECT_EQ(std::stoul(stored.substr(kS3b.size() - 2, 2), nullptr, 16), ~sum & 0xFFu);
    }
}

TEST_F(QarnSimTest, LogLinesAreTimeStampedTextSomeWithASevenSecond) {
    Start({"--log-lines"});
    RequestUpload();
    const auto lines = Lines(ReceiveUntil(m_port, [](const std::string& got) {
        return std::count(got.begin(), got.end(), '\n') == 6;
    }));
    ASSERT_EQ(lines.size(), 6u);
    int sevens = 0;
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.size() > 10 && line[2] == ':' && line[5] == ':' && line.ends_with("\r\n"))
            << line;
        sevens += line[1] == '7' ? 1 : 0;
    }
    EXPECT_GT(sevens, 0);
}

TEST_F(QarnSimTest, EndlessSendsDataLinesAndNeverAnEndLine) {
    Start({"--endless"});
    RequestUpload();
    const std::string got = Receive(m_port, 10 * kAnswer.size());
    ASSERT_EQ(got.size(), 10 * kAnswer.size());
    const auto lines = Lines(got.substr(0, got.rfind('\n') + 1));
    EXPECT_EQ(lines[0], kS0 + "\r\n");
    for (std::size_t i = 1; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i], (i % 2 == 1 ? kS3a : kS3b) + "\r\n") << i;
    }
}

TEST(QarnSimOptions, RefusesUnknownOptionsAndConfigurationsThatAreNoFile) {
    ASSERT_FALSE(CSimProcess::ProgramPath().empty());
    const auto bogus = CProcess::Run(CSimProcess::ProgramPath(), {"--bogus"});
    EXPECT_EQ(bogus.nStatus, 2);
    EXPECT_EQ(bogus.strErr.rfind("qarn-sim: unknown option --bogus\n", 0), 0u) << bogus.strErr;
    const auto noValue = CProcess::Run(CSimProcess::ProgramPath(), {"--stale"});
    EXPECT_EQ(noValue.strErr.rfind("qarn-sim: --stale needs a value\n", 0), 0u) << noValue.strErr;
    const auto flipAlone = CProcess::Run(CSimProcess::ProgramPath(), {"--store-bitflip", "5"});
    EXPECT_EQ(flipAlone.nStatus, 2);
    EXPECT_EQ(flipAlone.strErr.rfind("qarn-sim: --store-bitflip needs --keep-received\n", 0), 0u)
        << flipAlone.strErr;

    CTempDir dir;
    const std::string huge = dir.File("huge.s19");
    ASSERT_EQ(truncate(dir.Write("huge.s19", "").c_str(), 65L * 1024 * 1024), 0);
    for (const auto& [path, why] : std::vector<std::pair<std::string, std::string>>{
             {"/dev/zero", "/dev/zero is not a regular file"},
             {dir.Path(), dir.Path() + " is not a regular file"},
             {huge, huge + " is larger than 64 MiB: not a configuration"}}) {
        const auto r = CProcess::Run(CSimProcess::ProgramPath(), {"--config", path}, {}, "", 5000);
        EXPECT_EQ(r.nStatus, 1) << path;
        EXPECT_EQ(r.strErr, "qarn-sim: " + why + "\n");
        EXPECT_EQ(r.strOut, "") << "no terminal was made";
    }
}

}  // namespace
