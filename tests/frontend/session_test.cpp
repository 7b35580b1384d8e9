// Commands served in-process against a Board: position set-up, the replay of
// move lists good and bad, and the replies of the other commands.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "board/board.h"
#include "board/lines.h"
#include "board/tables.h"
#include "frontend/output.h"
#include "frontend/position.h"
#include "frontend/protocol.h"
#include "board/zobrist.h"
#include "search/searchstate.h"

namespace {

class Session : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    buildPieceTables();
    initZobrist();
    buildLineTables();
    buildMoveDelta();
  }
  void SetUp() override {
    board = new Board;
    board->init();
    session = EngineSession{board, setUpPosition(*board, START_FEN)};
  }
  void TearDown() override { delete board; }

  std::vector<std::string> serve(const std::string& line) {
    startCapture();
    result = serveCommand(session, line.c_str());
    return stopCapture();
  }
  // The board equals the one a FEN sets up: same pieces, side and key.
  void expectPosition(const char* fen) {
    static Board expected;
    expected.init();
    ASSERT_EQ(expected.setFen(fen), FenStatus::Ok);
    for (int sq = 0; sq < 256; ++sq) {
      const int a = board->squares[sq], b = expected.squares[sq];
      EXPECT_EQ(a >= EMPTY ? a : PieceKindOf[a], b >= EMPTY ? b : PieceKindOf[b]) << sq;
    }
    EXPECT_EQ(board->sideToMove, expected.sideToMove);
    EXPECT_EQ(board->currentPly->zobrist, expected.currentPly->zobrist);
  }

  Board* board = nullptr;
  EngineSession session{};
  CommandResult result = CommandResult::Continue;
};

constexpr const char* AFTER_TWO_MOVES =
    "rnbakab1r/9/1c4nc1/p1p1p1p1p/9/9/P1P1P1P1P/1C2C4/9/RNBAKABNR w";

}  // namespace

TEST_F(Session, FenAndStartposReplayTheirMoves) {
  serve("position fen " + std::string(START_FEN) + " moves h2e2 h9g7");
  EXPECT_EQ(replayedMoveCount, 2);
  EXPECT_EQ(rootSide, RED);
  expectPosition(AFTER_TWO_MOVES);
  serve("position startpos");
  expectPosition(START_FEN);
  EXPECT_EQ(replayedMoveCount, 0);
  serve("position startpos moves h2e2 h9g7");
  expectPosition(AFTER_TWO_MOVES);
  serve("position startpos moves h2e2");
  EXPECT_EQ(rootSide, BLACK);
  EXPECT_EQ(board->height(), 1);
}

TEST_F(Session, ReplayStopsAtTheFirstMoveThatCannotBeMade) {
  const char* stoppers[] = {
      "e2e3",   // from an empty square
      "h7h6",   // the other side's piece
      "h0h1",   // a horse cannot go there
      "a0a0",   // no move
      "z9z8",   // off the board
      "h0g2x",  // not four characters
      "h0g",    // not four characters
      "e2",     // not four characters
      "c0e2",   // onto its own piece
  };
  for (const char* bad : stoppers) {
    serve(std::string("position startpos moves h2e2 h9g7 ") + bad + " h0g2");
    EXPECT_EQ(replayedMoveCount, 2) << bad;
    expectPosition(AFTER_TWO_MOVES);
  }
  // A position with nothing named leaves the board as it is.
  serve("position");
  serve("position nothing moves h0g2");
  expectPosition(AFTER_TWO_MOVES);
}

TEST_F(Session, ElephantStaysHomeAndPinnedPiecesStay) {
  // Red elephant on its river bank.
  serve("position fen 3k5/9/9/9/9/2B6/9/9/9/4K4 w - - 0 1 moves c4e6");
  EXPECT_TRUE(session.positionValid);
  EXPECT_EQ(replayedMoveCount, 0);
  serve("position fen 3k5/9/9/9/9/2B6/9/9/9/4K4 w - - 0 1 moves c4a2");
  EXPECT_EQ(replayedMoveCount, 1);
  // The red rook on e1 shields its king from the black rook on e8.
  const std::string pinned = "position fen 3k5/4r4/9/9/9/9/9/9/4R4/4K4 w - - 0 1 moves ";
  serve(pinned + "e1a1");
  EXPECT_EQ(replayedMoveCount, 0);
  EXPECT_EQ(board->height(), 0);
  serve(pinned + "e1e5 e8e5 e0f0");
  EXPECT_EQ(replayedMoveCount, 3);
  expectPosition("3k5/9/9/9/4r4/9/9/9/9/5K3 b");
}

TEST_F(Session, InvalidPositionsAnswerGoWithNoBestMove) {
  const char* broken[] = {
      "position fen",
      "position fen ",
      "position fen moves h2e2",
      "position fen ///////////// w moves h2e2",
      "position fen 9/9/9/9/9/9/9/9/9/9 w",
      "position fen rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBA1ABNR w",
      "position fen 3k5/9/9/9/9/9/9/9/9/3RK4 w",  // red could take the king
      "position fen 4k4/9/9/9/9/9/9/9/9/4K4 w",   // kings face each other
      "position fen 3k5/9/9/9/9/9/9/9/9/4KP3 w",  // pawn behind its start row
  };
  for (const char* line : broken) {
    serve(line);
    EXPECT_FALSE(session.positionValid) << line;
    EXPECT_EQ(replayedMoveCount, 0) << line;
    EXPECT_EQ(serve("go depth 3"), std::vector<std::string>{"nobestmove"}) << line;
    EXPECT_EQ(serve("ponder time 5"), std::vector<std::string>{"nobestmove"}) << line;
  }
  // Naming no position keeps the position invalid; a good one mends it.
  serve("position banana");
  EXPECT_FALSE(session.positionValid);
  serve("position startpos");
  EXPECT_TRUE(session.positionValid);
}

TEST_F(Session, AThousandMovesOutgrowTheRecordStackButKeepThePosition) {
  std::string line = "position startpos moves";
  for (int i = 0; i < 250; ++i) line += " h0g2 h9g7 g2h0 g7h9";
  line += " h2e2 h9g7";
  serve(line);
  EXPECT_EQ(replayedMoveCount, 1002);
  EXPECT_LE(board->height(), GAME_RECORD_LIMIT);
  expectPosition(AFTER_TWO_MOVES);
  // The last moves still carry their check flags and undo data.
  board->unmakeMove();
  board->unmakeMove();
  expectPosition(START_FEN);
}

TEST_F(Session, OtherCommands) {
  EXPECT_EQ(serve("isready"), std::vector<std::string>{"readyok"});
  EXPECT_EQ(serve("   isready   "), std::vector<std::string>{"readyok"});
  stopRequested = 0;
  EXPECT_TRUE(serve("stop").empty());
  EXPECT_EQ(stopRequested, 1);
  for (const char* silent : {"", "   ", "setoption name hashsize value 64", "banmoves h2e2", "ucci",
                             "isreadyisreadyisreadyisreadyisready", "ISREADY", "quitx"}) {
    EXPECT_TRUE(serve(silent).empty()) << silent;
    EXPECT_EQ(result, CommandResult::Continue) << silent;
  }
  expectPosition(START_FEN);
  EXPECT_TRUE(serve("quit").empty());
  EXPECT_EQ(result, CommandResult::Quit);
  serve("quit now");
  EXPECT_EQ(result, CommandResult::Quit);
}

TEST_F(Session, RandomGarbageNeverBreaksTheBoard) {
  std::mt19937 rng(12345);
  const std::vector<std::string> words = {"position", "fen", "startpos", "moves", "go", "ponder",
                                          "w", "b", "-", "0", "1", "/", "9", "k", "K",
                                          "rnbakabnr/9/1c5c1", "4k4/9", "3AK4", "depth", "time"};
  const std::string chars = "abcdefghij0123456789/ KkRrNnCcPpAaBbxX";
  for (int round = 0; round < 3000; ++round) {
    std::string line = round % 3 == 0 ? "position startpos moves" : round % 3 == 1 ? "position fen" : "";
    const int n = static_cast<int>(rng() % 12);
    for (int i = 0; i < n; ++i) {
      line += ' ';
      if (rng() % 2) {
        line += words[rng() % words.size()];
      } else {
        const int len = 1 + static_cast<int>(rng() % 6);
        for (int k = 0; k < len; ++k) line += chars[rng() % chars.size()];
      }
    }
    serve(line);
    // Squares and piece list agree.
    for (int i = 0; i < 32; ++i) {
      if (board->pieceList[i] == NO_SQUARE) continue;
      ASSERT_EQ(board->squares[board->pieceList[i]], i) << line;
    }
    for (int sq = 0; sq < 256; ++sq) {
      if (board->squares[sq] >= EMPTY) continue;
      ASSERT_EQ(board->pieceList[board->squares[sq]], sq) << line;
    }
    ASSERT_LE(board->height(), GAME_RECORD_LIMIT);
  }
}
