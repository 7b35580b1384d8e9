#!/usr/bin/env node
// Builds tests/search/mate_fixture.txt: positions from played games where the
// side to move mates by force in 1 to 3 moves, or is mated in 1 or 2 whatever
// it plays. An independent engine (fairy-stockfish from npm) plays the games
// and names the mates; a deeper search of the same engine confirms each mate
// distance, and our own binary's perft confirms that our set-up accepts the
// position and finds the same number of legal moves.
//
//   mkdir -p /tmp/oracle && cd /tmp/oracle && npm install fairy-stockfish-nnue.wasm ffish
//   node --no-experimental-fetch tools/mate_fixture.cjs /tmp/oracle build/tolvane \
//       ../shared/tools/match/openings.txt > tests/search/mate_fixture.txt
//
// Games start from the balanced opening lines and go on with shallow,
// slightly randomised searches (and now and then a random move) so that one
// side goes wrong and the other finds a mate. From each game at most one
// winning and one losing position is kept, the distance still most wanted.
// Output lines: <board field> <side w|b> ; mate <N>   (N < 0: side to move is mated)
'use strict';

const path = require('path');
const fs = require('fs');
const { spawn, execFileSync } = require('child_process');
const readline = require('readline');

const ORACLE_DIR = process.argv[2] || '/tmp/oracle';
const ENGINE = process.argv[3] || 'build/tolvane';
const OPENINGS = process.argv[4] || '../shared/tools/match/openings.txt';
const MODULES = path.join(ORACLE_DIR, 'node_modules');
const START = 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1';

// Wanted positions per mate distance (negative: the side to move is mated).
const QUOTAS = new Map([[1, 12], [2, 12], [3, 12], [-1, 6], [-2, 6]]);
const MAX_GAMES = 400;
const MAX_PLIES = 220;
const PLAY_DEPTHS = [4, 5, 6, 7];
const MULTI_PV = 3;
const NEAR_BEST_CP = 60;       // other lines within this of the best may be played
const RANDOM_MOVE_RATE = 0.06; // a random legal move now and then
const CONFIRM_EXTRA_DEPTH = 10; // confirmation depth: 2|N| + this
// With a single legal move the engine plays it without a search (and so
// reports no mate score); every kept position offers a choice.
const MIN_LEGAL_MOVES = 2;

// ----------------------------------------------------------- seeded random
const { random, pick } = require('./seeded_random.cjs').seededRandom(20261206);

// UCCI move text has ranks 0-9; the oracle and ffish count them 1-10.
const ucciToOracle = (m) => m[0] + (+m[1] + 1) + m[2] + (+m[3] + 1);

// ----------------------------------------------------------------- oracle
function startOracle() {
  const uci = path.join(MODULES, 'fairy-stockfish-nnue.wasm', 'uci.js');
  const child = spawn(process.execPath, ['--no-experimental-fetch', uci], { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = readline.createInterface({ input: child.stdout });
  let pending = null;
  lines.on('line', (line) => {
    if (!pending) return;
    if (line.startsWith('info ') && / score /.test(line)) {
      const m = /multipv (\d+) score (cp|mate) (-?\d+).* pv (\S+)/.exec(line);
      if (m) pending.lines[+m[1]] = { kind: m[2], value: +m[3], move: m[4] };
    } else if (line.startsWith('bestmove')) {
      const done = pending;
      pending = null;
      done.resolve({ best: line.split(' ')[1], lines: done.lines.filter(Boolean) });
    }
  });
  child.stdin.write('uci\nsetoption name UCI_Variant value xiangqi\n');
  let multiPv = 1;
  return {
    // The last complete report of each line of a search of `fen`.
    search(fen, depth, lines) {
      return new Promise((resolve) => {
        pending = { resolve, lines: [] };
        if (lines !== multiPv) child.stdin.write(`setoption name MultiPV value ${lines}\n`);
        multiPv = lines;
        child.stdin.write(`position fen ${fen}\ngo depth ${depth}\n`);
      });
    },
    close() { child.stdin.write('quit\n'); child.stdin.end(); },
  };
}

// Mate distance of the best line from the mover's view, or null.
function mateOf(result) {
  const top = result.lines[0];
  return top && top.kind === 'mate' ? top.value : null;
}

// ------------------------------------------------------------- our binary
// Number of legal moves our engine's perft finds, or -1 when it refuses.
function ourLegalCount(fen) {
  const [field, side] = fen.split(' ');
  try {
    const out = execFileSync(ENGINE, ['perft', '1', `${field} ${side}`], { stdio: ['ignore', 'pipe', 'ignore'] });
    const m = /nodes (\d+)/.exec(out.toString());
    return m ? +m[1] : -1;
  } catch (e) {
    return -1;
  }
}

// ------------------------------------------------------------------ games
async function playGame(ffish, oracle, opening, wantedDistance) {
  const board = new ffish.Board('xiangqi', START);
  for (const m of opening) board.push(ucciToOracle(m));
  const found = [];
  for (let ply = 0; ply < MAX_PLIES && !board.isGameOver(true); ++ply) {
    const fen = board.fen();
    const legal = board.legalMoves().trim().split(' ').filter(Boolean);
    const result = await oracle.search(fen, pick(PLAY_DEPTHS), MULTI_PV);
    const mate = mateOf(result);
    if (mate !== null && mate !== 0 && legal.length >= MIN_LEGAL_MOVES) found.push({ fen, mate, legal: legal.length });
    let move = result.best;
    if (mate !== null && mate > 0) {
      // Once a mate is seen it is played out, so the game gives every distance.
    } else if (random() < RANDOM_MOVE_RATE) {
      move = pick(legal);
    } else {
      const top = result.lines[0];
      const near = result.lines.filter((l) => l.kind === 'cp' && top.kind === 'cp' && top.value - l.value <= NEAR_BEST_CP);
      if (near.length) move = pick(near).move;
    }
    if (!legal.includes(move)) break;
    board.push(move);
  }
  board.delete();
  // The wanted distances, winning and losing side each at most once a game.
  const chosen = [];
  for (const sign of [1, -1]) {
    const options = found.filter((f) => Math.sign(f.mate) === sign && wantedDistance(f.mate) > 0);
    options.sort((a, b) => wantedDistance(b.mate) - wantedDistance(a.mate));
    if (options.length) chosen.push(options[0]);
  }
  return chosen;
}

// A deeper search must report the same mate distance, and our engine must
// accept the position with the same legal moves.
async function confirmed(oracle, c) {
  const result = await oracle.search(c.fen, 2 * Math.abs(c.mate) + CONFIRM_EXTRA_DEPTH, 1);
  if (mateOf(result) !== c.mate) return false;
  return ourLegalCount(c.fen) === c.legal;
}

async function main() {
  const ffish = require(path.join(MODULES, 'ffish'));
  if (!ffish.Board) await new Promise((resolve) => { ffish.onRuntimeInitialized = resolve; });
  const openings = fs.readFileSync(OPENINGS, 'utf8').split('\n')
    .filter((l) => l.trim() && !l.startsWith('#')).map((l) => l.trim().split(/\s+/));
  const oracle = startOracle();
  const kept = [];
  const seen = new Set();
  const wanted = (n) => (QUOTAS.get(n) || 0) - kept.filter((k) => k.mate === n).length;
  const missing = () => [...QUOTAS.keys()].some((n) => wanted(n) > 0);
  for (let game = 0; game < MAX_GAMES && missing(); ++game) {
    const chosen = await playGame(ffish, oracle, openings[game % openings.length], wanted);
    for (const c of chosen) {
      const key = c.fen.split(' ').slice(0, 2).join(' ');
      if (seen.has(key) || wanted(c.mate) <= 0 || !(await confirmed(oracle, c))) continue;
      seen.add(key);
      kept.push(c);
      process.stderr.write(`game ${game}: mate ${c.mate} ${key}\n`);
    }
  }
  oracle.close();
  for (const n of QUOTAS.keys())
    if (wanted(n) > 0) process.stderr.write(`short of ${wanted(n)} positions with mate ${n}\n`);

  console.log('# Forced mates from games played by fairy-stockfish (npm build), confirmed by');
  console.log('# a deeper search; made by tools/mate_fixture.cjs. Fields: board, side ; mate N');
  console.log('# (N > 0: the side to move mates in N moves; N < 0: it is mated in -N).');
  kept.sort((a, b) => b.mate - a.mate);
  for (const k of kept) {
    const [field, side] = k.fen.split(' ');
    console.log(`${field} ${side} ; mate ${k.mate}`);
  }
}

main();
