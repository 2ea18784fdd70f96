"""Writes stand-ins for the fonts of Chinese Windows, for the Windows program's
tests under Wine (tools/wine-desktop-prefix installs them): Wine has none of
them, and what decides whether a text fits a control is the font's height.

  simsun.otf    "SimSun" (宋体), the dialog font of Chinese Windows
  msyhui.otf    "Microsoft YaHei UI", the message font of Windows 8 to 11
  msyh.otf      "Microsoft YaHei" (微软雅黑), that of Windows Vista and 7
  fonts.reg     registers them, makes "MS Shell Dlg" SimSun, and Microsoft
                YaHei UI 9 pt the message, menu, caption, status and icon font

Each is a subset of Noto Sans CJK SC holding the program's characters,
renamed, with the vertical metrics that the real font publishes, scaled to
Noto's 1000 units to the em. (SimSun is a serif, but draws its small sizes
from bitmaps with one-pixel black strokes, which a sans outline resembles
more than Noto Serif's thin ones do.)

  SimSun             256 units: ascent 220, descent 36, line gap 36
  Microsoft YaHei UI 2048 units: ascent 2080, descent 521, line gap 0
  Microsoft YaHei    2048 units: ascent 2167, descent 536, line gap 0

(SimSun's ascent and descent: the reactos GetTextMetrics tests for the fonts
of the same 256-unit design, 12 / 10 / 2 pixels at lfHeight -12, and the font
tables read in the openooxml/betteroffice and Aarebecca/measury sources, which
also give its line gap; YaHei's 2167 / 536 from those and from
hidekatsu-izuno/wmf2svg's GDI+ em ratio 2048 / 2703; YaHei UI's 2080 / 521
from betteroffice alone.) GDI takes a font's height from its Windows ascent
and descent. SimSun's Latin letters are half an em wide; so are the
stand-in's.

  python3 chinese_windows_fonts.py <output folder> [<noto folder>]
"""

import pathlib
import sys

from fontTools import subset
from fontTools.ttLib import TTFont

TOP = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(TOP / "assets" / "fonts"))
from program_texts import EXTRA, literals  # noqa: E402

# (file, Noto collection, its face, family names (English, Chinese or None),
#  units per em of the real font, its ascent, descent and line gap, and
#  whether its ASCII is half-width)
FONTS = [
    ("simsun.otf", "NotoSansCJK-Regular.ttc", "Noto Sans CJK SC", ("SimSun", "宋体"),
     256, 220, 36, 36, True),
    ("msyhui.otf", "NotoSansCJK-Regular.ttc", "Noto Sans CJK SC",
     ("Microsoft YaHei UI", None), 2048, 2080, 521, 0, False),
    ("msyh.otf", "NotoSansCJK-Regular.ttc", "Noto Sans CJK SC", ("Microsoft YaHei", "微软雅黑"),
     2048, 2167, 536, 0, False),
]

# Besides the program's own texts: what Windows itself shows in its dialogs.
WINDOWS_TEXTS = "确定取消是否关闭重试忽略帮助"


def program_characters():
    characters = set(EXTRA + WINDOWS_TEXTS)
    for folder in ("core", "platform", "ui"):
        for source in (TOP / folder).rglob("*"):
            if source.suffix in (".cpp", ".h"):
                for _, text in literals(source.read_text(encoding="utf-8")):
                    characters.update(c for c in text if c.isprintable())
    return characters


def face_number(collection, family):
    for number in range(32):
        face = TTFont(collection, fontNumber=number, lazy=True)
        if face["name"].getDebugName(1) == family:
            return number
    sys.exit(f"{collection}: no face named {family}")


def rename(font, english, chinese):
    name = font["name"]
    for name_id in (1, 2, 3, 4, 6, 16, 17):
        name.removeNames(nameID=name_id)
    postscript = english.replace(" ", "")
    for name_id, text in ((1, english), (2, "Regular"), (3, postscript), (4, english),
                          (6, postscript)):
        name.setName(text, name_id, 3, 1, 0x409)
    if chinese:
        name.setName(chinese, 1, 3, 1, 0x804)
        name.setName(chinese, 4, 3, 1, 0x804)
    cff = font["CFF "].cff
    cff.fontNames = [postscript]
    cff.topDictIndex[0].FullName = english
    cff.topDictIndex[0].FamilyName = english


def set_vertical_metrics(font, units, ascent, descent, gap):
    scale = font["head"].unitsPerEm / units
    ascent, descent, gap = (round(value * scale) for value in (ascent, descent, gap))
    hhea, os2 = font["hhea"], font["OS/2"]
    hhea.ascent, hhea.descent, hhea.lineGap = ascent, -descent, gap
    os2.sTypoAscender, os2.sTypoDescender, os2.sTypoLineGap = ascent, -descent, gap
    os2.usWinAscent, os2.usWinDescent = ascent, descent


def half_width_ascii(font):
    half = font["head"].unitsPerEm // 2
    metrics = font["hmtx"].metrics
    for code, glyph in font.getBestCmap().items():
        if 0x20 <= code < 0x7F:
            metrics[glyph] = (half, metrics[glyph][1])


def logfont(face, points=9, dpi=96):
    """A LOGFONTW of that face, regular, at that size, as .reg hex bytes."""
    import struct
    data = struct.pack("<lllll8B", -round(points * dpi / 72), 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0)
    data += face.encode("utf-16-le").ljust(64, b"\0")
    return ",".join(f"{b:02x}" for b in data)


def write_registry(path):
    fonts = "\n".join(f'"{english} (OpenType)"="{file_name}"'
                      for file_name, _, _, (english, _), *_ in FONTS)
    metrics = "\n".join(f'"{name}"=hex:{logfont("Microsoft YaHei UI")}'
                        for name in ("MessageFont", "MenuFont", "CaptionFont", "SmCaptionFont",
                                     "StatusFont", "IconFont"))
    path.write_text(f"""REGEDIT4

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]
{fonts}

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontSubstitutes]
"MS Shell Dlg"="SimSun"

[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]
{metrics}
""", encoding="utf-8")


def main():
    out = pathlib.Path(sys.argv[1])
    noto = pathlib.Path(sys.argv[2] if len(sys.argv) > 2 else "/usr/share/fonts/opentype/noto")
    out.mkdir(parents=True, exist_ok=True)
    characters = program_characters()
    for file_name, collection, face, (english, chinese), units, ascent, descent, gap, half \
            in FONTS:
        options = subset.Options()
        options.font_number = face_number(noto / collection, face)
        options.notdef_outline = True
        # Keep Noto's code pages: newer fontTools recomputes them from what the
        # subset holds, drops GB2312, and GDI then finds no Chinese SimSun.
        options.prune_codepage_ranges = False
        options.name_IDs = ["*"]
        options.name_languages = ["*"]
        options.drop_tables += ["VORG", "vhea", "vmtx", "BASE", "GSUB", "GPOS"]
        font = subset.load_font(str(noto / collection), options)
        subsetter = subset.Subsetter(options)
        subsetter.populate(unicodes=[ord(c) for c in characters])
        subsetter.subset(font)
        rename(font, english, chinese)
        set_vertical_metrics(font, units, ascent, descent, gap)
        if half:
            half_width_ascii(font)
        font.save(str(out / file_name))
        print(f"{file_name}: {english}, {len(font.getGlyphOrder())} glyphs")
    write_registry(out / "fonts.reg")


if __name__ == "__main__":
    main()
