// A settings file in memory: keys by section, every read and write logged, and a
// switch that makes writes fail as on a read-only folder.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "ui/settings.h"

namespace tessavue::testing {

class FakeProfileFile : public ProfileFile {
public:
    std::string ReadString(const std::string& section, const std::string& key,
                           const std::string& fallback) override {
        reads.push_back(section + "/" + key);
        auto it = values.find({section, key});
        return it == values.end() ? fallback : it->second;
    }
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override {
        writes.push_back(section + "/" + key);
        if (failWrites) return false;
        values[{section, key}] = value;
        return true;
    }

    bool Has(const std::string& section, const std::string& key) const { return values.count({section, key}) != 0; }
    std::string Value(const std::string& section, const std::string& key) const {
        auto it = values.find({section, key});
        return it == values.end() ? "<missing>" : it->second;
    }

    std::map<std::pair<std::string, std::string>, std::string> values;
    std::vector<std::string> reads;
    std::vector<std::string> writes;
    bool failWrites = false;
};

}  // namespace tessavue::testing
