// The commands that draw curves: CIRCLE, ARC and PLINE. Each new object goes on the
// current layer and becomes the last object; every prompt that asks for a point also
// takes a pick, and a pick is not echoed.
#include "command_families.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>
#include <string_view>
#include <vector>

#include "edition.h"
#include "text.h"

namespace tessavue::sim {
namespace {

constexpr double kPi = std::numbers::pi;

double Distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }
// The direction from `from` to `to`, radians counter-clockwise from +X.
double Direction(Point from, Point to) { return std::atan2(to.y - from.y, to.x - from.x); }
// Radians as degrees within [0, 360), as AutoCAD keeps an arc's angles.
double KeptDegrees(double radians) {
    double d = std::fmod(radians * 180 / kPi, 360.0);
    if (d < 0) d += 360.0;
    if (d >= 360.0) d -= 360.0;
    return d;
}
bool Finite(Point p) { return std::isfinite(p.x) && std::isfinite(p.y); }

// The cross product of b - a and c - a: positive when a, b, c turn counter-clockwise.
double Turn(Point a, Point b, Point c) { return (b.x - a.x) * (c.y - a.y) - (b.y - a.y) * (c.x - a.x); }

// The centre of the circle through three points; nullopt when they lie in a line or
// two of them coincide. The test of straightness is against the triangle's own size,
// so points far from the origin are judged as well as points near it.
std::optional<Point> Circumcentre(Point a, Point b, Point c) {
    const double bx = b.x - a.x, by = b.y - a.y;
    const double cx = c.x - a.x, cy = c.y - a.y;
    const double b2 = bx * bx + by * by;
    const double c2 = cx * cx + cy * cy;
    const double d = 2 * (bx * cy - by * cx);
    const double side2 = std::max({b2, c2, (c.x - b.x) * (c.x - b.x) + (c.y - b.y) * (c.y - b.y)});
    if (side2 == 0 || std::abs(d) <= 1e-12 * side2) return std::nullopt;
    return Point{a.x + (cy * b2 - by * c2) / d, a.y + (bx * c2 - cx * b2) / d};
}

// CIRCLE: the centre, then the radius (a number, a point whose distance from the
// centre it is, Enter for the last radius) or "d" and the diameter; "3p" three points
// on the circle, "2p" the two ends of a diameter. A radius that is not positive is
// refused and asked again. "t" (tangent, tangent, radius) is not drawn here.
class CircleCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().circleCentre); }

    void Answer(SimHost& host, const std::string& text) override {
        const std::string word = AsciiLower(text);
        const std::optional<Point> point = host.ParsePoint(text);
        const EditionTexts& t = host.texts();
        switch (step_) {
            case Step::Centre:
                if (word == "3p") return Go(host, Step::First3);
                if (word == "2p") return Go(host, Step::First2);
                if (word == "t" || word == "ttr") {
                    host.Message(t.optionNotSupported);
                    return Ask(host);
                }
                break;
            case Step::Radius:
                if (text.empty() && host.circleRadius > 0) return Make(host, centre_, host.circleRadius);
                if (word == "d" || word == "diameter") return Go(host, Step::Diameter);
                if (const auto r = ParseReal(text)) return Radius(host, *r);
                if (point) return Take(host, *point);
                host.Message(t.distanceRequired);
                return Ask(host);
            case Step::Diameter:
                if (text.empty() && host.circleRadius > 0) return Make(host, centre_, host.circleRadius);
                if (const auto d = ParseReal(text)) return Radius(host, *d / 2);
                if (point) return Take(host, *point);
                host.Message(t.distanceRequired);
                return Ask(host);
            default: break;
        }
        if (point) return Take(host, *point);
        host.Message(t.pointRequired);
        Ask(host);
    }

    void Click(SimHost& host, Point p) override { Take(host, p); }

private:
    enum class Step { Centre, Radius, Diameter, First3, Second3, Third3, First2, Second2 };

    void Ask(SimHost& host) {
        const EditionTexts& t = host.texts();
        const bool known = host.circleRadius > 0;
        switch (step_) {
            case Step::Centre: return host.Ask(PromptKind::Point, t.circleCentre);
            case Step::Radius:
                return host.Ask(PromptKind::Point, known ? FormatText(t.circleRadiusDefault, {host.ShowLength(host.circleRadius)})
                                                         : std::string(t.circleRadius));
            case Step::Diameter:
                return host.Ask(PromptKind::Point, known ? FormatText(t.circleDiameterDefault,
                                                                      {host.ShowLength(2 * host.circleRadius)})
                                                         : std::string(t.circleDiameter));
            case Step::First3: return host.Ask(PromptKind::Point, t.circleFirstOnCircle);
            case Step::Second3: return host.Ask(PromptKind::Point, t.circleSecondOnCircle);
            case Step::Third3: return host.Ask(PromptKind::Point, t.circleThirdOnCircle);
            case Step::First2: return host.Ask(PromptKind::Point, t.circleFirstDiameterEnd);
            case Step::Second2: return host.Ask(PromptKind::Point, t.circleSecondDiameterEnd);
        }
    }
    void Go(SimHost& host, Step step) {
        step_ = step;
        Ask(host);
    }

    // A point given at the current step.
    void Take(SimHost& host, Point p) {
        switch (step_) {
            case Step::Centre:
                centre_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::Radius);
            case Step::Radius: return Radius(host, Distance(centre_, p));
            case Step::Diameter: return Radius(host, Distance(centre_, p) / 2);
            case Step::First3:
            case Step::First2:
                first_ = p;
                host.SetLastPoint(p);
                return Go(host, step_ == Step::First3 ? Step::Second3 : Step::Second2);
            case Step::Second3:
                second_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::Third3);
            case Step::Third3:
                if (const auto c = Circumcentre(first_, second_, p)) {
                    host.SetLastPoint(p);
                    return Make(host, *c, Distance(*c, p));
                }
                host.Message(host.texts().collinearPoints);
                return Ask(host);
            case Step::Second2:
                if (p == first_) {
                    host.Message(host.texts().scaleNotPositive);
                    return Ask(host);
                }
                host.SetLastPoint(p);
                return Make(host, Point{(first_.x + p.x) / 2, (first_.y + p.y) / 2}, Distance(first_, p) / 2);
        }
    }

    void Radius(SimHost& host, double r) {
        if (!(r > 0)) {
            host.Message(host.texts().scaleNotPositive);
            return Ask(host);
        }
        Make(host, centre_, r);
    }

    void Make(SimHost& host, Point centre, double r) {
        // Points near the ends of the number range give no circle one could draw.
        if (!Finite(centre) || !std::isfinite(r)) {
            host.Message(host.texts().ellipseInvalid);
            return Ask(host);
        }
        host.drawing().AddCircle(centre, r);
        host.circleRadius = r;
        host.FinishCommand();
    }

    Step step_ = Step::Centre;
    Point centre_{};
    Point first_{};
    Point second_{};
};

// ARC: through three points (start, second, end), or by start, centre and end ("c"
// at the second prompt), centre, start and end ("c" at the first), or start, end and
// centre ("e" at the second). With a centre the arc runs counter-clockwise from the
// start; the end point gives only the direction of its end. Three points in a line
// are refused and the end is asked again. Angles are kept in degrees, counter-
// clockwise, each within [0, 360).
class ArcCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().arcStart); }

    void Answer(SimHost& host, const std::string& text) override {
        const std::string word = AsciiLower(text);
        const bool centreWord = word == "c" || word == "center" || word == "centre";
        if (step_ == Step::Start && centreWord) return Go(host, Step::CentreFirst);
        if (step_ == Step::Second && centreWord) return Go(host, Step::CentreAfterStart);
        if (step_ == Step::Second && (word == "e" || word == "end")) return Go(host, Step::EndAfterStart);
        if ((step_ == Step::EndAfterCentre && (word == "a" || word == "l")) ||
            (step_ == Step::CentreAfterEnd && (word == "a" || word == "d" || word == "r"))) {
            host.Message(host.texts().optionNotSupported);
            return Ask(host);
        }
        if (const auto p = host.ParsePoint(text)) return Take(host, *p);
        host.Message(host.texts().pointRequired);
        Ask(host);
    }

    void Click(SimHost& host, Point p) override { Take(host, p); }

private:
    enum class Step { Start, Second, End3, CentreFirst, StartAfterCentre, CentreAfterStart, EndAfterCentre, EndAfterStart, CentreAfterEnd };

    void Ask(SimHost& host) {
        const EditionTexts& t = host.texts();
        std::string_view prompt = t.arcStart;
        switch (step_) {
            case Step::Start: break;
            case Step::Second: prompt = t.arcSecond; break;
            case Step::End3:
            case Step::EndAfterStart: prompt = t.arcEnd; break;
            case Step::CentreFirst:
            case Step::CentreAfterStart: prompt = t.arcCentre; break;
            case Step::StartAfterCentre: prompt = t.arcStartAfterCentre; break;
            case Step::EndAfterCentre: prompt = t.arcEndOrAngle; break;
            case Step::CentreAfterEnd: prompt = t.arcCentreOrOptions; break;
        }
        host.Ask(PromptKind::Point, prompt);
    }
    void Go(SimHost& host, Step step) {
        step_ = step;
        Ask(host);
    }
    // A point that would make an arc of no size, said as AutoCAD says it.
    void Invalid(SimHost& host) {
        host.Message(host.texts().ellipseInvalid);
        Ask(host);
    }

    void Take(SimHost& host, Point p) {
        switch (step_) {
            case Step::Start:
                start_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::Second);
            case Step::Second:
                if (p == start_) return Invalid(host);
                second_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::End3);
            case Step::End3: {
                const auto c = Circumcentre(start_, second_, p);
                if (!c) {
                    host.Message(host.texts().collinearPoints);
                    return Ask(host);
                }
                host.SetLastPoint(p);
                // Counter-clockwise from start to end when the three points turn that
                // way; otherwise the same arc runs counter-clockwise from the end.
                const bool ccw = Turn(start_, second_, p) > 0;
                return Make(host, *c, Distance(*c, start_), ccw ? start_ : p, ccw ? p : start_);
            }
            case Step::CentreFirst:
                centre_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::StartAfterCentre);
            case Step::StartAfterCentre:
                if (p == centre_) return Invalid(host);
                start_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::EndAfterCentre);
            case Step::CentreAfterStart:
                if (p == start_) return Invalid(host);
                centre_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::EndAfterCentre);
            case Step::EndAfterCentre:
                if (p == centre_) return Invalid(host);
                host.SetLastPoint(p);
                return Make(host, centre_, Distance(centre_, start_), start_, p);
            case Step::EndAfterStart:
                if (p == start_) return Invalid(host);
                end_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::CentreAfterEnd);
            case Step::CentreAfterEnd:
                if (p == start_ || p == end_) return Invalid(host);
                host.SetLastPoint(p);
                return Make(host, p, Distance(p, start_), start_, end_);
        }
    }

    // The arc about `centre` counter-clockwise from the direction of `from` to that of `to`.
    void Make(SimHost& host, Point centre, double radius, Point from, Point to) {
        const double start = KeptDegrees(Direction(centre, from));
        const double end = KeptDegrees(Direction(centre, to));
        if (start == end || !Finite(centre) || !std::isfinite(radius) || !(radius > 0) || !std::isfinite(start) ||
            !std::isfinite(end))
            return Invalid(host);
        host.drawing().AddArc(centre, radius, start, end);
        host.FinishCommand();
    }

    Step step_ = Step::Start;
    Point start_{};
    Point second_{};
    Point centre_{};
    Point end_{};
};

// PLINE: one polyline of line and arc segments. Lines by their end points or "l" and
// a length along the last direction; "a" turns to arcs: an end point gives the arc
// tangent to the segment before, "s" an arc through a second point, "ce" an arc about
// a centre, counter-clockwise from the current point to the direction of its end
// point. The first segment's "last direction" is +X. "c" (lines) and "cl" (arcs)
// close it once it has a segment (two points, unlike LINE's two segments), "u" takes
// back a segment, Enter ends it. Widths (H, W) and the other arc options are not drawn
// here and are refused. The polyline is in the drawing from its first segment on, so
// Esc keeps what was drawn; it is one object, its bulges tan(sweep / 4), positive
// counter-clockwise.
class PlineCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().plineStart); }

    void Answer(SimHost& host, const std::string& text) override {
        const std::string word = AsciiLower(text);
        const EditionTexts& t = host.texts();
        const std::optional<Point> point = host.ParsePoint(text);
        switch (step_) {
            case Step::Start: break;
            case Step::Next: return Next(host, text, word, point);
            case Step::Length:
                if (const auto length = ParseReal(text)) return Length(host, *length);
                if (point) return Take(host, *point);
                host.Message(t.distanceRequired);
                return Ask(host);
            case Step::ArcCentreEnd:
                if (word == "a" || word == "l") {
                    host.Message(t.optionNotSupported);
                    return Ask(host);
                }
                break;
            case Step::ArcSecond:
            case Step::ArcThird:
            case Step::ArcCentre: break;
        }
        if (point) return Take(host, *point);
        host.Message(t.pointRequired);
        Ask(host);
    }

    void Click(SimHost& host, Point p) override { Take(host, p); }

private:
    enum class Step { Start, Next, Length, ArcSecond, ArcThird, ArcCentre, ArcCentreEnd };

    std::size_t Segments() const { return vertices_.empty() ? 0 : vertices_.size() - 1; }
    Point Last() const { return vertices_.back(); }

    void Ask(SimHost& host) {
        const EditionTexts& t = host.texts();
        std::string_view prompt;
        switch (step_) {
            case Step::Start: prompt = t.plineStart; break;
            case Step::Next:
                prompt = arcs_ ? (Segments() >= 1 ? t.plineArcEndClose : t.plineArcEnd)
                               : (Segments() >= 1 ? t.plineNextClose : t.plineNext);
                break;
            case Step::Length: prompt = t.plineLength; break;
            case Step::ArcSecond: prompt = t.plineArcSecond; break;
            case Step::ArcThird: prompt = t.plineArcThird; break;
            case Step::ArcCentre: prompt = t.plineArcCentre; break;
            case Step::ArcCentreEnd: prompt = t.arcEndOrAngle; break;
        }
        host.Ask(PromptKind::Point, prompt);
    }
    void Go(SimHost& host, Step step) {
        step_ = step;
        Ask(host);
    }
    void Refuse(SimHost& host, std::string_view message) {
        host.Message(message);
        Go(host, Step::Next);
    }

    // An answer at the next-point prompt of either mode.
    void Next(SimHost& host, const std::string& text, const std::string& word, std::optional<Point> point) {
        const EditionTexts& t = host.texts();
        if (text.empty()) return host.FinishCommand();
        if (word == "u" || word == "undo") return UndoSegment(host);
        if (word == "h" || word == "halfwidth" || word == "w" || word == "width") return Refuse(host, t.optionNotSupported);
        if (!arcs_) {
            if (word == "a" || word == "arc") {
                arcs_ = true;
                return Ask(host);
            }
            if ((word == "c" || word == "close") && Segments() >= 1) return Close(host, 0);
            if (word == "l" || word == "length") return Go(host, Step::Length);
        } else {
            if (word == "l" || word == "line") {
                arcs_ = false;
                return Ask(host);
            }
            if (word == "s" || word == "second") return Go(host, Step::ArcSecond);
            if (word == "ce" || word == "center" || word == "centre") return Go(host, Step::ArcCentre);
            if ((word == "cl" || word == "close") && Segments() >= 1) {
                if (const auto bulge = TangentBulge(vertices_.front())) return Close(host, *bulge);
                return Refuse(host, t.ellipseInvalid);
            }
            if (word == "a" || word == "angle" || word == "d" || word == "direction" || word == "r" || word == "radius")
                return Refuse(host, t.optionNotSupported);
        }
        if (point) return Take(host, *point);
        Refuse(host, t.pointRequired);
    }

    void Take(SimHost& host, Point p) {
        switch (step_) {
            case Step::Start:
                vertices_ = {p};
                directions_ = {0.0};
                host.SetLastPoint(p);
                host.Message(FormatText(host.texts().plineWidth, {host.ShowLength(0)}));
                return Go(host, Step::Next);
            case Step::Next:
                if (!arcs_) return Add(host, p, 0);
                if (const auto bulge = TangentBulge(p)) return Add(host, p, *bulge);
                return Refuse(host, host.texts().ellipseInvalid);
            case Step::Length: return Length(host, Distance(Last(), p));
            case Step::ArcSecond:
                if (p == Last()) {
                    host.Message(host.texts().ellipseInvalid);
                    return Ask(host);
                }
                second_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::ArcThird);
            case Step::ArcThird: {
                if (!Circumcentre(Last(), second_, p)) {
                    host.Message(host.texts().collinearPoints);
                    return Ask(host);
                }
                // The arc through the middle point: the angle at it is half of what
                // the arc leaves of the whole turn, so tan(sweep / 4) = cot(angle / 2).
                const Point a = Last();
                const double angle = std::abs(std::atan2(Turn(second_, a, p), (a.x - second_.x) * (p.x - second_.x) +
                                                                                   (a.y - second_.y) * (p.y - second_.y)));
                const double size = 1 / std::tan(angle / 2);
                return Add(host, p, Turn(a, second_, p) > 0 ? size : -size);
            }
            case Step::ArcCentre:
                if (p == Last()) {
                    host.Message(host.texts().ellipseInvalid);
                    return Ask(host);
                }
                centre_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::ArcCentreEnd);
            case Step::ArcCentreEnd: {
                const double from = Direction(centre_, Last());
                double sweep = std::fmod(Direction(centre_, p) - from, 2 * kPi);
                if (sweep < 0) sweep += 2 * kPi;
                if (p == centre_ || sweep == 0) {
                    host.Message(host.texts().ellipseInvalid);
                    return Ask(host);
                }
                const double r = Distance(centre_, Last());
                const double to = from + sweep;
                return Add(host, Point{centre_.x + r * std::cos(to), centre_.y + r * std::sin(to)}, std::tan(sweep / 4));
            }
        }
    }

    // The bulge of the arc from the current point to `p` that leaves it in the last
    // direction; nullopt when there is none (the same point, or straight behind).
    std::optional<double> TangentBulge(Point p) const {
        const double dx = p.x - Last().x, dy = p.y - Last().y;
        const double t = directions_.back();
        const double along = std::cos(t) * dx + std::sin(t) * dy;
        const double across = std::cos(t) * dy - std::sin(t) * dx;
        if ((dx == 0 && dy == 0) || (across == 0 && along < 0)) return std::nullopt;
        // The chord leaves at half the sweep from the tangent.
        return std::tan(std::atan2(across, along) / 2);
    }

    void Length(SimHost& host, double length) {
        if (length == 0) {
            host.Message(host.texts().scaleNotZero);
            return Ask(host);
        }
        const double t = directions_.back();
        Add(host, Point{Last().x + length * std::cos(t), Last().y + length * std::sin(t)}, 0);
    }

    // A segment from the current point to `p` with the bulge given.
    void Add(SimHost& host, Point p, double bulge) {
        const Point from = Last();
        // Points near the ends of the number range give no segment one could draw.
        if (!Finite(p) || !std::isfinite(bulge)) {
            host.Message(host.texts().ellipseInvalid);
            return Go(host, Step::Next);
        }
        bulges_.push_back(bulge);
        vertices_.push_back(p);
        // The direction at the end: the chord's, turned by half the sweep (2 atan bulge).
        directions_.push_back(p == from ? directions_.back() : Direction(from, p) + 2 * std::atan(bulge));
        host.SetLastPoint(p);
        Sync(host, false, 0);
        Go(host, Step::Next);
    }

    void Close(SimHost& host, double bulge) {
        Sync(host, true, bulge);
        host.FinishCommand();
    }

    void UndoSegment(SimHost& host) {
        if (Segments() == 0) {
            host.Message(host.texts().lineAllUndone);
        } else {
            vertices_.pop_back();
            bulges_.pop_back();
            directions_.pop_back();
            host.SetLastPoint(Last());
            Sync(host, false, 0);
        }
        Go(host, Step::Next);
    }

    // The drawing's polyline made to match what was given so far: none before the
    // first segment.
    void Sync(SimHost& host, bool closed, double closingBulge) {
        Drawing& d = host.drawing();
        if (Segments() == 0) {
            if (id_) d.Erase(*id_);
            id_.reset();
            return;
        }
        std::vector<double> bulges = bulges_;
        bulges.push_back(closed ? closingBulge : 0.0);
        if (std::all_of(bulges.begin(), bulges.end(), [](double b) { return b == 0; })) bulges.clear();
        Entity* e = id_ ? d.Find(*id_) : nullptr;
        if (e == nullptr) {
            Entity fresh;
            fresh.kind = EntityKind::Polyline;
            fresh.layer = d.currentLayer();
            id_ = d.Add(std::move(fresh));
            e = d.Find(*id_);
        }
        e->points = vertices_;
        e->bulges = std::move(bulges);
        e->closed = closed;
    }

    Step step_ = Step::Start;
    bool arcs_ = false;
    std::vector<Point> vertices_;
    std::vector<double> bulges_;      // of the segment that starts at each vertex but the last
    std::vector<double> directions_;  // the direction of travel on arriving at each vertex
    Point second_{};
    Point centre_{};
    std::optional<int> id_;
};

}  // namespace

std::unique_ptr<Command> MakeCircleCommand() { return std::make_unique<CircleCommand>(); }
std::unique_ptr<Command> MakeArcCommand() { return std::make_unique<ArcCommand>(); }
std::unique_ptr<Command> MakePlineCommand() { return std::make_unique<PlineCommand>(); }

}  // namespace tessavue::sim
