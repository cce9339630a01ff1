# Cross toolchain: 32-bit Windows through mingw-w64, the build that ships.
# The win32-thread compilers: with the posix ones every C++ program links
# libwinpthread (libstdc++'s guards for static locals and its exception pool
# lock through it), which imports GetTickCount64, absent before Vista.
# GoogleTest cannot build with them; the 32-bit tests use mingw-i686-tests.cmake.
set(CMAKE_SYSTEM_PROCESSOR i686)
if(NOT DEFINED QUILLMERE_MINGW_THREADS)
  set(QUILLMERE_MINGW_THREADS win32)
endif()
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
# ctest runs the Windows test programs through 32-bit Wine, natively or under
# qemu-user as this machine allows (see scripts/wine-env.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine32)
