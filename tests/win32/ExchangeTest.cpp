// The settings exchange of the real launcher dialog against its real
// controls: what each step takes and shows, what a failed step reports, where
// it leaves the focus and the record, and the order radio buttons beside it.
#include <gtest/gtest.h>

#include <climits>

#include "DialogTestSupport.h"
#include "MessageBoxCapture.h"
#include "ui/resource.h"

namespace {

constexpr char kNotANumber[] = "Please enter a positive integer.";
constexpr char kOutOfRange[] = "Please enter an integer between 1 and 1000.";

// Counts WM_SETTEXT reaching the cycle time field, to see whether the load
// direction rewrote a text that was already right.
WNDPROC g_editProc = nullptr;
int g_setTexts = 0;
LRESULT CALLBACK CountSetText(HWND w, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_SETTEXT)
        ++g_setTexts;
    return CallWindowProcA(g_editProc, w, message, wp, lp);
}

class Exchange : public LauncherFixture {
protected:
    LauncherUnderTest dlg_;

    // Runs `body` once in the open dialog, then ends it with Exit after
    // putting a valid cycle time back, so the closing save shows nothing.
    void RunWithDialog(std::function<void()> body) {
        DialogScript script({WaitVisible(dlg_), Do(body), Do([&] {
                                 SetDlgItemTextA(dlg_.m_hWnd, IDC_CYCLE_TIME, "60");
                                 PostClick(dlg_.m_hWnd, IDCANCEL);
                             })});
        EXPECT_EQ(IDCANCEL, dlg_.DoModal());
        EXPECT_TRUE(script.Finished());
    }
};

} // namespace

TEST_F(Exchange, CheckBoxesSaveWhatTheControlReports) {
    struct Row {
        WPARAM state;
        std::int32_t stored;
    };
    // Handed the indeterminate state, the launcher's two-state boxes report
    // checked from then on: platform behaviour of Windows and Wine alike.
    const Row rows[] = {{BST_UNCHECKED, 0}, {BST_CHECKED, 1}, {BST_INDETERMINATE, 1}};
    RunWithDialog([&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "check state " << row.state);
            for (int id : {IDC_USE_EOTBIR, IDC_PRE_WARP})
                SendDlgItemMessageA(dlg_.m_hWnd, id, BM_SETCHECK, row.state, 0);
            dlg_.m_bUseEotbir = dlg_.m_bPreWarp = 99;
            EXPECT_TRUE(dlg_.UpdateData(TRUE));
            EXPECT_EQ(CheckState(dlg_.m_hWnd, IDC_USE_EOTBIR), dlg_.m_bUseEotbir)
                << "the member must be what the control reports";
            EXPECT_EQ(row.stored, dlg_.m_bUseEotbir);
            EXPECT_EQ(row.stored, dlg_.m_bPreWarp);
        }
    });
    EXPECT_EQ(Describe({}), Describe(capture_.Take()));
}

TEST_F(Exchange, CheckBoxLoadRepairsValuesOutsideZeroToTwo) {
    struct Row {
        std::int32_t member, after;
        int shown;
    };
    // A stored 2 is handed over as indeterminate; a two-state box shows it
    // checked (platform behaviour of Windows and Wine).
    const Row rows[] = {{0, 0, BST_UNCHECKED}, {1, 1, BST_CHECKED},  {2, 2, BST_CHECKED},
                        {5, 0, BST_UNCHECKED}, {-1, 0, BST_UNCHECKED}, {INT_MIN, 0, BST_UNCHECKED}};
    RunWithDialog([&] {
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "member " << row.member);
            const WPARAM opposite = row.shown == BST_CHECKED ? BST_UNCHECKED : BST_CHECKED;
            SendDlgItemMessageA(dlg_.m_hWnd, IDC_USE_EOTBIR, BM_SETCHECK, opposite, 0);
            dlg_.m_bUseEotbir = row.member;
            EXPECT_TRUE(dlg_.UpdateData(FALSE));
            EXPECT_EQ(row.after, dlg_.m_bUseEotbir);
            EXPECT_EQ(row.shown, CheckState(dlg_.m_hWnd, IDC_USE_EOTBIR));
        }
    });
}

TEST_F(Exchange, TextLoadWritesPlainDecimalOnlyWhenTheTextDiffers) {
    RunWithDialog([&] {
        const struct {
            std::uint32_t value;
            const char* text;
        } rows[] = {{4294967295u, "4294967295"}, {0, "0"}, {1000, "1000"}, {60, "60"}};
        for (const auto& row : rows) {
            dlg_.m_nCycleTime = row.value;
            EXPECT_TRUE(dlg_.UpdateData(FALSE));
            EXPECT_EQ(row.text, ItemText(dlg_.m_hWnd, IDC_CYCLE_TIME));
        }

        HWND edit = dlg_.Item(IDC_CYCLE_TIME);
        g_editProc = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountSetText)));
        g_setTexts = 0;
        dlg_.cycleTextChanges = 0;
        SendMessageA(edit, EM_SETSEL, 1, 2);
        EXPECT_TRUE(dlg_.UpdateData(FALSE)); // still 60, as shown
        EXPECT_EQ(0, g_setTexts) << "an unchanged text was set again";
        EXPECT_EQ(std::make_pair(1, 2), Selection(edit));

        // The field's change notification arrives during the exchange and
        // must not reach the message table; afterwards it does.
        dlg_.m_nCycleTime = 61;
        EXPECT_TRUE(dlg_.UpdateData(FALSE));
        EXPECT_EQ(1, g_setTexts);
        EXPECT_EQ(0, dlg_.cycleTextChanges) << "a notification got through during the exchange";
        SetWindowTextA(edit, "62");
        EXPECT_EQ(1, dlg_.cycleTextChanges) << "EN_CHANGE does not reach the table at all";
        SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_editProc));
    });
}

TEST_F(Exchange, TextSaveTakesNumbersAndReportsFailuresAtTheField) {
    struct Row {
        std::string text;
        bool ok;
        std::uint32_t after; // the record held 77 before
        const char* message;
    };
    const Row rows[] = {
        {"  42 ", true, 42, nullptr},
        {"1000", true, 1000, nullptr},
        {"abc", false, 77, kNotANumber},
        {"", false, 77, kNotANumber},
        {"0", false, 0, kOutOfRange},
        {"1001", false, 1001, kOutOfRange},
        // Only the first 31 characters are read: 31 zeros parse as 0.
        {std::string(31, '0') + "5", false, 0, kOutOfRange},
    };
    RunWithDialog([&] {
        HWND edit = dlg_.Item(IDC_CYCLE_TIME);
        for (const Row& row : rows) {
            SCOPED_TRACE("text \"" + row.text + "\"");
            SetWindowTextA(edit, row.text.c_str());
            SetFocus(dlg_.Item(IDCANCEL));
            dlg_.m_nCycleTime = 77;
            capture_.Take();

            EXPECT_EQ(row.ok, dlg_.UpdateData(TRUE) != FALSE);
            EXPECT_EQ(row.after, dlg_.m_nCycleTime);
            if (row.ok) {
                EXPECT_EQ(Describe({}), Describe(capture_.Take()));
                continue;
            }
            EXPECT_EQ(Describe({ExpectedBox(BoxIcon::exclamation, row.message)}),
                      Describe(capture_.Take()));
            EXPECT_EQ(edit, GetFocus()) << "the focus must go to the field that failed";
            EXPECT_EQ(std::make_pair(0, static_cast<int>(row.text.size())), Selection(edit))
                << "the whole text must be selected";
        }
    });
}

TEST_F(Exchange, FailedTextStepKeepsWhatTheCheckBoxStepsTook) {
    RunWithDialog([&] {
        SendDlgItemMessageA(dlg_.m_hWnd, IDC_USE_EOTBIR, BM_SETCHECK, BST_UNCHECKED, 0);
        SendDlgItemMessageA(dlg_.m_hWnd, IDC_PRE_WARP, BM_SETCHECK, BST_CHECKED, 0);
        SetDlgItemTextA(dlg_.m_hWnd, IDC_CYCLE_TIME, "12abc");
        EXPECT_FALSE(dlg_.UpdateData(TRUE));
        EXPECT_EQ(0, dlg_.m_bUseEotbir);
        EXPECT_EQ(1, dlg_.m_bPreWarp);
        EXPECT_EQ(60u, dlg_.m_nCycleTime);
    });
    EXPECT_EQ(Describe({ExpectedBox(BoxIcon::exclamation, kNotANumber)}), Describe(capture_.Take()));
}

TEST_F(Exchange, OrderClicksSetTheFlagAndNothingElse) {
    struct Row {
        int click;
        std::int32_t before, after;
    };
    // A click on the button already checked sets its value again.
    const Row rows[] = {{IDC_ORDER_NAME, 0, 1}, {IDC_ORDER_NAME, 9, 1}, {IDC_ORDER_RANDOM, 9, 0},
                        {IDC_ORDER_RANDOM, 5, 0}};
    RunWithDialog([&] {
        SetDlgItemTextA(dlg_.m_hWnd, IDC_CYCLE_TIME, "abc"); // an exchange would complain
        for (const Row& row : rows) {
            SCOPED_TRACE(testing::Message() << "click on " << row.click << " with flag " << row.before);
            dlg_.m_bOrderByName = row.before;
            SendDlgItemMessageA(dlg_.m_hWnd, row.click, BM_CLICK, 0, 0);
            EXPECT_EQ(row.after, dlg_.m_bOrderByName);
            const int other = row.click == IDC_ORDER_NAME ? IDC_ORDER_RANDOM : IDC_ORDER_NAME;
            EXPECT_EQ(BST_CHECKED, CheckState(dlg_.m_hWnd, row.click));
            EXPECT_EQ(BST_UNCHECKED, CheckState(dlg_.m_hWnd, other));
            EXPECT_EQ("abc", ItemText(dlg_.m_hWnd, IDC_CYCLE_TIME));
            EXPECT_EQ(60u, dlg_.m_nCycleTime);
        }
    });
    EXPECT_EQ(Describe({}), Describe(capture_.Take()));
}
