#!/usr/bin/env bash
# Checks that what users read agrees with the program and with itself:
# - README.md and README.zh-CN.md name the same release files, each with the
#   version of cmake/AppIdentity.cmake, and mark the same safety points
#   (<!-- safety:name -->), in the same order, ahead of their first section;
# - README.zh-CN.md lists every message the program can show, as the sources
#   define them (the Msg texts under core/ and ui/);
# - the release notes (NEWS.md, NEWS.zh-CN.md), both manual pages and a
#   debian/changelog, if there is one, are of this version;
# - both manual pages render without a warning and list every message.
#   scripts/docs-check.sh
set -euo pipefail
cd "$(dirname "$0")/.."

fail() { echo "docs check: $*" >&2; exit 1; }
command -v man >/dev/null || fail "man is missing: run scripts/install-deps.sh test"

. packaging/windows/identity.sh  # name, publisher, version (a.b.c.d)
[ -n "$version" ] || fail "cannot read the version from cmake/AppIdentity.cmake"

# The pages as man shows them, in a UTF-8 locale (the Chinese texts need
# one); groff's warnings fail the check.
rendered=$(mktemp -d)
trap 'rm -rf "$rendered"' EXIT
pages=(man/quendal.1 man/zh_CN/quendal.1)
for page in "${pages[@]}"; do
  [ -f "$page" ] || fail "$page is missing"
  out=$rendered/$(tr / _ <<<"$page").txt
  warnings=$(MANWIDTH=80 LC_ALL=C.UTF-8 MAN_KEEP_FORMATTING= man --warnings -l "$page" 2>&1 >"$out") ||
    fail "man cannot render $page: $warnings"
  [ -z "$warnings" ] || fail "$page renders with warnings:"$'\n'"$warnings"
done

python3 - "$version" "$rendered" "${pages[@]}" <<'PY'
import codecs, os, re, sys

version, rendered, pages = sys.argv[1], sys.argv[2], sys.argv[3:]
numbers = version.split(".")
# The release's own number, as the .deb carries it: the fourth only when not 0.
release = ".".join(numbers[:3] + ([numbers[3]] if numbers[3] != "0" else []))
problems = []


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


# Every message the program can show: the Msg... texts of the sources.
definition = re.compile(r'constexpr\s+char\s+(Msg\w*)\s*\[\]\s*=\s*"((?:[^"\\\n]|\\.)*)"\s*;')
anything = re.compile(r'constexpr\s+char\s+(Msg\w*)\s*\[\]')
messages = {}
for top in ("core", "ui"):
    for folder, _, files in os.walk(top):
        for file in sorted(files):
            if not file.endswith((".h", ".cpp")):
                continue
            path = os.path.join(folder, file)
            text = read(path)
            parsed = {m.group(1): m.group(2) for m in definition.finditer(text)}
            for name in anything.findall(text):
                if name not in parsed:
                    problems.append(f"{path}: cannot read the text of {name} (one plain string literal)")
            for name, literal in parsed.items():
                value = codecs.escape_decode(literal.encode("utf-8"))[0].decode("utf-8")
                messages[f"{path}: {name}"] = value
if not any(key.startswith("core/texts.h:") for key in messages):
    problems.append("found no message in core/texts.h")

# The release files each README names, and the version in their names.
release_file = re.compile(r"\b(?:quendal[-_][0-9]+(?:\.[0-9]+)+(?:[-_][A-Za-z0-9]+)*\.(?:deb|exe|buildinfo)"
                          r"|SHA256SUMS|NEWS(?:\.zh-CN)?\.md)(?![\w.-])")
safety_point = re.compile(r"<!-- safety:([a-z-]+) -->(.?)")
readmes = ["README.md", "README.zh-CN.md"]
files, points = {}, {}
for readme in readmes:
    text = read(readme)
    files[readme] = set(release_file.findall(text))
    for name in sorted(files[readme]):
        # quendal_<release>_<arch>.deb, quendal-<version>-<what>.exe and .buildinfo
        named = re.match(r"quendal[-_]([0-9.]*[0-9])[-_.]", name)
        wanted = release if name.endswith(".deb") else version
        if named and named.group(1) != wanted:
            problems.append(f"{readme} names {name}, not a file of version {wanted}")
    if "SHA256SUMS" not in files[readme]:
        problems.append(f"{readme} names no SHA256SUMS")
    first_section = re.search(r"^## ", text, re.M)
    head = text[: first_section.start()] if first_section else text
    points[readme] = [m.group(1) for m in safety_point.finditer(text)]
    for m in safety_point.finditer(text):
        if m.start() >= len(head):
            problems.append(f"{readme}: the safety point {m.group(1)} is not ahead of the first section")
        if not m.group(2).strip():
            problems.append(f"{readme}: the safety point {m.group(1)} marks no text")
    if not points[readme]:
        problems.append(f"{readme} marks no safety point (<!-- safety:name -->)")
english, chinese = readmes
for name in sorted(files[english] ^ files[chinese]):
    only = english if name in files[english] else chinese
    problems.append(f"only {only} names the release file {name}")
if points[english] != points[chinese]:
    problems.append(f"the safety points differ: {english} {points[english]}, {chinese} {points[chinese]}")

# README.zh-CN.md's list of messages: the section under its heading.
heading = "## 程序会显示的消息"
text = read(chinese)
start = text.find("\n" + heading + "\n")
if start < 0:
    problems.append(f"{chinese} has no section '{heading}'")
else:
    following = text.find("\n## ", start + 1)
    section = text[start : following if following > 0 else len(text)]
    for where, message in messages.items():
        if f"`{message}`" not in section:
            problems.append(f"{chinese}'s list of messages lacks `{message}` ({where})")

# Both manual pages, as rendered: the version and every message.
for page in pages:
    header = re.search(r'^\.TH\s+QUENDAL\s+1\s+"[^"]*"\s+"Quendal ([^"]*)"', read(page), re.M)
    if not header or header.group(1) != release:
        problems.append(f"{page}: .TH names {header.group(1) if header else 'no version'}, not Quendal {release}")
    shown = read(os.path.join(rendered, page.replace("/", "_") + ".txt"))
    for where, message in messages.items():
        if message not in shown:
            problems.append(f"{page} does not show {message} ({where})")

for notes in ("NEWS.md", "NEWS.zh-CN.md"):
    first = read(notes).split("\n", 1)[0]
    if first != f"# Quendal {release}":
        problems.append(f"{notes} begins with '{first}', not the notes of '# Quendal {release}'")
if os.path.exists("debian/changelog"):
    entry = re.match(r"\S+ \(([^)]*)\)", read("debian/changelog"))
    if not entry or entry.group(1).split("-")[0] != release:
        problems.append(f"debian/changelog's latest entry is not of {release}")

if problems:
    print("\n".join("docs check: " + p for p in problems), file=sys.stderr)
    sys.exit(1)
print(f"docs check: version {release} ({version}) throughout; both READMEs name "
      f"{len(files[english])} release files and {len(points[english])} safety points alike; "
      f"the {len(messages)} messages are in {chinese} and both manual pages, which render cleanly")
PY
