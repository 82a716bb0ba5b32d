// The commands that change objects already drawn: ERASE, ROTATE, SCALE, COPY, EXPLODE,
// and U, which takes back a whole command.
#include "command_families.h"

#include <cmath>
#include <numbers>
#include <optional>

#include "edition.h"
#include "text.h"
#include "transform.h"

namespace tessavue::sim {
namespace {

// ERASE: an object selection, then the erasure.
class EraseCommand : public SelectingCommand {
private:
    void Selected(SimHost& host) override {
        for (int id : selector_.selected()) host.drawing().Erase(id);
        host.FinishCommand();
    }
};

// U: undoes the last command and names it on the echo line.
class UndoCommand : public Command {
public:
    void Start(SimHost& host) override {
        const auto name = host.UndoLast();
        host.Append(" ");
        host.Append(name ? *name : std::string(host.texts().undoNothing));
        host.FinishCommand();
    }
    void Answer(SimHost&, const std::string&) override {}
};

// ROTATE: objects, a base point ("@" is the last point), then the angle typed in
// degrees or shown by a pick (the direction from the base point).
class RotateCommand : public Command {
public:
    void Start(SimHost& host) override {
        host.Message(host.texts().angleDirection);
        selector_.Begin(host);
    }

    void Answer(SimHost& host, const std::string& text) override {
        switch (step_) {
            case Step::Objects:
                if (selector_.Answer(host, text)) AfterSelection(host);
                return;
            case Step::Base:
                if (const auto p = host.ParsePoint(text)) {
                    AcceptBase(host, *p);
                } else {
                    host.Message(host.texts().pointRequired);
                    host.Ask(PromptKind::Point, host.texts().rotateBasePoint);
                }
                return;
            case Step::Angle: {
                // The later editions offer 0 as the default angle; the first ones insist.
                const bool hasDefault = host.edition() == Edition::LT2006;
                if (text.empty() && hasDefault) {
                    Turn(host, 0);
                } else if (const auto angle = ParseReal(text)) {
                    Turn(host, *angle);
                } else {
                    host.Message(host.texts().angleRequired);
                    host.Ask(PromptKind::Point, host.texts().rotateAngle);
                }
                return;
            }
        }
    }

    void Click(SimHost& host, Point p) override {
        switch (step_) {
            case Step::Objects:
                if (selector_.Click(host, p)) AfterSelection(host);
                return;
            case Step::Base:
                AcceptBase(host, p);
                return;
            case Step::Angle:
                if (p == base_) return;  // no direction: AutoCAD keeps asking
                Turn(host, std::atan2(p.y - base_.y, p.x - base_.x) * 180.0 / std::numbers::pi);
                return;
        }
    }

    void Window(SimHost& host, Point a, Point b) override {
        if (step_ == Step::Objects && selector_.Window(host, a, b)) AfterSelection(host);
    }

private:
    enum class Step { Objects, Base, Angle };

    void AfterSelection(SimHost& host) {
        if (selector_.selected().empty()) {
            host.FinishCommand();
            return;
        }
        step_ = Step::Base;
        host.Ask(PromptKind::Point, host.texts().rotateBasePoint);
    }

    void AcceptBase(SimHost& host, Point p) {
        base_ = p;
        host.SetLastPoint(p);
        step_ = Step::Angle;
        host.Ask(PromptKind::Point, host.texts().rotateAngle);
    }

    void Turn(SimHost& host, double degrees) {
        for (int id : selector_.selected()) {
            if (Entity* e = host.drawing().Find(id)) RotateEntity(*e, base_, degrees);
        }
        host.FinishCommand();
    }

    Step step_ = Step::Objects;
    Point base_{};
    ObjectSelector selector_;
};

// SCALE: the selected objects about a base point, by a factor (a number, or the
// distance of a point from the base) or by reference ("r": a reference length by a
// number or two points, then the new length by a number or a point's distance from the
// base). A factor that is not positive is refused and asked again.
class ScaleCommand : public SelectingCommand {
public:
    void Answer(SimHost& host, const std::string& text) override {
        if (step_ == Step::Objects) return SelectingCommand::Answer(host, text);
        const std::optional<Point> point = host.ParsePoint(text);
        const std::optional<double> number = ParseReal(text);
        switch (step_) {
            case Step::Base:
                if (point) Base(host, *point);
                else Ask(host, true);
                return;
            case Step::Factor:
                if (AsciiLower(text) == "r") {
                    Go(host, Step::Reference, host.texts().scaleReference);
                } else if (number) {
                    Apply(host, *number);
                } else if (point) {
                    Apply(host, Distance(base_, *point));
                } else {
                    Ask(host, true);
                }
                return;
            case Step::Reference:
                if (text.empty() || number) {
                    reference_ = text.empty() ? 1.0 : *number;
                    Go(host, Step::NewLength, host.texts().scaleNewLength);
                } else if (point) {
                    Take(host, *point);
                } else {
                    Ask(host, true);
                }
                return;
            case Step::ReferenceEnd:
            case Step::NewLength:
                if (number && step_ == Step::NewLength) {
                    NewLength(host, *number);
                } else if (point) {
                    Take(host, *point);
                } else {
                    Ask(host, true);
                }
                return;
            case Step::Objects: return;
        }
    }
    void Click(SimHost& host, Point p) override {
        if (step_ == Step::Objects) return SelectingCommand::Click(host, p);
        Take(host, p);
    }

private:
    enum class Step { Objects, Base, Factor, Reference, ReferenceEnd, NewLength };

    static double Distance(Point a, Point b) { return std::hypot(b.x - a.x, b.y - a.y); }

    void Selected(SimHost& host) override {
        if (selector_.selected().empty()) return host.FinishCommand();
        Go(host, Step::Base, host.texts().scaleBasePoint);
    }
    void Go(SimHost& host, Step step, std::string_view prompt) {
        step_ = step;
        host.Ask(PromptKind::Point, prompt);
    }
    void Ask(SimHost& host, bool wrong) {
        if (wrong) host.Message(host.texts().pointRequired);
        const EditionTexts& t = host.texts();
        switch (step_) {
            case Step::Base: return host.Ask(PromptKind::Point, t.scaleBasePoint);
            case Step::Factor: return host.Ask(PromptKind::Point, t.scaleFactor);
            case Step::Reference: return host.Ask(PromptKind::Point, t.scaleReference);
            case Step::ReferenceEnd: return host.Ask(PromptKind::Point, t.scaleSecondPoint);
            case Step::NewLength: return host.Ask(PromptKind::Point, t.scaleNewLength);
            case Step::Objects: return;
        }
    }
    void Base(SimHost& host, Point p) {
        base_ = p;
        host.SetLastPoint(p);
        Go(host, Step::Factor, host.texts().scaleFactor);
    }
    void Take(SimHost& host, Point p) {
        switch (step_) {
            case Step::Base: return Base(host, p);
            case Step::Factor: return Apply(host, Distance(base_, p));
            case Step::Reference:
                referenceStart_ = p;
                host.SetLastPoint(p);
                return Go(host, Step::ReferenceEnd, host.texts().scaleSecondPoint);
            case Step::ReferenceEnd:
                reference_ = Distance(referenceStart_, p);
                host.SetLastPoint(p);
                return Go(host, Step::NewLength, host.texts().scaleNewLength);
            case Step::NewLength: return NewLength(host, Distance(base_, p));
            case Step::Objects: return;
        }
    }
    void NewLength(SimHost& host, double length) {
        if (reference_ == 0) {
            host.Message(host.texts().scaleNotPositive);
            return Ask(host, false);
        }
        Apply(host, length / reference_);
    }
    void Apply(SimHost& host, double factor) {
        if (!(factor > 0)) {
            host.Message(host.texts().scaleNotPositive);
            return Ask(host, false);
        }
        for (int id : selector_.selected())
            if (Entity* e = host.drawing().Find(id)) ScaleEntity(*e, base_, factor);
        host.FinishCommand();
    }

    Step step_ = Step::Objects;
    Point base_{};
    Point referenceStart_{};
    double reference_ = 1;
};

// COPY: the selected objects copied from a base point to a second point. LT 2000 and
// LT 2002 make one copy; LT 2006 asks for further points until Enter. Enter at the
// first second-point prompt takes the base point as the displacement.
class CopyCommand : public SelectingCommand {
public:
    void Answer(SimHost& host, const std::string& text) override {
        if (step_ == Step::Objects) return SelectingCommand::Answer(host, text);
        if (text.empty()) {
            if (step_ == Step::Second) Copy(host, base_, {0, 0});
            if (step_ != Step::Base) host.FinishCommand();
            else Again(host);
            return;
        }
        if (const auto p = host.ParsePoint(text)) {
            Take(host, *p);
        } else {
            Again(host);
        }
    }
    void Click(SimHost& host, Point p) override {
        if (step_ == Step::Objects) return SelectingCommand::Click(host, p);
        Take(host, p);
    }

private:
    enum class Step { Objects, Base, Second, Next };

    void Selected(SimHost& host) override {
        if (selector_.selected().empty()) return host.FinishCommand();
        step_ = Step::Base;
        host.Ask(PromptKind::Point, host.texts().copyBasePoint);
    }
    void Again(SimHost& host) {
        host.Message(host.texts().pointRequired);
        host.Ask(PromptKind::Point, step_ == Step::Base     ? host.texts().copyBasePoint
                                    : step_ == Step::Second ? host.texts().copySecondPoint
                                                            : host.texts().copyNextPoint);
    }
    void Take(SimHost& host, Point p) {
        if (step_ == Step::Base) {
            base_ = p;
            host.SetLastPoint(p);
            step_ = Step::Second;
            host.Ask(PromptKind::Point, host.texts().copySecondPoint);
            return;
        }
        Copy(host, p, base_);
        host.SetLastPoint(p);
        if (host.edition() != Edition::LT2006) return host.FinishCommand();
        step_ = Step::Next;
        host.Ask(PromptKind::Point, host.texts().copyNextPoint);
    }
    void Copy(SimHost& host, Point to, Point from) {
        std::vector<Entity> copies;
        for (int id : selector_.selected())
            if (const Entity* e = host.drawing().Find(id)) copies.push_back(*e);
        for (Entity& e : copies) {
            MoveEntity(e, {to.x - from.x, to.y - from.y});
            host.drawing().Add(std::move(e));
        }
    }

    Step step_ = Step::Objects;
    Point base_{};
};

// The next name "*E<n>" no block of the drawing has.
std::string FreeAnonymousName(const Drawing& drawing) {
    for (int n = 1;; ++n) {
        const std::string name = "*E" + std::to_string(n);
        if (drawing.FindBlock(name) == nullptr) return name;
    }
}

// EXPLODE: polylines fall into lines, block references into their definition's
// entities carried by the reference's placement. The pieces replace the original at
// the end of the drawing and become the previous selection set.
class ExplodeCommand : public SelectingCommand {
public:

private:
    void Selected(SimHost& host) override {
        Drawing& drawing = host.drawing();
        std::vector<int> pieces;
        int refused = 0;
        for (int id : selector_.selected()) {
            const Entity* e = drawing.Find(id);
            if (e == nullptr) continue;
            std::vector<Entity> parts;
            std::optional<Entity> keeper;
            if (e->kind == EntityKind::Polyline) {
                parts = ExplodePolyline(*e);
            } else if (const Block* picture = e->kind == EntityKind::Dimension ? drawing.FindBlock(e->block) : nullptr) {
                // A dimension falls into the lines, arrowheads and text of its picture.
                parts = picture->entities;
            } else if (const Block* block = e->kind == EntityKind::Insert ? drawing.FindBlock(e->block) : nullptr) {
                Explosion explosion = ExplodeInsert(*e, *block);
                parts = std::move(explosion.entities);
                if (!explosion.leftover.empty()) {
                    // What cannot be exploded exactly goes into an anonymous block,
                    // referenced with the same placement.
                    const std::string name = FreeAnonymousName(drawing);
                    drawing.DefineBlock(Block{name, block->base, std::move(explosion.leftover)});
                    keeper = *e;
                    keeper->block = name;
                }
            } else {
                ++refused;
                continue;
            }
            drawing.Erase(id);
            for (Entity& part : parts) pieces.push_back(drawing.Add(std::move(part)));
            if (keeper) pieces.push_back(drawing.Add(std::move(*keeper)));
        }
        if (refused > 0) host.Message(FormatText(host.texts().explodeRefused, {std::to_string(refused)}));
        if (!pieces.empty()) host.SetPreviousSelection(pieces);
        host.FinishCommand();
    }

};

}  // namespace

std::unique_ptr<Command> MakeEraseCommand() { return std::make_unique<EraseCommand>(); }
std::unique_ptr<Command> MakeUndoCommand() { return std::make_unique<UndoCommand>(); }
std::unique_ptr<Command> MakeRotateCommand() { return std::make_unique<RotateCommand>(); }
std::unique_ptr<Command> MakeScaleCommand() { return std::make_unique<ScaleCommand>(); }
std::unique_ptr<Command> MakeCopyCommand() { return std::make_unique<CopyCommand>(); }
std::unique_ptr<Command> MakeExplodeCommand() { return std::make_unique<ExplodeCommand>(); }

}  // namespace tessavue::sim
