// A large selection export for the benchmarks: `count` lines, circles and arcs in
// turn (or lines only), each with a handle and Z values, as AutoCAD's R12 export
// writes them (CR LF).
#pragma once

#include <cstdio>
#include <filesystem>
#include <fstream>

#include "dxf_data/number_text.h"

namespace tessavue {

inline void WriteGeneratedExport(const std::filesystem::path& file, int count, bool linesOnly = false) {
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$ACADVER\r\n  1\r\nAC1009\r\n  0\r\nENDSEC\r\n"
           "  0\r\nSECTION\r\n  2\r\nTABLES\r\n  0\r\nENDSEC\r\n  0\r\nSECTION\r\n  2\r\nBLOCKS\r\n  0\r\nENDSEC\r\n"
           "  0\r\nSECTION\r\n  2\r\nENTITIES\r\n";
    for (int i = 0; i < count; ++i) {
        const double x = i % 317 * 1.25;
        const double y = i / 317 * 0.75;
        char handle[16];
        std::snprintf(handle, sizeof handle, "%X", 0x100 + i);
        switch (linesOnly ? 0 : i % 3) {
        case 0:
            out << "  0\r\nLINE\r\n  5\r\n" << handle << "\r\n  8\r\n0\r\n 10\r\n" << NumberText(x) << "\r\n 20\r\n"
                << NumberText(y) << "\r\n 30\r\n0.0\r\n 11\r\n" << NumberText(x + 3) << "\r\n 21\r\n"
                << NumberText(y + 1) << "\r\n 31\r\n0.0\r\n";
            break;
        case 1:
            out << "  0\r\nCIRCLE\r\n  5\r\n" << handle << "\r\n  8\r\n0\r\n 10\r\n" << NumberText(x)
                << "\r\n 20\r\n" << NumberText(y) << "\r\n 30\r\n0.0\r\n 40\r\n0.5\r\n";
            break;
        default:
            out << "  0\r\nARC\r\n  5\r\n" << handle << "\r\n  8\r\n0\r\n 10\r\n" << NumberText(x) << "\r\n 20\r\n"
                << NumberText(y) << "\r\n 30\r\n0.0\r\n 40\r\n0.5\r\n 50\r\n30.0\r\n 51\r\n300.0\r\n";
        }
    }
    out << "  0\r\nENDSEC\r\n  0\r\nEOF\r\n";
}

}  // namespace tessavue
