// A disturbed line between Tovrik and the device, played by qarn-sim: noise,
// silence, a flood without line feeds, a device at another baud rate, bytes
// left from an earlier answer, a changed or missing line, a device that prints
// log lines and one that never ends. Each upload ends by itself with what the
// user must see, and the configuration in memory is either what the device
// sent, whole, or the one held before the upload: never a part of one.
#include "CSimUploadFixture.h"

#include "core/data/CConfigCheck.h"

#include <algorithm>
#include <ostream>

namespace {

const std::string kCommErrorBox =
    "box:Communication Error|Upload Aborted\nPlease Power Cycle QARN\nCheck the cable, the port "
    "and "
    "the baud rate.\n";
const std::vector<std::string> kAbortedLines{"Uploading data.", "Upload aborted."};

std::string CountLine(std::size_t total) {
    return std::to_string(total) + " of 196642 bytes have been successfully uploaded into RAM";
}

// Whole scenarios stay far below these with the test timing, the first with
// the small configuration, the second with a whole one.
constexpr long long kPromptMs = 2500;
constexpr long long kWholePromptMs = 15000;

}  // namespace

class LineFaultScenario : public CSimUploadFixture {
protected:
    // Finished with the whole sample in memory.
    void ExpectFinishedWithTheWholeConfiguration() {
        const std::string config = CTestConfig::Joined(CTestConfig::WholeLines());
        EXPECT_EQ(m_host.Outcome(), ETransferOutcome::Finished);
        EXPECT_EQ(
            m_host.StatusList(),
            (std::vector<std::string>{"Uploading data.", "Upload finished.", CountLine(196642)}));
        EXPECT_EQ(CTestConfig::InMemory(m_doc), config);
        EXPECT_EQ(m_host.Total(), 196642);
        EXPECT_TRUE(m_doc.IsModified());
    }

    // A failed upload after which the old configuration is back, unchanged.
    void ExpectTheOldConfiguration() {
        EXPECT_TRUE(Contains(m_host.Log(), "pos:0"));
        EXPECT_FALSE(Contains(m_host.Log(), "done"));
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
        EXPECT_FALSE(m_doc.IsModified());
    }
    void ExpectCommErrorWithTheOldConfiguration(
        const std::vector<std::string>& status = kAbortedLines) {
        EXPECT_EQ(m_host.Outcome(), ETransferOutcome::CommError);
        EXPECT_EQ(m_host.StatusList(), status);
        EXPECT_TRUE(Contains(m_host.Log(), kCommErrorBox));
        ExpectTheOldConfiguration();
    }
    // The small configuration arrived as the device holds it; being smaller
    // than a whole one, it did not finish, and is kept only when asked.
    void ExpectTheDevicesSmallConfigurationAside() {
        const std::string reason = std::to_string(m_config.size()) + " bytes instead of 196642";
        EXPECT_EQ(m_host.Outcome(), ETransferOutcome::Incomplete);
        EXPECT_EQ(
            m_host.StatusList(),
            (std::vector<std::string>{"Uploading data.", "Upload incomplete: " + reason + "."}));
        ExpectTheOldConfiguration();
        m_host.KeepReceived();
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_config);
        EXPECT_EQ(m_host.Total(), static_cast<int>(m_config.size()));
    }
};

TEST_F(LineFaultScenario, NoiseBetweenLinesNeverReachesTheConfiguration) {
    const long long ms = Upload({"--noise", "--echo"}, true);

    ExpectFinishedWithTheWholeConfiguration();
    // Only the echo and the configuration are accepted bytes.
    EXPECT_EQ(m_host.m_nPostedSteps, 5 + 196642);
    EXPECT_LT(ms, kWholePromptMs);
}

// Silence ten characters into the second data line, or right after the first.
class SilenceAfterData : public LineFaultScenario, public ::testing::WithParamInterface<int> {};

TEST_P(SilenceAfterData, GivesTheOldConfigurationBack) {
    const std::size_t cut = Prefix(2) + static_cast<std::size_t>(GetParam());
    const long long ms = Upload({"--silence-after", std::to_string(cut)});

    ExpectCommErrorWithTheOldConfiguration();
    EXPECT_EQ(m_host.Total(), static_cast<int>(cut)) << "counted as it arrived";
    EXPECT_LT(ms, kPromptMs);
}

INSTANTIATE_TEST_SUITE_P(InsideOrAfterALine, SilenceAfterData, ::testing::Values(10, 0));

TEST_F(LineFaultScenario, FloodWithoutLineFeedsIsCutInto4096ByteLinesAndDropped) {
    const int flood = 3 * 4096;
    const long long ms = Upload({"--flood", std::to_string(flood)});

    ExpectTheDevicesSmallConfigurationAside();
    EXPECT_EQ(m_host.m_nPostedSteps, static_cast<int>(flood + m_config.size()));
    // Three cut pieces, then the configuration's lines.
    EXPECT_EQ(m_host.m_nPostedCounts, static_cast<int>(3 + m_lines.size()));
    EXPECT_LT(ms, kPromptMs);
}

TEST_F(LineFaultScenario, FloodThatEndsInSilenceGivesTheOldConfigurationBack) {
    const long long ms = Upload({"--flood", "10000", "--silence-after", "0"});

    ExpectCommErrorWithTheOldConfiguration();
    EXPECT_EQ(m_host.Total(), 0);
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

    ExpectTheDevicesSmallConfigurationAside();
    EXPECT_LT(ms, kPromptMs);
}

// The ends of an upload whose answer reaches its S7 line: only a whole one
// finishes. Anything less, damaged (a problem) or incomplete (a warning
// alone), says why, puts back the configuration held before exactly, and
// keeps what was received aside with the notes of how it arrived, for a
// front end that offers to keep it.
struct CEndCase {
    const char* name;
    bool bWhole;  // the device holds the whole sample, else the small configuration
    std::vector<std::string> args;
    std::string status;  // what follows "Uploading data."; empty for "Upload finished."
};

void PrintTo(const CEndCase& c, std::ostream* os) {
    *os << c.name;
}

class UploadEnd : public LineFaultScenario, public ::testing::WithParamInterface<CEndCase> {};

TEST_P(UploadEnd, FinishesOnlyWhenWholeAndOtherwiseKeepsWhatCameAside) {
    const CEndCase& c = GetParam();
    Upload(c.args, c.bWhole);

    if (c.status.empty()) {
        ExpectFinishedWithTheWholeConfiguration();
        return;
    }
    EXPECT_EQ(m_host.Outcome(), c.status.starts_with("Upload damaged")
                                    ? ETransferOutcome::Damaged
                                    : ETransferOutcome::Incomplete);
    EXPECT_EQ(m_host.StatusList(), (std::vector<std::string>{"Uploading data.", c.status}));
    const std::string reasons = c.status.substr(c.status.find(": ") + 2);
    EXPECT_TRUE(std::none_of(m_host.Log().begin(), m_host.Log().end(), [](const std::string& e) {
        return e.starts_with("box:");
    })) << "the front end words what it shows";
    ExpectTheOldConfiguration();
    ASSERT_TRUE(m_host.ReceivedCheck());
    const CConfigCheck& check = *m_host.ReceivedCheck();
    EXPECT_EQ(CConfigCheck::ReasonList(check.IsValid() ? check.Warnings() : check.Problems()) + ".",
              reasons);

    // Kept knowingly: marked changed, without a file, its findings with it.
    m_host.KeepReceived();
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetPathName(), "");
    const CConfigCheck kept(m_doc);
    EXPECT_EQ(CConfigCheck::ReasonList(kept.IsValid() ? kept.Warnings() : kept.Problems()) + ".",
              reasons);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, UploadEnd,
    ::testing::Values(
        CEndCase{"Whole", true, {}, ""},
        CEndCase{"LineLost",
                 true,
                 {"--drop-line", "100"},
                 "Upload incomplete: 196562 bytes instead of 196642; 1 gap in the addresses."},
        CEndCase{"LineRepeated",
                 true,
                 {"--repeat-line", "100"},
                 "Upload incomplete: 196722 bytes instead of 196642; 1 overlap in the addresses."},
        CEndCase{"OnlyHeaderAndEndLine",
                 true,
                 {"--end-after", "1"},
                 "Upload incomplete: 82 bytes instead of 196642."},
        CEndCase{"EndLineAfter99Lines",
                 true,
                 {"--end-after", "99"},
                 "Upload incomplete: 7922 bytes instead of 196642."},
        CEndCase{"CommentAppended",
                 false,
                 {"--extra-text", "3"},
                 "Upload damaged: 1 line has characters that are not kept."},
        CEndCase{"BytesInsideLines",
                 false,
                 {"--noise-inside"},
                 "Upload damaged: 6 lines lost bytes that are not hex digits."},
        CEndCase{"ChangedHexDigit",
                 false,
                 {"--bitflip", "3"},
                 "Upload damaged: 1 record fails its checksum."},
        CEndCase{"MissingHeader", false, {"--drop-line", "1"}, "Upload damaged: no S0 line."},
        CEndCase{"LogLinesOfAnotherDevice",
                 false,
                 {"--log-lines"},
                 "Upload damaged: no S0 line; 4 lines are not well-formed S-records; 4 lines "
                 "have characters that are not kept."}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(LineFaultScenario, ADeviceThatNeverSendsItsEndLineIsStoppedAfterFourImages) {
    Upload({"--endless"});

    ExpectCommErrorWithTheOldConfiguration(
        {"Uploading data.", "No S7 line in 786568 bytes.", "Upload aborted."});
    EXPECT_GT(m_host.m_nPostedSteps, 4 * 196642);
}
