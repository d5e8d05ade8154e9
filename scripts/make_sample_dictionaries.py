#!/usr/bin/env python3
"""Writes the demo host's dictionaries sample/data/{AuthDB,PubDB,LabelsDB}.dat from their
readable UTF-8 sources in sample/data/src/*.txt: Shift-JIS (code page 932), lines ended by CR LF.
Source lines starting with "#" and empty lines are left out."""
from pathlib import Path

DATA = Path(__file__).resolve().parent.parent / "sample" / "data"

for name in ("AuthDB", "PubDB", "LabelsDB"):
    source = (DATA / "src" / f"{name}.txt").read_text(encoding="utf-8")
    lines = [line for line in source.splitlines() if line.strip() and not line.startswith("#")]
    (DATA / f"{name}.dat").write_bytes("".join(line + "\r\n" for line in lines).encode("cp932"))
    print(f"{name}.dat: {len(lines)} entries")
