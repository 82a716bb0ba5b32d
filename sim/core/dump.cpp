#include "dump.h"

#include <charconv>
#include <istream>
#include <ostream>
#include <sstream>

namespace tessavue::sim {
namespace {

constexpr const char* kMagic = "tessavue-sim-dump 1";

std::string Number(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::optional<double> ParseDouble(const std::string& text) {
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

std::optional<long long> ParseInteger(const std::string& text) {
    long long value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return value;
}

// The fields of one record; quoted fields never hold a blank, so splitting is plain.
std::vector<std::string> SplitFields(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream stream(line);
    std::string field;
    while (stream >> field) fields.push_back(field);
    return fields;
}

class RecordReader {
public:
    explicit RecordReader(std::vector<std::string> fields) : fields_(std::move(fields)) {}
    bool ok() const { return ok_; }
    bool AtEnd() const { return index_ == fields_.size(); }
    double Real() {
        const auto v = index_ < fields_.size() ? ParseDouble(fields_[index_++]) : std::nullopt;
        if (!v) ok_ = false;
        return v.value_or(0);
    }
    long long Integer() {
        const auto v = index_ < fields_.size() ? ParseInteger(fields_[index_++]) : std::nullopt;
        if (!v) ok_ = false;
        return v.value_or(0);
    }
    std::string Text() {
        const auto v = index_ < fields_.size() ? UnquoteBytes(fields_[index_++]) : std::nullopt;
        if (!v) ok_ = false;
        return v.value_or(std::string());
    }
    Point At() {
        const double x = Real();
        return Point{x, Real()};
    }
    // Takes the next field when it is the word `word` (an optional part of a record).
    bool Next(const char* word) {
        if (index_ >= fields_.size() || fields_[index_] != word) return false;
        ++index_;
        return true;
    }

private:
    std::vector<std::string> fields_;
    std::size_t index_ = 1;  // field 0 is the record name
    bool ok_ = true;
};

void WriteEntity(const Entity& e, std::ostream& out) {
    const auto point = [](const std::vector<Point>& points, std::size_t i) {
        const Point p = i < points.size() ? points[i] : Point{};
        return Number(p.x) + " " + Number(p.y);
    };
    const std::string head = " " + std::to_string(e.id) + " " + QuoteBytes(e.layer) + " ";
    const std::string normal = e.normalZ < 0 ? " normal " + Number(e.normalZ) : "";
    switch (e.kind) {
        case EntityKind::Line:
            out << "line" << head << point(e.points, 0) << " " << point(e.points, 1) << "\n";
            break;
        case EntityKind::Circle:
            out << "circle" << head << point(e.points, 0) << " " << Number(e.radius) << normal << "\n";
            break;
        case EntityKind::Arc:
            out << "arc" << head << point(e.points, 0) << " " << Number(e.radius) << " " << Number(e.startAngle) << " "
                << Number(e.endAngle) << normal << "\n";
            break;
        case EntityKind::Ellipse:
            out << "ellipse" << head << point(e.points, 0) << " " << point(e.points, 1) << " " << Number(e.ratio) << " "
                << Number(e.startAngle) << " " << Number(e.endAngle) << "\n";
            break;
        case EntityKind::Polyline:
            out << "polyline" << head << (e.closed ? 1 : 0) << " " << e.points.size();
            for (std::size_t i = 0; i < e.points.size(); ++i) out << " " << point(e.points, i);
            if (HasArcSegments(e)) {
                out << " bulges";
                for (std::size_t i = 0; i < e.points.size(); ++i) out << " " << Number(BulgeAt(e, i));
            }
            out << normal << "\n";
            break;
        case EntityKind::Text:
            out << "text" << head << point(e.points, 0) << " " << Number(e.height) << " " << Number(e.rotation) << " "
                << QuoteBytes(e.text) << " " << Number(e.widthFactor) << " " << Number(e.oblique) << "\n";
            break;
        case EntityKind::Insert:
            out << "insert" << head << point(e.points, 0) << " " << Number(e.scaleX) << " " << Number(e.scaleY) << " "
                << Number(e.rotation) << " " << QuoteBytes(e.block) << "\n";
            break;
        case EntityKind::Solid:
            out << "solid" << head << point(e.points, 0) << " " << point(e.points, 1) << " " << point(e.points, 2) << " "
                << point(e.points, 3) << "\n";
            break;
        case EntityKind::Dimension:
            out << "dimension" << head;
            for (std::size_t i = 0; i < 5; ++i) out << point(e.points, i) << " ";
            out << QuoteBytes(e.text) << " " << QuoteBytes(e.block) << "\n";
            break;
    }
}

std::optional<Entity> ReadEntity(const std::string& kind, RecordReader& r) {
    Entity e;
    e.id = static_cast<int>(r.Integer());
    e.layer = r.Text();
    if (kind == "line") {
        e.kind = EntityKind::Line;
        const Point a = r.At();
        e.points = {a, r.At()};
    } else if (kind == "circle") {
        e.kind = EntityKind::Circle;
        e.points = {r.At()};
        e.radius = r.Real();
    } else if (kind == "arc") {
        e.kind = EntityKind::Arc;
        e.points = {r.At()};
        e.radius = r.Real();
        e.startAngle = r.Real();
        e.endAngle = r.Real();
    } else if (kind == "ellipse") {
        e.kind = EntityKind::Ellipse;
        const Point c = r.At();
        e.points = {c, r.At()};
        e.ratio = r.Real();
        e.startAngle = r.Real();
        e.endAngle = r.Real();
    } else if (kind == "polyline") {
        e.kind = EntityKind::Polyline;
        e.closed = r.Integer() != 0;
        const long long count = r.Integer();
        for (long long i = 0; i < count && r.ok(); ++i) e.points.push_back(r.At());
        if (r.Next("bulges")) {
            for (long long i = 0; i < count && r.ok(); ++i) e.bulges.push_back(r.Real());
        }
    } else if (kind == "text") {
        e.kind = EntityKind::Text;
        e.points = {r.At()};
        e.height = r.Real();
        e.rotation = r.Real();
        e.text = r.Text();
        e.widthFactor = r.Real();
        e.oblique = r.Real();
    } else if (kind == "solid") {
        e.kind = EntityKind::Solid;
        for (int i = 0; i < 4; ++i) e.points.push_back(r.At());
    } else if (kind == "dimension") {
        e.kind = EntityKind::Dimension;
        for (int i = 0; i < 5; ++i) e.points.push_back(r.At());
        e.text = r.Text();
        e.block = r.Text();
    } else if (kind == "insert") {
        e.kind = EntityKind::Insert;
        e.points = {r.At()};
        e.scaleX = r.Real();
        e.scaleY = r.Real();
        e.rotation = r.Real();
        e.block = r.Text();
    } else {
        return std::nullopt;
    }
    if ((e.kind == EntityKind::Circle || e.kind == EntityKind::Arc || e.kind == EntityKind::Polyline) &&
        r.Next("normal"))
        e.normalZ = r.Real();
    if (!r.ok() || !r.AtEnd()) return std::nullopt;
    return e;
}

}  // namespace

std::string QuoteBytes(const std::string& bytes) {
    static const char* const kHex = "0123456789ABCDEF";
    std::string out = "\"";
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x21 || b > 0x7E || c == '"' || c == '\\') {
            out += "\\x";
            out.push_back(kHex[b >> 4]);
            out.push_back(kHex[b & 0xF]);
        } else {
            out.push_back(c);
        }
    }
    out += "\"";
    return out;
}

std::optional<std::string> UnquoteBytes(const std::string& field) {
    if (field.size() < 2 || field.front() != '"' || field.back() != '"') return std::nullopt;
    const auto hex = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'A' && c <= 'F') return c - 'A' + 10;
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 1; i + 1 < field.size(); ++i) {
        const char c = field[i];
        if (c == '"') return std::nullopt;
        if (c != '\\') {
            out.push_back(c);
            continue;
        }
        if (i + 3 >= field.size() || field[i + 1] != 'x') return std::nullopt;
        const int hi = hex(field[i + 2]);
        const int lo = hex(field[i + 3]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out.push_back(static_cast<char>(hi * 16 + lo));
        i += 3;
    }
    return out;
}

SimDump MakeDump(const SimHost& host) {
    SimDump dump;
    dump.edition = std::string(host.texts().name);
    dump.lastPoint = host.LastPoint();
    dump.linearUnits = host.drawing().linearUnits;
    dump.unitPrecision = host.drawing().unitPrecision;
    dump.dimensionDecimals = host.drawing().dimensionDecimals;
    dump.filedia = host.filedia;
    dump.ucsOrigin = host.drawing().ucsOrigin;
    dump.currentLayer = host.drawing().currentLayer();
    dump.layers = host.drawing().layers();
    dump.entities = host.drawing().entities();
    dump.blocks = host.drawing().blocks();
    dump.history = host.HistoryLines();
    dump.commandLine = host.CommandLineText();
    dump.inputs = host.ReceivedInput();
    return dump;
}

void WriteDump(const SimDump& dump, std::ostream& out) {
    out << kMagic << "\n";
    out << "edition " << QuoteBytes(dump.edition) << "\n";
    out << "last-point " << Number(dump.lastPoint.x) << " " << Number(dump.lastPoint.y) << "\n";
    out << "units " << dump.linearUnits << " " << dump.unitPrecision << " " << dump.dimensionDecimals << "\n";
    out << "filedia " << dump.filedia << "\n";
    out << "ucs-origin " << Number(dump.ucsOrigin.x) << " " << Number(dump.ucsOrigin.y) << "\n";
    out << "current-layer " << QuoteBytes(dump.currentLayer) << "\n";
    for (const Layer& layer : dump.layers) {
        out << "layer " << QuoteBytes(layer.name) << " " << layer.color << (layer.on ? "" : " off")
            << (layer.frozen ? " frozen" : "") << "\n";
    }
    for (const Entity& e : dump.entities) WriteEntity(e, out);
    for (const Block& block : dump.blocks) {
        out << "block " << QuoteBytes(block.name) << " " << Number(block.base.x) << " " << Number(block.base.y) << " "
            << block.entities.size() << "\n";
        for (const Entity& e : block.entities) WriteEntity(e, out);
    }
    for (const std::string& line : dump.history) out << "history " << QuoteBytes(line) << "\n";
    out << "command-line " << QuoteBytes(dump.commandLine) << "\n";
    for (const InputChunk& chunk : dump.inputs)
        out << "input " << QuoteBytes(chunk.transport) << " " << QuoteBytes(chunk.bytes) << "\n";
    if (dump.view)
        out << "view " << Number(dump.view->originX) << " " << Number(dump.view->originY) << " "
            << Number(dump.view->scale) << "\n";
    for (const SimDump::Screen& screen : dump.screens)
        out << "screen " << QuoteBytes(screen.window) << " " << screen.left << " " << screen.top << " "
            << screen.right << " " << screen.bottom << "\n";
    out << "end\n";
}

std::optional<SimDump> ReadDump(std::istream& in, std::string* error) {
    const auto fail = [&](const std::string& why) -> std::optional<SimDump> {
        if (error) *error = why;
        return std::nullopt;
    };
    std::string line;
    // A dump written in text mode on Windows may be read back with its CR bytes.
    const auto next = [&] {
        if (!std::getline(in, line)) return false;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        return true;
    };
    if (!next() || line != kMagic) return fail("not a stand-in dump (first line)");
    SimDump dump;
    int lineNumber = 1;
    // Entity records still owed to the last block record.
    long long blockEntitiesLeft = 0;
    while (next()) {
        ++lineNumber;
        const std::vector<std::string> fields = SplitFields(line);
        if (fields.empty()) return fail("empty record on line " + std::to_string(lineNumber));
        const std::string& kind = fields[0];
        if (kind == "end") {
            if (fields.size() != 1 || blockEntitiesLeft > 0) break;
            return dump;
        }
        RecordReader r(fields);
        bool known = true;
        // While a definition is owed entity records, nothing else may come.
        const bool owed = blockEntitiesLeft > 0;
        if (kind == "edition") {
            dump.edition = r.Text();
        } else if (kind == "last-point") {
            dump.lastPoint = r.At();
        } else if (kind == "units") {
            dump.linearUnits = static_cast<int>(r.Integer());
            dump.unitPrecision = static_cast<int>(r.Integer());
            dump.dimensionDecimals = static_cast<int>(r.Integer());
        } else if (kind == "filedia") {
            dump.filedia = static_cast<int>(r.Integer());
        } else if (kind == "ucs-origin") {
            dump.ucsOrigin = r.At();
        } else if (kind == "current-layer") {
            dump.currentLayer = r.Text();
        } else if (kind == "layer") {
            Layer layer;
            layer.name = r.Text();
            layer.color = static_cast<int>(r.Integer());
            layer.on = !r.Next("off");
            layer.frozen = r.Next("frozen");
            dump.layers.push_back(layer);
        } else if (kind == "history") {
            dump.history.push_back(r.Text());
        } else if (kind == "command-line") {
            dump.commandLine = r.Text();
        } else if (kind == "input") {
            InputChunk chunk;
            chunk.transport = r.Text();
            chunk.bytes = r.Text();
            dump.inputs.push_back(chunk);
        } else if (kind == "view") {
            SimDump::View view;
            view.originX = r.Real();
            view.originY = r.Real();
            view.scale = r.Real();
            dump.view = view;
        } else if (kind == "screen") {
            SimDump::Screen screen;
            screen.window = r.Text();
            screen.left = r.Integer();
            screen.top = r.Integer();
            screen.right = r.Integer();
            screen.bottom = r.Integer();
            dump.screens.push_back(screen);
        } else if (kind == "block" && !owed) {
            Block block;
            block.name = r.Text();
            block.base = r.At();
            blockEntitiesLeft = r.Integer();
            if (blockEntitiesLeft < 0) blockEntitiesLeft = -1;  // refused below
            dump.blocks.push_back(std::move(block));
        } else if (auto entity = ReadEntity(kind, r)) {
            if (blockEntitiesLeft > 0) {
                dump.blocks.back().entities.push_back(std::move(*entity));
                --blockEntitiesLeft;
            } else {
                dump.entities.push_back(std::move(*entity));
            }
            continue;
        } else {
            known = false;
        }
        if (!known || owed || !r.ok() || !r.AtEnd() || blockEntitiesLeft < 0) {
            return fail("bad record on line " + std::to_string(lineNumber));
        }
    }
    return fail("dump ends before its end record");
}

}  // namespace tessavue::sim
