#!/usr/bin/env python3
"""Fails when a source file includes a header of a layer above its own.

The layers, lowest first: document, analysis, pipeline, charts, images, view, app. A file's
layer is its folder under src/; the command-line tool may use the core (up to pipeline), the
generator the document and analysis layers.
"""
import pathlib
import re
import sys

LAYERS = ["document", "analysis", "pipeline", "charts", "images", "view", "app"]
TOOLS = {"cli": "pipeline", "synth": "analysis"}
INCLUDE = re.compile(r'^\s*#\s*include\s+"([a-z]+)/[^"]+"', re.MULTILINE)


def violations(root):
    found = []
    sources = [(p, p.relative_to(root / "src").parts[0]) for p in (root / "src").rglob("*")]
    sources += [(p, TOOLS[p.relative_to(root / "tools").parts[0]])
                for p in (root / "tools").rglob("*")
                if p.relative_to(root / "tools").parts[0] in TOOLS]
    for path, layer in sources:
        if path.suffix not in (".cpp", ".h") or layer not in LAYERS:
            continue
        own = LAYERS.index(layer)
        for match in INCLUDE.finditer(path.read_text(encoding="utf-8")):
            target = match.group(1)
            if target in LAYERS and LAYERS.index(target) > own:
                found.append(f"{path.relative_to(root)}: {layer} includes {match.group(0).strip()}")
    return sorted(found)


def main():
    root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else ".").resolve()
    found = violations(root)
    for line in found:
        print(line)
    print(f"{len(found)} includes against the layers")
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main())
