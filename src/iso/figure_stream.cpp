#include "iso/figure_stream.h"

#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <system_error>
#include <vector>

#include "dxf_data/number_text.h"
#include "dxf_data/str_to_float.h"
#include "iso/faces.h"
#include "iso/projection.h"

namespace tessavue {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

// Whether the machine keeps the low byte first (x86 and every Windows machine do).
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
constexpr bool kLittleEndian = true;
#else
constexpr bool kLittleEndian = false;
#endif

// The first CR or LF at or after `at`, or `size`. Eight bytes at a time where eight
// are left (a large file's lines are short: a byte loop's exit is mispredicted once a
// line), the rest byte by byte.
std::size_t FindLineEnd(const char* data, std::size_t at, std::size_t size) {
    constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
    constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
    while (at + 8 <= size) {
        std::uint64_t word;
        std::memcpy(&word, data + at, 8);
        const std::uint64_t cr = word ^ (kOnes * '\r');
        const std::uint64_t lf = word ^ (kOnes * '\n');
        // A byte of zero in either marks a line end; bits above the first may be set
        // by the borrow, never below it.
        const std::uint64_t found = ((cr - kOnes) & ~cr & kHighs) | ((lf - kOnes) & ~lf & kHighs);
        if (found != 0) {
            if constexpr (kLittleEndian) return at + static_cast<std::size_t>(__builtin_ctzll(found)) / 8;
            break;
        }
        at += 8;
    }
    while (at < size && data[at] != '\n' && data[at] != '\r') ++at;
    return at;
}

// The lines of a file's bytes in turn: each ends at CR LF, a lone LF or a lone CR;
// a last piece without a line end is a line when it is not empty.
class LineCursor {
public:
    explicit LineCursor(std::string_view text, std::size_t at = 0) : text_(text), at_(at) {}

    bool Next(std::string_view& line) {
        const std::size_t size = text_.size();
        if (at_ >= size) return false;
        const char* data = text_.data();
        const std::size_t end = FindLineEnd(data, at_, size);
        line = std::string_view(data + at_, end - at_);
        if (end == size)
            at_ = size;
        else
            at_ = end + (data[end] == '\r' && end + 1 < size && data[end + 1] == '\n' ? 2 : 1);
        return true;
    }
    bool Pair(std::string_view& code, std::string_view& value) { return Next(code) && Next(value); }
    // Where the next line starts.
    std::size_t Offset() const { return at_; }

private:
    std::string_view text_;
    std::size_t at_;
};

// Blanks around a group code are allowed where a code is compared by its text.
bool IsCode(std::string_view line, std::string_view code) {
    std::size_t begin = 0;
    std::size_t end = line.size();
    while (begin < end && (line[begin] == ' ' || line[begin] == '\t')) ++begin;
    while (end > begin && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
    return line.substr(begin, end - begin) == code;
}

// AutoCAD's own layout of a point's groups, three characters: " 10" to " 13", " 20" to " 23".
bool IsXCode(std::string_view line) {
    return line.size() == 3 && line[0] == ' ' && line[1] == '1' && line[2] >= '0' && line[2] <= '3';
}
bool IsYCode(std::string_view line) {
    return line.size() == 3 && line[0] == ' ' && line[1] == '2' && line[2] >= '0' && line[2] <= '3';
}
// Whether `yCode` is the Y group of the X group `xCode` (" 20" of " 10", " 21" of " 11").
bool IsYOf(std::string_view xCode, std::string_view yCode) { return IsYCode(yCode) && yCode[2] == xCode[2]; }

std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// Point groups that hold a direction from the entity's own point rather than a point:
// an ellipse's major axis, an MTEXT's direction and an XLINE's or a RAY's (11/21), a
// spline's start and end tangents (12/22, 13/23). They turn with the figure, but the
// base point does not move them and the raised copy does not raise them.
bool IsRelativeVector(std::string_view kind, std::string_view code) {
    const char digit = code[2];
    if (kind == "ELLIPSE" || kind == "MTEXT" || kind == "XLINE" || kind == "RAY") return digit == '1';
    if (kind == "SPLINE") return digit == '2' || digit == '3';
    return false;
}

// The section in the input's bytes: where the line after its name starts, where its
// first entity's "  0" starts (or its closing "  0" when it holds none), the closing
// "  0" line itself and where the "ENDSEC" after it starts.
struct SectionBounds {
    std::size_t Start = 0;
    std::size_t First = 0;
    std::size_t EndCode = 0;
    std::string_view EndCodeLine;
    std::size_t Endsec = 0;
};

// The section's closing "  0" found at `at` (its code line `code`): where it and the
// "ENDSEC" after it start, and where the first entity starts when the section held none.
void MarkSectionEnd(std::string_view input, std::size_t at, std::string_view code, bool first,
                    SectionBounds& bounds) {
    if (!first) bounds.First = at;
    bounds.EndCode = at;
    bounds.EndCodeLine = code;
    // The "ENDSEC" line starts right after the code line's end.
    LineCursor back(input, at);
    std::string_view skipped;
    back.Next(skipped);
    bounds.Endsec = back.Offset();
}

// The first "  0" "SECTION" "  2" "ENTITIES" header, line by line (as the header may
// sit anywhere), then its pairs up to the first "  0" "ENDSEC", laid out as
// FindEntitiesSection requires.
SectionResult FindSection(std::string_view input, SectionBounds& bounds) {
    LineCursor lines(input);
    std::string_view window[4];  // the last four lines, the newest last
    std::size_t count = 0;
    std::string_view line;
    bool found = false;
    while (lines.Next(line)) {
        window[0] = window[1], window[1] = window[2], window[2] = window[3], window[3] = line;
        if (++count >= 4 && window[3] == "ENTITIES" && window[1] == "SECTION" && IsCode(window[2], "2") &&
            IsCode(window[0], "0")) {
            found = true;
            break;
        }
    }
    if (!found) return {SectionFault::NoEntities, {}};
    bounds.Start = lines.Offset();
    bool first = false;
    std::string_view code, value;
    std::size_t at = lines.Offset();
    while (lines.Pair(code, value)) {
        int number = 0;
        if (!ReadGroupCode(code, number)) return {SectionFault::BadGroupCode, std::string(code)};
        // The file's number check paired its lines from the top and stopped at its end
        // mark; this section lies past that mark, or pairs its lines otherwise. Its
        // numbers are checked here as its own pairs give them, or the copy would carry
        // an unchecked value to where a reader takes it.
        if (!GroupValueIsValid(number, value)) return {SectionFault::BadValue, std::string(value), std::to_string(number)};
        if (number == 0) {
            if (value == "ENDSEC") {
                MarkSectionEnd(input, at, code, first, bounds);
                return {};
            }
            if (!first) {
                first = true;
                bounds.First = at;
            }
        } else if (!first && number != 999) {
            // A copy taken from here would make the pair's value an entity's name.
            return {SectionFault::NoEntityStart, std::string(value), std::to_string(number)};
        }
        at = lines.Offset();
    }
    return {SectionFault::NotClosed, {}};
}

// Which entities of the walk keep their points in object coordinates mirrored
// against the world's (extrusion 0,0,-1): circles, arcs and polylines, a POLYLINE's
// vertices with it. Lines, points and the rest keep world coordinates whatever
// their extrusion.
class ObjectCoordinates {
public:
    // Called at each "  0" group with its kind; `after` is where the entity's next
    // line starts.
    void Enter(std::string_view input, std::string_view kind, std::size_t after) {
        if (kind == "VERTEX") {
            mirrored_ = polyline_;
            return;
        }
        if (kind == "SEQEND") return;  // closes the polyline; holds no point
        const bool planar = kind == "CIRCLE" || kind == "ARC" || kind == "LWPOLYLINE" || kind == "POLYLINE";
        mirrored_ = planar && ExtrudedDown(input, after);
        polyline_ = kind == "POLYLINE" && mirrored_;
    }
    bool Mirrored() const { return mirrored_; }

private:
    // An extrusion pointing down (group 230 below 0) among the entity's pairs, up to
    // its next "  0".
    static bool ExtrudedDown(std::string_view input, std::size_t after) {
        LineCursor lines(input, after);
        std::string_view code, value;
        while (lines.Pair(code, value)) {
            if (IsCode(code, "0")) break;
            if (IsCode(code, "230")) {
                const std::optional<double> z = TryStrToFloat(value);
                return z && *z < 0;
            }
        }
        return false;
    }
    bool mirrored_ = false;
    bool polyline_ = false;
};

// The text up to the section's end, kept in blocks until every refusal is ruled out:
// no block is ever moved or grown (a large file's text is not copied again as one
// string would be when it grows), and no line is split between blocks.
class BlockText {
public:
    struct Block {
        std::unique_ptr<char[]> Data;
        std::size_t Size = 0;
        std::size_t Capacity = 0;
    };
    static constexpr std::size_t kBlock = 1 << 18;

    void Line(std::string_view line) {
        char* at = Room(line.size() + 2);
        std::memcpy(at, line.data(), line.size());
        at[line.size()] = '\r';
        at[line.size() + 1] = '\n';
        blocks_.back().Size += line.size() + 2;
    }
    void Number(double value) {
        char* at = Room(kNumberTextMax + 2);
        const std::size_t size = WriteNumberText(value, at);
        at[size] = '\r';
        at[size + 1] = '\n';
        blocks_.back().Size += size + 2;
    }
    // Where the next line goes: a block and an offset in it (perhaps its end).
    std::pair<std::size_t, std::size_t> Here() {
        Room(0);
        return {blocks_.size() - 1, blocks_.back().Size};
    }
    const std::vector<Block>& Blocks() const { return blocks_; }

private:
    char* Room(std::size_t size) {
        if (blocks_.empty() || blocks_.back().Size + size > blocks_.back().Capacity) {
            Block block;
            block.Capacity = size > kBlock ? size : kBlock;
            block.Data.reset(new char[block.Capacity]);
            blocks_.push_back(std::move(block));
        }
        return blocks_.back().Data.get() + blocks_.back().Size;
    }
    std::vector<Block> blocks_;
};

// The output in pieces of a quarter megabyte.
class OutputBuffer {
public:
    explicit OutputBuffer(FigureOutput& output) : output_(output), buffer_(new char[kSize]) {}
    void Append(std::string_view bytes) {
        if (size_ + bytes.size() > kSize) Flush();
        // A large piece (a block of the section's text) goes out as it is.
        if (bytes.size() >= kSize / 4) {
            Flush();
            ok_ = ok_ && output_.Write(bytes);
            return;
        }
        std::memcpy(buffer_.get() + size_, bytes.data(), bytes.size());
        size_ += bytes.size();
    }
    void Line(std::string_view line) {
        if (size_ + line.size() + 2 > kSize) {
            Append(line);
            Append(kLineEnd);
            return;
        }
        char* at = buffer_.get() + size_;
        std::memcpy(at, line.data(), line.size());
        at[line.size()] = '\r';
        at[line.size() + 1] = '\n';
        size_ += line.size() + 2;
    }
    void Number(double value) {
        if (size_ + kNumberTextMax + 2 > kSize) Flush();
        char* at = buffer_.get() + size_;
        const std::size_t size = WriteNumberText(value, at);
        at[size] = '\r';
        at[size + 1] = '\n';
        size_ += size + 2;
    }
    bool Finish() {
        Flush();
        return ok_;
    }

private:
    static constexpr std::size_t kSize = 1 << 18;
    void Flush() {
        if (size_ != 0) ok_ = ok_ && output_.Write(std::string_view(buffer_.get(), size_));
        size_ = 0;
    }
    FigureOutput& output_;
    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
    bool ok_ = true;
};

// The Y a written number text reads back as: the raised copy raises what was written.
double ReadBack(double value) {
    char text[kNumberTextMax];
    const std::size_t size = WriteNumberText(value, text);
    double back = 0;
    std::from_chars(text, text + size, back);
    return back;
}

// The turn (or move) of the section's pairs, written with everything before them
// into `text`; the copy's refusal, when a raised Y would leave the range, in `copyFault`
// (the first, in the copy's order, which is the walk's).
class SectionWalk {
public:
    SectionWalk(std::string_view input, const SectionBounds& bounds, const FigureSteps& steps,
                const FaceParameters* face, std::optional<double> raise, BlockText& text)
        : input_(input), bounds_(bounds), steps_(steps), face_(face), raise_(raise), text_(text) {}

    // The whole walk, on bounds found before.
    SectionResult Run() {
        LineCursor lines(input_);
        std::string_view line;
        while (lines.Offset() < bounds_.Start && lines.Next(line)) Header(line);
        std::string_view code, value;
        while (lines.Offset() < bounds_.EndCode && lines.Pair(code, value)) {
            const bool firstEntity = static_cast<std::size_t>(code.data() - input_.data()) == bounds_.First;
            if (SectionResult step = Step(lines, code, value, firstEntity); !step) return step;
        }
        return Finish();
    }

    // Or in steps, as the pairs come: the lines up to the section's name as they stand,
    // then each of the section's pairs before its closing one (`firstEntity` for the
    // first entity's "  0"), then the end.
    void Header(std::string_view line) { text_.Line(line); }
    SectionResult Step(const LineCursor& lines, std::string_view code, std::string_view value, bool firstEntity) {
        // A face outside the table turns nothing; the section passes as it is.
        if (!steps_.Turn) return Move(lines, code, value, firstEntity);
        if (face_) return Turn(lines, code, value, firstEntity);
        Write(code, value, firstEntity);
        return {};
    }
    SectionResult Finish() {
        if (pendingX_) return {SectionFault::LoneX, std::string(xValue_)};
        return {};
    }

    std::pair<std::size_t, std::size_t> CopyStart() const { return copyStart_; }
    const SectionResult& CopyFault() const { return copyFault_; }

private:
    // A pair written as it stands; for the first entity's, where its kind line lands
    // is where the raised copy starts.
    void Write(std::string_view code, std::string_view value, bool firstEntity) {
        text_.Line(code);
        if (firstEntity) {
            copyStart_ = text_.Here();
        }
        text_.Line(value);
    }
    // A written Y the copy will raise: the copy is refused, naming the Y as written,
    // when the raise carries it beyond the range. Only numbers near the largest double
    // can: the others are not read back.
    void CheckRaise(double written) {
        if (!raise_ || copyFault_.Fault != SectionFault::None) return;
        if (std::fabs(written) < 1e307 && std::fabs(*raise_) < 1e307) return;
        if (!std::isfinite(*raise_ + ReadBack(written))) copyFault_ = {SectionFault::OutOfRange, NumberText(written)};
    }

    SectionResult Turn(const LineCursor& lines, std::string_view code, std::string_view value, bool firstEntity) {
        // An X whose Y does not follow it (a 10 needs its 20, not a 21): its point
        // would be half turned.
        if (pendingX_ && !IsYOf(xCode_, code)) return {SectionFault::LoneX, std::string(xValue_)};
        if (IsCode(code, "0")) {
            inArc_ = value == "ARC";
            kind_ = Trimmed(value);
            frame_.Enter(input_, value, lines.Offset());
            pendingX_ = false;
            Write(code, value, firstEntity);
        } else if (IsXCode(code)) {
            const std::optional<double> read = TryStrToFloat(value);
            if (!read) return {SectionFault::BadCoordinate, std::string(value)};
            // Turned in the world, about the base point; object X is the world's negated.
            vector_ = IsRelativeVector(kind_, code);
            x_ = (frame_.Mirrored() ? -*read : *read) - (vector_ ? 0 : steps_.BaseX);
            pendingX_ = true;
            xCode_ = code;
            xValue_ = value;
        } else if (IsYCode(code)) {
            const std::optional<double> y = TryStrToFloat(value);
            if (!y) return {SectionFault::BadCoordinate, std::string(value)};
            // AutoCAD writes a point's X pair right before its Y pair; a Y alone is damage.
            if (!pendingX_) return {SectionFault::LoneY, std::string(value)};
            const double dy = *y - (vector_ ? 0 : steps_.BaseY);
            // hypot, not the root of the squares: a coordinate of 1e200 is a point like
            // any other, while its square is no number.
            const double r = std::hypot(x_, dy);
            const double a = PlanAngle(x_, dy);
            const double turned = Radians(a + face_->Angle);
            const double turnedX = std::cos(turned) * r;
            const double turnedY = std::sin(turned) * r;
            // Only a point within a few units of the largest double can leave the range
            // (the turn lengthens no coordinate by more than the root of two).
            if (!std::isfinite(turnedX) || !std::isfinite(turnedY) || !std::isfinite(x_))
                return {SectionFault::OutOfRange, std::string(std::fabs(x_) > std::fabs(dy) ? xValue_ : value)};
            text_.Line(xCode_);
            text_.Number(frame_.Mirrored() ? -turnedX : turnedX);
            text_.Line(code);
            text_.Number(turnedY);
            if (!vector_) CheckRaise(turnedY);
            pendingX_ = false;
        } else if (inArc_ && (code == " 50" || code == " 51")) {
            const std::optional<double> angle = TryStrToFloat(value);
            if (!angle) return {SectionFault::BadCoordinate, std::string(value)};
            if (!std::isfinite(*angle + face_->Angle)) return {SectionFault::OutOfRange, std::string(value)};
            // An object angle a is the world's 180 - a: a world turn by F is a turn by -F.
            text_.Line(code);
            text_.Number(frame_.Mirrored() ? *angle - face_->Angle : *angle + face_->Angle);
        } else {
            Write(code, value, firstEntity);
        }
        return {};
    }

    SectionResult Move(const LineCursor& lines, std::string_view code, std::string_view value, bool firstEntity) {
        // The points move whole, as the turn takes them: an X pair right before its Y
        // pair. A half moved point would read as another outline.
        const bool isY = IsYCode(code);
        if (pendingX_ && !IsYOf(xCode_, code)) return {SectionFault::LoneX, std::string(xValue_)};
        if (IsCode(code, "0")) {
            kind_ = Trimmed(value);
            frame_.Enter(input_, value, lines.Offset());
            Write(code, value, firstEntity);
            return {};
        }
        const bool isX = IsXCode(code);
        if (!isX && !isY) {
            Write(code, value, firstEntity);
            return {};
        }
        const std::optional<double> v = TryStrToFloat(value);
        if (!v) return {SectionFault::BadCoordinate, std::string(value)};
        if (isY && !pendingX_) return {SectionFault::LoneY, std::string(value)};
        pendingX_ = isX;
        if (isX) {
            xCode_ = code;
            xValue_ = value;
        }
        // Object X runs against the world's: moving the world by -baseX moves it by +baseX.
        // A direction does not move.
        const bool vector = IsRelativeVector(kind_, code);
        const double shift =
            vector ? 0 : isX ? (frame_.Mirrored() ? -steps_.BaseX : steps_.BaseX) : steps_.BaseY;
        const double moved = *v - shift;
        if (!std::isfinite(moved)) return {SectionFault::OutOfRange, std::string(value)};
        text_.Line(code);
        text_.Number(moved);
        if (isY && !vector) CheckRaise(moved);
        return {};
    }

    std::string_view input_;
    const SectionBounds& bounds_;
    const FigureSteps& steps_;
    const FaceParameters* face_;
    std::optional<double> raise_;  // set when the section gets a raised copy
    BlockText& text_;

    ObjectCoordinates frame_;
    bool inArc_ = false;
    std::string_view kind_;  // the entity's kind, as its "  0" pair names it
    bool vector_ = false;    // the pending X opens a direction, not a point
    bool pendingX_ = false;  // an X whose Y comes next
    double x_ = 0;           // its X, turned into the world and moved
    std::string_view xCode_, xValue_;
    std::pair<std::size_t, std::size_t> copyStart_{0, 0};
    SectionResult copyFault_;
};

// The number check, the section's bounds and the walk in one pass over the file's
// pairs, finding what CheckNumberGroups, FindEntitiesSection and the walk would find
// one after the other: a fault of the number check comes first wherever it lies, then
// one of the section's layout, then the walk's (`walked`); so after a fault the pass
// goes on, without walking, to the section's end and the end mark. A header between
// pairs, or none before the end mark, sets `search`: the header is then searched line
// by line (FindSection) and the walk runs again on its own.
SectionResult ScanFile(std::string_view input, SectionBounds& bounds, SectionWalk& walk, SectionResult& walked,
                       bool& search) {
    enum class State { Seeking, Walking, Found, Refused };
    State state = State::Seeking;
    SectionResult refusal;  // of the section's layout
    bool numbersDone = false;
    bool first = false;
    LineCursor lines(input);
    std::string_view code, value, lastCode, lastValue;
    bool havePair = false;
    std::size_t at = 0;
    search = false;
    while (lines.Pair(code, value)) {
        int number = 0;
        const bool isCode = ReadGroupCode(code, number);
        if (!numbersDone) {
            if (!isCode) return {SectionFault::BadGroupCode, std::string(code)};
            // Readers stop at the end mark; what follows it is no part of the drawing.
            if (IsEndMark(number, value)) {
                numbersDone = true;
                if (state == State::Seeking) break;
            } else if (!GroupValueIsValid(number, value)) {
                return {SectionFault::BadValue, std::string(value), std::to_string(number)};
            }
        }
        if (state == State::Seeking) {
            walk.Header(code);
            walk.Header(value);
            if (havePair && value == "ENTITIES" && lastValue == "SECTION" && IsCode(code, "2") &&
                IsCode(lastCode, "0")) {
                state = State::Walking;
                bounds.Start = lines.Offset();
            }
        } else if (state == State::Walking) {
            if (!isCode) {
                refusal = {SectionFault::BadGroupCode, std::string(code)};
                state = State::Refused;
            } else if (number == 0 && value == "ENDSEC") {
                MarkSectionEnd(input, at, code, first, bounds);
                state = State::Found;
                if (walked) walked = walk.Finish();
            } else {
                const bool firstEntity = number == 0 && !first;
                if (firstEntity) {
                    first = true;
                    bounds.First = at;
                } else if (!first && number != 999) {
                    // A copy taken from here would make the pair's value an entity's name.
                    refusal = {SectionFault::NoEntityStart, std::string(value), std::to_string(number)};
                    state = State::Refused;
                }
                if (state == State::Walking && walked) walked = walk.Step(lines, code, value, firstEntity);
            }
        }
        if (numbersDone && (state == State::Found || state == State::Refused)) break;
        lastCode = code;
        lastValue = value;
        havePair = true;
        at = lines.Offset();
    }
    if (state == State::Found) return {};
    if (state == State::Refused) return refusal;
    if (state == State::Walking) return {SectionFault::NotClosed, {}};
    search = true;
    return FindSection(input, bounds);
}

// The raised copy, read back from the written section: from the first entity's kind
// line to the end, every Y raised, handles left out (AutoCAD gives the copies new
// ones; a handle written twice damages the file).
void WriteRaisedCopy(const BlockText& text, std::pair<std::size_t, std::size_t> start, double raise,
                     OutputBuffer& out) {
    const std::vector<BlockText::Block>& blocks = text.Blocks();
    bool kind = true;  // the first line is the kind; pairs follow
    std::string_view entityKind;
    std::string_view code;
    bool haveCode = false;
    for (std::size_t b = start.first; b < blocks.size(); ++b) {
        const char* data = blocks[b].Data.get();
        const std::size_t size = blocks[b].Size;
        std::size_t at = b == start.first ? start.second : 0;
        while (at < size) {
            // Every line written there ends in CR LF and holds no other CR or LF.
            const std::size_t stop = FindLineEnd(data, at, size);
            const std::string_view line(data + at, stop - at);
            at = stop + 2;
            if (kind) {
                out.Line(line);
                entityKind = Trimmed(line);
                kind = false;
            } else if (!haveCode) {
                code = line;
                haveCode = true;
            } else {
                haveCode = false;
                if (code == "  5") continue;
                out.Line(code);
                if (IsCode(code, "0")) entityKind = Trimmed(line);
                if (IsYCode(code) && !IsRelativeVector(entityKind, code)) {
                    double y = 0;
                    std::from_chars(line.data(), line.data() + line.size(), y);
                    out.Number(raise + y);
                } else {
                    out.Line(line);
                }
            }
        }
    }
}

}  // namespace

SectionResult RewriteFigure(std::string_view input, const FigureSteps& steps, const EntityTableRows& table,
                            FigureOutput& output) {
    // The figure file carries every group of the work file on; one that no reader
    // takes would reach AutoCAD's insertion.
    const FaceParameters* face = FaceRow(steps.Inputs.FaceCode);
    std::optional<double> raise;
    if (face && MakesRaisedCopy(steps.Inputs))
        raise = std::sqrt(2.0) * (face->HeightFactor * steps.Inputs.HeightSign * steps.Inputs.Height);
    const bool finiteRaise = raise && std::isfinite(*raise);

    SectionBounds bounds;
    auto text = std::make_unique<BlockText>();
    auto walk = std::make_unique<SectionWalk>(input, bounds, steps, face, finiteRaise ? raise : std::nullopt, *text);
    SectionResult walked;
    bool search = false;
    if (SectionResult scanned = ScanFile(input, bounds, *walk, walked, search); !scanned) return scanned;
    if (search) {
        // Found line by line: the walk over the pairs wrote nothing that counts.
        text = std::make_unique<BlockText>();
        walk = std::make_unique<SectionWalk>(input, bounds, steps, face, finiteRaise ? raise : std::nullopt, *text);
        walked = walk->Run();
    }
    if (!walked) return walked;
    const bool entities = bounds.First != bounds.EndCode;
    // A height near the largest double has no lift at all: the copy would stand at
    // infinity, whatever the plan's points.
    if (raise && !finiteRaise) return {SectionFault::HeightOutOfRange, NumberText(steps.Inputs.Height)};
    if (!walk->CopyFault()) return walk->CopyFault();
    std::string heightLines;
    if (SectionResult made = HeightLineRecords(table, steps.Inputs, heightLines); !made) return made;

    // Every refusal is behind us: the file goes out.
    OutputBuffer out(output);
    for (const BlockText::Block& block : text->Blocks()) out.Append(std::string_view(block.Data.get(), block.Size));
    if (finiteRaise && entities) {
        out.Line(bounds.EndCodeLine);
        WriteRaisedCopy(*text, walk->CopyStart(), *raise, out);
    }
    out.Append(heightLines);
    out.Line(bounds.EndCodeLine);
    LineCursor rest(input, bounds.Endsec);
    std::string_view line;
    while (rest.Next(line)) out.Line(line);
    if (!out.Finish()) return {SectionFault::Unwritable, {}};
    return {};
}

}  // namespace tessavue
