// The search's own numbers, named in one place. The option record
// (HowToThink.opt) and the evaluation script hold the rest.
#pragma once

#include <cstdint>

#include "types.h"

// ---- polling: the clock and the input are looked at when the interior
// node count has these low bits all zero
constexpr uint64_t POLL_NODE_MASK = 8191;
// Under a node limit the polls come this often, so that the search ends
// close to the limit.
constexpr uint64_t NODE_LIMIT_POLL_MASK = 63;
// Iterations that always complete: the clock is watched from the next one.
constexpr int CLOCK_FREE_ITERATIONS = 1;
// Late-move reductions from the log table: depths and move counts beyond
// the table's last row and column read it there; a divisor below the
// minimum (hundredths) is taken as the minimum.
constexpr int LMR_TABLE_SIZE = 64;
constexpr int LMR_TABLE_MIN_DIVISOR = 50;

// An analysis or ponder search that has ended waits for "stop" or
// "ponderhit", reading the input this often.
constexpr int WAIT_POLL_MS = 2;
// The root move being searched is shown once a go has run this long.
constexpr int CURRENT_MOVE_REPORT_MS = 1000;

// ---- depth and ply bounds
// alphaBeta hands over to the quiescence search from this ply on, whatever
// depth is left; the quiescence search evaluates statically from MAX_PLY on.
constexpr int LEAF_PLY_LIMIT = 70;
// Iteration depths a go may ask for.
constexpr int MAX_ITERATION_DEPTH = 255;
// The quiescence search probes the table only this far past the iteration.
constexpr int QUIESCE_PROBE_PLIES = 2;

// ---- repetitions
// The search's repetition test looks this far into the game before the root.
constexpr int ROOT_REPETITION_WINDOW = 4;
// The quiescence search looks for repetitions only after this many
// reversible plies in a row.
constexpr int QUIESCE_REPETITION_PLIES = 4;

// ---- perpetual chase: in the search, a cycle longer than this is judged on
// its checks alone.
constexpr int CHASE_MAX_CYCLE_PLIES = 16;

// ---- null move
constexpr int NULL_MOVE_DEPTH_CUT = 4;     // the null move searches depth - 4
constexpr int NULL_MOVE_EVAL_DEPTH = 4;    // above it the static score must reach beta
// With the adaptive null move: one more ply per this much depth, and at
// most this many more for the static margin over beta.
constexpr int NULL_MOVE_DEPTH_DIVISOR = 4;
constexpr int NULL_MOVE_MAX_MARGIN_PLIES = 3;
// Internal iterative reduction: nodes without a table move from this depth
// on are searched one ply shallower.
constexpr int IIR_MIN_DEPTH = 4;
constexpr int ENDGAME_PHASE = 2;           // gamePhase from which the null move is verified
constexpr int NULL_MOVE_MATERIAL_LIMIT = 3;  // endgame: more material than this to pass
// Material count of a side for the null move, per presence bit of the side's
// half of materialSignature: king, 2 advisors, 2 elephants, 2 horses,
// 2 rooks, 2 cannons, 5 pawns.
constexpr int NULL_MOVE_PIECE_WEIGHT[16] = {0, 1, 1, 2, 2, 3, 3, 6, 6, 6, 6, 1, 1, 1, 1, 1};

// Threat flags of a node (what the null move found, or a check).
constexpr int THREAT_NONE = 0;
constexpr int THREAT_MATERIAL = 1;  // the null move lost more than the threat margin
constexpr int THREAT_IN_CHECK = 2;
constexpr int THREAT_MATE = 3;      // the null move ran into a mate

// ---- extensions
// A move whose new position has this much capture budget is extended.
constexpr int CAPTURE_EXTENSION_BUDGET = 80;

// The singular test needs a stored depth at most this much below the node's.
constexpr int SINGULAR_DEPTH_SLACK = 3;

// ---- root
// Aspiration windows from this iteration on; a window wider than this is
// given up for the full one.
constexpr int ASPIRATION_MIN_DEPTH = 4;
constexpr int ASPIRATION_FULL_WIDTH = 1000;
// The hash move's root ordering bonus, as a multiple of the rook value.
constexpr double ROOT_HASH_MOVE_BONUS = 1.33;

// ---- threads: the depth schedules of the helpers, by helper number
// modulo HELPER_SCHEDULES (see helperSkipsDepth).
constexpr int HELPER_SCHEDULES = 20;
constexpr int HELPER_SKIP_SIZE[HELPER_SCHEDULES] = {1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                                    3, 3, 4, 4, 4, 4, 4, 4, 4, 4};
constexpr int HELPER_SKIP_PHASE[HELPER_SCHEDULES] = {0, 1, 0, 1, 2, 3, 0, 1, 2, 3,
                                                     4, 5, 0, 1, 2, 3, 4, 5, 6, 7};

// ---- time: the clock of a go line arrives in whole seconds and the reply
// must travel back; a search keeps this much of the clock untouched.
constexpr int64_t CLOCK_SAFETY_MIN_MS = 50;
constexpr int64_t CLOCK_SAFETY_PERCENT = 5;

// ---- bench
constexpr int BENCH_HASH_MB = 16;
