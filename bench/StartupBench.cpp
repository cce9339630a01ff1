// Start-up benchmark: starts Quillmere.exe and the baseline program (the
// launcher's own dialog under a procedure that does nothing) in turn, times
// each from CreateProcess to a visible top-level window, reads its peak
// memory, and prints medians, minimums and the Quillmere/baseline ratios,
// above all the median of the ratios paired round by round.
#include "BenchSupport.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kWarmUpRounds = 3;
constexpr int kDefaultRounds = 40;
// Between one program's end and the next start: a Wine process that has
// ended still has its teardown going on (its memory, its X connection, the
// wineserver's and the X server's share of it), which would otherwise fall
// into the next start.
constexpr DWORD kSettleMs = 250;

struct Sample {
    double ms, peakWorkingSetKiB, peakPagefileKiB;
};

// One start, from a fresh working folder: false when no window showed within
// the time allowed.
bool RunOnce(const std::string& exe, int run, Sample& sample) {
    Sleep(kSettleMs);
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
    // StartupBench.exe [ROUNDS [LAUNCHER]]: LAUNCHER, another build's
    // Quillmere.exe, compares two builds against the same baseline.
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultRounds;
    // Built as <build>/bench/StartupBench.exe, beside MinimalDialog.exe (the
    // baseline) and one folder below Quillmere.exe.
    const std::string folder = ModuleFolder();
    char full[MAX_PATH] = "";
    GetFullPathNameA(argc > 2 ? argv[2] : (folder + "\\..\\Quillmere.exe").c_str(), MAX_PATH, full, nullptr);
    Program programs[] = {{"Quillmere", full, {}, {}, {}},
                          {"baseline", folder + "\\MinimalDialog.exe", {}, {}, {}}};

    // Without the value Quillmere takes the working folder as its game folder,
    // and so writes its settings file into the run's own fresh folder.
    GameFolderRegistration hidden(std::nullopt);
    int run = 0;
    std::vector<double> paired;  // Quillmere / baseline, round by round
    // Interleaved, so that a drift in the machine's load touches both alike,
    // and each program goes first in every other round, so that neither
    // always starts into the state the other left (a warm cache, a busy
    // wineserver).
    for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
        double ms[2] = {};
        for (int turn = 0; turn < 2; ++turn) {
            Program& program = programs[(turn + round) % 2];
            Sample sample;
            if (!RunOnce(program.exe, run++, sample)) {
                std::fprintf(stderr, "%s showed no window: %s\n", program.name, program.exe.c_str());
                return 1;
            }
            if (round < kWarmUpRounds)
                continue;
            ms[&program - programs] = sample.ms;
            program.ms.push_back(sample.ms);
            program.workingSet.push_back(sample.peakWorkingSetKiB);
            program.pagefile.push_back(sample.peakPagefileKiB);
        }
        if (round >= kWarmUpRounds)
            paired.push_back(ms[0] / ms[1]);
    }

    const Program& q = programs[0];
    const Program& m = programs[1];
    std::printf("Start-up to a visible window: %d rounds each, interleaved (each program first in every other\n"
                "round), after %d warm-up rounds. Baseline: the launcher's dialog template 102 under a dialog\n"
                "procedure that does nothing, built as Quillmere.exe is; ratio = Quillmere / baseline\n\n",
                rounds, kWarmUpRounds);
    std::printf("%-36s%12s%12s%10s\n", "", "Quillmere", "baseline", "ratio");
    Row("start-up, median (ms)", Median(q.ms), Median(m.ms), "%12.1f");
    Row("start-up, min (ms)", Min(q.ms), Min(m.ms), "%12.1f");
    Row("peak working set, median (KiB)", Median(q.workingSet), Median(m.workingSet), "%12.0f");
    Row("peak working set, min (KiB)", Min(q.workingSet), Min(m.workingSet), "%12.0f");
    Row("peak pagefile use, median (KiB)", Median(q.pagefile), Median(m.pagefile), "%12.0f");
    Row("peak pagefile use, min (KiB)", Min(q.pagefile), Min(m.pagefile), "%12.0f");
    Row("executable size (bytes)", FileSize(q.exe), FileSize(m.exe), "%12.0f");
    std::vector<double> sorted = paired, differences;
    std::sort(sorted.begin(), sorted.end());
    for (std::size_t i = 0; i < q.ms.size(); ++i)
        differences.push_back(q.ms[i] - m.ms[i]);
    std::printf("\nPaired ratio Quillmere_i / baseline_i over the %d rounds (goal: median <= 1.05):\n"
                "  median %.3f   quartiles %.3f to %.3f   min %.3f   max %.3f\n"
                "Paired difference, median: %.1f ms\n\n",
                rounds, Median(paired), sorted[sorted.size() / 4], sorted[(3 * sorted.size()) / 4], sorted.front(),
                sorted.back(), Median(differences));
    return 0;
}
