# Cross toolchain for the 32-bit Windows tests: the posix-thread compilers,
# because GoogleTest needs std::mutex. The end-to-end tests still drive the
# Quillmere.exe of the shipped build (QUILLMERE_SHIPPED_BUILD, see the top
# CMakeLists.txt), made with mingw-i686.cmake.
set(QUILLMERE_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
