#!/usr/bin/env bash
# Installs what is missing, builds Quirel and runs every test.
# With --sanitize it builds into build-sanitize/ with AddressSanitizer and UndefinedBehaviorSanitizer
# instead, and a sanitizer report fails the test that made it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
if [ "${1:-}" = --sanitize ]; then
  flags="-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined"
  cmake -S . -B build-sanitize -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_FLAGS="$flags" -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
  cmake --build build-sanitize -j"$(nproc)"
  # Leaks inside system libraries (caches never freed) are suppressed by name; a leak in our own
  # code still fails. An impossible allocation returns null as plain malloc does, rather than
  # aborting: Qt asks for what a hostile settings value claims and copes with the refusal.
  export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:allocator_may_return_null=1"
  export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
  export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
  cd build-sanitize
else
  scripts/build.sh
  cd build
fi
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)"
