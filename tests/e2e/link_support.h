// What the tests that drive the host link directly (not through the palette) share: a
// sink that keeps every message the link would show, and the two editions they run on.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "recording_sink.h"

namespace tessavue::e2e {

using testing::RecordingSink;

// The stand-in's --edition value and the palette's target-version text for it.
struct Edition {
    const wchar_t* sim;
    const char* target;
};

inline auto BothEditions() {
    return ::testing::Values(Edition{L"LT2000", "LT 2000"}, Edition{L"LT2006", "LT 2006"});
}

inline std::string EditionName(const ::testing::TestParamInfo<Edition>& info) {
    return std::string(info.param.target) == "LT 2006" ? "LT2006" : "LT2000";
}

}  // namespace tessavue::e2e
