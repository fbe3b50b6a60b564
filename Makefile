# One-command entry points. Each installs what is missing first (scripts/install-deps): make run
# only what building and running the program needs, the others also what tests need.
BUILD      ?= build
BUILD_ASAN ?= build-asan
BUILD_TSAN ?= build-tsan
BUILD_FUZZ ?= build-fuzz
BUILD_ARM64 ?= build-arm64
FUZZ_SECONDS ?= 60
CTEST_JOBS ?= 2
CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo

.PHONY: all deps deps-run deps-arm64 program build run test check asan tsan fuzz package \
    package-arm64 format clean

all: program

deps-run:
	@scripts/install-deps run

deps:
	@scripts/install-deps test

deps-arm64:
	@scripts/install-deps arm64

# The program alone (and the headless one that zeb --headless starts), in a tree that leaves
# out tests and benchmarks whose packages are missing.
program: deps-run
	@[ -f $(BUILD)/build.ninja ] || $(CONFIGURE)
	cmake --build $(BUILD) --target zeb zeb-headless

# Everything. Configured again each time, so packages installed since the last run are found.
build: deps
	$(CONFIGURE) -DZEB_TESTS=ON -DZEB_BENCH=ON
	cmake --build $(BUILD)

run: program
	@scripts/run-zeb $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(CTEST_JOBS)

# The whole suite again under AddressSanitizer + UndefinedBehaviorSanitizer (with one whole
# run of the program, e2e_sanitized), the capture and lamp-driver tests under ThreadSanitizer,
# and every fuzz target for FUZZ_SECONDS.
check: test asan tsan fuzz

asan: deps
	@[ -f $(BUILD_ASAN)/build.ninja ] || cmake -S . -B $(BUILD_ASAN) -G Ninja \
	    -DCMAKE_BUILD_TYPE=Debug -DZEB_SANITIZE=ON -DZEB_TESTS=ON -DZEB_BENCH=OFF
	cmake --build $(BUILD_ASAN)
	cd $(BUILD_ASAN) && ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp \
	    ctest --output-on-failure -j $(CTEST_JOBS) -LE no-sanitizer

tsan: deps
	@[ -f $(BUILD_TSAN)/build.ninja ] || cmake -S . -B $(BUILD_TSAN) -G Ninja \
	    -DCMAKE_BUILD_TYPE=Debug -DZEB_TSAN=ON -DZEB_TESTS=ON -DZEB_GUI=OFF -DZEB_BENCH=OFF
	cmake --build $(BUILD_TSAN)
	cd $(BUILD_TSAN) && ctest --output-on-failure -j $(CTEST_JOBS) -L 'capture|threads'

fuzz: deps
	@[ -f $(BUILD_FUZZ)/build.ninja ] || CC=clang CXX=clang++ cmake -S . -B $(BUILD_FUZZ) -G Ninja \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZEB_FUZZ=ON -DZEB_TESTS=OFF -DZEB_GUI=OFF -DZEB_BENCH=OFF
	cmake --build $(BUILD_FUZZ)
	scripts/run-fuzz $(BUILD_FUZZ) $(FUZZ_SECONDS)

# zeb-headless and zeb, the two Debian packages, built from what they install (the programs,
# the DMX module, the manual page and the changelog), also in a tree `make run` configured.
package: deps-run
	@[ -f $(BUILD)/build.ninja ] || $(CONFIGURE)
	cmake --build $(BUILD) --target zeb_installed_files
	cd $(BUILD) && cpack -G DEB

# Tests that hang under qemu's user-mode emulator (qemu 7.2 of Debian 12): those with a real
# sound server, the real serial, FTDI and DMX drivers' threads, the tempo tracker's and the web
# server's threads, the program's olad and serial-loss watches, and the device factory. They
# run natively in `make test`; on arm64 hardware they have not been run yet.
ARM64_EMULATOR_EXCLUDE ?= Writing.NewFilesThatInterruptedSaves|PulseServerTest|PulseWithoutServer|SourceFollowing|StartVolume|RealDevicesTest|LinuxSerialPort|LibSerialPort|DmxSenderTest.AHangingDaemon|SimulatedDevicesTest.FactoryWithoutAFolder|ProgramTest.TheHeadlessStatusNamesALostOlad|ProgramTest.TheOutputsInUseNameALostOlad|TempoTracker.EachCaptureIsFollowed|SerialPortLoss|WebServerTest.AChangeIsCarriedOutOnTheProgramsThread|WebServerTest.ARenewedTokenEndsTheOpenStreams|WebServerTest.AnEndingProgramAnswersTheChangesStillWaiting

# Both packages for 64-bit ARM (Raspberry Pi OS), cross-built in $(BUILD_ARM64) with Debian's
# cross toolchain; the Qt-free tests and a whole run of the service program pass under qemu
# before the packages are written, and lintian judges them.
package-arm64: deps-arm64
	@[ -f $(BUILD_ARM64)/build.ninja ] || cmake -S . -B $(BUILD_ARM64) -G Ninja \
	    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_TOOLCHAIN_FILE=cmake/aarch64-linux-gnu.cmake \
	    -DZEB_TESTS=ON -DZEB_BENCH=OFF
	cmake --build $(BUILD_ARM64)
	cd $(BUILD_ARM64) && ctest --output-on-failure -j $(CTEST_JOBS) --timeout 300 \
	    -E '$(ARM64_EMULATOR_EXCLUDE)'
	cd $(BUILD_ARM64) && cpack -G DEB

format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf $(BUILD) $(BUILD_ASAN) $(BUILD_TSAN) $(BUILD_FUZZ) $(BUILD_ARM64)
