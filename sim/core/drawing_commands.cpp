// The commands that draw: LINE, ELLIPSE, TEXT and DIMLINEAR. Each new object goes on
// the current layer and becomes the last object.
#include "command_families.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "edition.h"
#include "text.h"

namespace tessavue::sim {
namespace {

// LINE: segments are added as they are given and stay when the command is cancelled,
// as in AutoCAD; the whole command is still one undo step.
class LineCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().lineFirstPoint); }

    void Answer(SimHost& host, const std::string& text) override {
        const std::string word = AsciiLower(text);
        if (vertices_.empty()) {
            if (text.empty()) {
                // Enter continues from the end of the last line drawn.
                if (const auto end = host.LastLineEnd()) {
                    AcceptFirst(host, *end);
                } else {
                    host.Message(host.texts().lineNoContinue);
                    host.Ask(PromptKind::Point, host.texts().lineFirstPoint);
                }
                return;
            }
            if (const auto p = host.ParsePoint(text)) {
                AcceptFirst(host, *p);
            } else {
                host.Message(host.texts().pointRequired);
                host.Ask(PromptKind::Point, host.texts().lineFirstPoint);
            }
            return;
        }
        if (text.empty()) {
            host.FinishCommand();
        } else if (word == "u" || word == "undo") {
            UndoSegment(host);
        } else if ((word == "c" || word == "close") && segments_.size() >= 2) {
            AddSegment(host, vertices_.front());
            host.FinishCommand();
        } else if (const auto p = host.ParsePoint(text)) {
            AddSegment(host, *p);
            AskNext(host);
        } else {
            host.Message(host.texts().pointRequired);
            AskNext(host);
        }
    }

    void Click(SimHost& host, Point p) override {
        if (vertices_.empty()) {
            AcceptFirst(host, p);
        } else {
            AddSegment(host, p);
            AskNext(host);
        }
    }

private:
    void AcceptFirst(SimHost& host, Point p) {
        vertices_.push_back(p);
        host.SetLastPoint(p);
        AskNext(host);
    }

    void AddSegment(SimHost& host, Point p) {
        segments_.push_back(host.drawing().AddLine(vertices_.back(), p));
        vertices_.push_back(p);
        host.SetLastPoint(p);
        host.SetLastLineEnd(p);
    }

    void UndoSegment(SimHost& host) {
        if (segments_.empty()) {
            host.Message(host.texts().lineAllUndone);
        } else {
            host.drawing().Erase(segments_.back());
            segments_.pop_back();
            vertices_.pop_back();
            host.SetLastPoint(vertices_.back());
            if (!segments_.empty()) host.SetLastLineEnd(vertices_.back());
        }
        AskNext(host);
    }

    void AskNext(SimHost& host) {
        host.Ask(PromptKind::Point,
                 segments_.size() >= 2 ? host.texts().lineNextPointClose : host.texts().lineNextPoint);
    }

    std::vector<Point> vertices_;
    std::vector<int> segments_;
};

// ELLIPSE: by the centre ("c") or by the two ends of the first axis, then the
// distance to the other axis (a number, or a point whose distance from the first
// axis's line it is); with "a" an arc, whose start and end angles are true angles
// measured counter-clockwise from the first axis. The arc becomes the last object.
class EllipseCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().ellipseAxisEnd); }

    void Answer(SimHost& host, const std::string& text) override {
        const std::string word = AsciiLower(text);
        const std::optional<Point> point = host.ParsePoint(text);
        switch (step_) {
            case Step::First:
                if (word == "a" && !arc_) {
                    arc_ = true;
                    host.Ask(PromptKind::Point, host.texts().ellipseArcAxisEnd);
                } else if (word == "c") {
                    Go(host, Step::Centre, host.texts().ellipseCentre);
                } else if (point) {
                    Take(host, *point);
                } else {
                    Again(host, arc_ ? host.texts().ellipseArcAxisEnd : host.texts().ellipseAxisEnd);
                }
                return;
            case Step::Centre:
            case Step::AxisPoint:
            case Step::SecondEnd:
                if (point) Take(host, *point);
                else Again(host, Prompt(host));
                return;
            case Step::OtherAxis:
                if (const auto distance = ParseReal(text)) {
                    OtherAxis(host, std::abs(*distance));
                } else if (point) {
                    Take(host, *point);
                } else {
                    Again(host, host.texts().ellipseOtherAxis);
                }
                return;
            case Step::StartAngle:
            case Step::EndAngle:
                if (const auto angle = ParseReal(text)) {
                    Angle(host, *angle);
                } else if (point) {
                    Take(host, *point);
                } else {
                    Again(host, Prompt(host));
                }
                return;
        }
    }

    void Click(SimHost& host, Point p) override { Take(host, p); }

private:
    enum class Step { First, SecondEnd, Centre, AxisPoint, OtherAxis, StartAngle, EndAngle };

    std::string_view Prompt(SimHost& host) const {
        const EditionTexts& t = host.texts();
        switch (step_) {
            case Step::Centre: return t.ellipseCentre;
            case Step::AxisPoint:
            case Step::SecondEnd: return t.ellipseAxisPoint;
            case Step::OtherAxis: return t.ellipseOtherAxis;
            case Step::StartAngle: return t.ellipseStartAngle;
            case Step::EndAngle: return t.ellipseEndAngle;
            case Step::First: break;
        }
        return arc_ ? t.ellipseArcAxisEnd : t.ellipseAxisEnd;
    }
    void Go(SimHost& host, Step step, std::string_view prompt) {
        step_ = step;
        host.Ask(PromptKind::Point, prompt);
    }
    void Again(SimHost& host, std::string_view prompt) {
        host.Message(host.texts().pointRequired);
        host.Ask(PromptKind::Point, prompt);
    }

    // A point given at the current step.
    void Take(SimHost& host, Point p) {
        switch (step_) {
            case Step::First:
                first_ = p;
                host.SetLastPoint(p);
                Go(host, Step::SecondEnd, host.texts().ellipseAxisPoint);
                return;
            case Step::SecondEnd:
                if (p == first_) return Invalid(host);
                centre_ = {(first_.x + p.x) / 2, (first_.y + p.y) / 2};
                axis_ = {p.x - centre_.x, p.y - centre_.y};
                host.SetLastPoint(p);
                Go(host, Step::OtherAxis, host.texts().ellipseOtherAxis);
                return;
            case Step::Centre:
                centre_ = p;
                host.SetLastPoint(p);
                Go(host, Step::AxisPoint, host.texts().ellipseAxisPoint);
                return;
            case Step::AxisPoint:
                if (p == centre_) return Invalid(host);
                axis_ = {p.x - centre_.x, p.y - centre_.y};
                host.SetLastPoint(p);
                Go(host, Step::OtherAxis, host.texts().ellipseOtherAxis);
                return;
            case Step::OtherAxis: {
                // The distance of the point from the line of the first axis.
                const double length = std::hypot(axis_.x, axis_.y);
                const double cross = (p.x - centre_.x) * axis_.y - (p.y - centre_.y) * axis_.x;
                host.SetLastPoint(p);
                OtherAxis(host, std::abs(cross) / length);
                return;
            }
            case Step::StartAngle:
            case Step::EndAngle: {
                // A point gives the angle of its direction from the centre, against the first axis.
                const double direction = std::atan2(p.y - centre_.y, p.x - centre_.x) - std::atan2(axis_.y, axis_.x);
                Angle(host, direction * 180 / std::numbers::pi);
                return;
            }
        }
    }
    void Invalid(SimHost& host) {
        host.Message(host.texts().ellipseInvalid);
        host.Ask(PromptKind::Point, Prompt(host));
    }
    void OtherAxis(SimHost& host, double distance) {
        if (distance == 0) return Invalid(host);
        other_ = distance;
        if (!arc_) return Make(host, 0, 360, false);
        Go(host, Step::StartAngle, host.texts().ellipseStartAngle);
    }
    void Angle(SimHost& host, double degrees) {
        if (step_ == Step::StartAngle) {
            start_ = degrees;
            Go(host, Step::EndAngle, host.texts().ellipseEndAngle);
            return;
        }
        Make(host, start_, degrees, true);
    }

    // The ellipse, its major axis the longer one; the true angles from the first axis
    // become parameters on the major axis.
    void Make(SimHost& host, double startTrue, double endTrue, bool isArc) {
        const double first = std::hypot(axis_.x, axis_.y);
        Point major = axis_;
        double ratio = other_ / first;
        double turn = 0;  // the first axis's angle from the major axis
        if (other_ > first) {
            major = {-axis_.y * other_ / first, axis_.x * other_ / first};
            ratio = first / other_;
            turn = 90;
        }
        const double a = std::hypot(major.x, major.y);
        const double b = a * ratio;
        const auto parameter = [&](double trueDegrees) {
            const double phi = (trueDegrees - turn) * std::numbers::pi / 180;
            double t = std::atan2(a * std::sin(phi), b * std::cos(phi)) * 180 / std::numbers::pi;
            if (t < 0) t += 360;
            return t;
        };
        double startParam = 0;
        double endParam = 360;
        const double sweep = endTrue - startTrue;
        if (isArc && std::fmod(std::abs(sweep), 360.0) != 0) {
            startParam = parameter(startTrue);
            endParam = parameter(endTrue);
        } else if (isArc && sweep == 0) {
            return Invalid(host);
        }
        Drawing& d = host.drawing();
        d.AddEllipse(centre_, major, ratio, startParam, endParam);
        host.FinishCommand();
    }

    Step step_ = Step::First;
    bool arc_ = false;
    Point first_{};
    Point centre_{};
    Point axis_{};
    double other_ = 0;
    double start_ = 0;
};

// TEXT and -TEXT: the start point (it becomes the last point), the height (Enter keeps
// the current one), the angle (Enter keeps the last one), then the text, which only a
// carriage return ends. An empty text makes nothing; a text becomes the last object.
class TextCommand : public Command {
public:
    void Start(SimHost& host) override {
        host.Message(FormatText(host.texts().textCurrentStyle, {host.ShowLength(host.textHeight)}));
        host.Ask(PromptKind::Point, host.texts().textStartPoint);
    }

    void Answer(SimHost& host, const std::string& text) override {
        switch (step_) {
            case Step::Start:
                if (const auto p = host.ParsePoint(text)) {
                    Take(host, *p);
                } else {
                    host.Message(host.texts().pointRequired);
                    host.Ask(PromptKind::Point, host.texts().textStartPoint);
                }
                return;
            case Step::Height:
                if (text.empty()) return Height(host, host.textHeight);
                if (const auto h = ParseReal(text); h && *h > 0) return Height(host, *h);
                if (const auto p = host.ParsePoint(text)) return Take(host, *p);
                host.Message(host.texts().pointRequired);
                return AskHeight(host);
            case Step::Angle:
                if (text.empty()) return Angle(host, host.textAngle);
                if (const auto a = ParseReal(text)) return Angle(host, *a);
                if (const auto p = host.ParsePoint(text)) return Take(host, *p);
                host.Message(host.texts().angleRequired);
                return AskAngle(host);
            case Step::Value:
                if (!text.empty()) {
                    Entity e;
                    e.kind = EntityKind::Text;
                    e.layer = host.drawing().currentLayer();
                    e.points = {start_};
                    e.height = height_;
                    e.rotation = angle_;
                    e.text = text;
                    host.drawing().Add(std::move(e));
                }
                host.FinishCommand();
                return;
        }
    }

    void Click(SimHost& host, Point p) override {
        if (step_ != Step::Value) Take(host, p);
    }

private:
    enum class Step { Start, Height, Angle, Value };

    void Take(SimHost& host, Point p) {
        switch (step_) {
            case Step::Start:
                start_ = p;
                host.SetLastPoint(p);
                step_ = Step::Height;
                return AskHeight(host);
            case Step::Height:
                return Height(host, std::hypot(p.x - start_.x, p.y - start_.y));
            case Step::Angle:
                return Angle(host, std::atan2(p.y - start_.y, p.x - start_.x) * 180 / std::numbers::pi);
            case Step::Value: return;
        }
    }
    void AskHeight(SimHost& host) {
        host.Ask(PromptKind::Point, FormatText(host.texts().textHeight, {host.ShowLength(host.textHeight)}));
    }
    void AskAngle(SimHost& host) {
        host.Ask(PromptKind::Point, FormatText(host.texts().textAngle, {FormatDecimal(host.textAngle, 0)}));
    }
    void Height(SimHost& host, double h) {
        if (h <= 0) return AskHeight(host);
        height_ = h;
        host.textHeight = h;
        step_ = Step::Angle;
        AskAngle(host);
    }
    void Angle(SimHost& host, double degrees) {
        angle_ = degrees;
        host.textAngle = degrees;
        step_ = Step::Value;
        host.Ask(PromptKind::Text, host.texts().textValue, true);
    }

    Step step_ = Step::Start;
    Point start_{};
    double height_ = 2.5;
    double angle_ = 0;
};

// DIMLINEAR from three points: the two measured points and the dimension line's
// place. A horizontal dimension unless the place lies beside the points and between
// them in Y (or the points share their X), then a vertical one. The dimension is one
// object whose picture, an anonymous "*D" block, holds the dimension line, the two
// extension lines, two filled arrowheads and the measured text, which is decimal with
// the drawing's DIMDEC decimals whatever LUNITS and LUPREC say.
class DimLinearCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().dimFirstOrigin); }

    void Answer(SimHost& host, const std::string& text) override {
        if (const auto p = host.ParsePoint(text)) return Click(host, *p);
        host.Message(host.texts().pointRequired);
        Ask(host);
    }

    void Click(SimHost& host, Point p) override {
        points_.push_back(p);
        host.SetLastPoint(p);
        if (points_.size() < 3) return Ask(host);
        Make(host);
        host.FinishCommand();
    }

private:
    void Ask(SimHost& host) {
        const EditionTexts& t = host.texts();
        host.Ask(PromptKind::Point, points_.empty()        ? t.dimFirstOrigin
                                    : points_.size() == 1 ? t.dimSecondOrigin
                                                          : t.dimLinePosition);
    }

    void Make(SimHost& host) {
        const Point a = points_[0];
        const Point b = points_[1];
        const Point at = points_[2];
        const bool beside = at.x < std::min(a.x, b.x) || at.x > std::max(a.x, b.x);
        const bool between = at.y >= std::min(a.y, b.y) && at.y <= std::max(a.y, b.y);
        const bool vertical = a.x == b.x || (beside && between);
        // The dimension line's ends, square to the measured direction.
        const Point d1 = vertical ? Point{at.x, a.y} : Point{a.x, at.y};
        const Point d2 = vertical ? Point{at.x, b.y} : Point{b.x, at.y};
        const double length = vertical ? std::abs(b.y - a.y) : std::abs(b.x - a.x);
        const std::string measured = FormatDecimal(length, host.drawing().dimensionDecimals);
        const std::string layer = host.drawing().currentLayer();
        constexpr double kArrow = 2.5;
        constexpr double kTextHeight = 2.5;
        std::vector<Entity> picture;
        const auto line = [&](Point p, Point q) {
            Entity e;
            e.kind = EntityKind::Line;
            e.layer = layer;
            e.points = {p, q};
            picture.push_back(e);
        };
        line(d1, d2);
        line(a, d1);
        line(b, d2);
        // Arrowheads pointing out at each end of the dimension line.
        const double lx = d2.x - d1.x;
        const double ly = d2.y - d1.y;
        const double span = std::hypot(lx, ly);
        const Point u = span > 0 ? Point{lx / span, ly / span} : Point{1, 0};
        const Point n{-u.y, u.x};
        for (const auto& [tip, inward] : {std::pair{d1, 1.0}, std::pair{d2, -1.0}}) {
            const Point base{tip.x + inward * kArrow * u.x, tip.y + inward * kArrow * u.y};
            const double w = kArrow / 6;
            Entity solid;
            solid.kind = EntityKind::Solid;
            solid.layer = layer;
            const Point left{base.x + w * n.x, base.y + w * n.y};
            const Point right{base.x - w * n.x, base.y - w * n.y};
            solid.points = {tip, left, right, right};
            picture.push_back(solid);
        }
        // The measurement above the middle of the line, along it.
        Entity value;
        value.kind = EntityKind::Text;
        value.layer = layer;
        value.height = kTextHeight;
        value.rotation = std::atan2(u.y, u.x) * 180 / std::numbers::pi;
        value.text = measured;
        const double width = kTextHeight * 0.8 * static_cast<double>(measured.size());
        const Point middle{(d1.x + d2.x) / 2, (d1.y + d2.y) / 2};
        value.points = {Point{middle.x - width / 2 * u.x + kTextHeight / 2 * n.x,
                              middle.y - width / 2 * u.y + kTextHeight / 2 * n.y}};
        picture.push_back(value);

        Drawing& drawing = host.drawing();
        std::string name;
        for (int k = 1;; ++k) {
            name = "*D" + std::to_string(k);
            if (drawing.FindBlock(name) == nullptr) break;
        }
        drawing.DefineBlock(Block{name, {0, 0}, std::move(picture)});
        Entity dimension;
        dimension.kind = EntityKind::Dimension;
        dimension.layer = layer;
        dimension.block = name;
        dimension.text = measured;
        dimension.points = {a, b, d1, d2, middle};
        drawing.Add(std::move(dimension));
        host.Message(FormatText(host.texts().dimMeasured, {measured}));
    }

    std::vector<Point> points_;
};

}  // namespace

std::unique_ptr<Command> MakeLineCommand() { return std::make_unique<LineCommand>(); }
std::unique_ptr<Command> MakeEllipseCommand() { return std::make_unique<EllipseCommand>(); }
std::unique_ptr<Command> MakeTextCommand() { return std::make_unique<TextCommand>(); }
std::unique_ptr<Command> MakeDimLinearCommand() { return std::make_unique<DimLinearCommand>(); }

}  // namespace tessavue::sim
