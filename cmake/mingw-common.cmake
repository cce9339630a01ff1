# What the mingw-w64 toolchains share; the including file sets
# CMAKE_SYSTEM_PROCESSOR, which names the compilers, and
# QUILLMERE_MINGW_THREADS, which picks the thread model: "posix" (needed by
# GoogleTest, which uses std::mutex; the win32 variant of GCC 12 lacks it) or
# "win32" (no libwinpthread, so nothing newer than Windows XP is imported).
set(CMAKE_SYSTEM_NAME Windows)
set(triplet ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_C_COMPILER ${triplet}-gcc-${QUILLMERE_MINGW_THREADS})
set(CMAKE_CXX_COMPILER ${triplet}-g++-${QUILLMERE_MINGW_THREADS})
set(CMAKE_RC_COMPILER ${triplet}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${triplet})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
unset(triplet)
