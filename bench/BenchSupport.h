// What the benchmark programs share: clocks and medians, files and folders,
// a started program with its visible window, and a process's private memory.
// The game's registry value and folder removal come from the test helpers.
#pragma once

#include "tests/common/FileTree.h"
#include "tests/common/GameFolderRegistration.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bench {

constexpr DWORD kShowTimeoutMs = 10000;
constexpr DWORD kCloseTimeoutMs = 2000;

// Milliseconds on the performance counter.
double NowMs();

double Median(std::vector<double> values);  // 0 for none
double Min(const std::vector<double>& values);

// The folder of this benchmark's own executable, without a trailing separator.
std::string ModuleFolder();

// Writes `size` bytes in 1 MB pieces, so making the file holds little memory.
void WriteFileOfSize(const std::string& path, std::size_t size, unsigned char seed);
void MakeDirectories(const std::string& path);  // like mkdir -p
double FileSize(const std::string& path);        // 0 when it cannot be read

// A fresh folder under the temporary folder, removed with all it holds.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder() { RemoveTree(path_); }
    const std::string& path() const { return path_; }

private:
    std::string path_;
};


// One started program. It is closed as a person closes a dialog (WM_CLOSE,
// which the dialog manager turns into IDCANCEL) and ended if it does not go.
class StartedProgram {
public:
    StartedProgram() = default;
    StartedProgram(const StartedProgram&) = delete;
    StartedProgram& operator=(const StartedProgram&) = delete;
    ~StartedProgram() { Close(); }

    // `argument` follows the quoted program name on the command line; the
    // programs measured here read no command line, so it can mark a start.
    bool Start(const std::string& exe, const std::string& workingFolder, const std::string& argument = {});
    // Polls every millisecond; null when no window showed in time or the
    // program ended first.
    HWND WaitForVisibleWindow(DWORD timeoutMs = kShowTimeoutMs);
    HWND window() const { return window_; }
    HANDLE process() const { return process_; }
    void Close();

private:
    HANDLE process_ = nullptr;
    DWORD id_ = 0;
    HWND window_ = nullptr;
};

// Private bytes as PROCESS_MEMORY_COUNTERS_EX::PrivateUsage reports them, or
// PagefileUsage where the system fills only the basic counters.
std::size_t PrivateBytes(HANDLE process);

// One table row: a label, Quillmere's figure, the baseline's and their ratio
// ("-" when the baseline is 0, as idle CPU can be).
void Row(const char* label, double quillmere, double minimal, const char* format);

}  // namespace bench
