// Loading the evaluation script into the engine's score tables: the script's
// numbers as read, the tables derived from them, and the checks run on them.
#include "eval/script.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "board/board.h"
#include "board/tables.h"
#include "config/evalscript.h"
#include "eval/evaltables.h"
#include "platform/platform.h"

void deriveScoreTables() {
  for (int t = 0; t < PIECE_TYPE_COUNT; ++t) {
    const int black = t, red = t + PIECE_TYPE_COUNT;
    if (t == KING) pieceValue[black] = SCRIPT_KING_VALUE;
    pieceValue[red] = pieceValue[black];
    // Red's square on frame rank 3 + r is black's on rank 12 - r.
    for (int sq = 0; sq < 256; ++sq)
      pieceSquare[red][sq] = InBoard[sq] ? pieceSquare[black][flipRank(sq)] : 0;
  }
  for (int p = 0; p < 32; ++p) {
    const int kind = PieceKindOf[p];
    for (int sq = 0; sq < 256; ++sq)
      pieceSquareByIndex[p][sq] = InBoard[sq] ? pieceSquare[kind][sq] + pieceValue[kind] : 0;
  }
  evalScript.endgameValuesUsed = false;
  for (int t = ADVISOR; t < PIECE_TYPE_COUNT; ++t)
    evalScript.endgameValuesUsed |= evalterm::endgameValue(t) != pieceValue[t];
  // Each set of pieces: the set without its lowest piece, plus that piece.
  endgameShift[0] = 0;
  for (int bits = 1; bits < 65536; ++bits) {
    const int type = PieceTypeOf[__builtin_ctz(static_cast<unsigned>(bits))];
    endgameShift[bits] = endgameShift[bits & (bits - 1)] +
                         (type == KING ? 0 : evalterm::endgameValue(type) - pieceValue[type]);
  }
  const double rook = pieceValue[ROOK];
  evalScript.rookMarginSmall = static_cast<int>(ROOK_MARGIN_SMALL_FACTOR * rook);
  evalScript.rookMarginLarge = static_cast<int>(ROOK_MARGIN_LARGE_FACTOR * rook);
}

int checkMirrorSymmetry() {
  std::string report;
  int differing = 0;
  for (int p = 0; p < 32; ++p)
    for (int sq = 0; sq < 256; ++sq) {
      const int col = fileOf(sq);
      if (!InBoard[sq] || col > FILE_CENTRE) continue;
      const int mirror = makeSquare(rankOf(sq), FILE_LEFT + FILE_RIGHT - col);
      if (pieceSquareByIndex[p][sq] == pieceSquareByIndex[p][mirror]) continue;
      if (++differing > MIRROR_REPORT_MAX_LINES) continue;
      char line[96];
      std::snprintf(line, sizeof line, "\n%s %d行%d-%d列镜像不对称", PieceName[PieceKindOf[p]],
                    rankOf(sq) - RANK_TOP, col - FILE_LEFT, FILE_RIGHT - col);
      report += line;
    }
  if (differing > MIRROR_REPORT_MAX_LINES) {
    char line[64];
    std::snprintf(line, sizeof line, "\n另有%d处镜像不对称",
                  differing - MIRROR_REPORT_MAX_LINES);
    report += line;
  }
  if (differing > 0) askYesNo(report.c_str(), "");
  return differing;
}

int scriptScoreBound() {
  int best[2] = {0, 0}, worst[2] = {0, 0};
  for (int p = 0; p < 32; ++p) {
    const int kind = PieceKindOf[p];
    const bool king = PieceTypeOf[p] == KING;
    int hi = INT32_MIN, lo = INT32_MAX;
    for (int sq = 0; sq < 256; ++sq) {
      if (!squareAllowedFor(p, sq)) continue;
      const int v = king ? pieceSquare[kind][sq] : pieceSquareByIndex[p][sq];
      hi = std::max(hi, v);
      lo = std::min(lo, v);
    }
    // A captured piece counts 0; a king is always on the board.
    if (!king) {
      hi = std::max(hi, 0);
      lo = std::min(lo, 0);
    }
    best[sideOfCode(p)] += hi;
    worst[sideOfCode(p)] += lo;
  }
  return std::max(best[RED] - worst[BLACK], best[BLACK] - worst[RED]);
}

bool loadEvaluationScript(const char* path) {
  std::memset(pieceSquareByIndex, 0, sizeof pieceSquareByIndex);
  const ScriptReadStatus read = readEvaluationScript(path);
  if (read.piecesRead) {
    deriveScoreTables();
    checkMirrorSymmetry();
  }
  buildMoveDelta();
  bool ok = read.opened && read.endMarkRight;
  if (ok && scriptScoreBound() > SCRIPT_SCORE_LIMIT) {
    std::fprintf(stderr, "%s: its values allow a score of %d, more than %d\n", path,
                 scriptScoreBound(), SCRIPT_SCORE_LIMIT);
    ok = false;
  }
  return ok;
}
