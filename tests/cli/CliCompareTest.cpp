#include "tests/support/CProcess.h"
#include "tests/support/CSimProcess.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"

#include <gtest/gtest.h>

#include <future>
#include <string>
#include <vector>

class CliCompare : public ::testing::Test {
protected:
    void SetUp() override {
        if (CProcess::CliProgram().empty() || CSimProcess::ProgramPath().empty()) {
            GTEST_SKIP() << "TOVRIK_CLI or QARN_SIM not set: tovrik-cli or qarn-sim not built";
        }
    }

    CTempDir m_dir;
};

TEST_F(CliCompare, FilesExitAsCmpDoes) {
    std::string a = CTestConfig::HeaderLine();
    std::string b = a;
    for (unsigned at = 0; at < 25 * 16; at += 16) {
        a += CTestConfig::DataLine(at, std::string(16, 'a'));
        b += CTestConfig::DataLine(at, "b" + std::string(15, 'a'));
    }
    a += CTestConfig::EndLine();
    b += CTestConfig::EndLine();
    const std::string sample = TOVRIK_SAMPLE_S19;
    const std::string first = m_dir.Write("a.s19", a);
    const std::string second = m_dir.Write("b.s19", b);
    std::string lfEnds = CTempDir::Read(sample);
    std::erase(lfEnds, '\r');
    std::string ranges;  // the first 20 of 25
    for (unsigned at = 0; at < 20 * 16; at += 16) {
        ranges += CTestConfig::DataLine(at).substr(4, 8) + ": 1 byte differs (61 / 62)\n";
    }
    struct Case {
        std::vector<std::string> args;
        int nStatus;
        std::string strOut;
    };
    const std::vector<Case> cases{
        {{sample, sample}, 0, "identical files\n"},
        {{sample, m_dir.Write("lf.s19", lfEnds)}, 0, "same configuration\n"},
        {{first, second},
         1,
         "different: 25 ranges, 25 bytes\n" + ranges + "\xE2\x80\xA6 and 5 more\n"},
        {{first, m_dir.File("missing.s19")}, 2, ""},
        {{first, m_dir.Write("notes.txt", "no records\n")}, 2, ""},
        {{first}, 2, ""},
        {{first, second, first}, 2, ""},
        {{first, second, "--port", "1"}, 2, ""},
        {{first, "--device", second}, 2, ""},
        {{first, "--device", "--baud", "fast"}, 2, ""},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"compare"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const auto r = CProcess::RunCli(args, {}, "", 5000);
        EXPECT_EQ(r.nStatus, c.nStatus) << testing::PrintToString(c.args) << r.strErr;
        EXPECT_EQ(r.strOut, c.strOut) << testing::PrintToString(c.args);
        // Trouble is said on stderr, and so is every side that is not whole:
        // all but the sample.
        EXPECT_EQ(r.strErr.empty(), c.nStatus != 2 && c.args.front() == sample) << r.strErr;
    }
}

// The restore-and-verify flow: download, power cycle, compare with the device.
// A device that stored one byte wrong is found and the address named. Two
// devices at once: a full download takes about a minute at the device's pacing.
TEST_F(CliCompare, ADownloadIsVerifiedAgainstTheDeviceThatKeptIt) {
    const std::string sample = TOVRIK_SAMPLE_S19;
    CSimProcess kept({"--keep-received", "--baud", "0"});
    CSimProcess flipped({"--keep-received", "--store-bitflip", "5", "--baud", "0"});
    ASSERT_TRUE(kept.Start()) << kept.Error();
    ASSERT_TRUE(flipped.Start()) << flipped.Error();
    auto compare = [&](const CSimProcess& sim) {
        // A guard against a hang, not a speed goal: loaded machines run the
        // sanitizer builds several times slower.
        return CProcess::RunCli({"compare", sample, "--device", "--port", sim.DevicePath()}, {}, "",
                                60000);
    };

    const auto before = compare(kept);
    EXPECT_EQ(before.nStatus, 2) << "nothing to compare before the first download";
    EXPECT_EQ(before.strOut, "No connection. could not upload data.\n");

    auto download = [&](const CSimProcess& sim) {
        return std::async(std::launch::async, [&] {
            return CProcess::RunCli({"download", sample, "--port", sim.DevicePath()}, {},
                                    "Download finished.", 110000);
        });
    };
    auto first = download(kept);
    auto second = download(flipped);
    ASSERT_EQ(first.get().nStatus, 0);
    ASSERT_EQ(second.get().nStatus, 0);

    const std::string uploaded =
        "Uploading data.\nUpload finished.\n"
        "196642 of 196642 bytes have been successfully uploaded into RAM\n";
    const auto same = compare(kept);
    EXPECT_EQ(same.nStatus, 0) << same.strErr;
    EXPECT_EQ(same.strOut, uploaded + "identical files\n");
    const auto changed = compare(flipped);
    EXPECT_EQ(changed.nStatus, 1) << changed.strErr;
    EXPECT_EQ(changed.strOut,
              uploaded + "different: 1 range, 1 byte\n0000006E: 1 byte differs (01 / 00)\n");
}

TEST_F(CliCompare, ADeviceAnswerThatIsNotWholeIsTroubleAndASignalCancelsIt) {
    const std::string config =
        m_dir.Write("config.s19", CTestConfig::Joined(CTestConfig::Lines(4)));
    CSimProcess damaged({"--config", config, "--baud", "0", "--bitflip", "3"});
    ASSERT_TRUE(damaged.Start()) << damaged.Error();
    const auto r =
        CProcess::RunCli({"compare", config, "--device", "--port", damaged.DevicePath()});
    EXPECT_EQ(r.nStatus, 2);
    EXPECT_EQ(r.strOut, "Uploading data.\nUpload damaged: 1 record fails its checksum.\n");

    CSimProcess slow({"--config", config, "--baud", "1200"});
    ASSERT_TRUE(slow.Start()) << slow.Error();
    const auto stopped = CProcess::RunCli(
        {"compare", config, "--device", "--port", slow.DevicePath(), "--baud", "9600"}, {},
        "Uploading data.");
    EXPECT_EQ(stopped.nStatus, 130);
    EXPECT_EQ(stopped.strErr, "Info: Upload aborted.\nPlease power cycle QARN.\n");
}
