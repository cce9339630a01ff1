// What the in-process dialog tests share: a timer-driven script that works a
// modal dialog until it ends itself (with a watchdog), a scratch folder made
// current, file helpers, the game's registry value held out of the way, and
// the launcher dialog with its protected parts opened to the tests.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "MessageBoxCapture.h"
#include "app/LauncherDlg.h"

// --- scripts ---------------------------------------------------------------

// A step returns true when it is done, false to be tried again at the next
// tick (a wait). Steps run from a thread timer inside whatever modal loop is
// running, one at a time: a tick that arrives while a step is still inside a
// nested loop (a message box, the About box) is skipped.
using Step = std::function<bool()>;

inline Step Do(std::function<void()> action) {
    return [action] {
        action();
        return true;
    };
}

class DialogScript {
public:
    // The watchdog fails the test and ends every modal loop with quit
    // messages when the steps or the dialog have not ended in time.
    explicit DialogScript(std::vector<Step> steps, DWORD watchdogMs = 10000);
    ~DialogScript();
    DialogScript(const DialogScript&) = delete;
    DialogScript& operator=(const DialogScript&) = delete;

    bool Finished() const { return m_next == m_steps.size(); }

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);

    std::vector<Step> m_steps;
    size_t m_next = 0;
    bool m_inStep = false;
    bool m_expired = false;
    DWORD m_deadline;
    UINT_PTR m_timer = 0;
};

// Whether the tests run under Wine rather than Windows, for known deviations.
bool RunningUnderWine();

// Waits until the dialog's window exists and is shown.
Step WaitVisible(const CWnd& dialog);

// Posts a click notification from a dialog's button, as the button sends it.
void PostClick(HWND dialog, int id);

// --- folders and files -------------------------------------------------------

using Bytes = std::vector<std::uint8_t>;

// A fresh folder under %TEMP%, made the current directory; the previous
// current directory is restored and the folder deleted afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return m_path; }

private:
    std::string m_previous;
    std::string m_path;
};

// Four 32-bit little-endian values, as the settings file holds them.
Bytes LittleEndian(std::initializer_list<std::uint32_t> values);
void WriteBytes(const std::string& name, const Bytes& bytes);
// Nothing when the file cannot be read (absent, a folder, held open).
std::optional<Bytes> ReadBytes(const std::string& name);
std::string Hex(const std::optional<Bytes>& bytes);
// The names matching a pattern, unsorted, straight from FindFirstFileA.
std::vector<std::string> Names(const std::string& pattern);

// --- registry ----------------------------------------------------------------

// Takes the game's "Program Location" value out of the registry for the life
// of the object and puts back whatever was there, so the launcher under test
// falls back to the current directory. Tests using it run under the CTest
// resource lock game_registry.
class GameKeyAbsent {
public:
    GameKeyAbsent();
    ~GameKeyAbsent();
    GameKeyAbsent(const GameKeyAbsent&) = delete;
    GameKeyAbsent& operator=(const GameKeyAbsent&) = delete;

private:
    bool m_hadValue = false;
    DWORD m_type = 0;
    Bytes m_data;
};

// --- the launcher dialog -------------------------------------------------------

// The real CLauncherDlg with its protected parts visible, and a counter of
// cycle time edits that reach the message table (to show which notifications
// the exchange lets through).
class LauncherUnderTest : public CLauncherDlg {
public:
    using CLauncherDlg::m_hIcon;
    using CLauncherDlg::m_szGameFolder;

    HWND Item(int id) const { return GetDlgItem(id); }
    int cycleTextChanges = 0;
    void OnCycleTextChange() { ++cycleTextChanges; }

    DECLARE_MESSAGE_MAP()
};

// A launcher dialog in a scratch folder of its own, with the game's registry
// value out of the way: it falls back to the scratch folder as game folder and
// keeps its settings file there.
class LauncherFixture : public testing::Test {
protected:
    GameKeyAbsent registry_;
    ScratchFolder scratch_;
    MessageBoxCapture capture_;
};

// Check state, text and selection of the launcher's controls.
int CheckState(HWND dialog, int id);
std::string ItemText(HWND dialog, int id);
std::pair<int, int> Selection(HWND edit);
// The window of this thread with the given title, or nullptr.
HWND ThreadWindowTitled(const char* title);
