#!/usr/bin/env python3
"""Writes the panel's SVG artwork into ui/resource/images/.

Every glyph, letters included, is drawn from plain paths so the images look the
same on every machine whatever fonts it has. Run it from anywhere; it rewrites
the whole set. Only the SVGs are used by the build.
"""
import os

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "ui", "resource", "images")

# Panel palette.
BUTTON = "#606060"
ACCENT = "#7bb0b7"
WINDOW = "#474747"
GLYPH = "#ffffff"
FIELD = "#c9caca"
TROUGH = "#26353b"
DISABLED_BG = "#505050"
DISABLED_GLYPH = "#8a8a8a"

# name: (background, glyph)
STATES = {
    "": (BUTTON, GLYPH),
    "_p": (ACCENT, GLYPH),
    "_d": (DISABLED_BG, DISABLED_GLYPH),
}
# The slider buttons sit on a #606060 frame, so their face is a darker disc.
SMALL_STATES = {
    "": (WINDOW, GLYPH),
    "_p": (ACCENT, GLYPH),
    "_d": ("#555555", DISABLED_GLYPH),
}

# A small stroke font: each letter is (advance width, path) in a box 14 units high.
LETTERS = {
    "A": (10, "M0 14 L5 0 L10 14 M2 8.6 H8"),
    "B": (9, "M0 0 V14 H5.5 A3.5 3.5 0 0 0 5.5 7 H0 M0 0 H5 A3.5 3.5 0 0 1 5 7"),
    "C": (9.5, "M9.5 2.2 A5.5 7 0 1 0 9.5 11.8"),
    "D": (9, "M0 0 V14 H2.5 A6.5 7 0 0 0 2.5 0 Z"),
    "E": (8, "M8 0 H0 V14 H8 M0 7 H6.5"),
    "F": (8, "M8 0 H0 V14 M0 7 H6.5"),
    "G": (11, "M9.5 2.2 A5.5 7 0 1 0 11 7 H6.5"),
    "H": (9, "M0 0 V14 M9 0 V14 M0 7 H9"),
    "I": (0, "M0 0 V14"),
    "K": (9, "M0 0 V14 M9 0 L0 8.5 M3.2 6.5 L9 14"),
    "L": (8, "M0 0 V14 H8"),
    "M": (12, "M0 14 V0 L6 9 L12 0 V14"),
    "N": (10, "M0 14 V0 L10 14 V0"),
    "O": (11, "M5.5 0 A5.5 7 0 1 1 5.5 14 A5.5 7 0 1 1 5.5 0 Z"),
    "R": (9, "M0 14 V0 H5 A3.5 3.5 0 0 1 5 7 H0 M4.5 7 L9 14"),
    "T": (10, "M0 0 H10 M5 0 V14"),
    "W": (14, "M0 0 L3.5 14 L7 3 L10.5 14 L14 0"),
    " ": (3, ""),
}
GAP = 3.2


def text_width(text, height):
    units = sum(LETTERS[c][0] for c in text) + GAP * (len(text) - 1)
    return units * height / 14.0


def text(text, cx, top, height, color, stroke):
    """Letters centred on cx, their caps from top to top + height."""
    scale = height / 14.0
    x = cx - text_width(text, height) / 2.0
    parts = []
    for c in text:
        width, d = LETTERS[c]
        if d:
            parts.append(
                f'<path transform="translate({x:.2f} {top:.2f}) scale({scale:.4f})" d="{d}" '
                f'stroke-width="{stroke / scale:.3f}"/>'
            )
        x += (width + GAP) * scale
    return (
        f'<g fill="none" stroke="{color}" stroke-linecap="round" stroke-linejoin="round">' + "".join(parts) + "</g>"
    )


def svg(width, height, body):
    return (
        f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
        f'viewBox="0 0 {width} {height}">\n{body}\n</svg>\n'
    )


def write(rel, content):
    path = os.path.join(ROOT, rel)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


# Pad: 60 x 60, an arrow turned towards its direction, or a house for home.
ARROW = "M30 14 L43 29 H34.5 V45 H25.5 V29 H17 Z"
HOUSE = "M30 15 L46 29.5 H41.5 V44 H33.5 V35 H26.5 V44 H18.5 V29.5 H14 Z"
PAD = {
    "Up": 0,
    "Upper Right": 45,
    "Right": 90,
    "Lower Right": 135,
    "Down": 180,
    "Lower Left": 225,
    "Left": 270,
    "Upper Left": 315,
    "Home": None,
}


def pad_images():
    for name, angle in PAD.items():
        for suffix, (bg, fg) in STATES.items():
            glyph = (
                f'<path d="{HOUSE}" fill="{fg}"/>'
                if angle is None
                else f'<path d="{ARROW}" fill="{fg}" stroke="{fg}" stroke-width="1.5" '
                f'stroke-linejoin="round" transform="rotate({angle} 30 30)"/>'
            )
            body = f'<rect x="0" y="0" width="60" height="60" rx="8" fill="{bg}"/>\n{glyph}'
            write(f"Simple Mode/{name}{suffix}.svg", svg(60, 60, body))


# Exposure buttons: 78 x 68, a pictogram above a caption.
def exposure_glyph(name, bg, fg):
    if name == "Low Light":
        return (
            f'<circle cx="37" cy="26" r="12" fill="{fg}"/>'
            f'<circle cx="43.5" cy="21" r="10.5" fill="{bg}"/>'
            f'<circle cx="50" cy="32" r="1.6" fill="{fg}"/>'
            f'<circle cx="53" cy="17" r="1.3" fill="{fg}"/>'
        )
    if name == "Indoor":
        return (
            f'<path d="M23 28 L39 13.5 L55 28 M27.5 25 V39.5 H50.5 V25" fill="none" stroke="{fg}" '
            f'stroke-width="2.6" stroke-linecap="round" stroke-linejoin="round"/>'
            f'<rect x="35" y="27" width="8" height="8" rx="1" fill="{fg}"/>'
        )
    if name == "Back Light":
        rays = "".join(
            f'<line x1="46" y1="21" x2="{46 + 13 * c:.2f}" y2="{21 + 13 * s:.2f}"/>'
            for c, s in ((1, 0), (0.707, -0.707), (0, -1), (-0.707, -0.707), (0.707, 0.707))
        )
        return (
            f'<g stroke="{fg}" stroke-width="2.2" stroke-linecap="round">{rays}</g>'
            f'<circle cx="46" cy="21" r="7.5" fill="{fg}"/>'
            f'<circle cx="34" cy="26" r="5.5" fill="{fg}" stroke="{bg}" stroke-width="2.5"/>'
            f'<path d="M23 41 A11 9.5 0 0 1 45 41 Z" fill="{fg}" stroke="{bg}" stroke-width="2.5"/>'
        )
    if name == "Motion":
        return (
            f'<circle cx="46" cy="26" r="9" fill="{fg}"/>'
            f'<g stroke="{fg}" stroke-width="2.6" stroke-linecap="round">'
            f'<line x1="22" y1="19.5" x2="32" y2="19.5"/><line x1="18" y1="26" x2="32" y2="26"/>'
            f'<line x1="22" y1="32.5" x2="32" y2="32.5"/></g>'
        )
    raise KeyError(name)


CAPTIONS = {"Low Light": "LOW LIGHT", "Indoor": "INDOOR", "Back Light": "BACKLIGHT", "Motion": "MOTION"}


def exposure_images():
    for name, caption in CAPTIONS.items():
        for suffix, (bg, fg) in STATES.items():
            body = (
                f'<rect x="0" y="0" width="78" height="68" rx="8" fill="{bg}"/>\n'
                + exposure_glyph(name, bg, fg)
                + "\n"
                + text(caption, 39, 49, 8, fg, 1.5)
            )
            write(f"Advanced Mode/{name}{suffix}.svg", svg(78, 68, body))


# Zoom and focus buttons: 35 x 35 discs.
def slider_images():
    plus = "M-3.6 0 H3.6 M0 -3.6 V3.6"
    minus = "M-3.6 0 H3.6"
    brackets = (
        "M9 13 V9 H13 M22 9 H26 V13 M26 22 V26 H22 M13 26 H9 V22"
    )
    for suffix, (bg, fg) in SMALL_STATES.items():
        for sign, mark in (("+", plus), ("-", minus)):
            zoom = (
                f'<circle cx="17.5" cy="17.5" r="17" fill="{bg}"/>'
                f'<circle cx="15.5" cy="15.5" r="7" fill="none" stroke="{fg}" stroke-width="2"/>'
                f'<path d="M20.6 20.6 L26 26" stroke="{fg}" stroke-width="3.2" stroke-linecap="round"/>'
                f'<path transform="translate(15.5 15.5)" d="{mark}" stroke="{fg}" stroke-width="1.8" '
                f'stroke-linecap="round"/>'
            )
            write(f"Simple Mode/Zoom{sign}{suffix}.svg", svg(35, 35, zoom))
            big = mark.replace("3.6", "5")
            focus = (
                f'<circle cx="17.5" cy="17.5" r="17" fill="{bg}"/>'
                f'<path d="{brackets}" fill="none" stroke="{fg}" stroke-width="2" stroke-linecap="round" '
                f'stroke-linejoin="round"/>'
                f'<path transform="translate(17.5 17.5)" d="{big}" stroke="{fg}" stroke-width="2.2" '
                f'stroke-linecap="round"/>'
            )
            write(f"Simple Mode/Focus{sign}{suffix}.svg", svg(35, 35, focus))
    # Auto focus shows as a lit key, manual focus as a plain one.
    for name, bg in (("AF", ACCENT), ("MF", WINDOW)):
        body = f'<rect x="0.5" y="0.5" width="34" height="34" rx="6" fill="{bg}"/>\n' + text(
            name, 17.5, 12, 11, GLYPH, 2
        )
        write(f"Simple Mode/{name}.svg", svg(35, 35, body))


def drop_down_images():
    for suffix, (bg, fg) in STATES.items():
        body = (
            f'<rect x="0" y="0" width="25" height="25" fill="{bg}"/>'
            f'<path d="M7 10 H18 L12.5 16 Z" fill="{fg}" stroke="{fg}" stroke-width="1" stroke-linejoin="round"/>'
        )
        write(f"Advanced Mode/Drop Down{suffix}.svg", svg(25, 25, body))


def switch_images():
    off = (
        f'<rect x="0.5" y="0.5" width="79" height="24" rx="12" fill="{BUTTON}"/>'
        f'<circle cx="12.5" cy="12.5" r="9" fill="{FIELD}"/>\n' + text("OFF", 50, 8, 9, GLYPH, 1.6)
    )
    on = (
        f'<rect x="0.5" y="0.5" width="79" height="24" rx="12" fill="{ACCENT}"/>'
        f'<circle cx="67.5" cy="12.5" r="9" fill="{GLYPH}"/>\n' + text("ON", 31, 8, 9, GLYPH, 1.6)
    )
    write("OFF.svg", svg(80, 25, off))
    write("ON.svg", svg(80, 25, on))


def checkbox_images():
    write(
        "Checkbox.svg",
        svg(16, 16, f'<rect x="2" y="2" width="12" height="12" rx="2" fill="none" stroke="{GLYPH}" stroke-width="1.5"/>'),
    )
    write(
        "Checkbox_p.svg",
        svg(
            16,
            16,
            f'<rect x="1.25" y="1.25" width="13.5" height="13.5" rx="2" fill="{ACCENT}"/>'
            f'<path d="M4.3 8.2 L7 10.8 L11.8 5.4" fill="none" stroke="{GLYPH}" stroke-width="1.8" '
            f'stroke-linecap="round" stroke-linejoin="round"/>',
        ),
    )


def reel_images():
    for name, d in (("Reel Up", "M5 12.5 L10 6.5 L15 12.5 Z"), ("Reel Down", "M5 7.5 L10 13.5 L15 7.5 Z")):
        for suffix, (bg, fg) in (("", (TROUGH, ACCENT)), ("_p", (ACCENT, GLYPH))):
            body = (
                f'<rect x="0" y="0" width="20" height="20" fill="{bg}"/>'
                f'<path d="{d}" fill="{fg}" stroke="{fg}" stroke-width="1" stroke-linejoin="round"/>'
            )
            write(f"{name}{suffix}.svg", svg(20, 20, body))


def lens(cx, cy, r):
    """The brand mark: a camera lens with a highlight."""
    return (
        f'<circle cx="{cx}" cy="{cy}" r="{r}" fill="none" stroke="{ACCENT}" stroke-width="{r * 0.22:.2f}"/>'
        f'<circle cx="{cx}" cy="{cy}" r="{r * 0.42:.2f}" fill="{ACCENT}"/>'
        f'<circle cx="{cx - r * 0.14:.2f}" cy="{cy - r * 0.14:.2f}" r="{r * 0.12:.2f}" fill="{GLYPH}"/>'
    )


def logos():
    word = "BRENMOOR"
    # Main panel: 192 x 36 wordmark.
    height = 16
    total = 24 + 9 + text_width(word, height)
    left = (192 - total) / 2
    body = lens(left + 12, 18, 10.5) + "\n" + text(word, left + 33 + text_width(word, height) / 2, 10, height, GLYPH, 2.6)
    write("Brenmoor-Main-logo.svg", svg(192, 36, body))
    # About dialog: 480 x 120, wordmark over a caption.
    height = 42
    total = 84 + 24 + text_width(word, height)
    left = (480 - total) / 2
    textx = left + 108 + text_width(word, height) / 2
    body = (
        lens(left + 42, 60, 37)
        + "\n"
        + text(word, textx, 26, height, GLYPH, 6)
        + "\n"
        + text("CAMERA CONTROL", textx, 82, 12, ACCENT, 2)
    )
    write("Brenmoor-About us-logo.svg", svg(480, 120, body))


if __name__ == "__main__":
    pad_images()
    exposure_images()
    slider_images()
    drop_down_images()
    switch_images()
    checkbox_images()
    reel_images()
    logos()
