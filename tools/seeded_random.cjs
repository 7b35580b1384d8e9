// A small seeded generator (xorshift32) so the fixture scripts replay the
// same games on every run.
'use strict';

function seededRandom(seed) {
  let state = seed >>> 0;
  const random = () => {
    state ^= state << 13; state >>>= 0;
    state ^= state >>> 17;
    state ^= state << 5; state >>>= 0;
    return state / 4294967296;
  };
  const pick = (a) => a[Math.floor(random() * a.length)];
  return { random, pick };
}

module.exports = { seededRandom };
