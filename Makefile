# The two commands of the README. Each installs what it needs first.
.PHONY: test deps bench clean

test: deps
	./scripts/test-all.sh

deps:
	./scripts/install-deps.sh

bench: deps
	cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build/host --target echo_bench
	./build/host/bench/echo_bench

clean:
	rm -rf build
