#!/usr/bin/env python3
"""The build's check of the setup's texts in every built-in language, joined into one block that the
build compresses with the pictures.

usage: languages.py OUTPUT TEXT_IDS_H PRODUCT_H LANGUAGE_FOLDER [--languages TAG...]
                    [--components KEYWORD... [--texts FILE]]

LANGUAGE_FOLDER holds one file a language, <tag>.txt (UTF-8): `Key = text` lines, first the
language's own name (Language) and its tag (Tag), then the texts in the order of the ids in
TEXT_IDS_H (its enum TextId, each name without "kText"), "#" comment lines and blank lines. In a text, \\n is a line break, \\t a tab, \\s a blank that would otherwise be trimmed, \\\\ a
backslash; {1} and {2} are filled in by the setup, {maker} and {product} here, from PRODUCT_H, and
{languages} with the tags of the languages the setup carries. en.txt is the default language and
comes first; --languages names the others to carry (all by default).

LANGUAGE_FOLDER/terms.txt holds, under a line [tag], lines `word = variant, variant...`: the
language's file says the word, never a variant (letter case aside; a variant matches at the start
of a word, so that its inflected forms are caught too): one word for one thing across the file.

The components' own texts per language come from the maker's file (--texts): under a line [tag],
lines `Keyword = caption | status text`, for the components' keywords (--components, in their order).

The build refuses, naming the file and line: a key missing, unknown, repeated or out of order, a text
whose placeholders differ from the English one, a completed message that is not four lines, a file
that is not UTF-8, a tag no built-in language has, a keyword no component has, a caption over 39 or
a status text over 79 characters. It refuses what its typography rules see: a status text ending in
a full stop; in French a colon, semicolon, question or exclamation mark without a non-breaking
space before it, or guillemets without one inside; in Chinese and Japanese an ASCII colon, comma,
semicolon, question or exclamation mark or parenthesis outside the command-line switches; a
variant that terms.txt refuses. Exits 1 with the reasons on standard error.

The block, little-endian: "VMTX", u16 version 2, u16 language count, u16 text count, u16 component
count; per language: its tag (ASCII, 6 bytes, NULs behind it) and u32 bytes of its texts; then the
texts of every language in that order: its texts, then a caption and a status text per component
(empty: the default one), each UTF-16 and ending in a NUL.
The languages stand as KINDRED orders them, related languages side by side: the build compresses
the block, and what one language says helps the next.
"""
import os
import re
import struct
import sys

ESCAPES = {"n": "\n", "t": "\t", "s": " ", "\\": "\\"}
PLACEHOLDER = re.compile(r"\{(1|2|maker|product|languages)\}")
NO_BREAK = "\u00a0\u202f"
# What the setup's own texts say verbatim in every language: the switches of the command line.
SWITCH = re.compile(r"/(?:[A-Z]+=?|\?)")
CAPTION_LIMIT, STATUS_LIMIT = 39, 79
TAG_BYTES = 6
KINDRED = ["en", "de", "nl", "da", "nb", "sv", "fi", "fr", "it", "es", "pt-BR", "pl", "cs", "hu", "tr", "ru", "uk",
           "ja", "zh-CN", "zh-TW", "ko"]


class Refusal(Exception):
    pass


def text_ids(header):
    names = re.findall(r"^\s*kText(\w+)\s*[,=/]", open(header, encoding="utf-8").read(), re.M)
    return [name for name in names if name != "Count"]


def product_names(header):
    defines = dict(re.findall(r'^#define (\w+) (.+?)\s*(?://.*)?$', open(header, encoding="utf-8").read(), re.M))

    def expand(name):
        return "".join(text or expand(macro) for text, macro in re.findall(r'"([^"]*)"|(\w+)', defines[name]))

    return {"maker": expand("MAKER_NAME"), "product": expand("PRODUCT_NAME")}


def unescape(text, where):
    out, i = [], 0
    while i < len(text):
        if text[i] == "\\":
            if i + 1 >= len(text) or text[i + 1] not in ESCAPES:
                raise Refusal("%s: an unknown escape %r" % (where, text[i:i + 2]))
            out.append(ESCAPES[text[i + 1]])
            i += 2
        else:
            out.append(text[i])
            i += 1
    return "".join(out)


def read_lines(path):
    try:
        text = open(path, encoding="utf-8", newline="").read()
    except UnicodeDecodeError as error:
        raise Refusal("%s: not UTF-8 (%s)" % (path, error))
    if text.startswith("\ufeff"):
        text = text[1:]
    for number, line in enumerate(text.split("\n"), 1):
        line = line.rstrip("\r")
        if line.strip() and not line.lstrip().startswith("#"):
            yield number, line


def check_typography(tag, key, text, where):
    """The rules of the language's typography that a machine can see."""
    if key.endswith("Status") and text.rstrip().endswith("."):
        raise Refusal("%s: a status text ends without a full stop" % where)
    if tag == "fr":
        for at, mark in enumerate(text):
            if mark in ":;?!»" and at > 0 and text[at - 1] not in NO_BREAK and not text[at - 1] in "/\\":
                raise Refusal("%s: French puts a non-breaking space before %r" % (where, mark))
            if mark == "«" and at + 1 < len(text) and text[at + 1] not in NO_BREAK:
                raise Refusal("%s: French puts a non-breaking space after '«'" % where)
    if tag.startswith("zh") or tag == "ja":
        bare = SWITCH.sub("", PLACEHOLDER.sub("", text))
        found = re.search(r"[:;,?!()]", bare)
        if found:
            raise Refusal("%s: %r where %s writes full-width punctuation" % (where, found.group(0), tag))


def read_terms(path):
    """terms.txt: per language, the variants its file must not say, with the word it says instead."""
    terms, tag = {}, None
    if not os.path.exists(path):
        return terms
    for number, line in read_lines(path):
        where = "%s:%d" % (path, number)
        header = re.fullmatch(r"\s*\[([A-Za-z-]+)\]\s*", line)
        if header:
            tag = header.group(1)
            terms.setdefault(tag, [])
            continue
        word, equals, variants = line.partition("=")
        if tag is None or not equals or not word.strip() or not variants.strip():
            raise Refusal("%s: not word = variant, variant... under a [tag] line" % where)
        for variant in variants.split(","):
            if variant.strip():
                terms[tag].append((variant.strip(), word.strip()))
    return terms


def check_terms(texts, variants):
    for key, (text, marks, where) in texts.items():
        for variant, word in variants:
            # Chinese, Japanese and Korean words meet without spaces: a variant there matches anywhere.
            start = "" if ord(variant[0]) >= 0x3000 else r"(?<!\w)"
            if re.search(start + re.escape(variant), text, re.I):
                raise Refusal("%s: says %r where the file says %r" % (where, variant, word))


def read_language(path, ids, names):
    texts = {}
    expected = iter(["Language", "Tag"] + ids)
    for number, line in read_lines(path):
        where = "%s:%d" % (path, number)
        key, equals, value = line.partition("=")
        key = key.strip()
        if not equals:
            raise Refusal("%s: not Key = text" % where)
        wanted = next(expected, None)
        if key != wanted:
            raise Refusal("%s: %s where %s belongs" % (where, key or "no key", wanted or "nothing"))
        text = unescape(value.strip(), where)
        texts[key] = (text, set(PLACEHOLDER.findall(text)), where)
    missing = next(expected, None)
    if missing:
        raise Refusal("%s: %s is missing" % (path, missing))
    return texts


def read_component_texts(path, keywords, tags):
    found = {}
    tag = None
    for number, line in read_lines(path):
        where = "%s:%d" % (path, number)
        header = re.fullmatch(r"\s*\[([A-Za-z-]+)\]\s*", line)
        if header:
            tag = header.group(1)
            if tag not in tags:
                raise Refusal("%s: [%s] is no built-in language (%s)" % (where, tag, ", ".join(tags)))
            found.setdefault(tag, {})
            continue
        keyword, equals, value = line.partition("=")
        caption, bar, status = value.partition("|")
        keyword, caption, status = keyword.strip(), caption.strip(), status.strip()
        if tag is None or not equals or not bar or not caption or not status or "|" in status:
            raise Refusal("%s: not Keyword = caption | status text under a [tag] line" % where)
        if keyword not in keywords:
            raise Refusal("%s: %s is no component's keyword (%s)" % (where, keyword, ", ".join(keywords)))
        if keyword in found[tag]:
            raise Refusal("%s: %s is given twice for [%s]" % (where, keyword, tag))
        for what, text, limit in (("caption", caption, CAPTION_LIMIT), ("status text", status, STATUS_LIMIT)):
            if len(text.encode("utf-16-le")) // 2 > limit:
                raise Refusal("%s: the %s has more than %d characters" % (where, what, limit))
        found[tag][keyword] = (caption, status)
    return found


def build(output, ids_header, product_header, folder, keywords, component_texts, carried=None):
    ids = text_ids(ids_header)
    names = product_names(product_header)
    files = sorted(f for f in os.listdir(folder) if f.endswith(".txt") and f not in ("components.txt", "terms.txt"))
    if "en.txt" not in files:
        raise Refusal("%s: en.txt, the default language, is missing" % folder)
    files.remove("en.txt")
    languages = [read_language(os.path.join(folder, f), ids, names) for f in ["en.txt"] + files]
    terms = read_terms(os.path.join(folder, "terms.txt"))
    english = languages[0]
    for texts in languages:
        tag = texts["Tag"][0]
        if not re.fullmatch(r"[a-z]{2}(-[A-Z]{2})?", tag):  # it fits TAG_BYTES with its NUL
            raise Refusal("%s: the tag %r is not a language (and region)" % (texts["Tag"][2], tag))
        for key, (text, marks, where) in texts.items():
            if marks != english[key][1]:
                raise Refusal("%s: %s has the placeholders %s, English %s" % (
                    where, key, sorted(marks) or "none", sorted(english[key][1]) or "none"))
            check_typography(tag, key, text, where)
        if texts["Completed"][0].count("\n") != 3:
            raise Refusal("%s: Completed must be four lines" % texts["Completed"][2])
        check_terms(texts, terms.get(tag, []))
    tags = [texts["Tag"][0] for texts in languages]
    if carried is not None:
        unknown = [tag for tag in carried if tag not in tags]
        if unknown:
            raise Refusal("%s: no built-in language %s (%s)" % (folder, ", ".join(unknown), ", ".join(tags)))
        languages = [texts for texts in languages if texts["Tag"][0] == "en" or texts["Tag"][0] in carried]
        tags = [texts["Tag"][0] for texts in languages]
    names["languages"] = ", ".join(tags)
    components = read_component_texts(component_texts, keywords, tags) if component_texts else {}
    languages.sort(key=lambda texts: KINDRED.index(texts["Tag"][0]) if texts["Tag"][0] in KINDRED else len(KINDRED))
    table, bodies = b"", b""
    for texts in languages:
        tag = texts["Tag"][0]
        strings = [PLACEHOLDER.sub(lambda m: names.get(m.group(1), m.group(0)), texts[key][0]) for key in ids]
        for keyword in keywords:
            for text, field in zip(components.get(tag, {}).get(keyword, ("", "")), ("caption", "status text")):
                check_typography(tag, "Status" if field == "status text" else "Caption", text,
                                 "%s, [%s] %s's %s" % (component_texts, tag, keyword, field))
                strings.append(text)
        body = b"".join(s.encode("utf-16-le") + b"\0\0" for s in strings)
        table += tag.encode("ascii").ljust(TAG_BYTES, b"\0") + struct.pack("<I", len(body))
        bodies += body
    with open(output, "wb") as out:
        out.write(b"VMTX" + struct.pack("<HHHH", 2, len(languages), len(ids), len(keywords)) + table + bodies)


def main(argv):
    args = argv[1:]
    keywords, component_texts, carried = [], None, None
    if "--languages" in args:
        at = args.index("--languages")
        end = args.index("--components") if "--components" in args[at:] else len(args)
        carried = args[at + 1:end]
        args = args[:at] + args[end:]
    if "--components" in args:
        at = args.index("--components")
        rest = args[at + 1:]
        args = args[:at]
        if "--texts" in rest:
            component_texts = rest[rest.index("--texts") + 1]
            rest = rest[:rest.index("--texts")]
        keywords = rest
    if len(args) != 4:
        sys.stderr.write(__doc__)
        return 2
    try:
        build(*args, keywords, component_texts, carried)
    except Refusal as refusal:
        sys.stderr.write("The setup's texts cannot be built: %s\n" % refusal)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
