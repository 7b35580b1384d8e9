#!/usr/bin/env node
// Builds tests/movegen/perft_fixture.txt: varied xiangqi positions with their
// perft counts taken from an independent engine (fairy-stockfish from npm).
//
//   mkdir -p /tmp/oracle && cd /tmp/oracle && npm install fairy-stockfish-nnue.wasm ffish
//   node --no-experimental-fetch tools/perft_fixture.cjs [/tmp/oracle] > tests/movegen/perft_fixture.txt
//
// Positions come from seeded random games (played with ffish's move list) and
// from seeded random piece placements; each is tagged by what it exercises
// and taken until every tag has its quota. Output lines:
//   <tag> <board field> <side w|b> <count at depth 1> <depth 2> <depth 3> [<depth 4>]
'use strict';

const path = require('path');
const { spawn } = require('child_process');
const readline = require('readline');

const ORACLE_DIR = process.argv[2] || '/tmp/oracle';
const MODULES = path.join(ORACLE_DIR, 'node_modules');
const START = 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1';
const DEPTH4_LIMIT = 20000;  // depth 4 only where depth 3 is at most this

// Tags in the order a position is offered to them, with their quotas.
const QUOTAS = [
  ['double-check', 10], ['kings-file-screen', 8], ['kings-file-pieces', 5],
  ['cannon-check', 8], ['horse-check', 6], ['discovered', 10], ['check', 10],
  ['mated', 3], ['horse-leg', 8], ['pawns-crossed', 8], ['sparse', 10],
  ['opening', 10], ['endgame', 12], ['middlegame', 14],
];

// Positions named by hand (the start position to depth 4 among them), with
// the deepest depth when it is not the usual one.
const HAND_PICKED = [
  ['middlegame', '1Cba1abn1/4k3r/c8/p1p3p2/1c6p/2P3P2/P3P3P/2N1R3R/r8/2BAKABN1 w'],
  ['middlegame', '1Cbaknb2/4ar3/9/1r4p1P/p1p1p4/P5Pc1/4P4/2c6/C8/RNBAKABNR b'],
  ['middlegame', '1n1ak3c/6r2/2r2a3/4C2n1/p1p1p1b2/2B1P4/c1P6/2N5p/3KA4/1NR2A3 b'],
  ['middlegame', '1n2ka2r/4a4/8b/4r1p2/pPb4n1/6P1P/8R/3ABA3/7R1/1NB1K2N1 w'],
  ['middlegame', '1nbakab2/7Rn/4C4/p1p5p/2P1p1p2/P2R1r3/4P1P1P/2C6/7r1/1NBAKAB2 b'],
  ['endgame', '2b1k1b2/9/5c3/p6P1/6P1r/P1p6/4N3p/1r2B2C1/2c6/2BAKA3 w'],
  ['sparse', '2b1ka3/4a4/4b4/4N4/9/2C6/9/9/4A4/3AK4 b'],
  ['middlegame', '2b2a3/n2ka3r/4b1n1R/1rp5p/3C2p2/P1P3P2/2R1p3P/5A3/9/3K1ABN1 w'],
  ['middlegame', '2ba1ab1r/5k3/nC1r2n2/4p1p1p/p1p6/P5P1P/2P1P4/4B2c1/4ANC1R/RNB1KA3 w'],
  ['middlegame', '2ba5/C4k1c1/n8/2p6/P7p/1rP1Prp1R/1c7/4B1NC1/R2K5/2BA1A3 w'],
  ['middlegame', '2bak1b2/4a1n1r/n8/4p1C1p/p8/9/2N1PCPcP/7NB/2r1A4/RcBAKR3 w'],
  ['endgame', '2bakc2R/r5N2/2na5/9/5rp2/2p1P1P2/9/p3B4/4K4/2BA1A3 b'],
  ['middlegame', '2bk1a1n1/1rn1a1r2/4bC2R/pc2p3P/2p3p2/9/P1P1P1P2/2N1B4/5C2R/2BAKA1N1 b'],
  ['middlegame', '2bk1a2r/rc2a2c1/n5n1b/4p1p1p/p1p3C2/2B3P1P/P1P1P4/8N/4KC3/RN1A1AB1R w'],
  ['middlegame', '2n3bC1/8n/4k4/2p6/2b1Pr2p/P5B2/2P4NP/2N5R/9/RrBcKA3 w'],
  ['middlegame', '3a2bnr/5k3/b8/2p3P1p/P4r3/2P5P/4N4/B4R1cN/3CK4/3A2B2 b'],
  ['middlegame', '3ak1b2/4n2cr/3rban2/6P2/p1p1p4/P7p/2P1P2cR/2NA5/2C6/1RBAK1BN1 w'],
  ['sparse', '3akab2/9/4b4/9/9/9/9/3n5/4C4/4K4 w'],
  ['endgame', '3k2bn1/4a4/4b4/3P5/P2n5/1c4P1r/1N6p/4B4/4R4/4KA3 w'],
  ['sparse', '3k5/3P5/4P4/9/9/9/9/9/9/5K3 b'],
  ['sparse', '3k5/9/9/9/4c4/9/9/9/4A4/4K4 w'],
  ['sparse', '4k4/4a4/3P5/9/9/9/9/9/9/3K5 b'],
  ['sparse', '4k4/9/9/9/9/9/9/4r4/4N4/3AK4 w'],
  ['middlegame', 'r1ba1a1nr/3k5/3c4b/p7p/2p3p1P/P3PN3/2P3P2/B5N1B/R2cA4/3AK3R b'],
  ['middlegame', 'r1ba1a3/4k4/6n2/2pC2p1p/2b1p4/p1P1P1B2/P3N1P1P/4KA3/c7r/R1B2A1c1 b'],
  ['middlegame', 'rn1a1kbn1/4a4/r8/p1p1p1p2/3c2b1p/P1P1P1P2/6R1P/4B1C1R/4Ac1C1/1N2KABN1 w'],
  ['middlegame', 'rnba1a1n1/5k2r/1C2b4/p1pR2p2/4p3p/2P3P2/P3P3P/RC2B3N/7c1/1cBAKA3 b'],
  ['opening', 'rnbakabnr/3c5/9/2c3p1p/p1p1p4/4C4/P1P1P1P1P/1R3AC2/9/1NB1KABNR b'],
  ['opening', 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w', 4],
];

// ----------------------------------------------------------- seeded random
const { random, pick } = require('./seeded_random.cjs').seededRandom(20240601);

// ------------------------------------------------------------ board model
// grid[row][file], row 0 = black's back rank; letters as in FEN.
function parse(fen) {
  const [field, side] = fen.split(' ');
  const grid = field.split('/').map((row) => {
    const out = [];
    for (const c of row) {
      if (c >= '1' && c <= '9') for (let i = 0; i < +c; ++i) out.push(null);
      else out.push(c);
    }
    return out;
  });
  return { grid, red: side === 'w' };
}
function toFen(grid, red) {
  const rows = grid.map((row) => {
    let s = '', gap = 0;
    for (const c of row) {
      if (!c) { ++gap; continue; }
      if (gap) s += gap;
      gap = 0;
      s += c;
    }
    return gap ? s + gap : s;
  });
  return `${rows.join('/')} ${red ? 'w' : 'b'} - - 0 1`;
}
const isRed = (c) => c === c.toUpperCase();
const at = (g, r, f) => (r >= 0 && r < 10 && f >= 0 && f < 9 ? g[r][f] : undefined);
function findKing(g, red) {
  for (let r = 0; r < 10; ++r)
    for (let f = 0; f < 9; ++f) if (g[r][f] === (red ? 'K' : 'k')) return [r, f];
  return null;
}
// Pieces met walking from (r, f) one way: [{c, r, f}...].
function walk(g, r, f, dr, df) {
  const met = [];
  for (let rr = r + dr, ff = f + df; at(g, rr, ff) !== undefined; rr += dr, ff += df)
    if (g[rr][ff]) met.push({ c: g[rr][ff], r: rr, f: ff });
  return met;
}
const DIRS = [[0, 1], [0, -1], [1, 0], [-1, 0]];
const HORSE = [[-2, -1, -1, 0], [-2, 1, -1, 0], [2, -1, 1, 0], [2, 1, 1, 0],
               [-1, -2, 0, -1], [1, -2, 0, -1], [-1, 2, 0, 1], [1, 2, 0, 1]];

// Pieces of the side not `red` that attack red's (or black's) king.
function attackers(g, red) {
  const k = findKing(g, red);
  const enemy = (c) => c && isRed(c) !== red;
  const out = [];
  for (const [dr, df] of DIRS) {
    const met = walk(g, k[0], k[1], dr, df);
    if (met[0] && enemy(met[0].c)) {
      const t = met[0].c.toLowerCase();
      if (t === 'r') out.push(met[0]);
      if (t === 'k' && df === 0) out.push(met[0]);
    }
    if (met[1] && enemy(met[1].c) && met[1].c.toLowerCase() === 'c') out.push(met[1]);
  }
  // Horses: the horse stands at king + (dr, df); its leg is next to it.
  for (const [dr, df, lr, lf] of HORSE) {
    const hr = k[0] - dr, hf = k[1] - df;
    const c = at(g, hr, hf);
    if (c && enemy(c) && c.toLowerCase() === 'n' && !at(g, hr + lr, hf + lf)) out.push({ c, r: hr, f: hf });
  }
  // Pawns: in front of the king from the pawn's view, or beside it once across.
  const pawn = red ? 'p' : 'P';
  const ahead = red ? -1 : 1;  // black pawns come from lower rows
  if (at(g, k[0] + (red ? -1 : 1), k[1]) === pawn) out.push({ c: pawn, r: k[0] + ahead, f: k[1] });
  const crossed = red ? k[0] >= 5 : k[0] <= 4;
  for (const df of [-1, 1])
    if (crossed && at(g, k[0], k[1] + df) === pawn) out.push({ c: pawn, r: k[0], f: k[1] + df });
  return out;
}

// Does the side to move have a piece whose leaving its line uncovers a check?
function hasDiscovery(g, red) {
  const k = findKing(g, !red);
  const own = (c) => c && isRed(c) === red;
  for (const [dr, df] of DIRS) {
    const met = walk(g, k[0], k[1], dr, df);
    const t = (i) => met[i] && own(met[i].c) && met[i].c.toLowerCase();
    if (own(met[0] && met[0].c) && t(1) === 'r') return true;
    if (t(2) === 'c' && (own(met[0] && met[0].c) || own(met[1] && met[1].c))) return true;
  }
  return false;
}

function tagsOf(fen, origin, legalCount) {
  const { grid, red } = parse(fen);
  const tags = [];
  const checks = attackers(grid, red);
  const count = grid.flat().filter(Boolean).length;
  if (checks.length >= 2) tags.push('double-check');
  const kr = findKing(grid, true), kb = findKing(grid, false);
  if (kr[1] === kb[1]) {
    const between = walk(grid, kb[0], kb[1], 1, 0).findIndex((p) => p.c === 'K');
    tags.push(between === 1 ? 'kings-file-screen' : 'kings-file-pieces');
  }
  if (checks.some((p) => p.c.toLowerCase() === 'c')) tags.push('cannon-check');
  if (checks.some((p) => p.c.toLowerCase() === 'n')) tags.push('horse-check');
  if (hasDiscovery(grid, red)) tags.push('discovered');
  if (checks.length === 1) tags.push('check');
  if (legalCount === 0) tags.push('mated');
  // A horse of the side to move with at least one blocked leg.
  outer: for (let r = 0; r < 10; ++r)
    for (let f = 0; f < 9; ++f) {
      const c = grid[r][f];
      if (c !== (red ? 'N' : 'n')) continue;
      for (const [lr, lf] of DIRS) if (at(grid, r + lr, f + lf)) { tags.push('horse-leg'); break outer; }
    }
  let crossed = 0;
  for (let r = 0; r < 10; ++r)
    for (let f = 0; f < 9; ++f)
      if (grid[r][f] === (red ? 'P' : 'p') && (red ? r <= 4 : r >= 5)) ++crossed;
  if (crossed >= 2) tags.push('pawns-crossed');
  if (count <= 8) tags.push('sparse');
  if (origin.game && origin.ply <= 10) tags.push('opening');
  if (origin.game && count <= 14) tags.push('endgame');
  if (origin.game && origin.ply >= 16 && count >= 20) tags.push('middlegame');
  return tags;
}

// A legal position: the side not to move is not attacked (kings facing count).
function legalPosition(fen) {
  const { grid, red } = parse(fen);
  return attackers(grid, !red).length === 0;
}

// ------------------------------------------------------- random placements
function placement() {
  const grid = Array.from({ length: 10 }, () => Array(9).fill(null));
  const free = (r, f) => !grid[r][f];
  const put = (c, squares) => {
    const open = squares.filter(([r, f]) => free(r, f));
    if (open.length) { const [r, f] = pick(open); grid[r][f] = c; }
  };
  for (const red of [true, false]) {
    const row = (rel) => (red ? 9 - rel : rel);
    const L = (c) => (red ? c.toUpperCase() : c);
    const palace = [];
    for (let rel = 0; rel < 3; ++rel) for (let f = 3; f < 6; ++f) palace.push([row(rel), f]);
    put(L('k'), palace);
    const advisorPoints = palace.filter(([r, f]) => ((f + (red ? 9 - r : r)) & 1) === 1);
    const elephantPoints = [[0, 2], [0, 6], [2, 0], [2, 4], [2, 8], [4, 2], [4, 6]].map(([rel, f]) => [row(rel), f]);
    const all = [];
    for (let r = 0; r < 10; ++r) for (let f = 0; f < 9; ++f) all.push([r, f]);
    const pawnSquares = all.filter(([r, f]) => {
      const rel = red ? 9 - r : r;
      return rel >= 5 || (rel >= 3 && f % 2 === 0);
    });
    const n = (max) => Math.floor(random() * (max + 1));
    for (let i = n(2); i > 0; --i) put(L('a'), advisorPoints);
    for (let i = n(2); i > 0; --i) put(L('b'), elephantPoints);
    for (let i = n(2); i > 0; --i) put(L('n'), all);
    for (let i = n(2); i > 0; --i) put(L('r'), all);
    for (let i = n(2); i > 0; --i) put(L('c'), all);
    for (let i = n(5); i > 0; --i) put(L('p'), pawnSquares);
  }
  return toFen(grid, random() < 0.5);
}

// ----------------------------------------------------------------- oracle
function startOracle() {
  const uci = path.join(MODULES, 'fairy-stockfish-nnue.wasm', 'uci.js');
  const child = spawn(process.execPath, ['--no-experimental-fetch', uci], { stdio: ['pipe', 'pipe', 'inherit'] });
  const lines = readline.createInterface({ input: child.stdout });
  const waiting = [];
  lines.on('line', (line) => {
    const m = /^Nodes searched: (\d+)/.exec(line);
    if (m && waiting.length) waiting.shift()(Number(m[1]));
  });
  child.stdin.write('uci\nsetoption name UCI_Variant value xiangqi\n');
  return {
    perft(fen, depth) {
      return new Promise((resolve) => {
        waiting.push(resolve);
        child.stdin.write(`position fen ${fen}\ngo perft ${depth}\n`);
      });
    },
    close() { child.stdin.write('quit\n'); child.stdin.end(); },
  };
}

async function main() {
  const ffish = require(path.join(MODULES, 'ffish'));
  if (!ffish.Board) await new Promise((resolve) => { ffish.onRuntimeInitialized = resolve; });
  const candidates = [];
  const seen = new Set();
  const offer = (fen, origin) => {
    const key = fen.split(' ').slice(0, 2).join(' ');
    if (seen.has(key) || !legalPosition(fen)) return;
    seen.add(key);
    const board = new ffish.Board('xiangqi', fen);
    const legal = board.legalMoves().trim();
    board.delete();
    candidates.push({ fen, tags: tagsOf(fen, origin, legal ? legal.split(' ').length : 0) });
  };

  // Random games; one game in three prefers captures to reach endgames.
  for (let game = 0; game < 300; ++game) {
    const board = new ffish.Board('xiangqi', START);
    const greedy = game % 3 === 0;
    for (let ply = 0; ply < 160; ++ply) {
      if (random() < 0.25) offer(board.fen(), { game: true, ply });
      const moves = board.legalMoves().trim().split(' ').filter(Boolean);
      if (!moves.length) break;
      const captures = moves.filter((m) => board.isCapture(m));
      board.push(greedy && captures.length && random() < 0.7 ? pick(captures) : pick(moves));
    }
    board.delete();
  }
  for (let i = 0; i < 60000; ++i) offer(placement(), { game: false });

  // Fill the quotas, rarest tags first.
  const chosen = [];
  for (const [tag, quota] of QUOTAS) {
    let taken = chosen.filter((c) => c.tag === tag).length;
    for (const c of candidates) {
      if (taken >= quota) break;
      if (c.tag || !c.tags.includes(tag)) continue;
      c.tag = tag;
      chosen.push(c);
      ++taken;
    }
    if (taken < quota) process.stderr.write(`only ${taken} positions for ${tag}\n`);
  }

  const oracle = startOracle();
  console.log('# Perft counts of varied positions, from fairy-stockfish (npm build),');
  console.log('# made by tools/perft_fixture.cjs. Fields: tag, board, side, counts at depth 1, 2, 3 [, 4].');
  for (const c of chosen) {
    const counts = [];
    for (let depth = 1; depth <= 4; ++depth) {
      if (depth === 4 && counts[2] > DEPTH4_LIMIT) break;
      counts.push(await oracle.perft(c.fen, depth));
    }
    const [field, side] = c.fen.split(' ');
    console.log(`${c.tag} ${field} ${side} ${counts.join(' ')}`);
  }
  console.log('# Named by hand: positions that once caught faults, and the start position.');
  for (const [tag, fen, deepest] of HAND_PICKED) {
    const counts = [];
    for (let depth = 1; depth <= (deepest || 4); ++depth) {
      if (!deepest && depth === 4 && counts[2] > DEPTH4_LIMIT) break;
      counts.push(await oracle.perft(fen, depth));
    }
    console.log(`${tag} ${fen} ${counts.join(' ')}`);
  }
  oracle.close();
}

main();
