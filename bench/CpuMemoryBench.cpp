// CPU and memory benchmark: the launcher's CPU time and private memory while
// its dialog sits idle, side by side with the minimal dialog program idle the
// same way, and then while it rotates pictures: CPU between ticks, CPU per
// tick, and private memory after many ticks.
//
// CPU is read from outside with GetProcessTimes (user plus kernel). Its units
// are 100 ns, but the system moves the count in coarser steps (Wine reads it
// from /proc, in the kernel's clock ticks), so the program also reports the
// step it saw.
#include "BenchSupport.h"
#include "ui/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

using namespace bench;

constexpr int kIdleRounds = 3;
constexpr DWORD kSettleMs = 2000;      // after the window shows, before a reading counts
constexpr int kDefaultIdleSeconds = 10;
constexpr int kDefaultTicks = 30;
constexpr unsigned kPeriodSeconds = 2;
constexpr int kPictures = 10;
// A between-tick interval starts this long after a copy was seen on the
// target and ends this long before the next copy is due, so no tick's work
// falls into it.
constexpr DWORD kAfterCopyMs = 100;
constexpr DWORD kBeforeDueMs = 300;
constexpr DWORD kPollMs = 5;

const char kTargetFolder[] = "\\GameDataSets\\Classic_01\\GameAssets\\Common\\Graphics\\UI\\PlayingGame";

std::uint64_t Gcd(std::uint64_t a, std::uint64_t b) {
    while (b) {
        const std::uint64_t r = a % b;
        a = b;
        b = r;
    }
    return a;
}

// Every CPU reading goes through here, so that the step the count moves in
// can be reported: the greatest common divisor of all readings.
class CpuClock {
public:
    std::uint64_t Read(HANDLE process) {
        const std::uint64_t t = CpuTime100ns(process);
        step_ = Gcd(step_, t);
        ++readings_;
        return t;
    }
    double StepMs() const { return step_ / 1e4; }
    int readings() const { return readings_; }

private:
    std::uint64_t step_ = 0;
    int readings_ = 0;
};

double Ms(std::uint64_t units100ns) { return units100ns / 1e4; }

// A game folder as the launcher expects it: the stand-in game, the EOTBIR
// folder with pictures of assorted sizes (some below and some above the size
// from which a heap hands a block straight to the system), the game's
// waiting picture, and settings for rotation in name order at the period.
struct GameFolder {
    std::string path, target;
    bool ok = false;

    GameFolder(const std::string& root, const std::string& standIn) : path(root + "\\game") {
        MakeDirectories(path + "\\EOTBIR");
        MakeDirectories(path + kTargetFolder);
        target = path + kTargetFolder + "\\pic_waitingbkgd.png";
        for (int i = 0; i < kPictures; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "\\EOTBIR\\%02d.png", i);
            WriteFileOfSize(path + name, (100u << 10) + i * (64u << 10), static_cast<unsigned char>(i));
        }
        WriteFileOfSize(target, 1000, 0xEE);
        const unsigned char settings[16] = {1, 0, 0, 0, 0, 0, 0, 0, kPeriodSeconds, 0, 0, 0, 1, 0, 0, 0};
        HANDLE file = CreateFileA((path + "\\Quillmere.sav").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        DWORD written = 0;
        ok = file != INVALID_HANDLE_VALUE && WriteFile(file, settings, sizeof settings, &written, nullptr) &&
             written == sizeof settings;
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        ok = ok && CopyFileA(standIn.c_str(), (path + "\\Moo3.exe").c_str(), FALSE);
    }
};

// What tells one copy from the next without opening the target (an open
// handle here would make the launcher skip its copy): each copy is a new file
// with its own write time, and the pictures differ in size.
struct Stamp {
    FILETIME written = {};
    DWORD size = 0;
    bool operator!=(const Stamp& o) const {
        return size != o.size || CompareFileTime(&written, &o.written) != 0;
    }
};

Stamp ReadStamp(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data = {};
    Stamp s;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
        s.written = data.ftLastWriteTime;
        s.size = data.nFileSizeLow;
    }
    return s;
}

struct Idle {
    double cpuMsPerS = 0, cpuMs = 0, privateKiB = 0;
};

// The idle window of one started program, after it has settled.
Idle MeasureIdle(StartedProgram& program, CpuClock& clock, int seconds) {
    Sleep(kSettleMs);
    const double t0 = NowMs();
    const std::uint64_t c0 = clock.Read(program.process());
    Sleep(seconds * 1000);
    const std::uint64_t c1 = clock.Read(program.process());
    const double t1 = NowMs();
    Idle idle;
    idle.cpuMs = Ms(c1 - c0);
    idle.cpuMsPerS = idle.cpuMs / ((t1 - t0) / 1000.0);
    idle.privateKiB = PrivateBytes(program.process()) / 1024.0;
    return idle;
}

struct Rotation {
    int ticksSeen = 0;
    double betweenMs = 0, betweenS = 0;  // CPU and wall time summed over the between-tick intervals
    int betweenIntervals = 0, betweenMoved = 0, overlapped = 0;
    double tickMs = 0, tickWindowS = 0;  // CPU and wall time summed over the intervals holding a tick
    int ticksMeasured = 0;
    double firstPrivateKiB = 0, lastPrivateKiB = 0;
    bool gameStarted = false;
};

// Presses Run (as the button's click notification, which is all the dialog
// sees of a click) and follows `ticks` copies.
bool MeasureRotation(StartedProgram& launcher, const GameFolder& game, CpuClock& clock, int ticks, Rotation& r) {
    const HANDLE process = launcher.process();
    const HWND run = GetDlgItem(launcher.window(), IDC_RUN);
    Stamp last = ReadStamp(game.target);
    PostMessageA(launcher.window(), WM_COMMAND, MAKEWPARAM(IDC_RUN, BN_CLICKED), reinterpret_cast<LPARAM>(run));

    const DWORD copyTimeoutMs = kPeriodSeconds * 1000 + 3000;
    std::uint64_t beforeTick = 0;
    double beforeTickAt = 0;
    for (int k = 1; k <= ticks; ++k) {
        const double waitFrom = NowMs();
        Stamp now;
        while (!((now = ReadStamp(game.target)) != last)) {
            if (NowMs() - waitFrom > copyTimeoutMs || WaitForSingleObject(process, 0) == WAIT_OBJECT_0)
                return false;
            Sleep(kPollMs);
        }
        last = now;
        const double seenAt = NowMs();
        ++r.ticksSeen;
        if (k == 1)
            r.gameStarted = GetFileAttributesA((game.path + "\\moo3-started.log").c_str()) != INVALID_FILE_ATTRIBUTES;

        Sleep(kAfterCopyMs);
        const std::uint64_t afterTick = clock.Read(process);
        const double afterTickAt = NowMs();
        const double privateKiB = PrivateBytes(process) / 1024.0;
        if (k == 1)
            r.firstPrivateKiB = privateKiB;
        r.lastPrivateKiB = privateKiB;
        if (beforeTick) {
            r.tickMs += Ms(afterTick - beforeTick);
            r.tickWindowS += (afterTickAt - beforeTickAt) / 1000.0;
            ++r.ticksMeasured;
        }
        if (k == ticks)
            break;

        const double endAt = seenAt + kPeriodSeconds * 1000.0 - kBeforeDueMs;
        const double rest = endAt - NowMs();
        if (rest > 0)
            Sleep(static_cast<DWORD>(rest));
        beforeTick = clock.Read(process);
        beforeTickAt = NowMs();
        // A copy that came early falls into the interval: it is not counted.
        if (ReadStamp(game.target) != last) {
            ++r.overlapped;
            continue;
        }
        r.betweenMs += Ms(beforeTick - afterTick);
        r.betweenS += (beforeTickAt - afterTickAt) / 1000.0;
        ++r.betweenIntervals;
        if (beforeTick != afterTick)
            ++r.betweenMoved;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    const int idleSeconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : kDefaultIdleSeconds;
    const int ticks = argc > 2 ? std::max(3, std::atoi(argv[2])) : kDefaultTicks;
    // Built as <build>/bench/CpuMemoryBench.exe, beside MinimalDialog.exe,
    // one folder below Quillmere.exe and beside tools/Moo3.exe.
    const std::string folder = ModuleFolder();
    char quillmere[MAX_PATH] = "", standIn[MAX_PATH] = "";
    GetFullPathNameA((folder + "\\..\\Quillmere.exe").c_str(), MAX_PATH, quillmere, nullptr);
    GetFullPathNameA((folder + "\\..\\tools\\Moo3.exe").c_str(), MAX_PATH, standIn, nullptr);
    const std::string minimal = folder + "\\MinimalDialog.exe";

    ScratchFolder scratch("quillmere-cpu-bench");
    const std::string start = scratch.path() + "\\start";
    MakeDirectories(start);
    GameFolder game(scratch.path(), standIn);
    GameFolderValue registered(game.path);
    if (!game.ok || !registered.ok()) {
        std::fprintf(stderr, "cannot prepare the game folder %s (stand-in game: %s)\n", game.path.c_str(), standIn);
        return 1;
    }
    // Inherited through the launcher by the stand-in game, which then exits
    // at once instead of showing a window and polling its picture.
    SetEnvironmentVariableA("QUILLMERE_FAKE_GAME_EXIT", "1");

    CpuClock clock;
    std::vector<double> qCpu, mCpu, qPrivate, mPrivate;
    double qCpuTotal = 0, mCpuTotal = 0;
    Rotation rotation;
    bool rotated = false;
    // Interleaved, so that a drift in the machine's load touches both alike.
    // The last launcher round goes on to rotate, so its idle memory and its
    // memory after many ticks come from the same process.
    for (int round = 0; round < kIdleRounds; ++round) {
        StartedProgram m;
        if (!m.Start(minimal, start) || !m.WaitForVisibleWindow()) {
            std::fprintf(stderr, "the minimal dialog showed no window: %s\n", minimal.c_str());
            return 1;
        }
        const Idle mi = MeasureIdle(m, clock, idleSeconds);
        m.Close();
        mCpu.push_back(mi.cpuMsPerS);
        mCpuTotal += mi.cpuMs;
        mPrivate.push_back(mi.privateKiB);

        StartedProgram q;
        if (!q.Start(quillmere, start) || !q.WaitForVisibleWindow()) {
            std::fprintf(stderr, "Quillmere showed no window: %s\n", quillmere);
            return 1;
        }
        const Idle qi = MeasureIdle(q, clock, idleSeconds);
        qCpu.push_back(qi.cpuMsPerS);
        qCpuTotal += qi.cpuMs;
        qPrivate.push_back(qi.privateKiB);
        if (round == kIdleRounds - 1)
            rotated = MeasureRotation(q, game, clock, ticks, rotation);
        q.Close();
    }

    std::printf("CPU and private memory: %d idle rounds each, interleaved, of %d s each from %u ms after the\n"
                "window showed; CPU is user + kernel time from GetProcessTimes; ratio = Quillmere / Minimal\n\n",
                kIdleRounds, idleSeconds, static_cast<unsigned>(kSettleMs));
    std::printf("%-36s%12s%12s%10s\n", "", "Quillmere", "Minimal", "ratio");
    Row("idle CPU, median (ms per s)", Median(qCpu), Median(mCpu), "%12.3f");
    Row("idle CPU, all rounds (ms)", qCpuTotal, mCpuTotal, "%12.1f");
    Row("idle private memory, median (KiB)", Median(qPrivate), Median(mPrivate), "%12.0f");
    std::printf("%-36s%12.0f%12s   (goal: under 8 MB = 8192 KiB)\n\n", "  Quillmere minus Minimal (KiB)",
                Median(qPrivate) - Median(mPrivate), "");

    if (!rotated) {
        std::fprintf(stderr, "rotation: after %d of %d copies no further copy reached %s\n", rotation.ticksSeen,
                     ticks, game.target.c_str());
        return 1;
    }
    std::printf("Rotating: %d pictures of %u to %u KiB in name order every %u s, %d copies followed on the target.\n"
                "Between ticks: from %u ms after a copy was seen to %u ms before the next is due.\n\n",
                kPictures, 100u, 100u + (kPictures - 1) * 64u, kPeriodSeconds, rotation.ticksSeen,
                static_cast<unsigned>(kAfterCopyMs), static_cast<unsigned>(kBeforeDueMs));
    std::printf("%-36s%12s%12s%10s\n", "", "Quillmere", "Min. idle", "ratio");
    Row("CPU between ticks (ms per s)", rotation.betweenS > 0 ? rotation.betweenMs / rotation.betweenS : 0,
        Median(mCpu), "%12.3f");
    Row("private memory after last tick (KiB)", rotation.lastPrivateKiB, Median(mPrivate), "%12.0f");
    std::printf("%-36s%12.0f\n", "private memory after first tick (KiB)", rotation.firstPrivateKiB);
    std::printf("%-36s%12.2f   (over %d ticks, in %.0f ms around each)\n", "CPU per tick (ms)",
                rotation.ticksMeasured ? rotation.tickMs / rotation.ticksMeasured : 0, rotation.ticksMeasured,
                rotation.ticksMeasured ? 1000.0 * rotation.tickWindowS / rotation.ticksMeasured : 0);
    std::printf("between-tick intervals: %d, %.1f s in all, %.1f ms CPU in all; the count moved in %d of them%s\n",
                rotation.betweenIntervals, rotation.betweenS, rotation.betweenMs, rotation.betweenMoved,
                rotation.overlapped ? " (some overlapped a copy and were dropped)" : "");
    std::printf("the stand-in game %s\n", rotation.gameStarted ? "was started by Run" : "left no sign of its start");
    std::printf("GetProcessTimes resolution: all %d readings are multiples of %.3f ms\n\n", clock.readings(),
                clock.StepMs());
    return 0;
}
