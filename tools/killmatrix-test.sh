#!/usr/bin/env bash
# A test command for the mutation tool that also records WHICH tests fail for each mutant, so that
# tools/killmatrix.py can say what every test alone catches. Usage, from the project root:
#   KILLMATRIX_DIR=/tmp/km/seed11 python3 ../shared/tools/mutants.py --seed 11 --count 40 \
#     --test-cmd tools/killmatrix-test.sh --json /tmp/km/seed11.json
# Each run writes NNNN.txt into KILLMATRIX_DIR: the mutation's diff, "---", then ctest's list of
# failed tests. The exit status is ctest's, so the tool's verdict is unchanged.
set -u
dir=${KILLMATRIX_DIR:?set KILLMATRIX_DIR}
build=${KILLMATRIX_BUILD:-build-mutants}
mkdir -p "$dir"
n=$(find "$dir" -name '*.txt' | wc -l)
rm -f "$build/Testing/Temporary/LastTestsFailed.log"
ctest --test-dir "$build" -j"$(nproc)" --timeout 60 -Q >/dev/null 2>&1
rc=$?
{ git diff -U0 src | grep -v '^+++\|^---\|^diff\|^index'; echo ---
  cat "$build/Testing/Temporary/LastTestsFailed.log" 2>/dev/null; } >"$dir/$(printf %04d "$n").txt"
exit $rc
