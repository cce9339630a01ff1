// Stands in for the import of GetThreadId, which XP lacks, where the runtime
// asks for it. GCC 13 and later build the win32-thread runtime for Vista:
// its thread comparison calls GetThreadId, and that object comes with the
// runtime's mutexes, which every thrown exception may take. XP's loader
// refuses a program with an import it cannot find, so the import is defined
// here instead: Vista's own function where the system has one, else the same
// answer from NtQueryInformationThread, which XP has. Linked into the
// executable itself, ahead of the import libraries; GCC 12 needs none of it.
#if defined(__MINGW32__) && __GNUC__ >= 13

#include <windows.h>

namespace {

// The start of NtQueryInformationThread's ThreadBasicInformation (class 0).
struct ThreadBasicInformation {
    LONG exitStatus;
    PVOID teb;
    HANDLE process, thread; // its client id
    ULONG_PTR affinityMask;
    LONG priority, basePriority;
};

template <typename Function> Function Find(const char* module, const char* name) {
    const HMODULE loaded = GetModuleHandleA(module);
    return loaded == nullptr ? nullptr
                             : reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(loaded, name)));
}

DWORD WINAPI GetThreadIdOnAnyWindows(HANDLE thread) {
    if (const auto own = Find<DWORD(WINAPI*)(HANDLE)>("kernel32.dll", "GetThreadId"))
        return own(thread);
    ThreadBasicInformation information = {};
    const auto query = Find<LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG)>("ntdll.dll", "NtQueryInformationThread");
    if (query == nullptr || query(thread, 0, &information, sizeof information, nullptr) < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return 0;
    }
    return static_cast<DWORD>(reinterpret_cast<ULONG_PTR>(information.thread));
}

} // namespace

// The import's own name, so that the import library's entry is never needed.
#ifdef _WIN64
#define QUILLMERE_GET_THREAD_ID_IMPORT "__imp_GetThreadId"
#else
#define QUILLMERE_GET_THREAD_ID_IMPORT "__imp__GetThreadId@4"
#endif
extern "C" {
DWORD(WINAPI* quillmereGetThreadIdImport)(HANDLE) __asm__(QUILLMERE_GET_THREAD_ID_IMPORT) = GetThreadIdOnAnyWindows;
}

#endif
