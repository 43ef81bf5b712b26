#pragma once

#include <windows.h>

// The fixed-width font that rows meant to line up are set in: the summary and
// a compare's report.
class CFixedFont {
public:
    CFixedFont() = default;
    ~CFixedFont();
    CFixedFont(const CFixedFont&) = delete;
    CFixedFont& operator=(const CFixedFont&) = delete;

    // Makes the font at `nPoints` for the screen of hWnd and sets it as
    // hWnd's; the font lives as long as this object.
    void Apply(HWND hWnd, int nPoints);

private:
    HFONT m_hFont = nullptr;
};
