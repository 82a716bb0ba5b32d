// The frame every command works in, set up before it changes anything in AutoCAD:
//
//   - AutoCAD's current UCS must be the world's. Points the palette reads (ID,
//     LASTPOINT, LIST) are shown in the current UCS, while dxfout writes world
//     coordinates and -insert takes its rotation in the UCS: in any other UCS the
//     figure would not stand where the user picked.
//   - For the draw commands, the current layer must be on and thawed. What the palette
//     draws goes on it, and "last" in AutoCAD is the newest *visible* object: on a
//     hidden layer "_explode l" or "scale l" would act on an object of the user's.
//   - For commands that read points, AutoCAD shows them in decimal units at 8 decimals
//     (LUNITS 2, LUPREC 8, the most it shows) until the command ends, then the user's
//     own values are typed back, on every way out while AutoCAD is there.
//
// What is asked of AutoCAD, and what it answers:
//
//   worlducs         WORLDUCS = 1 (読み込み専用)          (copied history)
//   -layer           現在の画層: "外形"                    (copied history)
//   -layer ? <name>  外形        ｵﾝ   -   7  CONTINUOUS    (copied history)
//   lunits           LUNITS の新しい値を入力 <4>:          (command line)
//   luprec           LUPREC の新しい値を入力 <2>:          (command line)
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "host/host_link.h"

namespace tessavue {

// ---- searches over AutoCAD's answers ------------------------------------------------

// The value of the read-only WORLDUCS as the last line naming it shows it ("WORLDUCS =
// 1 ..."); nullopt when no such line is there.
std::optional<int> WorldUcsInHistory(const std::vector<std::string>& lines);

// The whole number between "<" and ">" of a system variable's prompt
// ("LUPREC の新しい値を入力 <4>: "); nullopt when there is none.
std::optional<int> ValueInPrompt(const std::string& commandLine);

struct LayerState {
    bool Listed = false;  // a line of the listing names the layer
    bool Off = false;
    bool Frozen = false;
};
// The state of `name` in the last layer listing of the history: the last line that
// begins with the name and a blank, its on/off and frozen columns read after the name.
LayerState LayerStateInListing(const std::vector<std::string>& lines, const std::string& name);

// Whether two values look the same when AutoCAD shows them in units `lunits` at
// precision `luprec` (decimals, or the fraction 1/2^luprec for architectural and
// fractional units).
bool SameAsShown(double a, double b, int lunits, int luprec);

// ---- messages -----------------------------------------------------------------------

std::string NotWorldUcsMessage();
std::string HiddenLayerMessage(const std::string& layer, const LayerState& state);
std::string UnitsUnreadMessage();

// ---- the frame ----------------------------------------------------------------------

// The decimals the palette reads points at.
inline constexpr int kReadingDecimals = 8;

struct FrameNeeds {
    bool VisibleLayer = false;  // the command draws on the current layer
    bool FullPrecision = false; // the command reads points or listings
};

enum class FrameOutcome {
    Ready,
    Refused,  // the UCS or the layer does not allow the command; the user was told
    Ended,    // a wait was abandoned or AutoCAD could not be typed into
};

class HostFrame {
public:
    // From here to the destructor a report that AutoCAD could not be typed into is
    // kept, and told with the units left untyped in one message.
    explicit HostFrame(HostLink& link) : link_(link) { link_.BeginReports(); }
    // Puts the user's units back when Close was not called, and tells the user what
    // could not be typed.
    ~HostFrame();
    HostFrame(const HostFrame&) = delete;
    HostFrame& operator=(const HostFrame&) = delete;

    FrameOutcome Open(const FrameNeeds& needs);
    // Types the user's LUNITS and LUPREC back when the frame changed them; once.
    // A command still asking for input is cancelled first. Without waiting once the
    // waits are over (the palette closing); nothing when AutoCAD is gone. Returns the
    // commands it could not type (the clipboard held by another program), for the
    // caller to name in its message; the destructor names them itself.
    std::vector<std::string> Close();

    // The user's own units, as they were when the frame opened.
    int UserUnits() const { return userUnits_; }
    int UserPrecision() const { return userPrecision_; }
    // The decimals points are shown at while the frame is open.
    int ShownDecimals() const { return fullPrecision_ ? kReadingDecimals : userPrecision_; }

private:
    // Reads one variable from its prompt and answers it with `wanted` (Enter when it
    // already holds it). The value it held, or nullopt when it could not be read.
    std::optional<int> Exchange(const std::string& name, int wanted);

    HostLink& link_;
    int userUnits_ = 2;
    int userPrecision_ = 4;
    bool fullPrecision_ = false;
    // The commands that type the user's values back, for each value changed.
    std::vector<std::string> restore_;
    // Whether Close typed them (after cancelling a command still asking).
    bool typedBack_ = false;
};

}  // namespace tessavue
