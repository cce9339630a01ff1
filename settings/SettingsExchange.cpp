// The settings' exchange with the controls.
#include "settings/SettingsExchange.h"

#include "ui/resource.h"

#include <initializer_list>

void ExchangeSettings(CDataExchange* pDX, LauncherSettings& s) {
    DDX_Check(pDX, IDC_USE_EOTBIR, s.m_bUseEotbir);
    DDX_Check(pDX, IDC_PRE_WARP, s.m_bPreWarp);
    DDX_Text(pDX, IDC_CYCLE_TIME, s.m_nCycleTime);
    DDV_MinMaxUInt(pDX, s.m_nCycleTime, LauncherSettings::kMinCycleTime, LauncherSettings::kMaxCycleTime);
}

void RefreshOrderButtons(CWnd& dialog, std::int32_t orderByName) {
    dialog.CheckRadioButton(IDC_ORDER_NAME, IDC_ORDER_RANDOM,
                            orderByName != 0 ? IDC_ORDER_NAME : IDC_ORDER_RANDOM);
    KeepOrderButtonsOutOfTabOrder(dialog);
}

void KeepOrderButtonsOutOfTabOrder(CWnd& dialog) {
    for (int id : {IDC_ORDER_NAME, IDC_ORDER_RANDOM}) {
        HWND button = dialog.GetDlgItem(id);
        const LONG style = GetWindowLongA(button, GWL_STYLE);
        if ((style & WS_TABSTOP) != 0)
            SetWindowLongA(button, GWL_STYLE, style & ~WS_TABSTOP);
    }
}
