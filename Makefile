# The commands of the README. Each installs what it needs first.
.PHONY: test deps bench run dist coverage clean

test: deps
	./scripts/test-all.sh

deps:
	./scripts/install-deps.sh

bench: deps
	cmake -S . -B build/host -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
	cmake --build build/host --target echo_bench
	./build/host/bench/echo_bench

# The program under Wine on your display and sound devices, or on virtual ones (a rehearsed
# session that leaves a screenshot, recordings and a picture in out/).
run: deps
	./scripts/run.sh

# The release: dist/sorvanta-VERSION-win32.zip with the tested 32-bit program, its Japanese readme
# and the notices of its runtime; prints the SHA-256 of the program and of the zip.
dist: deps
	./scripts/dist.sh

# The product's line and branch coverage by the host tests, and the lines no test reaches.
coverage: deps
	./scripts/coverage.sh

clean:
	rm -rf build dist
