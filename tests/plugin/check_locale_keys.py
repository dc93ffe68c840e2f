#!/usr/bin/env python3
"""Fails when a key used in code (obs_module_text, tr, translate) or a text of a Qt Designer form has no entry
in data/locale/en-US.ini. Texts with white space cannot be OBS locale keys (the parser stops a key at the first
blank), so they are shown as written and not required."""
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

root = pathlib.Path(sys.argv[1])
LITERAL = r'"((?:[^"\\]|\\.)*)"'
CALLS = [re.compile(p) for p in (r"obs_module_text\(\s*" + LITERAL, r"\btr\(\s*" + LITERAL,
                                 r"translate\(\s*" + LITERAL + r"\s*,\s*" + LITERAL)]
FORM_PROPERTIES = {"text", "title", "windowTitle", "toolTip", "placeholderText"}


def source_files(suffixes):
    for path in root.rglob("*"):
        top = path.relative_to(root).parts[0]
        if top not in {"tests", "bench", ".git", "out"} and not top.startswith("build") and path.is_file() \
                and path.suffix in suffixes:
            yield path


def locale_keys(path):
    keys = set()
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if not line or line[0] in ";#" or "=" not in line:
            continue
        key, value = line.split("=", 1)
        if len(value) < 2 or not value.startswith('"') or not value.endswith('"'):
            sys.exit(f"FAIL: {path}: value of {key} is not quoted (OBS would cut it at a blank)")
        keys.add(key)
    return keys


def used_texts():
    for path in source_files({".cpp", ".h"}):
        text = path.read_text(encoding="utf-8", errors="replace")
        for pattern in CALLS:
            for match in pattern.finditer(text):
                yield match.groups()[-1], path.relative_to(root)
    for path in source_files({".ui"}):
        for prop in ET.parse(path).iter("property"):
            string = prop.find("string")
            if prop.get("name") in FORM_PROPERTIES and string is not None and string.get("notr") != "true":
                yield string.text, path.relative_to(root)


known = locale_keys(root / "data" / "locale" / "en-US.ini")
missing = {}
for text, where in used_texts():
    if text and not re.search(r"\s", text) and text not in known:
        missing.setdefault(text, set()).add(str(where))
for text in sorted(missing):
    print(f'FAIL: "{text}" (used in {", ".join(sorted(missing[text]))}) has no entry in en-US.ini')
if missing:
    sys.exit(1)
print(f"all looked-up texts have an English entry ({len(known)} keys)")
