#!/usr/bin/env python3
"""Checks the product DLL as the host loads it, from its PE headers (objdump -p) and code:

- a 32-bit PE (pei-i386);
- exports exactly DownlaodFunc (ordinal 1) and funcGetInfo (ordinal 2), by undecorated names;
- each export is stdcall: its first return removes its arguments from the stack (3 and 7
  32-bit arguments: "ret $0xc" and "ret $0x1c");
- imports only DLLs of the system, none of the compiler's run-time DLLs.

Usage: check_exports.py <tarvo.dll> [objdump]
"""
import re
import subprocess
import sys

EXPECTED = {'DownlaodFunc': (1, 0xC), 'funcGetInfo': (2, 0x1C)}
SYSTEM_DLLS = {'kernel32.dll', 'user32.dll', 'gdi32.dll', 'comctl32.dll', 'urlmon.dll', 'wininet.dll',
               'ws2_32.dll', 'msvcrt.dll', 'advapi32.dll', 'shell32.dll', 'ole32.dll', 'msimg32.dll'}


def main():
    dll = sys.argv[1]
    objdump = sys.argv[2] if len(sys.argv) > 2 else 'i686-w64-mingw32-objdump'
    headers = subprocess.run([objdump, '-p', dll], check=True, capture_output=True, text=True).stdout
    problems = []

    if not re.search(r'file format pei-i386', headers):
        problems.append('not a 32-bit PE file')
    image_base = int(re.search(r'^ImageBase\s+([0-9a-fA-F]+)', headers, re.M).group(1), 16)
    ordinal_base = int(re.search(r'^Export Address Table -- Ordinal Base (\d+)', headers, re.M).group(1))
    rvas = {int(i): int(rva, 16) for i, rva in
            re.findall(r'^\s+\[\s*(\d+)\] \+base\[\s*\d+\] ([0-9a-fA-F]+) Export RVA', headers, re.M)}
    table = headers.split('[Ordinal/Name Pointer] Table', 1)[1].split('\n\n', 1)[0]
    names = {name: int(i) for i, name in re.findall(r'^\s+\[\s*(\d+)\] (\S+)', table, re.M)}
    if set(names) != set(EXPECTED) or len(rvas) != len(EXPECTED):
        problems.append(f'exports {sorted(names)} ({len(rvas)} addresses), expected {sorted(EXPECTED)}')

    for name, (ordinal, pops) in EXPECTED.items():
        if name not in names:
            continue
        index = names[name]
        if index + ordinal_base != ordinal:
            problems.append(f'{name} has ordinal {index + ordinal_base}, expected {ordinal}')
        start = image_base + rvas[index]
        code = subprocess.run([objdump, '-d', f'--start-address={start:#x}', f'--stop-address={start + 0x2000:#x}',
                               dll], check=True, capture_output=True, text=True).stdout
        ret = re.search(r'\tret\s*(\$0x[0-9a-f]+)?', code)
        if ret is None:
            problems.append(f'{name}: no return found')
        elif ret.group(1) != f'${pops:#x}':
            problems.append(f'{name} returns with "{ret.group(0).strip()}", expected "ret ${pops:#x}" (stdcall)')

    imports = {d.lower() for d in re.findall(r'^\s+DLL Name: (\S+)', headers, re.M)}
    foreign = sorted(imports - SYSTEM_DLLS)
    if foreign:
        problems.append(f'imports DLLs that are not the system\'s: {foreign}')

    for p in problems:
        print(f'{dll}: {p}')
    if not problems:
        print(f'{dll}: PE32, exports DownlaodFunc @1 and funcGetInfo @2 (stdcall), imports {sorted(imports)}')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
