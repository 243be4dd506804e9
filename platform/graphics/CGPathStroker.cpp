#include "platform/graphics/CGPathStroker.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <numeric>

namespace {

void addPolygon(std::vector<CGPoint> points, CGPath& out)
{
    if (points.size() < 3)
        return;
    CGFloat area = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const CGPoint& a = points[i];
        const CGPoint& b = points[(i + 1) % points.size()];
        area += a.x * b.y - b.x * a.y;
    }
    if (area == 0)
        return;
    if (area < 0)
        std::reverse(points.begin(), points.end());
    out.moveTo(points[0]);
    for (std::size_t i = 1; i < points.size(); ++i)
        out.lineTo(points[i]);
    out.closeSubpath();
}

void addCircle(CGPoint centre, CGFloat radius, CGPath& out)
{
    // Increasing angle is the positive winding that addPolygon also uses.
    auto circle = CGPathCreateMutable();
    CGPathAddEllipseInRect(circle, nullptr, CGRectMake(centre.x - radius, centre.y - radius, 2 * radius, 2 * radius));
    out.append(*circle, nullptr);
}

CGPoint unit(CGPoint from, CGPoint to)
{
    const CGFloat length = std::hypot(to.x - from.x, to.y - from.y);
    return { (to.x - from.x) / length, (to.y - from.y) / length };
}

std::vector<CGPoint> withoutRepeats(const std::vector<CGPoint>& points)
{
    std::vector<CGPoint> result;
    for (const CGPoint& p : points) {
        if (result.empty() || result.back() != p)
            result.push_back(p);
    }
    return result;
}

} // namespace

void CGPathStroker::setDash(CGFloat phase, std::vector<CGFloat> lengths)
{
    const bool usable = !lengths.empty()
        && std::all_of(lengths.begin(), lengths.end(), [](CGFloat l) { return l >= 0 && std::isfinite(l); })
        && std::accumulate(lengths.begin(), lengths.end(), CGFloat(0)) > 0;
    m_dashPhase = phase;
    m_dashLengths = usable ? std::move(lengths) : std::vector<CGFloat> {};
}

std::shared_ptr<CGPath> CGPathStroker::strokedPath(const CGPath& path) const
{
    auto out = CGPath::create();
    if (!(m_lineWidth > 0))
        return out;
    for (const CGPath::Polyline& line : dashed(path.flatten()))
        strokePolyline(line, *out);
    return out;
}

std::shared_ptr<CGPath> CGPathStroker::dashedPath(const CGPath& path) const
{
    auto out = CGPath::create();
    for (const CGPath::Polyline& line : dashed(path.flatten())) {
        out->moveTo(line.points.front());
        for (std::size_t i = 1; i < line.points.size(); ++i)
            out->lineTo(line.points[i]);
        if (line.closed)
            out->closeSubpath();
    }
    return out;
}

std::vector<CGPath::Polyline> CGPathStroker::dashed(const std::vector<CGPath::Polyline>& lines) const
{
    if (m_dashLengths.empty())
        return lines;
    const CGFloat period = std::accumulate(m_dashLengths.begin(), m_dashLengths.end(), CGFloat(0));
    std::vector<CGPath::Polyline> result;
    for (CGPath::Polyline line : lines) {
        if (line.closed && !line.points.empty())
            line.points.push_back(line.points.front());
        // Every subpath starts the pattern afresh at the phase.
        std::size_t index = 0;
        CGFloat remaining = 0;
        CGFloat offset = std::fmod(m_dashPhase, period);
        if (offset < 0)
            offset += period;
        while (offset >= m_dashLengths[index]) {
            offset -= m_dashLengths[index];
            index = (index + 1) % m_dashLengths.size();
        }
        remaining = m_dashLengths[index] - offset;
        bool on = index % 2 == 0;
        CGPath::Polyline current;
        if (on && !line.points.empty())
            current.points.push_back(line.points.front());
        for (std::size_t i = 0; i + 1 < line.points.size(); ++i) {
            CGPoint a = line.points[i];
            const CGPoint b = line.points[i + 1];
            CGFloat segment = std::hypot(b.x - a.x, b.y - a.y);
            while (segment > remaining) {
                const CGFloat t = remaining / segment;
                const CGPoint split { a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t };
                if (on) {
                    current.points.push_back(split);
                    result.push_back(std::move(current));
                    current = {};
                } else {
                    current.points = { split };
                }
                segment -= remaining;
                a = split;
                index = (index + 1) % m_dashLengths.size();
                remaining = m_dashLengths[index];
                on = !on;
            }
            remaining -= segment;
            if (on)
                current.points.push_back(b);
        }
        if (on && current.points.size() > 1)
            result.push_back(std::move(current));
    }
    return result;
}

void CGPathStroker::strokePolyline(const CGPath::Polyline& polyline, CGPath& out) const
{
    std::vector<CGPoint> points = withoutRepeats(polyline.points);
    const CGFloat half = m_lineWidth / 2;
    if (polyline.closed && points.size() > 1 && points.back() == points.front())
        points.pop_back();
    if (points.size() == 1) {
        // A zero-length subpath shows only its caps.
        if (m_lineCap == kCGLineCapRound)
            addCircle(points[0], half, out);
        else if (m_lineCap == kCGLineCapSquare)
            addPolygon({ { points[0].x - half, points[0].y - half }, { points[0].x + half, points[0].y - half },
                           { points[0].x + half, points[0].y + half }, { points[0].x - half, points[0].y + half } },
                out);
        return;
    }
    const bool closed = polyline.closed && points.size() > 2;
    const std::size_t segments = closed ? points.size() : points.size() - 1;
    for (std::size_t i = 0; i < segments; ++i) {
        const CGPoint a = points[i];
        const CGPoint b = points[(i + 1) % points.size()];
        const CGPoint u = unit(a, b);
        const CGPoint n { -u.y * half, u.x * half };
        addPolygon({ { a.x + n.x, a.y + n.y }, { b.x + n.x, b.y + n.y }, { b.x - n.x, b.y - n.y }, { a.x - n.x, a.y - n.y } },
            out);
    }
    const std::size_t count = points.size();
    for (std::size_t i = closed ? 0 : 1; i < (closed ? count : count - 1); ++i) {
        const CGPoint previous = points[(i + count - 1) % count];
        const CGPoint next = points[(i + 1) % count];
        addJoin(points[i], unit(previous, points[i]), unit(points[i], next), out);
    }
    if (!closed) {
        const CGPoint start = unit(points[1], points[0]);
        const CGPoint end = unit(points[count - 2], points[count - 1]);
        addCap(points[0], start, out);
        addCap(points[count - 1], end, out);
    }
}

void CGPathStroker::addJoin(CGPoint vertex, CGPoint incoming, CGPoint outgoing, CGPath& out) const
{
    const CGFloat half = m_lineWidth / 2;
    const CGFloat cross = incoming.x * outgoing.y - incoming.y * outgoing.x;
    const CGFloat dot = incoming.x * outgoing.x + incoming.y * outgoing.y;
    if (std::fabs(cross) < 1e-12 && dot > 0)
        return;
    if (m_lineJoin == kCGLineJoinRound) {
        addCircle(vertex, half, out);
        return;
    }
    // The outer side of the turn is opposite the turning direction.
    const CGFloat side = cross > 0 ? -1 : 1;
    const CGPoint n1 { -incoming.y * half * side, incoming.x * half * side };
    const CGPoint n2 { -outgoing.y * half * side, outgoing.x * half * side };
    const CGPoint outer1 { vertex.x + n1.x, vertex.y + n1.y };
    const CGPoint outer2 { vertex.x + n2.x, vertex.y + n2.y };
    const CGFloat theta = std::acos(std::clamp(-dot, CGFloat(-1), CGFloat(1)));
    const CGFloat miterRatio = 1 / std::sin(theta / 2);
    if (m_lineJoin == kCGLineJoinMiter && std::isfinite(miterRatio) && miterRatio <= m_miterLimit) {
        CGPoint bisector { n1.x + n2.x, n1.y + n2.y };
        const CGFloat length = std::hypot(bisector.x, bisector.y);
        bisector = { bisector.x / length * half * miterRatio, bisector.y / length * half * miterRatio };
        addPolygon({ vertex, outer1, { vertex.x + bisector.x, vertex.y + bisector.y }, outer2 }, out);
        return;
    }
    addPolygon({ vertex, outer1, outer2 }, out);
}

void CGPathStroker::addCap(CGPoint end, CGPoint direction, CGPath& out) const
{
    const CGFloat half = m_lineWidth / 2;
    if (m_lineCap == kCGLineCapRound) {
        addCircle(end, half, out);
    } else if (m_lineCap == kCGLineCapSquare) {
        const CGPoint n { -direction.y * half, direction.x * half };
        const CGPoint far { end.x + direction.x * half, end.y + direction.y * half };
        addPolygon({ { end.x + n.x, end.y + n.y }, { far.x + n.x, far.y + n.y }, { far.x - n.x, far.y - n.y },
                       { end.x - n.x, end.y - n.y } },
            out);
    }
}
