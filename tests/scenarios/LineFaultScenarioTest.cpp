// A disturbed line between Tovrik and the device, played by qarn-sim: noise,
// silence, a flood without line feeds and a device at another baud rate. Each
// upload ends by itself with what the user must see, and the configuration in
// memory is either what the device sent, what arrived before the fault, or the
// one held before the upload, never a mixture that looks complete.
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
    void ExpectFinishedWithTheDevicesConfiguration() {
        EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::Finished);
        EXPECT_EQ(m_host.StatusList(),
                  (std::vector<std::string>{"Uploading data.", "Upload finished.",
                                            CountLine(m_config.size())}));
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_config);
        EXPECT_EQ(m_host.m_nTotal, static_cast<int>(m_config.size()));
        EXPECT_TRUE(m_doc.IsModified());
    }

    // A communication error after which the old configuration is back.
    void ExpectCommErrorWithTheOldConfiguration() {
        EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::CommError);
        EXPECT_EQ(m_host.StatusList(), kAbortedLines);
        EXPECT_TRUE(Contains(m_host.Log(), kCommErrorBox));
        EXPECT_TRUE(Contains(m_host.Log(), "pos:0"));
        EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
        EXPECT_FALSE(m_doc.IsModified());
        EXPECT_EQ(m_host.m_nTotal, 0);
        EXPECT_TRUE(m_host.m_bUploadDone);
    }
};

TEST_F(LineFaultScenario, NoiseBetweenAndInsideLinesNeverReachesTheConfiguration) {
    const long long ms = Upload({"--noise", "--noise-inside", "--echo"});

    ExpectFinishedWithTheDevicesConfiguration();
    // Only the echo and the configuration are accepted bytes.
    EXPECT_EQ(m_host.m_nPostedSteps, static_cast<int>(5 + m_config.size()));
    EXPECT_LT(ms, kPromptMs);
}

TEST_F(LineFaultScenario, SilenceInsideALineKeepsThePartReceivedAndSaysSo) {
    const std::size_t cut = Prefix(2) + 10;  // ten characters into the second data line
    const long long ms = Upload({"--silence-after", std::to_string(cut)});

    EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::CommError);
    EXPECT_EQ(m_host.StatusList(), kAbortedLines);
    EXPECT_TRUE(Contains(m_host.Log(), kCommErrorBox));
    EXPECT_TRUE(Contains(m_host.Log(), "pos:0"));
    // What arrived stays, marked as changed: the user was told the upload failed.
    EXPECT_EQ(m_doc.m_pHeader->GetLine(), m_lines[0]);
    ASSERT_EQ(g_recordList.GetCount(), 2u);
    EXPECT_EQ((*g_recordList.begin())->GetLine(), m_lines[1]);
    EXPECT_EQ((*std::next(g_recordList.begin()))->GetLine(), m_lines[2].substr(0, 10));
    EXPECT_EQ(m_doc.m_pEndRecord->GetLine(), CTestConfig::EndLine()) << "the old end record";
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_host.m_nTotal, static_cast<int>(cut));
    EXPECT_LT(ms, kPromptMs);
}

TEST_F(LineFaultScenario, SilenceRightAfterALineFeedStoresNoPartialRecord) {
    const long long ms = Upload({"--silence-after", std::to_string(Prefix(2))});

    EXPECT_EQ(m_host.m_eOutcome, ETransferOutcome::CommError);
    EXPECT_EQ(m_host.StatusList(), kAbortedLines);
    EXPECT_TRUE(Contains(m_host.Log(), kCommErrorBox));
    ASSERT_EQ(g_recordList.GetCount(), 1u);
    EXPECT_EQ((*g_recordList.begin())->GetLine(), m_lines[1]);
    EXPECT_EQ(m_host.m_nTotal, static_cast<int>(Prefix(2)));
    EXPECT_LT(ms, kPromptMs);
}

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
