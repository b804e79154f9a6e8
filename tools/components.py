#!/usr/bin/env python3
"""The build's check of a setup's components and payload, and the string table of its toggles.

usage: components.py RESOURCE_SCRIPT|- --components KEYWORD|CAPTION|STATUS... [--payload [KEYWORD/]NAME=FILE...]
("-": check only, write no script)

Components come as UTF-8, in any language; the script holds them as UTF-16 escapes, so that the
resource compiler needs no code page. A cleared toggle leaves out every payload item whose installed
name holds its keyword, letter case aside, so the build refuses what the setup would get wrong:
keywords one inside another, a payload entry whose installed name does not hold its own keyword or
holds another component's (an entry without a keyword belongs to the one component whose keyword its
name holds, if any), and installed names that are no plain file name. Each refusal names the
keywords and the entry. Exits 1 with the reasons on standard error.
"""
import sys

MAX_COMPONENTS = 14
DEVICES = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"} | {p + str(d) for p in ("COM", "LPT") for d in range(1, 10)}


def install_name(stored):
    """The installed name of a stored (upper-case) resource name, as the setup derives it."""
    name = list(stored.lower() if stored.isascii() else stored)
    if not name:
        return ""
    name[0] = name[0].upper()
    i = 0
    while i + 1 < len(name):
        if name[i] == "_":
            if name[i + 1] == "_":
                del name[i:i + 2]
                if i < len(name):
                    name[i] = name[i].upper()
            if i < len(name) and name[i] == "_":
                name[i] = " "
        if i >= len(name):
            break
        c = name[i]
        if c == ":":
            del name[i]
        elif not c.isalpha() and c not in "'.8" and i + 1 < len(name):
            name[i + 1] = name[i + 1].upper()
        i += 1
    return "".join(name)


def plain_file_name(name):
    if not name or len(name) > 255 or name[-1] in ". " or any(c in '\\/:*?"<>|' or ord(c) < 32 for c in name):
        return False
    return name.split(".")[0].rstrip(" ").upper() not in DEVICES


def units(text):
    """Length in UTF-16 code units, as the setup holds its texts."""
    return len(text.encode("utf-16-le")) // 2


def escaped(text):
    """Every UTF-16 code unit as an escape: no code page, no quote or backslash to mind."""
    data = text.encode("utf-16-le")
    return "".join("\\x%04x" % (data[k] | data[k + 1] << 8) for k in range(0, len(data), 2))


def main(argv):
    script, rest = argv[1], argv[2:]
    split = rest.index("--payload") if "--payload" in rest else len(rest)
    components = [c for c in rest[1:split] if c]
    payload = [p for p in rest[split + 1:] if p]
    faults = []
    if len(components) > MAX_COMPONENTS:
        faults.append("A setup offers at most %d components" % MAX_COMPONENTS)
    keywords = []
    for component in components:
        fields = component.split("|")
        if len(fields) != 3:
            faults.append("Component '%s' is not KEYWORD|CAPTION|STATUS TEXT" % component)
            continue
        keyword, caption, status = fields
        if not 1 <= units(keyword) <= 39 or units(caption) > 39 or units(status) > 79:
            faults.append("Component '%s': keyword 1-39, caption up to 39, status up to 79 characters" % component)
        keywords.append(keyword)
    for a in keywords:
        for b in keywords:
            if a is not b and a.lower() in b.lower():
                faults.append("Component keywords '%s' and '%s': one lies inside the other, letter case aside, so "
                              "clearing '%s' would leave out '%s' too" % (a, b, a, b))
    for entry in payload:
        named = entry.partition("=")[0]
        keyword, _, stored = named.partition("/") if "/" in named else ("", "", named)
        stored = stored.upper()
        installed = install_name(stored)
        if not plain_file_name(installed):
            faults.append("Payload entry '%s' installs as '%s', which is no plain file name" % (entry, installed))
        if keyword and keyword not in keywords:
            faults.append("Payload entry '%s' names '%s', which is no component" % (entry, keyword))
        if keyword and keyword.lower() not in installed.lower():
            faults.append("Payload entry '%s' installs as '%s', which does not hold its component's keyword '%s'"
                          % (entry, installed, keyword))
        held = [k for k in keywords if k.lower() in installed.lower()]
        if keyword and len(held) > 1:
            faults.append("Payload entry '%s' installs as '%s', which holds the keyword '%s' of another component as "
                          "well as its own '%s'" % (entry, installed, [k for k in held if k != keyword][0], keyword))
        elif len(held) > 1:
            faults.append("Payload entry '%s' installs as '%s', which holds the keywords '%s' and '%s': clearing "
                          "either would leave it out" % (entry, installed, held[0], held[1]))
    if faults:
        sys.stderr.write("\n".join(faults) + "\n")
        return 1
    if script == "-":
        return 0
    lines = ["STRINGTABLE", "BEGIN"]
    for index, component in enumerate(components):
        for offset, field in enumerate(component.split("|")):
            lines.append('  %d L"%s"' % (1000 + 3 * index + offset, escaped(field)))
    lines.append("END")
    with open(script, "w", encoding="ascii") as out:
        out.write("\n".join(lines) + "\n")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
