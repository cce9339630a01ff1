// The launcher's main dialog: shows and keeps the settings, starts the game,
// and runs the picture rotation while it is open.
#pragma once

#include "game/GamePaths.h"
#include "platform/Dialog.h"
#include "settings/LauncherSettings.h"

#include <cstdint>
#include <memory>

// The one window timer of the launcher.
constexpr UINT_PTR ROTATION_TIMER_ID = 275;

// The settings record is a base so that the four settings come ahead of the
// dialog's own members and the settings code can take them as one record.
class CLauncherDlg : public CDialog, public LauncherSettings {
public:
    explicit CLauncherDlg(CWnd* parent = nullptr);

    void Serialize(CArchive& ar) override;
    BOOL DestroyWindow() override;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    void OnSysCommand(UINT nID, LPARAM lParam);
    void OnPaint();
    HCURSOR OnQueryDragIcon();
    void OnRun();
    void OnRotationTick(UINT_PTR nIDEvent);
    void OnOrderName();
    void OnOrderRandom();

    void AddAboutItemToSystemMenu();
    void LoadSettings();
    void SaveSettings();
    void StartRotation();

    HICON m_hIcon;
    std::uint32_t m_nPictureCount = 0;
    std::unique_ptr<char[]> m_szGameFolder;

    DECLARE_MESSAGE_MAP()
};
