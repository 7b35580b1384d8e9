#!/usr/bin/env python3
"""Builds and checks the opening repertoire (data/book/*.txt) with the engine.

  book_tool.py extend <build dir> <seeds> <output> [--plies N] [--depth D]
      Extends every seed line to N plies with the engine's best moves; where
      the second best move at the seed's end is within the margin, a second
      line follows it. Comments and blank lines are copied.
  book_tool.py check <build dir> <repertoire>... [--depth D] [--margin M]
      Searches every position of every line before each of its moves and
      reports the book moves that score more than M below the best move
      (a pawn is worth about 30). Exit code 1 when any move fails. The
      mirrors that makebook adds score as their originals and are not
      searched again.

The engine runs from a copy of the build directory without OpenBook.dat, so
its own book never answers. Positions are searched on two engines at once.
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import threading
from concurrent.futures import ThreadPoolExecutor

DATA_FILES = ["PosVal.txt", "HowToThink.opt", "Config.ini", "TimeManagement.txt"]


class Engine:
    def __init__(self, directory):
        self.proc = subprocess.Popen([os.path.join(directory, "tolvane")], cwd=directory,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.DEVNULL, text=True, bufsize=1)
        self.send("ucci")
        while self.proc.stdout.readline().strip() != "ucciok":
            pass

    def send(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()

    def search(self, moves, depth, banned=()):
        """(best move, score for the side to move) of the position."""
        self.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        if banned:
            self.send("banmoves " + " ".join(banned))
        self.send("go depth %d" % depth)
        score = None
        while True:
            line = self.proc.stdout.readline()
            if not line:
                raise RuntimeError("engine ended")
            words = line.split()
            if len(words) > 4 and words[:2] == ["info", "depth"] and words[3] == "score":
                score = int(words[4])
            if words and words[0] in ("bestmove", "nobestmove"):
                return (words[1] if len(words) > 1 and words[0] == "bestmove" else None), score

    def close(self):
        self.send("quit")
        self.proc.wait()


class EnginePool:
    def __init__(self, build, count):
        self.dir = tempfile.mkdtemp(prefix="booktool-")
        shutil.copy(os.path.join(build, "tolvane"), self.dir)
        for name in DATA_FILES:
            if os.path.exists(os.path.join(build, name)):
                shutil.copy(os.path.join(build, name), self.dir)
        self.free = [Engine(self.dir) for _ in range(count)]
        self.lock = threading.Lock()

    def search(self, moves, depth, banned=()):
        with self.lock:
            engine = self.free.pop()
        try:
            return engine.search(moves, depth, banned)
        finally:
            with self.lock:
                self.free.append(engine)

    def close(self):
        for engine in self.free:
            engine.close()
        shutil.rmtree(self.dir, ignore_errors=True)


def read_lines(path):
    """(text line, moves) for every line of the file; moves empty for comments."""
    out = []
    with open(path) as f:
        for text in f:
            text = text.rstrip("\n")
            out.append((text, text.split("#", 1)[0].split()))
    return out


def extend_line(pool, moves, plies, depth):
    moves = list(moves)
    while len(moves) < plies:
        best, _ = pool.search(moves, depth)
        if best is None:
            break
        moves.append(best)
    return moves


def extend(args):
    pool = EnginePool(args.build, args.engines)
    entries = read_lines(args.seeds)

    def work(moves):
        if not moves:
            return []
        result = [extend_line(pool, moves, args.plies, args.depth)]
        best, score = pool.search(moves, args.depth)
        if best is not None and score is not None and len(moves) < args.plies:
            second, other = pool.search(moves, args.depth, banned=[best])
            if second is not None and other is not None and score - other <= args.margin:
                result.append(extend_line(pool, moves + [second], args.plies, args.depth))
        return result

    with ThreadPoolExecutor(args.engines) as ex, open(args.output, "w") as out:
        for (text, moves), lines in zip(entries, ex.map(work, [m for _, m in entries])):
            if not moves:
                out.write(text + "\n")
            for line in lines:
                out.write(" ".join(line) + "\n")
            out.flush()
    pool.close()


def check(args):
    pool = EnginePool(args.build, args.engines)
    pairs = {}  # (prefix, move) -> where it was seen
    for path in args.repertoire:
        for number, (_, moves) in enumerate(read_lines(path), 1):
            for i, m in enumerate(moves):
                pairs.setdefault((tuple(moves[:i]), m), "%s:%d" % (path, number))
    prefixes = sorted({p for p, _ in pairs})
    best = {}

    def parent(prefix):
        best[prefix] = pool.search(list(prefix), args.depth)

    with ThreadPoolExecutor(args.engines) as ex:
        list(ex.map(parent, prefixes))

    def child(pair):
        prefix, move = pair
        top, score = best[prefix]
        if top == move or score is None:
            return pair, 0
        _, reply = pool.search(list(prefix) + [move], args.depth - 1)
        return pair, (score - (-reply) if reply is not None else 0)

    failures = 0
    with ThreadPoolExecutor(args.engines) as ex:
        for (prefix, move), loss in ex.map(child, sorted(pairs)):
            if loss > args.margin:
                failures += 1
                print("%s: after [%s] %s loses %d (best %s)" %
                      (pairs[(prefix, move)], " ".join(prefix), move, loss, best[prefix][0]))
    print("checked %d moves in %d positions at depth %d: %d over the margin of %d" %
          (len(pairs), len(prefixes), args.depth, failures, args.margin))
    pool.close()
    return 1 if failures else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    sub = parser.add_subparsers(dest="command", required=True)
    e = sub.add_parser("extend")
    e.add_argument("build")
    e.add_argument("seeds")
    e.add_argument("output")
    e.add_argument("--plies", type=int, default=16)
    c = sub.add_parser("check")
    c.add_argument("build")
    c.add_argument("repertoire", nargs="+")
    for p in (e, c):
        p.add_argument("--depth", type=int, default=8)
        p.add_argument("--margin", type=int, default=35)
        p.add_argument("--engines", type=int, default=2)
    args = parser.parse_args()
    if args.command == "extend":
        extend(args)
        return 0
    return check(args)


if __name__ == "__main__":
    sys.exit(main())
