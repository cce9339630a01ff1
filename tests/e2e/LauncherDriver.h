// Driver for the end-to-end tests: prepares a game folder and the registry
// value, starts the real Quillmere.exe, finds its windows by title, class and
// control id, and works them with real keyboard and mouse input.
#pragma once

#include "tests/common/FileTree.h"
#include "tests/common/GameFolderRegistration.h"

#include "Win32Owners.h"

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// Waits are bounded everywhere: a hung launcher must fail a test, not the run.
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kUiTimeoutMs = 5000;

// Polls `done` every 25 ms until it holds or `timeoutMs` has passed.
bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs = kUiTimeoutMs);

// The programs under test, from the driver's command line: the launcher
// first, the stand-in game second. Unix paths ("/x/y", as CMake passes them
// to Wine) become Wine's drive Z: paths.
struct ProgramPaths {
    std::string launcher;
    std::string game;
};
std::optional<ProgramPaths> ProgramPathsFromCommandLine();
std::string ToWindowsPath(const std::string& path);

// Files and folders.
bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes);
std::optional<std::vector<unsigned char>> ReadBytes(const std::string& path);
std::vector<std::string> ReadLines(const std::string& path);  // CR LF stripped
bool MakeDirectories(const std::string& path);                 // like mkdir -p
bool SamePath(const std::string& a, const std::string& b);    // letter case ignored
// Every file under a folder, sub-folders walked, as paths relative to it.
std::vector<std::string> FilesUnder(const std::string& folder);

// A fresh folder beside the driver's executable for one test, emptied first
// if an earlier run left it behind.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    const std::string& path() const { return path_; }

private:
    std::string path_;
};


// What a process holds, for leak checks. Wine reports no GDI or USER
// objects (0).
struct ProcessFigures {
    DWORD handles = 0;
    SIZE_T privateBytes = 0;
    DWORD gdiObjects = 0, userObjects = 0;
};

// One started launcher process and the windows it owns.
class LauncherProcess {
public:
    LauncherProcess() = default;
    LauncherProcess(const LauncherProcess&) = delete;
    LauncherProcess& operator=(const LauncherProcess&) = delete;
    ~LauncherProcess() { Terminate(); }

    bool Start(const std::string& exe, const std::string& workingDirectory);
    DWORD id() const { return id_; }
    bool running() const;
    bool WaitForExit(DWORD timeoutMs = kUiTimeoutMs) const;
    // Ends the launcher and any stand-in game it started that is still there.
    void Terminate();
    // The stand-in games it started that are still running, by process id.
    std::vector<DWORD> Games() const;
    ProcessFigures Figures() const;

    // The visible main dialog: titled "Quillmere" and holding the Run button.
    HWND WaitForMainWindow(DWORD timeoutMs = kStartTimeoutMs) const;
    HWND MainWindow() const;  // visible or not; null when there is none
    // A visible top-level window of the launcher with this exact title.
    HWND FindWindowTitled(const std::string& title) const;
    // A visible message box of the launcher (dialog class "#32770" that is
    // neither the main dialog nor the About box), or null.
    HWND FindMessageBox() const;
    std::vector<HWND> MessageBoxes() const;  // every visible one
    HWND WaitForMessageBox(DWORD timeoutMs = kUiTimeoutMs) const;
    // One line per top-level window, for failure messages.
    std::string DescribeWindows() const;

private:
    std::vector<HWND> TopLevelWindows() const;
    UniqueHandle process_;
    DWORD id_ = 0;
};

// Reading another process's controls.
std::string WindowTitle(HWND hwnd);
std::string ControlText(HWND control);  // WM_GETTEXT, bounded
std::string ClassName(HWND hwnd);
HWND Control(HWND dialog, int id);
int CheckState(HWND dialog, int id);  // BM_GETCHECK, -1 on failure
// The control that has the keyboard focus in the thread owning `window`.
HWND FocusedControl(HWND window);
HWND ActiveWindow(HWND window);
// The window's thread handles a message within the bounded wait.
bool Responds(HWND window);
// Ends a process by id and waits for it.
void EndProcess(DWORD id);

// What a message box shows.
enum class BoxIcon { None, Stop, Exclamation, Information, Question, Unknown };
const char* ToString(BoxIcon icon);
struct MessageBoxContent {
    std::string caption;
    std::string text;
    int buttons = 0;  // visible push buttons
    BoxIcon icon = BoxIcon::None;
};
MessageBoxContent ReadMessageBox(HWND box);

// Real input, as a person gives it. The target window is brought to the
// foreground first, since keystrokes go to the foreground thread's focus.
bool BringToFront(HWND window);
void PressKey(WORD vk);
void PressKeyWith(WORD modifier, WORD vk);  // e.g. Alt+Space
void TypeText(const std::string& text);
bool Click(HWND control);

}  // namespace e2e
