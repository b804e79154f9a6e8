#!/usr/bin/env python3
"""Where the bytes of the setup go: a table per object file and section, from the linker's map of
the executable and the executable itself, written into bench/RESULTS.md between the markers
<!-- size table --> and <!-- end of size table --> (or printed, with --print).

usage: size_table.py EXE MAP RESULTS_MD [--print]
"""
import collections
import re
import struct
import sys

SECTIONS = (".text", ".rdata", ".data")
START, END = "<!-- size table -->", "<!-- end of size table -->"


def image_sections(exe):
    """(name, bytes in the file) of each section of the PE image, and the file's size."""
    data = open(exe, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    table = pe + 24 + optional
    sections = []
    for i in range(count):
        name, _, _, raw_size = struct.unpack_from("<8sIII", data, table + 40 * i)
        sections.append((name.rstrip(b"\0").decode(), raw_size))
    return sections, len(data)


def kept_contributions(map_file):
    """Bytes each object file gives to each output section, from the map's kept input sections."""
    sizes = collections.Counter()
    lines = open(map_file, encoding="utf-8", errors="replace").read().split("\n")
    try:
        lines = lines[next(i for i, l in enumerate(lines) if l.startswith("Linker script and memory map")):]
    except StopIteration:
        pass
    section, pending = None, None
    for line in lines:
        head = re.match(r"^(\.[A-Za-z_]+)\s", line)
        if head:
            section = head.group(1)
            continue
        m = re.match(r"^ (\.[A-Za-z_$]+)\S*\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)", line)
        if not m and pending:
            m2 = re.match(r"^\s+0x[0-9a-f]+\s+0x([0-9a-f]+)\s+(\S+)", line)
            if m2:
                sizes[(section, re.sub(r".*/", "", m2.group(2)))] += int(m2.group(1), 16)
            pending = None
            continue
        pending = re.match(r"^ \.[A-Za-z_$]+\S*\s*$", line) is not None
        if m:
            sizes[(section, re.sub(r".*/", "", m.group(3)))] += int(m.group(2), 16)
    return sizes


def object_name(entry):
    inner = re.search(r"\(([^)]+)\)", entry)
    name = inner.group(1) if inner else entry
    return re.sub(r"\.(cpp|c)\.obj$|\.o$|^lib32_", "", name.replace("lib32_libmingwex_a-", "mingwex:"))


RESOURCE_TYPES = {1: "cursor", 3: "icon", 5: "dialog", 6: "strings (the components)", 12: "cursor directory",
                  14: "icon directory", 16: "version", 24: "manifest", 3000: "payload, stored as it is",
                  3001: "payload (one LZMA stream)", 3002: "pictures (one LZMA stream)", 3003: "texts and maker values (LZMA blocks)"}


def resources(exe):
    """Bytes of each resource type in the image."""
    data = open(exe, "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    count = struct.unpack_from("<H", data, pe + 6)[0]
    optional = struct.unpack_from("<H", data, pe + 20)[0]
    sizes = collections.Counter()
    for i in range(count):
        name, _, address, _, raw = struct.unpack_from("<8sIIII", data, pe + 24 + optional + 40 * i)
        if name.rstrip(b"\0") != b".rsrc":
            continue

        def walk(offset, kind):
            named, ids = struct.unpack_from("<HH", data, raw + offset + 12)
            for n in range(named + ids):
                key, target = struct.unpack_from("<II", data, raw + offset + 16 + 8 * n)
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, key if kind is None else kind)
                else:
                    sizes[kind] += struct.unpack_from("<II", data, raw + target)[1]
        walk(0, None)
    return sizes


def table(exe, map_file):
    sections, total = image_sections(exe)
    sizes = kept_contributions(map_file)
    rows = collections.defaultdict(lambda: collections.Counter())
    for (section, entry), size in sizes.items():
        if section in SECTIONS and size:
            rows[object_name(entry)][section] += size
    out = ["%d bytes in all; sections in the file: %s." % (total, ", ".join("%s %d" % s for s in sections if s[1])),
           "", "| object | " + " | ".join(SECTIONS) + " | together |", "|---|" + "---:|" * (len(SECTIONS) + 1)]
    ordered = sorted(rows.items(), key=lambda kv: -sum(kv[1].values()))
    small = [counts for _, counts in ordered if sum(counts.values()) < 100]
    for name, counts in ordered:
        if sum(counts.values()) >= 100:
            out.append("| %s | %s | %d |" % (name, " | ".join(str(counts[s]) for s in SECTIONS), sum(counts.values())))
    if small:
        rest = sum(small, collections.Counter())
        out.append("| %d smaller pieces (import thunks, run-time helpers) | %s | %d |" %
                   (len(small), " | ".join(str(rest[s]) for s in SECTIONS), sum(rest.values())))
    out += ["", "| resource | bytes |", "|---|---:|"]
    for kind, size in sorted(resources(exe).items(), key=lambda kv: -kv[1]):
        out.append("| %s | %d |" % (RESOURCE_TYPES.get(kind, "type %s" % kind), size))
    return "\n".join(out)


def main(argv):
    exe, map_file, results = argv[1:4]
    text = table(exe, map_file)
    if "--print" in argv:
        print(text)
        return 0
    body = open(results, encoding="utf-8").read()
    if START in body and END in body:
        body = body[:body.index(START) + len(START)] + "\n" + text + "\n" + body[body.index(END):]
    else:
        body += "\n## Where the bytes go\n\n%s\n%s\n%s\n" % (START, text, END)
    open(results, "w", encoding="utf-8").write(body)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
