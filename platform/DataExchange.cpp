// Exchange steps against the real controls.
#include "platform/DataExchange.h"

#include "platform/DataExchangeRules.h"
#include "platform/ErrorReport.h"

#include <string>

namespace {

// A failed step's message: modal to the dialog, one OK button, exclamation.
[[noreturn]] void FailWithMessage(CDataExchange* pDX, const std::string& text) {
    AfxMessageBox(pDX->m_pDlgWnd->m_hWnd, text, MB_OK | MB_ICONEXCLAMATION);
    pDX->Fail();
}

} // namespace

HWND CDataExchange::PrepareCtrl(int id) {
    m_hWndLastControl = m_pDlgWnd->GetDlgItem(id);
    m_bEditLastControl = false;
    return m_hWndLastControl;
}

HWND CDataExchange::PrepareEditCtrl(int id) {
    HWND control = PrepareCtrl(id);
    m_bEditLastControl = true;
    return control;
}

void CDataExchange::Fail() {
    if (m_bSaveAndValidate && m_hWndLastControl != nullptr) {
        ::SetFocus(m_hWndLastControl);
        if (m_bEditLastControl)
            ::SendMessageA(m_hWndLastControl, EM_SETSEL, 0, -1);
    }
    throw CUserException{};
}

void DDX_Check(CDataExchange* pDX, int id, std::int32_t& value) {
    HWND control = pDX->PrepareCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        value = static_cast<std::int32_t>(::SendMessageA(control, BM_GETCHECK, 0, 0));
    } else {
        value = ddx::CheckValueForLoad(value);
        ::SendMessageA(control, BM_SETCHECK, static_cast<WPARAM>(value), 0);
    }
}

void DDX_Text(CDataExchange* pDX, int id, std::uint32_t& value) {
    HWND control = pDX->PrepareEditCtrl(id);
    if (pDX->m_bSaveAndValidate) {
        char text[ddx::kMaxJudgedChars + 1] = {};
        ::GetWindowTextA(control, text, sizeof text);
        if (!ddx::ParseUnsignedText(text, value))
            FailWithMessage(pDX, ddx::kParseUIntMessage);
    } else {
        // Only a changed text is set, so the field keeps its caret and
        // selection and sends no change notification for nothing.
        const std::string wanted = ddx::FormatUnsigned(value);
        const int length = ::GetWindowTextLengthA(control);
        std::string current(static_cast<size_t>(length) + 1, '\0');
        current.resize(static_cast<size_t>(::GetWindowTextA(control, &current[0], length + 1)));
        if (current != wanted)
            ::SetWindowTextA(control, wanted.c_str());
    }
}

void DDV_MinMaxUInt(CDataExchange* pDX, std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum) {
    if (!pDX->m_bSaveAndValidate)
        return;
    if (!ddx::InRange(value, minimum, maximum))
        FailWithMessage(pDX, ddx::FormatMinMaxUIntMessage(minimum, maximum));
}
