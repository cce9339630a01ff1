// libFuzzer entry point: a mismatch between the code and its model aborts, so
// libFuzzer saves the input as a crash artifact.
#include "FuzzCheck.h"

#include <cstdio>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string report;
    if (!fuzz::CheckInput(data, size, report)) {
        std::fprintf(stderr, "%s: MISMATCH: %s\n", fuzz::kTargetName, report.c_str());
        std::abort();
    }
    return 0;
}
