#!/usr/bin/env python3
"""Compares what the Linux and the Windows platform layers make of code page 932.

Runs tarvo_cp932_dump of both builds (the Windows one under Wine) and compares them line by
line: every lead byte x trail byte to UTF-16 and back, every single byte, every UTF-16 unit
outside the surrogates, and a few texts with surrogates. A difference passes only when the
tolerated list names its line key ("pair 8790", "unit U+00A5", or a pattern such as "lone ??FD")
with the reason; tolerated entries that no longer differ are reported too, so the list stays true.
"""
import argparse
import fnmatch
import subprocess
import sys


def dump(command):
    out = subprocess.run(command, check=True, capture_output=True, timeout=300).stdout.decode('ascii')
    lines = {}
    for line in out.splitlines():
        kind, rest = line.split(' ', 1)
        key = kind + ' ' + rest.split(' ', 1)[0]
        lines[key] = line
    return lines


def tolerated(path):
    entries = {}
    with open(path, encoding='utf-8') as f:
        for line in f:
            line = line.strip()
            if not line or line.startswith('#'):
                continue
            kind, key, reason = line.split(None, 2)
            entries[kind + ' ' + key] = reason
    return entries


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument('--linux', required=True)
    parser.add_argument('--windows', required=True)
    parser.add_argument('--wine-run', required=True)
    parser.add_argument('--tolerated', required=True)
    args = parser.parse_args()

    linux = dump([args.linux])
    windows = dump([args.wine_run, args.windows])
    allowed = tolerated(args.tolerated)
    if set(linux) != set(windows):
        print('the dumps cover different codes:', sorted(set(linux) ^ set(windows))[:10])
        return 1

    def reason_for(key):
        return next((reason for pattern, reason in allowed.items() if fnmatch.fnmatchcase(key, pattern)), None)

    unexpected = []
    differing = {}
    for key in linux:
        if linux[key] != windows[key]:
            differing[key] = (linux[key], windows[key])
            if reason_for(key) is None:
                unexpected.append(key)
    pairs = sum(1 for k in linux if k.startswith('pair '))
    units = sum(1 for k in linux if k.startswith('unit '))
    print(f'{pairs} two-byte codes, {units} UTF-16 units, {len(linux) - pairs - units} other lines compared; '
          f'{len(differing)} differ, {len(differing) - len(unexpected)} of them tolerated')
    by_reason = {}
    for key in differing:
        if reason_for(key) is not None:
            by_reason.setdefault(reason_for(key), []).append(key)
    for reason, keys in by_reason.items():
        print(f'  tolerated ({len(keys)}): {reason}')
    for key in unexpected:
        print(f'DIFFERENT  linux:   {differing[key][0]}\n           windows: {differing[key][1]}')
    stale = sorted(p for p in allowed if not any(fnmatch.fnmatchcase(k, p) for k in differing))
    for key in stale:
        print(f'STALE      {key} is listed as tolerated but does not differ')
    return 1 if unexpected or stale else 0


if __name__ == '__main__':
    sys.exit(main())
