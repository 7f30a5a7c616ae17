# The two everyday commands:
#   make run    build the command line and convert the bundled sample map
#   make test   build everything (native, sanitizers, Windows) and run every test
# Both install the Debian packages they need first.
#
# Installing and packaging (a Release build of the command line in $(DIST)):
#   make install [PREFIX=/usr/local] [DESTDIR=/abs/root]   tessella, tessella.1, bash completion
#   make package            the Debian package $(DIST)/tessella_VERSION-1_ARCH.deb
#   make package-windows    the zip of tessella-cli.exe, Tessella.exe, the Windows page, the README
#                           and the sample, in build/mingw

JOBS ?= 2
SAMPLE_OUT := sample-output
PREFIX ?= /usr/local
DIST ?= build/dist

.PHONY: run test test-native test-windows build-windows windows run-windows bench clean deps deps-windows \
	dist install package package-windows

deps:
	tools/install-build-deps.sh

deps-windows:
	tools/install-windows-deps.sh

run:
	tools/install-build-deps.sh --minimal
	cmake -S . -B build/run -DCMAKE_BUILD_TYPE=Release -DTESSELLA_BUILD_TESTS=OFF > /dev/null
	cmake --build build/run -j$(JOBS) --target tessella
	rm -rf $(SAMPLE_OUT) && mkdir -p $(SAMPLE_OUT)
	cp samples/east-asia.bmp $(SAMPLE_OUT)/
	build/run/cli/tessella probe $(SAMPLE_OUT)/east-asia.bmp
	build/run/cli/tessella convert $(SAMPLE_OUT)/east-asia.bmp --name "East Asia" --folder eastasia \
	    --top-left 47:48:45,120:56:15 --bottom-right 30:56:15,146:15:00 \
	    --east-west 2178179 --north-south 1872281
	@echo "Written into $(SAMPLE_OUT)/:"
	@cd $(SAMPLE_OUT) && find eastasia.vlm eastasia -type f | sort | xargs ls -l | awk '{print "  " $$5 "\t" $$9}'

dist:
	tools/install-build-deps.sh --minimal
	cmake -S . -B $(DIST) -DCMAKE_BUILD_TYPE=Release -DTESSELLA_BUILD_TESTS=OFF \
	    -DCMAKE_INSTALL_PREFIX=$(PREFIX) > /dev/null
	cmake --build $(DIST) -j$(JOBS)

install: dist
	DESTDIR="$(DESTDIR)" cmake --install $(DIST)

package: dist
	cd $(DIST) && cpack -G DEB

package-windows: windows
	cd build/mingw && cpack -G ZIP

# The Windows programs are built first, so that the native test run also runs the command
# line's end-to-end tests against tessella.exe under Wine; the dialog tests come last.
WINDOWS_CLI := $(CURDIR)/build/mingw/cli/tessella.exe

test: deps deps-windows
	$(MAKE) build-windows
	$(MAKE) test-native WITH_WINDOWS_CLI=1
	$(MAKE) test-windows

test-native:
	cmake --preset dev -DTESSELLA_WINDOWS_CLI=$(if $(WITH_WINDOWS_CLI),$(WINDOWS_CLI),) > /dev/null
	cmake --build --preset dev -j$(JOBS)
	ctest --preset dev -j$(JOBS)

build-windows:
	cmake --preset mingw > /dev/null
	cmake --build --preset mingw -j$(JOBS)

test-windows: build-windows
	ctest --preset mingw

windows:
	tools/install-build-deps.sh --minimal
	tools/install-windows-deps.sh
	$(MAKE) build-windows

run-windows: windows
	tools/wine/run-tessella.sh

bench: deps
	cmake --preset release > /dev/null
	cmake --build --preset release -j$(JOBS)
	bench/compare.sh

clean:
	rm -rf build $(SAMPLE_OUT)
