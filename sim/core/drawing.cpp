#include "drawing.h"

#include "text.h"
#include "transform.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>

namespace tessavue::sim {
namespace {

constexpr double kDegree = std::numbers::pi / 180.0;

double Distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }

double DistanceToSegment(Point p, Point a, Point b) {
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double len2 = dx * dx + dy * dy;
    if (len2 == 0) return Distance(p, a);
    double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / len2;
    t = std::clamp(t, 0.0, 1.0);
    return Distance(p, Point{a.x + t * dx, a.y + t * dy});
}

// Sweep from start to end counter-clockwise, in degrees, in (0, 360].
double Sweep(double startAngle, double endAngle) {
    double sweep = std::fmod(endAngle - startAngle, 360.0);
    if (sweep <= 0) sweep += 360.0;
    return sweep;
}

std::vector<Point> SampleEllipse(Point c, Point major, double ratio, double start, double sweep) {
    const Point minor{-major.y * ratio, major.x * ratio};
    const int steps = std::max(8, static_cast<int>(std::ceil(sweep / 3.0)));
    std::vector<Point> out;
    out.reserve(static_cast<std::size_t>(steps) + 1);
    for (int i = 0; i <= steps; ++i) {
        const double t = (start + sweep * i / steps) * kDegree;
        out.push_back(Point{c.x + major.x * std::cos(t) + minor.x * std::sin(t),
                            c.y + major.y * std::cos(t) + minor.y * std::sin(t)});
    }
    return out;
}

// What an entity shows as point chains. A block reference shows its definition where
// it is placed (a few levels of nesting deep, which also stops a block that refers to
// itself); one whose definition is missing shows its insertion point.
void AddStrokes(const Drawing& drawing, const Entity& e, int depth, std::vector<std::vector<Point>>& out) {
    if (e.kind == EntityKind::Insert) {
        if (const Block* block = drawing.FindBlock(e.block); block != nullptr && depth < 8) {
            const Explosion explosion = ExplodeInsert(e, *block);
            for (const Entity& part : explosion.entities) AddStrokes(drawing, part, depth + 1, out);
            for (const Entity& part : explosion.leftover)
                for (auto& stroke : PlacedStrokes(drawing, e, *block, part, 8 - depth)) out.push_back(std::move(stroke));
            return;
        }
    }
    out.push_back(Outline(e));
}

std::vector<std::vector<Point>> Strokes(const Drawing& drawing, const Entity& e) {
    std::vector<std::vector<Point>> out;
    AddStrokes(drawing, e, 0, out);
    return out;
}

}  // namespace

Drawing::Drawing() { layers_.push_back(Layer{"0", 7}); }

const Layer* Drawing::FindLayer(const std::string& name) const {
    const std::string key = AsciiUpper(name);
    for (const Layer& layer : layers_) {
        if (AsciiUpper(layer.name) == key) return &layer;
    }
    return nullptr;
}

Layer* Drawing::FindLayer(const std::string& name) {
    return const_cast<Layer*>(static_cast<const Drawing&>(*this).FindLayer(name));
}

Layer& Drawing::AddLayer(const std::string& name) {
    if (Layer* existing = FindLayer(name)) return *existing;
    layers_.push_back(Layer{name, 7});
    return layers_.back();
}

bool Drawing::SetCurrentLayer(const std::string& name) {
    const Layer* layer = FindLayer(name);
    if (layer == nullptr) return false;
    currentLayer_ = layer->name;
    return true;
}

int Drawing::NextId() { return ++lastId_; }

int Drawing::Add(Entity entity) {
    entity.id = NextId();
    if (FindLayer(entity.layer) == nullptr) AddLayer(entity.layer);
    entities_.push_back(std::move(entity));
    return entities_.back().id;
}

int Drawing::AddLine(Point a, Point b) {
    Entity e;
    e.kind = EntityKind::Line;
    e.layer = currentLayer_;
    e.points = {a, b};
    return Add(std::move(e));
}

int Drawing::AddCircle(Point centre, double radius) {
    Entity e;
    e.kind = EntityKind::Circle;
    e.layer = currentLayer_;
    e.points = {centre};
    e.radius = radius;
    return Add(std::move(e));
}

int Drawing::AddArc(Point centre, double radius, double startAngle, double endAngle) {
    Entity e;
    e.kind = EntityKind::Arc;
    e.layer = currentLayer_;
    e.points = {centre};
    e.radius = radius;
    e.startAngle = startAngle;
    e.endAngle = endAngle;
    return Add(std::move(e));
}

int Drawing::AddEllipse(Point centre, Point majorAxis, double ratio, double startAngle, double endAngle) {
    Entity e;
    e.kind = EntityKind::Ellipse;
    e.layer = currentLayer_;
    e.points = {centre, majorAxis};
    e.ratio = ratio;
    e.startAngle = startAngle;
    e.endAngle = endAngle;
    return Add(std::move(e));
}

int Drawing::AddPolyline(std::vector<Point> vertices, bool closed) {
    Entity e;
    e.kind = EntityKind::Polyline;
    e.layer = currentLayer_;
    e.points = std::move(vertices);
    e.closed = closed;
    return Add(std::move(e));
}

int Drawing::AddText(Point at, double height, double rotation, std::string text) {
    Entity e;
    e.kind = EntityKind::Text;
    e.layer = currentLayer_;
    e.points = {at};
    e.height = height;
    e.rotation = rotation;
    e.text = std::move(text);
    return Add(std::move(e));
}

int Drawing::AddInsert(std::string block, Point at, double scaleX, double scaleY, double rotation) {
    Entity e;
    e.kind = EntityKind::Insert;
    e.layer = currentLayer_;
    e.points = {at};
    e.block = std::move(block);
    e.scaleX = scaleX;
    e.scaleY = scaleY;
    e.rotation = rotation;
    return Add(std::move(e));
}

const Block* Drawing::FindBlock(const std::string& name) const {
    const std::string key = AsciiUpper(name);
    for (const Block& block : blocks_) {
        if (AsciiUpper(block.name) == key) return &block;
    }
    return nullptr;
}

void Drawing::DefineBlock(Block block) {
    for (Block& existing : blocks_) {
        if (AsciiUpper(existing.name) == AsciiUpper(block.name)) {
            existing = std::move(block);
            return;
        }
    }
    blocks_.push_back(std::move(block));
}

bool Drawing::RemoveBlock(const std::string& name) {
    const std::string key = AsciiUpper(name);
    return std::erase_if(blocks_, [&](const Block& b) { return AsciiUpper(b.name) == key; }) > 0;
}

bool Drawing::BlockInUse(const std::string& name) const {
    const std::string key = AsciiUpper(name);
    const auto names = [&](const Entity& e) { return e.kind == EntityKind::Insert && AsciiUpper(e.block) == key; };
    if (std::any_of(entities_.begin(), entities_.end(), names)) return true;
    for (const Block& b : blocks_) {
        if (AsciiUpper(b.name) != key && std::any_of(b.entities.begin(), b.entities.end(), names)) return true;
    }
    return false;
}

Entity* Drawing::Find(int id) {
    for (Entity& e : entities_) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

const Entity* Drawing::Find(int id) const {
    for (const Entity& e : entities_) {
        if (e.id == id) return &e;
    }
    return nullptr;
}

bool Drawing::Erase(int id) {
    const auto it = std::find_if(entities_.begin(), entities_.end(), [id](const Entity& e) { return e.id == id; });
    if (it == entities_.end()) return false;
    entities_.erase(it);
    return true;
}

bool Drawing::IsVisible(const Entity& e) const {
    const Layer* layer = FindLayer(e.layer);
    return layer == nullptr || (layer->on && !layer->frozen);
}

bool Drawing::IsThawed(const Entity& e) const {
    const Layer* layer = FindLayer(e.layer);
    return layer == nullptr || !layer->frozen;
}

std::optional<int> Drawing::LastVisibleEntity() const {
    std::optional<int> last;
    for (const Entity& e : entities_) {
        if (IsVisible(e) && (!last || e.id > *last)) last = e.id;
    }
    return last;
}

std::optional<int> Drawing::HitTest(Point p, double tolerance) const {
    std::optional<int> best;
    double bestDistance = std::numeric_limits<double>::infinity();
    // Later entities lie on top, as on AutoCAD's screen: they win a tie.
    for (const Entity& e : entities_) {
        if (!IsVisible(e)) continue;
        double d = std::numeric_limits<double>::infinity();
        for (const std::vector<Point>& outline : Strokes(*this, e)) {
            if (outline.size() == 1) d = std::min(d, Distance(p, outline[0]));
            for (std::size_t i = 1; i < outline.size(); ++i) {
                d = std::min(d, DistanceToSegment(p, outline[i - 1], outline[i]));
            }
        }
        if (d <= tolerance && d <= bestDistance) {
            bestDistance = d;
            best = e.id;
        }
    }
    return best;
}

std::vector<int> Drawing::InRectangle(Point a, Point b, bool crossing) const {
    const Point lo{std::min(a.x, b.x), std::min(a.y, b.y)};
    const Point hi{std::max(a.x, b.x), std::max(a.y, b.y)};
    const auto inside = [&](Point p) { return p.x >= lo.x && p.x <= hi.x && p.y >= lo.y && p.y <= hi.y; };
    const auto segmentTouches = [&](Point s, Point t) {
        if (inside(s) || inside(t)) return true;
        // The segment crosses the rectangle when it crosses one of its edges.
        const Point corners[4] = {lo, {hi.x, lo.y}, hi, {lo.x, hi.y}};
        const auto cross = [](Point o, Point u, Point v) { return (u.x - o.x) * (v.y - o.y) - (u.y - o.y) * (v.x - o.x); };
        for (int i = 0; i < 4; ++i) {
            const Point c = corners[i];
            const Point d = corners[(i + 1) % 4];
            const double d1 = cross(s, t, c);
            const double d2 = cross(s, t, d);
            const double d3 = cross(c, d, s);
            const double d4 = cross(c, d, t);
            if (((d1 > 0) != (d2 > 0)) && ((d3 > 0) != (d4 > 0))) return true;
        }
        return false;
    };
    std::vector<int> out;
    for (const Entity& e : entities_) {
        if (!IsVisible(e)) continue;
        const std::vector<std::vector<Point>> strokes = Strokes(*this, e);
        bool take = !crossing;
        for (const std::vector<Point>& outline : strokes) {
            if (crossing) {
                if (outline.size() == 1 && inside(outline[0])) take = true;
                for (std::size_t i = 1; i < outline.size() && !take; ++i) {
                    take = segmentTouches(outline[i - 1], outline[i]);
                }
            } else {
                take = take && std::all_of(outline.begin(), outline.end(), inside);
            }
        }
        if (take) out.push_back(e.id);
    }
    return out;
}

std::optional<Extents> Drawing::ComputeExtents() const {
    std::optional<Extents> box;
    for (const Entity& e : entities_) {
        for (const std::vector<Point>& outline : Strokes(*this, e)) {
            for (const Point& p : outline) {
                if (!box) {
                    box = Extents{p, p};
                } else {
                    box->min = {std::min(box->min.x, p.x), std::min(box->min.y, p.y)};
                    box->max = {std::max(box->max.x, p.x), std::max(box->max.y, p.y)};
                }
            }
        }
    }
    return box;
}

void Drawing::Restore(std::vector<Layer> layers, std::string currentLayer, std::vector<Entity> entities) {
    layers_ = std::move(layers);
    if (FindLayer("0") == nullptr) layers_.insert(layers_.begin(), Layer{"0", 7});
    currentLayer_ = FindLayer(currentLayer) ? std::move(currentLayer) : std::string("0");
    entities_ = std::move(entities);
    for (const Entity& e : entities_) {
        lastId_ = std::max(lastId_, e.id);
        if (FindLayer(e.layer) == nullptr) layers_.push_back(Layer{e.layer, 7});
    }
}

bool HasArcSegments(const Entity& polyline) {
    return std::any_of(polyline.bulges.begin(), polyline.bulges.end(), [](double b) { return b != 0; });
}

Entity MirroredX(const Entity& e) {
    Entity out = e;
    // Object X runs against world X; Y is shared. An angle a becomes 180 - a, which
    // runs the other way round, so an arc's ends change places.
    const auto mirrored = [](double degrees) {
        double r = std::fmod(180.0 - degrees, 360.0);
        return r < 0 ? r + 360.0 : r;
    };
    for (Point& p : out.points) p.x = -p.x;
    if (e.kind == EntityKind::Arc) {
        out.startAngle = mirrored(e.endAngle);
        out.endAngle = mirrored(e.startAngle);
    }
    for (double& b : out.bulges) b = -b;
    return out;
}

Entity ToWorld(const Entity& e) {
    if (e.normalZ >= 0) return e;
    Entity out = MirroredX(e);
    out.normalZ = 1;
    return out;
}

std::vector<Point> Outline(const Entity& source) {
    const Entity e = ToWorld(source);
    switch (e.kind) {
        case EntityKind::Line:
            return e.points;
        case EntityKind::Polyline: {
            std::vector<Point> out;
            const std::size_t n = e.points.size();
            const std::size_t segments = n < 2 ? 0 : (e.closed ? n : n - 1);
            if (n > 0) out.push_back(e.points[0]);
            for (std::size_t i = 0; i < segments; ++i) {
                const Point a = e.points[i];
                const Point b = e.points[(i + 1) % n];
                const double bulge = BulgeAt(e, i);
                if (bulge != 0 && !(a == b)) {
                    const BulgeArc arc = ArcOfBulge(a, b, bulge);
                    std::vector<Point> curve = SampleEllipse(arc.centre, Point{arc.radius, 0}, 1.0, arc.startAngle,
                                                             Sweep(arc.startAngle, arc.endAngle));
                    // Sampled counter-clockwise; a clockwise segment runs the samples back.
                    if (bulge < 0) std::reverse(curve.begin(), curve.end());
                    out.insert(out.end(), curve.begin() + 1, curve.end() - 1);
                }
                out.push_back(b);
            }
            return out;
        }
        case EntityKind::Circle:
            if (e.points.empty()) return {};
            return SampleEllipse(e.points[0], Point{e.radius, 0}, 1.0, 0, 360);
        case EntityKind::Arc:
            if (e.points.empty()) return {};
            return SampleEllipse(e.points[0], Point{e.radius, 0}, 1.0, e.startAngle, Sweep(e.startAngle, e.endAngle));
        case EntityKind::Ellipse:
            if (e.points.size() < 2) return {};
            return SampleEllipse(e.points[0], e.points[1], e.ratio, e.startAngle, Sweep(e.startAngle, e.endAngle));
        case EntityKind::Insert:
            if (e.points.empty()) return {};
            return {e.points[0]};
        case EntityKind::Solid:
            if (e.points.size() < 4) return {};
            return {e.points[0], e.points[1], e.points[3], e.points[2], e.points[0]};
        case EntityKind::Dimension:
            if (e.points.size() < 4) return {};
            return {e.points[0], e.points[2], e.points[3], e.points[1]};
        case EntityKind::Text: {
            if (e.points.empty()) return {};
            // A rough baseline: AutoCAD's fonts are about as wide as high per character.
            const double width = e.height * 0.8 * static_cast<double>(std::max<std::size_t>(1, e.text.size()));
            const Point a = e.points[0];
            return {a, Point{a.x + width * std::cos(e.rotation * kDegree), a.y + width * std::sin(e.rotation * kDegree)}};
        }
    }
    return {};
}

}  // namespace tessavue::sim
