// The figure file of the general figure path: the work file's ENTITIES section turned
// (or moved) into the pre-insertion frame of the face, raised once by the height and
// joined by height lines, saved under the figure file's name. The work file itself is
// never written. The draw command and the command-line rewrite tool share this code.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

#include "host/palette.h"
#include "dxf_data/entity_table.h"
#include "iso/face_walk.h"
#include "iso/figure_stream.h"
#include "import/work_files.h"

namespace tessavue {

// The figure kind of an existing figure, the only kind whose plan the program turns
// itself (and only while AutoCAD did not already turn it).
inline constexpr const char* kExistingFigureKind = "既存図形";

// What one draw command reads from the palette for the rewrite.
struct FigureRewrite {
    HeightInputs Inputs;      // face, height sign, height, kind and the two height-line marks
    bool ProjectAll = false;  // "全て投影": AutoCAD exported the plan already turned
    double BaseX = 0;         // the point that becomes the figure file's origin
    double BaseY = 0;
};

// True when the rewrite turns the plan by the face angle; false when it only moves
// the base point to the origin (AutoCAD turned the plan, or the figure was generated
// in its own frame).
bool TurnsPlan(const FigureRewrite& rewrite);

// The text shown when the selected plan is not there.
std::string NothingSelectedMessage();

// The number typed in a palette field; a field that holds no number shows a message
// naming the field and the text, and gives nullopt, before anything is written.
std::optional<double> ReadNumberField(const std::string& fieldName, const std::string& text,
                                      MessageSink& messages);

// The file an existing figure is rewritten from: the selection file, or with
// "全て投影" the plan AutoCAD turned toward the face. Empty for a face code outside 0..3.
std::filesystem::path ExistingFigureWorkFile(const ProgramFiles& files, std::int32_t faceCode, bool projectAll);

// The preparation of an existing figure: the work file must exist (else the
// nothing-selected message); the table is emptied and filled from the selection's
// full export ("explode.dxf") when there is one, else from the unturned selection
// file, points relative to the base point. False, after a message, when the command
// must end.
bool PrepareExistingFigure(const ProgramFiles& files, const FigureRewrite& rewrite, MessageSink& messages,
                           EntityTableRows& table);

// Empties the table and fills it with every line, circle, arc and ellipse the user
// sees in the selection, inside blocks too: from `full` (the whole selection exported
// unexploded, DXF 2000) when that file exists, else from `selection`; points relative
// to the base point. A file that cannot be read, or a value that is no number, is told
// to the user and gives false.
bool FillEntityTableFromSelection(const std::filesystem::path& selection, const std::filesystem::path& full,
                                  double baseX, double baseY, MessageSink& messages, EntityTableRows& table);

// The rewrite's steps for the palette's inputs: turned only for an existing figure
// AutoCAD did not turn.
FigureSteps StepsOf(const FigureRewrite& rewrite);

// Reads the work file, rewrites its ENTITIES section (RewriteFigure: turn or move, the
// raised copy, the height lines from `table`) and saves the result as `figureFile`.
// Nothing is written before the whole rewrite is checked; the file is then written
// under a temporary name beside it (figureFile + ".tmp") and renamed into place. On
// failure the user is told why, neither file exists afterwards and the result is false.
bool WriteFigureFile(const std::filesystem::path& workFile, const std::filesystem::path& figureFile,
                     const FigureRewrite& rewrite, const EntityTableRows& table, MessageSink& messages);

}  // namespace tessavue
