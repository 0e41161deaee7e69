#!/usr/bin/env python3
"""Draws every picture of the wizard as SVG, then renders each to PNG at its exact size.

The SVG files under svg/ are the editable sources, rendered once at their size and once
at twice it (name@2x.png, for scaled screens); run this script again after
changing the drawing code or a label. Button faces carry their label, so each has an
English variant under en/. Needs python3 and rsvg-convert (librsvg2-bin) with a
Japanese font (fonts-noto-cjk).
"""
import os
import subprocess
import sys

HERE = os.path.dirname(os.path.abspath(__file__))
SVG_DIR = os.path.join(HERE, "svg")
PNG_DIR = os.path.normpath(os.path.join(HERE, "..", "..", "resources", "images"))

# One palette for the whole product.
TEAL = "#1e9aa6"
TEAL_DARK = "#137580"
TEAL_DEEP = "#0d5961"
TEAL_LIGHT = "#d8f1f3"
ORANGE = "#f39a3d"
INK = "#2b3a48"
GREY = "#c9d3da"
GREY_TEXT = "#8795a1"
PAPER = "#ffffff"
# Faces that carry white text: deep enough for 3:1 (WCAG AA for large text and button
# faces) at every pixel behind the text, in the palette's hues.
ORANGE_FACE = "#d9750d"
ORANGE_FACE_DARK = "#c0660c"
ORANGE_FACE_DEEP = "#a4570a"
GREY_FACE = "#7f8d9a"
GREY_FACE_DARK = "#66737f"
GREY_FACE_DEEP = "#55616b"
FONT = "'Noto Sans CJK JP', 'Noto Sans', sans-serif"


def svg(width, height, body, defs=""):
    return (f'<svg xmlns="http://www.w3.org/2000/svg" width="{width}" height="{height}" '
            f'viewBox="0 0 {width} {height}">\n<defs>{defs}</defs>\n{body}\n</svg>\n')


def button(label, pressed, base=TEAL, dark=TEAL_DARK, deep=TEAL_DEEP):
    """A rounded pill face; the pressed face sits lower, darker, with its shadow gone."""
    w, h = 230, 55
    top, bottom = (dark, deep) if pressed else (base, dark)
    dy = 3 if pressed else 0
    size = 20 if len(label) <= 6 else 17
    defs = (f'<linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
            f'<stop offset="0" stop-color="{top}"/><stop offset="1" stop-color="{bottom}"/>'
            f'</linearGradient>')
    shadow = "" if pressed else (
        f'<rect x="4" y="7" width="{w - 8}" height="{h - 10}" rx="23" fill="{deep}" opacity="0.45"/>')
    # The gloss stays above the text, so that it never lightens the face behind it.
    gloss = "" if pressed else (
        f'<rect x="14" y="5" width="{w - 28}" height="9" rx="4.5" fill="#ffffff" opacity="0.18"/>')
    body = (f'{shadow}'
            f'<rect x="4" y="{2 + dy}" width="{w - 8}" height="{h - 10}" rx="23" fill="url(#g)"/>'
            f'{gloss}'
            f'<text x="{w / 2}" y="{2 + dy + (h - 10) / 2 + size * 0.36}" text-anchor="middle" '
            f'font-family="{FONT}" font-weight="bold" font-size="{size}" fill="#ffffff">{label}</text>')
    return svg(w, h, body, defs)


def step_tile(n, active):
    w, h = 374, 127
    if active:
        defs = (f'<linearGradient id="g" x1="0" y1="0" x2="0" y2="1">'
                f'<stop offset="0" stop-color="{ORANGE_FACE}"/><stop offset="1" stop-color="{ORANGE_FACE_DARK}"/>'
                f'</linearGradient>')
        body = (f'<rect x="8" y="14" width="{w - 16}" height="{h - 20}" rx="30" fill="{ORANGE_FACE_DARK}" opacity="0.35"/>'
                f'<rect x="8" y="6" width="{w - 16}" height="{h - 20}" rx="30" fill="url(#g)"/>'
                f'<text x="{w / 2}" y="{6 + (h - 20) / 2 + 25}" text-anchor="middle" font-family="{FONT}" '
                f'font-weight="bold" font-size="70" fill="#ffffff">STEP{n}</text>')
        return svg(w, h, body, defs)
    body = (f'<rect x="11" y="9" width="{w - 22}" height="{h - 26}" rx="28" fill="{PAPER}" '
            f'stroke="{GREY}" stroke-width="6"/>'
            f'<text x="{w / 2}" y="{9 + (h - 26) / 2 + 24}" text-anchor="middle" font-family="{FONT}" '
            f'font-weight="bold" font-size="66" fill="{GREY_TEXT}">STEP{n}</text>')
    return svg(w, h, body)


def arrow(active):
    colour = ORANGE if active else GREY
    body = (f'<path d="M9 8 L22 20 L9 32" fill="none" stroke="{colour}" stroke-width="6" '
            f'stroke-linecap="round" stroke-linejoin="round"/>')
    return svg(30, 40, body)


def camera_shape(cx, top, scale, lens=TEAL):
    """The product: a white dome camera head on a short neck and a round foot."""
    s = scale
    return (f'<g transform="translate({cx},{top}) scale({s})">'
            f'<ellipse cx="0" cy="228" rx="78" ry="18" fill="#000" opacity="0.10"/>'
            f'<rect x="-62" y="196" width="124" height="28" rx="14" fill="#e8edf0" stroke="#b8c4cc" stroke-width="3"/>'
            f'<rect x="-16" y="150" width="32" height="52" rx="8" fill="#dfe6ea" stroke="#b8c4cc" stroke-width="3"/>'
            f'<rect x="-92" y="0" width="184" height="160" rx="70" fill="#fbfcfd" stroke="#b8c4cc" stroke-width="4"/>'
            f'<rect x="-70" y="28" width="140" height="100" rx="48" fill="{INK}"/>'
            f'<circle cx="0" cy="78" r="38" fill="#1b2631" stroke="{lens}" stroke-width="7"/>'
            f'<circle cx="0" cy="78" r="20" fill="#0b1118"/>'
            f'<circle cx="-10" cy="68" r="7" fill="#ffffff" opacity="0.75"/>'
            f'<circle cx="48" cy="50" r="5" fill="{ORANGE}"/>'
            f'</g>')


def camera_picture():
    return svg(240, 276, camera_shape(120, 22, 1.0))


def logo():
    w, h = 319, 106
    # On a plate of its own, so that the dark word stays legible on a dark desktop theme.
    body = (f'<rect x="0" y="4" width="{w}" height="{h - 4}" rx="18" fill="{PAPER}"/>'
            f'<rect x="6" y="10" width="86" height="86" rx="26" fill="{TEAL}"/>'
            f'<circle cx="49" cy="53" r="26" fill="#ffffff"/>'
            f'<circle cx="49" cy="53" r="15" fill="{INK}"/>'
            f'<circle cx="43" cy="47" r="5" fill="#ffffff" opacity="0.85"/>'
            f'<circle cx="75" cy="27" r="6" fill="{ORANGE}"/>'
            f'<text x="110" y="50" font-family="{FONT}" font-weight="bold" font-size="34" '
            f'fill="{INK}" letter-spacing="3">HOME</text>'
            f'<text x="110" y="88" font-family="{FONT}" font-weight="bold" font-size="34" '
            f'fill="{TEAL}" letter-spacing="3">CAMERA</text>')
    return svg(w, h, body)


def mascot():
    """A round, friendly camera-bot waving hello from the lower left corner.

    It stays inside the lower left 120 x 146 pixels of its canvas: the screens lay
    captions and buttons over the rest of the area the picture is drawn into.
    """
    w, h = 320, 236
    body = (f'<g transform="translate(-6,84) scale(0.6)">'
            f'<ellipse cx="110" cy="236" rx="80" ry="11" fill="#000" opacity="0.08"/>'
            f'<path d="M166 150 Q206 124 212 90" fill="none" stroke="{TEAL_DARK}" stroke-width="14" stroke-linecap="round"/>'
            f'<circle cx="214" cy="80" r="15" fill="{TEAL}"/>'
            f'<path d="M50 160 Q24 176 22 200" fill="none" stroke="{TEAL_DARK}" stroke-width="14" stroke-linecap="round"/>'
            f'<rect x="70" y="196" width="26" height="34" rx="12" fill="{TEAL_DARK}"/>'
            f'<rect x="124" y="196" width="26" height="34" rx="12" fill="{TEAL_DARK}"/>'
            f'<circle cx="110" cy="130" r="80" fill="{TEAL}"/>'
            f'<ellipse cx="110" cy="142" rx="59" ry="53" fill="#ffffff"/>'
            f'<circle cx="84" cy="132" r="12" fill="{INK}"/><circle cx="136" cy="132" r="12" fill="{INK}"/>'
            f'<circle cx="88" cy="127" r="4.5" fill="#ffffff"/><circle cx="140" cy="127" r="4.5" fill="#ffffff"/>'
            f'<ellipse cx="67" cy="155" rx="10" ry="7" fill="{ORANGE}" opacity="0.45"/>'
            f'<ellipse cx="153" cy="155" rx="10" ry="7" fill="{ORANGE}" opacity="0.45"/>'
            f'<path d="M94 160 Q110 176 126 160" fill="none" stroke="{INK}" stroke-width="6" stroke-linecap="round"/>'
            f'<circle cx="110" cy="68" r="19" fill="{INK}" stroke="#ffffff" stroke-width="6"/>'
            f'<circle cx="104" cy="62" r="5" fill="#ffffff" opacity="0.8"/>'
            f'<rect x="100" y="34" width="20" height="13" rx="5" fill="{ORANGE}"/>'
            f'</g>')
    return svg(w, h, body)


def laptop(x, y):
    return (f'<g transform="translate({x},{y})">'
            f'<rect x="10" y="0" width="170" height="112" rx="10" fill="{INK}"/>'
            f'<rect x="20" y="10" width="150" height="92" rx="4" fill="{TEAL_LIGHT}"/>'
            f'<rect x="34" y="26" width="70" height="10" rx="5" fill="{TEAL}"/>'
            f'<rect x="34" y="46" width="112" height="8" rx="4" fill="#a9d9de"/>'
            f'<rect x="34" y="62" width="92" height="8" rx="4" fill="#a9d9de"/>'
            f'<path d="M0 118 L190 118 L176 134 L14 134 Z" fill="#9aa8b3"/>'
            f'<rect x="0" y="112" width="190" height="8" rx="3" fill="#b8c4cc"/>'
            f'<rect x="190" y="104" width="12" height="10" rx="2" fill="#7d8b96"/>'
            f'</g>')


def cable(path):
    return (f'<path d="{path}" fill="none" stroke="#55636f" stroke-width="7" stroke-linecap="round"/>'
            f'<path d="{path}" fill="none" stroke="#8a98a4" stroke-width="2.5" stroke-linecap="round"/>')


def connect_to_pc():
    w, h = 576, 175
    body = (camera_shape(96, 10, 0.62)
            + laptop(360, 20)
            + cable("M96 150 C 96 170, 200 172, 270 150 S 420 140, 560 128")
            + f'<rect x="548" y="121" width="18" height="14" rx="3" fill="{INK}"/>'
            + f'<g transform="translate(240,40)">'
              f'<circle cx="40" cy="30" r="30" fill="{ORANGE}"/>'
              f'<path d="M28 30 L52 30 M44 20 L54 30 L44 40" fill="none" stroke="#ffffff" stroke-width="6" '
              f'stroke-linecap="round" stroke-linejoin="round"/>'
              # On a plate of its own, legible on a dark desktop theme too.
              f'<rect x="14" y="67" width="52" height="25" rx="6" fill="{PAPER}"/>'
              f'<text x="40" y="86" text-anchor="middle" font-family="{FONT}" font-weight="bold" '
              f'font-size="18" fill="{TEAL_DARK}">USB</text></g>')
    return svg(w, h, body)


def connect_to_power():
    w, h = 398, 139
    adapter = (f'<g transform="translate(300,30)">'
               f'<rect x="0" y="10" width="70" height="62" rx="12" fill="#fbfcfd" stroke="#b8c4cc" stroke-width="3"/>'
               f'<rect x="70" y="24" width="18" height="8" rx="2" fill="#9aa8b3"/>'
               f'<rect x="70" y="50" width="18" height="8" rx="2" fill="#9aa8b3"/>'
               f'<path d="M38 22 L26 44 L38 44 L30 62 L48 36 L36 36 Z" fill="{ORANGE}"/>'
               f'</g>')
    body = (camera_shape(70, 6, 0.52)
            + cable("M70 126 C 70 136, 180 136, 240 110 S 290 80, 300 74")
            + adapter
            + f'<g transform="translate(160,22)">'
              f'<circle cx="30" cy="30" r="26" fill="{TEAL}"/>'
              f'<path d="M20 30 L40 30 M33 21 L42 30 L33 39" fill="none" stroke="#ffffff" stroke-width="5" '
              f'stroke-linecap="round" stroke-linejoin="round"/></g>')
    return svg(w, h, body)


BUTTONS = {
    "01_start": ("はじめる", ORANGE_FACE, ORANGE_FACE_DARK, ORANGE_FACE_DEEP),
    "02_login": ("ログイン", TEAL, TEAL_DARK, TEAL_DEEP),
    "02_regist_user": ("新規登録", ORANGE_FACE, ORANGE_FACE_DARK, ORANGE_FACE_DEEP),
    "03_next": ("次へ", TEAL, TEAL_DARK, TEAL_DEEP),
    "05_connect_wifi": ("Wi-Fiに接続", TEAL, TEAL_DARK, TEAL_DEEP),
    "05_connect_wifi_other": ("その他のネットワーク", "#5f7d95", "#4a667c", "#35505f"),
    "05_connect_wifi_back": ("戻る", GREY_FACE, GREY_FACE_DARK, GREY_FACE_DEEP),
    "06_back_to_wifilist": ("一覧に戻る", GREY_FACE, GREY_FACE_DARK, GREY_FACE_DEEP),
    "07_complete": ("完了", ORANGE_FACE, ORANGE_FACE_DARK, ORANGE_FACE_DEEP),
}


# The same faces for the English interface, under en/.
ENGLISH_LABELS = {
    "01_start": "Start",
    "02_login": "Sign in",
    "02_regist_user": "Create account",
    "03_next": "Next",
    "05_connect_wifi": "Connect",
    "05_connect_wifi_other": "Other network",
    "05_connect_wifi_back": "Back",
    "06_back_to_wifilist": "Back to list",
    "07_complete": "Done",
}


def eye(crossed):
    """The password field's show/hide picture: an open eye, crossed out when it hides."""
    slash = (f'<path d="M10 38 L38 10" stroke="{PAPER}" stroke-width="7" stroke-linecap="round"/>'
             f'<path d="M10 38 L38 10" stroke="{INK}" stroke-width="3.5" stroke-linecap="round"/>') if crossed else ""
    body = (f'<path d="M4 24 Q24 6 44 24 Q24 42 4 24 Z" fill="{PAPER}" stroke="{INK}" stroke-width="3.5" '
            f'stroke-linejoin="round"/>'
            f'<circle cx="24" cy="24" r="8" fill="{TEAL}"/><circle cx="24" cy="24" r="3.5" fill="{INK}"/>'
            f'{slash}')
    return svg(48, 48, body)


def wifi(colour=TEAL, dot=TEAL_DARK):
    """Marks the network this PC is connected to: a Wi-Fi fan, white on a selected row."""
    arcs = "".join(
        f'<path d="M{24 - r * 0.707:.1f} {38 - r * 0.707:.1f} A{r} {r} 0 0 1 {24 + r * 0.707:.1f} {38 - r * 0.707:.1f}" '
        f'fill="none" stroke="{colour}" stroke-width="5" stroke-linecap="round"/>'
        for r in (9, 18, 27))
    return svg(48, 48, arcs + f'<circle cx="24" cy="38" r="4.5" fill="{dot}"/>')


def pictures():
    out = {}
    for stem, (label, base, dark, deep) in BUTTONS.items():
        out[f"{stem}_up"] = (230, 55, button(label, False, base, dark, deep))
        out[f"{stem}_down"] = (230, 55, button(label, True, base, dark, deep))
        english = ENGLISH_LABELS[stem]
        out[f"en/{stem}_up"] = (230, 55, button(english, False, base, dark, deep))
        out[f"en/{stem}_down"] = (230, 55, button(english, True, base, dark, deep))
    for n in range(1, 6):
        out[f"STEP{n}"] = (374, 127, step_tile(n, False))
        out[f"STEP{n}_active"] = (374, 127, step_tile(n, True))
    out["cursol"] = (30, 40, arrow(False))
    out["cursol_active"] = (30, 40, arrow(True))
    out["logo_ravelo_rgb-3_trans"] = (319, 106, logo())
    out["mascot_ravelo"] = (320, 236, mascot())
    out["camera"] = (240, 276, camera_picture())
    out["connect_camera_to_pc"] = (576, 175, connect_to_pc())
    out["connect_camera_to_power"] = (398, 139, connect_to_power())
    out["eye_show"] = (48, 48, eye(False))
    out["eye_hide"] = (48, 48, eye(True))
    out["wifi_connected"] = (48, 48, wifi())
    out["wifi_connected_selected"] = (48, 48, wifi(PAPER, PAPER))
    return out


def main():
    for folder in (SVG_DIR, PNG_DIR):
        os.makedirs(os.path.join(folder, "en"), exist_ok=True)
    for name, (w, h, text) in sorted(pictures().items()):
        svg_path = os.path.join(SVG_DIR, name + ".svg")
        with open(svg_path, "w", encoding="utf-8") as f:
            f.write(text)
        # Each picture also at twice its size, which Qt picks on screens scaled above 1.
        for suffix, scale in (("", 1), ("@2x", 2)):
            png_path = os.path.join(PNG_DIR, name + suffix + ".png")
            subprocess.run(["rsvg-convert", "-w", str(w * scale), "-h", str(h * scale), "-o", png_path, svg_path],
                           check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
