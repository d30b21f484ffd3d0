# Cross-compiling for 32-bit Windows with MinGW-w64 (posix thread model, so
# std::thread and std::mutex work). Programs run under Wine through the
# emulator wrapper.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VANDREL_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
