# The two everyday commands: `make run` builds and solves a bundled example;
# `make test` builds everything and runs every test.
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
EXAMPLE ?= examples/9x9_hard.txt

PREFIX ?= /usr/local
DESTDIR ?=

.PHONY: all build run test install uninstall package clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release >/dev/null
	cmake --build $(BUILD) -j $(JOBS)

run: build
	$(BUILD)/sudoku9 -n < $(EXAMPLE)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Installs under $(DESTDIR)$(PREFIX); uninstall removes what the last install wrote.
install: build
	DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"
	gzip -9nf $(foreach p,sudoku9 sudoku16 sudoku25,"$(DESTDIR)$(PREFIX)/share/man/man6/$(p).6")

uninstall:
	@test -f $(BUILD)/install_manifest.txt || { echo "nothing installed from $(BUILD)"; exit 1; }
	while read -r f || [ -n "$$f" ]; do rm -f "$(DESTDIR)$$f" "$(DESTDIR)$$f.gz"; done \
		< $(BUILD)/install_manifest.txt

package: build
	cd $(BUILD) && cpack -G DEB

clean:
	rm -rf $(BUILD)
