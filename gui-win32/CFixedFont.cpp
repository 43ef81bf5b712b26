#include "CFixedFont.h"

CFixedFont::~CFixedFont() {
    if (m_hFont != nullptr) {
        DeleteObject(m_hFont);
    }
}

void CFixedFont::Apply(HWND hWnd, int nPoints) {
    if (m_hFont == nullptr) {
        LOGFONTW font = {};
        HDC dc = GetDC(hWnd);
        font.lfHeight = -MulDiv(nPoints, GetDeviceCaps(dc, LOGPIXELSY), 72);
        ReleaseDC(hWnd, dc);
        font.lfPitchAndFamily = FIXED_PITCH | FF_MODERN;
        lstrcpynW(font.lfFaceName, L"Courier New", LF_FACESIZE);
        m_hFont = CreateFontIndirectW(&font);
    }
    SendMessageW(hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_hFont), FALSE);
}
