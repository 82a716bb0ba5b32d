#include "import/selection_export.h"

#include <system_error>

#include "dxf_data/dxf_lines.h"
#include "import/dxf_reader.h"

namespace tessavue {

std::array<std::string, 3> ExportAnswers(const std::string& version) {
    return {"o p  ", version.empty() ? std::string("v r12 ") : "v " + version + " ", "16 "};
}

std::string ExportStartCommand(const std::string& pathText) { return "dxfout " + pathText + "\r"; }

bool ExportSelectionDxf(HostLink& link, const std::string& pathText, const std::string& version,
                        bool* started) {
    const bool typed = link.SendHostCommand(ExportStartCommand(pathText));
    if (started) *started = typed;
    // An untyped command or answer would leave the wait below looking for a prompt
    // that never comes.
    if (!typed) return false;
    for (const std::string& answer : ExportAnswers(version)) {
        // The same ways out as every other wait: a user who cancels dxfout in AutoCAD
        // or closes it must not leave the palette polling for ever.
        if (!link.WaitForCommandLine(kAccuracyPromptMark, WaitMode::Contains)) return false;
        if (!link.SendHostCommand(answer)) return false;
    }
    // AutoCAD writes the file while it answers the last prompt; back at the idle prompt
    // the file is whole. Nothing is typed here, so no extra undo step appears.
    return link.WaitForCommandLine(link.CommandPrompt, WaitMode::Exact);
}

bool SelectionNeedsExplode(const std::filesystem::path& path) {
    std::error_code error;
    if (!std::filesystem::exists(path, error)) return false;
    return SelectionNeedsExplode(LoadDxfLinesOrRaise(path), path);
}

bool SelectionNeedsExplode(const DxfLines& lines, const std::filesystem::path& path) {
    for (std::size_t i = EntitiesStart(lines, path); i < lines.size(); ++i) {
        if (lines[i].find("POLYLINE") != std::string::npos || lines[i].find("INSERT") != std::string::npos) return true;
    }
    return false;
}

bool RemoveHandseed(const std::filesystem::path& path) {
    auto loaded = LoadDxfLines(path);
    if (!loaded) return false;
    DxfLines& lines = *loaded;
    std::size_t name = 0;
    while (name < lines.size() && lines[name] != "$HANDSEED") ++name;
    if (name == lines.size()) return true;
    std::size_t next = name + 1;
    while (next < lines.size() && lines[next] != "  9") ++next;
    // Without a following variable the end of the deletion is unknown: deleting to the
    // end of the file would take the whole drawing with it.
    if (next == lines.size()) return true;
    // One erase of the whole range: the name, its "  5" and handle, and the "  9" that
    // opened the next variable (the "  9" before $HANDSEED now opens it).
    lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(name), lines.begin() + static_cast<std::ptrdiff_t>(next) + 1);
    return SaveDxfLines(path, lines);
}

}  // namespace tessavue
