# Cross-building for 64-bit ARM (Raspberry Pi OS, Debian arm64) on a Debian amd64 machine with
# Debian's cross toolchain (crossbuild-essential-arm64) and the :arm64 development packages of
# multiarch (scripts/install-deps arm64). Test programs run through qemu's user-mode emulator.
#     cmake -S . -B build-arm64 -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR aarch64)
set(CMAKE_C_COMPILER aarch64-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER aarch64-linux-gnu-g++)
# Multiarch keeps the arm64 libraries, their pkg-config files and CMake packages under
# /usr/lib/aarch64-linux-gnu; the wrapper reads only those .pc files.
set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-gnu)
set(PKG_CONFIG_EXECUTABLE aarch64-linux-gnu-pkg-config CACHE FILEPATH "pkg-config for arm64")
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
# libftdi1's and OLA's development files, which multiarch cannot install for arm64 beside the
# amd64 ones: scripts/install-deps arm64 unpacks them here.
set(ZEB_ARM64_OVERLAY /opt/zeb-cross/aarch64-linux-gnu CACHE PATH
    "the unpacked arm64 development files of libftdi1 and OLA")
set(ENV{PKG_CONFIG_PATH} ${ZEB_ARM64_OVERLAY}/usr/lib/aarch64-linux-gnu/pkgconfig)

# Qt's code generators (moc, rcc, uic) run on the build machine: the host's Qt of the same
# version (qt6-base-dev-tools) provides them.
set(QT_HOST_PATH /usr CACHE PATH "the build machine's Qt")
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake CACHE PATH "its CMake packages")

# The cross libc's loader lives under /usr/aarch64-linux-gnu; the multiarch libraries are found
# at their own paths.
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-aarch64-static -L /usr/aarch64-linux-gnu)
