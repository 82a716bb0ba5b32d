#include "commands.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cmath>
#include <numbers>
#include <optional>
#include <sstream>
#include <fstream>
#include <functional>
#include <map>

#include "dxf_file.h"
#include "text.h"
#include "transform.h"

namespace tessavue::sim {
namespace {

std::string FormatPoint(Point p) {
    return FormatDecimal(p.x) + "," + FormatDecimal(p.y) + "," + FormatDecimal(0.0);
}

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
            if (const auto p = ParsePointInput(text, host.LastPoint())) {
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
        } else if (const auto p = ParsePointInput(text, host.LastPoint())) {
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

// A command that begins with an object selection and acts once the selection ends.
class SelectingCommand : public Command {
public:
    void Start(SimHost& host) override { selector_.Begin(host); }
    void Answer(SimHost& host, const std::string& text) override {
        if (selector_.Answer(host, text)) Selected(host);
    }
    void Click(SimHost& host, Point p) override {
        if (selector_.Click(host, p)) Selected(host);
    }
    void Window(SimHost& host, Point a, Point b) override {
        if (selector_.Window(host, a, b)) Selected(host);
    }

protected:
    virtual void Selected(SimHost& host) = 0;
    ObjectSelector selector_;
};

// ERASE and SELECT: an object selection, then (for ERASE) the erasure.
class SelectionCommand : public SelectingCommand {
public:
    explicit SelectionCommand(bool erase) : erase_(erase) {}


private:
    void Selected(SimHost& host) override {
        if (erase_) {
            for (int id : selector_.selected()) host.drawing().Erase(id);
        }
        host.FinishCommand();
    }

    bool erase_;
};

// LIST: an object selection, then each selected object as AutoCAD lists it, in the
// order of the selection set, with coordinates and lengths under the drawing's unit
// precision. An empty selection lists nothing.
class ListCommand : public SelectingCommand {
public:

private:
    void Selected(SimHost& host) override {
        for (int id : selector_.selected()) {
            if (const Entity* e = host.drawing().Find(id)) List(host, *e);
        }
        host.FinishCommand();
    }

    static void List(SimHost& host, const Entity& entity) {
        const EditionTexts& t = host.texts();
        const int decimals = host.drawing().unitPrecision;
        const auto number = [decimals](double v) {
            std::string text = FormatDecimal(v, decimals);
            if (text.size() < 9) text.insert(0, 9 - text.size(), ' ');
            return text;
        };
        const auto point = [&](std::string_view pattern, Point p) {
            host.Message(FormatText(pattern, {number(p.x), number(p.y), number(0)}));
        };
        const Entity e = entity.kind == EntityKind::Circle || entity.kind == EntityKind::Arc ? ToWorld(entity) : entity;
        std::string_view name = t.listLine;
        switch (e.kind) {
            case EntityKind::Line: name = t.listLine; break;
            case EntityKind::Circle: name = t.listCircle; break;
            case EntityKind::Arc: name = t.listArc; break;
            case EntityKind::Ellipse: name = t.listEllipse; break;
            case EntityKind::Polyline: name = t.listPolyline; break;
            case EntityKind::Text: name = t.listText; break;
            case EntityKind::Insert: name = t.listInsert; break;
            case EntityKind::Solid: name = t.listSolid; break;
            case EntityKind::Dimension: name = t.listDimension; break;
        }
        char handle[16];
        std::snprintf(handle, sizeof handle, "%X", static_cast<unsigned>(e.id));
        host.Message(FormatText(t.listHeader, {std::string(name), e.layer}));
        host.Message(t.listSpace);
        host.Message(FormatText(t.listHandle, {handle}));
        constexpr double kPi = 3.14159265358979323846;
        switch (e.kind) {
            case EntityKind::Line: {
                const Point a = e.points[0];
                const Point b = e.points[1];
                point(t.listFromPoint, a);
                point(t.listToPoint, b);
                double angle = std::atan2(b.y - a.y, b.x - a.x) * 180 / kPi;
                if (angle < 0) angle += 360;
                std::string degrees = FormatDecimal(angle, 0);
                if (degrees.size() < 7) degrees.insert(0, 7 - degrees.size(), ' ');
                host.Message(FormatText(t.listLength, {number(std::hypot(b.x - a.x, b.y - a.y)), degrees}));
                host.Message(FormatText(t.listDelta, {number(b.x - a.x), number(b.y - a.y), number(0)}));
                break;
            }
            case EntityKind::Circle:
                point(t.listCentre, e.points[0]);
                host.Message(FormatText(t.listRadius, {number(e.radius)}));
                host.Message(FormatText(t.listCircumference, {number(2 * kPi * e.radius)}));
                host.Message(FormatText(t.listArea, {number(kPi * e.radius * e.radius)}));
                break;
            case EntityKind::Arc:
                point(t.listCentre, e.points[0]);
                host.Message(FormatText(t.listRadius, {number(e.radius)}));
                host.Message(FormatText(t.listStartAngle, {FormatDecimal(e.startAngle, 0)}));
                host.Message(FormatText(t.listEndAngle, {FormatDecimal(e.endAngle, 0)}));
                break;
            case EntityKind::Ellipse:
                point(t.listCentre, e.points[0]);
                break;
            case EntityKind::Polyline:
                for (const Point& v : e.points) point(t.listVertex, v);
                break;
            case EntityKind::Text:
                point(t.listFromPoint, e.points[0]);
                host.Message(FormatText(t.listTextValue, {e.text}));
                break;
            case EntityKind::Insert:
                host.Message(FormatText(t.listBlockName, {e.block}));
                point(t.listInsertPoint, e.points[0]);
                break;
            case EntityKind::Solid:
                for (const Point& v : e.points) point(t.listVertex, v);
                break;
            case EntityKind::Dimension:
                host.Message(FormatText(t.listBlockName, {e.block}));
                if (e.points.size() >= 2) {
                    point(t.listVertex, e.points[0]);
                    point(t.listVertex, e.points[1]);
                }
                host.Message(FormatText(t.listTextValue, {e.text}));
                break;
        }
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

// ID: shows the coordinates of a point and makes it the last point.
class IdCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().idPoint); }

    void Answer(SimHost& host, const std::string& text) override {
        if (text.empty()) {
            host.FinishCommand();
        } else if (const auto p = ParsePointInput(text, host.LastPoint())) {
            Show(host, *p);
        } else {
            host.Message(host.texts().pointRequired);
            host.Ask(PromptKind::Point, host.texts().idPoint);
        }
    }

    void Click(SimHost& host, Point p) override { Show(host, p); }

private:
    static void Show(SimHost& host, Point p) {
        host.SetLastPoint(p);
        host.Message(FormatText(host.texts().idResult, {FormatDecimal(p.x), FormatDecimal(p.y), FormatDecimal(0.0)}));
        host.FinishCommand();
    }
};

// The LASTPOINT system variable typed as a command: shows its value, Enter keeps it.
class LastPointCommand : public Command {
public:
    void Start(SimHost& host) override { Prompt(host); }

    void Answer(SimHost& host, const std::string& text) override {
        if (text.empty()) {
            host.FinishCommand();
        } else if (const auto p = ParsePointInput(text, host.LastPoint())) {
            host.SetLastPoint(*p);
            host.FinishCommand();
        } else {
            host.Message(host.texts().pointRequired);
            Prompt(host);
        }
    }

    void Click(SimHost& host, Point p) override {
        host.SetLastPoint(p);
        host.FinishCommand();
    }

private:
    static void Prompt(SimHost& host) {
        host.Ask(PromptKind::Point, FormatText(host.texts().lastPointPrompt, {FormatPoint(host.LastPoint())}));
    }
};

// COPYHIST: the whole history, this command's echo line included, onto the clipboard.
class CopyHistCommand : public Command {
public:
    void Start(SimHost& host) override {
        if (host.setClipboard) host.setClipboard(host.HistoryText());
        host.FinishCommand();
    }
    void Answer(SimHost&, const std::string&) override {}
};

// -LAYER, its set (S) and make (M) options: layer names may hold blanks, so their
// prompts end only at a carriage return.
class LayerCommand : public Command {
public:
    void Start(SimHost& host) override {
        host.Message(FormatText(host.texts().layerCurrent, {host.drawing().currentLayer()}));
        AskOption(host);
    }

    void Answer(SimHost& host, const std::string& text) override {
        const auto& t = host.texts();
        const std::string current = host.drawing().currentLayer();
        switch (step_) {
            case Step::Option: {
                const std::string word = AsciiLower(text);
                if (text.empty()) {
                    host.FinishCommand();
                } else if (word == "s" || word == "set") {
                    step_ = Step::SetName;
                    host.Ask(PromptKind::Text, FormatText(t.layerSetName, {current}), true);
                } else if (word == "m" || word == "make") {
                    step_ = Step::MakeName;
                    host.Ask(PromptKind::Text, FormatText(t.layerMakeName, {current}), true);
                } else {
                    host.Message(t.pointRequired);
                    AskOption(host);
                }
                break;
            }
            case Step::SetName:
                if (text.empty()) {
                    AskOption(host);
                } else if (host.drawing().SetCurrentLayer(text)) {
                    AskOption(host);
                } else {
                    host.Message(FormatText(t.layerNotFound, {text}));
                    host.Ask(PromptKind::Text, FormatText(t.layerSetName, {current}), true);
                }
                break;
            case Step::MakeName:
                if (!text.empty()) {
                    host.drawing().AddLayer(text);
                    host.drawing().SetCurrentLayer(text);
                }
                AskOption(host);
                break;
        }
    }

private:
    enum class Step { Option, SetName, MakeName };

    void AskOption(SimHost& host) {
        step_ = Step::Option;
        host.Ask(PromptKind::Text, host.texts().layerOptions);
    }

    Step step_ = Step::Option;
};

// FILEDIA typed as a command: shows its value, takes 0 or 1, Enter keeps it.
class FiledialogCommand : public Command {
public:
    void Start(SimHost& host) override { Prompt(host); }
    void Answer(SimHost& host, const std::string& text) override {
        if (text == "0" || text == "1") {
            host.filedia = text == "1" ? 1 : 0;
        } else if (!text.empty()) {
            host.Message(host.texts().sysvarRange);
            Prompt(host);
            return;
        }
        host.FinishCommand();
    }

private:
    static void Prompt(SimHost& host) {
        host.Ask(PromptKind::Text, FormatText(host.texts().sysvarNewValue, {"FILEDIA", std::to_string(host.filedia)}));
    }
};

// DXFOUT as AutoCAD asks it with FILEDIA 0: the file name (to the carriage return),
// then the accuracy prompt, which also offers the objects and version options; the
// accuracy answer writes the file. Without the objects option the whole drawing goes.
class DxfOutCommand : public Command {
public:
    void Start(SimHost& host) override {
        if (host.filedia != 0) {
            // The file dialog would open; typed text cannot reach it. The command is
            // left at once so the palette's typing shows up as unknown commands.
            host.Message(host.texts().dxfoutDialog);
            host.FinishCommand();
            return;
        }
        step_ = Step::FileName;
        // The file name may hold blanks: only a carriage return ends it.
        host.AskOnSameLine(PromptKind::Text, host.texts().dxfoutFileName, true);
    }

    void Answer(SimHost& host, const std::string& text) override {
        switch (step_) {
            case Step::FileName:
                fileName_ = text.empty() ? std::string("Drawing1.dxf") : text;
                if (fileName_.find('.') == std::string::npos) fileName_ += ".dxf";
                if (std::error_code ignored; std::filesystem::exists(host.PathFromText(fileName_), ignored)) {
                    // An existing file is replaced only when the user says so.
                    step_ = Step::Replace;
                    host.Ask(PromptKind::Text, FormatText(host.texts().dxfoutReplace, {fileName_}));
                    return;
                }
                AskAccuracy(host);
                return;
            case Step::Replace: {
                const std::string word = AsciiLower(text);
                if (word == "y" || word == "yes") {
                    AskAccuracy(host);
                } else {
                    host.FinishCommand();
                }
                return;
            }
            case Step::Objects:
                if (selector_.Answer(host, text)) AfterSelection(host);
                return;
            case Step::Version: {
                const std::string word = AsciiLower(text);
                if (word == "r12") {
                    version_ = DxfVersion::R12;
                } else if (word == "2000" || word.empty()) {
                    version_ = DxfVersion::R2000;
                } else {
                    host.Message(host.texts().dxfoutBadAnswer);
                    host.Ask(PromptKind::Text, host.texts().dxfoutVersion);
                    return;
                }
                AskAccuracy(host);
                return;
            }
            case Step::Accuracy:
                break;
        }
        const std::string word = AsciiLower(text);
        if (word == "o" && !ids_) {
            step_ = Step::Objects;
            selector_.Begin(host);
            return;
        }
        if (word == "v") {
            step_ = Step::Version;
            host.Ask(PromptKind::Text, host.texts().dxfoutVersion);
            return;
        }
        int decimals = 16;
        if (!text.empty()) {
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), decimals);
            if (error != std::errc() || end != text.data() + text.size() || decimals < 0 || decimals > 16) {
                host.Message(host.texts().dxfoutBadAnswer);
                AskAccuracy(host);
                return;
            }
        }
        Write(host, decimals);
        host.FinishCommand();
    }

    void Click(SimHost& host, Point p) override {
        if (step_ == Step::Objects && selector_.Click(host, p)) AfterSelection(host);
    }
    void Window(SimHost& host, Point a, Point b) override {
        if (step_ == Step::Objects && selector_.Window(host, a, b)) AfterSelection(host);
    }

private:
    enum class Step { FileName, Replace, Accuracy, Objects, Version };

    void AskAccuracy(SimHost& host) {
        step_ = Step::Accuracy;
        host.Ask(PromptKind::Text, ids_ ? host.texts().dxfoutAccuracyObjects : host.texts().dxfoutAccuracy);
    }

    void AfterSelection(SimHost& host) {
        ids_ = selector_.selected();
        AskAccuracy(host);
    }

    void Write(SimHost& host, int decimals) {
        const std::filesystem::path path = host.PathFromText(fileName_);
        const std::string text = WriteDxf(host.drawing(), ids_, version_, decimals);
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(text.data(), static_cast<std::streamsize>(text.size()));
        out.close();
        if (!out) {
            host.Message(FormatText(host.texts().dxfoutCannotWrite, {fileName_}));
            return;
        }
        host.writtenFiles.push_back(path);
    }

    Step step_ = Step::FileName;
    std::string fileName_;
    std::optional<std::vector<int>> ids_;
    DxfVersion version_ = DxfVersion::R2000;
    ObjectSelector selector_;
};


std::optional<double> ParseReal(const std::string& text) {
    std::string_view view = text;
    if (!view.empty() && view.front() == '+') view.remove_prefix(1);
    if (view.empty()) return std::nullopt;
    double value = 0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    if (error != std::errc() || end != view.data() + view.size() || !std::isfinite(value)) return std::nullopt;
    return value;
}

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
                if (const auto p = ParsePointInput(text, host.LastPoint())) {
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

// ELLIPSE: by the centre ("c") or by the two ends of the first axis, then the
// distance to the other axis (a number, or a point whose distance from the first
// axis's line it is); with "a" an arc, whose start and end angles are true angles
// measured counter-clockwise from the first axis. The arc becomes the last object.
class EllipseCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().ellipseAxisEnd); }

    void Answer(SimHost& host, const std::string& text) override {
        const std::string word = AsciiLower(text);
        const std::optional<Point> point = ParsePointInput(text, host.LastPoint());
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

// SCALE: the selected objects about a base point, by a factor (a number, or the
// distance of a point from the base) or by reference ("r": a reference length by a
// number or two points, then the new length by a number or a point's distance from the
// base). A factor that is not positive is refused and asked again.
class ScaleCommand : public SelectingCommand {
public:
    void Answer(SimHost& host, const std::string& text) override {
        if (step_ == Step::Objects) return SelectingCommand::Answer(host, text);
        const std::optional<Point> point = ParsePointInput(text, host.LastPoint());
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
        if (const auto p = ParsePointInput(text, host.LastPoint())) {
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

// TEXT and -TEXT: the start point (it becomes the last point), the height (Enter keeps
// the current one), the angle (Enter keeps the last one), then the text, which only a
// carriage return ends. An empty text makes nothing; a text becomes the last object.
class TextCommand : public Command {
public:
    void Start(SimHost& host) override {
        host.Message(FormatText(host.texts().textCurrentStyle, {FormatDecimal(host.textHeight)}));
        host.Ask(PromptKind::Point, host.texts().textStartPoint);
    }

    void Answer(SimHost& host, const std::string& text) override {
        switch (step_) {
            case Step::Start:
                if (const auto p = ParsePointInput(text, host.LastPoint())) {
                    Take(host, *p);
                } else {
                    host.Message(host.texts().pointRequired);
                    host.Ask(PromptKind::Point, host.texts().textStartPoint);
                }
                return;
            case Step::Height:
                if (text.empty()) return Height(host, host.textHeight);
                if (const auto h = ParseReal(text); h && *h > 0) return Height(host, *h);
                if (const auto p = ParsePointInput(text, host.LastPoint())) return Take(host, *p);
                host.Message(host.texts().pointRequired);
                return AskHeight(host);
            case Step::Angle:
                if (text.empty()) return Angle(host, host.textAngle);
                if (const auto a = ParseReal(text)) return Angle(host, *a);
                if (const auto p = ParsePointInput(text, host.LastPoint())) return Take(host, *p);
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
        host.Ask(PromptKind::Point, FormatText(host.texts().textHeight, {FormatDecimal(host.textHeight)}));
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
// extension lines, two filled arrowheads and the measured text.
class DimLinearCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().dimFirstOrigin); }

    void Answer(SimHost& host, const std::string& text) override {
        if (const auto p = ParsePointInput(text, host.LastPoint())) return Click(host, *p);
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
        const std::string measured = FormatDecimal(length, host.drawing().unitPrecision);
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

// Where the last name of a typed path starts and where its extension's dot is (npos
// when it has none). Walked byte-wise with Shift-JIS in mind: a second byte can be 5C.
std::pair<std::size_t, std::size_t> SplitPathText(const std::string& text) {
    std::size_t nameStart = 0;
    std::size_t dot = std::string::npos;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (IsShiftJisLead(c)) {
            ++i;
        } else if (c == '\\' || c == '/' || c == ':') {
            nameStart = i + 1;
            dot = std::string::npos;
        } else if (c == '.') {
            dot = i;
        }
    }
    return {nameStart, dot};
}

// The block name a typed file path gives: the path without its folders and extension.
std::string BlockNameOfPath(const std::string& text) {
    const auto [nameStart, dot] = SplitPathText(text);
    const std::size_t end = dot == std::string::npos ? text.size() : dot;
    return text.substr(nameStart, end - nameStart);
}

bool LooksLikePath(const std::string& text) { return BlockNameOfPath(text) != text; }

// -INSERT on the command line: a block name or a drawing file's path (ended by a
// carriage return, as it may hold blanks), then the insertion point, before which the
// X, Y and R options preset the scales and the rotation. A file becomes a block named
// after the file; its layers and the blocks it refers to come along.
// A name that is neither a block nor a readable file ends the command with the reason.
class InsertCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Text, host.texts().insertBlockName, true); }

    void Answer(SimHost& host, const std::string& text) override {
        const auto& t = host.texts();
        switch (step_) {
            case Step::Name:
                AcceptName(host, text);
                return;
            case Step::Redefine: {
                const std::string word = AsciiLower(text);
                if (word == "y" || word == "yes") {
                    if (!LoadFile(host)) return;
                } else if (!text.empty() && word != "n" && word != "no") {
                    host.Message(t.invalidKeyword);
                    host.Ask(PromptKind::Text, FormatText(t.insertRedefine, {block_}));
                    return;
                }
                AskPoint(host);
                return;
            }
            case Step::Point: {
                const std::string word = AsciiLower(text);
                if (word == "x") {
                    Ask(host, Step::XScale, t.insertXScale);
                } else if (word == "y") {
                    Ask(host, Step::YScale, t.insertYScale);
                } else if (word == "r") {
                    Ask(host, Step::Rotation, t.insertRotation);
                } else if (const auto p = ParsePointInput(text, host.LastPoint())) {
                    Place(host, *p);
                } else {
                    host.Message(t.pointRequired);
                    AskPoint(host);
                }
                return;
            }
            case Step::XScale:
            case Step::YScale:
            case Step::Rotation:
                AcceptValue(host, text);
                return;
        }
    }

    void Click(SimHost& host, Point p) override {
        if (step_ == Step::Point) Place(host, p);
    }

private:
    enum class Step { Name, Redefine, Point, XScale, YScale, Rotation };

    void Ask(SimHost& host, Step step, std::string_view prompt) {
        step_ = step;
        host.Ask(PromptKind::Text, prompt);
    }

    void AskPoint(SimHost& host) {
        step_ = Step::Point;
        host.Ask(PromptKind::Point, host.texts().insertPoint);
    }

    void AcceptName(SimHost& host, const std::string& text) {
        if (text.empty()) {
            host.Ask(PromptKind::Text, host.texts().insertBlockName, true);
            return;
        }
        typed_ = text;
        block_ = BlockNameOfPath(text);
        const bool existing = host.drawing().FindBlock(block_) != nullptr;
        if (existing && !LooksLikePath(text)) {
            AskPoint(host);
        } else if (existing) {
            step_ = Step::Redefine;
            host.Ask(PromptKind::Text, FormatText(host.texts().insertRedefine, {block_}));
        } else if (LoadFile(host)) {
            AskPoint(host);
        }
    }

    // Reads the file into the block definition; false (the command ended, with the
    // reason shown) when it cannot.
    bool LoadFile(SimHost& host) {
        std::string fileText = typed_;
        // A name without an extension means a drawing file; the stand-in reads DXF only.
        if (SplitPathText(typed_).second == std::string::npos) fileText += ".dwg";
        const std::filesystem::path path = host.PathFromText(fileText);
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            host.Message(FormatText(host.texts().insertFileNotFound, {typed_}));
            host.FinishCommand();
            return false;
        }
        std::ostringstream content;
        content << in.rdbuf();
        const auto file = ReadDxf(content.str());
        if (!file) {
            host.Message(FormatText(host.texts().insertBadFile, {typed_}));
            host.FinishCommand();
            return false;
        }
        Drawing& drawing = host.drawing();
        for (const Layer& layer : file->layers) {
            if (drawing.FindLayer(layer.name) == nullptr) drawing.AddLayer(layer.name).color = layer.color;
        }
        // Blocks the file's entities refer to come along unless the drawing has its own.
        for (const Block& nested : file->blocks) {
            if (drawing.FindBlock(nested.name) == nullptr) drawing.DefineBlock(nested);
        }
        // The file's origin is the block's base point.
        drawing.DefineBlock(Block{block_, Point{0, 0}, file->entities});
        return true;
    }

    void AcceptValue(SimHost& host, const std::string& text) {
        const auto& t = host.texts();
        const std::string_view prompt = step_ == Step::XScale   ? t.insertXScale
                                        : step_ == Step::YScale ? t.insertYScale
                                                                : t.insertRotation;
        std::optional<double> value = text.empty() ? std::optional<double>(step_ == Step::Rotation ? 0.0 : 1.0)
                                                   : ParseReal(text);
        if (!value) {
            host.Message(t.numberRequired);
            host.Ask(PromptKind::Text, prompt);
            return;
        }
        if (step_ == Step::Rotation) {
            rotation_ = *value;
        } else if (*value == 0) {
            host.Message(t.scaleNotZero);
            host.Ask(PromptKind::Text, prompt);
            return;
        } else if (step_ == Step::XScale) {
            scaleX_ = *value;
        } else {
            scaleY_ = *value;
        }
        AskPoint(host);
    }

    void Place(SimHost& host, Point p) {
        host.drawing().AddInsert(block_, p, scaleX_, scaleY_, rotation_);
        host.SetLastPoint(p);
        host.FinishCommand();
    }

    Step step_ = Step::Name;
    std::string typed_;
    std::string block_;
    double scaleX_ = 1;
    double scaleY_ = 1;
    double rotation_ = 0;
};

// A name matched against one pattern of AutoCAD's wildcards: "*" any run, "?" any one
// character; ASCII letters without regard to case.
bool MatchesWildcard(const std::string& name, const std::string& pattern) {
    const std::string n = AsciiUpper(name);
    const std::string p = AsciiUpper(pattern);
    std::size_t ni = 0, pi = 0, starP = std::string::npos, starN = 0;
    while (ni < n.size()) {
        if (pi < p.size() && (p[pi] == '?' || p[pi] == n[ni])) {
            ++ni;
            ++pi;
        } else if (pi < p.size() && p[pi] == '*') {
            starP = pi++;
            starN = ni;
        } else if (starP != std::string::npos) {
            pi = starP + 1;
            ni = ++starN;
        } else {
            return false;
        }
    }
    while (pi < p.size() && p[pi] == '*') ++pi;
    return pi == p.size();
}

bool MatchesAny(const std::string& name, const std::string& patterns) {
    std::size_t start = 0;
    while (start <= patterns.size()) {
        const std::size_t comma = patterns.find(',', start);
        const std::string one = patterns.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        if (!one.empty() && MatchesWildcard(name, one)) return true;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return false;
}

// -PURGE of block definitions: the names (wildcards and comma lists; ended by a
// carriage return, as names may hold blanks), whether to ask about each one, then the
// unused definitions among them go. Only blocks are kept by this drawing's tables, so
// only the block option is offered.
class PurgeCommand : public Command {
public:
    void Start(SimHost& host) override { AskType(host); }

    void Answer(SimHost& host, const std::string& text) override {
        const auto& t = host.texts();
        const std::string word = AsciiLower(text);
        switch (step_) {
            case Step::Type:
                if (word == "b" || word == "blocks" || word == "block") {
                    step_ = Step::Names;
                    host.Ask(PromptKind::Text, t.purgeNames, true);
                } else if (text.empty()) {
                    host.FinishCommand();
                } else {
                    host.Message(t.invalidKeyword);
                    AskType(host);
                }
                return;
            case Step::Names:
                patterns_ = text.empty() ? std::string("*") : text;
                step_ = Step::Verify;
                host.Ask(PromptKind::Text, t.purgeVerify);
                return;
            case Step::Verify:
                if (word == "n" || word == "no") {
                    for (const Block& b : host.drawing().blocks()) {
                        if (Unused(host, b.name)) candidates_.push_back(b.name);
                    }
                    for (const std::string& name : candidates_) Purge(host, name);
                    Report(host);
                } else if (text.empty() || word == "y" || word == "yes") {
                    for (const Block& b : host.drawing().blocks()) {
                        if (Unused(host, b.name)) candidates_.push_back(b.name);
                    }
                    step_ = Step::Confirm;
                    NextConfirm(host);
                } else {
                    host.Message(t.invalidKeyword);
                    host.Ask(PromptKind::Text, t.purgeVerify);
                }
                return;
            case Step::Confirm:
                if (word == "y" || word == "yes") Purge(host, candidates_[next_]);
                ++next_;
                NextConfirm(host);
                return;
        }
    }

private:
    enum class Step { Type, Names, Verify, Confirm };

    void AskType(SimHost& host) {
        step_ = Step::Type;
        host.Ask(PromptKind::Text, host.texts().purgeType);
    }

    bool Unused(const SimHost& host, const std::string& name) const {
        return MatchesAny(name, patterns_) && !host.drawing().BlockInUse(name);
    }

    void NextConfirm(SimHost& host) {
        if (next_ < candidates_.size()) {
            host.Ask(PromptKind::Text, FormatText(host.texts().purgeConfirm, {candidates_[next_]}));
        } else {
            Report(host);
        }
    }

    void Purge(SimHost& host, const std::string& name) {
        host.Message(FormatText(host.texts().purgeDeleting, {name}));
        host.drawing().RemoveBlock(name);
        ++purged_;
    }

    void Report(SimHost& host) {
        host.Message(purged_ == 0 ? std::string(host.texts().purgeNothing)
                                  : FormatText(host.texts().purgeCount, {std::to_string(purged_)}));
        host.FinishCommand();
    }

    Step step_ = Step::Type;
    std::string patterns_;
    std::vector<std::string> candidates_;
    std::size_t next_ = 0;
    int purged_ = 0;
};

}  // namespace

std::unique_ptr<Command> MakeCommand(const std::string& name) {
    static const std::map<std::string, std::function<std::unique_ptr<Command>()>> commands = {
        {"line", [] { return std::make_unique<LineCommand>(); }},
        {"l", [] { return std::make_unique<LineCommand>(); }},
        {"erase", [] { return std::make_unique<SelectionCommand>(true); }},
        {"e", [] { return std::make_unique<SelectionCommand>(true); }},
        {"select", [] { return std::make_unique<SelectionCommand>(false); }},
        {"list", [] { return std::make_unique<ListCommand>(); }},
        {"ellipse", [] { return std::make_unique<EllipseCommand>(); }},
        {"text", [] { return std::make_unique<TextCommand>(); }},
        {"dimlinear", [] { return std::make_unique<DimLinearCommand>(); }},
        {"dli", [] { return std::make_unique<DimLinearCommand>(); }},
        {"dtext", [] { return std::make_unique<TextCommand>(); }},
        {"el", [] { return std::make_unique<EllipseCommand>(); }},
        {"scale", [] { return std::make_unique<ScaleCommand>(); }},
        {"sc", [] { return std::make_unique<ScaleCommand>(); }},
        {"copy", [] { return std::make_unique<CopyCommand>(); }},
        {"co", [] { return std::make_unique<CopyCommand>(); }},
        {"cp", [] { return std::make_unique<CopyCommand>(); }},
        {"li", [] { return std::make_unique<ListCommand>(); }},
        {"u", [] { return std::make_unique<UndoCommand>(); }},
        {"id", [] { return std::make_unique<IdCommand>(); }},
        {"lastpoint", [] { return std::make_unique<LastPointCommand>(); }},
        {"copyhist", [] { return std::make_unique<CopyHistCommand>(); }},
        {"layer", [] { return std::make_unique<LayerCommand>(); }},
        {"filedia", [] { return std::make_unique<FiledialogCommand>(); }},
        {"dxfout", [] { return std::make_unique<DxfOutCommand>(); }},
        {"rotate", [] { return std::make_unique<RotateCommand>(); }},
        {"ro", [] { return std::make_unique<RotateCommand>(); }},
        {"explode", [] { return std::make_unique<ExplodeCommand>(); }},
        {"x", [] { return std::make_unique<ExplodeCommand>(); }},
        {"insert", [] { return std::make_unique<InsertCommand>(); }},
        {"purge", [] { return std::make_unique<PurgeCommand>(); }},
    };
    const auto it = commands.find(name);
    if (it == commands.end()) return nullptr;
    return it->second();
}

void ObjectSelector::Begin(SimHost& host) {
    set_.clear();
    corner_ = Corner::None;
    Prompt(host);
}

void ObjectSelector::Prompt(SimHost& host) {
    corner_ = Corner::None;
    host.Ask(PromptKind::Objects, host.texts().selectObjects);
}

bool ObjectSelector::End(SimHost& host) {
    // Erased objects drop out of the set.
    std::erase_if(set_, [&](int id) { return host.drawing().Find(id) == nullptr; });
    if (!set_.empty()) host.SetPreviousSelection(set_);
    return true;
}

void ObjectSelector::Add(SimHost& host, const std::vector<int>& ids, bool onSameLine) {
    int found = 0;
    int duplicates = 0;
    for (int id : ids) {
        ++found;
        if (std::find(set_.begin(), set_.end(), id) != set_.end()) {
            ++duplicates;
        } else {
            set_.push_back(id);
        }
    }
    const auto& t = host.texts();
    const std::string total = std::to_string(set_.size());
    std::string message;
    if (found == 0) {
        message = FormatText(t.found, {"0"});
    } else if (duplicates > 0) {
        message = FormatText(t.foundDuplicate, {std::to_string(found), std::to_string(duplicates), total});
    } else if (set_.size() == static_cast<std::size_t>(found)) {
        message = FormatText(t.found, {std::to_string(found)});
    } else {
        message = FormatText(t.foundTotal, {std::to_string(found), total});
    }
    if (onSameLine) {
        host.Append(message);
    } else {
        host.Message(message);
    }
}

void ObjectSelector::AddRectangle(SimHost& host, Point a, Point b, bool onSameLine, std::optional<bool> crossing) {
    // Dragged to the left it is a crossing window, to the right a window.
    const bool isCrossing = crossing ? *crossing : b.x < a.x;
    Add(host, host.drawing().InRectangle(a, b, isCrossing), onSameLine);
}

bool ObjectSelector::Answer(SimHost& host, const std::string& text) {
    const auto& t = host.texts();
    const std::string word = AsciiLower(text);
    if (corner_ == Corner::FirstWindow || corner_ == Corner::FirstCrossing) {
        if (const auto p = ParsePointInput(text, host.LastPoint())) {
            firstCorner_ = *p;
            forcedCrossing_ = corner_ == Corner::FirstCrossing;
            corner_ = Corner::Opposite;
            host.Ask(PromptKind::Objects, t.oppositeCorner);
        } else {
            host.Message(t.pointRequired);
            host.Ask(PromptKind::Objects, t.firstCorner);
        }
        return false;
    }
    if (corner_ == Corner::Opposite) {
        if (const auto p = ParsePointInput(text, host.LastPoint())) {
            AddRectangle(host, firstCorner_, *p, false, forcedCrossing_);
            Prompt(host);
        } else {
            host.Message(t.pointRequired);
            host.Ask(PromptKind::Objects, t.oppositeCorner);
        }
        return false;
    }
    if (text.empty()) return End(host);
    if (word == "l" || word == "last") {
        const auto last = host.drawing().LastEntity();
        Add(host, last ? std::vector<int>{*last} : std::vector<int>{}, false);
    } else if (word == "all") {
        std::vector<int> ids;
        for (const Entity& e : host.drawing().entities()) ids.push_back(e.id);
        Add(host, ids, false);
    } else if (word == "p" || word == "pre" || word == "previous") {
        std::vector<int> ids;
        for (int id : host.PreviousSelection()) {
            if (host.drawing().Find(id)) ids.push_back(id);
        }
        if (host.PreviousSelection().empty()) {
            host.Message(t.noPreviousSelection);
        } else {
            Add(host, ids, false);
        }
    } else if (word == "w" || word == "window" || word == "c" || word == "crossing") {
        corner_ = word.front() == 'w' ? Corner::FirstWindow : Corner::FirstCrossing;
        host.Ask(PromptKind::Objects, t.firstCorner);
        return false;
    } else if (const auto p = ParsePointInput(text, host.LastPoint())) {
        // A typed point picks like a click there, and is echoed.
        if (const auto hit = host.drawing().HitTest(*p, host.pickbox)) {
            Add(host, {*hit}, false);
        } else {
            firstCorner_ = *p;
            forcedCrossing_.reset();
            corner_ = Corner::Opposite;
            host.Ask(PromptKind::Objects, t.oppositeCorner);
            return false;
        }
    } else {
        host.Message(t.invalidSelection);
        host.Message(t.expectsPointOrKeyword);
    }
    Prompt(host);
    return false;
}

bool ObjectSelector::Click(SimHost& host, Point p) {
    if (corner_ == Corner::FirstWindow || corner_ == Corner::FirstCrossing) {
        firstCorner_ = p;
        forcedCrossing_ = corner_ == Corner::FirstCrossing;
        corner_ = Corner::Opposite;
        host.Append(host.texts().oppositeCorner);
        return false;
    }
    if (corner_ == Corner::Opposite) {
        AddRectangle(host, firstCorner_, p, true, forcedCrossing_);
        Prompt(host);
        return false;
    }
    if (const auto hit = host.drawing().HitTest(p, host.pickbox)) {
        Add(host, {*hit}, true);
        Prompt(host);
    } else {
        // A click on empty space starts an implied window.
        firstCorner_ = p;
        forcedCrossing_.reset();
        corner_ = Corner::Opposite;
        host.Append(host.texts().oppositeCorner);
    }
    return false;
}

bool ObjectSelector::Window(SimHost& host, Point a, Point b) {
    host.Append(host.texts().oppositeCorner);
    AddRectangle(host, a, b, true, std::nullopt);
    Prompt(host);
    return false;
}

}  // namespace tessavue::sim
