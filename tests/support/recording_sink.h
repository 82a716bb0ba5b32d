// A message sink that keeps every box the code under test would have shown, so a
// test can say which message came and that no other did.
#pragma once

#include <string>
#include <vector>

#include "host/palette.h"

namespace tessavue::testing {

struct RecordingSink : MessageSink {
    void ShowConfirmation(const std::string& text) override { confirmations.push_back(text); }
    void ShowInformation(const std::string& text) override { informations.push_back(text); }
    // Every box in the order shown, whatever its type.
    std::vector<std::string> All() const {
        std::vector<std::string> all = confirmations;
        all.insert(all.end(), informations.begin(), informations.end());
        return all;
    }
    std::vector<std::string> confirmations;
    std::vector<std::string> informations;
};

}  // namespace tessavue::testing
