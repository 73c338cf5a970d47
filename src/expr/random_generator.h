#pragma once

namespace nollard {

// The process-wide pseudo-random sequence of RANDOM and RND: a 32-bit state
// that starts at 0 and is never reseeded, state := state * 134775813 + 1,
// number = state / 2^32. Every run draws the same sequence. Not thread-safe:
// the parser component belongs to the user-interface thread.
double NextRandom();

}  // namespace nollard
