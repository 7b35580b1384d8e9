#include "search/search.h"
#include "search/tuning.h"

int16_t nullMoveMaterial[65536];

void buildSearchTables() {
  for (int bits = 0; bits < 65536; ++bits) {
    int count = 0;
    for (int i = 0; i < 16; ++i)
      if (bits & (1 << i)) count += NULL_MOVE_PIECE_WEIGHT[i];
    nullMoveMaterial[bits] = static_cast<int16_t>(count);
  }
}
