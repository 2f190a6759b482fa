#pragma once

#include "planscene.h"

#include <QFont>
#include <QRectF>
#include <QWidget>
#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;

// The room to scale with its grid, dimensions, loudspeakers with their
// numbers and zones, the uncovered floor tinted, a scale bar and a legend;
// in the level view the floor in the colours of the level with its contour
// lines and a legend in dB instead of the zones and the tint.
namespace plan {

// Where the room lies when the plan is painted into target on device: as
// large as fits beside the dimensions, scale bar and legend, centred, in
// its own proportions.
struct PlanFrame {
    QRectF room;        // the room on the device; empty for a room without area
    QRectF floor;       // the room's floor in metres: its outline's bounds on the floor's coordinates
    double scale = 0.0; // device pixels per metre
    double unit = 1.0;  // device pixels per screen pixel (at 96 dpi)
    // The width is written across, left of the room, where the room is too
    // thin for it written along its side.
    bool widthAcross = false;
    // The loudspeakers stand too close for their zones' outlines, or the
    // zones are too small to show more than their outline: the outlines are
    // left out, with a note under the scale bar.
    bool dense = false;
    bool smallZones = false;
    bool zonesLeftOut() const { return dense || smallZones; }
    // The level view's legend: a column right of the room this wide, device
    // pixels; 0 in the zones view.
    double legendWidth = 0.0;
};

PlanFrame planFrame(const QRectF &target, const PlanScene &scene, const QPaintDevice &device);

// The loudspeakers' markers as paintPlan draws them: all of them, or where
// they would lie closer than a few pixels, only those at least that far
// from every other marker drawn, so that the floor's tint shows between.
struct PlanMarkers {
    double radius = 0.0;            // half a marker's width, device pixels
    std::vector<std::size_t> drawn; // the loudspeakers drawn, in layout order
    std::vector<QRectF> boxes;      // their markers on the device, in the same order
    bool thinned = false;           // some loudspeakers are not drawn
};

PlanMarkers planMarkers(const PlanScene &scene, const PlanFrame &frame);

// Where a loudspeaker's number may go: beside its marker, in a box of the
// text's size.
struct NumberSpot {
    QRectF marker;
    QSizeF size;
    bool belowFirst = false; // tried below the marker first (a loudspeaker on the far wall)
};

struct PlacedNumber {
    std::size_t index; // which spot (chooseNumbers) or loudspeaker (planNumbers)
    QRectF box;
};

// The numbers to draw, in the spots' order: each centred above its marker,
// gap away from it, or below it where that does not fit; it fits where it
// lies inside and no nearer than clearance to any other marker or to any
// number chosen before it. A number that fits neither way is left out.
std::vector<PlacedNumber> chooseNumbers(const std::vector<NumberSpot> &spots, const QRectF &inside,
                                        double gap, double clearance);

// The numbers paintPlan draws for the markers drawn, in font at the
// numbers' size, as chooseNumbers places them; index is the loudspeaker's
// place in the layout, its number index + 1. None when the markers are
// thinned.
std::vector<PlacedNumber> planNumbers(const PlanScene &scene, const PlanFrame &frame,
                                      const PlanMarkers &markers, const QFont &font,
                                      const QPaintDevice &device);

// The grid step in metres: the smallest of 1, 2, 5, 10, 20, 50 ... m whose
// lines lie at least minPixels apart at scale pixels per metre.
double gridStep(double scale, double minPixels);

// The scale bar's length: the longest of 0.1, 0.2, 0.5, 1, 2, 5 ... m that
// is at most maxPixels long at scale pixels per metre.
double scaleBarLength(double scale, double maxPixels);

// Paints the plan into target on the painter's device. The painter's state
// is restored afterwards.
void paintPlan(QPainter &painter, const QRectF &target, const PlanScene &scene);

// The drawing in the window: the plan fitted to the widget.
class PlanDrawing : public QWidget {
    Q_OBJECT
public:
    explicit PlanDrawing(QWidget *parent = nullptr);

    void setScene(std::shared_ptr<const PlanScene> scene);
    const PlanScene *scene() const { return m_scene.get(); }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    std::shared_ptr<const PlanScene> m_scene;
};

} // namespace plan
