// Start-up benchmark: starts Quillmere.exe and a minimal dialog program in
// turn, times each from CreateProcess to a visible top-level window, reads its
// peak memory, and prints medians, minimums and the Quillmere/minimal ratios.
#include "BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kWarmUpRounds = 2;
constexpr int kDefaultRounds = 15;

struct Sample {
    double ms, peakWorkingSetKiB, peakPagefileKiB;
};

// One start, from a fresh working folder: false when no window showed within
// the time allowed.
bool RunOnce(const std::string& exe, int run, Sample& sample) {
    ScratchFolder folder("quillmere-bench-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(run));
    StartedProgram program;
    const double start = NowMs();
    if (!program.Start(exe, folder.path()))
        return false;
    const HWND shown = program.WaitForVisibleWindow();
    const double ms = NowMs() - start;
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(program.process(), &memory, sizeof memory);
    program.Close();  // before the folder goes: the program may write into it as it ends
    sample = {ms, memory.PeakWorkingSetSize / 1024.0, memory.PeakPagefileUsage / 1024.0};
    return shown != nullptr;
}

struct Program {
    const char* name;
    std::string exe;
    std::vector<double> ms, workingSet, pagefile;
};

} // namespace

int main(int argc, char** argv) {
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    // Built as <build>/bench/StartupBench.exe, beside MinimalDialog.exe and
    // one folder below Quillmere.exe.
    const std::string folder = ModuleFolder();
    char full[MAX_PATH] = "";
    GetFullPathNameA((folder + "\\..\\Quillmere.exe").c_str(), MAX_PATH, full, nullptr);
    Program programs[] = {{"Quillmere", full, {}, {}, {}},
                          {"Minimal", folder + "\\MinimalDialog.exe", {}, {}, {}}};

    // Without the value Quillmere takes the working folder as its game folder,
    // and so writes its settings file into the run's own fresh folder.
    GameFolderRegistration hidden(std::nullopt);
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
    std::printf("%-36s%12s%12s%10s\n", "", "Quillmere", "Minimal", "ratio");
    Row("start-up, median (ms; goal: <= 1.2)", Median(q.ms), Median(m.ms), "%12.1f");
    Row("start-up, min (ms)", Min(q.ms), Min(m.ms), "%12.1f");
    Row("peak working set, median (KiB)", Median(q.workingSet), Median(m.workingSet), "%12.0f");
    Row("peak working set, min (KiB)", Min(q.workingSet), Min(m.workingSet), "%12.0f");
    Row("peak pagefile use, median (KiB)", Median(q.pagefile), Median(m.pagefile), "%12.0f");
    Row("peak pagefile use, min (KiB)", Min(q.pagefile), Min(m.pagefile), "%12.0f");
    Row("executable size (bytes)", FileSize(q.exe), FileSize(m.exe), "%12.0f");
    std::printf("\n");
    return 0;
}
