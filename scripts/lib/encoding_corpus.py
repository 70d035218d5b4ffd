#!/usr/bin/env python3
"""Builds the encoding evaluation corpus: slices of real Chinese text from Debian packages, each saved
in one encoding, with the text it must load as.

    encoding_corpus.py FOLDER

Downloads the packages into FOLDER/debs (once), takes the text lines that hold Chinese from their
man pages, program messages, manuals and poems, and writes FOLDER/corpus/<class>/<n>.txt (the file)
and <n>.expected (its text in UTF-8), with FOLDER/corpus/index.tsv listing class, size (the slice's
Chinese, that is non-ASCII, characters), file, expected text and source. The same packages always give the same corpus."""
import gettext
import glob
import gzip
import html
import math
import os
import random
import re
import subprocess
import sys
from bisect import bisect

# Simplified (zh_CN) and Traditional (zh_TW) texts: translated manual pages, program messages,
# the Debian maintainers' guide, and classical poems.
PACKAGES = ["manpages-zh", "fortunes-zh", "maint-guide-zh-cn", "maint-guide-zh-tw",
            "coreutils", "bash", "findutils", "grep", "diffutils"]

# Class: (files, script of the texts it is cut from (None: both), encoder).
CLASSES = {
    "cp936-simplified": (120, "simplified", "gbk"),
    "cp936-traditional": (100, "traditional", "gbk"),
    "utf8": (24, None, "utf-8"),
    "big5": (120, "traditional", "cp950"),
    "gb18030": (80, None, "gb18030"),
}
FEWEST, MOST = 12, 30000

CJK = re.compile("[\u3400-\u9fff\U00020000-\U0003ffff]")
CONTROL = re.compile("[\x00-\x08\x0b-\x1f\x7f-\x9f]")


def fetch(folder):
    debs = os.path.join(folder, "debs")
    os.makedirs(debs, exist_ok=True)
    missing = [p for p in PACKAGES if not glob.glob(os.path.join(debs, p + "_*.deb"))]
    if missing:
        print("Downloading " + " ".join(missing))
        if subprocess.call(["apt-get", "download", "-q"] + missing, cwd=debs) != 0:
            subprocess.check_call(["apt-get", "update", "-q"])
            subprocess.check_call(["apt-get", "download", "-q"] + missing, cwd=debs)
    tree = os.path.join(folder, "tree")
    if not os.path.isdir(tree):
        for deb in sorted(glob.glob(os.path.join(debs, "*.deb"))):
            subprocess.check_call(["dpkg-deb", "-x", deb, tree])
    return tree


def roff_lines(text):
    for line in text.splitlines():
        if line.startswith((".", "'")):
            line = line.split(" ", 1)[1] if line[:3] in (".SH", ".SS") and " " in line else ""
        line = re.sub(r"\\f(\[[^]]*\]|\(..|.)", "", line)
        line = re.sub(r"\\\((..)", "", line)
        line = re.sub(r"\\\*(\(..|\[[^]]*\]|.)", "", line)
        line = line.replace("\\-", "-").replace("\\e", "\\")
        yield re.sub(r"\\[&/,|^~ 0:]", "", line).replace('\\"', '"')


def html_lines(text):
    text = re.sub(r"(?s)<(script|style)\b.*?</\1>", "", text)
    return html.unescape(re.sub(r"<[^>]+>", "", text)).splitlines()


def catalog_lines(path):
    with open(path, "rb") as mo:
        catalog = gettext.GNUTranslations(mo)._catalog
    for key, value in sorted(catalog.items(), key=lambda kv: str(kv[0])):
        if key and isinstance(value, str):
            yield from value.splitlines()


def documents(tree):
    """(script, source, lines) for every text, lines holding Chinese only."""
    found = []
    def add(script, path, lines):
        kept = [CONTROL.sub("", l).strip() for l in lines]
        kept = [l for l in kept if CJK.search(l)]
        if kept:
            found.append((script, os.path.relpath(path, tree), kept))
    for locale, script in (("zh_CN", "simplified"), ("zh_TW", "traditional")):
        for path in sorted(glob.glob(f"{tree}/usr/share/man/{locale}/man*/*.gz")):
            add(script, path, roff_lines(gzip.open(path).read().decode("utf-8", "replace")))
        for path in sorted(glob.glob(f"{tree}/usr/share/locale/{locale}/LC_MESSAGES/*.mo")):
            add(script, path, catalog_lines(path))
    for guide, script in (("zh-cn", "simplified"), ("zh-tw", "traditional")):
        for path in sorted(glob.glob(f"{tree}/usr/share/doc/maint-guide-{guide}/html/*.html")):
            add(script, path, html_lines(open(path, encoding="utf-8").read()))
    for path in sorted(glob.glob(f"{tree}/usr/share/games/fortunes/*")):
        if not path.endswith((".dat", ".u8")):
            text = re.sub("\x1b\\[[0-9;]*m", "", open(path, encoding="utf-8").read())
            add("simplified", path, (l for l in text.splitlines() if l != "%"))
    return found


def encodable(text, encoder):
    try:
        data = text.encode(encoder)
    except UnicodeEncodeError:
        return None
    if encoder == "gb18030":
        # Two-byte characters must be those of code page 936 itself: only the four-byte ones are new.
        for c in set(text):
            gb = c.encode("gb18030")
            if len(gb) < 4 and (not fits(c, "gbk") or c.encode("gbk") != gb):
                return None
    return data if data.decode(encoder) == text else None


def fits(c, encoder):
    try:
        c.encode(encoder)
        return True
    except UnicodeEncodeError:
        return False


def slice_at(stream, start, size):
    """stream from start on, up to its size-th Chinese (non-ASCII) character, wrapping round at the
    end: ASCII is no evidence of an encoding, so a slice's size counts the characters that are."""
    out, count, i = [], 0, start
    while count < size:
        c = stream[i % len(stream)]
        i += 1
        if c != "\n" or (out and out[-1] != "\n"):
            out.append(c)
        count += c >= "\x80"
    return "".join(out)


def main():
    folder = sys.argv[1]
    docs = documents(fetch(folder))
    rng = random.Random(20261207)
    corpus = os.path.join(folder, "corpus")
    rows = []
    for name, (count, script, encoder) in CLASSES.items():
        os.makedirs(os.path.join(corpus, name), exist_ok=True)
        pool = [d for d in docs if script in (None, d[0])]
        texts = ["\n".join(lines) for _, _, lines in pool]
        stream = "\n".join(texts)
        starts = [0]  # where each text starts in the stream
        for t in texts:
            starts.append(starts[-1] + len(t) + 1)
        lines = [0] + [m.end() for m in re.finditer("\n", stream)]  # slices start where a line does
        # GB18030 slices are cut around a character that code page 936 lacks, so each holds one.
        outside = None
        if encoder == "gb18030":
            lacking = "".join(sorted(c for c in set(stream) if not fits(c, "gbk")))
            outside = [m.start() for m in re.finditer("[" + re.escape(lacking) + "]", stream)]
        for n in range(count):
            size = round(math.exp(rng.uniform(math.log(FEWEST), math.log(MOST))))
            for _ in range(1000):
                start = rng.randrange(len(stream))
                if outside:
                    start = max(0, rng.choice(outside) - rng.randrange(size))
                start = lines[bisect(lines, start) - 1]
                text = slice_at(stream, start, size)
                data = encodable(text, encoder)
                if data is not None and (not outside or not fits(text, "gbk")):
                    break
            else:
                sys.exit(f"no slice of {size} characters for {name}")
            crlf = n % 2 == 1  # half the files with Windows line ends
            if crlf:
                data = text.replace("\n", "\r\n").encode(encoder)
            base = os.path.join(corpus, name, f"{n:03d}")
            with open(base + ".txt", "wb") as f:
                f.write(data)
            with open(base + ".expected", "w", encoding="utf-8", newline="\n") as f:
                f.write(text)
            source = pool[bisect(starts, start % len(stream)) - 1][1]
            rows.append(f"{name}\t{size}\t{name}/{n:03d}.txt\t{name}/{n:03d}.expected\t{source}")
    with open(os.path.join(corpus, "index.tsv"), "w", encoding="utf-8") as index:
        index.write("\n".join(rows) + "\n")
    print(f"{len(rows)} files under {corpus}")


if __name__ == "__main__":
    main()
