"""Fails when a character the Qt program draws has no glyph in one of its
embedded fonts, naming the character, the fonts that lack it and where the
program uses it. It reads the fonts' character maps only, so a new fontTools,
Noto release or distribution does not change the answer.
  check_font_coverage.py [top of the source tree] [folder of the fonts]"""

import pathlib
import sys

from fontTools.ttLib import TTFont

import program_texts

# Files that hold the program's texts: a scan that misses them finds too little
# to check and would pass.
KNOWN_SOURCES = ("core/texts.h",)


def uncovered(top, fonts):
    """{character: (places, [fonts without it])} for every drawn character
    that some embedded font lacks."""
    top, fonts = pathlib.Path(top), pathlib.Path(fonts)
    scanned = {path.relative_to(top).as_posix() for path in program_texts.sources(top)}
    for folder in program_texts.SOURCE_FOLDERS:
        if not any(path.startswith(folder + "/") for path in scanned):
            sys.exit(f"no sources found in {top / folder}")
    for known in KNOWN_SOURCES:
        if known not in scanned:
            sys.exit(f"{top / known} is not among the sources scanned for texts")

    characters = program_texts.drawn_characters(top)
    maps = {}
    for file_name, *_ in program_texts.FACES:
        with TTFont(fonts / file_name, lazy=True) as font:
            maps[file_name] = set(font.getBestCmap())
    lacking = {}
    for c, places in characters.items():
        without = [name for name, cmap in maps.items() if ord(c) not in cmap]
        if without:
            lacking[c] = (places, without)
    return lacking, len(characters), len(scanned)


def main():
    here = pathlib.Path(__file__).resolve().parent
    top = pathlib.Path(sys.argv[1]) if len(sys.argv) > 1 else here.parents[1]
    fonts = pathlib.Path(sys.argv[2]) if len(sys.argv) > 2 else here
    lacking, count, scanned = uncovered(top, fonts)
    for c, (places, without) in sorted(lacking.items()):
        shown = ", ".join(places[:3]) + (f" and {len(places) - 3} more" if len(places) > 3 else "")
        print(f"U+{ord(c):04X} {c!r} ({shown}) has no glyph in {', '.join(without)}",
              file=sys.stderr)
    if lacking:
        sys.exit(f"{len(lacking)} characters of the program are missing from the embedded "
                 "fonts: run assets/fonts/make-font-subsets.sh and commit the fonts it writes")
    print(f"embedded fonts: all {count} characters of {scanned} sources and of typed input "
          "have glyphs")


if __name__ == "__main__":
    main()
