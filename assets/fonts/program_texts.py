"""The characters the Qt program draws with its embedded fonts: every printable
character of the string and character literals in its sources, and what a
user types (EXTRA). Shared by make_font_subsets.py, which builds the fonts
from them, and check_font_coverage.py, which checks that the fonts hold them."""

import pathlib
import re

# The three embedded fonts: (file, source collection, family, style); the face
# of the collection is the one named in FACE_FAMILY.
FACES = [
    ("QuendalSerif-Regular.otf", "NotoSerifCJK-Regular.ttc", "Quendal Serif", "Regular"),
    ("QuendalSerif-Bold.otf", "NotoSerifCJK-Bold.ttc", "Quendal Serif", "Bold"),
    ("QuendalSans-Regular.otf", "NotoSansCJK-Regular.ttc", "Quendal Sans", "Regular"),
]
FACE_FAMILY = {"Quendal Serif": "Noto Serif CJK SC", "Quendal Sans": "Noto Sans CJK SC"}

# What a user types: printable ASCII in the fields, the micro sign of the
# units, the two blanks the input rule accepts, and what a Chinese input
# method types for ASCII punctuation. Then the accented letters of English
# (café, naïve): fontconfig counts a font as Latin only when it has them, and
# Qt loads a font that is not Latin once more for each script of the text.
EXTRA = ("".join(chr(c) for c in range(0x20, 0x7F)) + "µ\u00a0\u3000"
         + "，。：；！？（）、《》“”‘’【】…—·￥"
         + "ÀÇÈÉÊËÏÑÔÖàçèéêëïñôö")

# The folders of the Qt program's sources. The Win32 front-end draws with the
# system's fonts, so its texts need no glyphs here.
SOURCE_FOLDERS = ("core", "platform", "ui")
NOT_DRAWN_BY_QT = (("ui", "win32"),)

ESCAPES = {"n": "\n", "t": "\t", "r": "\r", "0": "\0", "a": "\a", "b": "\b",
           "f": "\f", "v": "\v", "\\": "\\", "'": "'", '"': '"', "?": "?"}


def decode(body):
    """The text of a literal's body: escapes resolved, \\x bytes read as UTF-8."""
    data = bytearray()
    i = 0
    while i < len(body):
        c = body[i]
        if c != "\\":
            data += c.encode()
            i += 1
            continue
        kind = body[i + 1]
        if kind == "x":
            digits = re.match(r"[0-9A-Fa-f]+", body[i + 2:]).group()
            data.append(int(digits, 16) & 0xFF)
            i += 2 + len(digits)
        elif kind in "uU":
            width = 4 if kind == "u" else 8
            data += chr(int(body[i + 2:i + 2 + width], 16)).encode()
            i += 2 + width
        else:
            data += ESCAPES.get(kind, kind).encode()
            i += 2
    return data.decode("utf-8", errors="ignore")


def literals(text):
    """(offset, text) of each string and character literal of a C++ source,
    comments skipped."""
    i, n = 0, len(text)
    while i < n:
        if text.startswith("//", i):
            end = text.find("\n", i)
            i = n if end < 0 else end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            i = n if end < 0 else end + 2
        elif text.startswith('R"', i):
            opening = re.match(r'R"([^()\\\s]{0,16})\(', text[i:])
            closing = ")" + opening.group(1) + '"'
            start = i + opening.end()
            end = text.find(closing, start)
            yield i, text[start:end]
            i = end + len(closing)
        elif text[i] in "\"'" and not (text[i] == "'" and i > 0 and text[i - 1].isalnum()):
            # A quote after a digit is a digit separator (1'000), not a literal.
            quote, j = text[i], i + 1
            while j < n and text[j] != quote:
                j += 2 if text[j] == "\\" else 1
            yield i, decode(text[i + 1:j])
            i = j + 1
        else:
            i += 1


def sources(top):
    """The Qt program's C++ sources under top, sorted."""
    top = pathlib.Path(top)
    found = []
    for folder in SOURCE_FOLDERS:
        for path in (top / folder).rglob("*"):
            parts = path.relative_to(top).parts
            if any(parts[:len(skip)] == skip for skip in NOT_DRAWN_BY_QT):
                continue
            if path.is_file() and (path.suffix in (".h", ".cpp") or path.name.endswith(".h.in")):
                found.append(path)
    return sorted(found)


def drawn_characters(top):
    """{character: places} for every character the program may draw; a place
    is "path:line" of a literal, or "typed" for EXTRA."""
    top = pathlib.Path(top)
    where = {c: ["typed"] for c in EXTRA}
    for path in sources(top):
        text = path.read_text(encoding="utf-8")
        for offset, literal in literals(text):
            place = f"{path.relative_to(top)}:{text.count(chr(10), 0, offset) + 1}"
            for c in literal:
                if c.isprintable():
                    where.setdefault(c, []).append(place)
    return where
