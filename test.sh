#!/usr/bin/env bash
# Installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and runs
# every test (labels unit, x11 and e2e) inside a private X display, session bus and keyring.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/deps.sh
build=build/sanitize
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUOR_SANITIZE=ON -DQUOR_DEVELOPMENT=ON
# CMake 3.25 does not re-run moc when a globbed folder gains a Q_OBJECT header in an existing
# build tree; dropping the autogen stamps makes it rescan (it only regenerates what changed).
find "$build" -path '*_autogen/timestamp' -delete 2>/dev/null || true
cmake --build "$build" ${QUOR_BUILD_JOBS:+-j "$QUOR_BUILD_JOBS"}
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0:detect_stack_use_after_return=0"
export LSAN_OPTIONS="suppressions=$PWD/scripts/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
exec ./scripts/with-test-env.sh ctest --test-dir "$build" --output-on-failure -j "${QUOR_TEST_JOBS:-$(nproc)}" "$@"
