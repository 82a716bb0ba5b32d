// The commands that answer questions about the drawing without changing it: SELECT,
// LIST, ID, LASTPOINT and COPYHIST.
#include "command_families.h"

#include <cmath>
#include <cstdio>

#include "edition.h"
#include "text.h"
#include "transform.h"

namespace tessavue::sim {
namespace {

// SELECT: an object selection, which becomes the previous selection set.
class SelectCommand : public SelectingCommand {
private:
    void Selected(SimHost& host) override { host.FinishCommand(); }
};

// LIST: an object selection, then each selected object as AutoCAD lists it, in the
// order of the selection set, with coordinates (in the current UCS) and lengths in the
// drawing's units. An empty selection lists nothing. A listing longer than the text
// window waits for Enter page by page.
class ListCommand : public SelectingCommand {
public:
    void Answer(SimHost& host, const std::string& text) override {
        if (!pager_.Paused()) return SelectingCommand::Answer(host, text);
        if (pager_.Continue(host)) host.FinishCommand();
    }

private:
    void Selected(SimHost& host) override {
        for (int id : selector_.selected()) {
            if (const Entity* e = host.drawing().Find(id)) List(host, *e);
        }
        if (pager_.Show(host)) host.FinishCommand();
    }

    void List(SimHost& host, const Entity& entity) {
        const EditionTexts& t = host.texts();
        const auto line = [&](std::string text) { pager_.Add(std::move(text)); };
        // Numbers stand right-aligned in a field, as long as they fit it.
        const auto number = [&](double v) {
            std::string text = host.ShowLength(v);
            if (text.size() < 9) text.insert(0, 9 - text.size(), ' ');
            return text;
        };
        const auto point = [&](std::string_view pattern, Point world) {
            const Point p = host.ToUcs(world);
            line(FormatText(pattern, {number(p.x), number(p.y), number(0)}));
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
        line(FormatText(t.listHeader, {std::string(name), e.layer}));
        line(std::string(t.listSpace));
        line(FormatText(t.listHandle, {handle}));
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
                line(FormatText(t.listLength, {number(std::hypot(b.x - a.x, b.y - a.y)), degrees}));
                line(FormatText(t.listDelta, {number(b.x - a.x), number(b.y - a.y), number(0)}));
                break;
            }
            case EntityKind::Circle:
                point(t.listCentre, e.points[0]);
                line(FormatText(t.listRadius, {number(e.radius)}));
                line(FormatText(t.listCircumference, {number(2 * kPi * e.radius)}));
                line(FormatText(t.listArea, {number(kPi * e.radius * e.radius)}));
                break;
            case EntityKind::Arc:
                point(t.listCentre, e.points[0]);
                line(FormatText(t.listRadius, {number(e.radius)}));
                line(FormatText(t.listStartAngle, {FormatDecimal(e.startAngle, 0)}));
                line(FormatText(t.listEndAngle, {FormatDecimal(e.endAngle, 0)}));
                break;
            case EntityKind::Ellipse:
                point(t.listCentre, e.points[0]);
                break;
            case EntityKind::Polyline:
                for (const Point& v : e.points) point(t.listVertex, v);
                break;
            case EntityKind::Text:
                point(t.listFromPoint, e.points[0]);
                line(FormatText(t.listTextValue, {e.text}));
                break;
            case EntityKind::Insert:
                line(FormatText(t.listBlockName, {e.block}));
                point(t.listInsertPoint, e.points[0]);
                break;
            case EntityKind::Solid:
                for (const Point& v : e.points) point(t.listVertex, v);
                break;
            case EntityKind::Dimension:
                line(FormatText(t.listBlockName, {e.block}));
                if (e.points.size() >= 2) {
                    point(t.listVertex, e.points[0]);
                    point(t.listVertex, e.points[1]);
                }
                line(FormatText(t.listTextValue, {e.text}));
                break;
        }
    }

    ListingPager pager_;
};

// ID: shows the coordinates of a point and makes it the last point.
class IdCommand : public Command {
public:
    void Start(SimHost& host) override { host.AskOnSameLine(PromptKind::Point, host.texts().idPoint); }

    void Answer(SimHost& host, const std::string& text) override {
        if (text.empty()) {
            host.FinishCommand();
        } else if (const auto p = host.ParsePoint(text)) {
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
        const Point shown = host.ToUcs(p);
        host.Message(FormatText(host.texts().idResult,
                                {host.ShowLength(shown.x), host.ShowLength(shown.y), host.ShowLength(0.0)}));
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
        } else if (const auto p = host.ParsePoint(text)) {
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
        host.Ask(PromptKind::Point, FormatText(host.texts().lastPointPrompt, {host.ShowPoint(host.LastPoint())}));
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

}  // namespace

std::unique_ptr<Command> MakeSelectCommand() { return std::make_unique<SelectCommand>(); }
std::unique_ptr<Command> MakeListCommand() { return std::make_unique<ListCommand>(); }
std::unique_ptr<Command> MakeIdCommand() { return std::make_unique<IdCommand>(); }
std::unique_ptr<Command> MakeLastPointCommand() { return std::make_unique<LastPointCommand>(); }
std::unique_ptr<Command> MakeCopyHistCommand() { return std::make_unique<CopyHistCommand>(); }

}  // namespace tessavue::sim
