// A plain-text dump of the stand-in's state, for tests: the drawing (layers and every
// entity with full-precision coordinates), the command history and every input chunk
// received. One record a line, fields separated by single blanks; every text field is
// written in double quotes with each byte outside 0x21..0x7E, the double quote and the
// backslash as \xHH, so any byte (Shift-JIS, CR, ESC, zero) survives the round trip.
//
//   tessavue-sim-dump 1
//   edition "LT2000"
//   last-point <x> <y>
//   units <LUNITS> <LUPREC> <DIMDEC>
//   filedia <FILEDIA>
//   ucs-origin <x> <y>             the current UCS's origin, a world point
//   current-layer "<name>"
//   layer "<name>" <color> [off] [frozen]
//   line <id> "<layer>" <x1> <y1> <x2> <y2>
//   circle <id> "<layer>" <cx> <cy> <r>
//   arc <id> "<layer>" <cx> <cy> <r> <start> <end>
//   ellipse <id> "<layer>" <cx> <cy> <majorX> <majorY> <ratio> <start> <end>
//   polyline <id> "<layer>" <closed 0|1> <count> <x> <y> ... [bulges <b> ...]
//   text <id> "<layer>" <x> <y> <height> <rotation> "<text>"
//   insert <id> "<layer>" <x> <y> <scaleX> <scaleY> <rotation> "<block>"
//   circles, arcs and polylines in object coordinates end in: normal <z>
//   block "<name>" <baseX> <baseY> <count>
//                                  followed by the <count> entity records of the
//                                  definition, in the forms above
//   history "<line>"
//   command-line "<text>"
//   input "<transport>" "<bytes>"
//   view <originX> <originY> <scale>   the canvas as shown: the drawing point (x, y) is
//                                  the canvas pixel (originX + x * scale, originY - y * scale)
//   screen "<window>" <left> <top> <right> <bottom>
//                                  a window on the screen, in pixels: "canvas" (its
//                                  client area) and "input" (the command input)
//   end
// The view and the screens are written by the stand-in's window only, for tests that
// point and click as a person does.
//
// Numbers are the shortest text that reads back to the same double.
#pragma once

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "drawing.h"
#include "host.h"

namespace tessavue::sim {

struct SimDump {
    std::string edition;
    Point lastPoint{};
    int linearUnits = 2;
    int unitPrecision = 4;
    int dimensionDecimals = 4;
    int filedia = 1;
    Point ucsOrigin{};
    std::string currentLayer = "0";
    std::vector<Layer> layers;
    std::vector<Entity> entities;
    std::vector<Block> blocks;
    std::vector<std::string> history;
    std::string commandLine;
    std::vector<InputChunk> inputs;
    struct View {
        double originX = 0;
        double originY = 0;
        double scale = 1;
    };
    std::optional<View> view;
    struct Screen {
        std::string window;
        long long left = 0, top = 0, right = 0, bottom = 0;
    };
    std::vector<Screen> screens;
};

SimDump MakeDump(const SimHost& host);
void WriteDump(const SimDump& dump, std::ostream& out);
// nullopt (and a reason in `error`) when the text is not a complete dump.
std::optional<SimDump> ReadDump(std::istream& in, std::string* error = nullptr);

// The field encoding, exposed for tests and for other writers of quoted bytes.
std::string QuoteBytes(const std::string& bytes);
std::optional<std::string> UnquoteBytes(const std::string& field);

}  // namespace tessavue::sim
