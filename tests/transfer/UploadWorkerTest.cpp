#include "data/CConfigCheck.h"
#include "serial/CSerialPort.h"
#include "support/CFakePort.h"
#include "support/CPtyDevice.h"
#include "support/CWorkerFixture.h"

#include <cctype>
#include <cerrno>

namespace {

const std::string kRequest = "\r\n\r\n#CD\r\n";
// Time enough for a whole configuration, byte by byte, also under a sanitizer.
constexpr int kWholeUploadMs = 60000;
const std::string kCommError =
    "box:Communication Error|Upload Aborted\nPlease Power Cycle QARN\nCheck the cable, the port "
    "and the baud rate.\n";

std::string CountLine(std::size_t total) {
    return std::to_string(total) + " of 196642 bytes have been successfully uploaded into RAM";
}

}  // namespace

class UploadWorker : public CWorkerFixture {
protected:
    // The configuration in memory before the upload, which must come back
    // whenever the upload gives nothing in its place.
    void SetUp() override {
        CWorkerFixture::SetUp();
        CTestConfig::Load(m_doc, {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                                  CTestConfig::DataLine(0x8010), CTestConfig::EndLine()});
        m_before = CTestConfig::InMemory(m_doc);
    }

    // Runs an upload against a scripted device, as the dialog starts one.
    void Upload(CPtyDevice& device, CRecordingHost& host, bool abortAtOnce = false) {
        ASSERT_TRUE(device.Ok());
        Prepare(host, ETransferMode::Upload, device.Path());
        ASSERT_TRUE(host.Start(m_doc));
        if (abortAtOnce) {
            host.RequestAbort();
        }
        ASSERT_TRUE(host.WaitForEnd(std::chrono::milliseconds(kWholeUploadMs)));
    }

    std::string m_before;
};

TEST_F(UploadWorker, StoresAWholeAnswerDroppingEchoAndPromptAndReportsTheCount) {
    const auto lines = CTestConfig::WholeLines();
    const std::string config = CTestConfig::Joined(lines);
    const std::string noise = "#CD\r\nQARN>\r\n";
    CPtyDevice device({{0, noise + config}});
    CSerialPort port;
    CRecordingHost host(port);
    // 196654 bytes through a pseudo-terminal: on a loaded machine the line
    // can pause longer than the tests' short idle waits.
    host.m_request.timing.nInLineIdleMs = host.m_request.timing.nBetweenLinesIdleMs = 2000;

    Upload(device, host);

    EXPECT_EQ(device.Received(), kRequest);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), config);
    EXPECT_EQ(g_recordList.GetCount(), lines.size() - 2);
    EXPECT_EQ(host.Total(), 196642) << "only S0, S3 and S7 lines count";
    EXPECT_EQ(host.m_nPostedSteps, static_cast<int>(noise.size() + config.size()));
    EXPECT_EQ(host.m_nPostedCounts, 2 + static_cast<int>(lines.size())) << "dropped lines too";
    EXPECT_EQ(host.Log(),
              (std::vector<std::string>{"status:Uploading data.", "status:Upload finished.",
                                        "status:" + CountLine(196642), "done",
                                        "caption:" + host.m_request.strTitle, "enable"}));
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Finished);
    EXPECT_FALSE(host.ReceivedCheck());
    EXPECT_TRUE(m_doc.IsModified()) << "an uploaded configuration must not be lost unasked";
    EXPECT_EQ(m_doc.GetPathName(), "") << "no file yet: the first save asks for one";
    EXPECT_EQ(m_doc.m_notes.dataLines.front(), 4) << "lines of the answer";
    EXPECT_FALSE(port.IsOpen());

    host.EndSession();  // Exit
    EXPECT_EQ(CTestConfig::InMemory(m_doc), config);
}

TEST_F(UploadWorker, SilentDeviceMeansNoConnectionAndTheConfigurationStays) {
    CPtyDevice device;
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    EXPECT_EQ(device.Received(), kRequest);
    EXPECT_EQ(host.Log(),
              (std::vector<std::string>{"status:No connection. could not upload data.",
                                        "caption:" + host.m_request.strTitle, "enable"}));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(host.Outcome(), ETransferOutcome::NoConnection);
}

// A device that stops answering after `sent` (cut short at various places).
struct SilenceCase {
    const char* name;
    int nWholeLines;    // lines of the config sent whole
    int nPartialChars;  // characters of the next line sent after them
};

class UploadSilence : public UploadWorker, public ::testing::WithParamInterface<SilenceCase> {};

TEST_P(UploadSilence, EndsAsCommunicationErrorGivingTheOldConfigurationBack) {
    const auto lines = CTestConfig::Lines(3);
    std::string sent;
    for (int i = 0; i < GetParam().nWholeLines; ++i) {
        sent += lines[static_cast<std::size_t>(i)];
    }
    const std::string partial =
        lines[static_cast<std::size_t>(GetParam().nWholeLines)].substr(0, GetParam().nPartialChars);
    CPtyDevice device({{0, sent + partial}});
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    EXPECT_EQ(host.StatusList(), (std::vector<std::string>{"Uploading data.", "Upload aborted."}));
    const auto log = host.Log();
    EXPECT_TRUE(Contains(log, "pos:0"));
    EXPECT_TRUE(Contains(log, kCommError));
    EXPECT_FALSE(Contains(log, "done"));
    EXPECT_EQ(log.back(), "enable");
    EXPECT_EQ(host.Outcome(), ETransferOutcome::CommError);
    // A partial configuration is never what anyone wants in memory.
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_EQ(host.Total(), static_cast<int>(sent.size() + partial.size()));
    EXPECT_TRUE(host.HasReceived());
    host.EndSession();
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

INSTANTIATE_TEST_SUITE_P(Places, UploadSilence,
                         ::testing::Values(SilenceCase{"WithinARecord", 2, 21},
                                           SilenceCase{"AfterALineFeed", 3, 0},
                                           SilenceCase{"WithinTheEndLine", 4, 6}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(UploadWorker, CommunicationErrorBeforeAnyRecordGivesTheOldConfigurationBack) {
    CPtyDevice device({{0, "#CD\r\n"}});  // an echo, then nothing
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    EXPECT_EQ(host.StatusList(), (std::vector<std::string>{"Uploading data.", "Upload aborted."}));
    EXPECT_TRUE(Contains(host.Log(), kCommError));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(UploadWorker, ShortPausesWithinAndBetweenLinesAreNoError) {
    const auto lines = CTestConfig::Lines(2);
    CPtyDevice device({{0, lines[0] + lines[1].substr(0, 20)},
                       {40, lines[1].substr(20)},
                       {30, lines[2] + lines[3]}});
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    // Received whole, yet smaller than a configuration: kept only when asked.
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Incomplete);
    host.KeepReceived();
    EXPECT_EQ(CTestConfig::InMemory(m_doc), CTestConfig::Joined(lines));
}

TEST_F(UploadWorker, DeviceUnpluggedMidwayIsACommunicationError) {
    const auto lines = CTestConfig::Lines(3);
    CPtyDevice device({{0, lines[0] + lines[1]}, {200, "", true}});
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    EXPECT_EQ(host.Outcome(), ETransferOutcome::CommError);
    EXPECT_TRUE(Contains(host.Log(), kCommError));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

TEST_F(UploadWorker, AbortBeforeTheAnswerLeavesNoTraceOnceTheDialogCloses) {
    const auto lines = CTestConfig::Lines(2);
    CPtyDevice device({{0, CTestConfig::Joined(lines)}});
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host, /*abortAtOnce=*/true);

    EXPECT_TRUE(host.Log().empty()) << "no line, no enable, no caption after an abort";
    EXPECT_EQ(host.Outcome(), ETransferOutcome::Aborted);
    EXPECT_FALSE(port.IsOpen());
    host.EndSession();  // Cancel, once the worker has ended
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_FALSE(m_doc.IsModified());
}

TEST_F(UploadWorker, AbortWithinALineStoresThePartThenCancelRestores) {
    const auto lines = CTestConfig::Lines(3);
    CPtyDevice device({{0, CTestConfig::Joined(lines)}});
    CSerialPort port;
    CRecordingHost host(port);
    const int stopAt = static_cast<int>(lines[0].size() + 30);
    host.m_onPostedStep = [&](int n) {
        if (n == stopAt) {
            host.RequestAbort();
        }
    };

    Upload(device, host);

    EXPECT_EQ(host.m_nPostedSteps, stopAt);
    EXPECT_EQ(host.m_nPostedCounts, 1) << "nothing is posted once the abort is seen";
    EXPECT_EQ(host.StatusList(), (std::vector<std::string>{"Uploading data."}));
    ASSERT_EQ(g_recordList.GetCount(), 1u);
    EXPECT_EQ((*g_recordList.begin())->GetLine(), lines[1].substr(0, 30));
    host.EndSession();
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
}

TEST_F(UploadWorker, KeepsPrintableTextAndLowerCaseAndNotesTheControlAndHighBytesItDrops) {
    std::string record = CTestConfig::DataLine(0xABCDEF0);
    for (std::size_t i = 4; i + 2 < record.size(); ++i) {
        record[i] = static_cast<char>(std::tolower(static_cast<unsigned char>(record[i])));
    }
    ASSERT_NE(record.find_first_of("def"), std::string::npos);
    std::string noisy = record;
    noisy.insert(30, std::string("\x01\x7f\xc1\xff\x08", 5));
    noisy.insert(10, std::string(1, '\0'));
    // Noise before a line is between lines: dropped unnoted.
    const std::string between("\x00\xff", 2);
    CPtyDevice device({{0, CTestConfig::HeaderLine() + between + noisy + CTestConfig::EndLine()}});
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    EXPECT_EQ(host.Outcome(), ETransferOutcome::Damaged);
    EXPECT_EQ(host.StatusList().back(),
              "Upload damaged: 1 line lost bytes that are not hex digits.");
    EXPECT_EQ(host.m_nPostedSteps, static_cast<int>(CTestConfig::HeaderLine().size() +
                                                    record.size() + CTestConfig::EndLine().size()));
    host.KeepReceived();
    ASSERT_EQ(g_recordList.GetCount(), 1u);
    EXPECT_EQ((*g_recordList.begin())->GetLine(), record);
    const CConfigCheck check(m_doc);
    ASSERT_EQ(check.Problems().size(), 1u);
    EXPECT_EQ(CConfigCheck::Describe(check.Problems()[0]),
              "line 2: 6 bytes that are not hex digits were dropped (the first: byte 00 at column "
              "11)");
}

TEST_F(UploadWorker, DamagedAnswerEndsAsAFailedUploadThatKeepsTheOldConfiguration) {
    // A line without a line feed is cut at 4096 characters; its rest is dropped.
    const std::string endless = "S3" + std::string(5000, 'G') + "\r\n";
    const std::string answer = CTestConfig::HeaderLine() + endless + CTestConfig::EndLine();
    CPtyDevice device({{0, answer}});
    CSerialPort port;
    CRecordingHost host(port);
    m_doc.SetModifiedFlag();

    Upload(device, host);

    EXPECT_EQ(host.Outcome(), ETransferOutcome::Damaged);
    const std::string reasons =
        "1 line is not a well-formed S-record; 1 line has characters that are not kept";
    EXPECT_EQ(host.StatusList(),
              (std::vector<std::string>{"Uploading data.", "Upload damaged: " + reasons + "."}));
    ASSERT_TRUE(host.ReceivedCheck());
    EXPECT_EQ(CConfigCheck::Describe(host.ReceivedCheck()->Problems().at(0)),
              "line 2: 'G' at column 3 is not a hex digit");
    EXPECT_TRUE(Contains(host.Log(), "pos:0"));
    EXPECT_FALSE(Contains(host.Log(), "done"));
    EXPECT_EQ(host.Total(), static_cast<int>(CTestConfig::HeaderLine().size() + 4096 +
                                             CTestConfig::EndLine().size()));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_TRUE(m_doc.IsModified()) << "the flag held before comes back too";
}

TEST_F(UploadWorker, LinesEndedByLineFeedAloneAreKeptAsReceived) {
    std::string config;
    for (const auto& line : CTestConfig::Lines(2)) {
        config += line.substr(0, line.size() - 2) + "\n";
    }
    CPtyDevice device({{0, config}});
    CSerialPort port;
    CRecordingHost host(port);

    Upload(device, host);

    EXPECT_EQ(host.Outcome(), ETransferOutcome::Incomplete);
    host.KeepReceived();
    EXPECT_EQ(CTestConfig::InMemory(m_doc), config);
}

TEST_F(UploadWorker, PortThatCannotBeOpenedIsNoAnswerAndTheConfigurationStays) {
    CFakePort port;
    port.m_openError = std::error_code(EACCES, std::generic_category());
    CRecordingHost host(port);
    Prepare(host, ETransferMode::Upload, "/dev/fake");

    RunToEnd(host);

    EXPECT_EQ(host.Log(), (std::vector<std::string>{
                              "status:Cannot open port /dev/fake: Permission denied.",
                              "status:Permission denied: is the user in the dialout group?",
                              "caption:" + host.m_request.strTitle, "enable"}));
    EXPECT_EQ(CTestConfig::InMemory(m_doc), m_before);
    EXPECT_EQ(host.Outcome(), ETransferOutcome::PortNotOpened);
    EXPECT_TRUE(port.WireBytes().empty());
}
