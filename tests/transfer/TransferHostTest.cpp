#include "support/CFakePort.h"
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

    ASSERT_TRUE(host.StartWorker());
    while (!restarted) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    host.m_nTotal = 0;
    ASSERT_TRUE(host.StartWorker());
    ASSERT_TRUE(host.WaitForEnd(4000));

    EXPECT_FALSE(port.OpenedWhileOpen());
    EXPECT_EQ(port.OpenCount(), 2);
    const std::string once = "\r\n\r\n#CU\r\n" + CTestConfig::Joined(lines);
    EXPECT_EQ(port.WireBytes(), once + once);
}

TEST_F(TransferHost, SendLineStopsAtTheFirstRejectedByte) {
    CFakePort port;
    port.m_nFailAfterBytes = 3;
    CRecordingHost host(port);
    ASSERT_TRUE(port.OpenDevice("/dev/fake", 9600));

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

TEST_F(TransferHost, RestoreBringsBackRecordsHeaderEndAndModifiedFlagOnce) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(2));
    m_doc.SetModifiedFlag(true);
    const std::string before = CTestConfig::InMemory(m_doc);
    CFakePort port;
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Upload, "/dev/fake");

    host.BeginUpload();
    EXPECT_TRUE(g_recordList.IsEmpty());
    m_doc.m_pHeader->Parse(CTestConfig::HeaderLine("NEW"));
    m_doc.m_pEndRecord->Parse("S70500000000FA\n");
    m_doc.SetModifiedFlag(false);
    host.RestoreConfiguration();

    EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_FALSE(host.HasSnapshot());

    // A second restore has nothing to put back and changes nothing.
    g_recordList.RemoveAll();
    host.RestoreConfiguration();
    EXPECT_TRUE(g_recordList.IsEmpty());
}
