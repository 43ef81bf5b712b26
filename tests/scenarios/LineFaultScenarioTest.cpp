// A disturbed line between Tovrik and the device, played by qarn-sim: noise,
// silence, a flood without line feeds, a device at another baud rate, bytes
// left from an earlier answer, a changed or missing line, a device that prints
// log lines and one that never ends. Each upload ends by itself with what the
// user must see, and the configuration in memory is either what the device
// sent, checked, or the one held before the upload: never a part of one.
#include "CSimUploadFixture.h"

namespace {

const std::string kCommErrorBox =
    "box:Communication Error|Upload Aborted\nPlease Power Cycle QARN\n";
const std::vector<std::string> kAbortedLines{"Uploading data.", "Upload aborted."};

std::string CountLine(std::size_t total) {
    return std::to_string(total) + " of 196642 bytes have been successfully uploaded into RAM";
}

// Whole scenarios stay far below this with the test timing.
constexpr long long kPromptMs = 2500;

}  // namespace

class LineFaultScenario : public CSimUploadFixture {
protected:
    // Finished with `config` in memory; the test configuration is smaller than
    // a full image, so its size is always a warning.
    void ExpectFinishedWith(const std::string& config, const std::vector<std::string>& more = {}) {
        EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::Finished);
        std::vector<std::string> status{
            "Uploading data.", "Upload finished.", CountLine(config.size()),
            "Warning: " + std::to_string(config.size()) + " bytes instead of 196642."};
        status.insert(status.end(), more.begin(), more.end());
        EXPECT_EQ(m_host.StatusList(), status);
        EXPECT_EQ(CTestConfig::InMemory(m_doc), config);
        EXPECT_EQ(m_host.m_nTotal, static_cast<int>(config.size()));
        EXPECT_TRUE(m_doc.IsModified());
    }
    void ExpectFinishedWithTheDevicesConfiguration() { ExpectFinishedWith(m_config); }

    // A failed upload after which the old configuration is back, unchanged.
    void ExpectTheOldConfiguration() {
        EXPECT_TRUE(Contains(m_host.Log(), "pos:0"));
        EXPECT_FALSE(Contains(m_host.Log(), "done"));
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
        EXPECT_FALSE(m_doc.IsModified());
        EXPECT_TRUE(m_host.m_bUploadDone);
    }
    void ExpectCommErrorWithTheOldConfiguration(
        const std::vector<std::string>& status = kAbortedLines) {
        EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::CommError);
        EXPECT_EQ(m_host.StatusList(), status);
        EXPECT_TRUE(Contains(m_host.Log(), kCommErrorBox));
        ExpectTheOldConfiguration();
    }
    void ExpectDamagedWithTheOldConfiguration(const std::string& reasons) {
        EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::Damaged);
        EXPECT_EQ(m_host.StatusList(), (std::vector<std::string>{
                                           "Uploading data.", "Upload damaged: " + reasons + "."}));
        const auto log = m_host.Log();
        EXPECT_TRUE(std::any_of(log.begin(), log.end(), [](const std::string& event) {
            return event.starts_with("box:Upload Damaged|");
        }));
        ExpectTheOldConfiguration();
    }
};

TEST_F(LineFaultScenario, NoiseBetweenAndInsideLinesNeverReachesTheConfiguration) {
    const long long ms = Upload({"--noise", "--noise-inside", "--echo"});

    ExpectFinishedWithTheDevicesConfiguration();
    // Only the echo and the configuration are accepted bytes.
    EXPECT_EQ(m_host.m_nPostedSteps, static_cast<int>(5 + m_config.size()));
    EXPECT_LT(ms, kPromptMs);
}

// Silence ten characters into the second data line, or right after the first.
class SilenceAfterData : public LineFaultScenario, public ::testing::WithParamInterface<int> {};

TEST_P(SilenceAfterData, GivesTheOldConfigurationBack) {
    const std::size_t cut = Prefix(2) + static_cast<std::size_t>(GetParam());
    const long long ms = Upload({"--silence-after", std::to_string(cut)});

    ExpectCommErrorWithTheOldConfiguration();
    EXPECT_EQ(m_host.m_nTotal, static_cast<int>(cut)) << "counted as it arrived";
    EXPECT_LT(ms, kPromptMs);
}

INSTANTIATE_TEST_SUITE_P(InsideOrAfterALine, SilenceAfterData, ::testing::Values(10, 0));

TEST_F(LineFaultScenario, FloodWithoutLineFeedsIsCutInto4096ByteLinesAndDropped) {
    const int flood = 3 * 4096;
    const long long ms = Upload({"--flood", std::to_string(flood)});

    ExpectFinishedWithTheDevicesConfiguration();
    EXPECT_EQ(m_host.m_nPostedSteps, static_cast<int>(flood + m_config.size()));
    // Three cut pieces, then the configuration's lines.
    EXPECT_EQ(m_host.m_nPostedCounts, static_cast<int>(3 + m_lines.size()));
    EXPECT_LT(ms, kPromptMs);
}

TEST_F(LineFaultScenario, FloodThatEndsInSilenceGivesTheOldConfigurationBack) {
    const long long ms = Upload({"--flood", "10000", "--silence-after", "0"});

    ExpectCommErrorWithTheOldConfiguration();
    EXPECT_EQ(m_host.m_nTotal, 0);
    EXPECT_EQ(m_host.m_nPostedSteps, 10000);
    EXPECT_EQ(m_host.m_nPostedCounts, 3) << "4096 + 4096 + the 1808 before the silence";
    EXPECT_LT(ms, kPromptMs);
}

TEST_F(LineFaultScenario, DeviceAtAnotherBaudRateIsACommunicationErrorNotAConfiguration) {
    const long long ms = Upload({"--garbage", "--echo"});

    ExpectCommErrorWithTheOldConfiguration();
    // A few bytes of the garble are printable and pass; no line feed ever does.
    EXPECT_GT(m_host.m_nPostedSteps, 0);
    EXPECT_LT(m_host.m_nPostedSteps, static_cast<int>(m_config.size() / 4));
    EXPECT_EQ(m_host.m_nPostedCounts, 1) << "everything is one line, cut by the silence";
    EXPECT_LT(ms, kPromptMs);
}

TEST_F(LineFaultScenario, BytesLeftFromAnEarlierAnswerAreNeverReadAsThisOne) {
    // The tail holds the end of a data line and the S7 line.
    const long long ms = Upload({"--stale", std::to_string(m_lines.back().size() + 30)});

    ExpectFinishedWithTheDevicesConfiguration();
    EXPECT_LT(ms, kPromptMs);
}

// An answer that reaches its S7 line but is not a valid configuration.
struct CDamageCase {
    const char* name;
    std::vector<std::string> args;
    const char* reasons;
};

void PrintTo(const CDamageCase& c, std::ostream* os) {
    *os << c.name;
}

class DamagedAnswer : public LineFaultScenario,
                      public ::testing::WithParamInterface<CDamageCase> {};

TEST_P(DamagedAnswer, IsAFailedUploadThatKeepsTheOldConfiguration) {
    Upload(GetParam().args);
    ExpectDamagedWithTheOldConfiguration(GetParam().reasons);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, DamagedAnswer,
    ::testing::Values(
        CDamageCase{"ChangedHexDigit", {"--bitflip", "3"}, "1 record fails its checksum"},
        CDamageCase{"MissingHeader", {"--drop-line", "1"}, "no S0 line"},
        CDamageCase{"LogLinesOfAnotherDevice",
                    {"--log-lines"},
                    "no S0 line; 4 lines are not well-formed S-records"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineFaultScenario, AMissingDataLineLeavesAValidConfigurationThatSaysWhatItLacks) {
    Upload({"--drop-line", "3"});

    std::vector<std::string> lines = m_lines;
    lines.erase(lines.begin() + 2);
    ExpectFinishedWith(CTestConfig::Joined(lines), {"Warning: 1 gap or overlap in the addresses."});
}

TEST_F(LineFaultScenario, ADeviceThatNeverSendsItsEndLineIsStoppedAfterFourImages) {
    Upload({"--endless"});

    ExpectCommErrorWithTheOldConfiguration(
        {"Uploading data.", "No S7 line in 786568 bytes.", "Upload aborted."});
    EXPECT_GT(m_host.m_nPostedSteps, 4 * 196642);
}
