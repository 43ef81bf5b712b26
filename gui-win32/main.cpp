// tovrik.exe: the main window and its message loop.

#include "gui-win32/CMainFrame.h"

#include <commctrl.h>
#include <windows.h>

int WINAPI wWinMain(HINSTANCE /*hInstance*/, HINSTANCE /*hPrevInstance*/, PWSTR /*pCmdLine*/,
                    int nCmdShow) {
    const INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_BAR_CLASSES | ICC_PROGRESS_CLASS};
    InitCommonControlsEx(&controls);
    CMainFrame frame;
    if (!frame.Create()) {
        MessageBoxW(nullptr, L"The main window could not be made.", L"Tovrik", MB_OK | MB_ICONSTOP);
        return 1;
    }
    ShowWindow(frame.GetSafeHwnd(), nCmdShow);
    UpdateWindow(frame.GetSafeHwnd());
    MSG msg = {};
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        if (!frame.PreTranslateMessage(msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
    return static_cast<int>(msg.wParam);
}
