#include "CToolBar.h"

#include "resource.h"

#include <commctrl.h>

#include <cstdint>
#include <cstring>

bool CToolBar::LoadItems(unsigned nIDResource) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(nIDResource), MAKEINTRESOURCEW(RT_TOOLBAR));
    if (info == nullptr) {
        return false;
    }
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, info)));
    const DWORD size = SizeofResource(module, info);
    std::uint16_t header[4] = {};
    if (data == nullptr || size < sizeof header) {
        return false;
    }
    std::memcpy(header, data, sizeof header);
    if (header[0] != 1 || size < sizeof header + header[3] * sizeof(std::uint16_t)) {
        return false;
    }
    m_cxImage = header[1];
    m_cyImage = header[2];
    m_items.resize(header[3]);
    for (size_t i = 0; i < m_items.size(); ++i) {
        std::uint16_t id = 0;
        std::memcpy(&id, data + sizeof header + i * sizeof id, sizeof id);
        m_items[i] = id;
    }
    return true;
}

bool CToolBar::Create(HWND hWndParent, unsigned nIDResource, unsigned nIDWindow) {
    if (!LoadItems(nIDResource)) {
        return false;
    }
    m_hWnd =
        CreateWindowExW(0, TOOLBARCLASSNAMEW, nullptr,
                        WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_TOOLTIPS | CCS_TOP, 0, 0, 0,
                        0, hWndParent, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nIDWindow)),
                        GetModuleHandleW(nullptr), nullptr);
    if (m_hWnd == nullptr) {
        return false;
    }
    SendMessageW(m_hWnd, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    SendMessageW(m_hWnd, TB_SETBITMAPSIZE, 0, MAKELPARAM(m_cxImage, m_cyImage));
    int images = 0;
    for (unsigned id : m_items) {
        images += id != 0 ? 1 : 0;
    }
    // Loaded by id, the strip's greys, black and white become the system's
    // button colours.
    TBADDBITMAP bitmap = {GetModuleHandleW(nullptr), nIDResource};
    if (SendMessageW(m_hWnd, TB_ADDBITMAP, static_cast<WPARAM>(images),
                     reinterpret_cast<LPARAM>(&bitmap)) < 0) {
        return false;
    }
    std::vector<TBBUTTON> buttons(m_items.size());
    int image = 0;
    for (size_t i = 0; i < m_items.size(); ++i) {
        TBBUTTON& button = buttons[i];
        if (m_items[i] == 0) {
            button.fsStyle = BTNS_SEP;
        } else {
            button.iBitmap = image++;
            button.idCommand = static_cast<int>(m_items[i]);
            button.fsState = TBSTATE_ENABLED;
            button.fsStyle = BTNS_BUTTON;
        }
    }
    return SendMessageW(m_hWnd, TB_ADDBUTTONSW, buttons.size(),
                        reinterpret_cast<LPARAM>(buttons.data())) != FALSE;
}

void CToolBar::EnableButton(unsigned nID, bool bEnable) const {
    SendMessageW(m_hWnd, TB_ENABLEBUTTON, nID, MAKELPARAM(bEnable ? TRUE : FALSE, 0));
}
