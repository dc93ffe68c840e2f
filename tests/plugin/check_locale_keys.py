#!/usr/bin/env python3
"""Every locale file, read by libobs's own parser: the same keys as en-US, no empty text, no copy of the English text
where the language has a word of its own, the same placeholders. Every text the code or a form shows goes through
the lookup under a key that OBS can hold (no blank: the parser ends a key there) and that en-US has."""
import ctypes
import pathlib
import re
import sys
import xml.etree.ElementTree as ET

root = pathlib.Path(sys.argv[1])
locale_dir = root / "data" / "locale"

LITERAL = r'"((?:[^"\\]|\\.)*)"'
CALLS = [re.compile(p) for p in (r"obs_module_text\(\s*" + LITERAL, r"\btr\(\s*" + LITERAL,
                                 r"translate\(\s*" + LITERAL + r"\s*,\s*" + LITERAL,
                                 r"moduleTextGetString\(\s*" + LITERAL)]
TRANSLATED_TABLE = re.compile(r"loadTranslated\([^;]*;", re.S)
FORM_PROPERTIES = {"text", "title", "windowTitle", "toolTip", "placeholderText"}
PLACEHOLDER = re.compile(r"%[sd]|%\d")

# Words a language writes as English does (loan words and cognates of camera menus); digits always match.
SAME_AS_ENGLISH = {
    "de-DE": {"Auto", "Zoom", "Preset", "Gamma"},
    "es-ES": {"Auto", "Zoom", "Preset", "Gamma", "Pan", "Tilt", "Iris", "Manual"},
    "fr-FR": {"Auto", "Zoom", "Preset", "Gamma", "Pan", "Tilt", "Iris", "Gain", "Image", "Mode", "Saturation", "One",
              "Push"},
    "it-IT": {"Auto", "Zoom", "Preset", "Gamma", "Pan", "Tilt", "One", "Push"},
    "pt-BR": {"Auto", "Zoom", "Preset", "Pan", "Tilt", "Manual"},
}
# Symbols and numbers that no language writes differently.
SYMBOL_KEYS = {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10+", "-", "+"}

failures = []
fail = failures.append


def read_entries(path):
    """(key, text) pairs as written, quotes taken off; whatever OBS's parser would read otherwise (a blank in a key,
    a text without quotes, a line without "=") shows as a difference in what libobs reads."""
    entries = []
    for line in path.read_text(encoding="utf-8").splitlines():
        line = line.strip()
        if line and not line.startswith("#"):
            key, _, value = line.partition("=")
            entries.append((key, value[1:-1] if len(value) > 1 and value[0] == value[-1] == '"' else value))
    return entries


def libobs_lookup(path, keys):
    """What libobs's text lookup gives for each key of the file."""
    obs = ctypes.CDLL("libobs.so.0")
    obs.text_lookup_create.restype = ctypes.c_void_p
    obs.text_lookup_create.argtypes = [ctypes.c_char_p]
    obs.text_lookup_getstr.restype = ctypes.c_bool
    obs.text_lookup_getstr.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.POINTER(ctypes.c_char_p)]
    obs.text_lookup_destroy.argtypes = [ctypes.c_void_p]
    table = obs.text_lookup_create(str(path).encode())
    found = {}
    for key in keys:
        out = ctypes.c_char_p()
        if obs.text_lookup_getstr(table, key.encode(), ctypes.byref(out)):
            found[key] = out.value.decode("utf-8")
    obs.text_lookup_destroy(table)
    return found


def check_file(path, english):
    entries = read_entries(path)
    texts = dict(entries)
    if len(texts) != len(entries):
        fail(f"{path.name}: a key is written twice")
    # The lookup ignores case, so keys that differ only in case and text show up as a misread text below.
    loaded = libobs_lookup(path, texts)
    for key, text in texts.items():
        if loaded.get(key) != text:
            fail(f"{path.name}: libobs reads {key} as {loaded.get(key)!r}, not {text!r}")
    if english is None:
        return texts
    for key in sorted(set(english) ^ set(texts)):
        fail(f"{path.name}: {key} " + ("is missing" if key in english else "is not an en-US key"))
    same_words = SAME_AS_ENGLISH.get(path.stem, set())
    for key in set(texts) & set(english):
        text = texts[key]
        if not text.strip():
            fail(f"{path.name}: {key} is empty")
        if sorted(PLACEHOLDER.findall(text)) != sorted(PLACEHOLDER.findall(english[key])):
            fail(f"{path.name}: {key} has other placeholders than en-US")
        if text == english[key] and key not in SYMBOL_KEYS and \
                not all(word.isdigit() or word in same_words for word in text.split()):
            fail(f"{path.name}: {key} is the English text {text!r}")
    return texts


def source_files(suffixes):
    for path in root.rglob("*"):
        top = path.relative_to(root).parts[0]
        if top not in {"tests", "bench", ".git", "out"} and not top.startswith("build") and path.is_file() \
                and path.suffix in suffixes:
            yield path


def shown_keys():
    """Every key the code or a form puts on screen, with where it is used."""
    for path in source_files({".cpp", ".h"}):
        text = path.read_text(encoding="utf-8", errors="replace")
        for pattern in CALLS:
            for match in pattern.finditer(text):
                yield match.groups()[-1], path.relative_to(root)
        for call in TRANSLATED_TABLE.finditer(text):
            for match in re.finditer(r"\{\s*" + LITERAL + r"\s*,", call.group(0)):
                yield match.group(1), path.relative_to(root)
    for path in source_files({".ui"}):
        for prop in ET.parse(path).iter("property"):
            string = prop.find("string")
            if prop.get("name") in FORM_PROPERTIES and string is not None and string.get("notr") != "true" \
                    and string.text:
                yield string.text, path.relative_to(root)


english = check_file(locale_dir / "en-US.ini", None)
others = sorted(p for p in locale_dir.glob("*.ini") if p.name != "en-US.ini")
for path in others:
    check_file(path, english)

for key, where in shown_keys():
    if re.search(r"\s", key):
        fail(f'{where}: "{key}" is shown through a key with a blank, which no locale file can hold')
    elif key not in english:
        fail(f'{where}: "{key}" has no entry in en-US.ini')

for message in sorted(set(failures)):
    print("FAIL:", message)
if failures:
    sys.exit(1)
print(f"{len(english)} keys in en-US and {len(others)} translations, all loadable and complete")
