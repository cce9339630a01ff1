// What the benchmark programs share (see BenchSupport.h).
#include "BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace bench {

namespace {

struct WindowSearch {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM param) {
    auto* search = reinterpret_cast<WindowSearch*>(param);
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    if (processId != search->processId || !IsWindowVisible(window))
        return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

double NowMs() {
    static const LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Min(const std::vector<double>& values) {
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

std::string ModuleFolder() {
    char module[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module);
    folder.erase(folder.find_last_of('\\'));
    return folder;
}

void WriteFileOfSize(const std::string& path, std::size_t size, unsigned char seed) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        return;
    std::vector<unsigned char> piece(1 << 20);
    for (std::size_t i = 0; i < piece.size(); ++i)
        piece[i] = static_cast<unsigned char>(seed + i * 7);
    for (std::size_t done = 0; done < size;) {
        const DWORD n = static_cast<DWORD>(std::min(piece.size(), size - done));
        DWORD written = 0;
        WriteFile(h, piece.data(), n, &written, nullptr);
        done += n;
    }
    CloseHandle(h);
}

void MakeDirectories(const std::string& path) {
    for (std::size_t at = path.find('\\', 3); at != std::string::npos; at = path.find('\\', at + 1))
        CreateDirectoryA(path.substr(0, at).c_str(), nullptr);
    CreateDirectoryA(path.c_str(), nullptr);
}

double FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<double>(data.nFileSizeLow) + 4294967296.0 * data.nFileSizeHigh;
}

ScratchFolder::ScratchFolder(const std::string& name) {
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    path_ = std::string(temp) + name;
    RemoveTree(path_);  // left by an earlier run that was stopped
    MakeDirectories(path_);
}

bool StartedProgram::Start(const std::string& exe, const std::string& workingFolder, const std::string& argument) {
    Close();
    std::string commandLine = "\"" + exe + "\"" + (argument.empty() ? "" : " " + argument);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, workingFolder.c_str(),
                        &startup, &info))
        return false;
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    id_ = info.dwProcessId;
    return true;
}

HWND StartedProgram::WaitForVisibleWindow(DWORD timeoutMs) {
    WindowSearch search{id_, nullptr};
    const DWORD began = GetTickCount();
    for (;;) {
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - began > timeoutMs || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    return window_ = search.found;
}

void StartedProgram::Close() {
    if (!process_)
        return;
    if (window_)
        PostMessageA(window_, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process_, kCloseTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process_, 1);
        WaitForSingleObject(process_, kCloseTimeoutMs);
    }
    CloseHandle(process_);
    process_ = nullptr;
    window_ = nullptr;
}

std::size_t PrivateBytes(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters))
        return 0;
    // Wine 8 fills only the basic structure and says so in cb; PagefileUsage
    // is the same count there (the private bytes committed, which Wine reads
    // as the process's resident anonymous memory plus its swap).
    return counters.cb >= sizeof counters ? counters.PrivateUsage : counters.PagefileUsage;
}

void Row(const char* label, double quillmere, double minimal, const char* format) {
    std::printf("%-36s", label);
    std::printf(format, quillmere);
    std::printf(format, minimal);
    if (minimal > 0)
        std::printf("%10.2f\n", quillmere / minimal);
    else
        std::printf("%10s\n", "-");
}

}  // namespace bench
