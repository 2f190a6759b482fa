#include "plandrawing.h"

#include "calc/numberformat.h"
#include "plangeometry.h"
#include "plantexts.h"

#include <QAccessible>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <unordered_map>
#include <variant>

namespace plan {

namespace {

// Sizes are in screen pixels (96 dpi) unless named otherwise; PlanFrame::unit
// turns them into device pixels, so that a PDF page or a printer shows the
// drawing in the proportions of the screen.

constexpr double LabelPoints = 9.0;  // dimensions, scale bar and legend
constexpr double NumberPoints = 8.0; // the loudspeakers' numbers

// The space between the room, its dimension lines and their labels, and
// between the entries of the legend.
constexpr double Gap = 6.0;
// How far beyond the ends of its dimension line a dimension's label may
// reach, so that a short wall still shows its length whole.
constexpr double LabelOverhang = 100.0;
// Half the length of the ticks across a dimension line's ends.
constexpr double Tick = 3.0;
// The line widths of the walls, of the dimensions and scale bar, and of a
// legend swatch's outline.
constexpr double WallWidth = 1.5;
constexpr double InkWidth = 1.0;
constexpr double SwatchOutline = 0.75;
// The smallest space between grid lines, and the longest scale bar.
constexpr double MinGridPixels = 8.0;
constexpr double MaxBarPixels = 150.0;
// The scale bar's height.
constexpr double BarHeight = 4.0;
// A legend swatch's side, as a share of the text height, and the space
// between the swatch and its caption.
constexpr double SwatchShare = 0.7;
constexpr double SwatchGap = 4.0;

// A loudspeaker's marker: a dot (ceiling) or a box on the wall whose
// half-width is this share of the distance to the nearest neighbour, within
// MinMarker .. MaxMarker, so that markers never merge.
constexpr double MarkerShare = 0.18;
constexpr double MinMarker = 1.0;
constexpr double MaxMarker = 4.5;
// Markers closer than this are thinned: one is drawn only where no other
// drawn lies nearer, so that the floor's tint shows between them.
constexpr double MinMarkerSpacing = 5.0;
// Zone outlines closer than this are left out (with a note), and fainter
// below FaintZonePitch, so that the floor's tint still shows between them;
// the alpha of 255 the fainter ones keep.
constexpr double MinZonePitch = 6.0;
// Zones narrower than this are left out too: inside their outline and the
// marker the floor's tint would not show.
constexpr double MinZoneExtent = 12.0;
constexpr double FaintZonePitch = 8.0;
constexpr int FaintZoneAlpha = 70;
// The space between a number and its own marker, and the least space
// between a number and any other number or marker, so that neighbouring
// numbers never read as one.
constexpr double NumberGap = 1.0;
constexpr double NumberClearance = 3.0;
// The padding of a number's halo around its digits, across and along.
constexpr double NumberPadAcross = 1.5;
constexpr double NumberPadAlong = 1.0;

// A grid line closer to the far wall than this share of a metre is left to
// the wall, whatever the rounding of the steps.
constexpr double WallSlack = 1e-9;

// The level legend: the side of a band's swatch as a share of the text
// height, and a contour's line sample as long as the swatch is wide.
constexpr double BandSwatchShare = 0.9;
// The contour lines: the required level solid, the loudest allowed dashed.
constexpr double ContourWidth = 1.5;
// The outline that keeps a marker apart from the colours of the level.
constexpr double MarkerOutline = 0.75;

const QColor Ink(40, 40, 40);
const QColor GridLine(0, 0, 0, 38);
const QColor ZoneLine(31, 92, 165, 170);
const QColor Marker(20, 50, 120);
const QColor Halo(255, 255, 255, 210);

QFont sizedFont(const QPainter &painter, double points)
{
    QFont font = painter.font();
    font.setPointSizeF(points);
    return font;
}

double unitOf(const QPaintDevice &device)
{
    const int dpi = device.logicalDpiY();
    return dpi > 0 ? dpi / 96.0 : 1.0;
}

// The margins around the room: the dimension lines above and to the left,
// the scale bar and the legend below.
struct Margins {
    double left, top, right, bottom;
};

Margins marginsFor(double textHeight, double unit)
{
    const double gap = Gap * unit;
    return {textHeight + 3.0 * gap, textHeight + 3.0 * gap, 2.0 * gap, textHeight + 4.0 * gap};
}

// Metres on the plane to the device: X to the right, Y upwards from the
// wall Y = 0 at the bottom of the room.
QTransform deviceTransform(const PlanFrame &frame)
{
    return QTransform(frame.scale, 0.0, 0.0, -frame.scale,
                      frame.room.left() - frame.floor.left() * frame.scale,
                      frame.room.bottom() + frame.floor.top() * frame.scale);
}

// The marker of a loudspeaker at `at` on the device: a dot under the
// ceiling, a box inside the room on the wall.
QRectF markerBox(QPointF at, const Placement &placement, double radius)
{
    // On a wall facing any way: a square about the point.
    if (placement.isTurned())
        return QRectF(at.x() - radius, at.y() - radius, 2.0 * radius, 2.0 * radius);
    switch (placement.side) {
    case Side::Ceiling: break;
    case Side::NearWall: return QRectF(at.x() - radius, at.y() - radius, 2.0 * radius, radius);
    case Side::FarWall: return QRectF(at.x() - radius, at.y(), 2.0 * radius, radius);
    }
    return QRectF(at.x() - radius, at.y() - radius, 2.0 * radius, 2.0 * radius);
}

// Rectangles sorted into square cells, to find those near a rectangle
// without looking at all of them.
class RectIndex {
public:
    explicit RectIndex(double cell) : m_cell(std::max(cell, 1.0)) { }

    void add(const QRectF &rect, qsizetype owner)
    {
        const qsizetype index = qsizetype(m_rects.size());
        m_rects.push_back({rect, owner});
        forCells(rect, [&](quint64 key) { m_cells[key].push_back(index); });
    }

    // Whether rect meets a rectangle of another owner than `except`.
    bool meets(const QRectF &rect, qsizetype except) const
    {
        bool met = false;
        forCells(rect, [&](quint64 key) {
            const auto found = m_cells.find(key);
            if (met || found == m_cells.end())
                return;
            for (qsizetype index : found->second) {
                const Entry &entry = m_rects[std::size_t(index)];
                if (entry.owner != except && entry.rect.intersects(rect)) {
                    met = true;
                    return;
                }
            }
        });
        return met;
    }

private:
    struct Entry {
        QRectF rect;
        qsizetype owner;
    };

    template <typename Visit>
    void forCells(const QRectF &rect, Visit visit) const
    {
        const qint64 left = qint64(std::floor(rect.left() / m_cell));
        const qint64 right = qint64(std::floor(rect.right() / m_cell));
        const qint64 top = qint64(std::floor(rect.top() / m_cell));
        const qint64 bottom = qint64(std::floor(rect.bottom() / m_cell));
        for (qint64 x = left; x <= right; ++x) {
            for (qint64 y = top; y <= bottom; ++y)
                visit(quint64(quint32(qint32(x))) << 32 | quint32(qint32(y)));
        }
    }

    double m_cell;
    std::vector<Entry> m_rects;
    std::unordered_map<quint64, std::vector<qsizetype>> m_cells;
};

// Steps of the 1-2-5 series from 0.1 m up.
double seriesStep(int index)
{
    static constexpr double Mantissa[] = {1.0, 2.0, 5.0};
    return Mantissa[index % 3] * std::pow(10.0, index / 3 - 1);
}

QString metres(double value, QChar decimalPoint)
{
    return calc::formatTrimmed(value, 2, decimalPoint) + text::UnitSpace + QStringLiteral("м");
}

// The room's sides as the dimensions give them: the rectangle's length and
// width, or the extent of an outline along the floor's X and Y.
double lengthShown(const PlanScene &scene)
{
    const calc::Shape shape = scene.figures.roomShape();
    return shape.isPlainRectangle() ? scene.figures.roomL : shape.bounds().width();
}

double widthShown(const PlanScene &scene)
{
    const calc::Shape shape = scene.figures.roomShape();
    return shape.isPlainRectangle() ? scene.figures.roomW : shape.bounds().height();
}

QString widthLabel(const PlanScene &scene)
{
    return metres(widthShown(scene), scene.figures.decimalPoint);
}

// One painting of the plan: the painter, the scene, where the room lies on
// the device and at what scale, and the label font measured there.
struct Painting {
    QPainter &painter;
    const PlanScene &scene;
    QRectF target;
    PlanFrame frame;
    QTransform toDevice; // see deviceTransform
    QFont labelFont;
    QFontMetricsF metrics;
    PlanMarkers markers;
    // The floor: the rectangle, or an outline drawn as it lies.
    calc::Shape shape = scene.figures.roomShape();
    bool outlined = !shape.isPlainRectangle();
    // The plan's content, whose geometry (plangeometry.h) the walls and the
    // zones are drawn from as the DXF drawing writes them.
    PlanContent content = planContent(scene);

    // The room's outline on the device.
    QPainterPath outlinePath() const
    {
        QPainterPath path;
        path.addPolygon(toDevice.map(roomOutline(content).points));
        path.closeSubpath();
        return path;
    }
    // Clips the painter to the floor: the room's box, or its outline.
    void clipToFloor()
    {
        if (outlined)
            painter.setClipPath(outlinePath());
        else
            painter.setClipRect(room());
    }

    // Screen pixels on the device.
    double px(double screenPixels) const { return screenPixels * frame.unit; }
    QRectF room() const { return frame.room; }
    // The distance between neighbouring loudspeakers on the device.
    double pitch() const { return scene.layout.pitch * frame.scale; }
    const std::vector<Placement> &placements() const { return scene.layout.placements; }
};

void drawHaloText(QPainter &painter, const QRectF &box, const QString &text)
{
    painter.fillRect(box, Halo);
    painter.drawText(box, Qt::AlignCenter, text);
}

// Ticks across both ends of a dimension line.
void drawDimension(QPainter &painter, QPointF from, QPointF to, double tick)
{
    const bool horizontal = std::abs(to.y() - from.y()) < std::abs(to.x() - from.x());
    const QPointF across = horizontal ? QPointF(0.0, tick) : QPointF(tick, 0.0);
    painter.drawLine(from, to);
    painter.drawLine(from - across, from + across);
    painter.drawLine(to - across, to + across);
}

// The image of the map the scene shows, null while it is computed or where
// there is none; the coverage's image in the zones view.
const QImage *floorPicture(const PlanScene &scene)
{
    if (scene.showsSti())
        return scene.sti && scene.sti->computed ? &scene.sti->image : nullptr;
    if (scene.showsLevel())
        return scene.level && scene.level->computed ? &scene.level->image : nullptr;
    return &scene.floorImage;
}

// The floor, one image pixel per cell: tinted where no zone reaches, or in
// the colours of the level or the intelligibility (left blank while the
// map is computed).
void paintFloor(Painting &p)
{
    const QImage *picture = floorPicture(p.scene);
    if (!picture)
        return;
    p.painter.save();
    p.painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
    const QImage &image = *picture;
    if (!p.outlined) {
        p.painter.drawImage(p.room(), image);
        p.painter.restore();
        return;
    }
    // The cells lie in the room's own axes: the image from its top row
    // (local Y = width) turned onto the floor, clipped to the outline.
    const calc::Axes &axes = p.shape.axes();
    const QTransform toFloor(axes.along.x(), axes.along.y(), axes.across.x(), axes.across.y(),
                             axes.origin.x(), axes.origin.y());
    const QTransform fromImage
        = QTransform::fromScale(axes.length / image.width(), -axes.width / image.height())
        * QTransform::fromTranslate(0.0, axes.width);
    p.painter.setClipPath(p.outlinePath());
    p.painter.setTransform(fromImage * toFloor * p.toDevice, true);
    p.painter.drawImage(QPointF(0.0, 0.0), image);
    p.painter.restore();
}

// The contour lines of the required level (solid) and of the loudest
// allowed (dashed), or of the intelligibility's StiContour (solid), cut to
// the room.
void paintContours(Painting &p)
{
    std::vector<std::pair<const std::vector<QLineF> *, Qt::PenStyle>> contours;
    if (const LevelPicture *level = p.scene.showsLevel() ? p.scene.level.get() : nullptr;
        level && level->computed)
        contours = {{&level->requiredContour, Qt::SolidLine}, {&level->loudContour, Qt::DashLine}};
    if (const StiPicture *sti = p.scene.showsSti() ? p.scene.sti.get() : nullptr; sti && sti->computed)
        contours = {{&sti->contour, Qt::SolidLine}};
    if (contours.empty())
        return;
    p.painter.save();
    p.clipToFloor();
    for (const auto &[lines, style] : contours) {
        QVector<QLineF> mapped;
        mapped.reserve(qsizetype(lines->size()));
        for (const QLineF &line : *lines)
            mapped << p.toDevice.map(line);
        QPen pen(Ink, p.px(ContourWidth), style);
        pen.setCapStyle(Qt::FlatCap);
        p.painter.setPen(pen);
        p.painter.drawLines(mapped);
    }
    p.painter.restore();
}

// Grid lines every whole step of the 1-2-5 series that keeps them apart.
void paintGrid(Painting &p)
{
    const double step = gridStep(p.frame.scale, p.px(MinGridPixels));
    if (step <= 0.0)
        return;
    const QRectF room = p.room();
    const double scale = p.frame.scale;
    QVector<QLineF> lines;
    if (p.outlined) {
        // Whole metres of the floor's coordinates, inside the outline.
        const QRectF floor = p.frame.floor;
        for (double x = std::floor(floor.left() / step + 1.0) * step; x < floor.right() - WallSlack;
             x += step)
            lines << p.toDevice.map(QLineF(x, floor.top(), x, floor.bottom()));
        for (double y = std::floor(floor.top() / step + 1.0) * step; y < floor.bottom() - WallSlack;
             y += step)
            lines << p.toDevice.map(QLineF(floor.left(), y, floor.right(), y));
        p.painter.save();
        p.painter.setClipPath(p.outlinePath());
    } else {
        for (double x = step; x < p.scene.figures.roomL - WallSlack; x += step)
            lines << QLineF(room.left() + x * scale, room.top(), room.left() + x * scale, room.bottom());
        for (double y = step; y < p.scene.figures.roomW - WallSlack; y += step)
            lines << QLineF(room.left(), room.bottom() - y * scale, room.right(), room.bottom() - y * scale);
    }
    QPen pen(GridLine, p.px(InkWidth));
    pen.setCosmetic(true);
    p.painter.setPen(pen);
    p.painter.drawLines(lines);
    if (p.outlined)
        p.painter.restore();
}

// The zones, cut to the room; fainter where they crowd, left out where
// they would hide the floor.
void paintZones(Painting &p)
{
    if (p.scene.showsMap() || p.scene.zone.shape == ZoneShape::None || p.placements().empty()
        || p.frame.zonesLeftOut())
        return;
    p.painter.save();
    p.clipToFloor();
    QColor line = ZoneLine;
    if (p.pitch() < p.px(FaintZonePitch))
        line.setAlpha(FaintZoneAlpha);
    QPen pen(line, p.px(InkWidth));
    pen.setCosmetic(true);
    p.painter.setPen(pen);
    p.painter.setBrush(Qt::NoBrush);
    // Each zone is its own call: the raster engine draws thousands of small
    // shapes far faster one by one than as one path of thousands of parts.
    for (const geometry::Primitive &zone : zonePrimitives(p.content)) {
        if (const auto *circle = std::get_if<geometry::Circle>(&zone))
            p.painter.drawEllipse(p.toDevice.map(circle->centre), circle->radius * p.frame.scale,
                                  circle->radius * p.frame.scale);
        else if (const auto *outline = std::get_if<geometry::Polyline>(&zone))
            p.painter.drawPolygon(p.toDevice.map(outline->points));
    }
    p.painter.restore();
}

void paintWalls(Painting &p)
{
    p.painter.setPen(QPen(Ink, p.px(WallWidth)));
    p.painter.setBrush(Qt::NoBrush);
    p.painter.drawPath(p.outlinePath());
}

// The loudspeakers' markers, as planMarkers chose them; outlined in white
// over the colours of a map.
void paintMarkers(Painting &p)
{
    if (p.scene.showsMap())
        p.painter.setPen(QPen(Qt::white, p.px(MarkerOutline)));
    else
        p.painter.setPen(Qt::NoPen);
    p.painter.setBrush(Marker);
    for (std::size_t i = 0; i < p.markers.drawn.size(); ++i) {
        if (p.placements()[p.markers.drawn[i]].side == Side::Ceiling)
            p.painter.drawEllipse(p.markers.boxes[i]);
        else
            p.painter.drawRect(p.markers.boxes[i]);
    }
}

// Their numbers, each on a light halo, where they fit.
void paintNumbers(Painting &p)
{
    const QFont font = sizedFont(p.painter, NumberPoints);
    const std::vector<PlacedNumber> numbers
        = planNumbers(p.scene, p.frame, p.markers, font, *p.painter.device());
    if (numbers.empty())
        return;
    p.painter.setFont(font);
    p.painter.setPen(Ink);
    for (const PlacedNumber &number : numbers)
        drawHaloText(p.painter, number.box, QString::number(number.index + 1));
    p.painter.setFont(p.labelFont);
}

// The dimensions: the length above the room, the width to its left (or
// across, left of it, where the room is too thin), and the origin.
void paintDimensions(Painting &p)
{
    const QRectF room = p.room();
    const double gap = p.px(Gap);
    const double overhang = p.px(LabelOverhang);
    const double textHeight = p.metrics.height();
    p.painter.setPen(QPen(Ink, p.px(InkWidth)));
    const double topLine = room.top() - 1.5 * gap;
    drawDimension(p.painter, QPointF(room.left(), topLine), QPointF(room.right(), topLine), p.px(Tick));
    p.painter.drawText(QRectF(room.left() - overhang, topLine - gap / 2.0 - textHeight,
                              room.width() + 2.0 * overhang, textHeight),
                       Qt::AlignHCenter | Qt::AlignBottom,
                       metres(lengthShown(p.scene), p.scene.figures.decimalPoint));
    const double leftLine = room.left() - 1.5 * gap;
    drawDimension(p.painter, QPointF(leftLine, room.top()), QPointF(leftLine, room.bottom()), p.px(Tick));
    if (p.frame.widthAcross) {
        p.painter.drawText(QRectF(p.target.left(), room.center().y() - textHeight / 2.0,
                                  leftLine - gap / 2.0 - p.target.left(), textHeight),
                           Qt::AlignRight | Qt::AlignVCenter, widthLabel(p.scene));
        return;
    }
    p.painter.save();
    p.painter.translate(leftLine - gap / 2.0, room.center().y());
    p.painter.rotate(-90.0);
    p.painter.drawText(
        QRectF(-room.height() / 2.0 - overhang, -textHeight, room.height() + 2.0 * overhang, textHeight),
        Qt::AlignHCenter | Qt::AlignBottom, widthLabel(p.scene));
    p.painter.restore();
    // The origin of the coordinates at the corner X = 0, Y = 0 (an outline
    // lies elsewhere on its floor).
    if (p.outlined)
        return;
    p.painter.drawText(QRectF(room.left() - 2.0 * gap - textHeight, room.bottom(),
                              2.0 * gap + textHeight - p.px(InkWidth), textHeight),
                       Qt::AlignRight | Qt::AlignTop, QStringLiteral("0"));
}

// The line of text below the room.
double captionLine(const Painting &p)
{
    return p.room().bottom() + 2.0 * p.px(Gap);
}

// The scale bar below the room, in two halves, dark and light, with its
// length; returns where its label ends.
double paintScaleBar(Painting &p)
{
    const double lineY = captionLine(p);
    const double textHeight = p.metrics.height();
    const double barMetres = scaleBarLength(p.frame.scale, p.px(MaxBarPixels));
    const double barHeight = p.px(BarHeight);
    const QRectF bar(p.room().left(), lineY + textHeight / 2.0 - barHeight / 2.0, barMetres * p.frame.scale,
                     barHeight);
    p.painter.setPen(QPen(Ink, p.px(InkWidth)));
    p.painter.setBrush(Qt::white);
    p.painter.drawRect(bar);
    p.painter.fillRect(QRectF(bar.left(), bar.top(), bar.width() / 2.0, bar.height()), Ink);
    const QString label = metres(barMetres, p.scene.figures.decimalPoint);
    const double labelLeft = bar.right() + p.px(Gap);
    const double labelWidth = p.metrics.horizontalAdvance(label);
    p.painter.drawText(QRectF(labelLeft, lineY, labelWidth + p.px(InkWidth), textHeight),
                       Qt::AlignLeft | Qt::AlignVCenter, label);
    return labelLeft + labelWidth;
}

// The legend, right-aligned with the room, where it fits beside the scale
// bar that ends at barEnd.
void paintLegend(Painting &p, double barEnd)
{
    const double lineY = captionLine(p);
    const double textHeight = p.metrics.height();
    const double gap = p.px(Gap);
    const double swatch = textHeight * SwatchShare;
    struct Entry {
        QColor colour;
        QString caption;
    };
    std::vector<Entry> entries;
    const FloorCoverage &coverage = p.scene.coverage;
    if (!p.scene.showsMap() && coverage.coveredCells > 0)
        entries.push_back({CoveredFloor, text::Covered});
    if (!p.scene.showsMap() && coverage.coveredCells < coverage.cellsOfFloor())
        entries.push_back({UncoveredFloor, text::Uncovered});
    double legendWidth = 0.0;
    for (const Entry &entry : entries)
        legendWidth += swatch + p.px(SwatchGap) + p.metrics.horizontalAdvance(entry.caption) + 2.0 * gap;
    double x = std::max(p.room().right(), p.target.left() + legendWidth) - legendWidth + 2.0 * gap;
    if (x < barEnd + 2.0 * gap)
        entries.clear();
    for (const Entry &entry : entries) {
        p.painter.setPen(QPen(Ink, p.px(SwatchOutline)));
        p.painter.setBrush(entry.colour);
        p.painter.drawRect(QRectF(x, lineY + (textHeight - swatch) / 2.0, swatch, swatch));
        x += swatch + p.px(SwatchGap);
        const double w = p.metrics.horizontalAdvance(entry.caption) + p.px(InkWidth);
        p.painter.drawText(QRectF(x, lineY, w, textHeight), Qt::AlignLeft | Qt::AlignVCenter, entry.caption);
        x += w + 2.0 * gap - p.px(InkWidth);
    }

    // What a dense plan leaves out, on the line below.
    const bool zonesShown = !p.scene.showsMap() && p.scene.zone.shape != ZoneShape::None;
    const QString note = leftOutNote(p.frame.zonesLeftOut() && zonesShown, p.markers.thinned, p.frame.dense);
    if (note.isEmpty())
        return;
    const QRectF line(p.room().left(), lineY + textHeight + gap, p.target.right() - p.room().left(),
                      textHeight);
    p.painter.setPen(Ink);
    p.painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter,
                       p.metrics.elidedText(note, Qt::ElideRight, line.width()));
}

// One entry of the level legend: a band's swatch, or a contour's line
// sample (line other than Qt::NoPen), with its caption.
struct LevelEntry {
    QColor colour;
    Qt::PenStyle line = Qt::NoPen;
    QString caption;
};

// The bands, the loudest first, then the two contour lines; only the
// contour lines while the map is computed or where there is none.
std::vector<LevelEntry> levelEntries(const PlanScene &scene)
{
    const QChar point = scene.figures.decimalPoint;
    std::vector<LevelEntry> entries;
    if (scene.showsSti()) {
        // The intelligibility: its bands, the highest first, and its
        // contour.
        if (scene.sti && scene.sti->computed) {
            const LevelScale &scale = scene.sti->scale;
            for (int band = scale.bands - 1; band >= 0; --band)
                entries.push_back({stiColour(scale.bandFrom(band)), Qt::NoPen,
                                   stiBandCaption(scale.bandFrom(band), scale.bandFrom(band + 1), point)});
        }
        entries.push_back({Ink, Qt::SolidLine, stiContourCaption(StiContour, point)});
        return entries;
    }
    if (scene.level && scene.level->computed) {
        const std::vector<LegendStep> steps = legendSteps(scene.level->scale);
        for (auto step = steps.rbegin(); step != steps.rend(); ++step)
            entries.push_back({step->colour, Qt::NoPen, bandCaption(step->from, step->to, point)});
    }
    entries.push_back({Ink, Qt::SolidLine, requiredContourCaption(scene.figures.requiredLevel, point)});
    entries.push_back({Ink, Qt::DashLine, loudContourCaption(point)});
    return entries;
}

// The width of the level legend's column: the widest caption beside its
// swatch, and the space before the column.
// The title over the legend of the scene's map.
QString legendTitle(const PlanScene &scene)
{
    return scene.showsSti() ? text::StiLegendTitle : text::LevelLegendTitle;
}

double levelLegendWidth(const PlanScene &scene, const QFontMetricsF &metrics, double unit)
{
    double widest = metrics.horizontalAdvance(legendTitle(scene));
    const double swatch = metrics.height() * BandSwatchShare + SwatchGap * unit;
    for (const LevelEntry &entry : levelEntries(scene))
        widest = std::max(widest, swatch + metrics.horizontalAdvance(entry.caption));
    return widest + 3.0 * Gap * unit;
}

// The level legend right of the room: its title, the bands as one column of
// swatches, the loudest on top, then the contour lines' samples, each with
// its caption; from the room's top, or higher where the target ends sooner.
void paintLevelLegend(Painting &p)
{
    if (!p.scene.showsMap())
        return;
    const std::vector<LevelEntry> entries = levelEntries(p.scene);
    const double row = p.metrics.height();
    const double gap = p.px(Gap);
    const double left = p.room().right() + 2.0 * gap;
    const double swatch = row * BandSwatchShare;
    const double height = row * double(entries.size() + 1) + gap;
    double y = std::max(p.target.top(), std::min(p.room().top(), p.target.bottom() - height));
    const double textLeft = left + swatch + p.px(SwatchGap);
    const double textWidth = p.target.right() - textLeft;
    p.painter.setPen(Ink);
    p.painter.drawText(QRectF(left, y, p.target.right() - left, row), Qt::AlignLeft | Qt::AlignVCenter,
                       legendTitle(p.scene));
    y += row;
    bool bandsDone = false;
    for (const LevelEntry &entry : entries) {
        if (entry.line == Qt::NoPen) {
            p.painter.setPen(Qt::NoPen);
            p.painter.setBrush(entry.colour);
            p.painter.drawRect(QRectF(left, y, swatch, row));
        } else {
            if (!bandsDone)
                y += gap;
            bandsDone = true;
            QPen pen(entry.colour, p.px(ContourWidth), entry.line);
            pen.setCapStyle(Qt::FlatCap);
            p.painter.setPen(pen);
            p.painter.drawLine(QPointF(left, y + row / 2.0), QPointF(left + swatch, y + row / 2.0));
        }
        p.painter.setPen(Ink);
        p.painter.drawText(QRectF(textLeft, y, textWidth, row), Qt::AlignLeft | Qt::AlignVCenter,
                           entry.caption);
        y += row;
    }
    p.painter.setBrush(Qt::NoBrush);
}

} // namespace

double gridStep(double scale, double minPixels)
{
    if (!(scale > 0.0))
        return 0.0;
    for (int i = 3; i < 60; ++i) { // from 1 m
        if (seriesStep(i) * scale >= minPixels)
            return seriesStep(i);
    }
    return 0.0;
}

double scaleBarLength(double scale, double maxPixels)
{
    if (!(scale > 0.0))
        return 0.0;
    double length = seriesStep(0);
    for (int i = 1; i < 60 && seriesStep(i) * scale <= maxPixels; ++i)
        length = seriesStep(i);
    return length;
}

PlanMarkers planMarkers(const PlanScene &scene, const PlanFrame &frame)
{
    PlanMarkers markers;
    const std::vector<Placement> &placements = scene.layout.placements;
    if (placements.empty() || !(frame.scale > 0.0))
        return markers;
    const QTransform toDevice = deviceTransform(frame);
    const double pitch = scene.layout.pitch * frame.scale;
    const double spacing = MinMarkerSpacing * frame.unit;
    markers.radius = std::clamp(pitch * MarkerShare, MinMarker * frame.unit, MaxMarker * frame.unit);
    const auto draw = [&](std::size_t i, QPointF at) {
        markers.drawn.push_back(i);
        markers.boxes.push_back(markerBox(at, placements[i], markers.radius));
    };
    if (pitch >= spacing) {
        markers.drawn.reserve(placements.size());
        markers.boxes.reserve(placements.size());
        for (std::size_t i = 0; i < placements.size(); ++i)
            draw(i, toDevice.map(placements[i].position));
        return markers;
    }
    // Cells of side spacing / sqrt(2) across the room hold one drawn marker
    // at most (two in one cell would be nearer than spacing); a marker is
    // drawn where none drawn lies nearer than spacing in the cells around.
    const QRectF room = frame.room;
    const double cell = spacing / std::sqrt(2.0);
    const qint64 columns = qint64(std::ceil(room.width() / cell)) + 1;
    const qint64 rows = qint64(std::ceil(room.height() / cell)) + 1;
    constexpr qint64 Reach = 2; // cells around within spacing: ceil(sqrt(2))
    std::vector<qint64> holder(std::size_t(columns * rows), -1);
    std::vector<QPointF> centres;
    for (std::size_t i = 0; i < placements.size(); ++i) {
        const QPointF at = toDevice.map(placements[i].position);
        const qint64 column = std::clamp(qint64((at.x() - room.left()) / cell), qint64(0), columns - 1);
        const qint64 row = std::clamp(qint64((at.y() - room.top()) / cell), qint64(0), rows - 1);
        bool crowded = false;
        for (qint64 r = std::max<qint64>(0, row - Reach); r <= std::min(rows - 1, row + Reach) && !crowded;
             ++r) {
            for (qint64 c = std::max<qint64>(0, column - Reach); c <= std::min(columns - 1, column + Reach);
                 ++c) {
                const qint64 other = holder[std::size_t(r * columns + c)];
                if (other >= 0 && QLineF(centres[std::size_t(other)], at).length() < spacing) {
                    crowded = true;
                    break;
                }
            }
        }
        if (crowded) {
            markers.thinned = true;
            continue;
        }
        holder[std::size_t(row * columns + column)] = qint64(centres.size());
        centres.push_back(at);
        draw(i, at);
    }
    return markers;
}

std::vector<PlacedNumber> chooseNumbers(const std::vector<NumberSpot> &spots, const QRectF &inside,
                                        double gap, double clearance)
{
    std::vector<PlacedNumber> chosen;
    if (spots.empty())
        return chosen;
    // Cells as large as the largest box with its clearance, so that every
    // box lies in four cells at most.
    double largest = 0.0;
    for (const NumberSpot &spot : spots)
        largest = std::max(
            {largest, spot.marker.width(), spot.marker.height(), spot.size.width(), spot.size.height()});
    RectIndex taken(largest + 2.0 * clearance);
    for (std::size_t i = 0; i < spots.size(); ++i)
        taken.add(spots[i].marker, qsizetype(i));

    for (std::size_t i = 0; i < spots.size(); ++i) {
        const NumberSpot &spot = spots[i];
        const double w = spot.size.width();
        const double h = spot.size.height();
        const double left = std::clamp(spot.marker.center().x() - w / 2.0, inside.left(),
                                       std::max(inside.left(), inside.right() - w));
        const QRectF above(left, spot.marker.top() - gap - h, w, h);
        const QRectF below(left, spot.marker.bottom() + gap, w, h);
        for (const QRectF &box : spot.belowFirst ? std::array{below, above} : std::array{above, below}) {
            if (!inside.contains(box)
                || taken.meets(box.adjusted(-clearance, -clearance, clearance, clearance), qsizetype(i)))
                continue;
            chosen.push_back({i, box});
            taken.add(box, -1);
            break;
        }
    }
    return chosen;
}

std::vector<PlacedNumber> planNumbers(const PlanScene &scene, const PlanFrame &frame,
                                      const PlanMarkers &markers, const QFont &font,
                                      const QPaintDevice &device)
{
    if (markers.thinned || markers.drawn.empty())
        return {};
    QFont numberFont = font;
    numberFont.setPointSizeF(NumberPoints);
    const QFontMetricsF metrics(numberFont, &device);
    const double unit = frame.unit;
    // Digits reach the height of capitals; the halo hugs them.
    const double height = metrics.capHeight() + 2.0 * NumberPadAcross * unit;
    std::vector<NumberSpot> spots;
    spots.reserve(markers.drawn.size());
    for (std::size_t i = 0; i < markers.drawn.size(); ++i) {
        const std::size_t loudspeaker = markers.drawn[i];
        const double w
            = metrics.horizontalAdvance(QString::number(loudspeaker + 1)) + 2.0 * NumberPadAlong * unit;
        spots.push_back(
            {markers.boxes[i], QSizeF(w, height), scene.layout.placements[loudspeaker].facing().y() < 0.0});
    }
    // Inside the room, half a unit beyond its walls at most.
    const QRectF inside = frame.room.adjusted(-0.5 * unit, -0.5 * unit, 0.5 * unit, 0.5 * unit);
    std::vector<PlacedNumber> numbers
        = chooseNumbers(spots, inside, NumberGap * unit, NumberClearance * unit);
    for (PlacedNumber &number : numbers)
        number.index = markers.drawn[number.index];
    return numbers;
}

PlanFrame planFrame(const QRectF &target, const PlanScene &scene, const QPaintDevice &device)
{
    PlanFrame frame;
    frame.unit = unitOf(device);
    if (!scene.hasRoom())
        return frame;
    QFont font;
    font.setPointSizeF(LabelPoints);
    const QFontMetricsF metrics(font, &device);
    Margins m = marginsFor(metrics.height(), frame.unit);
    if (scene.showsMap()) {
        frame.legendWidth = levelLegendWidth(scene, metrics, frame.unit);
        m.right += frame.legendWidth;
    }
    const calc::Shape shape = scene.figures.roomShape();
    frame.floor = shape.isPlainRectangle() ? QRectF(0.0, 0.0, scene.figures.roomL, scene.figures.roomW)
                                           : shape.bounds();
    const double length = frame.floor.width();
    const double width = frame.floor.height();
    const auto place = [&] {
        const QRectF free = target.adjusted(m.left, m.top, -m.right, -m.bottom);
        frame.scale = std::max(0.0, std::min(free.width() / length, free.height() / width));
        const QSizeF size(length * frame.scale, width * frame.scale);
        frame.room = QRectF(
            QPointF(free.center().x() - size.width() / 2.0, free.center().y() - size.height() / 2.0), size);
    };
    place();
    const double gap = Gap * frame.unit;
    // A plan too dense for its zones' outlines, or whose zones are too
    // small for them, gets a line for the note below the scale bar; the
    // room only shrinks, so it stays so.
    const std::vector<Placement> &placements = scene.layout.placements;
    if (!placements.empty()) {
        const QRectF zone = zoneBounds(scene.zone, placements.front());
        frame.dense = scene.layout.pitch * frame.scale < MinZonePitch * frame.unit;
        frame.smallZones = scene.zone.shape != ZoneShape::None
            && std::min(zone.width(), zone.height()) * frame.scale < MinZoneExtent * frame.unit;
        if (frame.zonesLeftOut()) {
            m.bottom += metrics.height() + gap;
            place();
        }
    }
    const double label = metrics.horizontalAdvance(widthLabel(scene));
    if (frame.room.height() < label + gap) {
        frame.widthAcross = true;
        m.left = std::max(m.left, label + 2.5 * gap);
        place();
    }
    return frame;
}

void paintPlan(QPainter &painter, const QRectF &target, const PlanScene &scene)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFont labelFont = sizedFont(painter, LabelPoints);
    painter.setFont(labelFont);

    if (!scene.hasRoom()) {
        painter.setPen(Ink);
        painter.drawText(target, Qt::AlignCenter | Qt::TextWordWrap, text::NoRoom);
        painter.restore();
        return;
    }

    const PlanFrame frame = planFrame(target, scene, *painter.device());
    Painting p{painter,
               scene,
               target,
               frame,
               deviceTransform(frame),
               labelFont,
               QFontMetricsF(labelFont, painter.device()),
               planMarkers(scene, frame)};
    // The walls and the zones are the plan's geometry (plangeometry.h), the
    // same lines the DXF drawing holds. The rest depends on pixels rather
    // than metres and stays the painter's own: the floor's tint and the
    // level's colours and contours (images of cells), the grid and the
    // scale bar (steps chosen for their spacing on the device), the
    // markers thinned where they crowd, the numbers placed clear of each
    // other, the dimension lines set off from the walls, and the legends.
    paintFloor(p);
    paintGrid(p);
    paintZones(p);
    paintContours(p);
    paintWalls(p);
    paintMarkers(p);
    paintNumbers(p);
    paintDimensions(p);
    paintLegend(p, paintScaleBar(p));
    paintLevelLegend(p);
    painter.restore();
}

PlanDrawing::PlanDrawing(QWidget *parent) : QWidget(parent)
{
    setAccessibleName(text::Drawing);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlanDrawing::setScene(std::shared_ptr<const PlanScene> scene)
{
    m_scene = std::move(scene);
    QString description;
    if (m_scene) {
        const PlanFigures &f = m_scene->figures;
        description = QStringLiteral("%1 %2 × %3\u00A0м. %4")
                          .arg(text::Room, calc::formatTrimmed(f.roomL, 2, f.decimalPoint),
                               calc::formatTrimmed(f.roomW, 2, f.decimalPoint), m_scene->summary());
        if (const QString note = m_scene->limitNote(); !note.isEmpty())
            description += QStringLiteral(". ") + note;
    }
    setAccessibleDescription(description);
    update();
}

QSize PlanDrawing::sizeHint() const
{
    return QSize(640, 440);
}

QSize PlanDrawing::minimumSizeHint() const
{
    return QSize(260, 180);
}

void PlanDrawing::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().color(QPalette::Base));
    if (m_scene)
        paintPlan(painter, QRectF(rect()), *m_scene);
}

} // namespace plan
