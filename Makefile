# The two commands of a fresh machine: `make demo` and `make test`.
.PHONY: all bootstrap dist demo test clean

all: dist

bootstrap:
	@scripts/bootstrap

dist: bootstrap
	@scripts/build-dist

demo: bootstrap
	@scripts/demo

test: bootstrap
	@scripts/run-tests

clean:
	rm -rf build dist out
