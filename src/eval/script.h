// Loading the evaluation script into the engine: the score tables of both
// sides, the move deltas, and the checks a script must pass.
#pragma once

// Reads the script (see readEvaluationScript), derives the red tables,
// pieceSquareByIndex and the rook margins, checks the left-right symmetry
// and builds MoveDelta. True when the whole file was read, its end mark is
// right and its values keep every score within SCRIPT_SCORE_LIMIT. Needs the
// piece tables and the Zobrist keys.
bool loadEvaluationScript(const char* path);

// ---- steps of the load, open for tests
// From the black piece tables as read: pieceValue (kings SCRIPT_KING_VALUE),
// the red tables (the black ones mirrored top to bottom),
// pieceSquareByIndex and the rook margins.
void deriveScoreTables();
// Compares every piece's square values with their left-right mirror images
// and reports the differing pairs (at most MIRROR_REPORT_MAX_LINES lines and
// a count of the rest) with askYesNo. Returns the number of differing pairs.
int checkMirrorSymmetry();
// The largest material-and-placement score any position can reach: one
// side's best placement of all its pieces against the other's worst.
int scriptScoreBound();
