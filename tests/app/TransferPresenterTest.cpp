// What the transfer dialog decides, without a window: what it shows in each
// state, what it asks and says, the byte counter, how Exit and Cancel end it,
// and the baud and port lists. Transfers go over a port without a device.
#include "app/CTransferPresenter.h"

#include "core/data/CRecordList.h"
#include "platform/common/ETovrikError.h"
#include "tests/support/CFakePort.h"
#include "tests/support/CFakeSysfs.h"
#include "tests/support/CFakeTransferDialog.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CTestContext.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

using Lines = std::vector<std::string>;

const std::string kCaption = CTransferPresenter::kCaption;
const std::string kNotSent = "Download cancelled: nothing was sent.";
const Lines kBaudTexts{"1200", "2400", "4800", "9600", "14400", "19200", "38400"};

bool Contains(const Lines& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The small configuration with one hex digit of its second data line changed.
Lines DamagedLines() {
    Lines lines = CTestConfig::Lines(4);
    lines[2][14] = lines[2][14] == '0' ? '1' : '0';
    return lines;
}

// The dialog on a machine of the test's own making (COM1 and COM2 lead into
// its device folder), with a profile in memory; the user answers from a
// script. The port has no device behind it and answers an upload request
// with `answer`.
class TransferPresenterTest : public ::testing::Test {
protected:
    void SetUp() override {
        g_recordList.RemoveAll();
        m_context.Ports().SetDevice(1, m_sys.Node("ttyS0"));
        m_context.Ports().SetDevice(2, m_sys.Node("ttyS1"));
    }
    void TearDown() override {
        m_presenter.reset();
        g_recordList.RemoveAll();
        EXPECT_TRUE(m_user.ScriptUsed()) << "an answer was not asked for";
    }

    void Open(ETransferMode eMode, const std::string& answer = {}, bool bCompare = false) {
        m_presenter.reset();
        m_dialog = std::make_unique<CFakeTransferDialog>();
        m_port = std::make_unique<CFakePort>(answer);
        m_presenter = std::make_unique<CTransferPresenter>(*m_dialog, m_user, m_context, *m_port);
        m_presenter->SetTiming(CTestConfig::Timing());
        m_presenter->OnInitDialog(m_doc, eMode, bCompare);
    }

    // Serves the dialog until the worker has ended and its end was handled.
    bool ServeToTheEnd(int timeoutMs = 10000) {
        return m_dialog->ServeUntil([this] { return !Session().IsRunning() && m_dialog->Idle(); },
                                    timeoutMs);
    }
    // Transfer Configuration, then the whole transfer.
    void Transfer() {
        m_presenter->OnStartTransfer();
        ASSERT_TRUE(ServeToTheEnd());
    }

    const CTransferSession& Session() const { return m_presenter->Session(); }
    std::string Stored(const std::string& key) const {
        const auto it = m_pStore->m_values.find("INITALISATION/" + key);
        return it == m_pStore->m_values.end() ? "(none)" : it->second;
    }
    void Store(const std::string& key, const std::string& value) {
        m_pStore->m_values["INITALISATION/" + key] = value;
    }
    void ExpectControls(bool bEnabled) const {
        EXPECT_EQ(m_dialog->m_controls.bTransfer, bEnabled);
        EXPECT_EQ(m_dialog->m_controls.bBaudRate, bEnabled);
        EXPECT_EQ(m_dialog->m_controls.bPort, bEnabled);
        EXPECT_EQ(m_dialog->m_controls.bExit, bEnabled);
    }
    std::string Count(std::size_t n) const { return std::to_string(n) + " of 196642"; }

    CFakeSysfs m_sys;
    CMemoryProfileStore* m_pStore = new CMemoryProfileStore;  // owned by the context
    CSystemContext m_context =
        CTestContext::Make(std::unique_ptr<CProfileStore>(m_pStore), m_sys.Paths());
    CQARNCfgDoc m_doc;
    std::unique_ptr<CFakeTransferDialog> m_dialog;  // a new one each time it opens
    CScriptedPrompter m_user;
    std::unique_ptr<CFakePort> m_port;
    std::unique_ptr<CTransferPresenter> m_presenter;
};

// -- Ready ----------------------------------------------------------------------

TEST_F(TransferPresenterTest, OpensReadyWithTheDefaultsAndWritesNothing) {
    m_doc.m_nFileSize = 1234;
    for (const ETransferMode eMode : {ETransferMode::Download, ETransferMode::Upload}) {
        const bool bDownload = eMode == ETransferMode::Download;
        SCOPED_TRACE(bDownload ? "download" : "upload");
        Open(eMode);

        EXPECT_EQ(m_dialog->m_strCaption, kCaption);
        EXPECT_EQ(m_dialog->m_status, Lines{bDownload ? "Ready to Download." : "Ready to Upload."});
        EXPECT_EQ(m_dialog->m_nProgressUpper, bDownload ? 1234 : 196642);
        EXPECT_EQ(m_dialog->m_nProgressPos, 0);
        EXPECT_EQ(m_dialog->m_strBytes, "0 of 196642");
        ExpectControls(true);
        EXPECT_EQ(m_dialog->m_baudRates, kBaudTexts);
        EXPECT_EQ(m_dialog->m_nBaudRow, 3);
        EXPECT_EQ(m_dialog->ShownPort(), "COM1");
        EXPECT_EQ(m_presenter->Request().nBaudRate, 9600);
        EXPECT_EQ(m_presenter->Request().port, CPortChoice::Com(1, m_context.Ports()));
        EXPECT_EQ(m_doc.m_nBaudIndex, 3);
        EXPECT_EQ(m_doc.m_nPortIndex, 0);
        EXPECT_TRUE(m_pStore->m_values.empty());
    }
}

// What "BRSEL" and "CPSEL" hold: a value that names no entry would leave a
// list blank and the port or baud rate 0, so it gives the default, and only
// the user's choice rewrites it.
TEST_F(TransferPresenterTest, StoredChoicesAreShownAndGoToTheTransfer) {
    struct CCase {
        const char* brsel;
        const char* cpsel;
        int nBaudRow;
        int nBaud;
        int nCom;
    };
    const CCase cases[] = {{"5", "1", 5, 19200, 2},
                           {"9600", "0", 3, 9600, 1},
                           {"7", "2", 3, 9600, 1},
                           {"-1", "-1", 3, 9600, 1},
                           {"12345", "99", 3, 9600, 1}};
    for (const CCase& c : cases) {
        SCOPED_TRACE(std::string(c.brsel) + "/" + c.cpsel);
        Store("BRSEL", c.brsel);
        Store("CPSEL", c.cpsel);
        Open(ETransferMode::Upload);
        EXPECT_EQ(m_dialog->m_nBaudRow, c.nBaudRow);
        EXPECT_EQ(m_doc.m_nBaudIndex, c.nBaudRow);
        EXPECT_EQ(m_presenter->Request().nBaudRate, c.nBaud);
        EXPECT_EQ(m_presenter->Request().port.ComNumber(), c.nCom);
        EXPECT_EQ(m_dialog->m_nPortRow, c.nCom - 1);
        EXPECT_EQ(m_doc.m_nPortIndex, c.nCom - 1);
        EXPECT_EQ(Stored("BRSEL"), c.brsel);
    }
}

TEST_F(TransferPresenterTest, AChoiceIsRememberedAtOnceAndTheBaudRateReadFromItsEntry) {
    Open(ETransferMode::Download);
    ASSERT_TRUE(m_port->Open(CPortChoice::Device("/fake"), 9600));
    m_presenter->OnSelchangeBaudrate(6);
    EXPECT_EQ(Stored("BRSEL"), "6");
    EXPECT_EQ(Stored("CPSEL"), "(none)");
    EXPECT_EQ(m_presenter->Request().nBaudRate, 38400);
    EXPECT_TRUE(m_port->IsOpen()) << "the baud rate does not touch the port";

    m_presenter->OnSelchangePort(1);
    EXPECT_FALSE(m_port->IsOpen());
    EXPECT_EQ(Stored("CPSEL"), "1");
    EXPECT_EQ(m_presenter->Request().port.ComNumber(), 2);
    EXPECT_EQ(m_doc.m_nPortIndex, 1);
    EXPECT_EQ(m_presenter->Request().nBaudRate, 38400);

    Open(ETransferMode::Download);
    EXPECT_EQ(m_dialog->m_nBaudRow, 6);
    EXPECT_EQ(m_dialog->ShownPort(), "COM2");
    for (const auto& [nIndex, nBaud] : {std::pair{0, 1200}, {4, 14400}, {7, 0}, {-1, 0}}) {
        m_doc.m_nBaudIndex = nIndex;
        EXPECT_EQ(m_presenter->GetSelectedBaud(), nBaud) << nIndex;
    }
}

TEST_F(TransferPresenterTest, AProfileThatRefusesWritesIsSaidAndTheChoiceStillUsed) {
    m_pStore->m_bRefuseWrites = true;
    Open(ETransferMode::Upload);
    m_presenter->OnSelchangeBaudrate(6);
    m_presenter->OnSelchangePort(1);
    const std::string reason = std::error_code(ETovrikError::ProfileNotWritten).message();
    EXPECT_EQ(m_dialog->m_status,
              (Lines{"Ready to Upload.", "Cannot remember the baud rate: " + reason + ".",
                     "Cannot remember the port: " + reason + ".",
                     "COM2 (" + m_sys.Node("ttyS1") +
                         ") is missing: plug it in or choose another port."}));
    EXPECT_EQ(m_presenter->Request().nBaudRate, 38400);
    EXPECT_EQ(m_presenter->Request().port.ComNumber(), 2);
}

// -- a download ---------------------------------------------------------------------

// A short configuration (after Yes to the question) fills the bar exactly,
// whatever file size the document had: the bar's range is what goes out.
TEST_F(TransferPresenterTest, ADownloadRunsThroughItsStatesAndEndsWithAFullBar) {
    const Lines config = CTestConfig::Lines(3);
    const std::string sent = CTestConfig::Joined(config);
    for (const int nFileSize : {0, static_cast<int>(sent.size()), 100}) {
        SCOPED_TRACE(nFileSize);
        CTestConfig::Load(m_doc, config);
        m_doc.m_nFileSize = nFileSize;
        Open(ETransferMode::Download);
        m_user.QueueAnswer(EAnswer::Yes);
        m_presenter->OnStartTransfer();

        // Running: the worker waits for this thread before it shows anything.
        EXPECT_EQ(m_dialog->m_strCaption, kCaption + " - DownLoading");
        ExpectControls(false);
        EXPECT_TRUE(m_dialog->m_status.empty());
        ASSERT_TRUE(ServeToTheEnd());

        EXPECT_EQ(m_dialog->m_status,
                  (Lines{"Downloading data.", "Download finished.",
                         std::to_string(sent.size()) +
                             " bytes have been successfully downloaded into the QARN",
                         "Power cycle QARN."}));
        EXPECT_EQ(m_dialog->m_strBytes, Count(sent.size()));
        EXPECT_EQ(m_dialog->m_nProgressUpper, static_cast<int>(sent.size()));
        EXPECT_EQ(m_dialog->m_nProgressPos, m_dialog->m_nProgressUpper);
        EXPECT_FALSE(m_dialog->m_bProgressWrapped);
        EXPECT_EQ(m_dialog->m_strCaption, kCaption);
        ExpectControls(true);
        EXPECT_EQ(m_port->WireBytes(), "\r\n\r\n#CU\r\n" + sent);
        EXPECT_EQ(Session().Outcome(), ETransferOutcome::Finished);
    }
}

// What a download asks first, and what a No or a refusal leaves: the status
// list says what was not done, nothing went out, the Bytes box is empty and
// Exit has the focus.
TEST_F(TransferPresenterTest, ADownloadAsksWhatItMustAndANoSendsNothing) {
    struct CCase {
        const char* name;
        Lines config;
        std::vector<EAnswer> answers;
        const char* box;  // the start of the box shown, "" for none
        bool bSent;
    };
    const std::string small = CTestConfig::Joined(CTestConfig::Lines(2));
    const CCase cases[] = {
        {"nothing loaded", {}, {}, "Cannot perform download.\nNo Configuration data loaded", false},
        {"not whole, No", CTestConfig::Lines(2), {EAnswer::No}, "This configuration", false},
        {"damaged, No", DamagedLines(), {EAnswer::No}, "This configuration", false},
        {"not whole, Yes", CTestConfig::Lines(2), {EAnswer::Yes}, "This configuration", true},
        {"whole", CTestConfig::WholeLines(), {}, "", true},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTestConfig::Load(m_doc, c.config);
        CTransferTiming timing = CTestConfig::Timing();
        timing.nLinePauseMs = 0;
        Open(ETransferMode::Download);
        m_presenter->SetTiming(timing);
        for (const EAnswer answer : c.answers) {
            m_user.QueueAnswer(answer);
        }
        const std::size_t nBoxes = m_user.Boxes().size();
        Transfer();

        const std::vector<CMessageBox> boxes(
            m_user.Boxes().begin() + static_cast<std::ptrdiff_t>(nBoxes), m_user.Boxes().end());
        ASSERT_EQ(boxes.size(), std::string(c.box).empty() ? 0u : 1u);
        if (!boxes.empty()) {
            EXPECT_EQ(boxes[0].strText.rfind(c.box, 0), 0u) << boxes[0].strText;
            EXPECT_EQ(boxes[0].strCaption, "Warning");
            EXPECT_EQ(boxes[0].eIcon, EBoxIcon::Warning);
            EXPECT_EQ(boxes[0].eButtons, c.answers.empty() ? EBoxButtons::Ok : EBoxButtons::YesNo);
            EXPECT_EQ(boxes[0].eDefault, c.answers.empty() ? EAnswer::Ok : EAnswer::No);
        }
        EXPECT_EQ(m_port->OpenCount(), c.bSent ? 1 : 0);
        if (c.bSent) {
            EXPECT_EQ(m_dialog->m_status.at(1), "Download finished.");
            EXPECT_EQ(m_port->WireBytes(), "\r\n\r\n#CU\r\n" + CTestConfig::Joined(c.config));
            continue;
        }
        EXPECT_EQ(m_dialog->m_status, (Lines{"Ready to Download.", kNotSent}));
        EXPECT_EQ(m_dialog->m_strBytes, "");
        EXPECT_EQ(m_dialog->m_nExitFocused, 1);
        EXPECT_EQ(m_dialog->m_strCaption, kCaption);
        ExpectControls(true);
    }
    const std::vector<std::string> told = m_user.Texts();
    EXPECT_EQ(told[1], "This configuration is not complete (" + std::to_string(small.size()) +
                           " bytes instead of 196642). Download it anyway?");
    EXPECT_EQ(told[2].rfind("This configuration is not complete (1 record fails its checksum; ", 0),
              0u)
        << told[2];
}

// -- the end of an upload -------------------------------------------------------------

// Only a whole answer finishes. Anything less is asked about, No the default:
// Yes keeps what came as a changed document without a file, No puts back
// exactly what was held. The end is handled even when its posted call runs
// before the worker's flag has fallen.
TEST_F(TransferPresenterTest, AnUploadThatIsNotWholeAsksWhetherToKeepIt) {
    struct CCase {
        const char* name;
        Lines answer;
        const char* status;   // the worker's line after "Uploading data."
        const char* reasons;  // in the question
        EAnswer eAnswer;
    };
    const std::string small = std::to_string(CTestConfig::Joined(CTestConfig::Lines(4)).size());
    const std::string incomplete = small + " bytes instead of 196642";
    const std::string damaged = "1 record fails its checksum; " + incomplete;
    const CCase cases[] = {
        {"whole", CTestConfig::WholeLines(), "Upload finished.", "", EAnswer::Ok},
        {"incomplete, Yes", CTestConfig::Lines(4), "Upload incomplete: ", incomplete.c_str(),
         EAnswer::Yes},
        {"incomplete, No", CTestConfig::Lines(4), "Upload incomplete: ", incomplete.c_str(),
         EAnswer::No},
        {"damaged, Yes", DamagedLines(), "Upload damaged: ", damaged.c_str(), EAnswer::Yes},
        {"damaged, No", DamagedLines(), "Upload damaged: ", damaged.c_str(), EAnswer::No},
    };
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.name);
        CTestConfig::Load(m_doc, {CTestConfig::HeaderLine("OLD"), CTestConfig::DataLine(0x8000),
                                  CTestConfig::EndLine()});
        m_doc.SetPathName("/backup/old.s19");
        m_doc.SetModifiedFlag(true);
        const std::string before = CTestConfig::InMemory(m_doc);
        const std::string answer = CTestConfig::Joined(c.answer);
        Open(ETransferMode::Upload, answer);
        m_dialog->m_bServePostsAtOnce = c.eAnswer != EAnswer::Ok;  // a byte at a time
        const std::size_t nBoxes = m_user.Boxes().size();
        if (c.eAnswer != EAnswer::Ok) {
            m_user.QueueAnswer(c.eAnswer);
        }
        m_presenter->OnStartTransfer();
        EXPECT_EQ(m_dialog->m_strCaption, kCaption + " - Uploading");
        ExpectControls(false);
        ASSERT_TRUE(ServeToTheEnd());

        ASSERT_GE(m_dialog->m_status.size(), 2u);
        EXPECT_EQ(m_dialog->m_status[0], "Uploading data.");
        EXPECT_EQ(m_dialog->m_status[1].rfind(c.status, 0), 0u) << m_dialog->m_status[1];
        EXPECT_EQ(m_dialog->m_strCaption, kCaption);
        ExpectControls(true);
        if (c.eAnswer == EAnswer::Ok) {
            EXPECT_EQ(m_dialog->m_status, (Lines{"Uploading data.", "Upload finished.",
                                                 "196642 of 196642 bytes have been successfully "
                                                 "uploaded into RAM"}));
            EXPECT_EQ(m_dialog->m_strBytes, "196642 of 196642");
            EXPECT_EQ(m_dialog->m_nProgressPos, 196642);
            EXPECT_EQ(m_user.Boxes().size(), nBoxes);
            EXPECT_EQ(CTestConfig::InMemory(m_doc), answer);
            EXPECT_EQ(m_doc.GetPathName(), "");
            EXPECT_TRUE(m_doc.IsModified());
            continue;
        }
        ASSERT_EQ(m_user.Boxes().size(), nBoxes + 1) << "the question comes as the upload ends";
        const CMessageBox& box = m_user.Boxes().back();
        EXPECT_EQ(box.strText, std::string("The configuration received is not complete (") +
                                   c.reasons + "). Keep it anyway?");
        EXPECT_EQ(box.eButtons, EBoxButtons::YesNo);
        EXPECT_EQ(box.eDefault, EAnswer::No);
        EXPECT_EQ(box.eIcon, EBoxIcon::Warning);
        EXPECT_EQ(m_dialog->m_nProgressPos, 0);
        m_presenter->OnOK();
        EXPECT_TRUE(m_dialog->m_bEnded);
        if (c.eAnswer == EAnswer::Yes) {
            EXPECT_EQ(m_dialog->m_status.back(),
                      "The configuration received is kept, marked as not complete.");
            EXPECT_EQ(CTestConfig::InMemory(m_doc), answer);
            EXPECT_EQ(m_doc.GetPathName(), "");
        } else {
            EXPECT_EQ(m_dialog->m_status.back(),
                      "Upload cancelled: the configuration in memory is kept.");
            EXPECT_EQ(m_dialog->m_nExitFocused, 1);
            EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
            EXPECT_EQ(m_doc.GetPathName(), "/backup/old.s19");
        }
        EXPECT_TRUE(m_doc.IsModified());
    }
}

// Compare with Device reads the device aside: the document stays exactly as it
// was, unsaved changes included, whatever came; only a whole answer is kept
// for the compare, and nothing is asked.
TEST_F(TransferPresenterTest, ACompareReadLeavesTheDocumentAndKeepsOnlyAWholeAnswer) {
    const std::string compareCaption = kCaption + " - Compare with Device";
    const std::pair<Lines, const char*> cases[] = {
        {CTestConfig::WholeLines(), "Compared with the configuration in memory: different: "},
        {CTestConfig::Lines(4), "The device's answer is not whole: nothing was compared."},
    };
    for (const auto& [answer, status] : cases) {
        SCOPED_TRACE(status);
        CTestConfig::Load(m_doc, DamagedLines());
        m_doc.SetPathName("/backup/old.s19");
        m_doc.SetModifiedFlag(true);
        const std::string before = CTestConfig::InMemory(m_doc);
        Open(ETransferMode::Upload, CTestConfig::Joined(answer), true);
        EXPECT_EQ(m_dialog->m_strCaption, compareCaption);
        EXPECT_EQ(m_dialog->m_status,
                  Lines{"Ready to read the device's configuration for the compare."});
        m_presenter->OnStartTransfer();
        EXPECT_EQ(m_dialog->m_strCaption, compareCaption + " - Uploading");
        ASSERT_TRUE(ServeToTheEnd());
        EXPECT_EQ(m_dialog->m_strCaption, compareCaption);
        EXPECT_EQ(m_dialog->m_status.back().rfind(status, 0), 0u) << m_dialog->m_status.back();
        EXPECT_EQ(m_dialog->m_nExitFocused, 1);
        EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
        const std::optional<CCompareReport> report = m_presenter->TakeCompared();
        EXPECT_EQ(report.has_value(), answer.size() > 6);
        if (report) {
            EXPECT_EQ(report->OtherName(), "the device");
            EXPECT_FALSE(report->IsSame());
            EXPECT_EQ(m_dialog->m_status.back(),
                      "Compared with the configuration in memory: " + report->Verdict() +
                          ". Exit shows the report.");
        }
        m_presenter->OnOK();
        EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
        EXPECT_EQ(m_doc.GetPathName(), "/backup/old.s19");
        EXPECT_TRUE(m_doc.IsModified());
    }
}

// The port could not be opened: the status list says why, worded for the
// user, and nothing of an earlier transfer's count is left in the Bytes box.
TEST_F(TransferPresenterTest, APortThatDoesNotOpenIsSaidAndTheDialogStaysUsable) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(4));
    const std::string before = CTestConfig::InMemory(m_doc);
    Open(ETransferMode::Upload);
    m_port->m_openError = std::make_error_code(std::errc::no_such_file_or_directory);
    Transfer();

    EXPECT_EQ(m_dialog->m_status, (Lines{"Cannot open port COM1 (" + m_sys.Node("ttyS0") +
                                             "): No such file or directory.",
                                         "There is no such device: check the port setting."}));
    EXPECT_EQ(m_dialog->m_strBytes, "");
    EXPECT_EQ(m_dialog->m_strCaption, kCaption);
    ExpectControls(true);
    EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
    EXPECT_TRUE(m_user.Boxes().empty());
}

// -- Exit and Cancel --------------------------------------------------------------------

// Leaving a dialog with nothing running takes Exit at once and Cancel one
// second; a loaded configuration survives an upload dialog left unused.
TEST_F(TransferPresenterTest, LeavingWithoutATransferAsksNothing) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(4));
    const std::string before = CTestConfig::InMemory(m_doc);
    for (const bool bCancel : {false, true}) {
        SCOPED_TRACE(bCancel ? "Cancel" : "Exit");
        Open(ETransferMode::Upload);
        bCancel ? m_presenter->OnCancel() : m_presenter->OnOK();
        EXPECT_TRUE(m_dialog->m_bEnded);
        EXPECT_EQ(m_dialog->m_nServedMs, bCancel ? CTransferPresenter::kCloseWaitMs : 0);
        EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
        EXPECT_FALSE(m_doc.IsModified());
    }
    EXPECT_TRUE(m_user.Boxes().empty());
}

// Exit and Cancel during a transfer stop it and wait for the worker, serving
// its calls; Cancel says so first. A download's records stay; an upload's
// configuration comes back exactly.
TEST_F(TransferPresenterTest, ExitAndCancelDuringATransferWaitForTheWorker) {
    struct CCase {
        ETransferMode eMode;
        bool bCancel;
        const char* box;
    };
    const CCase cases[] = {
        {ETransferMode::Download, false, ""},
        {ETransferMode::Download, true, "Download aborted.\nPlease power cycle QARN."},
        {ETransferMode::Upload, true, "Upload aborted.\nPlease power cycle QARN."},
    };
    for (const CCase& c : cases) {
        const bool bDownload = c.eMode == ETransferMode::Download;
        SCOPED_TRACE(std::string(bDownload ? "download, " : "upload, ") +
                     (c.bCancel ? "Cancel" : "Exit"));
        CTestConfig::Load(m_doc, bDownload ? CTestConfig::WholeLines() : CTestConfig::Lines(4));
        m_doc.SetModifiedFlag(true);
        const std::string before = CTestConfig::InMemory(m_doc);
        Open(c.eMode, CTestConfig::Joined(CTestConfig::WholeLines()));
        const std::size_t nBoxes = m_user.Boxes().size();
        m_presenter->OnStartTransfer();
        if (bDownload) {
            ASSERT_TRUE(m_dialog->ServeUntil([this] { return m_dialog->m_strBytes != Count(0); }));
        }
        c.bCancel ? m_presenter->OnCancel() : m_presenter->OnOK();

        EXPECT_FALSE(Session().IsRunning());
        EXPECT_EQ(Session().Outcome(), ETransferOutcome::Aborted);
        EXPECT_TRUE(m_dialog->m_bEnded);
        EXPECT_FALSE(m_port->IsOpen());
        EXPECT_FALSE(Contains(m_dialog->m_status, "Download finished."));
        ASSERT_EQ(m_user.Boxes().size(), nBoxes + (c.bCancel ? 1 : 0));
        if (c.bCancel) {
            EXPECT_EQ(m_user.Boxes().back().strText, c.box);
            EXPECT_EQ(m_user.Boxes().back().strCaption, "Info");
            EXPECT_EQ(m_user.Boxes().back().eIcon, EBoxIcon::Information);
        }
        EXPECT_EQ(CTestConfig::InMemory(m_doc), before);
        EXPECT_TRUE(m_doc.IsModified());
    }
}

// Once a download's S7 line has gone out it has finished: Cancel only cuts
// the last wait short, and the user is still told to power-cycle the device,
// in the status list and in a box, before the dialog goes.
TEST_F(TransferPresenterTest, CancelAfterTheEndLineStillSaysPowerCycle) {
    CTestConfig::Load(m_doc, CTestConfig::Lines(3));
    Open(ETransferMode::Download);
    CTransferTiming timing = CTestConfig::Timing();
    timing.nPowerCyclePauseMs = 20000;
    m_presenter->SetTiming(timing);
    m_user.QueueAnswer(EAnswer::Yes);
    m_presenter->OnStartTransfer();
    ASSERT_TRUE(m_dialog->ServeUntil(
        [this] { return Contains(m_dialog->m_status, "Download finished."); }));
    bool bToldInTime = false;
    m_user.m_onShow = [&](const CMessageBox& box) {
        bToldInTime = box.strText == "Power cycle QARN." && box.strCaption == "Info" &&
                      m_dialog->m_status.back() == "Power cycle QARN." && !m_dialog->m_bEnded;
    };
    m_presenter->OnCancel();

    EXPECT_TRUE(bToldInTime) << "the last box: " << m_user.Texts().back();
    EXPECT_EQ(m_user.Boxes().size(), 2u) << "no abort box: the download has finished";
    EXPECT_EQ(Session().Outcome(), ETransferOutcome::Finished);
    EXPECT_LT(m_dialog->m_nServedMs, timing.nPowerCyclePauseMs);
    EXPECT_TRUE(m_dialog->m_bEnded);
    EXPECT_EQ(m_port->WireBytes(), "\r\n\r\n#CU\r\n" + CTestConfig::Joined(CTestConfig::Lines(3)));
}

// -- the port list -----------------------------------------------------------------------

const CFakeSysfs::CUsbDevice kArduino{"2341", "0043", "Arduino (www.arduino.cc)", "Arduino Uno",
                                      ""};
const std::string kFtdiById = CFakeSysfs::kFtdiById;
const std::string kFtdiEntry = kFtdiById + " – FTDI FT232R USB UART (0403:6001, serial A50285BI)";

// A machine with a USB adapter, a modem and a mainboard UART that is the
// console; COM1 is that UART and COM2 a UART that is not there.
class TransferPresenterPortTest : public TransferPresenterTest {
protected:
    void SetUp() override {
        TransferPresenterTest::SetUp();
        m_sys.AddUsbSerial("ttyUSB0", "1-1", CFakeSysfs::kFtdi, kFtdiById);
        m_sys.AddAcmModem("ttyACM0", "1-2", kArduino);
        m_sys.AddUart("ttyS0");
        m_sys.SetConsole("ttyS0");
    }
    void Choose(const std::string& text) {
        const Lines texts = m_dialog->PortTexts();
        const auto it = std::find(texts.begin(), texts.end(), text);
        ASSERT_NE(it, texts.end()) << text;
        m_presenter->OnSelchangePort(static_cast<int>(it - texts.begin()));
    }
    void ChooseOther(const std::string& typed) {
        m_user.QueueText(typed);
        m_presenter->OnSelchangePort(static_cast<int>(m_dialog->m_ports.size()));
    }
    std::string Missing(const std::string& port) const {
        return port + " is missing: plug it in or choose another port.";
    }
};

TEST_F(TransferPresenterPortTest, ListsComPortsWithTheirDevicesThenThePortsFoundThenOther) {
    Store("CPSEL", "1");
    Open(ETransferMode::Upload);
    EXPECT_EQ(m_dialog->PortTexts(),
              (Lines{"COM1 (" + m_sys.Node("ttyS0") + ") [system console]",
                     "COM2 (" + m_sys.Node("ttyS1") + ") [missing]",
                     m_sys.Node("ttyACM0") + " – Arduino (www.arduino.cc) Arduino Uno (2341:0043)",
                     m_sys.Node("ttyS0") + " – built-in serial port [system console]", kFtdiEntry,
                     "Other…"}));
    EXPECT_EQ(m_dialog->m_nPortRow, 1) << "CPSEL keeps its meaning";
    EXPECT_EQ(m_dialog->ShownPort(), "COM2");
    EXPECT_EQ(m_dialog->m_status, Lines{"Ready to Upload."});

    // Opened again, the list is made anew; the choice stays, nothing is written.
    m_sys.AddUsbSerial("ttyUSB1", "1-3", {"1a86", "7523", "", "", ""});
    m_sys.Unplug("ttyACM0");
    m_presenter->OnPortListOpening();
    EXPECT_TRUE(Contains(m_dialog->PortTexts(),
                         m_sys.Node("ttyUSB1") + " – USB serial adapter (1a86:7523)"));
    EXPECT_EQ(m_dialog->m_ports.size(), 5u);
    EXPECT_EQ(m_dialog->m_nPortRow, 1);
    EXPECT_EQ(Stored("CPDEVICE"), "(none)");
}

// A port found on the machine is remembered by its by-id link beside "CPSEL";
// the next dialog shows it, and the transfer goes to it. When it is gone it
// stays chosen, shown missing, until it comes back.
TEST_F(TransferPresenterPortTest, AChosenPortIsRememberedAndStaysChosenWhenGone) {
    Store("CPSEL", "1");
    Open(ETransferMode::Upload);
    Choose(kFtdiEntry);
    EXPECT_EQ(Stored("CPDEVICE"), m_sys.ById(kFtdiById));
    EXPECT_EQ(Stored("CPSEL"), "1") << "CPSEL still names COM2";
    EXPECT_EQ(m_presenter->Request().port, CPortChoice::Device(m_sys.ById(kFtdiById)));
    EXPECT_EQ(m_dialog->m_status, Lines{"Ready to Upload."});

    m_sys.Unplug("ttyUSB0");
    Open(ETransferMode::Upload);
    EXPECT_EQ(m_dialog->PortTexts().at(4), m_sys.ById(kFtdiById) + " [missing]");
    EXPECT_EQ(m_dialog->m_nPortRow, 4) << "after the ports found, before Other…";
    EXPECT_EQ(m_dialog->ShownPort(), kFtdiById);
    EXPECT_EQ(m_presenter->Request().port.DevicePath(), m_sys.ById(kFtdiById));
    EXPECT_EQ(m_dialog->m_status, (Lines{"Ready to Upload.", Missing(m_sys.ById(kFtdiById))}));

    m_sys.AddUsbSerial("ttyUSB0", "1-1", CFakeSysfs::kFtdi, kFtdiById);
    m_presenter->OnPortListOpening();
    EXPECT_EQ(m_dialog->PortTexts().at(static_cast<std::size_t>(m_dialog->m_nPortRow)), kFtdiEntry);
    EXPECT_EQ(m_dialog->ShownPort(), "ttyUSB0");
    EXPECT_EQ(m_dialog->m_ports.size(), 5u);

    // Back to COM2: "CPSEL" as ever, and the device is forgotten.
    m_presenter->OnSelchangePort(1);
    EXPECT_EQ(Stored("CPDEVICE"), "");
    EXPECT_EQ(m_presenter->Request().port.ComNumber(), 2);
    EXPECT_EQ(m_dialog->m_status.back(), Missing("COM2 (" + m_sys.Node("ttyS1") + ")"));
}

// "Other…" takes a path, a name the ports are listed under, a numbered port
// or any bare name in the device folder; cancelled, it changes nothing.
TEST_F(TransferPresenterPortTest, OtherTakesATypedPortAndRemembersIt) {
    struct CCase {
        std::string typed;
        std::string device;  // "" for COM2
        std::string shown;   // the entry chosen
    };
    const std::string pty = m_sys.Dir().Write("ttyQ", "");
    const CCase cases[] = {
        {" " + pty + " ", pty, pty},
        {kFtdiById, m_sys.ById(kFtdiById), kFtdiEntry},
        {"ttyACM0", m_sys.Node("ttyACM0"),
         m_sys.Node("ttyACM0") + " – Arduino (www.arduino.cc) Arduino Uno (2341:0043)"},
        {"ttyQARN9", m_sys.Node("ttyQARN9"), m_sys.Node("ttyQARN9") + " [missing]"},
        {"com2", "", "COM2 (" + m_sys.Node("ttyS1") + ") [missing]"},
    };
    Open(ETransferMode::Upload);
    ChooseOther("");
    EXPECT_EQ(m_dialog->m_nPortRow, 0) << "cancelled: back to the port chosen before";
    EXPECT_TRUE(m_pStore->m_values.empty());
    for (const CCase& c : cases) {
        SCOPED_TRACE(c.typed);
        ChooseOther(c.typed);
        EXPECT_EQ(m_dialog->PortTexts().at(static_cast<std::size_t>(m_dialog->m_nPortRow)),
                  c.shown);
        EXPECT_EQ(Stored("CPDEVICE"), c.device);
        EXPECT_EQ(m_presenter->Request().port.DevicePath(),
                  c.device.empty() ? m_sys.Node("ttyS1") : c.device);
    }
    Store("CPDEVICE", pty);
    Open(ETransferMode::Upload);
    EXPECT_EQ(m_dialog->PortTexts().at(static_cast<std::size_t>(m_dialog->m_nPortRow)), pty);
    EXPECT_EQ(m_presenter->Request().port.DevicePath(), pty);
}

TEST_F(TransferPresenterPortTest, TheConsoleIsListedButRefusedWithTheReason) {
    Open(ETransferMode::Upload);
    m_presenter->OnSelchangePort(1);
    const std::string refused = "Cannot use " + m_sys.Node("ttyS0") + ": it is the system console.";

    Choose(m_sys.Node("ttyS0") + " – built-in serial port [system console]");
    EXPECT_EQ(m_dialog->m_nPortRow, 1) << "back to COM2";
    EXPECT_EQ(m_dialog->m_status.back(), refused);
    ChooseOther(m_sys.Node("ttyS0"));
    EXPECT_EQ(m_dialog->m_nPortRow, 1);
    EXPECT_EQ(m_dialog->m_status.back(), refused) << "typed, it is refused the same way";
    m_presenter->OnSelchangePort(0);
    EXPECT_EQ(m_dialog->m_nPortRow, 1);
    EXPECT_EQ(m_dialog->m_status.back(),
              "Cannot use COM1 (" + m_sys.Node("ttyS0") + "): it is the system console.");
    EXPECT_EQ(m_presenter->Request().port.ComNumber(), 2);
    EXPECT_EQ(Stored("CPSEL"), "1");
    EXPECT_EQ(Stored("CPDEVICE"), "(none)");
}

// Root may open anything, except for writing on a read-only mount: there the
// adapter's node is a file on a read-only tmpfs. Anyone else meets a node
// without permissions.
TEST_F(TransferPresenterPortTest, APortTheUserMayNotUseSaysWhyWhenChosen) {
    namespace fs = std::filesystem;
    const std::string mount = m_sys.Dir().File("ro");
    std::string reason;
    if (::geteuid() == 0) {
        fs::create_directory(mount);
        if (::mount("tovrik-test", mount.c_str(), "tmpfs", 0, "size=16k") != 0) {
            GTEST_SKIP() << "cannot mount a tmpfs: " << std::strerror(errno);
        }
        m_sys.Dir().Write("ro/ttyUSB0", "x");
        ASSERT_EQ(::mount(nullptr, mount.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
        m_sys.LinkNode("ttyUSB0", mount + "/ttyUSB0");
        reason = "Read-only file system";
    } else {
        fs::permissions(m_sys.Node("ttyUSB0"), fs::perms::none);
        reason = "Permission denied: is the user in the " + CFakeSysfs::GroupName(::getegid()) +
                 " group?";
    }
    Open(ETransferMode::Upload);
    Choose(kFtdiEntry + " [no access]");
    if (::geteuid() == 0) {
        ::umount2(mount.c_str(), MNT_DETACH);
    }
    EXPECT_EQ(m_dialog->m_status.back(), "Cannot use " + m_sys.ById(kFtdiById) + ": " + reason);
    EXPECT_EQ(m_dialog->ShownPort(), "ttyUSB0") << "chosen all the same: the user may fix it";
    EXPECT_EQ(Stored("CPDEVICE"), m_sys.ById(kFtdiById));
}

}  // namespace
