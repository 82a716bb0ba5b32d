// Where the running program lies, as a wide path: the palette's working files and its
// settings live beside it, and its folder may have a Japanese name.
#pragma once

#include <filesystem>

namespace tessavue {

// The running program's full path (GetModuleFileNameW); empty if Windows cannot say.
std::filesystem::path ProgramPath();

}  // namespace tessavue
