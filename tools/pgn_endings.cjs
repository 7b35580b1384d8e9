#!/usr/bin/env node
// How the games of match PGN files ended, per player: mates, positions
// without a move, repetition rulings (perpetual check or chase) and draws.
// The rules library of the match runner replays every game.
//
//   node --no-experimental-fetch tools/pgn_endings.cjs FILE.pgn...
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');

const START = 'rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w - - 0 1';
const toLib = (m) => m[0] + (+m[1] + 1) + m[2] + (+m[3] + 1);

function games(text) {
  const out = [];
  for (const block of text.split(/\n(?=\[Game )/)) {
    const tag = (name) => (new RegExp(`\\[${name} "([^"]*)"\\]`).exec(block) || [])[1];
    const moves = block.split('\n').filter((l) => l && !l.startsWith('[')).join(' ').split(/\s+/)
      .filter((t) => /^[a-i]\d[a-i]\d$/.test(t));
    if (tag('Result')) out.push({ red: tag('Red'), black: tag('Black'), result: tag('Result'), termination: tag('Termination'), moves });
  }
  return out;
}

async function main() {
  const cache = process.env.XIANGQI_MATCH_CACHE || path.join(os.homedir(), '.cache', 'xiangqi-match');
  delete globalThis.fetch;
  const ff = require(path.join(cache, 'node_modules', 'ffish', 'ffish.js'));
  if (!ff.Board) await new Promise((resolve) => { ff.onRuntimeInitialized = resolve; });
  const table = new Map();
  const row = (name) => table.get(name) || table.set(name, { games: 0, mateWin: 0, mateLoss: 0, repWin: 0, repLoss: 0, repDraw: 0, otherDraw: 0, other: 0 }).get(name);
  for (const file of process.argv.slice(2)) {
    for (const g of games(fs.readFileSync(file, 'utf8'))) {
      const board = new ff.Board('xiangqi', START);
      for (const m of g.moves) board.push(toLib(m));
      const noMove = board.legalMoves().trim() === '';
      board.delete();
      const red = row(g.red), black = row(g.black);
      ++red.games; ++black.games;
      if (g.termination !== 'rules') { ++red.other; ++black.other; continue; }
      if (g.result === '1/2-1/2') { ++red.repDraw; ++black.repDraw; continue; }
      const [winner, loser] = g.result === '1-0' ? [red, black] : [black, red];
      if (noMove) { ++winner.mateWin; ++loser.mateLoss; } else { ++winner.repWin; ++loser.repLoss; }
    }
  }
  console.log('player                games  mate/no-move +/-   repetition ruling +/-   drawn by rules   other endings');
  for (const [name, r] of table)
    console.log(`${name.padEnd(20)} ${String(r.games).padStart(6)}   ${String(r.mateWin).padStart(5)} / ${String(r.mateLoss).padEnd(5)}   ${String(r.repWin).padStart(9)} / ${String(r.repLoss).padEnd(9)}   ${String(r.repDraw).padStart(9)}        ${r.other}`);
}

main().catch((e) => { console.error(e); process.exit(1); });
