#pragma once
// Helpers shared by the fuzz targets: a finding aborts, so that libFuzzer keeps the input.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "advance_contract.h"

namespace fuzz {

constexpr std::int32_t kSegmentLengths[] = {13, 26, 39, 52};

inline void Check(bool holds, const std::string& what) {
    if (holds) return;
    std::fprintf(stderr, "contract broken: %s\n", what.c_str());
    std::abort();
}

inline void CheckedAdvance(ReadingCursor& cursor, std::int32_t segmentLength) {
    const std::string broken = contract::CheckedAdvance(cursor, segmentLength);
    Check(broken.empty(), broken);
}

}  // namespace fuzz
