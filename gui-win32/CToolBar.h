#pragma once

#include <windows.h>

#include <vector>

// The toolbar of the main window: a flat common-controls toolbar with
// tooltips, its buttons and separators as the TOOLBAR resource lists them,
// its images from the bitmap of the same id.
class CToolBar {
public:
    // False when the resource or the window could not be had.
    bool Create(HWND hWndParent, unsigned nIDResource, unsigned nIDWindow);
    HWND GetSafeHwnd() const { return m_hWnd; }
    void EnableButton(unsigned nID, bool bEnable) const;
    // The command ids of the buttons, 0 for a separator, left to right.
    const std::vector<unsigned>& GetItems() const { return m_items; }

private:
    bool LoadItems(unsigned nIDResource);

    HWND m_hWnd = nullptr;
    std::vector<unsigned> m_items;
    int m_cxImage = 0;
    int m_cyImage = 0;
};
