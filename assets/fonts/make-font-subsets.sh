#!/usr/bin/env bash
# Writes the fonts the program embeds: subsets of Noto Serif CJK SC (Regular
# and Bold, for the "宋体" labels) and Noto Sans CJK SC Regular (the dialog
# font), renamed Quendal Serif and Quendal Sans. They hold only what the Qt
# program draws: every character of the string literals in core/, platform/
# and ui/ (not ui/win32/, which draws with the system's fonts), printable
# ASCII, and the full-width punctuation a Chinese input method types; anything
# else a user types is drawn by the system's fonts. program_texts.py says
# which characters those are, for both commands below.
#
#   assets/fonts/make-font-subsets.sh           rewrite the fonts; needs Debian's
#                                               fonts-noto-cjk and python3-fonttools
#   assets/fonts/make-font-subsets.sh --check   fail if a character the program
#                                               draws has no glyph in them; needs
#                                               python3-fonttools only
#
# Run it again whenever a text of the program gains a character, and commit
# the .otf files it rewrites. The check looks at the characters, not at the
# bytes, which change with the fontTools and Noto versions.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
top=$(cd "$here/../.." && pwd)

# Debian's fontTools belongs to the system Python, whatever python3 is first
# on PATH. No .pyc files in the source tree.
python=(env PYTHONDONTWRITEBYTECODE=1 /usr/bin/python3)
case "${1:-}" in
  --check) exec "${python[@]}" "$here/check_font_coverage.py" "$top" "$here" ;;
  "") exec "${python[@]}" "$here/make_font_subsets.py" "$top" "$here" \
        "${NOTO_CJK_DIR:-/usr/share/fonts/opentype/noto}" ;;
  *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac
