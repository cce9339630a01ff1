# Cross toolchain: the same sources for 64-bit Windows, so the Windows tests
# can run where the kernel cannot start 32-bit programs (and so 32-bit Wine).
# Nothing of it ships, so the posix-thread compilers build it and its tests.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLMERE_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# ctest runs the test programs through 64-bit Wine, whatever `wine` picks.
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine64/wine)
