# Kestrum32 top-level commands. The two a newcomer needs: `make run` and `make test`.
PREFIX_DIR ?= $(HOME)/.local/share/kestrum32
JOBS ?= 2

.PHONY: all build deps test run bench install installer screenshots clean

all: build

deps:
	@tools/install-deps.sh

build/win/build.ninja:
	cmake -S . -B build/win -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake
build/native/build.ninja:
	cmake -S . -B build/native -G Ninja

build: deps build/win/build.ninja build/native/build.ninja
	cmake --build build/native -j $(JOBS)
	cmake --build build/win -j $(JOBS)

test:
	@tools/run-tests.sh

# Installs the program folder (survives rebuilds and make clean) and starts the program in it.
install: build
	tools/install-program.sh "$(PREFIX_DIR)"

run: install
	tools/run-program.sh "$(PREFIX_DIR)"

# The Windows installer: build/win/installer/Kestrum32-<version>-setup.exe.
installer: deps build/win/build.ninja
	cmake --build build/win -j $(JOBS) --target installer

# Pictures of the program's windows in docs/ (the README shows docs/kestrum32.png).
screenshots: deps build/win/build.ninja
	cmake --build build/win -j $(JOBS) --target kestrm32 kspdx kscf ks_help arcdesc ks_shots
	tools/take-screenshots.sh

bench: build
	tools/run-bench.sh

clean:
	rm -rf build
