#pragma once

#include "planscene.h"

#include <QRectF>
#include <QWidget>
#include <memory>

class QPainter;
class QPaintDevice;

// The room to scale with its grid, dimensions, loudspeakers with their
// numbers and zones, the uncovered floor tinted, a scale bar and a legend.
namespace plan {

// Where the room lies when the plan is painted into target on device: as
// large as fits beside the dimensions, scale bar and legend, centred, in
// its own proportions.
struct PlanFrame {
    QRectF room;        // the room on the device; empty for a room without area
    double scale = 0.0; // device pixels per metre
    double unit = 1.0;  // device pixels per screen pixel (at 96 dpi)
    // The width is written across, left of the room, where the room is too
    // thin for it written along its side.
    bool widthAcross = false;
};

PlanFrame planFrame(const QRectF &target, const PlanScene &scene, const QPaintDevice &device);

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
