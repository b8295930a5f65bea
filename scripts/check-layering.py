#!/usr/bin/env python3
"""Fails on an #include that crosses the layers: the portable core includes no toolkit or system
header, compose never includes desktop, convert never includes compose, the window model never
includes a backend or a view, and the two platforms never include each other.

Usage: check-layering.py [ROOT]   (ROOT: the repository, by default the one holding this script)
"""
import pathlib, re, sys

root = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else pathlib.Path(__file__).parents[1])
POSIX, WIN32 = ("desktop/posix", "ui/qt"), ("desktop/win32", "ui/win32")
CORE = ["base", "state", "ports", "image", "compose", "convert", "desktop", "ui"]
# What each folder of the portable core may include from src/, besides itself.
BELOW = {"base": [], "state": ["base"], "ports": ["state", "base"],
         "image": ["ports", "state", "base"], "compose": ["image", "ports", "state", "base"],
         "convert": ["image", "ports", "state", "base"]}
BELOW["desktop"] = ["compose", "convert"] + BELOW["compose"]
BELOW["ui"] = ["desktop"] + BELOW["desktop"]
# System headers the portable core may use: the C++ library's (no ".h", no folder), the
# picture libraries' that image/ is built on, and the compiler's SSE2 intrinsics (used behind
# __SSE2__, with a plain fallback, so every system and processor still builds the same code).
LIBRARY_HEADERS = {"image": {"jpeglib.h", "jerror.h", "zlib.h", "emmintrin.h"}}
BACKEND_HEADERS = ("desktop/native_files.h",)


def folder_of(path):  # "desktop/posix", "ui/qt", "compose" ...
    parts = path.parts
    return "/".join(parts[:2]) if "/".join(parts[:2]) in POSIX + WIN32 else parts[0]


def faults(source, text):
    folder = folder_of(source.relative_to(root / "src"))
    for number, line in enumerate(text.splitlines(), 1):
        match = re.match(r'\s*#\s*include\s*([<"])([^>"]+)[>"]', line)
        if not match:
            continue
        quoted, header = match.group(1) == '"', match.group(2)
        target = folder_of(pathlib.PurePath(header)) if quoted else None
        if folder in CORE:
            if not quoted and (header.endswith(".h") or "/" in header or header[0] == "Q"):
                if header not in LIBRARY_HEADERS.get(folder, ()):
                    yield number, f"system header <{header}> in the portable core ({folder}/)"
            elif quoted and (header in BACKEND_HEADERS or target not in [folder] + BELOW[folder]):
                yield number, f'{folder}/ may not include "{header}"'
        elif quoted and (folder in POSIX and target in WIN32 or folder in WIN32 and target in POSIX):
            yield number, f'{folder}/ mixes platforms: "{header}"'


found = 0
for source in sorted((root / "src").rglob("*")):
    if source.suffix in (".h", ".cpp"):
        for number, fault in faults(source, source.read_text(encoding="utf-8")):
            print(f"{source.relative_to(root)}:{number}: {fault}")
            found += 1
print(f"layering: {found} forbidden include(s)" if found else "layering: ok")
sys.exit(1 if found else 0)
