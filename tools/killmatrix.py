#!/usr/bin/env python3
"""Reads what tools/killmatrix-test.sh recorded and prints, per test, how many mutants it alone
kills and how many it helps kill (fewest first: the candidates for merging or removal).

  python3 tools/killmatrix.py DIR [--build build-mutants] [-v]

DIR holds seedN.json (the mutation tool's --json) and seedN/ (KILLMATRIX_DIR of that seed).
-v also lists each test's unique kills. A mutant killed by a timeout has no list of failed tests.
"""
import collections
import glob
import json
import os
import re
import subprocess
import sys

args = sys.argv[1:]
verbose = '-v' in args
build = args[args.index('--build') + 1] if '--build' in args else 'build-mutants'
base = [a for a in args if not a.startswith('-') and a != build][0]
unique, helped = collections.defaultdict(list), collections.Counter()
for j in sorted(glob.glob(base + '/seed*.json')):
    seed = os.path.basename(j)[:-5]
    records = []
    for f in sorted(glob.glob(f'{base}/{seed}/*.txt')):
        diff, _, failed = open(f).read().partition('---\n')
        if diff.strip():
            records.append((diff, [l.split(':', 1)[1] for l in failed.splitlines() if ':' in l]))
    k = 0
    for m in json.load(open(j))['mutants']:
        if not m['outcome'].startswith(('killed', 'survived')):
            continue
        if k >= len(records) or m['before'] not in records[k][0]:
            continue  # stopped at the time limit: no record
        tests = records[k][1]
        k += 1
        for t in tests:
            helped[t] += 1
        if len(tests) == 1:
            unique[tests[0]].append(f"{m['file']}:{m['line']} {m['before'].strip()} -> {m['after'].strip()}")
listed = subprocess.run(['ctest', '--test-dir', build, '-N'], capture_output=True, text=True).stdout
names = [l.split(': ', 1)[1].strip() for l in listed.splitlines() if re.match(r'\s*Test\s+#', l)]
for t in sorted(names, key=lambda t: (len(unique[t]), helped[t])):
    print(f'{len(unique[t]):3d} {helped[t]:4d}  {t}')
    if verbose:
        for u in unique[t]:
            print('          ' + u)
