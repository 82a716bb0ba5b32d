#include "draw/round_bar_bend_figure.h"

#include <cmath>

#include "iso/projection.h"

namespace tessavue {

namespace {

struct Pt {
    double X = 0;
    double Y = 0;
};

}  // namespace

std::vector<std::vector<IsoEllipseArc>> RoundBarBendArcs(double px, double py, double bendRadius, double barRadius,
                                                         std::int32_t sideTurn) {
    const double R = bendRadius;
    const double k = std::sqrt(1.5) * barRadius;
    const double c30 = std::cos(0.5235987755982988);
    const double s30 = std::sin(0.5235987755982988);
    const double c60 = std::cos(1.0471975511965976);
    const double s60 = std::sin(1.0471975511965976);
    const double t = std::sqrt(3.0);
    const Pt A0{px + R / t, py};
    const Pt A1{px + c30 * R, py + s30 * R};
    const Pt A2{A1.X - c60 * k, A1.Y - s60 * k};
    const Pt A3{A1.X + c60 * k, A1.Y + s60 * k};
    const Pt B0{px, py - R};
    const Pt C0{px - R / t, py};
    const Pt C1{px - c30 * R, py - s30 * R};
    const Pt C2{C1.X - c60 * k, C1.Y - s60 * k};
    const Pt C3{C1.X + c60 * k, C1.Y + s60 * k};
    const Pt D0{px, py + R};
    struct Segment {
        double start, end;
        Pt p0, p1, p2, p3, section;
        double sectionAngle;
    };
    const Segment segments[] = {
        {-30, 30, A0, A1, A2, A3, {A1.X, A1.Y}, 60},
        {30, 150, B0, A1, A2, A3, {C1.X, A1.Y}, -60},
        {150, 210, C0, C1, C3, C2, {C1.X, C1.Y}, 60},
        {210, 330, D0, C1, C3, C2, {A1.X, C1.Y}, -60},
    };
    // Each piece where it ends up: the outline arcs as the plan's arc scaled about its
    // segment's start p0 by |p0 to| / |p0 p1| (the bar's edge at `to`), and every piece
    // turned by the side turn about the picked point. An ellipse arc scaled evenly and
    // turned is the ellipse arc of the scaled, turned centre and axes with the same
    // angles.
    const double turn = Radians(sideTurn);
    const auto turned = [&](Pt p) {
        const double dx = p.X - px;
        const double dy = p.Y - py;
        return Pt{px + dx * std::cos(turn) - dy * std::sin(turn), py + dx * std::sin(turn) + dy * std::cos(turn)};
    };
    std::vector<std::vector<IsoEllipseArc>> groups;
    for (const Segment& s : segments) {
        std::vector<IsoEllipseArc> group;
        for (const Pt& to : {s.p2, s.p3}) {
            const double factor =
                std::hypot(to.X - s.p0.X, to.Y - s.p0.Y) / std::hypot(s.p1.X - s.p0.X, s.p1.Y - s.p0.Y);
            const Pt centre = turned({s.p0.X + factor * (px - s.p0.X), s.p0.Y + factor * (py - s.p0.Y)});
            group.push_back({centre.X, centre.Y, factor * R, s.start, s.end, static_cast<double>(sideTurn)});
        }
        const Pt section = turned(s.section);
        for (const auto& [from, until] : {std::pair{0.0, 180.0}, std::pair{180.0, 360.0}})
            group.push_back({section.X, section.Y, barRadius, from, until, s.sectionAngle + sideTurn});
        groups.push_back(group);
    }
    return groups;
}

WorldEllipse IsoArcEllipse(const IsoEllipseArc& arc) {
    const double a = std::sqrt(1.5) * arc.Radius;
    const double b = std::sqrt(0.5) * arc.Radius;
    const double axis = Radians(arc.AxisAngle);
    // A true angle u from the major axis lies at the parameter whose tangent is
    // a/b tan u, in the same quarter as u: whole turns and all, so an arc keeps its sweep.
    const double turnLength = 2 * 3.141592653589793;
    const auto parameter = [&](double degrees) {
        const double u = Radians(degrees);
        const double t = std::atan2(a * std::sin(u), b * std::cos(u));
        return t + turnLength * std::round((u - t) / turnLength);
    };
    WorldEllipse e;
    e.Centre = {arc.CentreX, arc.CentreY};
    e.MajorAxis = {a * std::cos(axis), a * std::sin(axis)};
    e.Ratio = b / a;
    e.StartParam = parameter(arc.StartAngle);
    e.EndParam = parameter(arc.EndAngle);
    while (e.EndParam <= e.StartParam) e.EndParam += turnLength;
    return e;
}

}  // namespace tessavue
