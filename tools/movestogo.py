#!/usr/bin/env python3
"""Self-play under a moves-to-go clock: every MOVES moves each side gets
SECONDS more, as in tournament controls. Reports each side's least time
left and any loss on time (the figure the match tool cannot measure).

  tools/movestogo.py ENGINE [--moves 20] [--seconds 10] [--games 2] [--plies 120]
"""
import argparse
import subprocess
import sys
import time


class Engine:
    def __init__(self, cmd):
        self.p = subprocess.Popen([cmd], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True, bufsize=1)
        self.send("ucci")
        self.wait("ucciok")
        self.send("setoption usemillisec true")

    def send(self, line):
        self.p.stdin.write(line + "\n")
        self.p.stdin.flush()

    def wait(self, prefix):
        while True:
            line = self.p.stdout.readline()
            if not line:
                sys.exit("engine ended")
            if line.startswith(prefix):
                return line.split()

    def quit(self):
        self.send("quit")
        self.p.wait(timeout=10)


def play(cmd, a):
    engines = [Engine(cmd), Engine(cmd)]
    clock = [a.seconds * 1000.0, a.seconds * 1000.0]
    low = list(clock)
    moves = []
    for ply in range(a.plies):
        side = ply % 2
        own = ply // 2
        to_go = a.moves - own % a.moves
        e = engines[side]
        e.send("position startpos" + (" moves " + " ".join(moves) if moves else ""))
        start = time.monotonic()
        e.send(f"go time {int(clock[side])} movestogo {to_go}")
        words = e.wait(("bestmove", "nobestmove"))
        clock[side] -= (time.monotonic() - start) * 1000.0
        low[side] = min(low[side], clock[side])
        if clock[side] < 0:
            print(f"ply {ply}: side {side} lost on time ({clock[side]:.0f} ms)")
            break
        if words[0] == "nobestmove":
            break
        moves.append(words[1])
        if to_go == 1:
            clock[side] += a.seconds * 1000.0
    for e in engines:
        e.quit()
    return low, len(moves)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("engine")
    ap.add_argument("--moves", type=int, default=20)
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--games", type=int, default=2)
    ap.add_argument("--plies", type=int, default=120)
    a = ap.parse_args()
    lost = 0
    for g in range(a.games):
        low, plies = play(a.engine, a)
        lost += min(low) < 0
        print(f"game {g + 1}: {plies} plies, least time left {low[0]:.0f} / {low[1]:.0f} ms")
    print(f"losses on time: {lost}")
    sys.exit(1 if lost else 0)


if __name__ == "__main__":
    main()
