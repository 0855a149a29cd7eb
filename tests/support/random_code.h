// Random script code built from whole word sequences of the kinds compiled code is made of
// (constants with local variable accesses, comparisons before conditional jumps, counted loops that
// jump back, arithmetic, shuffles, return-stack moves, memory accesses to a scratch area and to
// addresses that are refused). Every run of such code ends: forward jumps skip a few words inside
// their sequence and backward jumps close counted loops.
#pragma once

#include <cstdint>
#include <random>
#include <vector>

struct RandomCodeShape {
    uint32_t scratch;      // script address of 16 writable words
    uint32_t sequences;    // how many sequences at the top level
    uint32_t plainLocals;  // locals 0..plainLocals-1 are free for the sequences; loop counters above
    uint32_t loopDepth;    // how deeply counted loops may nest
};

class RandomCode {
  public:
    explicit RandomCode(uint32_t seed) : random_(seed) {}

    // Code words ending with a return word.
    std::vector<uint32_t> Build(const RandomCodeShape& shape);
    uint32_t Pick(uint32_t n) { return static_cast<uint32_t>(random_() % n); }
    // A small value: -1 to 3.
    uint32_t SmallValue() { return Pick(5) - 1; }

  private:
    void Sequence(std::vector<uint32_t>& code, const RandomCodeShape& shape, uint32_t depth);
    void Loop(std::vector<uint32_t>& code, const RandomCodeShape& shape, uint32_t depth);

    std::mt19937 random_;
};
