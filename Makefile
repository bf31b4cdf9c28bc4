# The everyday commands: `make run` builds the programs and solves a bundled example; `make
# check` builds them with their tests and runs the unit, end-to-end and output digest tests;
# `make test` builds everything and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/9x9_hard.txt

PREFIX ?= /usr/local
DESTDIR ?=

SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer
VALGRIND = valgrind --quiet --error-exitcode=99 --leak-check=full \
	--errors-for-leak-kinds=definite,indirect --show-leak-kinds=definite,indirect
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = fuzz_run9 fuzz_run16 fuzz_run25 fuzz_options fuzz_exact9 fuzz_exact16

.PHONY: all deps test-deps build programs run check test test-alone test-sanitizers test-threads \
	test-valgrind test-fuzz install uninstall package clean

all: build

# Configures quietly but for the lines that say whether the learner is linked, and how.
CONFIGURE = mkdir -p $(BUILD) && { cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release \
	> $(BUILD)/configure.log || { cat $(BUILD)/configure.log; exit 1; }; } && \
	sed -n -e 's/^-- Learner: /Learner: /p' -e 's/^-- Linking: /Linking: /p' $(BUILD)/configure.log
# What a command needs beyond what is installed, installed only as root with apt-get (say
# `make deps` for all of it); tools/deps.sh says what it does.
DEPS = sh tools/deps.sh

deps:
	@$(DEPS) build learner tests package suite

# What the whole suite needs, lintian for the package test among it, before anything is built.
test-deps: deps

build:
	@$(DEPS) build learner tests
	@$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS)

# The three programs and their pages alone, without the tests, so that a first `make run` is
# quick.
programs:
	@$(DEPS) build learner
	@$(CONFIGURE)
	cmake --build $(BUILD) -j $(JOBS) --target sudoku9 sudoku16 sudoku25 manual_pages

run: programs
	$(BUILD)/sudoku9 -n < $(EXAMPLE)

# The edit, build and test loop: every test of the release build but the install and package.
check: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) -E '^install\.'

# Every test: the suite on the release build, again on a build without the learner, on an
# AddressSanitizer and UndefinedBehaviorSanitizer build, the threaded parts on a
# ThreadSanitizer build, the end-to-end suite under valgrind, and a short fuzz run of each
# target.
test: test-deps build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) test-alone test-sanitizers test-threads test-valgrind test-fuzz

# sudoku16 and sudoku25 as a machine without CaDiCaL builds them: the same bytes, the hardest
# 25 by 25 grids slower, and so the digests of the files its search answers within their limit.
test-alone:
	cmake -S . -B $(BUILD)-alone -DCMAKE_BUILD_TYPE=Release -DSUDOKU_LEARNER=OFF >/dev/null
	cmake --build $(BUILD)-alone -j $(JOBS)
	cd $(BUILD)-alone && ctest --output-on-failure -j $(JOBS) -E '^install\.'

test-sanitizers:
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUDOKU_STATIC=OFF \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" >/dev/null
	cmake --build $(BUILD)-asan -j $(JOBS)
	cd $(BUILD)-asan && UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1 \
		ctest --output-on-failure -j $(JOBS) -E install

# The learner answers on a second thread beside the search: the exact solver's unit tests, the
# end-to-end tests and whole runs on grids that reach the learner, with a second core and
# narrowed to one, all under ThreadSanitizer, failing on any report.
TSAN_OPTIONS = halt_on_error=1:exitcode=66:second_deadlock_stack=1
test-threads:
	cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUDOKU_STATIC=OFF \
		-DCMAKE_CXX_FLAGS="-fsanitize=thread" >/dev/null
	cmake --build $(BUILD)-tsan -j $(JOBS) --target sudoku9 sudoku16 sudoku25 unit_tests16 \
		unit_tests25 e2e_tests
	cd $(BUILD)-tsan && TSAN_OPTIONS=$(TSAN_OPTIONS) ctest --output-on-failure -j $(JOBS) \
		-R '^(sudoku(16|25)\.Exact\.|e2e\..*f25x25_blanked)'
	TSAN_OPTIONS=$(TSAN_OPTIONS) tests/threads/check.sh $(BUILD)-tsan tests/data

# Valgrind needs dynamically linked programs to watch their allocations.
test-valgrind:
	cmake -S . -B $(BUILD)-valgrind -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSUDOKU_STATIC=OFF \
		>/dev/null
	cmake --build $(BUILD)-valgrind -j $(JOBS) --target sudoku9 sudoku16 sudoku25 e2e_tests
	cd $(BUILD)-valgrind && SUDOKU_TEST_WRAPPER="$(VALGRIND)" \
		ctest --output-on-failure -j $(JOBS) -R '^e2e\.'

# Each target from its committed seed corpus, a fixed seed, new inputs kept in a scratch folder.
test-fuzz:
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
		-DSUDOKU_FUZZ=ON -DSUDOKU_TESTS=OFF -DSUDOKU_STATIC=OFF >/dev/null
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target $(FUZZ_TARGETS)
	for t in $(FUZZ_TARGETS); do \
		rm -rf $(BUILD)-fuzz/new/$$t && mkdir -p $(BUILD)-fuzz/new/$$t && \
		$(BUILD)-fuzz/fuzz/$$t -seed=1 -max_total_time=$(FUZZ_SECONDS) -timeout=20 \
			-close_fd_mask=2 -print_final_stats=1 $(BUILD)-fuzz/new/$$t \
			fuzz/corpus/$${t#fuzz_} > $(BUILD)-fuzz/$$t.log 2>&1; \
		status=$$?; tail -n 12 $(BUILD)-fuzz/$$t.log; [ $$status -eq 0 ] || exit 1; \
	done

# Installs under $(DESTDIR)$(PREFIX); uninstall removes what the last install wrote, as its
# manifest lists it, under the same DESTDIR.
install: programs
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	while read -r f || [ -n "$$f" ]; do rm -f "$(DESTDIR)$$f"; done < $(BUILD)/install_manifest.txt

# A Debian binary package of the installed tree (package/build-deb.sh says what goes in it).
package: build
	package/build-deb.sh . $(BUILD)

clean:
	rm -rf $(BUILD) $(BUILD)-alone $(BUILD)-asan $(BUILD)-tsan $(BUILD)-valgrind $(BUILD)-fuzz
