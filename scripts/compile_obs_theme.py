#!/usr/bin/python3
"""Writes the style sheet an OBS 30 or later theme (.obt, with an optional .ovt variant) comes to, as OBS composes
it at run time: variables resolved, calc() evaluated, theme: image paths made absolute. Lets the layout test
and the gallery (ptzgallery --app-style-sheet) show the panel with that OBS's own theme outside OBS.

usage: compile_obs_theme.py THEMES_DIR BASE.obt [VARIANT.ovt] OUT.qss
"""
import pathlib
import re
import sys

BLOCK = re.compile(r"@(OBSThemeMeta|OBSThemeVars)\s*\{(.*?)\n\}", re.S)
VAR = re.compile(r"var\(--([\w-]+)\)")
NUMBER = re.compile(r"^(-?[\d.]+)([a-z%]*)$")


def strip_comments(text):
    return re.sub(r"/\*.*?\*/", "", text, flags=re.S)


def variables(text):
    found = {}
    for kind, body in BLOCK.findall(text):
        if kind != "OBSThemeVars":
            continue
        for line in body.split(";"):
            if ":" in line:
                name, value = line.split(":", 1)
                name = name.strip()
                if name.startswith("--"):
                    found[name[2:]] = value.replace("!editable", "").strip()
    return found


def evaluate(expression):
    """One calc(a op b), operands and operator separated by blanks; a unit on either side carries over."""
    a, op, b = expression.split()
    (x, ux), (y, uy) = (NUMBER.match(a).groups(), NUMBER.match(b).groups())
    x, y = float(x), float(y)
    value = {"+": x + y, "-": x - y, "*": x * y, "/": x / y}[op]
    unit = ux or uy
    return (f"{value:.0f}" if value == int(value) else f"{value:.2f}") + unit


def resolve(value, table, depth=0):
    if depth > 20:
        raise ValueError(f"variables nest too deeply: {value}")
    value = VAR.sub(lambda m: resolve(table[m.group(1)], table, depth + 1), value)
    while "calc(" in value:
        # The innermost calc() first.
        value = re.sub(r"calc\(([^()]*)\)", lambda m: evaluate(m.group(1)), value)
    return value.strip().strip('"')


def main():
    themes = pathlib.Path(sys.argv[1])
    sources = [strip_comments((themes / name).read_text()) for name in sys.argv[2:-1]]
    table = {}
    for text in sources:
        table.update(variables(text))
    rules = "\n".join(BLOCK.sub("", text) for text in sources)
    rules = VAR.sub(lambda m: resolve(table[m.group(1)], table), rules)
    rules = re.sub(r"calc\(([^()]*)\)", lambda m: evaluate(m.group(1)), rules)
    rules = re.sub(r"url\(theme:([^)]*)\)", lambda m: f"url({themes / m.group(1)})", rules)
    pathlib.Path(sys.argv[-1]).write_text(rules)


main()
