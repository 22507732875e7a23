#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Scores three readers of the text recognition corpus against the truth its renderers recorded.

Readers:
  vellumbox          the program's recogniser (readings written by vellumbox_bench_ocr_corpus)
  tesseract          the tesseract command with its defaults, lines in its own order
  tesseract 2x rows  the tesseract command on the picture enlarged to 200 % (ImageMagick), its
                     lines put in rows: top to bottom, left to right within a row

Text is compared with white space runs as one space and typographic quotes, dashes and ellipses
as their ASCII forms; case counts. A read line is *near* a truth line when their boxes overlap
vertically by at least half the lower one, and horizontally once the truth box is widened by its
height on each side. A truth line's *match* is the stretch of a near read line with the fewest
edits (insertions, deletions, substitutions) from it; read lines may hold several truth lines.

  CER       order-free: edits of every truth line to its match (at most its length), plus the
            read characters, white space aside, that no match covers, over the truth's characters
  CER text  edit distance from the truth in reading order (rows top to bottom, left to right) to
            the text as the reader gives it, over the truth's characters
  WER       the same over words
  lost      truth lines whose match keeps less than half of them: edits / length > 0.5, or no
            near read line at all
"""

import argparse
import collections
import concurrent.futures
import json
import os
import pathlib
import subprocess
import sys
import tempfile

READERS = ["vellumbox", "tesseract", "tesseract 2x rows"]
FOLDED = str.maketrans({"\u2018": "'", "\u2019": "'", "\u201c": '"', "\u201d": '"',
                        "\u2013": "-", "\u2014": "-", "\u2212": "-", "\ufb01": "fi", "\ufb02": "fl",
                        "\u2026": "..."})


def normalised(text):
    return " ".join(text.translate(FOLDED).split())


def edit_distance(a, b):
    """Levenshtein distance between two sequences, bit-parallel (Myers, in Hyyrö's form)."""
    if not a or not b:
        return len(a) + len(b)
    masks = {}
    for i, item in enumerate(a):
        masks[item] = masks.get(item, 0) | (1 << i)
    full = (1 << len(a)) - 1
    top = 1 << (len(a) - 1)
    positive, negative, score = full, 0, len(a)
    for item in b:
        equal = masks.get(item, 0)
        vertical = equal | negative
        horizontal = (((equal & positive) + positive) ^ positive) | equal
        up = negative | ~(horizontal | positive)
        down = positive & horizontal
        if up & top:
            score += 1
        elif down & top:
            score -= 1
        up = ((up << 1) | 1) & full
        down = (down << 1) & full
        positive = (down | ~(vertical | up)) & full
        negative = up & vertical
    return score


def best_stretch(needle, haystack):
    """(edits, start, end) of the stretch of haystack closest to needle."""
    # previous[j]: edits of needle[:i] ending at haystack[j]; starts[j]: where that stretch begins.
    previous = [0] * (len(haystack) + 1)
    starts = list(range(len(haystack) + 1))
    for i in range(1, len(needle) + 1):
        current = [i] + [0] * len(haystack)
        current_starts = [0] * (len(haystack) + 1)
        for j in range(1, len(haystack) + 1):
            # A substitution wins ties, so that a misread stretch stays matched to its line.
            best = previous[j - 1] + (needle[i - 1] != haystack[j - 1])
            start = starts[j - 1]
            if previous[j] + 1 < best:
                best, start = previous[j] + 1, starts[j]
            if current[j - 1] + 1 < best:
                best, start = current[j - 1] + 1, current_starts[j - 1]
            current[j], current_starts[j] = best, start
        previous, starts = current, current_starts
    end = min(range(len(previous)), key=lambda j: (previous[j], -(j - starts[j])))
    return previous[end], starts[end], end


def near(truth, read):
    overlap = min(truth["y"] + truth["h"], read["y"] + read["h"]) - max(truth["y"], read["y"])
    if overlap < 0.5 * min(truth["h"], read["h"]):
        return False
    pad = truth["h"]
    return read["x"] < truth["x"] + truth["w"] + pad and read["x"] + read["w"] > truth["x"] - pad


def in_rows(lines):
    """Reading order: lines whose vertical extents overlap by half the shorter one share a row."""
    rows = []
    for line in sorted(lines, key=lambda l: (l["y"], l["x"])):
        for row in rows:
            first = row[0]
            overlap = min(first["y"] + first["h"], line["y"] + line["h"]) - max(first["y"], line["y"])
            if overlap >= 0.5 * min(first["h"], line["h"]):
                row.append(line)
                break
        else:
            rows.append([line])
    return [line for row in rows for line in sorted(row, key=lambda l: l["x"])]


class Score:
    """Error counts, summed over pictures."""

    def __init__(self):
        self.errors = self.chars = self.text_errors = self.word_errors = self.words = 0
        self.lost = self.lines = 0

    def add(self, other):
        for key, value in vars(other).items():
            setattr(self, key, getattr(self, key) + value)

    @staticmethod
    def percent(part, whole):
        return 100.0 * part / whole if whole else 0.0

    def cer(self):
        return self.percent(self.errors, self.chars)

    def row(self):
        return (f"{self.cer():7.1f} %{self.percent(self.text_errors, self.chars):8.1f} %"
                f"{self.percent(self.word_errors, self.words):7.1f} %"
                f"{self.lost:7d} of {self.lines:<5d}{self.percent(self.lost, self.lines):5.1f} %")


def score(truth, reading):
    """The picture's Score and its lost truth lines, as (index in reading order, text)."""
    s = Score()
    read = [dict(line, text=normalised(line["text"])) for line in reading]
    read = [line for line in read if line["text"]]
    ordered = [dict(line, text=normalised(line["text"])) for line in in_rows(truth["lines"])]
    ordered = [line for line in ordered if line["text"]]
    covered = [[False] * len(line["text"]) for line in read]
    lost = []
    for index, line in enumerate(ordered):
        best = (len(line["text"]), None, 0, 0)
        for k, candidate in enumerate(read):
            if near(line, candidate):
                edits, start, end = best_stretch(line["text"], candidate["text"])
                if edits < best[0] or (best[1] is None and edits == best[0] and end > start):
                    best = (edits, k, start, end)
        edits, k, start, end = best
        s.errors += edits
        s.chars += len(line["text"])
        s.lines += 1
        if k is not None:
            covered[k][start:end] = [True] * (end - start)
        if edits > 0.5 * len(line["text"]):
            s.lost += 1
            lost.append((index, line["text"]))
    s.errors += sum(1 for line, marks in zip(read, covered)
                    for ch, mark in zip(line["text"], marks) if not mark and ch != " ")
    truth_text = normalised("\n".join(line["text"] for line in ordered))
    read_text = normalised("\n".join(line["text"] for line in read))
    s.text_errors = edit_distance(truth_text, read_text)
    s.word_errors = edit_distance(truth_text.split(), read_text.split())
    s.words = len(truth_text.split())
    return s, lost


def tesseract_lines(image, enlarge):
    """The lines of `tesseract IMAGE tsv`, in its order, with boxes in the picture's pixels."""
    with tempfile.TemporaryDirectory() as tmp:
        source = image
        if enlarge:
            source = pathlib.Path(tmp) / "enlarged.png"
            subprocess.run(["convert", str(image), "-resize", "200%", str(source)], check=True)
        # One thread each: two pictures are read at a time, and the result is the same.
        env = dict(os.environ, OMP_THREAD_LIMIT="1")
        subprocess.run(["tesseract", str(source), str(pathlib.Path(tmp) / "out"), "tsv"],
                       check=True, capture_output=True, env=env)
        rows = (pathlib.Path(tmp) / "out.tsv").read_text(encoding="utf-8").splitlines()[1:]
    boxes, words = {}, collections.defaultdict(list)
    for row in rows:
        fields = row.split("\t")
        level, key = int(fields[0]), tuple(fields[1:5])
        if level == 4:
            boxes[key] = [int(v) for v in fields[6:10]]
        elif level == 5 and len(fields) > 11 and fields[11].strip():
            words[key].append(fields[11])
    factor = 2 if enlarge else 1
    lines = [{"text": " ".join(words[key]), "x": box[0] / factor, "y": box[1] / factor,
              "w": box[2] / factor, "h": box[3] / factor}
             for key, box in boxes.items() if words[key]]
    return in_rows(lines) if enlarge else lines


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("corpus", type=pathlib.Path, help="pictures and their truth (NAME.json)")
    parser.add_argument("--ours", type=pathlib.Path, required=True,
                        help="the program's readings, NAME.json for each picture")
    parser.add_argument("--out", type=pathlib.Path,
                        help="where to keep every reading, the lines lost and each picture's figures")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--worst", type=int, default=10)
    parser.add_argument("--tesseract-from", type=pathlib.Path, metavar="DIR",
                        help="reuse the tesseract command's readings kept by an earlier --out DIR")
    args = parser.parse_args()

    truths = {p.stem: json.loads(p.read_text()) for p in sorted(args.corpus.glob("*.json"))}
    if not truths:
        sys.exit(f"no truth in {args.corpus}")
    readings = {name: {} for name in READERS}
    for name in truths:
        ours = json.loads((args.ours / f"{name}.json").read_text())
        if "failure" in ours:
            sys.exit(f"{name}: the program could not read it: {ours['failure']}")
        readings["vellumbox"][name] = ours["lines"]
    for reader in READERS[1:] if args.tesseract_from else []:
        kept = json.loads((args.tesseract_from / f"{reader.replace(' ', '-')}.json").read_text())
        readings[reader] = {name: kept[name]["lines"] for name in truths}
    with concurrent.futures.ThreadPoolExecutor(args.jobs) as pool:
        for reader, enlarge in (("tesseract", False), ("tesseract 2x rows", True)):
            if args.tesseract_from:
                break
            jobs = {name: pool.submit(tesseract_lines, args.corpus / truths[name]["image"], enlarge)
                    for name in truths}
            for name, job in jobs.items():
                readings[reader][name] = job.result()

    per_picture = {}
    lost = {}
    for name, truth in truths.items():
        for reader in READERS:
            per_picture[name, reader], lost[name, reader] = score(truth, readings[reader][name])

    kinds = {"overall": list(truths)}
    for name, truth in truths.items():
        for tag in truth["tags"]:
            kinds.setdefault(tag, []).append(name)
    print(f"Text recognition corpus: {len(truths)} pictures, "
          f"{sum(len(t['lines']) for t in truths.values())} lines of text")
    header = f"  {'':<20}{'CER':>9}{'CER text':>10}{'WER':>9}{'lines lost':>22}"
    for kind, names in kinds.items():
        print(f"\n{kind} ({len(names)} pictures)")
        print(header)
        for reader in READERS:
            total = Score()
            for name in names:
                total.add(per_picture[name, reader])
            print(f"  {reader:<20}{total.row()}")

    table = [f"{'':<46}" + "".join(f"{reader:>21}" for reader in READERS)]
    for name in truths:
        table.append(f"{name:<46}" + "".join(
            f"{per_picture[name, r].cer():8.1f} %{per_picture[name, r].lost:4d} lost"
            for r in READERS))
    print(f"\nWorst pictures for vellumbox: CER and lines lost\n  {table[0]}")
    for name in sorted(truths, key=lambda n: -per_picture[n, "vellumbox"].cer())[:args.worst]:
        print(f"  {table[1 + list(truths).index(name)]}")

    print("\nLines vellumbox loses that the tesseract command reads on the enlarged picture:")
    missed = [(name, line) for name in truths for line in lost[name, "vellumbox"]
              if line not in lost[name, "tesseract 2x rows"]]
    for name, (_, text) in missed:
        print(f"  {name}: {text}")
    both = sum(len(lost[name, "vellumbox"]) for name in truths) - len(missed)
    print(f"  {len(missed)} lines; {both} more are lost by both")

    if args.out:
        args.out.mkdir(parents=True, exist_ok=True)
        (args.out / "pictures.txt").write_text("\n".join(table) + "\n")
        for reader in READERS:
            (args.out / f"{reader.replace(' ', '-')}.json").write_text(json.dumps(
                {name: {"lines": readings[reader][name],
                        "lost": [text for _, text in lost[name, reader]],
                        "score": vars(per_picture[name, reader])} for name in truths}, indent=1))
        print(f"\nEvery picture's figures: {args.out / 'pictures.txt'}")

if __name__ == "__main__":
    main()
