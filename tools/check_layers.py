#!/usr/bin/env python3
"""Checks that every include in src/ points down the layers, never up or sideways.

base < resources < security < store < (exchange, listing, sync) < platform < render < (cli, ui) < app

Folders on one level do not include each other. Prints each include that breaks the order and
exits with 1 when there is one.
"""
import pathlib
import re
import sys

LEVELS = {
    "base": 0, "resources": 1, "security": 2, "store": 3,
    "exchange": 4, "listing": 4, "sync": 4,
    "platform": 5, "render": 6, "cli": 7, "ui": 7, "app": 8,
}
INCLUDE = re.compile(r'\s*#\s*include\s+"([a-z_]+)/')


def main(source_root):
    broken = []
    for layer, level in LEVELS.items():
        for path in sorted((source_root / layer).rglob("*")):
            if path.suffix not in (".h", ".cpp"):
                continue
            for number, line in enumerate(path.read_text(encoding="latin-1").splitlines(), 1):
                match = INCLUDE.match(line)
                if not match or match.group(1) not in LEVELS:
                    continue
                target = match.group(1)
                if LEVELS[target] > level or (LEVELS[target] == level and target != layer):
                    broken.append(f"{path}:{number}: {layer} includes {target}")
    for line in broken:
        print(line)
    return 1 if broken else 0


if __name__ == "__main__":
    sys.exit(main(pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else "src")))
