#include "support/CFakePort.h"
#include "support/CWait.h"
#include "support/CWorkerFixture.h"

#include <atomic>
#include <chrono>
#include <thread>

class TransferHost : public CWorkerFixture {};

TEST_F(TransferHost, StartingAgainWaitsForTheLastWorkerToLetGoOfThePort) {
    const auto lines = CTestConfig::Lines(5);
    CTestConfig::Load(m_doc, lines);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Download, "/dev/fake");
    // Transfer Configuration comes back just before the worker closes the port;
    // a press at that moment must not put a second worker on the same port.
    std::atomic<bool> restarted{false};
    host.m_onEvent = [&](const std::string& event) {
        if (event == "enable" && !restarted) {
            restarted = true;
            // Hold the old worker between its last UI call and its Close.
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
        }
    };

    ASSERT_TRUE(host.Start(m_doc));
    ASSERT_TRUE(CWait::Until([&] { return restarted.load(); }));
    ASSERT_TRUE(host.Start(m_doc));
    ASSERT_TRUE(host.WaitForEnd(std::chrono::seconds(4)));

    // A port still open would have been taken over without being opened.
    EXPECT_EQ(port.OpenCount(), 2);
    const std::string once = "\r\n\r\n#CU\r\n" + CTestConfig::Joined(lines);
    EXPECT_EQ(port.WireBytes(), once + once);
}

TEST_F(TransferHost, SendLineStopsAtTheFirstRejectedByte) {
    CFakePort port;
    port.m_nFailAfterBytes = 3;
    CRecordingHost host(port);
    ASSERT_TRUE(port.Open(CPortChoice::Device("/dev/fake"), 9600));

    host.SendLine("S3ABCDEF\r\n");

    EXPECT_EQ(port.WireBytes(), "S3A");
    EXPECT_EQ(host.m_nSteps, 3);
}

TEST_F(TransferHost, UploadDialogLeftWithoutAnUploadKeepsTheConfiguration) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(2));
    const std::string before = CTestConfig::InMemory(m_doc);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Upload, "/dev/fake");

    host.EndSession();  // Exit straight away

    EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
}

// Given back once: from then on the configuration is the user's again, and
// the end of the session leaves it alone.
TEST_F(TransferHost, AnUnfinishedUploadGivesRecordsHeaderEndAndModifiedFlagBackOnce) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(2));
    m_doc.SetModifiedFlag(true);
    const std::string before = CTestConfig::InMemory(m_doc);
    CFakePort port(CTestConfig::HeaderLine("NEW"));  // then silence
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Upload, "/dev/fake");

    RunToEnd(host);

    EXPECT_EQ(host.Outcome(), ETransferOutcome::CommError);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
    EXPECT_TRUE(m_doc.IsModified());
    g_recordList.RemoveAll();
    host.EndSession();
    EXPECT_TRUE(g_recordList.IsEmpty());
}
