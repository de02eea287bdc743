#!/usr/bin/env bash
# A long run of the frame and record readers over random bytes: builds the
# readers' tests with many more cases than ./test uses and runs them.
#   tests/net/fuzz-long.sh [cases]    (default 20000000)
set -euo pipefail
cd "$(dirname "$0")/../.."
cases=${1:-20000000}
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZANTA_SANITIZE=address \
    -DBUILD_TESTING=ON -DZANTA_BUILD_BENCH=OFF -DZANTA_NET_FUZZ_CASES="$cases" >/dev/null
cmake --build build/fuzz --target session_tests netsession_tests --parallel "$(nproc)"
export QT_QPA_PLATFORM=offscreen
build/fuzz/bin/session_tests --gtest_filter='SessionWire.*'
build/fuzz/bin/netsession_tests --gtest_filter='NetRecords.Random*'
