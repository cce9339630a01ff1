// CPU and memory benchmark: the launcher's CPU time and private memory while
// its dialog sits idle, side by side with the minimal dialog program idle the
// same way, and then while it rotates pictures: CPU between ticks, CPU per
// tick, and private memory after many ticks.
//
// On Windows CPU time comes from GetProcessTimes (user plus kernel; 100 ns
// units, moved by the system in coarser steps). Under Wine it cannot: Wine 8
// answers GetProcessTimes for another process's handle with the caller's own
// times (a busy loop here raised the "other" process's count by the loop's
// time while that process slept). Each Windows process under Wine is a Linux
// process, though, and Linux counts every thread's time on the processor in
// nanoseconds (/proc/<pid>/task/<tid>/schedstat), which a program under Wine
// reads through drive Z:, the Unix root. The program reports the step its
// readings moved in.
#include "BenchSupport.h"
#include "ui/resource.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

bool UnderWine() { return GetProcAddress(GetModuleHandleA("ntdll.dll"), "wine_get_version") != nullptr; }

std::string ReadSmallFile(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return {};
    std::string text;
    char piece[4096];
    DWORD n = 0;
    while (ReadFile(file, piece, sizeof piece, &n, nullptr) && n)  // /proc files claim a size of 0
        text.append(piece, n);
    CloseHandle(file);
    return text;
}

// The number after `key` in a /proc status text, 0 when absent.
std::uint64_t StatusField(const std::string& status, const char* key) {
    const std::size_t at = status.find(key);
    return at == std::string::npos ? 0 : std::strtoull(status.c_str() + at + std::strlen(key), nullptr, 10);
}

// One started program's CPU time in nanoseconds, from GetProcessTimes on
// Windows and from its Linux process's thread counts under Wine. Every
// reading also feeds the step the count was seen to move in: the greatest
// common divisor of all readings.
class CpuMeter {
public:
    // Under Wine, finds the program's Linux process by the mark that its
    // Windows command line carries, which Wine shows as the process's own.
    bool Attach(HANDLE process, const std::string& mark) {
        process_ = process;
        proc_.clear();
        if (!UnderWine())
            return true;
        WIN32_FIND_DATAA entry;
        HANDLE find = FindFirstFileA("Z:\\proc\\*", &entry);
        if (find == INVALID_HANDLE_VALUE)
            return false;
        do {
            const std::string name = entry.cFileName;
            if (name.find_first_not_of("0123456789") != std::string::npos)
                continue;
            const std::string cmdline = ReadSmallFile("Z:\\proc\\" + name + "\\cmdline");
            if (std::search(cmdline.begin(), cmdline.end(), mark.begin(), mark.end()) != cmdline.end())
                proc_ = "Z:\\proc\\" + name;
        } while (proc_.empty() && FindNextFileA(find, &entry));
        FindClose(find);
        return !proc_.empty();
    }

    std::uint64_t ReadNs() {
        std::uint64_t ns = 0;
        if (proc_.empty()) {
            FILETIME created, exited, kernel, user;
            if (GetProcessTimes(process_, &created, &exited, &kernel, &user))
                ns = 100 * (Value(kernel) + Value(user));
        } else {
            // The first field of a thread's schedstat is its time on a processor.
            threads_ = 0;
            WIN32_FIND_DATAA entry;
            HANDLE find = FindFirstFileA((proc_ + "\\task\\*").c_str(), &entry);
            if (find != INVALID_HANDLE_VALUE) {
                do {
                    if (entry.cFileName[0] == '.')
                        continue;
                    ns += std::strtoull(ReadSmallFile(proc_ + "\\task\\" + entry.cFileName + "\\schedstat").c_str(),
                                        nullptr, 10);
                    ++threads_;
                } while (FindNextFileA(find, &entry));
                FindClose(find);
            }
        }
        step_ = Gcd(step_, ns);
        ++readings_;
        return ns;
    }

    // Linux's own count of the process's private memory (resident anonymous
    // pages and swap), which Wine hands on as the private bytes; 0 on Windows.
    double LinuxPrivateKiB() const {
        if (proc_.empty())
            return 0;
        const std::string status = ReadSmallFile(proc_ + "\\status");
        return static_cast<double>(StatusField(status, "RssAnon:") + StatusField(status, "VmSwap:"));
    }

    bool fromLinux() const { return !proc_.empty(); }
    int threads() const { return threads_; }
    static std::uint64_t step() { return step_; }
    static int readings() { return readings_; }

private:
    static std::uint64_t Value(const FILETIME& t) {
        return (static_cast<std::uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
    }
    HANDLE process_ = nullptr;
    std::string proc_;
    int threads_ = 0;
    static inline std::uint64_t step_ = 0;
    static inline int readings_ = 0;
};

double Ms(std::uint64_t ns) { return ns / 1e6; }

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
    double cpuMsPerS = 0, cpuMs = 0, privateKiB = 0, linuxPrivateKiB = 0;
};

// The idle window of one started program, after it has settled. Memory is
// read after the window: reading another process's memory costs that process
// CPU time under Wine (about 0.1 ms a reading, measured).
Idle MeasureIdle(StartedProgram& program, CpuMeter& cpu, int seconds) {
    Sleep(kSettleMs);
    const double t0 = NowMs();
    const std::uint64_t c0 = cpu.ReadNs();
    Sleep(seconds * 1000);
    const std::uint64_t c1 = cpu.ReadNs();
    const double t1 = NowMs();
    Idle idle;
    idle.cpuMs = Ms(c1 - c0);
    idle.cpuMsPerS = idle.cpuMs / ((t1 - t0) / 1000.0);
    idle.privateKiB = PrivateBytes(program.process()) / 1024.0;
    idle.linuxPrivateKiB = cpu.LinuxPrivateKiB();
    return idle;
}

struct Rotation {
    int ticksSeen = 0;
    double betweenMs = 0, betweenS = 0, betweenMaxMs = 0;  // over the between-tick intervals
    int betweenIntervals = 0, betweenMoved = 0, overlapped = 0;
    double tickMs = 0, tickWindowS = 0, tickMinMs = 1e9, tickMaxMs = 0;  // over the intervals holding a tick
    int ticksMeasured = 0;
    double firstPrivateKiB = 0, lastPrivateKiB = 0, lastLinuxPrivateKiB = 0;
    std::vector<double> spacingMs;  // from one copy seen to the next
    bool gameStarted = false;
};

// Presses Run (as the button's click notification, which is all the dialog
// sees of a click) and follows `ticks` copies. Memory is read only outside
// the measured intervals: after the first copy, before the first of them
// starts, and after the last copy.
bool MeasureRotation(StartedProgram& launcher, const GameFolder& game, CpuMeter& cpu, int ticks, Rotation& r) {
    const HANDLE process = launcher.process();
    const HWND run = GetDlgItem(launcher.window(), IDC_RUN);
    Stamp last = ReadStamp(game.target);
    PostMessageA(launcher.window(), WM_COMMAND, MAKEWPARAM(IDC_RUN, BN_CLICKED), reinterpret_cast<LPARAM>(run));

    const DWORD copyTimeoutMs = kPeriodSeconds * 1000 + 3000;
    std::uint64_t beforeTick = 0;
    double beforeTickAt = 0, lastSeenAt = 0;
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
        if (k > 1)
            r.spacingMs.push_back(seenAt - lastSeenAt);
        lastSeenAt = seenAt;
        ++r.ticksSeen;
        if (k == 1)
            r.gameStarted = GetFileAttributesA((game.path + "\\moo3-started.log").c_str()) != INVALID_FILE_ATTRIBUTES;

        Sleep(kAfterCopyMs);
        if (k == 1)
            r.firstPrivateKiB = PrivateBytes(process) / 1024.0;
        const std::uint64_t afterTick = cpu.ReadNs();
        const double afterTickAt = NowMs();
        if (beforeTick) {
            const double ms = Ms(afterTick - beforeTick);
            r.tickMs += ms;
            r.tickMinMs = std::min(r.tickMinMs, ms);
            r.tickMaxMs = std::max(r.tickMaxMs, ms);
            r.tickWindowS += (afterTickAt - beforeTickAt) / 1000.0;
            ++r.ticksMeasured;
        }
        if (k == ticks) {
            r.lastPrivateKiB = PrivateBytes(process) / 1024.0;
            r.lastLinuxPrivateKiB = cpu.LinuxPrivateKiB();
            break;
        }

        const double endAt = seenAt + kPeriodSeconds * 1000.0 - kBeforeDueMs;
        const double rest = endAt - NowMs();
        if (rest > 0)
            Sleep(static_cast<DWORD>(rest));
        beforeTick = cpu.ReadNs();
        beforeTickAt = NowMs();
        // A copy that came early falls into the interval: it is not counted.
        if (ReadStamp(game.target) != last) {
            ++r.overlapped;
            continue;
        }
        const double ms = Ms(beforeTick - afterTick);
        r.betweenMs += ms;
        r.betweenMaxMs = std::max(r.betweenMaxMs, ms);
        r.betweenS += (beforeTickAt - afterTickAt) / 1000.0;
        ++r.betweenIntervals;
        if (beforeTick != afterTick)
            ++r.betweenMoved;
    }
    return true;
}

// Starts one program with a mark of its own and finds its CPU count.
bool StartMeasured(StartedProgram& program, CpuMeter& cpu, const std::string& exe, const std::string& folder,
                   int run) {
    const std::string mark = "quillmere-cpu-bench-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(run);
    if (!program.Start(exe, folder, mark) || !program.WaitForVisibleWindow()) {
        std::fprintf(stderr, "no window shown by %s\n", exe.c_str());
        return false;
    }
    if (!cpu.Attach(program.process(), mark)) {
        std::fprintf(stderr, "under Wine, no Linux process with \"%s\" on its command line\n", mark.c_str());
        return false;
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
    GameFolderRegistration registered(game.path);
    if (!game.ok || !registered.ok()) {
        std::fprintf(stderr, "cannot prepare the game folder %s (stand-in game: %s)\n", game.path.c_str(), standIn);
        return 1;
    }
    // Inherited through the launcher by the stand-in game, which then exits
    // at once instead of showing a window and polling its picture.
    SetEnvironmentVariableA("QUILLMERE_FAKE_GAME_EXIT", "1");

    // One program's idle rounds.
    struct IdleSeries {
        std::vector<double> cpu, privateKiB, linuxPrivateKiB;
        double cpuTotal = 0;
        void Add(const Idle& idle) {
            cpu.push_back(idle.cpuMsPerS);
            cpuTotal += idle.cpuMs;
            privateKiB.push_back(idle.privateKiB);
            linuxPrivateKiB.push_back(idle.linuxPrivateKiB);
        }
    } q, m;
    Rotation rotation;
    bool rotated = false, fromLinux = false;
    int threads = 0, run = 0;
    // Interleaved, so that a drift in the machine's load touches both alike.
    // The last launcher round goes on to rotate, so its idle memory and its
    // memory after many ticks come from the same process.
    for (int round = 0; round < kIdleRounds; ++round) {
        {
            StartedProgram program;
            CpuMeter cpu;
            if (!StartMeasured(program, cpu, minimal, start, run++))
                return 1;
            m.Add(MeasureIdle(program, cpu, idleSeconds));
        }
        StartedProgram program;
        CpuMeter cpu;
        if (!StartMeasured(program, cpu, quillmere, start, run++))
            return 1;
        q.Add(MeasureIdle(program, cpu, idleSeconds));
        fromLinux = cpu.fromLinux();
        threads = std::max(threads, cpu.threads());
        if (round == kIdleRounds - 1)
            rotated = MeasureRotation(program, game, cpu, ticks, rotation);
        threads = std::max(threads, cpu.threads());
    }

    std::printf("CPU and private memory: %d idle rounds each, interleaved, of %d s each from %u ms after the\n"
                "window showed; ratio = Quillmere / Minimal. CPU time: %s\n\n",
                kIdleRounds, idleSeconds, static_cast<unsigned>(kSettleMs),
                fromLinux ? "under Wine, the Linux process's threads' time on a processor\n"
                        "(/proc/<pid>/task/<tid>/schedstat), as Wine's GetProcessTimes gives the caller's own times"
                      : "GetProcessTimes, user + kernel");
    std::printf("%-36s%12s%12s%10s\n", "", "Quillmere", "Minimal", "ratio");
    Row("idle CPU, median (ms per s)", Median(q.cpu), Median(m.cpu), "%12.4f");
    Row("idle CPU, all rounds (ms)", q.cpuTotal, m.cpuTotal, "%12.3f");
    Row("idle private memory, median (KiB)", Median(q.privateKiB), Median(m.privateKiB), "%12.0f");
    std::printf("%-36s%12.0f%12s   (goal: under 8 MB = 8192 KiB)\n", "  Quillmere minus Minimal (KiB)",
                Median(q.privateKiB) - Median(m.privateKiB), "");
    if (fromLinux)
        Row("  Linux RssAnon + VmSwap (KiB)", Median(q.linuxPrivateKiB), Median(m.linuxPrivateKiB), "%12.0f");
    std::printf("\n");

    if (!rotated) {
        std::fprintf(stderr, "rotation: after %d of %d copies no further copy reached %s\n", rotation.ticksSeen,
                     ticks, game.target.c_str());
        return 1;
    }
    std::printf("Rotating: %d pictures of %u to %u KiB in name order every %u s, %d copies followed on the target.\n"
                "Between ticks: from %u ms after a copy was seen to %u ms before the next is due.\n\n",
                kPictures, 100u, 100u + (kPictures - 1) * 64u, kPeriodSeconds, rotation.ticksSeen,
                static_cast<unsigned>(kAfterCopyMs), static_cast<unsigned>(kBeforeDueMs));
    std::printf("Copies seen %.1f ms apart (median; least %.1f, most %.1f).\n\n", Median(rotation.spacingMs),
                Min(rotation.spacingMs), *std::max_element(rotation.spacingMs.begin(), rotation.spacingMs.end()));
    std::printf("%-36s%12s%12s%10s\n", "", "Quillmere", "Min. idle", "ratio");
    Row("CPU between ticks (ms per s)", rotation.betweenS > 0 ? rotation.betweenMs / rotation.betweenS : 0,
        Median(m.cpu), "%12.4f");
    Row("private memory after last tick (KiB)", rotation.lastPrivateKiB, Median(m.privateKiB), "%12.0f");
    if (fromLinux)
        Row("  Linux RssAnon + VmSwap (KiB)", rotation.lastLinuxPrivateKiB, Median(m.linuxPrivateKiB), "%12.0f");
    std::printf("%-36s%12.0f\n", "private memory after first tick (KiB)", rotation.firstPrivateKiB);
    const int n = std::max(1, rotation.ticksMeasured);
    std::printf("%-36s%12.3f   (mean of %d; least %.3f, most %.3f; in the %.0f ms around each)\n",
                "CPU per tick (ms)", rotation.tickMs / n, rotation.ticksMeasured, rotation.tickMinMs,
                rotation.tickMaxMs, 1000.0 * rotation.tickWindowS / n);
    std::printf("between-tick intervals: %d, %.1f s in all, %.3f ms CPU in all, the most in one %.3f ms;\n"
                "  the count moved in %d of them%s\n",
                rotation.betweenIntervals, rotation.betweenS, rotation.betweenMs, rotation.betweenMaxMs,
                rotation.betweenMoved, rotation.overlapped ? " (some overlapped a copy and were dropped)" : "");
    std::printf("the stand-in game %s; the launcher had %d thread(s) at most\n",
                rotation.gameStarted ? "was started by Run" : "left no sign of its start", threads);
    std::printf("CPU count resolution: all %d readings are multiples of %llu ns\n\n", CpuMeter::readings(),
                static_cast<unsigned long long>(CpuMeter::step()));
    return 0;
}
