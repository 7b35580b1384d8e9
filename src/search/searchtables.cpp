#include <algorithm>
#include <cmath>

#include "search/search.h"
#include "search/tuning.h"

int16_t nullMoveMaterial[65536];
int8_t lmrReductionTable[LMR_TABLE_SIZE][LMR_TABLE_SIZE];

void buildSearchTables() {
  for (int bits = 0; bits < 65536; ++bits) {
    int count = 0;
    for (int i = 0; i < 16; ++i)
      if (bits & (1 << i)) count += NULL_MOVE_PIECE_WEIGHT[i];
    nullMoveMaterial[bits] = static_cast<int16_t>(count);
  }
}

void buildReductionTable(int basePercent, int divisorPercent) {
  const double base = basePercent / 100.0;
  const double divisor = std::max(divisorPercent, LMR_TABLE_MIN_DIVISOR) / 100.0;
  for (int d = 1; d < LMR_TABLE_SIZE; ++d)
    for (int n = 1; n < LMR_TABLE_SIZE; ++n)
      lmrReductionTable[d][n] = static_cast<int8_t>(base + std::log(d) * std::log(n) / divisor);
}
