# Set-up and everyday commands. Both `run` and `test` work on a fresh Debian machine as root:
# they install whatever system packages are missing, then configure and build.

PACKAGES := g++ cmake ninja-build pkg-config python3 libgtest-dev googletest \
            libsdl2-dev libicu-dev libedit-dev \
            xvfb x11-utils x11-apps xdotool imagemagick wrk lua5.4 curl time \
            clang libclang-rt-14-dev clang-format groff \
            nodejs vim dpkg-dev
BUILD := build
PGO_BUILD := build-pgo
SAN_BUILD := build-san
FUZZ_BUILD := build-fuzz
FUZZ_SECONDS ?= 600
JOBS ?= $(shell nproc)

PREFIX ?= /usr/local

.PHONY: all deps build retrain run install package test test-sanitized fuzz-build test-fuzz fuzz bench format format-check clean

all: build

# npm only when no npm is found: some Node.js packages bring their own and conflict with it.
deps:
	@missing=""; for p in $(PACKAGES); do \
	  dpkg-query -W -f='$${Status}' $$p 2>/dev/null | grep -q "ok installed" || missing="$$missing $$p"; \
	done; \
	command -v npm >/dev/null || missing="$$missing npm"; \
	if [ -n "$$missing" ]; then \
	  echo "Installing:$$missing"; \
	  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing >/dev/null; \
	fi

# The release build is profile-guided: an instrumented interpreter, built in its own folder,
# runs a training script once; then the release is built with the profiles it wrote (kept for
# later builds; after changing the interpreter, `make retrain` refreshes them).
PGO_PROFILE := $(CURDIR)/$(PGO_BUILD)/profile
PGO_TRAINED := $(PGO_BUILD)/.trained

$(PGO_TRAINED):
	cmake -S . -B $(PGO_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEL_PGO=generate \
	      -DTARNEL_PGO_DIR=$(PGO_PROFILE) -DTARNEL_TESTS=OFF
	cmake --build $(PGO_BUILD) -j $(JOBS) --target tarnel
	rm -rf $(PGO_PROFILE)
	./$(PGO_BUILD)/tarnel bench/training/workload.tn > /dev/null
	touch $@

retrain:
	rm -f $(PGO_TRAINED)
	$(MAKE) build

build: deps $(PGO_TRAINED)
	cmake -S . -B $(BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEL_PGO=use \
	      -DTARNEL_PGO_DIR=$(PGO_PROFILE)
	cmake --build $(BUILD) -j $(JOBS)

run: build
	./$(BUILD)/tarnel examples/hello.tn

# Installs under PREFIX (default /usr/local); DESTDIR, when given, is put before it.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

# The Debian package, built by CPack into $(BUILD)/.
package: build
	cd $(BUILD) && cpack -G DEB
	@ls $(BUILD)/*.deb

test: build format-check
	ctest --test-dir $(BUILD) -j $(JOBS) --output-on-failure
	$(MAKE) test-sanitized
	$(MAKE) test-fuzz

# The same tests once more under AddressSanitizer and UndefinedBehaviorSanitizer.
test-sanitized: deps
	cmake -S . -B $(SAN_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNEL_SANITIZE=ON
	cmake --build $(SAN_BUILD) -j $(JOBS)
	ASAN_OPTIONS=detect_leaks=1 ctest --test-dir $(SAN_BUILD) -j $(JOBS) --output-on-failure

# The libFuzzer targets in fuzz/, built with clang, the fuzzer's instrumentation and the sanitizers.
fuzz-build: deps
	cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DTARNEL_FUZZ=ON -DTARNEL_TESTS=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS) --target fuzz_parse fuzz_run

# Replays the seed corpus (script tests and examples) and a fixed number of seeded mutations.
test-fuzz: fuzz-build
	ctest --test-dir $(FUZZ_BUILD) -j $(JOBS) --output-on-failure

# Fuzzes each target for FUZZ_SECONDS; new inputs are kept in fuzz/corpus/, crashes and hangs
# in fuzz/findings/ (neither is in git).
fuzz: fuzz-build
	sh fuzz/seeds.sh $(FUZZ_BUILD)/seeds
	mkdir -p fuzz/findings
	for target in parse run; do \
	  mkdir -p fuzz/corpus/$$target && \
	  ./$(FUZZ_BUILD)/fuzz/fuzz_$$target fuzz/corpus/$$target $(FUZZ_BUILD)/seeds \
	    -dict=fuzz/tokens.dict -max_total_time=$(FUZZ_SECONDS) -timeout=10 \
	    -artifact_prefix=$(CURDIR)/fuzz/findings/$$target- || exit 1; \
	done

bench: build
	python3 bench/run.py --bin $(BUILD)/tarnel

SOURCES = $(shell find src tests bench fuzz -name '*.cpp' -o -name '*.h')

format: deps
	clang-format -i $(SOURCES)

# The tree stays formatted as .clang-format says.
format-check: deps
	clang-format --dry-run -Werror $(SOURCES)

clean:
	rm -rf $(BUILD) $(PGO_BUILD) $(SAN_BUILD) $(FUZZ_BUILD)
