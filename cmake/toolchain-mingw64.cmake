# Cross build for 64-bit Windows with Debian's mingw-w64 (POSIX thread model,
# so that std::thread and friends exist). Tests run under Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One self-contained executable: the C and C++ runtimes and winpthread are
# linked in, so nothing of the compiler has to travel with the program.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")

# -O2 as in the Linux build: at -O3 GCC 12 reports false -Wrestrict and
# -Wstringop-overflow warnings inside std::string, which -Werror turns into
# failed builds.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of release builds")
set(CMAKE_C_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "Flags of release builds")

set(CMAKE_CROSSCOMPILING_EMULATOR "env;WINEDEBUG=-all;wine")
