#include "CDialog.h"

#include "resource.h"

#include <cstdint>
#include <cstring>
#include <string>

CDialog::~CDialog() {
    if (m_hWnd != nullptr && !m_bModal) {
        DestroyWindow(m_hWnd);
    }
}

INT_PTR CDialog::DoModal(HWND hWndParent) {
    m_bModal = true;
    return DialogBoxParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate), hWndParent,
                           &CDialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

bool CDialog::Create(HWND hWndParent) {
    m_bModal = false;
    return CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(m_nIDTemplate),
                              hWndParent, &CDialog::DialogProc,
                              reinterpret_cast<LPARAM>(this)) != nullptr;
}

bool CDialog::OnCommand(int nID, int /*nCode*/) {
    if (nID == IDOK || nID == IDCANCEL) {
        EndDialog(nID);
        return true;
    }
    return false;
}

void CDialog::EndDialog(INT_PTR nResult) {
    if (m_bModal) {
        ::EndDialog(m_hWnd, nResult);
    } else {
        DestroyWindow(m_hWnd);
    }
}

INT_PTR CALLBACK CDialog::DialogProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) {
    if (nMsg == WM_INITDIALOG) {
        auto* self = reinterpret_cast<CDialog*>(lParam);
        SetWindowLongPtrW(hWnd, DWLP_USER, lParam);
        self->m_hWnd = hWnd;
        if (!self->FillLists()) {
            self->EndDialog(-1);
            return FALSE;
        }
        return self->OnInitDialog();
    }
    auto* self = reinterpret_cast<CDialog*>(GetWindowLongPtrW(hWnd, DWLP_USER));
    if (self == nullptr) {
        return FALSE;
    }
    switch (nMsg) {
        case WM_COMMAND:
            return self->OnCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
        case WM_NCDESTROY:
            self->m_hWnd = nullptr;
            return FALSE;
        default: {
            LRESULT result = 0;
            if (!self->OnMessage(nMsg, wParam, lParam, result)) {
                return FALSE;
            }
            // A colour message's brush is the procedure's own result.
            if (nMsg >= WM_CTLCOLORMSGBOX && nMsg <= WM_CTLCOLORSTATIC) {
                return static_cast<INT_PTR>(result);
            }
            SetWindowLongPtrW(hWnd, DWLP_MSGRESULT, result);
            return TRUE;
        }
    }
}

bool CDialog::FillLists() const {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC info =
        FindResourceW(module, MAKEINTRESOURCEW(m_nIDTemplate), MAKEINTRESOURCEW(RT_LISTINIT));
    if (info == nullptr) {
        return true;  // a dialog without lists
    }
    const auto* data = static_cast<const unsigned char*>(LockResource(LoadResource(module, info)));
    const DWORD size = SizeofResource(module, info);
    if (data == nullptr) {
        return false;
    }
    // Each entry: a 16-bit control id (0 ends the list), a 32-bit byte count,
    // then the text with its null, packed without padding.
    DWORD pos = 0;
    while (pos + sizeof(std::uint16_t) <= size) {
        std::uint16_t id = 0;
        std::memcpy(&id, data + pos, sizeof id);
        pos += sizeof id;
        if (id == 0) {
            return true;
        }
        std::uint32_t length = 0;
        if (pos + sizeof length > size) {
            return false;
        }
        std::memcpy(&length, data + pos, sizeof length);
        pos += sizeof length;
        if (length == 0 || length > size - pos || data[pos + length - 1] != 0) {
            return false;
        }
        const std::string text(reinterpret_cast<const char*>(data + pos), length - 1);
        pos += length;
        const std::wstring wide(text.begin(), text.end());  // ASCII
        SendDlgItemMessageW(m_hWnd, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(wide.c_str()));
    }
    return false;
}
