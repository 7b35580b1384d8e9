// The engine set up for tests, and judges of it written without its code.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "board/board.h"

namespace kit {

// Every table a test needs (switching reloads them). Synthetic: fixed material
// per type, random placement values, an all-zero evaluation script.
void useSyntheticTables();
void useShippedScript();  // data/PosVal.txt

// Heap boards (too big for the stack); synthetic tables set up if none are.
std::unique_ptr<Board> newBoard();
std::unique_ptr<Board> boardFromFen(const std::string& fen);  // EXPECTs the set-up to succeed
std::string toFen(const Board& b);  // board and side fields
std::string colourMirror(const std::string& fen);  // ranks reversed, colours and side swapped
std::string fileMirror(const std::string& fen);

std::string moveText(Move m);  // "h2e2", ranks counted from red's back rank
std::string movesText(const std::vector<Move>& moves);  // "d0d1 e0d0 ...", sorted
std::vector<Move> legalMoves(Board& b);
bool isLegal(Board& b, const std::string& text);  // a legal move of the position
bool play(Board& b, const std::string& text);     // made when legal; false otherwise
std::vector<Move> ruleMoves(const Board& b);  // from the piece rules and the walk alone

// The walk. attacked: a piece of `side` attacks `sq` (a king its palace
// neighbours, a cannon over one screen), the piece on `excluded` taken off.
// kingAttacked: so, or the other king faces it on an open file. reaches: the
// piece on m.from may go to m.to (a king onto the king facing it).
bool attacked(const Board& b, int sq, int side, int excluded = NO_SQUARE);
bool kingAttacked(const Board& b, int side);
bool reaches(const Board& b, Move m);

// Key, score (material and placement, side to move's view) and signature
// from the squares; matchesScratch also checks frame, piece list, bit-lines.
struct Scratch { ZobristKey key; int score; uint32_t signature; };
Scratch fromScratch(const Board& b);
::testing::AssertionResult matchesScratch(const Board& b);

// Seeded games from the start, captures preferred a third of the time; each
// visited position, then the game taken back.
void randomGames(int games, int maxPlies, unsigned seed, const std::function<void(Board&)>& visit);
// Kings and a random subset of the other pieces on squares their kind may
// hold; the side to move cannot take the king.
std::string randomPlacement(std::mt19937& rng);

}  // namespace kit
