// The framework's dialog class on the launcher's real template: message-table
// dispatch and the command route on to the application, each way a modal run
// ends with its result and the one call of DestroyWindow, and the error
// report around every dispatched message.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <vector>

#include "DialogTestSupport.h"
#include "MessageBoxCapture.h"
#include "platform/DataExchange.h"
#include "platform/Dialog.h"
#include "platform/Exceptions.h"
#include "platform/WinApp.h"
#include "ui/resource.h"

namespace {

// An unlisted command must reach this table; a command the dialog lists must not.
class TestApp : public CWinApp {
public:
    int helpCommands = 0;
    int runCommands = 0;
    void OnHelpCommand() { ++helpCommands; }
    void OnRunCommand() { ++runCommands; }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(TestApp, CWinApp)
    ON_COMMAND(ID_HELP, &TestApp::OnHelpCommand)
    ON_COMMAND(IDC_RUN, &TestApp::OnRunCommand)
END_MESSAGE_MAP()

TestApp theApp;

// A plain framework dialog on template 102 whose Run handler does whatever
// the test asks, and which records its DestroyWindow call.
class ProbeDlg : public CDialog {
public:
    ProbeDlg() : CDialog(IDD_LAUNCHER_DIALOG) {}

    std::function<void(ProbeDlg&)> onRun;
    std::function<void()> onInit;
    bool passSysCommand = true;
    std::uint32_t cycleTime = 60;

    int runsStarted = 0, runsCompleted = 0, sysCommands = 0;
    int destroyCalls = 0;
    bool visibleAtDestroy = true;
    HWND windowAtDestroy = nullptr;

    BOOL DestroyWindow() override {
        ++destroyCalls;
        windowAtDestroy = m_hWnd;
        visibleAtDestroy = IsWindowVisible(m_hWnd) != FALSE;
        return CDialog::DestroyWindow();
    }

    BOOL OnInitDialog() override {
        const BOOL result = CDialog::OnInitDialog();
        if (onInit)
            onInit();
        return result;
    }

    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Text(pDX, IDC_CYCLE_TIME, cycleTime);
        DDV_MinMaxUInt(pDX, cycleTime, 1, 1000);
    }

    void OnRun() {
        ++runsStarted;
        if (onRun)
            onRun(*this);
        ++runsCompleted;
    }

    void OnSysCommand(UINT, LPARAM) {
        ++sysCommands;
        if (passSysCommand)
            Default();
    }

    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(ProbeDlg, CDialog)
    ON_BN_CLICKED(IDC_RUN, &ProbeDlg::OnRun)
    ON_WM_SYSCOMMAND()
END_MESSAGE_MAP()

} // namespace

TEST(DialogRun, EachEndGivesItsResultAndOneDestroyWindowOnTheHiddenWindow) {
    struct Case {
        const char* way;
        std::function<void(ProbeDlg&)> end;
        INT_PTR result;
    };
    const Case cases[] = {
        {"OK command", [](ProbeDlg& d) { PostMessageA(d.m_hWnd, WM_COMMAND, IDOK, 0); }, IDOK},
        {"Exit button", [](ProbeDlg& d) { PostClick(d.m_hWnd, IDCANCEL); }, IDCANCEL},
        // The handler calls Default(), so the dialog manager turns Close into IDCANCEL.
        {"close box", [](ProbeDlg& d) { PostMessageA(d.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0); },
         IDCANCEL},
        {"EndDialog(42) in a handler",
         [](ProbeDlg& d) {
             d.onRun = [](ProbeDlg& self) { self.EndDialog(42); };
             PostClick(d.m_hWnd, IDC_RUN);
         },
         42},
        {"quit message",
         [](ProbeDlg& d) {
             d.onRun = [](ProbeDlg&) { PostQuitMessage(0); };
             PostClick(d.m_hWnd, IDC_RUN);
         },
         -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.way);
        MessageBoxCapture capture;
        ProbeDlg dlg;
        DialogScript script({WaitVisible(dlg), Do([&] { c.end(dlg); })});
        EXPECT_EQ(c.result, dlg.DoModal());
        EXPECT_TRUE(script.Finished());
        EXPECT_EQ(1, dlg.destroyCalls);
        EXPECT_NE(nullptr, dlg.windowAtDestroy) << "DestroyWindow ran without a window";
        EXPECT_FALSE(dlg.visibleAtDestroy) << "the window must be hidden before DestroyWindow";
        EXPECT_FALSE(IsWindow(dlg.windowAtDestroy)) << "the window outlived the modal run";
        EXPECT_EQ(nullptr, dlg.m_hWnd);
        EXPECT_EQ(Describe({}), Describe(capture.Take()));
    }
}

TEST(DialogRun, QuitMessageInANestedRunEndsBothRuns) {
    MessageBoxCapture capture;
    ProbeDlg outer;
    // The inner run is the About template, which the application's main
    // window owns; each run must still destroy its own window exactly once.
    struct InnerDlg : CDialog {
        InnerDlg() : CDialog(IDD_ABOUTBOX) {}
        int destroyCalls = 0;
        BOOL DestroyWindow() override {
            ++destroyCalls;
            return CDialog::DestroyWindow();
        }
    } inner;
    INT_PTR innerResult = 0;
    theApp.m_pMainWnd = &outer;
    outer.onRun = [&](ProbeDlg&) { innerResult = inner.DoModal(); };
    DialogScript script({WaitVisible(outer), Do([&] { PostClick(outer.m_hWnd, IDC_RUN); }),
                         [&] { return inner.m_hWnd != nullptr; }, Do([] { PostQuitMessage(0); })});
    EXPECT_EQ(-1, outer.DoModal());
    theApp.m_pMainWnd = nullptr;
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(-1, innerResult);
    EXPECT_EQ(1, inner.destroyCalls);
    EXPECT_EQ(1, outer.destroyCalls);
    EXPECT_EQ(Describe({}), Describe(capture.Take()));
}

TEST(DialogRun, OkEndsOnlyOnceTheExchangeSucceeds) {
    MessageBoxCapture capture;
    ProbeDlg dlg;
    auto okWith = [&](const char* text) {
        return Do([&dlg, text] {
            SetDlgItemTextA(dlg.m_hWnd, IDC_CYCLE_TIME, text);
            PostMessageA(dlg.m_hWnd, WM_COMMAND, IDOK, 0);
        });
    };
    auto stillOpenAfterBoxes = [&](size_t count) -> Step {
        return [&dlg, &capture, count] {
            if (capture.Boxes().size() < count)
                return false;
            EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd)) << "a failed OK must leave the dialog open";
            return true;
        };
    };
    DialogScript script({WaitVisible(dlg), okWith("abc"), stillOpenAfterBoxes(1), okWith("0"),
                         stillOpenAfterBoxes(2), okWith("7")});
    EXPECT_EQ(IDOK, dlg.DoModal());
    EXPECT_EQ(7u, dlg.cycleTime);
    EXPECT_EQ(Describe({ExpectedBox(BoxIcon::exclamation, "Please enter a positive integer."),
                        ExpectedBox(BoxIcon::exclamation, "Please enter an integer between 1 and 1000.")}),
              Describe(capture.Take()));
}

TEST(MessageTable, HandlersRunAndUnlistedCommandsGoOnToTheApplication) {
    theApp.helpCommands = theApp.runCommands = 0;
    MessageBoxCapture capture;
    ProbeDlg dlg;
    dlg.passSysCommand = false;
    DialogScript script({
        WaitVisible(dlg),
        Do([&] {
            PostClick(dlg.m_hWnd, IDC_RUN);
            PostMessageA(dlg.m_hWnd, WM_COMMAND, ID_HELP, 0);
            // Listed nowhere: goes to the default handling, which ignores it.
            PostMessageA(dlg.m_hWnd, WM_COMMAND, 4321, 0);
            // Swallowed: the handler does not pass it on, so Close never happens.
            PostMessageA(dlg.m_hWnd, WM_SYSCOMMAND, SC_CLOSE, 0);
        }),
        Do([&] {
            EXPECT_EQ(1, dlg.runsCompleted) << "Run click not routed to the dialog's handler";
            EXPECT_EQ(0, theApp.runCommands) << "a command the dialog lists reached the application";
            EXPECT_EQ(1, theApp.helpCommands) << "ID_HELP did not reach the application's table";
            EXPECT_EQ(1, dlg.sysCommands);
            EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd)) << "a swallowed SC_CLOSE closed the dialog";
            PostClick(dlg.m_hWnd, IDCANCEL);
        }),
    });
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(Describe({}), Describe(capture.Take()));
}

TEST(ErrorReport, ErrorLeavingAHandlerIsShownAndTheDialogRunsOn) {
    struct Case {
        std::function<void()> raise;
        CapturedBox box;
    };
    const Case cases[] = {
        {[] { throw CFileException(CFileException::accessDenied, ERROR_ACCESS_DENIED, "C:\\Games\\Quillmere.sav"); },
         ExpectedBox(BoxIcon::stop, "Access to C:\\Games\\Quillmere.sav was denied.")},
        {[] { throw CArchiveException(CArchiveException::endOfFile); },
         ExpectedBox(BoxIcon::stop, "An attempt was made to access an unnamed file past its end.")},
        {[] { throw std::bad_alloc(); }, ExpectedBox(BoxIcon::exclamation, "Out of memory.", true)},
        {[] { throw CMemoryException(); }, ExpectedBox(BoxIcon::exclamation, "Out of memory.", true)},
        // A size no container can hold is memory too; any other error still
        // gets a box instead of ending the process.
        {[] { std::vector<char>().reserve(std::vector<char>().max_size() + 1); },
         ExpectedBox(BoxIcon::exclamation, "Out of memory.", true)},
        {[] { throw std::runtime_error("unforeseen"); }, ExpectedBox(BoxIcon::stop, "An unexpected error occurred.")},
    };
    MessageBoxCapture capture;
    ProbeDlg dlg;
    std::vector<Step> steps = {WaitVisible(dlg)};
    for (size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        steps.push_back(Do([&dlg, &c] {
            dlg.onRun = [&c](ProbeDlg&) { c.raise(); };
            PostClick(dlg.m_hWnd, IDC_RUN);
        }));
        steps.push_back([&dlg, &capture, &c, i] {
            if (dlg.runsStarted <= static_cast<int>(i) || capture.Boxes().size() <= i)
                return false;
            SCOPED_TRACE(testing::Message() << "case " << i);
            EXPECT_EQ(Describe({c.box}), Describe({capture.Boxes()[i]}));
            EXPECT_EQ(dlg.m_hWnd, capture.Boxes()[i].owner);
            EXPECT_EQ(0, dlg.runsCompleted) << "the handler went on after its error";
            EXPECT_TRUE(IsWindowVisible(dlg.m_hWnd));
            return true;
        });
    }
    steps.push_back(Do([&] { PostClick(dlg.m_hWnd, IDCANCEL); }));
    DialogScript script(std::move(steps));
    EXPECT_EQ(IDCANCEL, dlg.DoModal()) << "the dialog must run on after each report";
    EXPECT_TRUE(script.Finished());
    EXPECT_EQ(std::size(cases), capture.Boxes().size()) << Describe(capture.Boxes());
}

TEST(ErrorReport, ErrorInInitialisationIsShownBeforeTheWindowAndTheDialogStillRuns) {
    MessageBoxCapture capture;
    ProbeDlg dlg;
    dlg.onInit = [] { throw CArchiveException(CArchiveException::endOfFile); };
    HWND created = nullptr;
    DialogScript script({WaitVisible(dlg), Do([&] {
                             created = dlg.m_hWnd;
                             PostClick(dlg.m_hWnd, IDCANCEL);
                         })});
    EXPECT_EQ(IDCANCEL, dlg.DoModal());
    const std::vector<CapturedBox> boxes = capture.Take();
    EXPECT_EQ(Describe({ExpectedBox(BoxIcon::stop,
                                    "An attempt was made to access an unnamed file past its end.")}),
              Describe(boxes));
    ASSERT_EQ(1u, boxes.size());
    EXPECT_EQ(created, boxes[0].owner);
    EXPECT_FALSE(boxes[0].ownerVisible) << "the box must come before the dialog is shown";
}
