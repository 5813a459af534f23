# Thin wrapper over CMake presets. Every target installs missing Debian
# packages first, so each command works on a fresh machine.
.PHONY: deps configure build test run bench asan-test clean

deps:
	@scripts/install-deps.sh

configure: deps
	@test -f build/build.ninja || cmake --preset default

build: configure
	cmake --build --preset default

test: build
	ctest --preset default -j2

# Starts the program on a copy of the demo workspace (build/demo, made once,
# so trying things out never changes a tracked file). A first run creates
# the settings file beside the program with the stand-in compiler's folder
# and the demo's key definition file.
run: build
	@test -d build/demo || cp -R demo build/demo
	@test -f build/VKBUILD.INI || printf '[VKC]\r\nPATH=%s\r\nKEYDEF=%s\r\n' "$(CURDIR)/build/vkc" "$(CURDIR)/build/demo/KeyDef.Txt" | iconv -f UTF-8 -t CP932 > build/VKBUILD.INI
	build/vkbuilder $(CURDIR)/build/demo/hello.r $(CURDIR)/build/demo/util.h $(CURDIR)/build/demo/mistake.r

bench: build
	scripts/run-bench.sh

asan-test: deps
	@test -f build-asan/build.ninja || cmake --preset asan
	cmake --build --preset asan
	ctest --preset asan -j2

clean:
	rm -rf build build-asan
