// The main dialog's lifecycle, Run, system menu and minimised painting.
#include "app/LauncherDlg.h"

#include "app/IconPosition.h"
#include "app/SystemCommand.h"
#include "game/GameFolder.h"
#include "game/GameLaunch.h"
#include "platform/Directory.h"
#include "rotation/PicturePaths.h"
#include "rotation/RotationSteps.h"
#include "platform/WinApp.h"
#include "settings/SettingsExchange.h"
#include "settings/SettingsCodec.h"
#include "settings/SettingsFile.h"
#include "ui/AboutDlg.h"
#include "ui/resource.h"

BEGIN_MESSAGE_MAP(CLauncherDlg, CDialog)
    ON_WM_SYSCOMMAND()
    ON_WM_PAINT()
    ON_WM_QUERYDRAGICON()
    ON_BN_CLICKED(IDC_RUN, &CLauncherDlg::OnRun)
    ON_WM_TIMER_CALL(&CLauncherDlg::OnRotationTick)
    ON_BN_CLICKED(IDC_ORDER_NAME, &CLauncherDlg::OnOrderName)
    ON_BN_CLICKED(IDC_ORDER_RANDOM, &CLauncherDlg::OnOrderRandom)
END_MESSAGE_MAP()

CLauncherDlg::CLauncherDlg(CWnd* parent)
    : CDialog(IDD_LAUNCHER_DIALOG, parent), m_szGameFolder(new char[kGameFolderSize]()) {
    SetDefaults();
    m_hIcon = LoadIconA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

void CLauncherDlg::DoDataExchange(CDataExchange* pDX) {
    CDialog::DoDataExchange(pDX);
    ExchangeSettings(pDX, *this);
}

BOOL CLauncherDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    AddAboutItemToSystemMenu();
    // The small icon first: given a big icon while the window has no small
    // one, Wine derives a small copy of it at once, which the small icon then
    // replaces (some 0.8 ms before the window shows, for nothing).
    SetIcon(m_hIcon, FALSE);
    SetIcon(m_hIcon, TRUE);
    RefreshOrderButtons(*this, 0); // "Random" until the settings file says otherwise

    if (FindGameFolder(kGameRegistryKey, m_szGameFolder.get()))
        SetCurrentFolder(m_szGameFolder.get());
    else
        UseCurrentFolderAsGameFolder(m_szGameFolder.get());

    LoadSettings();
    return TRUE;
}

void CLauncherDlg::AddAboutItemToSystemMenu() {
    HMENU menu = GetSystemMenu(FALSE);
    if (menu == nullptr)
        return;
    char text[256] = {};
    if (LoadStringA(AfxGetInstanceHandle(), IDS_ABOUTBOX, text, sizeof text) <= 0 || text[0] == '\0')
        return;
    AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
    AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX, text);
}

void CLauncherDlg::OnSysCommand(UINT nID, LPARAM) {
    if (IsAboutBoxCommand(nID, IDM_ABOUTBOX)) {
        CAboutDlg about;
        about.DoModal();
        return;
    }
    Default();
}

void CLauncherDlg::OnPaint() {
    if (!IsIconic()) {
        Default();
        return;
    }
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(m_hWnd, &ps);
    SendMessageA(m_hWnd, WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    RECT client;
    GetClientRect(m_hWnd, &client);
    const IconPoint at = MinimisedIconPosition(client.right - client.left, client.bottom - client.top,
                                               GetSystemMetrics(SM_CXICON), GetSystemMetrics(SM_CYICON));
    DrawIcon(dc, at.x, at.y, m_hIcon);
    EndPaint(m_hWnd, &ps);
}

HCURSOR CLauncherDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(m_hIcon); }

void CLauncherDlg::OnRun() {
    KillTimer(ROTATION_TIMER_ID);
    UpdateData(TRUE); // a failure has been shown; Run goes on regardless
    if (m_bUseEotbir != 0) {
        StartRotation();
        LaunchGame();
    } else {
        LaunchGame();
        PostQuitMessage(0);
    }
}

void CLauncherDlg::StartRotation() {
    m_nPictureCount = CountPictures(PicturePattern(m_szGameFolder.get()));
    // The product is taken modulo 2^32, as an unchecked cycle time may be large.
    SetTimer(ROTATION_TIMER_ID, m_nCycleTime * 1000u);
}

// Nothing is copied at Run: the first picture comes one full period later.
void CLauncherDlg::OnRotationTick(UINT_PTR) {
    if (m_bOrderByName != 0)
        StepByName(m_szGameFolder.get());
    else
        StepRandom(m_szGameFolder.get(), m_nPictureCount);
    Default();
}

void CLauncherDlg::OnOrderName() {
    m_bOrderByName = 1;
    KeepOrderButtonsOutOfTabOrder(*this);
}

void CLauncherDlg::OnOrderRandom() {
    m_bOrderByName = 0;
    KeepOrderButtonsOutOfTabOrder(*this);
}

void CLauncherDlg::Serialize(CArchive& ar) {
    if (ar.IsLoading()) {
        LoadSettingsFields(ar, *this);
        RefreshOrderButtons(*this, m_bOrderByName);
        UpdateData(FALSE);
    } else {
        UpdateData(TRUE); // the closing exchange; a failure has been shown
        StoreSettingsFields(ar, *this);
    }
}

void CLauncherDlg::LoadSettings() { LoadSettingsFile(*this); }

void CLauncherDlg::SaveSettings() { SaveSettingsFile(*this); }

// The rotation timer lives until the window goes: while the closing exchange
// or the save shows a message, ticks go on copying in that box's own loop.
BOOL CLauncherDlg::DestroyWindow() {
    SaveSettings();
    return CDialog::DestroyWindow();
}
