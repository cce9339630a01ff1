// Start-up benchmark: starts Quillmere.exe and a minimal dialog program in
// turn, times each from CreateProcess to a visible top-level window, reads its
// peak memory, and prints medians, minimums and the Quillmere/minimal ratios.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr int kWarmUpRounds = 2;
constexpr int kDefaultRounds = 15;
constexpr DWORD kShowTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 2000;

// Quillmere takes its game folder, and so its settings file's folder, from this
// value; without it the working folder is used, a fresh temporary one per run.
constexpr char kGameKey[] = "SOFTWARE\\Infogrames\\Master of Orion III";
constexpr char kGameValue[] = "Program Location";

struct Handle {
    HANDLE h = nullptr;
    ~Handle() { if (h) CloseHandle(h); }
};

// Removes the game folder value for the benchmark's life and puts it back after.
class GameValueHidden {
public:
    GameValueHidden() {
        HKEY key;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, KEY_READ | KEY_WRITE, &key) != ERROR_SUCCESS)
            return;
        char value[4096];
        DWORD size = sizeof value - 1;
        if (RegQueryValueExA(key, kGameValue, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) ==
            ERROR_SUCCESS) {
            value[size] = '\0';
            saved_ = value;
            had_ = RegDeleteValueA(key, kGameValue) == ERROR_SUCCESS;
        }
        RegCloseKey(key);
    }
    ~GameValueHidden() {
        HKEY key;
        if (!had_ || RegOpenKeyExA(HKEY_LOCAL_MACHINE, kGameKey, 0, KEY_WRITE, &key) != ERROR_SUCCESS)
            return;
        RegSetValueExA(key, kGameValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(saved_.c_str()),
                       static_cast<DWORD>(saved_.size() + 1));
        RegCloseKey(key);
    }

private:
    bool had_ = false;
    std::string saved_;
};

// A fresh working folder, removed with the files the program left in it.
class ScratchFolder {
public:
    explicit ScratchFolder(int run) {
        char temp[MAX_PATH] = "";
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "quillmere-bench-" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(run);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA((path_ + "\\*").c_str(), &entry);
        if (find != INVALID_HANDLE_VALUE) {
            do {
                if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                    DeleteFileA((path_ + "\\" + entry.cFileName).c_str());
            } while (FindNextFileA(find, &entry));
            FindClose(find);
        }
        RemoveDirectoryA(path_.c_str());
    }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};

struct Sample {
    double ms, peakWorkingSetKiB, peakPagefileKiB;
};

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

// One start: false when no window showed within the time allowed.
bool RunOnce(const std::string& exe, int run, Sample& sample) {
    ScratchFolder folder(run);
    std::string commandLine = "\"" + exe + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    LARGE_INTEGER frequency, start, shown;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    if (!CreateProcessA(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.path().c_str(), &startup, &info))
        return false;
    Handle process{info.hProcess}, thread{info.hThread};

    WindowSearch search{info.dwProcessId, nullptr};
    const DWORD began = GetTickCount();
    for (;;) {
        EnumWindows(FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - began > kShowTimeoutMs ||
            WaitForSingleObject(process.h, 0) == WAIT_OBJECT_0)
            break;
        Sleep(1);
    }
    QueryPerformanceCounter(&shown);
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(process.h, &memory, sizeof memory);

    // A dialog turns WM_CLOSE into IDCANCEL and ends.
    if (search.found)
        PostMessageA(search.found, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(process.h, kCloseTimeoutMs) != WAIT_OBJECT_0) {
        TerminateProcess(process.h, 1);
        WaitForSingleObject(process.h, kCloseTimeoutMs);
    }
    sample = {1000.0 * static_cast<double>(shown.QuadPart - start.QuadPart) / frequency.QuadPart,
              memory.PeakWorkingSetSize / 1024.0, memory.PeakPagefileUsage / 1024.0};
    return search.found != nullptr;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Min(const std::vector<double>& values) { return *std::min_element(values.begin(), values.end()); }

double FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return 0;
    return static_cast<double>(data.nFileSizeLow) + 4294967296.0 * data.nFileSizeHigh;
}

void Row(const char* label, double quillmere, double minimal, const char* format) {
    std::printf("%-32s", label);
    std::printf(format, quillmere);
    std::printf(format, minimal);
    std::printf("%10.2f\n", minimal > 0 ? quillmere / minimal : 0.0);
}

struct Program {
    const char* name;
    std::string exe;
    std::vector<double> ms, workingSet, pagefile;
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    // Built as build/cross/bench/StartupBench.exe, beside MinimalDialog.exe and
    // one folder below Quillmere.exe.
    char module[MAX_PATH] = "", full[MAX_PATH] = "";
    GetModuleFileNameA(nullptr, module, MAX_PATH);
    std::string folder(module);
    folder.erase(folder.find_last_of('\\'));
    GetFullPathNameA((folder + "\\..\\Quillmere.exe").c_str(), MAX_PATH, full, nullptr);
    Program programs[] = {{"Quillmere", full, {}, {}, {}},
                          {"Minimal", folder + "\\MinimalDialog.exe", {}, {}, {}}};

    GameValueHidden hidden;
    int run = 0;
    // Interleaved, so that a drift in the machine's load touches both alike.
    for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
        for (Program& program : programs) {
            Sample sample;
            if (!RunOnce(program.exe, run++, sample)) {
                std::fprintf(stderr, "%s showed no window: %s\n", program.name, program.exe.c_str());
                return 1;
            }
            if (round < kWarmUpRounds)
                continue;
            program.ms.push_back(sample.ms);
            program.workingSet.push_back(sample.peakWorkingSetKiB);
            program.pagefile.push_back(sample.peakPagefileKiB);
        }
    }

    const Program& q = programs[0];
    const Program& m = programs[1];
    std::printf("Start-up to a visible window: %d rounds each, interleaved, after %d warm-up rounds;\n"
                "ratio = Quillmere / Minimal\n\n",
                rounds, kWarmUpRounds);
    std::printf("%-32s%12s%12s%10s\n", "", "Quillmere", "Minimal", "ratio");
    Row("start-up, median (ms)", Median(q.ms), Median(m.ms), "%12.1f");
    Row("start-up, min (ms)", Min(q.ms), Min(m.ms), "%12.1f");
    Row("peak working set, median (KiB)", Median(q.workingSet), Median(m.workingSet), "%12.0f");
    Row("peak working set, min (KiB)", Min(q.workingSet), Min(m.workingSet), "%12.0f");
    Row("peak pagefile use, median (KiB)", Median(q.pagefile), Median(m.pagefile), "%12.0f");
    Row("peak pagefile use, min (KiB)", Min(q.pagefile), Min(m.pagefile), "%12.0f");
    Row("executable size (bytes)", FileSize(q.exe), FileSize(m.exe), "%12.0f");
    return 0;
}
