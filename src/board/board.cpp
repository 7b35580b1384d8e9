#include "board/board.h"

#include <cctype>
#include <cstddef>
#include <cstring>

#include "board/tables.h"
#include "board/zobrist.h"

void Board::init() {
  std::memset(static_cast<void*>(this), 0, offsetof(Board, accumulatorHeight));
  markAccumulatorsStale();
  for (int sq = 0; sq < 256; ++sq) squares[sq] = InBoard[sq] ? EMPTY : OFF_BOARD;
  plyBase = plyRecords + SENTINEL_RECORDS;
  for (int i = 0; i < SENTINEL_RECORDS; ++i) {
    PlyRecord& r = plyRecords[i];
    r.capturedCode = EMPTY;
    r.lastCaptureRecord = &r;
    r.move = NULL_MOVE;
  }
  sideToMove = RED;
  clearBoard();
}

void Board::copyFrom(const Board& other) {
  std::memcpy(static_cast<void*>(this), &other, offsetof(Board, accumulatorHeight));
  markAccumulatorsStale();
  const auto rebase = [&](PlyRecord* p) {
    return p == nullptr ? p : plyRecords + (p - other.plyRecords);
  };
  plyBase = rebase(other.plyBase);
  currentPly = rebase(other.currentPly);
  for (PlyRecord& r : plyRecords) r.lastCaptureRecord = rebase(r.lastCaptureRecord);
}

void Board::markAccumulatorsStale() {
  for (int32_t& h : accumulatorHeight) h = ACCUMULATOR_STALE;
}

void Board::clearBoard() {
  std::memset(pieceList, NO_SQUARE, sizeof pieceList);
  for (int sq = 0; sq < 256; ++sq)
    if (InBoard[sq]) squares[sq] = EMPTY;
  std::memset(bitRows, 0, sizeof bitRows);
  std::memset(bitCols, 0, sizeof bitCols);
  currentPly = plyBase;
  PlyRecord& base = *plyBase;
  base = PlyRecord{};
  base.capturedCode = EMPTY;
  base.lastCaptureRecord = plyBase - 1;
  plyBase[-1].givesCheck = 0;
  markAccumulatorsStale();
}

void Board::placePiece(int index, int file, int row) {
  const int sq = squareAt(file, row);
  toggleBits(sq);
  squares[sq] = static_cast<uint8_t>(index);
  pieceList[index] = static_cast<uint8_t>(sq);
  accumulatorHeight[0] = ACCUMULATOR_STALE;
  PlyRecord& base = *plyBase;
  base.materialSignature |= PieceBit[index];
  base.zobrist ^= zobristKind[PieceKindOf[index]][sq];
  if (sideOfCode(index) == RED)
    base.incrementalScore += pieceSquareByIndex[index][sq];
  else
    base.incrementalScore -= pieceSquareByIndex[index][sq];
}

bool squareAllowedFor(int code, int sq) {
  if (!InBoard[sq]) return false;
  const int side = sideOfCode(code);
  const int row = relativeRow(side, sq);
  const int col = fileOf(sq) - FILE_LEFT;
  switch (PieceTypeOf[code]) {
    case KING:
      return PalaceMask[side][sq];
    case ADVISOR:
      return PalaceMask[side][sq] && ((col + row) & 1);
    case ELEPHANT:
      if (row == 0 || row == 4) return col == 2 || col == 6;
      if (row == 2) return col == 0 || col == 4 || col == 8;
      return false;
    case PAWN:
      // A pawn goes sideways only over the river: before it, on its files.
      return row >= 5 || (row >= 3 && col % 2 == 0);
    default:
      return true;
  }
}

namespace {

int pieceTypeOfLetter(char c) {
  switch (std::toupper(static_cast<unsigned char>(c))) {
    case 'K': return KING;
    case 'A': return ADVISOR;
    case 'B': case 'E': return ELEPHANT;
    case 'H': case 'N': return HORSE;
    case 'R': return ROOK;
    case 'C': return CANNON;
    case 'P': return PAWN;
    default: return -1;
  }
}


}  // namespace

void Board::writeFen(char* out) const {
  static const char LETTERS[PIECE_TYPE_COUNT + 1] = "kabnrcp";
  for (int row = 0; row < 10; ++row) {
    int empty = 0;
    for (int file = 0; file < 9; ++file) {
      const int code = squares[squareAt(file, row)];
      if (code == EMPTY) {
        ++empty;
        continue;
      }
      if (empty > 0) *out++ = static_cast<char>('0' + empty);
      empty = 0;
      const char c = LETTERS[PieceTypeOf[code]];
      *out++ = sideOfCode(code) == RED ? static_cast<char>(std::toupper(c)) : c;
    }
    if (empty > 0) *out++ = static_cast<char>('0' + empty);
    if (row < 9) *out++ = '/';
  }
  *out++ = ' ';
  *out++ = sideToMove == RED ? 'w' : 'b';
  *out = '\0';
}

FenStatus Board::setFen(const char* text) {
  clearBoard();
  if (text == nullptr || *text == '\0') return FenStatus::Empty;

  int next[2][PIECE_TYPE_COUNT];
  for (int t = 0; t < PIECE_TYPE_COUNT; ++t) {
    next[BLACK][t] = FIRST_INDEX_OF_TYPE[t];
    next[RED][t] = FIRST_INDEX_OF_TYPE[t] + 16;
  }
  const char* p = text;
  // file counts the squares the rank has named so far, past the last
  // file too: such a rank, an eleventh rank or a surplus piece refuses it.
  int row = 0, file = 0;
  bool badText = false;
  for (; *p != '\0' && *p != ' '; ++p) {
    const char c = *p;
    if (c == '/') {
      if (++row > 9) badText = true;
      file = 0;
    } else if (c >= '1' && c <= '9') {
      file += c - '0';
    } else if (std::isalpha(static_cast<unsigned char>(c))) {
      const int type = pieceTypeOfLetter(c);
      const int side = std::isupper(static_cast<unsigned char>(c)) ? RED : BLACK;
      if (type >= 0 && file <= 8 && row <= 9) {
        const int i = next[side][type];
        if (i < FIRST_INDEX_OF_TYPE[type] + PIECES_OF_TYPE[type] + sideBase(side))
          placePiece(i, file, row);
        else
          badText = true;
        next[side][type] = i + 1;
      }
      ++file;
    }
    if (file > 9) badText = true;
    if (badText) break;
  }
  // Skip the rest of the board field. No side field (the text ends, or the
  // move list follows): red moves, as in the start position.
  while (*p != '\0' && *p != ' ') ++p;
  while (*p == ' ') ++p;
  const bool noSide = *p == '\0' || std::strncmp(p, "moves", 5) == 0;
  sideToMove = (noSide || *p == 'w' || *p == 'r') ? RED : BLACK;

  FenStatus status = badText ? FenStatus::BadText : FenStatus::Ok;
  if (status == FenStatus::Ok &&
      (pieceList[kingIndex(RED)] == NO_SQUARE || pieceList[kingIndex(BLACK)] == NO_SQUARE))
    status = FenStatus::MissingKing;
  for (int i = 0; i < 32 && status == FenStatus::Ok; ++i)
    if (pieceList[i] != NO_SQUARE && !squareAllowedFor(i, pieceList[i]))
      status = FenStatus::BadSquare;
  if (status != FenStatus::Ok) {
    clearBoard();
    return status;
  }

  if (sideToMove == BLACK) {
    plyBase->zobrist ^= sideKey;
    plyBase->incrementalScore = -plyBase->incrementalScore;
  }
  plyBase[-1].givesCheck = attacksKing(otherSide(sideToMove));
  return FenStatus::Ok;
}

void Board::trimHistory(int keep) {
  const int h = height();
  if (keep < 0 || keep >= h) return;
  const int drop = h - keep;
  const uint8_t baseInCheck = plyBase[drop - 1].givesCheck;
  std::memmove(plyBase, plyBase + drop, sizeof(PlyRecord) * (keep + 1));
  for (PlyRecord* r = plyBase; r <= plyBase + keep; ++r) {
    PlyRecord* link = r->lastCaptureRecord;
    // Links into the dropped part now stop at the sentinel below the base.
    // (Compared as offsets: a sentinel minus `drop` would point before the
    // array.)
    if (link != nullptr)
      r->lastCaptureRecord = link - plyBase < drop ? plyBase - 1 : link - drop;
  }
  plyBase[-1].givesCheck = baseInCheck;
  currentPly = plyBase + keep;
  markAccumulatorsStale();  // every position has a new height
}
