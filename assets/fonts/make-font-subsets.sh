#!/usr/bin/env bash
# Writes the fonts the program embeds: subsets of Noto Serif CJK SC (Regular
# and Bold, for the "宋体" labels) and Noto Sans CJK SC Regular (the dialog
# font), renamed Quendal Serif and Quendal Sans. They hold only what the
# program draws: every character of the string literals in core/, ui/ and
# platform/, printable ASCII, and the full-width punctuation a Chinese input
# method types; anything else a user types is drawn by the system's fonts.
#
# Needs Debian's fonts-noto-cjk and python3-fonttools. Run it again whenever a
# text of the program changes, and commit the .otf files it rewrites; the same
# sources give the same bytes.
#   assets/fonts/make-font-subsets.sh           rewrite the fonts
#   assets/fonts/make-font-subsets.sh --check   fail if they are out of date
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)
noto=${NOTO_CJK_DIR:-/usr/share/fonts/opentype/noto}

out=$here
if [ "${1:-}" = --check ]; then
  out=$(mktemp -d)
  trap 'rm -rf "$out"' EXIT
fi

# Debian's fontTools belongs to the system Python, whatever python3 is first on PATH.
/usr/bin/python3 - "$top" "$out" "$noto" <<'PYTHON'
import pathlib
import re
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

top, out, noto = (pathlib.Path(arg) for arg in sys.argv[1:4])

# (output file, source collection, family, style); the face of the collection
# is the one named in FACE_FAMILY.
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
    """The string and character literals of a C++ source, comments skipped."""
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
            yield text[start:end]
            i = end + len(closing)
        elif text[i] in "\"'" and not (text[i] == "'" and i > 0 and text[i - 1].isalnum()):
            # A quote after a digit is a digit separator (1'000), not a literal.
            quote, j = text[i], i + 1
            while j < n and text[j] != quote:
                j += 2 if text[j] == "\\" else 1
            yield decode(text[i + 1:j])
            i = j + 1
        else:
            i += 1


sources = sorted(
    path for folder in ("core", "ui", "platform") for path in (top / folder).rglob("*")
    if path.suffix in (".h", ".cpp") or path.name.endswith(".h.in"))
characters = set(EXTRA)
for path in sources:
    for literal in literals(path.read_text(encoding="utf-8")):
        characters.update(c for c in literal if c.isprintable())
print(f"{len(characters)} characters from {len(sources)} sources:")
print("".join(sorted(c for c in characters if ord(c) > 0x7E)))


def face_number(collection, family):
    for number in range(32):
        face = TTFont(collection, fontNumber=number, lazy=True)
        if face["name"].getDebugName(1) == family:
            return number
    sys.exit(f"{collection}: no face named {family}")


def keep_language_systems(font, tags):
    """Drops the other languages' forms, and with them their glyphs."""
    for table in ("GSUB", "GPOS"):
        if table not in font:
            continue
        for record in font[table].table.ScriptList.ScriptRecord:
            script = record.Script
            script.LangSysRecord = [r for r in script.LangSysRecord if r.LangSysTag in tags]
            script.LangSysCount = len(script.LangSysRecord)


def rename(font, family, style):
    postscript = family.replace(" ", "") + "-" + style
    full = family if style == "Regular" else f"{family} {style}"
    version = font["name"].getDebugName(5).split(";")[0].replace("Version ", "")
    name = font["name"]
    for name_id in (1, 2, 3, 4, 6, 16, 17):
        name.removeNames(nameID=name_id)
    for name_id, text in ((1, family), (2, style), (3, f"{version};QUENDAL;{postscript}"),
                          (4, full), (6, postscript)):
        name.setName(text, name_id, 3, 1, 0x409)
    cff = font["CFF "].cff
    old = cff.fontNames[0]
    cff.fontNames = [postscript]
    top_dict = cff.topDictIndex[0]
    top_dict.FullName = full
    top_dict.FamilyName = family
    for fd in getattr(top_dict, "FDArray", []):
        fd.FontName = fd.FontName.replace(old, postscript)


for file_name, collection, family, style in FACES:
    source = noto / collection
    options = subset.Options()
    options.font_number = face_number(source, FACE_FAMILY[family])
    options.notdef_outline = True
    options.name_IDs = [0, 1, 2, 3, 4, 5, 6, 13, 14]
    # Horizontal text only, with the features HarfBuzz applies by default,
    # in Simplified Chinese forms whatever the user's language.
    options.drop_tables += ["VORG", "vhea", "vmtx", "BASE"]
    options.layout_features = ["ccmp", "locl", "calt", "liga", "kern", "mark", "mkmk"]
    # Plain charstrings: smaller here, once the subroutines of the whole
    # collection are gone.
    options.desubroutinize = True
    font = subset.load_font(str(source), options)
    keep_language_systems(font, ("ZHS ",))
    subsetter = subset.Subsetter(options)
    subsetter.populate(unicodes=[ord(c) for c in characters])
    subsetter.subset(font)
    rename(font, family, style)
    font.recalcTimestamp = False  # the same sources give the same bytes
    target = out / file_name
    font.save(str(target))
    print(f"{file_name}: {target.stat().st_size} bytes, {len(font.getGlyphOrder())} glyphs")
PYTHON

if [ "$out" != "$here" ]; then
  for font in "$out"/*.otf; do
    if ! cmp -s "$font" "$here/$(basename "$font")"; then
      echo "assets/fonts/$(basename "$font") is out of date: run assets/fonts/make-font-subsets.sh" >&2
      exit 1
    fi
  done
  echo "The embedded fonts are up to date."
fi
