// Helpers shared by the iso tests: small DXF line lists shaped like AutoCAD's
// exports, a message sink that records, and a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "host/palette.h"
#include "import/dxf_lines.h"

namespace tessavue::testing {

// A minimal R12 export: a tables section that holds a layer named ENTITIES (which
// must not be taken for the section) and the given ENTITIES content.
inline DxfLines Export(const DxfLines& entities) {
    DxfLines lines = {"  0", "SECTION", "  2", "HEADER", "  9", "$ACADVER", "  1", "AC1009", "  0", "ENDSEC",
                      "  0", "SECTION", "  2", "TABLES", "  0", "TABLE",    "  2", "LAYER",  " 70", "1",
                      "  0", "LAYER",   "  2", "ENTITIES", " 70", "0",      " 62", "7",      "  6", "CONTINUOUS",
                      "  0", "ENDTAB",  "  0", "ENDSEC",   "  0", "SECTION", "  2", "ENTITIES", "  0"};
    lines.insert(lines.end(), entities.begin(), entities.end());
    lines.insert(lines.end(), {"ENDSEC", "  0", "EOF"});
    return lines;
}

// Three entities as AutoCAD writes them: kind line first, each closed by the next "  0".
inline DxfLines ThreeEntities() {
    return {"LINE",   "  5", "2A", "  8", "0",   " 10", "1.0", " 20", "2.0", " 30", "0.0", " 11", "3.5",
            " 21",    "-4.0", " 31", "0.0", "  0", "CIRCLE", "  5", "2B", "  8", "壁", " 10", "10.0", " 20",
            "20.0",   " 30", "0.0", " 40", "5.0", "  0", "ARC", "  5", "2C", "  8", "0", " 10", "0.0",
            " 20",    "0.0", " 40", "2.0", " 50", "350.0", " 51", "90.0", "  0"};
}

inline std::size_t IndexOf(const DxfLines& lines, const std::string& line, std::size_t from = 0) {
    for (std::size_t i = from; i < lines.size(); ++i) {
        if (lines[i] == line) return i;
    }
    return lines.size();
}

// The line list as a reader would see it after saving: items holding CR LF become
// several lines.
inline DxfLines Resplit(const DxfLines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    return SplitDxfLines(text);
}

class RecordingSink : public MessageSink {
public:
    void ShowConfirmation(const std::string& text) override { confirmations.push_back(text); }
    void ShowInformation(const std::string& text) override { informations.push_back(text); }
    std::vector<std::string> confirmations;
    std::vector<std::string> informations;
};

inline std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline void WriteBytes(const std::filesystem::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

// A folder of its own for each test, removed afterwards.
class ScratchFolder : public ::testing::Test {
protected:
    void SetUp() override {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = std::filesystem::temp_directory_path() /
                  (std::string("tessavue-iso-") + info->test_suite_name() + "-" + info->name());
        std::filesystem::remove_all(folder_);
        ASSERT_TRUE(std::filesystem::create_directories(folder_));
    }
    void TearDown() override {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
    const std::filesystem::path& Folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace tessavue::testing
