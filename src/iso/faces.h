// The four faces of the isometric view and everything that depends on which one the
// user drew on. Every face-dependent value in the program is read from FaceTable():
// angles, factors, file names and insertion values are never spelled out elsewhere.
//
// Figures are written in a "pre-insertion frame": the plan relative to the base point,
// turned by the face angle, with heights added along +Y times sqrt(2). AutoCAD then
// inserts the file as a block scaled sqrt(1.5) by sqrt(0.5) and turned by the side
// turn, which completes the isometric projection without the program computing an
// ellipse.
#pragma once

#include <array>
#include <cstdint>

namespace tessavue {

enum FaceCode : std::int32_t {
    FaceTopLeft = 0,
    FaceTopRight = 1,
    FaceLeft = 2,
    FaceRight = 3,
};

struct FaceParameters {
    std::int32_t Code;
    const char* Caption;         // the direction button's caption
    double Angle;                // face angle F in degrees: the plan's turn into the frame
    std::int32_t HeightFactor;   // e: +1 on the top faces, -1 on the side faces
    std::int32_t SideTurn;       // the insertion's rotation in degrees
    const char* TurnedPlanFile;  // the plan AutoCAD turned itself, when "全て投影" is on
    const char* OffsetDirection; // polar angle of the face's depth, typed by the offset copy
    // The existing axis is written in its own frame: on the side faces its insertion
    // exchanges the two scales and turns by half the side turn.
    bool AxisScalesExchanged;
    std::int32_t AxisRotation;
};

inline constexpr std::array<FaceParameters, 4> kFaceTable = {{
    {FaceTopLeft, "上左", 45.0, +1, 0, "l_45.dxf", "90", false, 0},
    {FaceTopRight, "上右", -45.0, +1, 0, "r_45.dxf", "90", false, 0},
    {FaceLeft, "左", 45.0, -1, -60, "l_45.dxf", "210", true, -30},
    {FaceRight, "右", -45.0, -1, 60, "r_45.dxf", "330", true, 30},
}};

// The row of a face code; nullptr for a code outside 0..3.
const FaceParameters* FaceRow(std::int32_t faceCode);

// The values typed into "-insert" for a figure file.
struct BlockInsertion {
    double XScale;
    double YScale;
    std::int32_t Rotation;  // typed as an integer
};

// `existingAxis`: the figure kind is "既存軸", whose figure has its own frame.
BlockInsertion InsertionFor(const FaceParameters& face, bool existingAxis);

// The isometric scales, computed rather than typed in so that they carry the
// double's full precision into the insertion.
double MajorScale();  // sqrt(1.5)
double MinorScale();  // sqrt(0.5)

}  // namespace tessavue
