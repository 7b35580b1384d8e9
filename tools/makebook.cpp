// makebook: builds the opening book OpenBook.dat from text repertoires.
//   makebook <book file> <repertoire>...
// A repertoire holds one opening line per text line: four-character moves
// from the start position, blank-separated; '#' starts a comment. Every line
// is replayed on the engine's own Board (so the keys are the engine's), and
// so is its left-right mirror. The moves met in a position form its record,
// best first: the moves most lines play, then the ones met first; a move's
// score is the number of lines that play it.
#include <algorithm>
#include <cstdio>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/movelists.h"
#include "board/tables.h"
#include "board/zobrist.h"
#include "book/book.h"
#include "frontend/movetext.h"
#include "movegen/movegen.h"

namespace {

struct BookMove {
  Move move;
  int lines;  // how many lines play it here
  int order;  // when it was first met
};

struct Builder {
  std::map<ZobristKey, std::vector<BookMove>> positions;
  int nextOrder = 0;
  int lineCount = 0;
};

// The same move seen in the mirror: file a <-> file i.
std::string mirrorText(const std::string& text) {
  std::string out = text;
  out[0] = static_cast<char>('a' + 'i' - text[0]);
  out[2] = static_cast<char>('a' + 'i' - text[2]);
  return out;
}

// Finds the legal move of the position that the text names.
bool legalMove(Board& board, const std::string& text, Move* out) {
  if (text.size() != 4) return false;
  const Move wanted = textToMove(text.c_str());
  if (isNullMove(wanted)) return false;
  Move moves[MAX_MOVES];
  const int n = generateAllMoves(board, board.sideToMove, moves);
  for (int i = 0; i < n; ++i) {
    if (!sameMove(moves[i], wanted)) continue;
    if (board.makeMove(moves[i])) return false;
    board.unmakeMove();
    *out = moveFromTo(wanted.from, wanted.to);
    return true;
  }
  return false;
}

void addMove(Builder* builder, ZobristKey key, Move m) {
  std::vector<BookMove>& list = builder->positions[key];
  for (BookMove& known : list)
    if (sameMove(known.move, m)) {
      ++known.lines;
      return;
    }
  list.push_back(BookMove{m, 1, builder->nextOrder++});
}

// Replays one line; false (with the culprit) on the first illegal move.
bool replayLine(Builder* builder, Board& board, const std::vector<std::string>& moves,
                std::string* culprit) {
  board.setFen(START_FEN);
  for (const std::string& text : moves) {
    Move m;
    if (!legalMove(board, text, &m)) {
      *culprit = text;
      return false;
    }
    addMove(builder, board.currentPly->zobrist, m);
    board.makeMove(m);
  }
  ++builder->lineCount;
  return true;
}

bool readRepertoire(Builder* builder, Board& board, const char* path) {
  std::ifstream in(path);
  if (!in) {
    std::fprintf(stderr, "makebook: cannot read %s\n", path);
    return false;
  }
  std::string text;
  for (int number = 1; std::getline(in, text); ++number) {
    const std::string body = text.substr(0, text.find('#'));
    std::istringstream words(body);
    std::vector<std::string> moves, mirrored;
    for (std::string w; words >> w;) {
      moves.push_back(w);
      mirrored.push_back(w.size() == 4 ? mirrorText(w) : w);
    }
    if (moves.empty()) continue;
    std::string culprit;
    if (!replayLine(builder, board, moves, &culprit) ||
        !replayLine(builder, board, mirrored, &culprit)) {
      std::fprintf(stderr, "makebook: %s:%d: illegal move %s in: %s\n", path, number,
                   culprit.c_str(), body.c_str());
      return false;
    }
  }
  return true;
}

bool writeBook(const Builder& builder, const char* path, int* moveTotal) {
  std::vector<BookRecord> records;
  *moveTotal = 0;
  for (const auto& [key, found] : builder.positions) {
    std::vector<BookMove> list = found;
    std::sort(list.begin(), list.end(), [](const BookMove& a, const BookMove& b) {
      return a.lines != b.lines ? a.lines > b.lines : a.order < b.order;
    });
    if (list.size() > BOOK_MAX_MOVES) {
      std::fprintf(stderr, "makebook: a position has %zu moves; the %d best kept\n",
                   list.size(), BOOK_MAX_MOVES);
      list.resize(BOOK_MAX_MOVES);
    }
    BookRecord r = {};
    r.keyLow = keyLow(key);
    r.keyHigh = keyHigh(key);
    r.moveCount = static_cast<uint8_t>(list.size());
    for (size_t i = 0; i < list.size(); ++i)
      r.moves[i] = moveFromTo(list[i].move.from, list[i].move.to, std::min(list[i].lines, 32767));
    *moveTotal += r.moveCount;
    records.push_back(r);
  }
  // std::map walks the keys in ascending order: the order the file needs.
  BookHeader header = {static_cast<uint32_t>(records.size()), {0, 0, 0, 0, 0}};
  std::FILE* out = std::fopen(path, "wb");
  if (out == nullptr) return false;
  bool ok = std::fwrite(&header, sizeof header, 1, out) == 1;
  if (!records.empty())
    ok = ok && std::fwrite(records.data(), sizeof(BookRecord), records.size(), out) == records.size();
  return std::fclose(out) == 0 && ok;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: makebook <book file> <repertoire>...\n");
    return 2;
  }
  buildPieceTables();
  initZobrist();
  buildMoveDelta();  // keys only: the placement scores may stay zero
  buildMoveTables();
  std::unique_ptr<Board> board(new Board);
  board->init();

  Builder builder;
  for (int i = 2; i < argc; ++i)
    if (!readRepertoire(&builder, *board, argv[i])) return 1;
  int moveTotal = 0;
  if (!writeBook(builder, argv[1], &moveTotal)) {
    std::fprintf(stderr, "makebook: cannot write %s\n", argv[1]);
    return 1;
  }
  std::printf("makebook: %d lines with their mirrors, %zu positions, %d moves\n",
              builder.lineCount, builder.positions.size(), moveTotal);
  freeMoveTables();
  return 0;
}
