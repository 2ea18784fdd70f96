"""Writes the fonts the program embeds, subsets of Noto CJK SC holding every
character of program_texts.drawn_characters(); see make-font-subsets.sh.
  make_font_subsets.py top-of-source-tree output-folder noto-folder"""

import pathlib
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

import check_font_coverage
from program_texts import FACE_FAMILY, FACES, drawn_characters

top, out, noto = (pathlib.Path(arg) for arg in sys.argv[1:4])
characters = set(drawn_characters(top))
print(f"{len(characters)} characters:")
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


def use_typo_metrics(font):
    """Lines as tall as the em, as in SimSun and the fonts of the form's
    design, not Noto's 1.45 em: the OS/2 typographic metrics (880 / -120) are
    already those, and the USE_TYPO_METRICS flag (version 4 and later) has Qt
    and other renderers take them instead of the taller hhea and Windows ones."""
    os2 = font["OS/2"]
    os2.version = max(os2.version, 4)
    os2.fsSelection |= 1 << 7


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
    use_typo_metrics(font)
    font.recalcTimestamp = False  # the same sources give the same bytes
    target = out / file_name
    font.save(str(target))
    print(f"{file_name}: {target.stat().st_size} bytes, {len(font.getGlyphOrder())} glyphs")

# The subsetter leaves out, without a word, what the Noto fonts lack.
lacking, _, _ = check_font_coverage.uncovered(top, out)
if lacking:
    sys.exit("the Noto fonts have no glyph for " + " ".join(
        f"U+{ord(c):04X} {c!r} ({places[0]})" for c, (places, _) in sorted(lacking.items())))
