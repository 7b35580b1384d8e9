// cyclejudge: the engine's verdict on repetition cycles, one per input line.
//   cyclejudge < cycles
// Input lines: <FEN with side field> ; <move> <move> ...  (UCCI squares).
// The moves are played from the FEN and must be legal, capture nothing and
// end in the starting position. Output, one line per input line:
//   <loser red|black|none> <red's fault> <black's fault>   (none|check|chase)
// or "bad <reason>" for a line that is no cycle.
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "board/zobrist.h"
#include "frontend/movetext.h"
#include "movegen/cycle.h"
#include "movegen/movegen.h"

namespace {

const char* const FAULT_NAMES[] = {"none", "check", "chase"};

// Plays the cycle of `line` on the board; an empty string when it is one.
std::string playCycle(Board& board, const std::string& line, int* plies) {
  const size_t semicolon = line.find(';');
  if (semicolon == std::string::npos) return "no ';'";
  if (board.setFen(line.substr(0, semicolon).c_str()) != FenStatus::Ok) return "bad FEN";
  const ZobristKey start = board.currentPly->zobrist;
  *plies = 0;
  for (size_t at = semicolon + 1; at < line.size();) {
    while (at < line.size() && line[at] == ' ') ++at;
    if (at >= line.size()) break;
    const Move m = textToMove(line.c_str() + at);
    if (isNullMove(m) || !isPseudoLegal(board, board.sideToMove, m)) return "unplayable move";
    if (board.squares[m.to] != EMPTY) return "a capture";
    if (*plies >= GAME_RECORD_LIMIT || board.makeMove(m)) return "illegal move";
    ++*plies;
    at += 4;
  }
  if (*plies == 0 || *plies % 2 != 0 || board.currentPly->zobrist != start) return "not a cycle";
  return "";
}

}  // namespace

int main() {
  buildPieceTables();
  initZobrist();
  buildMoveDelta();
  buildMoveTables();
  std::unique_ptr<Board> board(new Board);
  board->init();
  char buffer[1 << 14];
  while (std::fgets(buffer, sizeof buffer, stdin) != nullptr) {
    std::string line(buffer);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
    int plies = 0;
    const std::string fault = playCycle(*board, line, &plies);
    if (!fault.empty()) {
      std::printf("bad %s\n", fault.c_str());
    } else {
      const CycleVerdict v = judgeCycle(*board, plies, true);
      std::printf("%s %s %s\n", v.loser == RED ? "red" : v.loser == BLACK ? "black" : "none",
                  FAULT_NAMES[v.fault[RED]], FAULT_NAMES[v.fault[BLACK]]);
    }
    std::fflush(stdout);
  }
  freeMoveTables();
  return 0;
}
