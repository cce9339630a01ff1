// The real launcher dialog as it opens and closes: start state, system menu,
// icons, the result of each way of ending its run with the settings saved,
// and the About box run from it with the dialog as owner.
#include <gtest/gtest.h>

#include "DialogTestSupport.h"
#include "MessageBoxCapture.h"
#include "app/LauncherApp.h"
#include "ui/resource.h"

namespace {

// The application object whose main window owns the About box.
CLauncherApp theApp;

class MainDialog : public LauncherFixture {
protected:
    LauncherUnderTest dlg_;
    void SetUp() override { theApp.m_pMainWnd = &dlg_; }
    void TearDown() override { theApp.m_pMainWnd = nullptr; }
};

HICON ApplicationIcon() { return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME)); }

} // namespace

TEST_F(MainDialog, OpensWithDefaultsFocusOnExitAboutItemAndTheApplicationIcon) {
    DialogScript script({WaitVisible(dlg_), Do([&] {
        HWND w = dlg_.m_hWnd;
        EXPECT_EQ(dlg_.Item(IDCANCEL), GetFocus()) << "focus on control " << GetDlgCtrlID(GetFocus());
        EXPECT_EQ(BST_CHECKED, CheckState(w, IDC_USE_EOTBIR));
        EXPECT_EQ(BST_UNCHECKED, CheckState(w, IDC_PRE_WARP));
        EXPECT_FALSE(IsWindowEnabled(dlg_.Item(IDC_PRE_WARP)));
        EXPECT_EQ("60", ItemText(w, IDC_CYCLE_TIME));
        EXPECT_EQ(BST_CHECKED, CheckState(w, IDC_ORDER_RANDOM));
        EXPECT_EQ(BST_UNCHECKED, CheckState(w, IDC_ORDER_NAME));
        EXPECT_EQ(0, dlg_.m_bOrderByName);
        // Without the registry value the game folder is where the launcher started.
        EXPECT_EQ(scratch_.path(), dlg_.m_szGameFolder.get());

        HMENU menu = GetSystemMenu(w, FALSE);
        const int count = GetMenuItemCount(menu);
        ASSERT_GE(count, 2);
        EXPECT_TRUE(GetMenuState(menu, count - 2, MF_BYPOSITION) & MF_SEPARATOR);
        EXPECT_EQ(static_cast<UINT>(IDM_ABOUTBOX), GetMenuItemID(menu, count - 1));
        char text[64] = {};
        GetMenuStringA(menu, count - 1, text, sizeof text, MF_BYPOSITION);
        EXPECT_STREQ("&About Quillmere...", text);

        const HICON icon = ApplicationIcon();
        ASSERT_NE(nullptr, icon);
        EXPECT_EQ(icon, dlg_.m_hIcon);
        EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageA(w, WM_QUERYDRAGICON, 0, 0)));
        EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_BIG, 0)));
        EXPECT_EQ(icon, reinterpret_cast<HICON>(SendMessageA(w, WM_GETICON, ICON_SMALL, 0)));
        PostClick(w, IDCANCEL);
    })});
    EXPECT_EQ(IDCANCEL, dlg_.DoModal());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(Describe({}), Describe(capture_.Take()));
}

TEST_F(MainDialog, EachWayOfClosingEndsTheRunAndSavesTheControls) {
    struct Case {
        const char* way;
        std::function<void(HWND)> act;
        INT_PTR result;
        Bytes saved;
    };
    const Case cases[] = {
        {"close box", [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }, IDCANCEL,
         LittleEndian({1, 0, 60, 0})},
        {"Enter in the cycle time field",
         [](HWND w) {
             SetDlgItemTextA(w, IDC_CYCLE_TIME, "5");
             SetFocus(GetDlgItem(w, IDC_CYCLE_TIME));
             PostMessageA(GetDlgItem(w, IDC_CYCLE_TIME), WM_KEYDOWN, VK_RETURN, 0);
         },
         IDOK, LittleEndian({1, 0, 5, 0})},
        // No "Moo3.exe" can be found from the scratch folder; the start
        // fails silently and the launcher closes all the same.
        {"Run with \"Use EOTBIR:\" cleared",
         [](HWND w) {
             SendDlgItemMessageA(w, IDC_USE_EOTBIR, BM_SETCHECK, BST_UNCHECKED, 0);
             PostClick(w, IDC_RUN);
         },
         -1, LittleEndian({0, 0, 60, 0})},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.way);
        DeleteFileA("Quillmere.sav");
        LauncherUnderTest dlg;
        theApp.m_pMainWnd = &dlg;
        DialogScript script({WaitVisible(dlg), Do([&] { c.act(dlg.m_hWnd); })});
        EXPECT_EQ(c.result, dlg.DoModal());
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(Hex(c.saved), Hex(ReadBytes("Quillmere.sav")));
    }
    EXPECT_EQ(Describe({}), Describe(capture_.Take()));
}

TEST_F(MainDialog, EnterRightAfterStartActivatesExit) {
    DialogScript script({WaitVisible(dlg_), Do([&] {
        ASSERT_EQ(dlg_.Item(IDCANCEL), GetFocus());
        PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
    })});
    const INT_PTR result = dlg_.DoModal();
    EXPECT_TRUE(script.Finished());
    // Wine on its own would issue IDOK here (it makes a push button the
    // default one only when the focus moves to it later); the framework
    // evens that out.
    EXPECT_EQ(IDCANCEL, result);
}

TEST_F(MainDialog, AboutBoxIsOwnedCentredAndGivesTheDialogBack) {
    HWND about = nullptr;
    auto openAbout = [&](WPARAM command) { return Do([&, command] { PostMessageA(dlg_.m_hWnd, WM_SYSCOMMAND, command, 0); }); };
    auto checkOpen = [&]() -> Step {
        return [&] {
            about = ThreadWindowTitled("About Quillmere");
            if (about == nullptr)
                return false;
            EXPECT_TRUE(IsWindowVisible(about)) << "the About box is never shown";
            EXPECT_EQ(dlg_.m_hWnd, GetWindow(about, GW_OWNER));
            EXPECT_FALSE(IsWindowEnabled(dlg_.m_hWnd)) << "the dialog must be disabled meanwhile";
            RECT main, box;
            GetWindowRect(dlg_.m_hWnd, &main);
            GetWindowRect(about, &box);
            EXPECT_NEAR((main.left + main.right) / 2, (box.left + box.right) / 2, 2);
            EXPECT_NEAR((main.top + main.bottom) / 2, (box.top + box.bottom) / 2, 2);
            PostMessageA(about, WM_COMMAND, IDOK, 0);
            return true;
        };
    };
    auto checkBack = [&]() -> Step {
        return [&] {
            if (IsWindow(about))
                return false;
            EXPECT_TRUE(IsWindowEnabled(dlg_.m_hWnd));
            EXPECT_EQ(dlg_.m_hWnd, GetActiveWindow()) << "the dialog must be active again";
            return true;
        };
    };
    DialogScript script({
        WaitVisible(dlg_), openAbout(IDM_ABOUTBOX), checkOpen(), checkBack(),
        // The low four bits are Windows' own and are ignored.
        openAbout(IDM_ABOUTBOX + 15), checkOpen(), checkBack(),
        // 32 is no About command: the default handling ignores it.
        openAbout(32), Do([&] {
            EXPECT_EQ(nullptr, ThreadWindowTitled("About Quillmere"));
            EXPECT_TRUE(IsWindowEnabled(dlg_.m_hWnd));
            PostClick(dlg_.m_hWnd, IDCANCEL);
        }),
    });
    EXPECT_EQ(IDCANCEL, dlg_.DoModal());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(Describe({}), Describe(capture_.Take()));
}
