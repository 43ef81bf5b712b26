#include "serial/CSerialPort.h"
#include "support/CPtyDevice.h"
#include "support/CWorkerFixture.h"

class KeepDocument : public CWorkerFixture {};

// Compare with Device: whatever the upload's end, the configuration in memory
// stays exactly as it was, unsaved changes included, and what the device sent
// is kept aside.
TEST_F(KeepDocument, AnUploadNeverReplacesTheConfigurationInMemory) {
    const auto answer = CTestConfig::Lines(3);
    const std::string joined = CTestConfig::Joined(answer);
    // Whole, and cut short within its third line.
    for (const std::string& sent : {joined, joined.substr(0, 100)}) {
        CTestConfig::Load(m_doc, {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                                  CTestConfig::EndLine()});
        m_doc.SetPathName("/backups/old.s19");
        m_doc.SetModifiedFlag();
        const std::string before = CTestConfig::InMemory(m_doc);
        const std::vector<int> dataLines = m_doc.m_notes.dataLines;
        CPtyDevice device({{0, sent}});
        ASSERT_TRUE(device.Ok());
        CSerialPort port;
        CRecordingHost host(port);
        Prepare(host, ETransferMode::Upload, device.Path());
        host.m_request.bKeepDocument = true;
        RunToEnd(host);
        host.EndSession();

        EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
        EXPECT_EQ(m_doc.m_notes.dataLines, dataLines);
        EXPECT_TRUE(m_doc.IsModified());
        EXPECT_EQ(m_doc.GetPathName(), "/backups/old.s19");
        const CConfiguration& received = host.Received();
        EXPECT_EQ(received.m_header.GetLine(), answer.front());
        ASSERT_EQ(received.m_records.GetCount(), sent == joined ? 3u : 2u);
        EXPECT_EQ((*received.m_records.begin())->GetLine(), answer[1]);
        // A few lines are a configuration short of its size: the upload ends
        // incomplete, and what came is kept all the same.
        EXPECT_EQ(host.Outcome(),
                  sent == joined ? ETransferOutcome::Incomplete : ETransferOutcome::CommError);
    }
}
