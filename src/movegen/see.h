// The exchange evaluator: what a capture wins or loses once both sides
// have recaptured on its square with their cheapest pieces, cannons with
// their screens and horses with their legs taken into account.
#pragma once

#include "types.h"

struct Board;

// Exchange values by piece type (the king's stands for "never lose it").
constexpr int SEE_VALUE[PIECE_TYPE_COUNT] = {5000, 120, 120, 270, 600, 285, 60};

// Material the side to move wins with the capture m (negative: loses),
// pins ignored. The board is changed during the call and left as it was.
int staticExchange(Board& board, Move m);
// staticExchange(board, m) >= threshold, answered without the exchange
// when the victim is worth the capturing piece or more.
bool exchangeAtLeast(Board& board, Move m, int threshold);
