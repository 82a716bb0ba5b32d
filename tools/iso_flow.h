// The flow of tessavue-iso, apart from its main: a plan DXF in, its finished
// isometric drawing out as a DXF 2000 file of its own, without AutoCAD.
//
//   tessavue-iso --face N --height H --base X,Y --at X,Y PLAN.dxf OUT.dxf
//   tessavue-iso --kind circle --diameter D --face N --height H --at X,Y OUT.dxf
//
// Exit status: 0 written; 2 a wrong command line; 3 the plan cannot be read; 4 nothing
// to draw (nothing in the plan, or nothing the layer or window picks); 5 the output
// cannot be written; 6 the figure leaves the range of numbers a drawing can hold.
// Every refusal leaves no output file, also none an earlier run left.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "draw/world_existing_figure.h"
#include "host/palette.h"

namespace tessavue {

extern const char* const kIsoToolUsage;

enum IsoToolStatus {
    IsoWritten = 0,
    IsoBadCommandLine = 2,
    IsoPlanUnreadable = 3,
    IsoNothingToDraw = 4,
    IsoOutputUnwritable = 5,
    IsoOutOfRange = 6,
};

struct IsoWindow {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;  // any two opposite corners
};

// The figures typed in as numbers, as the palette's edits take them.
struct IsoNumbers {
    double Diameter = 10;     // 円
    double YSide = 10;        // 四角: along plan Y
    double XSide = 10;        // 四角: along plan X
    double AcrossFlats = 10;  // 六角
    bool Vertical = true;     // 六角: "縦" (two vertical edges), else "横"
    double BendRadius = 20;   // 丸棒曲げ: 曲げ半径
    double BarDiameter = 10;  // 丸棒曲げ: 丸棒直径
    // ２面選択: the points picked in the top view (X,Y pairs) and the heights of the same
    // points picked in the front view, as comma lists.
    std::string TopPoints;
    std::string FrontHeights;
    // 文字: the text as the drawing holds it (code page 932) and its height.
    std::string Text;
    double TextHeight = 2.5;
    // 寸法: the two measured points and the side's point, picked in the drawing; the
    // dimension line's distance from the measured points (オフセット) and the decimals.
    std::optional<Vec2> P1, P2, P3;
    double DimensionOffset = 10;
    int DimensionDecimals = 4;
};

struct IsoToolOptions {
    std::string Kind;  // the palette's kind: "既存図形" (a plan), "円", "四角", "六角", "丸棒曲げ", "２面選択", "文字", "既存軸", "オフセット" or "寸法"
    IsoNumbers Numbers;
    std::vector<std::int32_t> Faces;
    HeightInputs Inputs;  // the face code is set per face
    Vec2 Base;
    std::optional<Vec2> At;  // default: the base point
    std::vector<std::string> Layers;  // as given (UTF-8), empty: every layer
    // 既存軸: the centre line and the outline's lines among the drawing's lines, each by
    // layer or by handles (UTF-8 as given; handles in hexadecimal, any case).
    std::string CentreLayer, OutlineLayer;
    std::vector<std::string> CentreHandles, OutlineHandles;
    std::optional<IsoWindow> Window;
    std::filesystem::path Plan;
    std::filesystem::path Output;
    std::optional<std::filesystem::path> Svg;
    // The output a copy of the plan (DXF 2000 or later) with the figure added to its
    // model space, instead of the figure alone.
    bool Beside = false;
    bool KeepOriginals = false;  // オフセット: the picked objects are written too
};

// The plan rows of a figure typed in as numbers, about the origin, on `layer`.
std::vector<EntityRecord> NumberFigureRows(const std::string& kind, const IsoNumbers& numbers, std::int32_t face,
                                           std::int32_t heightSign, const std::string& layer);

std::optional<IsoToolOptions> ParseIsoToolOptions(const std::vector<std::filesystem::path>& args,
                                                  std::string& complaint);

// The whole run: the exit status. `report` gets what the user is told: the refusal's
// reason, or on success what was drawn and what was left out.
int RunIsoTool(const std::vector<std::filesystem::path>& args, std::string& report);

// An SVG picture of the figure, black on white, for a person without a CAD program.
std::string FigureSvg(const WorldFigure& figure);

}  // namespace tessavue
