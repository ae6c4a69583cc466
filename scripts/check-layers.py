#!/usr/bin/env python3
"""Checks that includes run down the layers: every project include of a file below app/ names
a folder of its own layer or of one beneath it. Prints each offending include; exit status 1
when there is one.

    python3 scripts/check-layers.py [source root]
"""
import pathlib
import re
import sys

BOTTOM = {"platform", "common"}
# Folder -> the folders its files may include (besides its own).
ALLOWED = {
    "platform": {"platform"},
    "common": BOTTOM,
    "transport": BOTTOM | {"transport"},
    "modbus": BOTTOM | {"transport", "modbus"},
    "instruments": BOTTOM | {"transport", "instruments"},
    "discovery": BOTTOM | {"transport", "modbus", "discovery"},
    "thermo": BOTTOM | {"thermo"},
    "chart": BOTTOM | {"chart"},
    # The simulated bench stands in for the instruments, beside the transport.
    "sim": BOTTOM | {"transport", "thermo", "sim"},
}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"/]+)/')


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    bad = []
    for layer, allowed in ALLOWED.items():
        for path in sorted((root / layer).rglob("*")):
            if path.suffix not in (".h", ".cpp", ".c"):
                continue
            for number, line in enumerate(path.read_text(errors="replace").splitlines(), 1):
                m = INCLUDE.match(line)
                if m and m.group(1) not in allowed:
                    bad.append(f"{path.relative_to(root)}:{number}: {line.strip()}")
    for b in bad:
        print(b)
    print(f"{len(bad)} upward includes")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
