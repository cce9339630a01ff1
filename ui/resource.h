// Resource identifiers, shared by Quillmere.rc and the C++ code.
// Ids follow one scheme: IDD_ dialog templates, IDC_ controls, IDR_ the
// application icon, IDB_ bitmaps, IDS_ strings, IDM_ menu commands. Static
// labels and group boxes carry IDC_STATIC (-1).
#pragma once

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

// About box (template 100) and its system-menu item.
#define IDD_ABOUTBOX            100
#define IDS_ABOUTBOX            101
// The About command's low four bits are zero: system commands are compared
// with those bits cleared, as Windows reserves them.
#define IDM_ABOUTBOX            0x0010

// Main dialog (template 102).
#define IDD_LAUNCHER_DIALOG     102
#define IDC_RUN                 1000
#define IDC_USE_EOTBIR          1001
#define IDC_LOGO                1002
#define IDC_PRE_WARP            1003
#define IDC_CYCLE_TIME          1011
#define IDC_ORDER_NAME          1012
#define IDC_ORDER_RANDOM        1013

// Application icon and the logo bitmap.
#define IDR_MAINFRAME           128
#define IDB_LOGO                136
