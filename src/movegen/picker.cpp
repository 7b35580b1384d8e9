// The staged move picker. nextMove: hash move, good captures, two killers,
// the other captures, then the quiet moves (in check: captures of the
// checker, killers, then blocks and king moves). nextQuiescence: hash move,
// capture killers, then captures (and, at the node that hands over to the
// quiescence search under threat, killers and quiet checks) or, in check,
// every evasion in one sorted list.
#include "movegen/picker.h"

#include <algorithm>
#include <cstring>

#include "board/board.h"
#include "config/searchoptions.h"
#include "movegen/captureorder.h"
#include "movegen/history.h"

void initPickers(MovePicker* frames, Board* board, const HistoryTables* history) {
  std::memset(frames, 0, sizeof(MovePicker) * PICKER_FRAMES);
  for (int i = 0; i < PICKER_FRAMES; ++i) {
    MovePicker& f = frames[i];
    f.board = board;
    f.history = history;
    f.moves[0].score = HASH_MOVE_SCORE;
  }
}

namespace {

// Draws the best remaining capture to the cursor until a pass finds the
// rest already in order.
inline void selectCapture(MovePicker& p) {
  if (!p.sorted) p.sorted = bubblePass(p.moves, p.cursor, p.end);
}

// Killer stage of nextMove: a stored move that is playable here and was not
// already offered as the hash move or as a good capture. The validity test
// comes first: the capture score is only defined for a piece's capture.
bool killerPlayable(const MovePicker& p, Move& killer) {
  if (isNullMove(killer) || sameMove(killer, p.moves[0])) return false;
  if (!isPseudoLegal(*p.board, p.side, killer)) return false;
  return isQuiet(*p.board, killer) || scoreCapture(*p.board, &killer) < goodCaptureThreshold;
}

bool captureKillerPlayable(const MovePicker& p, Move killer) {
  return !isNullMove(killer) && !sameMove(killer, p.moves[0]) && !isQuiet(*p.board, killer) &&
         isPseudoLegal(*p.board, p.side, killer);
}

bool quietKillerPlayable(const MovePicker& p, Move killer) {
  return !isNullMove(killer) && !sameMove(killer, p.moves[0]) && isQuiet(*p.board, killer) &&
         isPseudoLegal(*p.board, p.side, killer);
}

// Quiet scores with the continuation history added, kept in the quiet range.
void addContinuationScores(const HistoryTables& h, const Board& b, Move* moves, int first,
                           int last) {
  for (int i = first; i < last; ++i) {
    const int history = moves[i].score + QUIET_SCORE_OFFSET;
    const int sum =
        std::clamp(history + continuationScore(h, b, moves[i]), 0, HISTORY_SCORE_LIMIT);
    moves[i].score = static_cast<int16_t>(sum - QUIET_SCORE_OFFSET);
  }
}

void findNodeCheckers(MovePicker& p) {
  p.checkerCount = findCheckers(*p.board, otherSide(p.side), p.checkers);
}

}  // namespace

void MovePicker::reset(Move hash) {
  stage = PICKER_STAGE_HASH;
  end = PICKER_RESERVED_SLOTS;
  side = board->sideToMove;
  inCheck = board->inCheck();
  moves[0] = hash;
}

void MovePicker::clearKillers() {
  killer1() = NULL_MOVE;
  killer2() = NULL_MOVE;
  captureKillers[0] = NULL_MOVE;
  captureKillers[1] = NULL_MOVE;
  searchMove = NULL_MOVE;
}

void MovePicker::setKiller(Move m) {
  if (sameMove(m, killer1())) return;
  killer2() = killer1();
  killer1() = m;
}

void MovePicker::setCaptureKiller(Move m) {
  if (sameMove(m, captureKillers[0])) return;
  captureKillers[1] = captureKillers[0];
  captureKillers[0] = m;
}

MoveSpan MovePicker::quietsBefore() const {
  if (stage != PICKER_STAGE_QUIETS) return MoveSpan{moves, 0};
  return MoveSpan{moves + quietStart, cursor - 1 - quietStart};
}

Move MovePicker::next() {
  const Board& b = *board;
  switch (stage) {
    case PICKER_STAGE_HASH:
      if (!isNullMove(moves[0])) {
        stage = PICKER_STAGE_GENERATE_CAPTURES;
        moves[0].score = HASH_MOVE_SCORE;
        return moves[0];
      }
      [[fallthrough]];
    case PICKER_STAGE_GENERATE_CAPTURES:
      stage = PICKER_STAGE_GOOD_CAPTURES;
      sorted = 0;
      cursor = end;
      inCheck = b.inCheck();
      side = b.sideToMove;
      if (inCheck) {
        findNodeCheckers(*this);
        end += generateEvasions(b, side, checkers, checkerCount, moves + end, EVADE_CAPTURE);
      } else {
        end += generateCaptures(b, side, moves + end);
      }
      scoreCaptureRange(b, moves, cursor, end);
      [[fallthrough]];
    case PICKER_STAGE_GOOD_CAPTURES:
      while (cursor < end) {
        selectCapture(*this);
        if (moves[cursor].score < goodCaptureThreshold) break;
        const Move m = moves[cursor++];
        if (!sameMove(m, moves[0])) return m;
      }
      [[fallthrough]];
    case PICKER_STAGE_KILLER_1:
      stage = PICKER_STAGE_KILLER_2;
      if (killerPlayable(*this, killer1())) return killer1();
      [[fallthrough]];
    case PICKER_STAGE_KILLER_2:
      stage = PICKER_STAGE_OTHER_CAPTURES;
      if (!sameMove(killer2(), killer1()) && killerPlayable(*this, killer2())) return killer2();
      [[fallthrough]];
    case PICKER_STAGE_OTHER_CAPTURES:
      while (cursor < end) {
        selectCapture(*this);
        const Move m = moves[cursor++];
        if (!sameMove(m, moves[0]) && !sameMove(m, killer1()) && !sameMove(m, killer2())) return m;
      }
      quietStart = end;
      [[fallthrough]];
    case PICKER_STAGE_GENERATE_QUIETS:
      stage = PICKER_STAGE_QUIETS;
      if (inCheck) {
        end += generateEvasions(b, side, checkers, checkerCount, moves + end,
                                EVADE_BLOCK | EVADE_KING);
        scoreMixedRange(*history, b, moves, cursor, end);
      } else {
        end += generateQuiets(b, side, moves + end);
        scoreQuietRange(*history, b, moves, cursor, end);
        if (searchOptions.useContinuationHistory)
          addContinuationScores(*history, b, moves, cursor, end);
      }
      sortMoves(moves, cursor, end);
      [[fallthrough]];
    case PICKER_STAGE_QUIETS:
      while (cursor < end) {
        const Move m = moves[cursor++];
        if (sameMove(m, moves[0])) continue;
        // A killer was offered in its own stage unless it is a good capture.
        const bool offeredKiller = isQuiet(b, m) || m.score < goodCaptureThreshold;
        if (sameMove(m, killer1()) && offeredKiller) continue;
        if (sameMove(m, killer2()) && offeredKiller) continue;
        return m;
      }
      return NULL_MOVE;
    default:
      return NULL_MOVE;
  }
}

Move MovePicker::nextQuiescence() {
  const Board& b = *board;
  for (;;) {
    switch (stage) {
      case PICKER_STAGE_HASH:
        stage = PICKER_STAGE_CAPTURE_KILLER_1;
        if (!isNullMove(moves[0])) return moves[0];
        continue;
      case PICKER_STAGE_CAPTURE_KILLER_1:
        stage = PICKER_STAGE_CAPTURE_KILLER_2;
        side = b.sideToMove;
        if (captureKillerPlayable(*this, captureKillers[0])) return captureKillers[0];
        continue;
      case PICKER_STAGE_CAPTURE_KILLER_2:
        stage = PICKER_STAGE_GENERATE_CAPTURES;
        if (!sameMove(captureKillers[1], captureKillers[0]) &&
            captureKillerPlayable(*this, captureKillers[1]))
          return captureKillers[1];
        continue;
      case PICKER_STAGE_GENERATE_CAPTURES:
        sorted = 0;
        cursor = end;
        inCheck = b.inCheck();
        if (inCheck) {
          findNodeCheckers(*this);
          end += generateEvasions(b, side, checkers, checkerCount, moves + end, EVADE_ALL);
          scoreMixedRange(*history, b, moves, cursor, end);
          sortMoves(moves, cursor, end);
          stage = PICKER_STAGE_EVASIONS;
        } else {
          end += generateCaptures(b, side, moves + end);
          scoreCaptureRange(b, moves, cursor, end);
          stage = PICKER_STAGE_GOOD_CAPTURES;
        }
        continue;
      case PICKER_STAGE_EVASIONS:
        while (cursor < end) {
          const Move m = moves[cursor++];
          if (sameMove(m, moves[0])) continue;
          if ((sameMove(m, captureKillers[0]) || sameMove(m, captureKillers[1])) && !isQuiet(b, m))
            continue;
          return m;
        }
        return NULL_MOVE;
      case PICKER_STAGE_GOOD_CAPTURES:
        while (cursor < end) {
          selectCapture(*this);
          if (moves[cursor].score < minCaptureScore) break;
          const Move m = moves[cursor++];
          if (!sameMove(m, moves[0]) && !sameMove(m, captureKillers[0]) &&
              !sameMove(m, captureKillers[1]))
            return m;
        }
        if (!quietCheckNode || threatCount < QUIET_CHECK_MIN_THREATS) return NULL_MOVE;
        stage = PICKER_STAGE_KILLER_1;
        continue;
      case PICKER_STAGE_KILLER_1:
        stage = PICKER_STAGE_KILLER_2;
        if (quietKillerPlayable(*this, killer1())) return killer1();
        continue;
      case PICKER_STAGE_KILLER_2:
        // The held-back captures are tried only after a returned killer 2.
        stage = PICKER_STAGE_GENERATE_QUIETS;
        if (!sameMove(killer2(), killer1()) && quietKillerPlayable(*this, killer2())) {
          stage = PICKER_STAGE_OTHER_CAPTURES;
          return killer2();
        }
        continue;
      case PICKER_STAGE_OTHER_CAPTURES:
        while (cursor < end) {
          selectCapture(*this);
          const Move m = moves[cursor++];
          if (!sameMove(m, moves[0]) && !sameMove(m, captureKillers[0]) &&
              !sameMove(m, captureKillers[1]))
            return m;
        }
        stage = PICKER_STAGE_GENERATE_QUIETS;
        continue;
      case PICKER_STAGE_GENERATE_QUIETS:
        cursor = end;
        stage = PICKER_STAGE_QUIETS;
        end += generateQuietChecks(b, side, moves + end, QUIET_CHECKS_WITH_HORSES);
        scoreQuietRange(*history, b, moves, cursor, end);
        sortMoves(moves, cursor, end);
        continue;
      case PICKER_STAGE_QUIETS:
        while (cursor < end) {
          const Move m = moves[cursor++];
          if (sameMove(m, moves[0]) || sameMove(m, killer1()) || sameMove(m, killer2())) continue;
          if ((sameMove(m, captureKillers[0]) || sameMove(m, captureKillers[1])) && !isQuiet(b, m))
            continue;
          return m;
        }
        return NULL_MOVE;
      default:
        return NULL_MOVE;
    }
  }
}

int MovePicker::generateRootMoves() {
  Board& b = *board;
  side = b.sideToMove;
  end = generateAllMoves(b, side, moves);
  for (int i = 0; i < end;) {
    if (b.leavesKingAttacked(moves[i], side)) {
      moves[i] = moves[--end];
      continue;
    }
    if (isQuiet(b, moves[i]))
      scoreQuietRange(*history, b, moves, i, i + 1);
    else
      scoreCapture(b, &moves[i]);
    ++i;
  }
  return end;
}
