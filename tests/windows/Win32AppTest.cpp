// tovrik.exe's application in process: its main window, and backups and
// restores through the transfer dialog against qarn-sim on COM5, driven through
// its messages; the answers to questions and file dialogs come from a script.

#include "CScreenshot.h"
#include "CWin32User.h"
#include "CWineRun.h"
#include "app/CAppCommands.h"
#include "app/CConfigStrip.h"
#include "core/data/CQARNCfgDoc.h"
#include "gui-win32/CDisplayText.h"
#include "gui-win32/CTovrikApp.h"
#include "gui-win32/resource.h"
#include "platform/common/Win32Text.h"
#include "tests/support/CScriptedPrompter.h"
#include "tests/support/CTempDir.h"
#include "tests/support/CTestConfig.h"
#include "tests/support/CTestContext.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

constexpr wchar_t kTransferCaption[] = L"Tovrik - QARN Data Backup/Restore";
constexpr wchar_t kCompareCaption[] = L"Tovrik - QARN Data Backup/Restore - Compare with Device";

class Win32App : public ::testing::Test {
protected:
    void SetUp() override {
        const INITCOMMONCONTROLSEX controls = {sizeof controls,
                                               ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        DropQuit();
    }
    // A frame's end posts the program's WM_QUIT, which would end the modal
    // loops of the next test.
    void TearDown() override {
        if (Frame() != nullptr) {
            DestroyWindow(Frame());
        }
        DropQuit();
    }
    static void DropQuit() {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
    }
    bool Start(const std::vector<std::string>& args = {}) {
        if (!app.InitInstance(args)) {
            return false;
        }
        ShowWindow(Frame(), SW_SHOWNOACTIVATE);
        return true;
    }
    HWND Frame() { return app.GetMainFrame().GetSafeHwnd(); }
    void Command(unsigned nID) { SendMessageW(Frame(), WM_COMMAND, nID, 0); }

    // The document as it stands: its lines, modified flag, path and title.
    std::string DocumentState() {
        const CQARNCfgDoc& doc = app.GetDocument();
        return CTestConfig::InMemory(doc) + (doc.IsModified() ? "modified " : "saved ") +
               doc.GetPathName() + " " + Win32Text::Narrow(CWin32User::Text(Frame()));
    }

    // The transfer dialog, with COM5 at 38400 baud chosen and Transfer
    // Configuration pressed.
    static HWND StartTransfer(CWin32User& user, const wchar_t* pszCaption = kTransferCaption) {
        HWND dialog = user.WaitForWindow(pszCaption);
        EXPECT_TRUE(CWin32User::Choose(dialog, IDC_PORT, L"COM5"));
        EXPECT_TRUE(CWin32User::Choose(dialog, IDC_BAUDRATE, L"38400"));
        CWin32User::Click(dialog, IDC_TRANSFER);
        return dialog;
    }

    // File > Download or Upload, left with Exit once the status list shows
    // `last`: the status list and the byte counter then.
    std::vector<std::wstring> Transfer(unsigned nCommand, const std::wstring& last,
                                       std::wstring* pCount = nullptr) {
        std::vector<std::wstring> status;
        CWin32User::Run([&] { Command(nCommand); },
                        [&](CWin32User& user) {
                            HWND dialog = StartTransfer(user);
                            EXPECT_TRUE(CWin32User::WaitUntil([&] {
                                status = CWin32User::Rows(GetDlgItem(dialog, IDC_STATUS));
                                return std::find(status.begin(), status.end(), last) !=
                                           status.end() &&
                                       IsWindowEnabled(GetDlgItem(dialog, IDOK));
                            }));
                            if (pCount != nullptr) {
                                *pCount = CWin32User::Text(GetDlgItem(dialog, IDC_BYTES));
                            }
                            CWin32User::Click(dialog, IDOK);
                        });
        return status;
    }

    // What the program wrote to its profile: "section/key" -> value.
    const std::map<std::string, std::string>& Profile() const { return m_pStore->m_values; }

    CMemoryProfileStore* m_pStore = new CMemoryProfileStore;
    CSystemContext context = CTestContext::Make(std::unique_ptr<CProfileStore>(m_pStore));
    CScriptedPrompter prompter;
    CTovrikApp app{context, &prompter};
};

}  // namespace

TEST_F(Win32App, BacksUpFromTheDeviceAndRestoresItByteForByte) {
    const std::string config = CTempDir::Read(TOVRIK_SIM_CONFIG);
    ASSERT_FALSE(config.empty());
    ASSERT_TRUE(Start());
    app.SetTiming(CTestConfig::Timing());
    CTempDir dir;
    const std::string backup = dir.File("backup.s19");

    // qarn-sim holds 100 data lines, no whole configuration: kept on a yes.
    prompter.QueueAnswer(EAnswer::Yes);
    std::wstring count;
    const std::vector<std::wstring> status = Transfer(
        ID_FILE_UPLOAD, L"The configuration received is kept, marked as not complete.", &count);
    EXPECT_EQ(status.front(), L"Uploading data.");
    EXPECT_EQ(count, std::to_wstring(config.size()) + L" of 196642");
    EXPECT_EQ(CWin32User::Text(Frame()), L"Tovrik-Untitled*");
    EXPECT_EQ(Profile().at("INITALISATION/CPDEVICE"), CWineRun::kSimPort);
    EXPECT_EQ(Profile().at("INITALISATION/BRSEL"), "6");

    // An upload over unsaved changes asks first; Cancel opens no dialog.
    prompter.QueueAnswer(EAnswer::Cancel);
    bool bOpened = true;
    CWin32User::Run(
        [&] { Command(ID_FILE_UPLOAD); },
        [&](CWin32User& user) { bOpened = user.WaitForWindow(kTransferCaption, 1000) != nullptr; });
    EXPECT_FALSE(bOpened);
    EXPECT_EQ(prompter.Texts().back(), "Save changes to Untitled?");

    prompter.QueueFile(backup);
    Command(ID_FILE_SAVE_AS);
    EXPECT_EQ(CTempDir::Read(backup), config) << "the backup is what the device sent";
    EXPECT_EQ(CWin32User::Text(Frame()), L"Tovrik-backup.s19");

    // The restore: the file opened afresh, sent after a yes to "not complete".
    Command(ID_FILE_NEW);
    prompter.QueueFile(backup);
    Command(ID_FILE_OPEN);
    prompter.QueueAnswer(EAnswer::Yes);
    Transfer(ID_FILE_DOWNLOAD, L"Power cycle QARN.");
    std::string received;
    EXPECT_TRUE(CWin32User::WaitUntil([&] {
        received = CTempDir::Read(CWineRun::SimReceived());
        return received.size() >= config.size();
    }));
    EXPECT_TRUE(received == config) << "qarn-sim received other bytes than the backup holds";
    EXPECT_TRUE(prompter.ScriptUsed());
}

TEST_F(Win32App, ACancelledUploadPutsBackTheConfigurationHeldBefore) {
    CTempDir dir;
    const std::string held = CTestConfig::Joined(CTestConfig::Lines(3));
    const std::string path = dir.Write("backup.s19", held);
    ASSERT_TRUE(Start({path}));
    CWin32User::Run([&] { Command(ID_FILE_UPLOAD); },
                    [&](CWin32User& user) {
                        HWND dialog = StartTransfer(user);
                        // Cancel while the device's answer comes in.
                        EXPECT_TRUE(CWin32User::WaitUntil([&] {
                            return std::wcstol(
                                       CWin32User::Text(GetDlgItem(dialog, IDC_BYTES)).c_str(),
                                       nullptr, 10) > 1000;
                        }));
                        EXPECT_EQ(CWin32User::Rows(GetDlgItem(dialog, IDC_STATUS)),
                                  std::vector<std::wstring>{L"Uploading data."});
                        CScreenshot::Save(dialog, "upload");
                        CWin32User::Click(dialog, IDCANCEL);
                    });
    EXPECT_EQ(prompter.Texts(),
              (std::vector<std::string>{"Upload aborted.\nPlease power cycle QARN."}));
    EXPECT_EQ(CTestConfig::InMemory(app.GetDocument()), held);
    EXPECT_FALSE(app.GetDocument().IsModified());
    EXPECT_EQ(CWin32User::Text(Frame()), L"Tovrik-backup.s19");
}

TEST_F(Win32App, TheMainWindowShowsWhatItHoldsOpensWhatIsDroppedAndWaitsForAbout) {
    CTempDir dir;
    const std::string path = dir.Write("backup.s19", CTempDir::Read(TOVRIK_SAMPLE_S19));
    const std::string notes = dir.Write("notes.txt", "S7 is the plan\r\n");
    ASSERT_TRUE(Start({path}));
    EXPECT_EQ(CWin32User::Text(Frame()), L"Tovrik-backup.s19");
    HWND view = app.GetMainFrame().GetView();
    const std::wstring summary = CWin32User::Text(view);
    EXPECT_EQ(summary.rfind(L"File:          backup.s19\r\n", 0), 0u) << "in rows of a table";
    EXPECT_NE(summary.find(L"whole: valid and complete"), std::wstring::npos);
    HDC dc = GetDC(view);
    SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(view, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    ReleaseDC(view, dc);
    EXPECT_EQ(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH, 0) << "the set bit means variable";
    CScreenshot::Save(Frame(), "main-window");

    app.OnDropFiles({notes});
    EXPECT_EQ(prompter.Texts().back(), notes + " is not an S-record configuration.");
    EXPECT_EQ(CWin32User::Text(Frame()), L"Tovrik-backup.s19");
    Command(ID_FILE_NEW);
    EXPECT_EQ(CWin32User::Text(Frame()), L"Tovrik");
    EXPECT_EQ(CWin32User::Text(view).rfind(L"No configuration in memory.", 0), 0u);

    bool bFrameEnabled = true;
    CWin32User::Run([&] { Command(ID_APP_ABOUT); },
                    [&](CWin32User& user) {
                        HWND about = user.WaitForWindow(L"About Tovrik");
                        bFrameEnabled = IsWindowEnabled(Frame()) != FALSE;
                        CScreenshot::Save(about, "about");
                        CWin32User::Click(about, IDOK);
                    });
    EXPECT_FALSE(bFrameEnabled) << "the About box holds the main window";
    EXPECT_TRUE(IsWindowEnabled(Frame()));

    app.ExitInstance();
    EXPECT_EQ(Profile().at("Recent File List/File1"),
              std::filesystem::path(path).make_preferred().string());
}

TEST_F(Win32App, CompareWithFileLeavesTheDocumentAsItWasAndTheStripNamesTheDifference) {
    CTempDir dir;
    std::vector<std::string> lines = CTestConfig::Lines(8);
    const std::string path = dir.Write("backup.s19", CTestConfig::Joined(lines));
    lines[6] = CTestConfig::DataLine(0x50, std::string(16, 'x'));
    const std::string other = dir.Write("other.s19", CTestConfig::Joined(lines));
    ASSERT_TRUE(Start({path}));
    // Unsaved changes: the compare neither asks about them nor drops them.
    app.GetDocument().SetModifiedFlag();
    app.GetCommands().UpdateFrame();
    const std::string before = DocumentState();
    prompter.QueueFile(other);
    Command(ID_FILE_COMPARE_FILE);
    EXPECT_EQ(DocumentState(), before);
    EXPECT_NE(before.find("modified"), std::string::npos);
    ASSERT_EQ(prompter.Reports().size(), 1u);
    const CReportBox& report = prompter.Reports().front();
    EXPECT_EQ(report.strCaption, "Compare with File");
    ASSERT_GE(report.lines.size(), 3u);
    EXPECT_EQ(report.lines[0], "Compared backup.s19 with other.s19:");
    EXPECT_EQ(report.lines[1], "different: 1 range, 16 bytes");
    // Notes on what neither file holds, then the differing range.
    const std::wstring difference = CDisplayText::Widen(report.lines.back());
    EXPECT_EQ(difference.rfind(L"00000050-0000005F", 0), 0u);
    EXPECT_NE(CWin32User::Text(app.GetMainFrame().GetView()).find(L"different: 1 range"),
              std::wstring::npos);

    // The pointer along the bar, until it names the differing range.
    const CStripWnd& strip = app.GetMainFrame().GetStrip();
    HWND hWndStrip = strip.GetSafeHwnd();
    const RECT bar = strip.BarRect();
    const int y = (bar.top + bar.bottom) / 2;
    int x = bar.left;
    for (; x < bar.right && strip.GetTip() != difference; ++x) {
        POINT point = {x, y};
        ClientToScreen(hWndStrip, &point);
        SetCursorPos(point.x, point.y);
        SendMessageW(hWndStrip, WM_MOUSEMOVE, 0, MAKELPARAM(x, y));
    }
    ASSERT_EQ(strip.GetTip(), difference) << "no point of the bar names the differing range";
    EXPECT_TRUE(IsWindowVisible(strip.GetToolTip()));
    EXPECT_EQ(CWin32User::Text(strip.GetToolTip()), difference);
    UpdateWindow(hWndStrip);
    HDC dc = GetDC(hWndStrip);
    const COLORREF pixel = GetPixel(dc, x - 1, y);
    ReleaseDC(hWndStrip, dc);
    const std::uint32_t colour = CConfigStrip::Colour(EStripMark::Differs);
    EXPECT_EQ(pixel, RGB(colour >> 16, (colour >> 8) & 0xFF, colour & 0xFF))
        << "drawn in the colour of a difference where it is named";
    CScreenshot::Save(Frame(), "compare");
}

TEST_F(Win32App, CompareWithDeviceLeavesTheDocumentAsItWasAndComparesOnlyAWholeAnswer) {
    CTempDir dir;
    const std::string path = dir.Write("backup.s19", CTempDir::Read(TOVRIK_SIM_CONFIG));
    ASSERT_TRUE(Start({path}));
    app.SetTiming(CTestConfig::Timing());
    const std::string before = DocumentState();
    // qarn-sim sends 100 data lines, no whole configuration: nothing is kept
    // and nothing asked.
    std::vector<std::wstring> status;
    CWin32User::Run([&] { Command(ID_FILE_COMPARE_DEVICE); },
                    [&](CWin32User& user) {
                        HWND dialog = StartTransfer(user, kCompareCaption);
                        EXPECT_TRUE(CWin32User::WaitUntil([&] {
                            status = CWin32User::Rows(GetDlgItem(dialog, IDC_STATUS));
                            return !status.empty() &&
                                   status.back() ==
                                       L"The device's answer is not whole: nothing was compared.";
                        }));
                        CWin32User::Click(dialog, IDOK);
                    });
    EXPECT_EQ(DocumentState(), before);
    EXPECT_TRUE(prompter.Texts().empty());
    EXPECT_TRUE(prompter.Reports().empty());
}

TEST_F(Win32App, AStartThatCannotOpenItsFileEndsWithTheReasonAndNoWindow) {
    CTempDir dir;
    const std::string missing = dir.File("gone.s19");
    EXPECT_FALSE(app.InitInstance({missing}));
    EXPECT_EQ(prompter.Texts(), std::vector<std::string>{"Cannot open " + missing +
                                                         ": The system cannot find the file "
                                                         "specified."});
    EXPECT_EQ(Frame(), nullptr);
}
