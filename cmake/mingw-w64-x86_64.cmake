# Cross build for 64-bit Windows with Debian's mingw-w64, everything linked statically: the parts
# without Qt and their tests start under Wine without any DLL beside them.
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-x86_64-shared.cmake)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
