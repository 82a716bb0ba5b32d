// The figures typed in as numbers (円, 四角, 六角): the figure template file, AutoCAD's
// own export of one short line made once and reused, and the figure written into its
// ENTITIES section on AutoCAD's current layer.
#pragma once

#include <string>

#include "dxf_data/entity_table.h"
#include "host/host_link.h"
#include "import/selection_command.h"
#include "import/work_files.h"
#include "iso/figure_generators.h"

namespace tessavue {

enum class TemplateOutcome {
    Ready,      // the template exists
    Cancelled,  // the user cancelled the point pick, or the wait was abandoned
    Failed,     // the line could not be made and exported; the user was told, the drawing is as it was
};

// The text shown when the template's line could not be made.
std::string TemplateLineFailedMessage();

// Makes the figure template file when it does not exist: the user picks a point, a
// line of length 1 is drawn up from it, exported as the template and erased. The
// export is read back before anything is erased: unless it holds exactly that line,
// nothing is erased, the template is deleted and the command stops with a message.
// FILEDIA is back on whichever way it ends.
TemplateOutcome EnsureFigureTemplate(HostLink& link, const ProgramFiles& files, const PathText& pathText);

// The numbers of one template figure, as read from the palette.
struct TemplateFigure {
    std::string Kind;           // "円", "四角" or "六角"
    std::int32_t FaceCode = 0;
    std::int32_t HeightSign = 1;
    double Diameter = 10;       // 円
    double YSide = 10;          // 四角: along plan Y
    double XSide = 10;          // 四角: along plan X
    double AcrossFlats = 10;    // 六角
    bool Vertical = true;       // 六角: "縦" (two vertical edges), else "横"
    AxisLine Centre;                            // 既存軸: the centre line
    const EntityTableRows* Outline = nullptr;   // 既存軸: the outline's line rows
};

// Whether `kind` is one of the figures typed in as numbers.
bool IsTemplateKind(const std::string& kind);

// Writes the figure on AutoCAD's current layer into the template's ENTITIES section
// and, for 円, 四角 and 六角, its plan rows into `table` (emptied first); 既存軸 leaves
// the table alone. False, after a message, when the
// template is damaged (it is then left as it was) or a wait was abandoned.
bool FillTemplateFigure(HostLink& link, const ProgramFiles& files, const TemplateFigure& figure,
                        EntityTableRows& table);

}  // namespace tessavue
