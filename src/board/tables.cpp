#include "board/tables.h"

#include <cstring>

const uint8_t PieceKindOf[33] = {
    0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 6, 6, 6,
    7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13, 13, 13, 13,
    14};
uint8_t PieceTypeOf[33];
uint32_t PieceBit[32];
const char* const PieceName[PIECE_KIND_COUNT] = {
    "将", "士", "象", "犸", "砗", "包", "卒",
    "帅", "仕", "相", "马", "车", "炮", "兵"};

uint8_t InBoard[256];
uint8_t Square90[256];
uint8_t PalaceMask[2][256];
uint8_t SameLine[65536];

namespace {
int8_t HorseLegTable[511];
}
const int8_t* const HorseLeg = HorseLegTable + 255;

const int CaptureGain[PIECE_TYPE_COUNT] = {0, 30, 30, 60, 100, 60, 20};

int pieceSquareByIndex[32][256];

void buildPieceTables() {
  int n = 0;
  for (int sq = 0; sq < 256; ++sq) {
    int r = rankOf(sq), f = fileOf(sq);
    bool on = r >= RANK_TOP && r <= RANK_BOTTOM && f >= FILE_LEFT &&
              f <= FILE_RIGHT;
    InBoard[sq] = on;
    Square90[sq] = on ? static_cast<uint8_t>(n++) : 0;
    // Black palace: ranks 3..5, files 6..8; red's is its rank mirror.
    bool palace = r >= 3 && r <= 5 && f >= 6 && f <= 8;
    PalaceMask[BLACK][sq] = palace;
    PalaceMask[RED][flipRank(sq)] = palace;
  }
  for (int c = 0; c < 33; ++c)
    PieceTypeOf[c] = static_cast<uint8_t>(c == EMPTY ? NO_PIECE_TYPE
                                                     : PieceKindOf[c] % 7);
  for (int i = 0; i < 32; ++i) PieceBit[i] = 1u << i;

  for (int a = 0; a < 256; ++a)
    for (int b = 0; b < 256; ++b)
      SameLine[a * 256 + b] = InBoard[a] && InBoard[b] &&
                              (rankOf(a) == rankOf(b) || fileOf(a) == fileOf(b));

  std::memset(HorseLegTable, 0, sizeof HorseLegTable);
  // Horse steps: (king - horse) -> offset from the horse to its leg.
  const int steps[8][2] = {{-33, -16}, {-31, -16}, {-18, -1}, {-14, 1},
                           {14, -1},   {18, 1},    {31, 16},  {33, 16}};
  for (const auto& s : steps) HorseLegTable[s[0] + 255] = static_cast<int8_t>(s[1]);
}
