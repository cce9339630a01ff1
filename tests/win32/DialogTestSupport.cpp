// Scripts, scratch folders, files, the game's registry value and the
// launcher subclass shared by the dialog tests.
#include "DialogTestSupport.h"

#include "tests/common/FileTree.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "game/GamePaths.h"
#include "ui/resource.h"

// --- scripts ---------------------------------------------------------------

namespace {
DialogScript* g_script = nullptr;
}

DialogScript::DialogScript(std::vector<Step> steps, DWORD watchdogMs)
    : m_steps(std::move(steps)), m_deadline(GetTickCount() + watchdogMs) {
    g_script = this;
    m_timer = SetTimer(nullptr, 0, 20, &DialogScript::Tick);
}

DialogScript::~DialogScript() {
    KillTimer(nullptr, m_timer);
    g_script = nullptr;
    // A quit message the watchdog posted must not end the next test's dialog.
    MSG msg;
    while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
}

void CALLBACK DialogScript::Tick(HWND, UINT, UINT_PTR, DWORD) {
    DialogScript* self = g_script;
    if (self == nullptr)
        return;
    if (static_cast<LONG>(GetTickCount() - self->m_deadline) > 0) {
        if (!self->m_expired)
            ADD_FAILURE() << "watchdog: the dialog had not ended after step " << self->m_next
                          << " of " << self->m_steps.size();
        self->m_expired = true;
        // Every modal loop ends on a quit message and posts it on outwards.
        PostQuitMessage(0);
        return;
    }
    if (self->m_inStep || self->m_expired || self->Finished())
        return;
    self->m_inStep = true;
    if (self->m_steps[self->m_next]())
        ++self->m_next;
    self->m_inStep = false;
}

bool RunningUnderWine() {
    return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr;
}

Step WaitVisible(const CWnd& dialog) {
    return [&dialog] { return dialog.m_hWnd != nullptr && IsWindowVisible(dialog.m_hWnd); };
}

void PostClick(HWND dialog, int id) {
    PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

// --- folders and files -------------------------------------------------------

namespace {

std::string CurrentDirectory() {
    char path[MAX_PATH] = {};
    GetCurrentDirectoryA(sizeof path, path);
    return path;
}

} // namespace

ScratchFolder::ScratchFolder() : m_previous(CurrentDirectory()) {
    static int counter = 0;
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    char name[64];
    std::snprintf(name, sizeof name, "quillmere-%lu-%d", GetCurrentProcessId(), ++counter);
    m_path = std::string(temp) + name;
    RemoveTree(m_path);
    EXPECT_TRUE(CreateDirectoryA(m_path.c_str(), nullptr)) << m_path << ": " << GetLastError();
    EXPECT_TRUE(SetCurrentDirectoryA(m_path.c_str())) << m_path;
    // The path as the system spells it, which is what the code under test sees.
    m_path = CurrentDirectory();
}

ScratchFolder::~ScratchFolder() {
    SetCurrentDirectoryA(m_previous.c_str());
    RemoveTree(m_path);
}

Bytes LittleEndian(std::initializer_list<std::uint32_t> values) {
    Bytes bytes;
    for (std::uint32_t v : values)
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(v >> shift));
    return bytes;
}

void WriteBytes(const std::string& name, const Bytes& bytes) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, h) << name << ": " << GetLastError();
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr));
    EXPECT_EQ(bytes.size(), written);
    CloseHandle(h);
}

std::optional<Bytes> ReadBytes(const std::string& name) {
    HANDLE h = CreateFileA(name.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return std::nullopt;
    Bytes bytes(GetFileSize(h, nullptr));
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(h, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    CloseHandle(h);
    bytes.resize(read);
    return bytes;
}

std::string Hex(const std::optional<Bytes>& bytes) {
    if (!bytes)
        return "(unreadable)";
    std::string out = std::to_string(bytes->size()) + " bytes:";
    char digits[4];
    for (size_t i = 0; i < bytes->size() && i < 24; ++i) {
        std::snprintf(digits, sizeof digits, " %02X", (*bytes)[i]);
        out += digits;
    }
    return bytes->size() > 24 ? out + " ..." : out;
}

std::vector<std::string> Names(const std::string& pattern) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do {
        names.push_back(entry.cFileName);
    } while (FindNextFileA(find, &entry));
    FindClose(find);
    return names;
}

// --- registry ----------------------------------------------------------------

GameKeyAbsent::GameKeyAbsent() {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameRegistryKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    DWORD size = 0;
    if (RegQueryValueExA(key, kGameRegistryValue, nullptr, &m_type, nullptr, &size) == ERROR_SUCCESS) {
        m_data.resize(size);
        RegQueryValueExA(key, kGameRegistryValue, nullptr, &m_type, m_data.data(), &size);
        m_hadValue = true;
        EXPECT_EQ(ERROR_SUCCESS, RegDeleteValueA(key, kGameRegistryValue));
    }
    RegCloseKey(key);
}

GameKeyAbsent::~GameKeyAbsent() {
    if (!m_hadValue)
        return;
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameRegistryKey, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, kGameRegistryValue, 0, m_type, m_data.data(), static_cast<DWORD>(m_data.size()));
    RegCloseKey(key);
}

// --- the launcher dialog -------------------------------------------------------

BEGIN_MESSAGE_MAP(LauncherUnderTest, CLauncherDlg)
    {WM_COMMAND, EN_CHANGE, IDC_CYCLE_TIME, &afxmsg::Void<ThisClass, &ThisClass::OnCycleTextChange>},
END_MESSAGE_MAP()

int CheckState(HWND dialog, int id) {
    return static_cast<int>(SendDlgItemMessageA(dialog, id, BM_GETCHECK, 0, 0));
}

std::string ItemText(HWND dialog, int id) {
    char text[256] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

std::pair<int, int> Selection(HWND edit) {
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return {static_cast<int>(start), static_cast<int>(end)};
}

namespace {
struct TitleSearch {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<TitleSearch*>(param);
    char text[128] = {};
    GetWindowTextA(window, text, sizeof text);
    if (std::string(text) != search->title)
        return TRUE;
    search->found = window;
    return FALSE;
}
} // namespace

HWND ThreadWindowTitled(const char* title) {
    TitleSearch search = {title, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchTitle, reinterpret_cast<LPARAM>(&search));
    return search.found;
}
