#!/usr/bin/env node
// Compares the engine's verdict on repetition cycles with an independent
// rules library (ffish, the match runner's). Cycles come from played games
// (PGN files as the match runner writes them, self-play or against peers)
// and from seeded random walks steered into repetitions: pieces that shuttle
// or go round three squares, chosen where they give check, attack a piece or
// flee an attack.
//
//   cmake --build build --target cyclejudge
//   node --no-experimental-fetch tools/cycle_oracle.cjs [--random N] [--seed S]
//       [--pgn FILE]... [--judge build/tools/cyclejudge] [--examples K]
//       [--duels N]          (N cycles of sparse random positions, see below)
//       [--fixture N]        (print N cycles with the library's verdict instead)
//       [--cycles FILE]      (also write every cycle with both verdicts)
//
// ffish is taken from the match runner's cache (~/.cache/xiangqi-match, or
// XIANGQI_MATCH_CACHE). The library judges a cycle played twice over (a
// position's third occurrence); the engine judges it once.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const { spawn } = require('child_process');
const readline = require('readline');
const { seededRandom } = require('./seeded_random.cjs');

const SAMPLED = 8;  // quiet moves weighed for each step of a walk
const START = 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1';

function parseArgs(argv) {
  const o = { random: 0, duels: 0, seed: 20261208, pgn: [], judge: 'build/tools/cyclejudge', examples: 3, fixture: 0, cycles: '' };
  for (let i = 0; i < argv.length; ++i) {
    const key = argv[i].replace(/^--/, ''), value = argv[i + 1];
    if (!(key in o)) { console.error(`unknown option ${argv[i]}`); process.exit(2); }
    ++i;
    if (key === 'pgn') o.pgn.push(value);
    else o[key] = typeof o[key] === 'number' ? Number(value) : value;
  }
  return o;
}

// UCCI ranks are 0-9; ffish counts them 1-10.
const toLib = (m) => m[0] + (+m[1] + 1) + m[2] + (+m[3] + 1);
const fromLib = (m) => { const r = /^([a-i])(\d+)([a-i])(\d+)$/.exec(m); return r[1] + (r[2] - 1) + r[3] + (r[4] - 1); };
const placement = (fen) => fen.split(' ').slice(0, 2).join(' ');

// ------------------------------------------------------------ the library
let ff;
async function loadLibrary() {
  const cache = process.env.XIANGQI_MATCH_CACHE || path.join(os.homedir(), '.cache', 'xiangqi-match');
  delete globalThis.fetch;  // the wasm loader reads its file from disk
  ff = require(path.join(cache, 'node_modules', 'ffish', 'ffish.js'));
  if (!ff.Board) await new Promise((resolve) => { ff.onRuntimeInitialized = resolve; });
}

// The library's verdict: the loser ('red', 'black', 'none'), or 'open'
// when the game goes on after three rounds.
function libraryVerdict(cycle) {
  const board = new ff.Board('xiangqi', cycle.fen);
  let verdict = 'open';
  for (let round = 0; round < 3 && verdict === 'open'; ++round) {
    for (const m of cycle.moves) board.push(toLib(m));
    if (board.isGameOver(true)) {
      const r = board.result(true);
      verdict = r === '1-0' ? 'black' : r === '0-1' ? 'red' : 'none';
    }
  }
  board.delete();
  return verdict;
}

// --------------------------------------------------------- cycles of games
function cyclesOfGame(moves, out) {
  const board = new ff.Board('xiangqi', START);
  let seen = new Map([[placement(board.fen()), 0]]);
  const fens = [board.fen()];
  for (let i = 0; i < moves.length; ++i) {
    const m = toLib(moves[i]);
    if (!board.legalMoves().split(' ').includes(m)) break;
    if (board.isCapture(m)) seen = new Map();
    board.push(m);
    fens.push(board.fen());
    const key = placement(board.fen());
    if (seen.has(key)) {
      const j = seen.get(key);
      // The reversible-move count starts afresh: the library would end a
      // long game by the move-count rule before it judged the cycle.
      const fen = fens[j].split(' ');
      fen[4] = '0';
      out.push({ source: 'game', fen: fen.join(' '), moves: moves.slice(j, i + 1) });
    }
    seen.set(key, i + 1);
  }
  board.delete();
}

function readPgn(file, out) {
  for (const line of fs.readFileSync(file, 'utf8').split('\n')) {
    if (line.startsWith('[') || !line.trim()) continue;
    cyclesOfGame(line.trim().split(/\s+/).filter((t) => /^[a-i]\d[a-i]\d$/.test(t)), out);
  }
}

// ------------------------------------------------------- steered walks
// Pieces of the side to move that the other side could take now.
function attackedSquares(fen) {
  const parts = fen.split(' ');
  parts[1] = parts[1] === 'w' ? 'b' : 'w';
  const flipped = new ff.Board('xiangqi', parts.join(' '));
  const squares = new Set();
  for (const m of flipped.legalMoves().split(' ').filter(Boolean))
    if (flipped.isCapture(m)) squares.add(/^[a-i]\d+([a-i]\d+)$/.exec(m)[1]);
  flipped.delete();
  return squares;
}

// How interesting a quiet move is for a cycle: checks, new attacks on the
// other side's pieces, flight of an attacked piece.
function weight(board, m, attacked, targets) {
  let w = 1 + (attacked.has(fromOf(m)) ? 3 : 0);
  board.push(m);
  if (board.isCheck()) w += 4;
  for (const sq of attackedSquares(board.fen())) if (!targets.has(sq)) w += 3;
  board.pop();
  return w;
}
const flipSide = (fen) => { const p = fen.split(' '); p[1] = p[1] === 'w' ? 'b' : 'w'; return p.join(' '); };

function pickWeighted(rng, items, weights) {
  let total = weights.reduce((a, b) => a + b, 0), r = rng.random() * total;
  for (let i = 0; i < items.length; ++i) if ((r -= weights[i]) < 0) return items[i];
  return items[items.length - 1];
}

function quietMoves(board, fromSquare) {
  return board.legalMoves().split(' ').filter((m) => m && !board.isCapture(m) && (!fromSquare || fromOf(m) === fromSquare));
}
const fromOf = (m) => /^([a-i]\d+)/.exec(m)[1];
const toOf = (m) => /^[a-i]\d+([a-i]\d+)$/.exec(m)[1];

// One random start: a random game from the start, captures preferred.
function randomStart(rng) {
  const board = new ff.Board('xiangqi', START);
  const plies = 10 + Math.floor(rng.random() * 90);
  for (let i = 0; i < plies && !board.isGameOver(true); ++i) {
    const legal = board.legalMoves().split(' ').filter(Boolean);
    const captures = legal.filter((m) => board.isCapture(m));
    board.push(captures.length && rng.random() < 0.6 ? rng.pick(captures) : rng.pick(legal));
  }
  const fen = board.isGameOver(true) ? null : board.fen();
  board.delete();
  return fen;
}

// A cycle from `fen`: each side moves one piece round a shuttle (two
// squares) or a triangle (three), or two pieces in turn; null when the
// walk does not close.
function steeredCycle(rng, fen) {
  const board = new ff.Board('xiangqi', fen);
  const shape = rng.pick(['shuttle', 'shuttle', 'triangle', 'two']);
  const plan = [];  // per side: the squares its piece(s) visit
  const moves = [];
  const fens = new Set([placement(fen)]);
  const play = (m) => {
    if (!m || !board.legalMoves().split(' ').includes(m) || board.isCapture(m)) return false;
    board.push(m);
    moves.push(fromLib(m));
    const key = placement(board.fen());
    fens.add(key);
    return true;
  };
  const choose = (fromSquare) => {
    const all = quietMoves(board, fromSquare);
    if (!all.length) return null;
    const candidates = all.length <= SAMPLED ? all : Array.from({ length: SAMPLED }, () => rng.pick(all));
    const attacked = attackedSquares(board.fen()), targets = attackedSquares(flipSide(board.fen()));
    return pickWeighted(rng, candidates, candidates.map((m) => weight(board, m, attacked, targets)));
  };
  let ok = true;
  const legs = shape === 'triangle' ? 3 : 2;
  if (shape === 'two') {
    // A1 B1 A2 B2, then each piece back: A1' B1' A2' B2'.
    const out = [];
    for (let k = 0; k < 4 && ok; ++k) { const m = choose(null); out.push(m); ok = play(m); }
    for (let k = 0; k < 4 && ok; ++k) ok = play(toOf(out[k]) + fromOf(out[k]));
  } else {
    for (let leg = 0; leg < legs && ok; ++leg) {
      for (let side = 0; side < 2 && ok; ++side) {
        const path = plan[side] || (plan[side] = []);
        let m;
        if (leg === 0) m = choose(null);
        else if (leg === legs - 1) m = path[path.length - 1] + path[0];
        else {
          const options = quietMoves(board, path[path.length - 1]).filter((x) => toOf(x) !== path[0]);
          m = options.length ? rng.pick(options) : null;
        }
        if (m && leg === 0) path.push(fromOf(m));
        if (m) path.push(toOf(m));
        ok = play(m);
      }
    }
  }
  const closed = ok && placement(board.fen()) === placement(fen) &&
    fens.size === moves.length;  // no position met twice before the cycle closes
  board.delete();
  return closed ? { source: 'walk-' + shape, fen, moves } : null;
}

function randomCycles(count, seed, out) {
  const rng = seededRandom(seed);
  for (let made = 0, tries = 0; made < count && tries < count * 50; ++tries) {
    const fen = randomStart(rng);
    if (!fen) continue;
    for (let k = 0; k < 4 && made < count; ++k) {
      const cycle = steeredCycle(rng, fen);
      if (cycle) { out.push(cycle); ++made; }
    }
  }
}

// ------------------------------------------------------------------ duels
// Sparse random positions (the kings and two to five other pieces) where
// every shuttle of one piece of each side that closes a cycle is taken,
// those with an attack first: chases of every kind, flights and defences.
const PLACES = {
  k: [[3, 0], [4, 0], [5, 0], [3, 1], [4, 1], [5, 1], [3, 2], [4, 2], [5, 2]],
  a: [[3, 0], [5, 0], [4, 1], [3, 2], [5, 2]],
  b: [[2, 0], [6, 0], [0, 2], [4, 2], [8, 2], [2, 4], [6, 4]],
};
function randomSquare(rng, type, red) {
  let f, r;
  if (PLACES[type]) [f, r] = rng.pick(PLACES[type]);
  else if (type === 'p') { f = Math.floor(rng.random() * 9); r = 3 + Math.floor(rng.random() * 7); if (r < 5 && f % 2) r += 2; }
  else { f = Math.floor(rng.random() * 9); r = Math.floor(rng.random() * 10); }
  return red ? [f, r] : [f, 9 - r];
}
function randomDuelFen(rng) {
  const grid = Array.from({ length: 10 }, () => Array(9).fill(null));
  const counts = {};
  const place = (letter, red) => {
    const kind = red ? letter.toUpperCase() : letter;
    if ((counts[kind] = (counts[kind] || 0) + 1) > (letter === 'p' ? 5 : letter === 'k' ? 1 : 2)) return;
    for (let tries = 0; tries < 20; ++tries) {
      const [f, r] = randomSquare(rng, letter, red);
      if (!grid[r][f]) { grid[r][f] = red ? letter.toUpperCase() : letter; return; }
    }
  };
  place('k', true); place('k', false);
  const extra = 2 + Math.floor(rng.random() * 4);
  for (let i = 0; i < extra; ++i) place(rng.pick(['r', 'r', 'n', 'c', 'c', 'p', 'a', 'b']), rng.random() < 0.5);
  const rows = [];
  for (let r = 9; r >= 0; --r) {
    let row = '', gap = 0;
    for (let f = 0; f < 9; ++f) {
      if (!grid[r][f]) { ++gap; continue; }
      if (gap) row += gap;
      row += grid[r][f]; gap = 0;
    }
    rows.push(row + (gap ? gap : ''));
  }
  return rows.join('/') + (rng.random() < 0.5 ? ' w' : ' b') + ' - - 0 1';
}
// Both sides' kings safe, and the side to move has quiet moves.
function playableFen(fen) {
  const board = new ff.Board('xiangqi', fen);
  const other = new ff.Board('xiangqi', flipSide(fen));
  const ok = board.fen().split(' ')[0] === fen.split(' ')[0] && !other.isCheck() && !board.isGameOver(true) &&
    board.legalMoves().split(' ').filter(Boolean).length > 0;
  board.delete(); other.delete();
  return ok;
}
function duelCycles(count, seed, out) {
  const rng = seededRandom(seed ^ 0x5a5a5a5a);
  for (let made = 0, tries = 0; made < count && tries < count * 20; ++tries) {
    const fen = randomDuelFen(rng);
    if (!playableFen(fen)) continue;
    const board = new ff.Board('xiangqi', fen);
    const kinds = [[], [], []];  // the attacked piece flees, the first move attacks, the rest
    const startKey = placement(fen);
    for (const m1 of quietMoves(board, null)) {
      board.push(m1);
      const attacked = attackedSquares(board.fen());  // the mover's targets
      for (const m2 of quietMoves(board, null)) {
        const back1 = toOf(m1) + fromOf(m1), back2 = toOf(m2) + fromOf(m2);
        board.push(m2);
        if (quietMoves(board, toOf(m1)).includes(back1)) {
          board.push(back1);
          if (quietMoves(board, toOf(m2)).includes(back2)) {
            board.push(back2);
            if (placement(board.fen()) === startKey)
              kinds[attacked.has(fromOf(m2)) ? 0 : attacked.size ? 1 : 2].push([m1, m2, back1, back2].map(fromLib));
            board.pop();
          }
          board.pop();
        }
        board.pop();
      }
      board.pop();
    }
    board.delete();
    for (const [kind, quota] of [[0, 4], [1, 1], [2, 1]])
      for (let k = 0; k < quota && kinds[kind].length && made < count; ++k, ++made)
        out.push({ source: 'duel', fen, moves: kinds[kind].splice(Math.floor(rng.random() * kinds[kind].length), 1)[0] });
  }
}

// --------------------------------------------------------------- the judge
function judgeAll(judgePath, cycles) {
  return new Promise((resolve, reject) => {
    const child = spawn(judgePath, [], { stdio: ['pipe', 'pipe', 'inherit'] });
    child.on('error', reject);
    const verdicts = [];
    readline.createInterface({ input: child.stdout }).on('line', (line) => verdicts.push(line.trim()));
    child.on('close', () => resolve(verdicts));
    child.stdin.end(cycles.map((c) => `${c.fen};${c.moves.join(' ')}\n`).join(''));
  });
}

async function main() {
  const o = parseArgs(process.argv.slice(2));
  await loadLibrary();
  let cycles = [];
  for (const file of o.pgn) readPgn(file, cycles);
  randomCycles(o.random, o.seed, cycles);
  duelCycles(o.duels, o.seed, cycles);
  const unique = new Map();
  for (const c of cycles) unique.set(c.fen + ';' + c.moves.join(' '), c);
  cycles = [...unique.values()];
  for (const c of cycles) c.library = libraryVerdict(c);
  const verdicts = await judgeAll(o.judge, cycles);
  cycles.forEach((c, i) => { [c.engine, c.redFault, c.blackFault] = (verdicts[i] || 'bad').split(' '); });
  if (o.cycles) fs.writeFileSync(o.cycles, cycles.map((c) => `${c.fen};${c.moves.join(' ')};${c.library};${c.engine} ${c.redFault} ${c.blackFault}\n`).join(''));
  if (o.fixture) {
    const rng = seededRandom(o.seed);
    const byClass = new Map();
    for (const c of cycles.filter((c) => c.library !== 'open' && c.engine !== 'bad')) {
      const key = `${c.redFault}/${c.blackFault}/${c.library}`;
      if (!byClass.has(key)) byClass.set(key, []);
      byClass.get(key).push(c);
    }
    const picked = [];
    while (picked.length < o.fixture && [...byClass.values()].some((l) => l.length))
      for (const list of byClass.values())
        if (list.length && picked.length < o.fixture) picked.push(list.splice(Math.floor(rng.random() * list.length), 1)[0]);
    // A disagreement stays in as a comment, for whoever reads the fixture.
    for (const c of picked)
      console.log(`${c.engine === c.library ? '' : `# engine ${c.engine}: `}${placement(c.fen)};${c.moves.join(' ')};${c.library}`);
    return;
  }
  const classes = new Map();
  for (const c of cycles) {
    const key = `${c.source.replace(/-.*/, '')} red:${c.redFault || '-'} black:${c.blackFault || '-'}`;
    if (!classes.has(key)) classes.set(key, { n: 0, agree: 0, examples: [] });
    const k = classes.get(key);
    ++k.n;
    if (c.engine === c.library) ++k.agree;
    else if (k.examples.length < o.examples) k.examples.push(c);
  }
  const total = cycles.length, agree = cycles.filter((c) => c.engine === c.library).length;
  console.log(`cycles ${total}, agreement ${agree} (${(100 * agree / Math.max(total, 1)).toFixed(2)}%)`);
  for (const [key, k] of [...classes].sort()) {
    console.log(`${key.padEnd(34)} ${String(k.n).padStart(6)} cycles, ${String(k.agree).padStart(6)} agree`);
    for (const c of k.examples)
      console.log(`    engine ${c.engine}, library ${c.library}: ${c.fen};${c.moves.join(' ')}`);
  }
}

main().catch((e) => { console.error(e); process.exit(1); });
