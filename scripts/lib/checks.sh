# What scripts/test --sanitize and scripts/fuzz add to the set-up: a second
# build under the sanitizers, a clang build of the fuzz targets, and the
# compilers they need. Sourced after setup.sh; safe to repeat.

MARLU_SANITIZE_BUILD=${MARLU_SANITIZE_BUILD:-$MARLU_ROOT/build-sanitize}
MARLU_FUZZ_BUILD=${MARLU_FUZZ_BUILD:-$MARLU_ROOT/build-fuzz}

# clang and its runtime libraries (libFuzzer, the sanitizers); only asked for
# by the fuzz build, so the everyday set-up stays as it was.
marlu_install_clang() {
  marlu_packages+=(clang libclang-rt-14-dev)
  marlu_install_packages
}

# How a sanitized program reports: undefined behaviour ends the program; a
# leak in the toolkit's own keeping is suppressed (see the file for each).
marlu_sanitizer_env() {
  local supp=$MARLU_ROOT/tests/sanitizer/lsan.supp
  export ASAN_OPTIONS=detect_leaks=1
  export LSAN_OPTIONS=suppressions=$supp:print_suppressions=0
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  # No suite draws with OpenGL; without the GL integration the X11 suites do
  # not load Mesa's driver, whose per-display state would show as a leak
  # whose stack ends in an unloaded module.
  export QT_XCB_GL_INTEGRATION=none
}

marlu_setup_sanitized() {
  marlu_install_packages
  marlu_install_npm
  marlu_data
  marlu_build_in "$MARLU_SANITIZE_BUILD" -DMARLU_SANITIZE=ON -DMARLU_DATA_DIR="$MARLU_DATA"
}

marlu_setup_fuzz() {
  marlu_install_clang
  # The fuzz targets only: the application is built and tested by the other builds.
  CC=clang CXX=clang++ marlu_build_in "$MARLU_FUZZ_BUILD" -DMARLU_FUZZ=ON -- \
    fuzz_geocode fuzz_directions fuzz_steps fuzz_nmea
}
