#include "common/engine.h"

#include <algorithm>
#include <cstring>

#include "board/movelists.h"
#include "board/tables.h"
#include "config/evalscript.h"
#include "eval/evaluate.h"
#include "movegen/captureorder.h"
#include "movegen/movegen.h"
#include "board/zobrist.h"
#include "movegen/history.h"
#include "eval/script.h"

namespace kit {
namespace {

int tablesInUse = 0;  // 1 synthetic, 2 shipped

void setUp(int which) {
  if (tablesInUse == which) return;
  tablesInUse = which;
  buildPieceTables(), initZobrist(), buildHistoryTables();
  if (which == 2 && !loadEvaluationScript(TOLVANE_DATA_DIR "/PosVal.txt")) std::abort();
  if (which == 1) {
    evalScript = EvalScript{};
    const int value[PIECE_TYPE_COUNT] = {2000, 40, 45, 180, 400, 190, 30};
    std::mt19937 rng(12345);
    for (int kind = 0; kind < PIECE_KIND_COUNT; ++kind)
      for (int sq = 0; sq < 256; ++sq) {
        pieceValue[kind] = value[kind % 7];
        pieceSquare[kind][sq] = InBoard[sq] ? int(rng() % 201) - 100 : 0;
      }
    for (int i = 0; i < 32; ++i)
      for (int sq = 0; sq < 256; ++sq)
        pieceSquareByIndex[i][sq] = InBoard[sq] ? pieceSquare[PieceKindOf[i]][sq] + pieceValue[PieceKindOf[i]] : 0;
    buildMoveDelta();
  }
  buildMoveTables(), buildCaptureOrderTable(), buildEvalTables();
}

// ---- the rules, on a bare square array (no engine table read)
bool onBoard(int sq) { return rankOf(sq) >= 3 && rankOf(sq) <= 12 && fileOf(sq) >= 3 && fileOf(sq) <= 11; }
int typeOf(int code) { return "\0\1\1\2\2\3\3\4\4\5\5\6\6\6\6\6"[code & 15]; }
int homeRow(int side, int sq) { return side == BLACK ? rankOf(sq) - 3 : 12 - rankOf(sq); }
bool inPalace(int side, int sq) { return homeRow(side, sq) <= 2 && fileOf(sq) >= 6 && fileOf(sq) <= 8; }

struct Walk {
  const uint8_t* sq;
  int excluded;
  bool full(int s) const { return s != excluded && sq[s] < 32; }
  int between(int a, int c) const {
    const int step = rankOf(a) == rankOf(c) ? (c > a ? 1 : -1) : (c > a ? 16 : -16);
    int n = 0;
    for (int s = a + step; s != c; s += step) n += full(s);
    return n;
  }
  bool facing(int from, int to) const {  // the other king, on an open file
    return sq[from] < 32 && sq[to] == (sq[from] ^ 16) && (sq[from] & 15) == 0 && fileOf(from) == fileOf(to) && !between(from, to);
  }
  bool reaches(int code, int from, int to, bool capture) const {
    const int side = code >> 4, dr = rankOf(to) - rankOf(from), df = fileOf(to) - fileOf(from);
    const int ar = std::abs(dr), af = std::abs(df);
    switch (typeOf(code)) {
      case KING: return inPalace(side, to) && ar + af == 1;
      case ADVISOR: return inPalace(side, to) && ar == 1 && af == 1;
      case ELEPHANT: return homeRow(side, to) <= 4 && ar == 2 && af == 2 && !full((from + to) / 2);
      case HORSE:
        return (ar == 2 && af == 1 && !full(from + (dr > 0 ? 16 : -16))) ||
               (ar == 1 && af == 2 && !full(from + (df > 0 ? 1 : -1)));
      case ROOK: return (!dr != !df) && between(from, to) == 0;
      case CANNON: return (!dr != !df) && between(from, to) == (capture ? 1 : 0);
      default: return to == from + (side == RED ? -16 : 16) || (homeRow(side, from) >= 5 && !dr && af == 1);
    }
  }
  bool attacked(int target, int side) const {
    for (int s = 0; s < 256; ++s)
      if (onBoard(s) && s != target && full(s) && sq[s] >> 4 == side && reaches(sq[s], s, target, true)) return true;
    return false;
  }
  bool kingAttacked(int side) const {
    const int king = int(std::find(sq, sq + 256, kingIndex(side)) - sq);
    const int other = int(std::find(sq, sq + 256, kingIndex(otherSide(side))) - sq);
    return king < 256 && (attacked(king, otherSide(side)) || (other < 256 && facing(other, king)));
  }
};

// The board and side fields; mirror 1 swaps colours and ranks, 2 reverses files.
std::string fenOf(const Board& b, int mirror) {
  std::string fen;
  for (int row = 0; row < 10; ++row) {
    int gap = 0;
    for (int file = 0; file < 9; ++file) {
      const int c = b.squares[squareAt(mirror == 2 ? 8 - file : file, mirror == 1 ? 9 - row : row)];
      if (c < 32 && gap) fen += char('0' + gap);
      if (c < 32) fen += "kabnrcpKABNRCP"[typeOf(c) + 7 * ((c >> 4) ^ (mirror == 1))];
      gap = c < 32 ? 0 : gap + 1;
    }
    fen += (gap ? std::string(1, char('0' + gap)) : "") + (row < 9 ? '/' : ' ');
  }
  return fen + ((b.sideToMove == RED) != (mirror == 1) ? 'w' : 'b');
}

}  // namespace

void useSyntheticTables() { setUp(1); }
void useShippedScript() { setUp(2); }

std::unique_ptr<Board> newBoard() {
  if (!tablesInUse) setUp(1);
  std::unique_ptr<Board> b(new Board);
  b->init();
  return b;
}
std::unique_ptr<Board> boardFromFen(const std::string& fen) {
  auto b = newBoard();
  EXPECT_EQ(b->setFen(fen.c_str()), FenStatus::Ok) << fen;
  return b;
}
std::string toFen(const Board& b) { return fenOf(b, 0); }
std::string colourMirror(const std::string& fen) { return fenOf(*boardFromFen(fen), 1); }
std::string fileMirror(const std::string& fen) { return fenOf(*boardFromFen(fen), 2); }

std::string moveText(Move m) {
  return {char('a' + fileOf(m.from) - 3), char('0' + 12 - rankOf(m.from)), char('a' + fileOf(m.to) - 3),
          char('0' + 12 - rankOf(m.to))};
}
std::string movesText(const std::vector<Move>& moves) {
  std::vector<std::string> texts;
  for (Move m : moves) texts.push_back(moveText(m));
  std::sort(texts.begin(), texts.end());
  std::string out;
  for (const std::string& t : texts) out += (out.empty() ? "" : " ") + t;
  return out;
}

std::vector<Move> legalMoves(Board& b) {
  Move moves[MAX_MOVES];
  std::vector<Move> out;
  for (int i = 0, n = generateAllMoves(b, b.sideToMove, moves); i < n; ++i)
    if (!b.leavesKingAttacked(moves[i], b.sideToMove)) out.push_back(moves[i]);
  return out;
}

bool play(Board& b, const std::string& text) {
  for (Move m : legalMoves(b))
    if (moveText(m) == text) return !b.makeMove(m);
  return false;
}
bool isLegal(Board& b, const std::string& text) { return play(b, text) && (b.unmakeMove(), true); }

bool reaches(const Board& b, Move m) {
  const int c = b.squares[m.from], t = onBoard(m.to) ? b.squares[m.to] : OFF_BOARD;
  return onBoard(m.from) && c < 32 && t != OFF_BOARD && (t == EMPTY || t >> 4 != c >> 4) &&
         (Walk{b.squares, NO_SQUARE}.reaches(c, m.from, m.to, t < 32) || Walk{b.squares, NO_SQUARE}.facing(m.from, m.to));
}
bool attacked(const Board& b, int sq, int side, int excluded) { return Walk{b.squares, excluded}.attacked(sq, side); }
bool kingAttacked(const Board& b, int side) { return Walk{b.squares, NO_SQUARE}.kingAttacked(side); }

std::vector<Move> ruleMoves(const Board& b) {
  std::vector<Move> out;
  uint8_t after[256];
  for (int from = 0; from < 256; ++from)
    for (int to = 0; to < 256 && b.squares[from] >> 4 == b.sideToMove; ++to) {
      if (!reaches(b, moveFromTo(from, to))) continue;
      std::memcpy(after, b.squares, sizeof after);
      after[to] = after[from], after[from] = EMPTY;
      if (!Walk{after, NO_SQUARE}.kingAttacked(b.sideToMove)) out.push_back(moveFromTo(from, to));
    }
  return out;
}

Scratch fromScratch(const Board& b) {
  Scratch s{b.sideToMove == BLACK ? sideKey : 0, 0, 0};
  for (int sq = 0; sq < 256; ++sq) {
    const int c = b.squares[sq], kind = typeOf(c) + 7 * (c >> 4);
    if (!onBoard(sq) || c >= 32) continue;
    s.key ^= zobristKind[kind][sq];
    s.score += (c >> 4 == b.sideToMove ? 1 : -1) * (pieceValue[kind] + pieceSquare[kind][sq]);
    s.signature |= 1u << c;
  }
  return s;
}

::testing::AssertionResult matchesScratch(const Board& b) {
  auto fail = [&](const char* what, int at) { return ::testing::AssertionFailure() << what << at << " in " << toFen(b); };
  uint16_t lines[32] = {};  // bit-rows, then bit-columns
  for (int sq = 0; sq < 256; ++sq) {
    const int c = b.squares[sq];
    if (onBoard(sq) ? c != EMPTY && (c >= 32 || b.pieceList[c] != sq) : c != OFF_BOARD) return fail("square ", sq);
    if (onBoard(sq) && c != EMPTY) lines[rankOf(sq)] |= 1 << (fileOf(sq) - 3), lines[16 + fileOf(sq)] |= 1 << (rankOf(sq) - 3);
  }
  for (int i = 0; i < 32; ++i)
    if ((b.pieceList[i] != NO_SQUARE && b.squares[b.pieceList[i]] != i) || lines[i] != (i < 16 ? b.bitRows[i] : b.bitCols[i - 16]))
      return fail("piece list or bit-line ", i);
  const Scratch s = fromScratch(b);
  const PlyRecord& r = *b.currentPly;
  if (r.zobrist != s.key || r.incrementalScore != s.score || r.materialSignature != s.signature)
    return fail("key, score or signature at height ", b.height());
  return ::testing::AssertionSuccess();
}

void randomGames(int games, int maxPlies, unsigned seed, const std::function<void(Board&)>& visit) {
  auto b = boardFromFen(START_FEN);
  std::mt19937 rng(seed);
  for (int g = 0; g < games; ++g) {
    int made = 0;
    for (std::vector<Move> legal; made < maxPlies; ++made) {
      visit(*b);
      if ((legal = legalMoves(*b)).empty()) break;
      const size_t n = legal.size(), pick = rng() % n, hunt = rng() % 3 == 0 ? n : 0;
      size_t k = 0;  // a third of the time the first capture from the pick on, if any
      while (k < hunt && isQuiet(*b, legal[(pick + k) % n])) ++k;
      if (b->makeMove(legal[(pick + (k < n ? k : 0)) % n])) break;
    }
    while (made-- > 0) b->unmakeMove();
  }
}

std::string randomPlacement(std::mt19937& rng) {
  static const std::unique_ptr<Board> b = newBoard();
  for (;;) {
    b->clearBoard();
    for (int c = 0; c < 32; ++c) {  // every piece but the kings with probability 3/4
      std::vector<int> free;
      for (int sq = 0; sq < 256; ++sq)
        if (squareAllowedFor(c, sq) && b->squares[sq] == EMPTY) free.push_back(sq);
      if (free.empty() || (c % 16 && rng() % 4 == 0)) continue;
      const int sq = free[rng() % free.size()];
      b->placePiece(c, fileOf(sq) - 3, rankOf(sq) - 3);
    }
    b->sideToMove = rng() % 2 ? RED : BLACK;
    const std::string fen = toFen(*b);
    if (b->setFen(fen.c_str()) == FenStatus::Ok && !kingAttacked(*b, otherSide(b->sideToMove))) return fen;
  }
}

}  // namespace kit
