// tovrik.exe: what the program knows of the machine, the application, and
// the main window's message loop.

#include "gui-win32/CTovrikApp.h"
#include "platform/common/CCommandLine.h"
#include "settings/CSystemContext.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, PWSTR /*pCmdLine*/,
                    int nCmdShow) {
    const INITCOMMONCONTROLSEX controls = {
        sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    CSystemContext context = CSystemContext::ForThisMachine();
    CTovrikApp app(context);
    std::vector<std::string> args = CCommandLine::Arguments(0, nullptr);
    if (!args.empty()) {
        args.erase(args.begin());  // the program's own name
    }
    if (!app.InitInstance(args)) {
        return 1;
    }
    HWND hWnd = app.GetMainFrame().GetSafeHwnd();
    ShowWindow(hWnd, nCmdShow);
    UpdateWindow(hWnd);
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!app.GetMainFrame().PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    app.ExitInstance();
    return static_cast<int>(msg.wParam);
}
