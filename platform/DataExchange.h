// The framework's dialog data exchange: one run of DoDataExchange in one
// direction, and the exchange and validation steps a dialog calls from it.
#pragma once

#include "platform/Wnd.h"

#include <cstdint>

// Thrown by a failed step after the user has been told; UpdateData ends the
// exchange on it and returns false.
struct CUserException {};

class CDataExchange {
public:
    CDataExchange(CWnd* dialog, bool saveAndValidate)
        : m_bSaveAndValidate(saveAndValidate), m_pDlgWnd(dialog) {}

    // Looks a control up and notes it as the one the next failure is about.
    HWND PrepareCtrl(int id);
    HWND PrepareEditCtrl(int id);

    // Ends the exchange: the focus goes to the last control, with a text
    // field's whole text selected.
    [[noreturn]] void Fail();

    bool m_bSaveAndValidate; // true: controls to members, with validation
    CWnd* m_pDlgWnd;
    HWND m_hWndLastControl = nullptr;
    bool m_bEditLastControl = false;
};

// Check box <-> flag: 0 cleared, 1 checked, 2 indeterminate. Loading first
// resets a value outside 0 to 2 to 0.
void DDX_Check(CDataExchange* pDX, int id, std::int32_t& value);

// Text field <-> unsigned value. A text that is not a number fails with
// "Please enter a positive integer." and leaves `value` unchanged.
void DDX_Text(CDataExchange* pDX, int id, std::uint32_t& value);

// In the save direction, fails outside minimum..maximum with "Please enter an
// integer between <min> and <max>."; the value stays as it is.
void DDV_MinMaxUInt(CDataExchange* pDX, std::uint32_t value, std::uint32_t minimum, std::uint32_t maximum);
