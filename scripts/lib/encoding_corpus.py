#!/usr/bin/env python3
"""Builds the encoding evaluation corpus: slices of real Chinese text from Debian packages, each saved
in one encoding, with the text it must load as.

    encoding_corpus.py FOLDER           the evaluation corpus, FOLDER/corpus
    encoding_corpus.py FOLDER --stress  10,000 short slices of the code pages, FOLDER/stress

Downloads the packages into FOLDER/debs (once), takes the text lines that hold Chinese from their
man pages, program messages, manuals and poems, and writes <class>/<n>.txt (the file) and
<n>.expected (its text in UTF-8, as a decoder following the Encoding Standard reads it), with
index.tsv listing class, size (the slice's Chinese, that is non-ASCII, characters), file, expected
text and source. The same packages always give the same corpus.

Where the tree holds the Encoding Standard's indexes (engine/data/index_big5.h, engine/data/index_gb18030.h,
engine/data/gb18030_ranges.h; SUNDROVALE_INDEXES names another folder), every code page file is decoded
again by the standard's own algorithm over them and must give its expected text."""
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

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))

# Simplified (zh_CN) and Traditional (zh_TW) texts: translated manual pages, program messages,
# the Debian maintainers' guide, and classical poems.
PACKAGES = ["manpages-zh", "fortunes-zh", "maint-guide-zh-cn", "maint-guide-zh-tw",
            "coreutils", "bash", "findutils", "grep", "diffutils"]
# Hong Kong Traditional (zh_HK) program messages, with characters that only Big5-HKSCS holds (着, 羣,
# 啓...). Extracted apart, so that their zh_CN and zh_TW messages leave the other classes as they were.
HK_PACKAGES = ["libglib2.0-data", "libgtk2.0-common", "libgtk-3-common", "gsettings-desktop-schemas",
               "iso-codes", "at-spi2-common"]

PLAIN, OUTSIDE, DAMAGED, CUT, NEWER_PAIRS, SLIPPED = "plain", "outside", "damaged", "cut", "newer-pairs", "slipped"
# Class: (files, script of the texts it is cut from (None: any), encoder, what is done to the slice,
# fewest and most Chinese characters). OUTSIDE slices each hold a character that the encoder's
# narrower sibling lacks: GB18030's four-byte characters, Big5-HKSCS's characters beyond code page 950.
# SLIPPED: short Simplified texts out of step after one lost byte or one extra lead byte.
CLASSES = {
    "cp936-simplified": (120, "simplified", "gbk", PLAIN, 12, 30000),
    "cp936-traditional": (100, "traditional", "gbk", PLAIN, 12, 30000),
    "utf8": (24, None, "utf-8", PLAIN, 12, 30000),
    "big5": (120, "traditional", "cp950", PLAIN, 12, 30000),
    "gb18030": (80, None, "gb18030", OUTSIDE, 12, 30000),
    "big5-hkscs": (60, "hongkong", "big5hkscs", OUTSIDE, 12, 30000),
    "big5-damaged": (60, "traditional", "cp950", DAMAGED, 50, 30000),
    "big5-cut": (30, "traditional", "cp950", CUT, 50, 30000),
    "utf8-damaged": (40, None, "utf-8", DAMAGED, 50, 30000),
    "utf8-cut": (30, None, "utf-8", CUT, 50, 30000),
    "gb18030-newer-pairs": (40, "simplified", "gbk", NEWER_PAIRS, 12, 30000),
    "cp936-short-slipped": (600, "simplified", "gbk", SLIPPED, 40, 600),
    # Three damaged spots in fifty characters are still Big5: few enough to read on.
    "big5-damaged-short": (200, "traditional", "cp950", DAMAGED, 50, 150),
}
# Short slices, so that the rule "no code page 936 file of real text with 4 Chinese characters or more
# is read as Big5 or UTF-8" is seen over many files.
STRESS_CLASSES = {
    "cp936-simplified": (3000, "simplified", "gbk", PLAIN, 1, 2000),
    "cp936-traditional": (3000, "traditional", "gbk", PLAIN, 1, 2000),
    "big5": (3000, "traditional", "cp950", PLAIN, 1, 2000),
    "gb18030": (1000, None, "gb18030", OUTSIDE, 1, 2000),
}

# Where Python's Big5 codecs and the Encoding Standard's index big5 part ways (compared pair by pair):
# code page 950 puts ETEN's kana and Cyrillic at 0xC6A1 on, where the index has HKSCS's symbols, and
# differs at 0xF9FE; Big5-HKSCS reads eleven symbols otherwise, and four pairs as two code points.
# Slices holding these bytes are not taken, so the expected texts are the index's without it at hand.
BIG5_PARTING = {
    "cp950": {bytes([lead, trail]) for lead in (0xC6, 0xC7) for trail in range(0xA1, 0xFF)}
             | {bytes([0xC7, trail]) for trail in range(0x40, 0x7F)} | {b"\xF9\xFE"},
    "big5hkscs": {bytes.fromhex(pair) for pair in
                  "8862 8864 88A3 88A5 A145 A14E A1C2 A1E3 A1F2 A1F3 A241 A242 A244 A246 A247".split()},
}

CJK = re.compile("[\u3400-\u9fff\U00020000-\U0003ffff]")
CONTROL = re.compile("[\x00-\x08\x0b-\x1f\x7f-\x9f]")
REPLACEMENT = "\ufffd"


def fetch(folder):
    debs = os.path.join(folder, "debs")
    os.makedirs(debs, exist_ok=True)
    missing = [p for p in PACKAGES + HK_PACKAGES if not glob.glob(os.path.join(debs, p + "_*.deb"))]
    if missing:
        print("Downloading " + " ".join(missing))
        if subprocess.call(["apt-get", "download", "-q"] + missing, cwd=debs) != 0:
            subprocess.check_call(["apt-get", "update", "-q"])
            subprocess.check_call(["apt-get", "download", "-q"] + missing, cwd=debs)
    trees = []
    for name, packages in (("tree", PACKAGES), ("tree-hk", HK_PACKAGES)):
        tree = os.path.join(folder, name)
        if not os.path.isdir(tree):
            for p in packages:
                for deb in sorted(glob.glob(os.path.join(debs, p + "_*.deb"))):
                    subprocess.check_call(["dpkg-deb", "-x", deb, tree + ".part"])
            os.rename(tree + ".part", tree)  # a tree is whole or absent, even after an interrupted run
        trees.append(tree)
    return trees


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


def documents(tree, hk_tree):
    """(script, source, lines) for every text, lines holding Chinese only."""
    found = []
    def add(script, path, lines, root=tree):
        kept = [CONTROL.sub("", l).strip() for l in lines]
        kept = [l for l in kept if CJK.search(l)]
        if script == "hongkong":  # lines Big5-HKSCS holds, as the index reads it
            kept = [l for l in kept if encodable(l, "big5hkscs") is not None]
        if kept:
            found.append((script, os.path.relpath(path, root), kept))
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
    for path in sorted(glob.glob(f"{hk_tree}/usr/share/locale/zh_HK/LC_MESSAGES/*.mo")):
        if not os.path.islink(path):  # iso-codes links old names to the same catalogs
            add("hongkong", path, catalog_lines(path), hk_tree)
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
    if encoder in BIG5_PARTING and any(pair in BIG5_PARTING[encoder] for pair in big5_pairs(data)):
        return None
    return data if data.decode(encoder) == text else None


def big5_pairs(data):
    i = 0
    while i < len(data):
        if data[i] >= 0x80:
            yield data[i:i + 2]
        i += 1 + (data[i] >= 0x80)


def fits(c, encoder):
    try:
        c.encode(encoder)
        return True
    except UnicodeEncodeError:
        return False


def lacking(c, encoder):
    """Whether c is one of the characters an OUTSIDE slice of this encoder must hold."""
    return not fits(c, {"gb18030": "gbk", "big5hkscs": "cp950"}[encoder])


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


# ---- What is done to a slice. A file is a list of pieces, (bytes, the text they decode to): one
# character, or one line end, so that damage never falls inside a CR LF.

def pieces_of(text, encoder, crlf):
    return [(b"\r\n" if crlf else b"\n", "\n") if c == "\n" else (c.encode(encoder), c) for c in text]


def apart(rng, candidates, count):
    """count of the candidate positions, no two next to each other: damage that touches other damage
    could make a sequence whole again (a cut UTF-8 character and a stray continuation byte)."""
    chosen = []
    for i in rng.sample(candidates, len(candidates)):
        if all(abs(i - j) > 1 for j in chosen):
            chosen.append(i)
            if len(chosen) == count:
                break
    return sorted(chosen)


def damage(rng, pieces, encoder):
    """1 to 3 broken sequences, each read as one U+FFFD by the Encoding Standard's decoders, none at
    the file's start (0xFF there could start a UTF-16 byte-order mark) or its end."""
    count = rng.randint(1, 3)
    wide = [i for i in range(1, len(pieces) - 1) if len(pieces[i][0]) > 1 and pieces[i][1] != "\n"]
    places = apart(rng, list(range(1, len(pieces) - 1)), count)
    done = []
    for i in reversed(places):  # from the end, so that inserting leaves the earlier places as they are
        kind = rng.randrange(3)
        if kind == 2 and i not in wide:
            kind = rng.randrange(2)
        if encoder == "utf-8":
            if kind == 0:  # a stray continuation byte
                pieces.insert(i, (bytes([rng.randrange(0x80, 0xC0)]), REPLACEMENT))
            elif kind == 1:  # a byte that is never UTF-8
                pieces.insert(i, (bytes([rng.choice([0xC0, 0xC1] + list(range(0xF5, 0x100)))]), REPLACEMENT))
            else:  # a character that loses its last byte: its start is one broken sequence
                pieces[i] = (pieces[i][0][:-1], REPLACEMENT)
        else:
            if kind < 2:  # a stray byte that is no Big5 lead
                pieces.insert(i, (bytes([0x80 if kind == 0 else 0xFF]), REPLACEMENT))
            else:  # a lead byte before ASCII: an error, then the ASCII byte read on its own
                ascii = rng.choice("<>!?#%&*+-/=")  # below 0x40, so no second byte of Big5
                pieces[i] = (pieces[i][0][:1] + ascii.encode(), REPLACEMENT + ascii)
        done.append(kind)
    return done


def slip(rng, pieces):
    """One byte of a two-byte character lost, or one extra lead byte before a character: the bytes
    after it pair up out of step, up to the next ASCII byte. The text it reads as is the decoder's.
    Not at the file's start, where a lead byte could make a byte-order mark."""
    i = rng.choice([i for i, (data, _) in enumerate(pieces) if i > 0 and len(data) == 2])
    if rng.randrange(2):
        pieces[i] = (pieces[i][0][rng.randrange(2)].to_bytes(1, "big"), None)
    else:
        pieces.insert(i, (bytes([rng.randrange(0x81, 0xFF)]), None))


def cut(rng, pieces):
    """The last character cut off after its first bytes: one U+FFFD at the end."""
    data, _ = pieces[-1]
    pieces[-1] = (data[:rng.randint(1, len(data) - 1)], REPLACEMENT)


def newer_pairs():
    """Two-byte pairs that Windows' code page 936 gives to the private use area (Python's gbk has no
    character for them) but the Encoding Standard's index gb18030 maps to real characters."""
    pairs = {}
    for lead in range(0x81, 0xFF):
        for trail in list(range(0x40, 0x7F)) + list(range(0x80, 0xFF)):
            pair = bytes([lead, trail])
            try:
                pair.decode("gbk")
                continue
            except UnicodeDecodeError:
                pass
            c = pair.decode("gb18030", "replace")  # Python's is GB 18030-2000
            if len(c) == 1 and not "\ue000" <= c <= "\uf8ff" and c != REPLACEMENT:
                pairs[pair] = c
    pairs[b"\xA8\xBC"] = "\u1e3f"  # ḿ: private use in 2000, real since GB 18030-2005
    pairs[b"\xA3\xA0"] = "\u3000"  # the index reads it as the ideographic space
    # GB 18030-2022: ten vertical forms and eight components, which the index took in 2024.
    for pair, code_point in ((0xA6D9, 0xFE10), (0xA6DA, 0xFE12), (0xA6DB, 0xFE11), (0xA6DC, 0xFE13),
                             (0xA6DD, 0xFE14), (0xA6DE, 0xFE15), (0xA6DF, 0xFE16), (0xA6EC, 0xFE17),
                             (0xA6ED, 0xFE18), (0xA6F3, 0xFE19), (0xFE59, 0x9FB4), (0xFE61, 0x9FB5),
                             (0xFE66, 0x9FB6), (0xFE67, 0x9FB7), (0xFE6D, 0x9FB8), (0xFE7E, 0x9FB9),
                             (0xFE90, 0x9FBA), (0xFEA0, 0x9FBB)):
        pairs[pair.to_bytes(2, "big")] = chr(code_point)
    return dict(sorted(pairs.items()))


def insert_pairs(rng, pieces, pairs):
    """1 to 4 of the pairs between characters, never inside a line end."""
    for _ in range(rng.randint(1, 4)):
        pair = rng.choice(list(pairs))
        pieces.insert(rng.randint(0, len(pieces)), (pair, pairs[pair]))


# ---- The Encoding Standard's decoders, to check each file against its expected text

def read_table(path, array):
    with open(path, encoding="utf-8") as f:
        text = f.read()
    match = re.search(re.escape(array) + r"\[\d*\] = \{(.*?)\n\};", text, re.S)
    if not match:
        sys.exit(f"{path}: no {array} table")
    if array == "kGb18030Ranges":
        return [(int(p), int(c, 16)) for p, c in re.findall(r"\{(\d+), 0x([0-9A-Fa-f]+)\}", match.group(1))]
    return [int(n, 0) for n in re.findall(r"0x[0-9A-Fa-f]+|\d+", match.group(1))]


def load_indexes():
    folder = os.environ.get("SUNDROVALE_INDEXES", os.path.join(ROOT, "engine", "data"))
    paths = {"big5": "index_big5.h", "gb18030": "index_gb18030.h", "ranges": "gb18030_ranges.h"}
    if not all(os.path.exists(os.path.join(folder, p)) for p in paths.values()):
        return None
    return {"big5": read_table(os.path.join(folder, paths["big5"]), "kIndexBig5"),
            "gb18030": read_table(os.path.join(folder, paths["gb18030"]), "kIndexGb18030"),
            "ranges": read_table(os.path.join(folder, paths["ranges"]), "kGb18030Ranges")}


def decode_big5(data, index):
    out, lead, queue = [], 0, list(reversed(data))
    while queue:
        byte = queue.pop()
        if lead:
            offset = 0x40 if byte < 0x7F else 0x62
            pointer = (lead - 0x81) * 157 + byte - offset if 0x40 <= byte <= 0x7E or 0xA1 <= byte <= 0xFE else None
            lead = 0
            two = {1133: "\u00ca\u0304", 1135: "\u00ca\u030c", 1164: "\u00ea\u0304", 1166: "\u00ea\u030c"}
            if pointer in two:
                out.append(two[pointer])
            elif pointer is not None and index[pointer]:
                out.append(chr(index[pointer]))
            else:
                if byte < 0x80:
                    queue.append(byte)
                out.append(REPLACEMENT)
        elif byte < 0x80:
            out.append(chr(byte))
        elif 0x81 <= byte <= 0xFE:
            lead = byte
        else:
            out.append(REPLACEMENT)
    return "".join(out) + (REPLACEMENT if lead else "")


def ranges_code_point(pointer, ranges):
    if (39419 < pointer < 189000) or pointer > 1237575:
        return None
    if pointer == 7457:
        return 0xE7C7
    start, code_point = ranges[bisect([p for p, _ in ranges], pointer) - 1]
    return code_point + pointer - start


def decode_gb18030(data, index, ranges):
    out, first, second, third, queue = [], 0, 0, 0, list(reversed(data))
    while queue:
        byte = queue.pop()
        if third:
            if not 0x30 <= byte <= 0x39:
                queue += [byte, third, second]
                out.append(REPLACEMENT)
            else:
                pointer = ((first - 0x81) * 10 + second - 0x30) * 1260 + (third - 0x81) * 10 + byte - 0x30
                code_point = ranges_code_point(pointer, ranges)
                out.append(REPLACEMENT if code_point is None else chr(code_point))
            first = second = third = 0
        elif second:
            if 0x81 <= byte <= 0xFE:
                third = byte
                continue
            queue += [byte, second]
            first = second = 0
            out.append(REPLACEMENT)
        elif first:
            if 0x30 <= byte <= 0x39:
                second = byte
                continue
            lead, first = first, 0
            if 0x40 <= byte <= 0x7E or 0x80 <= byte <= 0xFE:
                out.append(chr(index[(lead - 0x81) * 190 + byte - (0x40 if byte < 0x7F else 0x41)]))
            else:
                if byte < 0x80:
                    queue.append(byte)
                out.append(REPLACEMENT)
        elif byte < 0x80:
            out.append(chr(byte))
        elif byte == 0x80:
            out.append("\u20ac")
        elif byte == 0xFF:
            out.append(REPLACEMENT)
        else:
            first = byte
    return "".join(out) + (REPLACEMENT if first or second or third else "")


def decoded(data, encoder, indexes):
    """The text a decoder following the Encoding Standard reads, with CR LF read as LF as the loader
    does; None where the indexes are not at hand."""
    if encoder == "utf-8":
        text = data.decode("utf-8", "replace")  # Python replaces maximal subparts, as the standard does
    elif indexes is None:
        return None
    elif encoder in ("cp950", "big5hkscs"):
        text = decode_big5(data, indexes["big5"])
    else:
        text = decode_gb18030(data, indexes["gb18030"], indexes["ranges"])
    return text.replace("\r\n", "\n")


# ---- The corpus

def make(folder, classes, seed, docs, indexes):
    rng = random.Random(seed)
    os.makedirs(folder, exist_ok=True)
    rows, pairs = [], newer_pairs()
    for name, (count, script, encoder, kind, fewest, most) in classes.items():
        os.makedirs(os.path.join(folder, name), exist_ok=True)
        pool = [d for d in docs if script in (None, d[0])]
        texts = ["\n".join(lines) for _, _, lines in pool]
        stream = "\n".join(texts)
        starts = [0]  # where each text starts in the stream
        for t in texts:
            starts.append(starts[-1] + len(t) + 1)
        lines = [0] + [m.end() for m in re.finditer("\n", stream)]  # slices start where a line does
        # OUTSIDE slices are cut around a character the narrower encoding lacks, so each holds one.
        outside = None
        if kind == OUTSIDE:
            needed = "".join(sorted(c for c in set(stream) if lacking(c, encoder)))
            outside = [m.start() for m in re.finditer("[" + re.escape(needed) + "]", stream)]
        for n in range(count):
            size = round(math.exp(rng.uniform(math.log(fewest), math.log(most))))
            for attempt in range(1001):
                start = rng.randrange(len(stream))
                if outside:
                    start = max(0, rng.choice(outside) - rng.randrange(size))
                    # A short slice from a line's start may end before the character it is cut for.
                    start = start if attempt == 1000 else lines[bisect(lines, start) - 1]
                elif attempt == 1000:
                    sys.exit(f"no slice of {size} characters for {name}")
                else:
                    start = lines[bisect(lines, start) - 1]
                text = slice_at(stream, start, size)
                data = encodable(text, encoder)
                if data is not None and (not outside or any(lacking(c, encoder) for c in set(text))):
                    break
            else:
                sys.exit(f"no slice of {size} characters for {name}")
            crlf = n % 2 == 1  # half the files with Windows line ends
            pieces = pieces_of(text, encoder, crlf)
            if kind == DAMAGED:
                damage(rng, pieces, encoder)
            elif kind == CUT:
                cut(rng, pieces)
            elif kind == NEWER_PAIRS:
                insert_pairs(rng, pieces, pairs)
            elif kind == SLIPPED:
                slip(rng, pieces)
            data = b"".join(p for p, _ in pieces)
            expected = "".join(t for _, t in pieces) if kind != SLIPPED else decoded(data, encoder, indexes)
            if expected is None:
                sys.exit(f"{name}: its texts are the Encoding Standard's reading, and the indexes are not at hand")
            if kind in (DAMAGED, CUT):
                broken = expected.count(REPLACEMENT) - text.count(REPLACEMENT)
                assert 1 <= broken <= 3 and (kind == DAMAGED or expected.endswith(REPLACEMENT)), name
            check = decoded(data, encoder, indexes)
            if check is not None and check != expected:
                sys.exit(f"{name}/{n:03d}: the Encoding Standard reads it otherwise than its expected text")
            base = os.path.join(folder, name, f"{n:03d}")
            with open(base + ".txt", "wb") as f:
                f.write(data)
            with open(base + ".expected", "w", encoding="utf-8", newline="\n") as f:
                f.write(expected)
            source = pool[bisect(starts, start % len(stream)) - 1][1]
            rows.append(f"{name}\t{size}\t{name}/{n:03d}.txt\t{name}/{n:03d}.expected\t{source}")
    with open(os.path.join(folder, "index.tsv"), "w", encoding="utf-8") as index:
        index.write("\n".join(rows) + "\n")
    checked = "checked against the Encoding Standard's indexes" if indexes else "the indexes not at hand to check"
    print(f"{len(rows)} files under {folder}, {checked}")


def main():
    if len(sys.argv) not in (2, 3) or sys.argv[2:] not in ([], ["--stress"]):
        sys.exit(__doc__)
    folder = sys.argv[1]
    docs = documents(*fetch(folder))
    indexes = load_indexes()
    if sys.argv[2:] == ["--stress"]:
        make(os.path.join(folder, "stress"), STRESS_CLASSES, 20261208, docs, indexes)
    else:
        make(os.path.join(folder, "corpus"), CLASSES, 20261207, docs, indexes)


if __name__ == "__main__":
    main()
