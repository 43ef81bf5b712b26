#include "CScreenshot.h"

#include <cstdlib>
#include <fstream>
#include <string>

void CScreenshot::Save(HWND hWnd, const char* name) {
    const char* folder = std::getenv("TOVRIK_SCREENSHOTS");
    if (folder == nullptr) {
        return;
    }
    // Wine hands what a window drew to the X server a little later; the
    // window's own thread keeps serving its messages meanwhile.
    RedrawWindow(hWnd, nullptr, nullptr,
                 RDW_FRAME | RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    const bool bOwnThread = GetWindowThreadProcessId(hWnd, nullptr) == GetCurrentThreadId();
    for (const ULONGLONG end = GetTickCount64() + 200; GetTickCount64() < end; Sleep(20)) {
        MSG msg;
        while (bOwnThread && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&msg);
        }
    }
    RECT rect = {};
    GetWindowRect(hWnd, &rect);
    const int cx = rect.right - rect.left;
    const int cy = rect.bottom - rect.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, cx, cy);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, cx, cy, screen, rect.left, rect.top, SRCCOPY);
    SelectObject(memory, old);
    BITMAPINFOHEADER info = {sizeof info, cx, cy, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(4 * static_cast<std::size_t>(cx) * static_cast<std::size_t>(cy), '\0');
    GetDIBits(memory, bitmap, 0, static_cast<UINT>(cy), pixels.data(),
              reinterpret_cast<BITMAPINFO*>(&info), DIB_RGB_COLORS);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info;
    const BITMAPFILEHEADER file = {0x4D42, static_cast<DWORD>(offset + pixels.size()), 0, 0,
                                   offset};
    std::ofstream out(std::string(folder) + "/" + name + ".bmp", std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info), sizeof info);
    out << pixels;
}
