// Move counts of the piece rules (isPseudoLegal) plus makeMove's refusal of
// moves that leave the king attacked, against counts taken from an
// independent xiangqi engine. Most positions come from random play.
#include "board/fixture.h"

namespace {

using namespace boardtest;

struct PerftCase {
  const char* fen;
  uint64_t nodes[3];  // depths 1, 2, 3
};

const PerftCase Cases[] = {
    {"1Cba1abn1/4k3r/c8/p1p3p2/1c6p/2P3P2/P3P3P/2N1R3R/r8/2BAKABN1 w", {29, 1567, 48873}},
    {"1Cbaknb2/4ar3/9/1r4p1P/p1p1p4/P5Pc1/4P4/2c6/C8/RNBAKABNR b", {53, 1875, 96646}},
    {"1n1ak3c/6r2/2r2a3/4C2n1/p1p1p1b2/2B1P4/c1P6/2N5p/3KA4/1NR2A3 b", {43, 990, 42616}},
    {"1n2ka2r/4a4/8b/4r1p2/pPb4n1/6P1P/8R/3ABA3/7R1/1NB1K2N1 w", {37, 1131, 39978}},
    {"1nbakab2/7Rn/4C4/p1p5p/2P1p1p2/P2R1r3/4P1P1P/2C6/7r1/1NBAKAB2 b", {40, 2348, 84653}},
    {"2b1k1b2/9/5c3/p6P1/6P1r/P1p6/4N3p/1r2B2C1/2c6/2BAKA3 w", {29, 1672, 44987}},
    {"2b1ka3/4a4/4b4/4N4/9/2C6/9/9/4A4/3AK4 b", {8, 212, 1676}},
    {"2b2a3/n2ka3r/4b1n1R/1rp5p/3C2p2/P1P3P2/2R1p3P/5A3/9/3K1ABN1 w", {29, 939, 28022}},
    {"2ba1ab1r/5k3/nC1r2n2/4p1p1p/p1p6/P5P1P/2P1P4/4B2c1/4ANC1R/RNB1KA3 w", {35, 1492, 51178}},
    {"2ba5/C4k1c1/n8/2p6/P7p/1rP1Prp1R/1c7/4B1NC1/R2K5/2BA1A3 w", {43, 1828, 76727}},
    {"2bak1b2/4a1n1r/n8/4p1C1p/p8/9/2N1PCPcP/7NB/2r1A4/RcBAKR3 w", {43, 1995, 85444}},
    {"2bakc2R/r5N2/2na5/9/5rp2/2p1P1P2/9/p3B4/4K4/2BA1A3 b", {4, 87, 3096}},
    {"2bk1a1n1/1rn1a1r2/4bC2R/pc2p3P/2p3p2/9/P1P1P1P2/2N1B4/5C2R/2BAKA1N1 b", {33, 1572, 54060}},
    {"2bk1a2r/rc2a2c1/n5n1b/4p1p1p/p1p3C2/2B3P1P/P1P1P4/8N/4KC3/RN1A1AB1R w", {35, 1452, 51649}},
    {"2n3bC1/8n/4k4/2p6/2b1Pr2p/P5B2/2P4NP/2N5R/9/RrBcKA3 w", {40, 1693, 64016}},
    {"3a2bnr/5k3/b8/2p3P1p/P4r3/2P5P/4N4/B4R1cN/3CK4/3A2B2 b", {28, 1126, 33046}},
    {"3ak1b2/4n2cr/3rban2/6P2/p1p1p4/P7p/2P1P2cR/2NA5/2C6/1RBAK1BN1 w", {41, 1752, 71633}},
    {"3akab2/9/4b4/9/9/9/9/3n5/4C4/4K4 w", {3, 22, 306}},
    {"3k2bn1/4a4/4b4/3P5/P2n5/1c4P1r/1N6p/4B4/4R4/4KA3 w", {22, 764, 18977}},
    {"3k5/3P5/4P4/9/9/9/9/9/9/5K3 b", {2, 13, 16}},
    {"3k5/9/9/9/4c4/9/9/9/4A4/4K4 w", {5, 89, 257}},
    {"4k4/4a4/3P5/9/9/9/9/9/9/3K5 b", {6, 21, 66}},
    {"4k4/9/9/9/9/9/9/4r4/4N4/3AK4 w", {1, 17, 118}},
    {"r1ba1a1nr/3k5/3c4b/p7p/2p3p1P/P3PN3/2P3P2/B5N1B/R2cA4/3AK3R b", {35, 1110, 37199}},
    {"r1ba1a3/4k4/6n2/2pC2p1p/2b1p4/p1P1P1B2/P3N1P1P/4KA3/c7r/R1B2A1c1 b", {50, 1158, 55308}},
    {"rn1a1kbn1/4a4/r8/p1p1p1p2/3c2b1p/P1P1P1P2/6R1P/4B1C1R/4Ac1C1/1N2KABN1 w", {35, 1594, 57114}},
    {"rnba1a1n1/5k2r/1C2b4/p1pR2p2/4p3p/2P3P2/P3P3P/RC2B3N/7c1/1cBAKA3 b", {41, 1684, 63180}},
    {"rnbakabnr/3c5/9/2c3p1p/p1p1p4/4C4/P1P1P1P1P/1R3AC2/9/1NB1KABNR b", {6, 244, 9443}},
    {"rnbakabnr/9/1c5c1/p1p1p1p1p/9/9/P1P1P1P1P/1C5C1/9/RNBAKABNR w", {44, 1920, 79666}},
};

TEST(Perft, MatchesReferenceCountsToDepthThree) {
  for (const PerftCase& c : Cases) {
    auto b = boardFromFen(c.fen);
    for (int d = 1; d <= 3; ++d) EXPECT_EQ(perft(*b, d), c.nodes[d - 1]) << c.fen << " depth " << d;
    EXPECT_TRUE(consistent(*b)) << c.fen;
    EXPECT_EQ(b->height(), 0);
  }
}

}  // namespace
