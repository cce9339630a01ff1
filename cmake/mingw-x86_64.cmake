# Cross toolchain: the same sources for 64-bit Windows, the shipped build's
# twin. Nothing of it ships and no test runs it (the Windows tests run the
# shipped 32-bit build, natively or under qemu-user); the test command only
# compiles it, which catches what a 64-bit pointer breaks (a handle or
# pointer squeezed into a LONG or a DWORD) before a 64-bit Windows build does.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(QUILLMERE_MINGW_THREADS posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
