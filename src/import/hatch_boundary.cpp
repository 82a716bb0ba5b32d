// Walks a HATCH's boundary data by its own counts: 91 paths, each a 92 flag and then
// either a polyline (72 bulges, 73 closed, 93 vertices) or 93 edges, each a 72 type and
// the groups of that type; after each path 97 source objects and their 330 handles.
// The same codes mean other things outside a path (10/20 the elevation point and the
// seed points, 73/40/50 ...), so nothing is found by looking for a code.
#include "import/hatch_boundary.h"

#include <charconv>
#include <cmath>
#include <cstddef>
#include <optional>
#include <string_view>

#include "dxf_data/str_to_float.h"

namespace tessavue {
namespace {

constexpr double kPi = 3.14159265358979323846;
constexpr double kTurn = 2 * kPi;

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    return text;
}

// The reason a walk stopped; thrown inside this file only, caught by the entry point.
struct Stop {
    std::string reason;
};

class Walk {
public:
    explicit Walk(const std::vector<HatchGroup>& groups) : groups_(groups) {}

    bool AtEnd() const { return at_ >= groups_.size(); }
    std::size_t Left() const { return groups_.size() - at_; }
    int PeekCode() const { return AtEnd() ? -1 : groups_[at_].Code; }
    int PeekCode(std::size_t ahead) const { return at_ + ahead < groups_.size() ? groups_[at_ + ahead].Code : -1; }
    void Skip() { ++at_; }
    void SeekTo(std::size_t at) { at_ = at; }
    std::size_t Position() const { return at_; }
    const HatchGroup& At(std::size_t i) const { return groups_[i]; }
    std::size_t Size() const { return groups_.size(); }

    // The next group, which must carry `code`.
    const HatchGroup& Take(int code, const std::string& where) {
        if (AtEnd()) throw Stop{where + ": the entity ends where group " + std::to_string(code) + " was expected"};
        const HatchGroup& g = groups_[at_];
        if (g.Code != code)
            throw Stop{where + ": group " + std::to_string(g.Code) + " where " + std::to_string(code) +
                       " was expected"};
        ++at_;
        return g;
    }

    double Number(int code, const std::string& where) { return NumberOf(Take(code, where), where); }
    long Integer(int code, const std::string& where) { return IntegerOf(Take(code, where), where); }

    // A count, which cannot ask for more than `perItem` groups each beyond what is left.
    std::size_t Count(int code, std::size_t perItem, const std::string& where) {
        const long n = Integer(code, where);
        if (n < 0) throw Stop{where + ": negative count " + std::to_string(n) + " in group " + std::to_string(code)};
        if (static_cast<unsigned long>(n) > Left() / perItem)
            throw Stop{where + ": count " + std::to_string(n) + " in group " + std::to_string(code) +
                       " runs past the end of the entity"};
        return static_cast<std::size_t>(n);
    }

    static double NumberOf(const HatchGroup& g, const std::string& where) {
        const std::optional<double> v = TryStrToFloat(g.Value);
        if (!v) throw Stop{where + ": '" + g.Value + "' in group " + std::to_string(g.Code) + " is no number"};
        return *v;
    }

    static long IntegerOf(const HatchGroup& g, const std::string& where) {
        const std::string_view text = Trimmed(g.Value);
        long v = 0;
        const char* first = text.data();
        const char* last = text.data() + text.size();
        if (!text.empty() && *first == '+') ++first;
        const auto [end, error] = std::from_chars(first, last, v);
        if (text.empty() || error != std::errc() || end != last)
            throw Stop{where + ": '" + g.Value + "' in group " + std::to_string(g.Code) + " is no whole number"};
        return v;
    }

private:
    const std::vector<HatchGroup>& groups_;
    std::size_t at_ = 0;
};

// A direction in degrees within [0, 360).
double Degrees360(double degrees) {
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    if (d >= 360.0) d = 0;
    return d;
}

// A counter-clockwise arc of a circle, from the direction `fromDeg` to `toDeg` (degrees):
// a whole circle when they are a whole turn or more apart, or the same.
WorldEllipse CircleArc(Vec2 centre, double r, double fromDeg, double toDeg) {
    WorldEllipse e;
    e.Centre = centre;
    e.MajorAxis = {r, 0};
    e.Ratio = 1;
    double sweep = toDeg - fromDeg;
    if (std::fabs(sweep) >= 360.0) {
        sweep = 360.0;
    } else {
        sweep = Degrees360(sweep);
        if (sweep == 0) sweep = 360.0;
    }
    const double start = Degrees360(fromDeg);
    e.StartParam = start * kPi / 180.0;
    e.EndParam = sweep == 360.0 ? e.StartParam + kTurn : (start + sweep) * kPi / 180.0;
    return e;
}

// A polyline segment's shape: a line, or for a bulge b the arc of included angle
// 4 atan b (counter-clockwise when b > 0) whose centre lies off the chord's middle by
// (1 - b^2) / (4 b) chord lengths, to the chord's left.
WorldShape Segment(Vec2 from, Vec2 to, double b) {
    if (b == 0) return WorldLine{from, to};
    const double dx = to.X - from.X;
    const double dy = to.Y - from.Y;
    const double k = (1 - b * b) / (4 * b);
    const Vec2 c{(from.X + to.X) / 2 - k * dy, (from.Y + to.Y) / 2 + k * dx};
    const double r = std::hypot(from.X - c.X, from.Y - c.Y);
    const double sweep = 4 * std::atan(std::fabs(b));  // radians, in (0, 2 pi)
    // The counter-clockwise run starts at `from` for a positive bulge, at `to` otherwise.
    const Vec2 first = b > 0 ? from : to;
    double start = std::atan2(first.Y - c.Y, first.X - c.X);
    if (start < 0) start += kTurn;
    if (start >= kTurn) start = 0;
    WorldEllipse e;
    e.Centre = c;
    e.MajorAxis = {r, 0};
    e.Ratio = 1;
    e.StartParam = start;
    e.EndParam = start + sweep;
    return e;
}

// The groups of a fixed-size edge, each code once in any order.
struct EdgeValues {
    double v[8] = {};
};

EdgeValues ReadEdge(Walk& w, const int (&codes)[8], std::size_t n, const std::string& where) {
    EdgeValues out;
    bool seen[8] = {};
    for (std::size_t i = 0; i < n; ++i) {
        if (w.AtEnd()) throw Stop{where + ": the entity ends inside the edge"};
        const HatchGroup& g = w.At(w.Position());
        std::size_t slot = n;
        for (std::size_t j = 0; j < n; ++j)
            if (codes[j] == g.Code) slot = j;
        if (slot == n || seen[slot])
            throw Stop{where + ": group " + std::to_string(g.Code) + " out of place in the edge"};
        seen[slot] = true;
        out.v[slot] = Walk::NumberOf(g, where);
        w.Skip();
    }
    return out;
}

void PolylinePath(Walk& w, const std::string& where, std::vector<WorldShape>& out) {
    w.Integer(72, where);  // whether bulges follow: each 42 is read where it stands
    const bool closed = w.Integer(73, where) != 0;
    const std::size_t n = w.Count(93, 2, where);
    struct Vertex {
        Vec2 p;
        double bulge = 0;
    };
    std::vector<Vertex> points;
    points.reserve(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string at = where + " vertex " + std::to_string(i + 1);
        Vertex v;
        v.p.X = w.Number(10, at);
        v.p.Y = w.Number(20, at);
        // A bulge follows its vertex when the path has bulges; some writers leave out zeros.
        if (w.PeekCode() == 42) v.bulge = w.Number(42, at);
        points.push_back(v);
    }
    if (n < 2) return;
    for (std::size_t i = 0; i < (closed ? n : n - 1); ++i) {
        const Vertex& from = points[i];
        const Vertex& to = points[(i + 1) % n];
        if (from.p.X == to.p.X && from.p.Y == to.p.Y) continue;
        out.push_back(Segment(from.p, to.p, from.bulge));
    }
}

void SplineEdge(Walk& w, const std::string& where, std::vector<WorldShape>& out) {
    WorldSpline s;
    s.Degree = static_cast<int>(w.Integer(94, where));
    const bool rational = w.Integer(73, where) != 0;
    const bool periodic = w.Integer(74, where) != 0;
    const std::size_t knots = w.Count(95, 1, where);
    const std::size_t controls = w.Count(96, 1, where);
    if (knots + 2 * controls > w.Left())
        throw Stop{where + ": the knots and control points run past the end of the entity"};
    s.Flags = 8 | (rational ? 4 : 0) | (periodic ? 3 : 0);
    for (std::size_t i = 0; i < knots; ++i) s.Knots.push_back(w.Number(40, where));
    // The weights follow each control point, or come all after them.
    std::vector<double> weights;
    for (std::size_t i = 0; i < controls; ++i) {
        const std::string at = where + " control point " + std::to_string(i + 1);
        Vec2 p;
        p.X = w.Number(10, at);
        p.Y = w.Number(20, at);
        s.ControlPoints.push_back(p);
        if (w.PeekCode() == 42) weights.push_back(w.Number(42, at));
    }
    while (weights.size() < controls && w.PeekCode() == 42) weights.push_back(w.Number(42, where));
    if (rational) {
        if (weights.size() != controls)
            throw Stop{where + ": " + std::to_string(weights.size()) + " weights for " + std::to_string(controls) +
                       " control points"};
        s.Weights = weights;
    } else if (!weights.empty()) {
        // Weights on a spline that says it is not rational: kept only when they matter.
        bool even = true;
        for (double v : weights) even = even && v == 1.0;
        if (!even) {
            if (weights.size() != controls)
                throw Stop{where + ": " + std::to_string(weights.size()) + " weights for " + std::to_string(controls) +
                           " control points"};
            s.Weights = weights;
            s.Flags |= 4;
        }
    }
    // Fit data (written from 2010 on): 97 count, 11/21 points, then 12/22 and 13/23
    // tangents. A 97 followed by 330 is the path's source objects instead; a 97 of 0
    // means nothing either way.
    if (w.PeekCode() == 97) {
        const std::size_t at = w.Position();
        const long n = Walk::IntegerOf(w.At(at), where);
        if (n == 0 || w.PeekCode(1) == 11) {
            const std::size_t fits = w.Count(97, 2, where);
            for (std::size_t i = 0; i < fits; ++i) {
                const std::string pt = where + " fit point " + std::to_string(i + 1);
                Vec2 p;
                p.X = w.Number(11, pt);
                p.Y = w.Number(21, pt);
                s.FitPoints.push_back(p);
            }
        }
    }
    for (int tangent : {12, 13}) {
        if (w.PeekCode() == tangent) {
            w.Number(tangent, where);
            w.Number(tangent + 10, where);
        }
    }
    out.push_back(std::move(s));
}

void EdgePath(Walk& w, const std::string& where, std::vector<WorldShape>& out) {
    const std::size_t n = w.Count(93, 2, where);
    for (std::size_t i = 0; i < n; ++i) {
        const std::string at = where + " edge " + std::to_string(i + 1);
        const long type = w.Integer(72, at);
        if (type == 1) {
            const EdgeValues v = ReadEdge(w, {10, 20, 11, 21}, 4, at);
            out.push_back(WorldLine{{v.v[0], v.v[1]}, {v.v[2], v.v[3]}});
        } else if (type == 2) {
            const EdgeValues v = ReadEdge(w, {10, 20, 40, 50, 51, 73}, 6, at);
            const bool ccw = v.v[5] != 0;
            // A clockwise arc holds its angles mirrored: run counter-clockwise, it goes
            // from the mirror of its end to the mirror of its start.
            const double from = ccw ? v.v[3] : -v.v[4];
            const double to = ccw ? v.v[4] : -v.v[3];
            out.push_back(CircleArc({v.v[0], v.v[1]}, v.v[2], from, to));
        } else if (type == 3) {
            const EdgeValues v = ReadEdge(w, {10, 20, 11, 21, 40, 50, 51, 73}, 8, at);
            const double ratio = v.v[4];
            if (!(ratio > 0 && ratio <= 1)) throw Stop{at + ": axis ratio " + std::to_string(ratio) + " out of (0, 1]"};
            const bool ccw = v.v[7] != 0;
            const double from = ccw ? v.v[5] : -v.v[6];
            const double to = ccw ? v.v[6] : -v.v[5];
            // The sweep as a circle's, then each end's angle seen from the centre turned
            // into the parameter of the point in that direction.
            const WorldEllipse circle = CircleArc({0, 0}, 1, from, to);
            const auto parameter = [ratio](double angle) {
                double t = std::atan2(std::sin(angle) / ratio, std::cos(angle));
                if (t < 0) t += kTurn;
                return t;
            };
            WorldEllipse e;
            e.Centre = {v.v[0], v.v[1]};
            e.MajorAxis = {v.v[2], v.v[3]};
            e.Ratio = ratio;
            e.StartParam = parameter(circle.StartParam);
            if (e.StartParam >= kTurn) e.StartParam = 0;
            if (circle.EndParam - circle.StartParam >= kTurn) {
                e.EndParam = e.StartParam + kTurn;
            } else {
                double end = parameter(circle.EndParam);
                while (end <= e.StartParam) end += kTurn;
                e.EndParam = end;
            }
            out.push_back(e);
        } else if (type == 4) {
            SplineEdge(w, at, out);
        } else {
            throw Stop{at + ": unknown edge type " + std::to_string(type)};
        }
    }
}

}  // namespace

std::vector<WorldShape> HatchBoundaryShapes(const std::vector<HatchGroup>& groups, std::string& fault) {
    fault.clear();
    std::vector<WorldShape> out;
    Walk w(groups);
    // The hatch's own data starts at its subclass marker (the common entity groups before
    // it may hold anything); the path count follows the elevation point, extrusion,
    // pattern name, fill and associativity flags.
    for (std::size_t i = 0; i < groups.size(); ++i) {
        if (groups[i].Code == 100 && Trimmed(groups[i].Value) == "AcDbHatch") {
            w.SeekTo(i + 1);
            break;
        }
    }
    try {
        while (!w.AtEnd() && w.PeekCode() != 91) {
            const int code = w.PeekCode();
            const bool head = code == 10 || code == 20 || code == 30 || code == 210 || code == 220 || code == 230 ||
                              code == 2 || code == 70 || code == 71 || code == 100 || code == 5 || code == 8 ||
                              code == 330 || code == 6 || code == 62 || code == 370 || code == 48 || code == 60 ||
                              code == 420 || code == 430 || code == 440 || code == 390 || code == 284 || code == 347 ||
                              code == 67 || code == 410 || code == 102 || code == 360;
            if (!head) throw Stop{"group " + std::to_string(code) + " where the path count (91) was expected"};
            w.Skip();
        }
        if (w.AtEnd()) throw Stop{"no path count (group 91)"};
        const std::size_t paths = w.Count(91, 3, "paths");
        for (std::size_t p = 0; p < paths; ++p) {
            const std::string where = "path " + std::to_string(p + 1);
            const long flags = w.Integer(92, where);
            if (flags & 2)
                PolylinePath(w, where, out);
            else
                EdgePath(w, where, out);
            if (w.PeekCode() == 97) {
                const std::size_t sources = w.Count(97, 1, where);
                for (std::size_t i = 0; i < sources; ++i) w.Take(330, where + " source object");
            }
        }
    } catch (const Stop& stop) {
        fault = "HATCH " + stop.reason;
    }
    return out;
}

}  // namespace tessavue
