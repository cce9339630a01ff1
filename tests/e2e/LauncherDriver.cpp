// Driver for the end-to-end tests: folders, registry value, the launcher
// process, reading its windows, and real keyboard and mouse input.
#include "LauncherDriver.h"

#include <psapi.h>
#include <tlhelp32.h>
#include <winternl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace e2e {

namespace {

const int kRunButtonId = 1000;
const char kAboutTitle[] = "About Quillmere";
// Bounded cross-process SendMessage: a hung launcher fails the test instead
// of hanging the driver.
const UINT kSendTimeoutMs = 5000;

LRESULT SendBounded(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam, bool* ok = nullptr) {
    DWORD_PTR result = 0;
    LRESULT sent = SendMessageTimeoutA(hwnd, message, wParam, lParam, SMTO_ABORTIFHUNG,
                                       kSendTimeoutMs, &result);
    if (ok) *ok = sent != 0;
    return static_cast<LRESULT>(result);
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

void SendKey(WORD vk, bool up) {
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, 0));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

// The message box's icon control, found by its style (SS_ICON) rather than
// by an id, which belongs to the system's private message box template.
HWND IconControl(HWND box) {
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (ClassName(child) == "Static" && (style & SS_TYPEMASK) == SS_ICON &&
            (style & WS_VISIBLE))
            return child;
    }
    return nullptr;
}

// Another process's icon handle cannot be read, so the icon is recognised by
// its pixels: the control's area on screen is compared with each system
// icon drawn here on the same background.
BoxIcon RecogniseIcon(HWND iconControl) {
    RECT r;
    GetWindowRect(iconControl, &r);
    int w = r.right - r.left, h = r.bottom - r.top;
    if (w <= 0 || h <= 0) return BoxIcon::Unknown;
    PixelBuffer shown(w, h);
    {
        ScreenDC screen;
        if (!shown.valid() || !BitBlt(shown.dc(), 0, 0, w, h, screen.get(), r.left, r.top, SRCCOPY))
            return BoxIcon::Unknown;
    }
    DWORD background = shown.pixel(0, 0);

    struct Candidate {
        LPCSTR id;
        BoxIcon icon;
    };
    const Candidate candidates[] = {
        {IDI_HAND, BoxIcon::Stop},
        {IDI_EXCLAMATION, BoxIcon::Exclamation},
        {IDI_ASTERISK, BoxIcon::Information},
        {IDI_QUESTION, BoxIcon::Question},
    };
    BoxIcon best = BoxIcon::Unknown;
    int fewest = w * h / 10 + 1;  // more than 10 % of the pixels apart: no match
    for (const Candidate& c : candidates) {
        PixelBuffer drawn(w, h);
        if (!drawn.valid()) continue;
        // DIB pixels are 0x00RRGGBB; COLORREF is 0x00BBGGRR.
        HBRUSH brush = CreateSolidBrush(
            RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
        RECT all = {0, 0, w, h};
        FillRect(drawn.dc(), &all, brush);
        DeleteObject(brush);
        DrawIconEx(drawn.dc(), 0, 0, LoadIconA(nullptr, c.id), w, h, 0, nullptr, DI_NORMAL);
        int differences = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (drawn.pixel(x, y) != shown.pixel(x, y)) ++differences;
        if (differences < fewest) {
            fewest = differences;
            best = c.icon;
        }
    }
    return best;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& done, DWORD timeoutMs) {
    DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return done();
        Sleep(25);
    }
}

std::string ToWindowsPath(const std::string& path) {
    if (path.empty() || path[0] != '/') return path;
    // Wine maps the Unix root to drive Z:.
    std::string result = "Z:" + path;
    for (char& c : result)
        if (c == '/') c = '\\';
    return result;
}

std::optional<ProgramPaths> ProgramPathsFromCommandLine() {
    // gtest_main keeps argv to itself; the C runtime's copy still has it.
    std::vector<std::string> args;
    for (int i = 1; i < __argc; ++i)
        if (std::strncmp(__argv[i], "--gtest", 7) != 0) args.push_back(ToWindowsPath(__argv[i]));
    if (args.size() < 2) return std::nullopt;
    return ProgramPaths{args[0], args[1]};
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return false;
    DWORD written = 0;
    return bytes.empty() || (WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                       &written, nullptr) &&
                             written == bytes.size());
}

std::optional<std::vector<unsigned char>> ReadBytes(const std::string& path) {
    UniqueHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) return std::nullopt;
    DWORD size = GetFileSize(file.get(), nullptr);
    std::vector<unsigned char> bytes(size);
    DWORD got = 0;
    if (size && (!ReadFile(file.get(), bytes.data(), size, &got, nullptr) || got != size))
        return std::nullopt;
    return bytes;
}

std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    auto bytes = ReadBytes(path);
    if (!bytes) return lines;
    std::string text(bytes->begin(), bytes->end());
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

bool MakeDirectories(const std::string& path) {
    if (GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    std::string parent = DirectoryOf(path);
    if (parent != path && parent.size() > 2 && !MakeDirectories(parent)) return false;
    return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

bool SamePath(const std::string& a, const std::string& b) {
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

std::vector<std::string> FilesUnder(const std::string& folder) {
    std::vector<std::string> files;
    WIN32_FIND_DATAA entry;
    HANDLE first = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (first == INVALID_HANDLE_VALUE) return files;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            for (const std::string& inner : FilesUnder(folder + "\\" + name))
                files.push_back(name + "\\" + inner);
        } else {
            files.push_back(name);
        }
    } while (FindNextFileA(first, &entry));
    FindClose(first);
    return files;
}

ScratchFolder::ScratchFolder(const std::string& name) {
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    path_ = DirectoryOf(module) + "\\e2e-work\\" + name;
    RemoveTree(path_);
    MakeDirectories(path_);
}

bool LauncherProcess::Start(const std::string& exe, const std::string& workingDirectory) {
    Terminate();
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        workingDirectory.c_str(), &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process_.reset(info.hProcess);
    id_ = info.dwProcessId;
    return true;
}

bool LauncherProcess::running() const {
    return process_.valid() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

bool LauncherProcess::WaitForExit(DWORD timeoutMs) const {
    return !process_.valid() || WaitForSingleObject(process_.get(), timeoutMs) == WAIT_OBJECT_0;
}

void LauncherProcess::Terminate() {
    if (!process_.valid()) return;
    for (DWORD game : Games()) EndProcess(game);
    if (running()) {
        TerminateProcess(process_.get(), 1);
        WaitForSingleObject(process_.get(), kUiTimeoutMs);
    }
    process_.reset();
}

std::vector<DWORD> LauncherProcess::Games() const {
    // Stand-in games started by this launcher: its children named Moo3.exe.
    // A child keeps its parent's id after the parent has ended.
    std::vector<DWORD> games;
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    if (id_ && snapshot.valid() && Process32First(snapshot.get(), &entry)) {
        do {
            if (entry.th32ParentProcessID == id_ && lstrcmpiA(entry.szExeFile, "Moo3.exe") == 0)
                games.push_back(entry.th32ProcessID);
        } while (Process32Next(snapshot.get(), &entry));
    }
    return games;
}

namespace {

// A process's open handles, counted in the system's table of all handles:
// Wine's GetProcessHandleCount always gives 0, and the handle count in its
// process list is the size of the process's handle table, not its use.
DWORD TabledHandleCount(DWORD id) {
    // SystemHandleInformation (16): a count, then one entry per handle.
    struct Entry {
        USHORT process;  // the id's low 16 bits
        USHORT creatorBackTrace;
        UCHAR type, attributes;
        USHORT value;
        PVOID object;
        ACCESS_MASK access;
    };
    std::vector<unsigned char> buffer(1 << 20);
    ULONG needed = 0;
    NTSTATUS status;
    while ((status = NtQuerySystemInformation(static_cast<SYSTEM_INFORMATION_CLASS>(16),
                                              buffer.data(), static_cast<ULONG>(buffer.size()),
                                              &needed)) ==
           static_cast<NTSTATUS>(0xC0000004L))  // STATUS_INFO_LENGTH_MISMATCH
        buffer.resize(std::max<size_t>(needed, buffer.size() * 2));
    if (status != 0) return 0;
    const ULONG count = *reinterpret_cast<const ULONG*>(buffer.data());
    const auto* entries = reinterpret_cast<const Entry*>(buffer.data() + sizeof(ULONG_PTR));
    return static_cast<DWORD>(std::count_if(entries, entries + count, [&](const Entry& e) {
        return e.process == static_cast<USHORT>(id);
    }));
}

}  // namespace

ProcessFigures LauncherProcess::Figures() const {
    ProcessFigures figures;
    if (!process_.valid()) return figures;
    if (!GetProcessHandleCount(process_.get(), &figures.handles) || figures.handles == 0)
        figures.handles = TabledHandleCount(id_);
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    // Wine leaves PrivateUsage 0 for another process but fills
    // PagefileUsage, which Windows defines as the same commit charge.
    if (GetProcessMemoryInfo(process_.get(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory))
        figures.privateBytes = memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage;
    figures.gdiObjects = GetGuiResources(process_.get(), GR_GDIOBJECTS);
    figures.userObjects = GetGuiResources(process_.get(), GR_USEROBJECTS);
    return figures;
}

void EndProcess(DWORD id) {
    UniqueHandle process(OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id));
    if (!process.valid()) return;
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), kUiTimeoutMs);
}

namespace {

struct WindowSearch {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectWindowOfProcess(HWND hwnd, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    if (pid == search->pid) search->found.push_back(hwnd);
    return TRUE;
}

}  // namespace

std::vector<HWND> LauncherProcess::TopLevelWindows() const {
    WindowSearch search{id_, {}};
    EnumWindows(CollectWindowOfProcess, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND LauncherProcess::MainWindow() const {
    if (!process_.valid()) return nullptr;
    for (HWND hwnd : TopLevelWindows())
        if (WindowTitle(hwnd) == "Quillmere" && GetDlgItem(hwnd, kRunButtonId)) return hwnd;
    return nullptr;
}

HWND LauncherProcess::WaitForMainWindow(DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil(
        [&] {
            found = MainWindow();
            return (found && IsWindowVisible(found)) || !running();
        },
        timeoutMs);
    return found && IsWindowVisible(found) ? found : nullptr;
}

HWND LauncherProcess::FindWindowTitled(const std::string& title) const {
    if (!process_.valid()) return nullptr;
    for (HWND hwnd : TopLevelWindows())
        if (IsWindowVisible(hwnd) && WindowTitle(hwnd) == title) return hwnd;
    return nullptr;
}

HWND LauncherProcess::FindMessageBox() const {
    const std::vector<HWND> boxes = MessageBoxes();
    return boxes.empty() ? nullptr : boxes.front();
}

std::vector<HWND> LauncherProcess::MessageBoxes() const {
    std::vector<HWND> boxes;
    if (!process_.valid()) return boxes;
    for (HWND hwnd : TopLevelWindows())
        if (IsWindowVisible(hwnd) && ClassName(hwnd) == "#32770" &&
            !GetDlgItem(hwnd, kRunButtonId) && WindowTitle(hwnd) != kAboutTitle)
            boxes.push_back(hwnd);
    return boxes;
}

HWND LauncherProcess::WaitForMessageBox(DWORD timeoutMs) const {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindMessageBox()) != nullptr; }, timeoutMs);
    return found;
}

std::string LauncherProcess::DescribeWindows() const {
    std::string text = "windows of the launcher:";
    if (!process_.valid()) return text + " (no process)";
    for (HWND hwnd : TopLevelWindows()) {
        char line[400];
        std::snprintf(line, sizeof line, "\n  %p \"%s\" class %s %s%s owner %p", (void*)hwnd,
                      WindowTitle(hwnd).c_str(), ClassName(hwnd).c_str(),
                      IsWindowVisible(hwnd) ? "visible" : "hidden",
                      IsWindowEnabled(hwnd) ? "" : " disabled", (void*)GetWindow(hwnd, GW_OWNER));
        text += line;
    }
    return text;
}

std::string WindowTitle(HWND hwnd) {
    char title[256] = "";
    GetWindowTextA(hwnd, title, sizeof title);
    return title;
}

std::string ControlText(HWND control) {
    // A control's text lives in the other process; WM_GETTEXT is marshalled.
    char text[512] = "";
    SendBounded(control, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text));
    text[sizeof text - 1] = '\0';
    return text;
}

std::string ClassName(HWND hwnd) {
    char name[64] = "";
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

int CheckState(HWND dialog, int id) {
    HWND control = GetDlgItem(dialog, id);
    if (!control) return -1;
    bool ok = false;
    LRESULT state = SendBounded(control, BM_GETCHECK, 0, 0, &ok);
    return ok ? static_cast<int>(state) : -1;
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

HWND ActiveWindow(HWND window) {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndActive;
}

bool Responds(HWND window) {
    bool ok = false;
    SendBounded(window, WM_NULL, 0, 0, &ok);
    return ok;
}

const char* ToString(BoxIcon icon) {
    switch (icon) {
    case BoxIcon::None: return "none";
    case BoxIcon::Stop: return "stop";
    case BoxIcon::Exclamation: return "exclamation";
    case BoxIcon::Information: return "information";
    case BoxIcon::Question: return "question";
    case BoxIcon::Unknown: break;
    }
    return "unknown";
}

MessageBoxContent ReadMessageBox(HWND box) {
    MessageBoxContent content;
    content.caption = WindowTitle(box);
    HWND icon = IconControl(box);
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!IsWindowVisible(child)) continue;
        std::string cls = ClassName(child);
        LONG style = GetWindowLongA(child, GWL_STYLE);
        if (cls == "Button") {
            LONG type = style & BS_TYPEMASK;
            if (type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON) ++content.buttons;
        } else if (cls == "Static" && child != icon && content.text.empty()) {
            content.text = ControlText(child);
        }
    }
    if (icon) {
        // The box may not be painted yet when it has just appeared.
        WaitUntil([&] { return (content.icon = RecogniseIcon(icon)) != BoxIcon::Unknown; }, 2000);
    }
    return content;
}

bool BringToFront(HWND window) {
    return WaitUntil([&] {
        if (GetForegroundWindow() == window) return true;
        SetForegroundWindow(window);
        return GetForegroundWindow() == window;
    });
}

void PressKey(WORD vk) {
    SendKey(vk, false);
    SendKey(vk, true);
}

void PressKeyWith(WORD modifier, WORD vk) {
    SendKey(modifier, false);
    PressKey(vk);
    SendKey(modifier, true);
}

void TypeText(const std::string& text) {
    for (char c : text) {
        SHORT scan = VkKeyScanA(c);
        WORD vk = LOBYTE(scan);
        if (HIBYTE(scan) & 1)
            PressKeyWith(VK_SHIFT, vk);
        else
            PressKey(vk);
    }
}

bool Click(HWND control) {
    HWND root = GetAncestor(control, GA_ROOT);
    if (!BringToFront(root)) return false;
    RECT r;
    if (!GetWindowRect(control, &r)) return false;
    POINT target = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
    int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    auto send = [&](DWORD flags) {
        INPUT input = {};
        input.type = INPUT_MOUSE;
        // Absolute coordinates run from 0 to 65535 over the primary screen.
        input.mi.dx = (target.x * 65536 + cx - 1) / cx;
        input.mi.dy = (target.y * 65536 + cy - 1) / cy;
        input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
        return SendInput(1, &input, sizeof input) == 1;
    };
    // Wine warps the X pointer for a move and may still deliver the motion
    // of an earlier warp; so the press waits until the pointer is there, and
    // every event carries the position, or a release could land elsewhere
    // and the button would not count it as a click.
    if (!send(0)) return false;
    WaitUntil([&] {
        POINT p;
        return GetCursorPos(&p) && p.x == target.x && p.y == target.y;
    }, 1000);
    // A window that came up meanwhile (a stand-in game the launcher has
    // just started takes the foreground) would take the click instead.
    if (!WaitUntil([&] {
            if (GetForegroundWindow() == root && GetAncestor(WindowFromPoint(target), GA_ROOT) == root)
                return true;
            SetForegroundWindow(root);
            return false;
        }))
        return false;
    return send(MOUSEEVENTF_LEFTDOWN) && send(MOUSEEVENTF_LEFTUP);
}

}  // namespace e2e
