// The settings file as the portable code sees it: an INI file reached through the
// platform's private-profile calls. The palette's rules for it (defaults, what counts
// as a number) live with the palette; the platform only reads and writes keys.
#pragma once

#include <string>

namespace tessavue {

// Section, key and value are Shift-JIS.
class ProfileFile {
public:
    virtual ~ProfileFile() = default;
    // The value of `key`, or `fallback` when the file, the section or the key is
    // missing. A key that is present but empty reads as the empty text.
    virtual std::string ReadString(const std::string& section, const std::string& key,
                                   const std::string& fallback) = 0;
    // Writes one key, creating the file and the section when needed. False when the
    // file could not be written.
    virtual bool WriteString(const std::string& section, const std::string& key, const std::string& value) = 0;
};

}  // namespace tessavue
