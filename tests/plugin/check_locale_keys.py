#!/usr/bin/env python3
"""Fails when a text the module looks up has no entry in data/locale/en-US.ini.

Scans the source tree for obs_module_text("...") keys, tr("...") / translate("ctx", "...")
texts and the translatable texts of every Qt Designer form. Words containing white space
cannot be keys of an OBS locale file (its parser stops a key at the first blank), so those
are shown as written and are not required.
"""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

root = pathlib.Path(sys.argv[1])
SKIP_DIRS = {"tests", "bench", ".git", "build", "out"}
LITERAL = r'"((?:[^"\\]|\\.)*)"'


def source_files(suffixes):
    for path in root.rglob("*"):
        rel = path.relative_to(root)
        if rel.parts and (rel.parts[0] in SKIP_DIRS or rel.parts[0].startswith("build")):
            continue
        if path.is_file() and path.suffix in suffixes:
            yield path


def locale_keys(path):
    keys = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if not line or line.startswith(";") or line.startswith("#") or "=" not in line:
            continue
        key, value = line.split("=", 1)
        if not value.startswith('"') or not value.endswith('"') or len(value) < 2:
            sys.exit(f"FAIL: {path}: value of {key} is not quoted (OBS would cut it at a blank)")
        keys.add(key)
    return keys


def code_texts():
    calls = [
        re.compile(r"obs_module_text\(\s*" + LITERAL),
        re.compile(r"\btr\(\s*" + LITERAL),
        re.compile(r"translate\(\s*" + LITERAL + r"\s*,\s*" + LITERAL),
    ]
    for path in source_files({".cpp", ".h"}):
        text = path.read_text(encoding="utf-8", errors="replace")
        for pattern in calls:
            for match in pattern.finditer(text):
                yield match.groups()[-1], f"{path.relative_to(root)}"


def form_texts():
    translatable = {"text", "title", "windowTitle", "toolTip", "placeholderText"}
    for path in source_files({".ui"}):
        tree = ET.parse(path)
        for prop in tree.iter("property"):
            if prop.get("name") not in translatable:
                continue
            string = prop.find("string")
            if string is None or string.get("notr") == "true" or not string.text:
                continue
            yield string.text, f"{path.relative_to(root)}"


known = locale_keys(root / "data" / "locale" / "en-US.ini")
missing = {}
for text, where in list(code_texts()) + list(form_texts()):
    if not text or re.search(r"\s", text):
        continue
    if text not in known:
        missing.setdefault(text, set()).add(where)

if missing:
    for text in sorted(missing):
        print(f'FAIL: "{text}" (used in {", ".join(sorted(missing[text]))}) has no entry in en-US.ini')
    sys.exit(1)
print(f"all looked-up texts have an English entry ({len(known)} keys)")
