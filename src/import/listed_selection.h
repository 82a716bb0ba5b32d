// The selections that read AutoCAD's answers instead of an export: the centre line
// and the outline of a turned part (AutoCAD's LIST, read back from the command
// history), and the points of a top view and a front view (picked one by one).
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "dxf_data/entity_table.h"
#include "host/history_queries.h"
#include "host/host_link.h"

namespace tessavue {

// ---- reading a listing ----------------------------------------------------------------

// Writes the line objects of the listing after the last history line containing
// "list" into `table` from row 0 (Kind 0, Layer "0", the listed start and end
// points) and returns how many: at most kEntityRows. A coordinate field that is no
// number raises ConvertError. The caller empties the table first.
int ReadListedLines(const std::string& historyText, EntityTableRows& table);

// Whether the listing after the last history line containing "list" shows any object:
// every listed object names its layer ("画層"). Decided from this listing alone, never
// from an object count further up the history.
bool ListingShowsObjects(const std::vector<std::string>& lines);

struct ListedLine {
    double X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    friend bool operator==(const ListedLine&, const ListedLine&) = default;
};

enum class ListOutcome {
    Cancelled,        // LIST was cancelled, or AutoCAD could not be asked
    NothingSelected,  // the selection was empty: nothing listed
    Listed,           // objects listed; `Lines` holds their line objects
};

struct ListedSelection {
    ListOutcome Outcome = ListOutcome::Cancelled;
    std::vector<ListedLine> Lines;  // in listing order, at most kEntityRows
    bool TooMany = false;           // the listing held kEntityRows lines or more
};

// "list ": the user selects objects in AutoCAD, which lists them; their line objects
// are read back from the history.
ListedSelection ListSelectedLines(HostLink& link);

// ---- the existing axis: centre line and outline -----------------------------------

std::string NoCentreLineMessage();            // no line selected, or none chosen yet
std::string CentreLineNotLevelMessage();      // one line, neither vertical nor horizontal
std::string SeveralCentreLinesMessage();
std::string TooManyObjectsMessage();

// The centre line made exactly vertical (or horizontal) when its two X (or Y) values
// look the same in the user's units `lunits` at precision `luprec`, as the user saw it
// drawn; nullopt when it is neither.
std::optional<ListedLine> LevelCentreLine(const ListedLine& line, int lunits, int luprec);

// 中心線: one vertical or horizontal line becomes `centre`; otherwise `centre` stays
// and the result is what to tell the user, once the palette is free again. A
// cancelled or empty selection changes nothing and tells nothing.
std::string SelectCentreLine(HostLink& link, std::optional<ListedLine>& centre);

// 外形線: the listed lines become `outline`; an empty or cancelled selection leaves it
// as it was. Too many objects give their message (the first kEntityRows lines are kept).
std::string SelectOutline(HostLink& link, std::optional<std::vector<ListedLine>>& outline);

// ---- the two-face selection: points of the top and the front view -------------------

// The picked points of one view, as comma-separated number texts in picking order.
struct FacePointLists {
    std::string X;
    std::string Y;
    int Count = 0;
};

// 上面 / 正面: starts the view afresh, then lets the user pick points in AutoCAD until
// the pick is cancelled. `counted` is told the count after each point.
void PickFacePoints(HostLink& link, FacePointLists& lists, const std::function<void(int)>& counted);

}  // namespace tessavue
