# Quick start: `make demo` builds and runs the demo, `make test` builds and
# runs the test suite. Both install missing Debian packages first.
BUILD ?= build
JOBS ?= $(shell nproc)

.PHONY: setup build demo test bench python format clean

setup:
	@bash scripts/setup.sh

build: setup
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release -DLINEGEN_WERROR=ON \
	  -DLINEGEN_BUILD_PYTHON=ON -DPython3_EXECUTABLE=/usr/bin/python3
	cmake --build $(BUILD) -j $(JOBS)

demo: build
	@bash scripts/demo.sh $(BUILD)

test: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

bench: build
	$(BUILD)/bench/linegen_bench

# The Python package, installed into .venv (which sees Debian's NumPy); no
# package index is needed.
python: setup
	/usr/bin/python3 -m venv --system-site-packages .venv
	.venv/bin/pip install --no-build-isolation --no-index ./python

format:
	git ls-files '*.h' '*.cpp' | xargs clang-format -i

clean:
	rm -rf $(BUILD)
