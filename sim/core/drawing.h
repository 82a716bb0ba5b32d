// The stand-in's drawing: layers and entities. Every entity sits on a layer; angles
// are degrees, counter-clockwise from +X, as AutoCAD keeps them.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tessavue::sim {

struct Point {
    double x = 0;
    double y = 0;
    friend bool operator==(const Point&, const Point&) = default;
};

enum class EntityKind { Line, Circle, Arc, Ellipse, Polyline, Text, Insert, Solid, Dimension };

// One entity; which fields matter depends on the kind:
//   Line:     points[0] start, points[1] end
//   Circle:   points[0] centre, radius
//   Arc:      points[0] centre, radius, startAngle, endAngle (counter-clockwise)
//   Ellipse:  points[0] centre, points[1] end of the major axis relative to the centre,
//             ratio (minor / major), startAngle, endAngle (parameter angles; 0 and 360
//             for a whole ellipse)
//   Polyline: points = vertices, closed, bulges (empty, or one a vertex: the bulge of
//             the segment that starts there, tan(sweep / 4), positive counter-clockwise)
//   Text:     points[0] insertion point, height, rotation, text (Shift-JIS), widthFactor,
//             oblique
//   Insert:   points[0] insertion point, block (the block's name), scaleX, scaleY,
//             rotation: a reference to a block definition of the drawing
//   Solid:    points = the four corners in DXF order (a triangle repeats its third),
//             filled
//   Dimension: points[0] and points[1] the measured points, points[2] and points[3]
//             the ends of the dimension line, points[4] the text's middle; text the
//             measurement; block the anonymous "*D" block that holds its picture
// Circles, arcs and polylines carry their extrusion direction as AutoCAD does: with
// normalZ -1 (what MIRROR leaves on a circle or an arc) their points and angles are
// in object coordinates, whose X runs against the world's (ToWorld gives the world
// form).
struct Entity {
    int id = 0;
    EntityKind kind = EntityKind::Line;
    std::string layer = "0";
    std::vector<Point> points;
    double radius = 0;
    double startAngle = 0;
    double endAngle = 0;
    double ratio = 1;
    double height = 0;
    double rotation = 0;
    bool closed = false;
    std::string text;
    std::string block;
    double scaleX = 1;
    double scaleY = 1;
    std::vector<double> bulges;
    double normalZ = 1;
    double widthFactor = 1;  // Text: the glyphs' width against their height
    double oblique = 0;      // Text: the slant of the glyphs' uprights, degrees clockwise from square
    friend bool operator==(const Entity&, const Entity&) = default;
};

// The bulge of the segment starting at vertex i (0 when none is kept).
inline double BulgeAt(const Entity& e, std::size_t i) { return i < e.bulges.size() ? e.bulges[i] : 0.0; }
// Whether any segment of a polyline is an arc.
bool HasArcSegments(const Entity& polyline);
// The entity mirrored across the Y axis the way object coordinates with extrusion
// (0,0,-1) relate to the world: X negated, an arc's angles a -> 180 - a with start
// and end exchanged (so it still runs counter-clockwise), bulges negated. Its own
// inverse; the extrusion is left as it is.
Entity MirroredX(const Entity& e);
// The entity in world coordinates (normalZ 1).
Entity ToWorld(const Entity& e);

// A block definition: entities in the block's own coordinates about its base point.
struct Block {
    std::string name;
    Point base;
    std::vector<Entity> entities;
    friend bool operator==(const Block&, const Block&) = default;
};

// A layer that is off hides its objects but keeps them in ALL; a frozen one hides
// them from everything but the previous selection set.
struct Layer {
    std::string name;
    int color = 7;
    bool on = true;
    bool frozen = false;
    friend bool operator==(const Layer&, const Layer&) = default;
};

struct Extents {
    Point min;
    Point max;
};

class Drawing {
public:
    Drawing();

    // The drawing's own settings, kept (and undone) with it:
    // LUNITS, the format lengths and coordinates are shown in (units.h);
    int linearUnits = 2;
    // LUPREC, their decimals (or the fraction's power of two);
    int unitPrecision = 4;
    // DIMDEC, the decimals of a dimension's measured text;
    int dimensionDecimals = 4;
    // the origin of the current user coordinate system, a world point ((0,0): the
    // world's own). Typed points are taken in it and shown points given in it.
    Point ucsOrigin{};

    const std::vector<Layer>& layers() const { return layers_; }
    const std::vector<Entity>& entities() const { return entities_; }
    const std::string& currentLayer() const { return currentLayer_; }

    // Layer names compare as AutoCAD compares them: ASCII letters case-insensitively.
    const Layer* FindLayer(const std::string& name) const;
    Layer* FindLayer(const std::string& name);
    Layer& AddLayer(const std::string& name);
    // False when no such layer exists.
    bool SetCurrentLayer(const std::string& name);

    // Adds on the current layer; returns the new entity's id.
    int AddLine(Point a, Point b);
    int AddCircle(Point centre, double radius);
    int AddArc(Point centre, double radius, double startAngle, double endAngle);
    int AddEllipse(Point centre, Point majorAxis, double ratio, double startAngle = 0, double endAngle = 360);
    int AddPolyline(std::vector<Point> vertices, bool closed);
    int AddText(Point at, double height, double rotation, std::string text);
    int AddInsert(std::string block, Point at, double scaleX = 1, double scaleY = 1, double rotation = 0);

    const std::vector<Block>& blocks() const { return blocks_; }
    const Block* FindBlock(const std::string& name) const;
    // Adds the definition, or replaces the one of that name.
    void DefineBlock(Block block);
    // Removes the definition; false when there is none of that name.
    bool RemoveBlock(const std::string& name);
    // Whether a block reference in the drawing, or in another block's definition,
    // names the block.
    bool BlockInUse(const std::string& name) const;
    // Adds the entity as given (layer included), with a fresh id.
    int Add(Entity entity);

    const Entity* Find(int id) const;
    Entity* Find(int id);
    bool Erase(int id);
    // Whether the entity's layer is on and thawed: only then is it drawn and can it be
    // picked. A layer the drawing lacks counts as on and thawed.
    bool IsVisible(const Entity& e) const;
    // Whether the entity's layer is thawed (ALL takes objects on layers that are off).
    bool IsThawed(const Entity& e) const;
    // Id of the most recently added entity still in the drawing whose layer is on and
    // thawed (AutoCAD's "last"), or nullopt.
    std::optional<int> LastVisibleEntity() const;

    // The visible entity whose outline passes nearest to `p`, within `tolerance`.
    std::optional<int> HitTest(Point p, double tolerance) const;
    // Visible entities wholly inside the rectangle (window) or touching it (crossing).
    std::vector<int> InRectangle(Point a, Point b, bool crossing) const;
    // Bounding box of every entity; nullopt for an empty drawing.
    std::optional<Extents> ComputeExtents() const;

    // Replaces everything, e.g. when a dump is read back.
    void Restore(std::vector<Layer> layers, std::string currentLayer, std::vector<Entity> entities);

private:
    int NextId();

    std::vector<Layer> layers_;
    std::string currentLayer_ = "0";
    std::vector<Entity> entities_;
    std::vector<Block> blocks_;
    int lastId_ = 0;
};

// The outline of an entity as a chain of points (curves sampled finely enough for
// picking and drawing). Texts give their insertion point and the end of their baseline;
// a block reference gives its insertion point.
std::vector<Point> Outline(const Entity& entity);

}  // namespace tessavue::sim
