// Rotation benchmark: the picture copy against the system's CopyFileA on the
// same files, the random and name-order ticks against one bare directory
// pass over the same folder, and the peak private memory of a 100 MB copy.
// Each pair is measured alternately in one run and reported as a ratio.
#include "BenchSupport.h"

#include "rotation/FileCopier.h"
#include "rotation/PicturePaths.h"
#include "rotation/RotationSteps.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <vector>

namespace {

using namespace bench;

double TimeMs(const std::function<void()>& work) {
    const double start = NowMs();
    work();
    return NowMs() - start;
}

// Private bytes as Windows counts them, and as Wine reports them (its peak
// figure is not kept, so a thread samples the current one meanwhile).
std::size_t PrivateBytes() { return bench::PrivateBytes(GetCurrentProcess()); }

struct Sampler {
    volatile LONG running = 1;
    std::size_t peak = 0;
    static DWORD WINAPI Run(void* self) {
        auto* s = static_cast<Sampler*>(self);
        while (InterlockedCompareExchange(&s->running, 1, 1) != 0) {
            s->peak = std::max(s->peak, PrivateBytes());
            Sleep(0);
        }
        return 0;
    }
};

void MemoryOfOneCopy(const std::string& root) {
    const std::string source = root + "\\memory-source.bin", target = root + "\\memory-target.bin";
    constexpr std::size_t kSize = 100u << 20;
    WriteFileOfSize(source, kSize, 1);
    WriteFileOfSize(target, 1, 2);
    // The sampler's own thread comes first, so its stack is not counted.
    Sampler sampler;
    HANDLE thread = CreateThread(nullptr, 0, &Sampler::Run, &sampler, 0, nullptr);
    Sleep(50);
    const std::size_t before = PrivateBytes();
    sampler.peak = before;
    CFileCopier().Copy(source.c_str(), target.c_str());
    InterlockedExchange(&sampler.running, 0);
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    const double aboveMb = static_cast<double>(sampler.peak - before) / (1 << 20);
    std::printf("Peak private memory of a 100 MB copy: %.2f MB above the start: the picture's size %+.2f MB "
                "(goal: less than +1 MB)\n\n",
                aboveMb, aboveMb - 100.0);
    DeleteFileA(source.c_str());
    DeleteFileA(target.c_str());
}

void CopyAgainstCopyFile(const std::string& root) {
    std::printf("%-8s %14s %14s %8s   (median of alternating rounds; goal: at most 1.10)\n", "size",
                "CFileCopier ms", "CopyFileA ms", "ratio");
    const struct {
        const char* name;
        std::size_t size;
        int rounds;
    } sizes[] = {{"1 MB", 1u << 20, 41}, {"10 MB", 10u << 20, 21}, {"100 MB", 100u << 20, 9}};
    for (const auto& s : sizes) {
        const std::string source = root + "\\copy-source.bin";
        const std::string ours = root + "\\copy-ours.bin", system = root + "\\copy-system.bin";
        WriteFileOfSize(source, s.size, 3);
        WriteFileOfSize(ours, 1, 4);
        WriteFileOfSize(system, 1, 5);
        std::vector<double> oursMs, systemMs;
        for (int round = -1; round < s.rounds; ++round) {  // round -1 warms up
            const double a = TimeMs([&] { CFileCopier().Copy(source.c_str(), ours.c_str()); });
            const double b = TimeMs([&] { CopyFileA(source.c_str(), system.c_str(), FALSE); });
            if (round >= 0) {
                oursMs.push_back(a);
                systemMs.push_back(b);
            }
        }
        const double o = Median(oursMs), y = Median(systemMs);
        std::printf("%-8s %14.2f %14.2f %8.2f\n", s.name, o, y, o / y);
        DeleteFileA(source.c_str());
        DeleteFileA(ours.c_str());
        DeleteFileA(system.c_str());
    }
    std::printf("\n");
}

std::size_t BarePass(const std::string& pattern) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
    std::size_t n = 0;
    if (find != INVALID_HANDLE_VALUE) {
        do
            ++n;
        while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    return n;
}

void TicksAgainstBarePass(const std::string& root) {
    std::printf("%-9s %12s %14s %8s %16s %16s\n", "pictures", "bare pass ms", "random tick ms", "ratio",
                "name tick ms", "name pass start");
    std::printf("%-9s %12s %14s %8s %16s %16s\n", "", "", "", "(<=1.25)", "(mid-pass)", "ms");
    for (std::size_t count : {100u, 1000u, 10000u}) {
        const std::string game = root + "\\game" + std::to_string(count);
        MakeDirectories(game + "\\EOTBIR");
        const std::string target = TargetPicturePath(game.c_str());
        MakeDirectories(target.substr(0, target.find_last_of('\\')));
        for (std::size_t i = 0; i < count; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "picture%05u.png", static_cast<unsigned>(i));
            WriteFileOfSize(PicturePath(game.c_str(), name), 4096, static_cast<unsigned char>(i));
        }
        const std::string pattern = PicturePattern(game.c_str());
        const std::uint32_t counted = CountPictures(pattern);
        const int rounds = count >= 10000 ? 21 : 61;
        std::vector<double> bare, random, name;
        double passStart = 0;
        for (int round = -1; round < rounds; ++round) {
            const double a = TimeMs([&] { BarePass(pattern); });
            const double b = TimeMs([&] { StepRandom(game.c_str(), counted); });
            const double c = TimeMs([&] { StepByName(game.c_str()); });
            if (round == -1)
                passStart = c;  // the walk starts its pass at this folder's first name tick
            else {
                bare.push_back(a);
                random.push_back(b);
                name.push_back(c);
            }
        }
        // End the walk's pass so the next folder starts one of its own.
        for (std::size_t i = rounds + 1; i <= count; ++i)
            StepByName(game.c_str());
        const double o = Median(random), y = Median(bare);
        std::printf("%-9u %12.2f %14.2f %8.2f %16.3f %16.2f\n", static_cast<unsigned>(count), y, o, o / y,
                    Median(name), passStart);
    }
    std::printf("\n");
}

} // namespace

int main() {
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string root = std::string(temp) + "quillmere-rotation-bench";
    MakeDirectories(root);
    SYSTEMTIME now;
    GetLocalTime(&now);
    std::printf("Rotation benchmark, %04u-%02u-%02u, files in %s\n\n", now.wYear, now.wMonth, now.wDay, root.c_str());
    MemoryOfOneCopy(root);  // first, before anything else raises the peak
    CopyAgainstCopyFile(root);
    TicksAgainstBarePass(root);
    return 0;
}
