// The settings file through the Windows private-profile calls. Names and values are
// Shift-JIS inside the program; they go through the wide calls so that the file's
// own path (from GetModuleFileNameW) may hold any character. Windows keeps a file it
// creates this way in the ANSI code page, so the file stays Shift-JIS on a Japanese
// system.
#pragma once

#include <filesystem>
#include <string>

#include "host/profile_file.h"

namespace tessavue {

class Win32ProfileFile final : public ProfileFile {
public:
    explicit Win32ProfileFile(std::filesystem::path file) : file_(std::move(file)) {}

    std::string ReadString(const std::string& section, const std::string& key, const std::string& fallback) override;
    bool WriteString(const std::string& section, const std::string& key, const std::string& value) override;

private:
    std::filesystem::path file_;
};

}  // namespace tessavue
