#pragma once

#include "floordrawing.h"

#include <QImage>
#include <QPoint>
#include <QPointF>
#include <QRectF>
#include <QStringList>
#include <QTransform>
#include <QWidget>

class QComboBox;
class QTimer;
class QPushButton;

namespace project {

// A floor to scale: the architect's plan in light grey, each room tinted
// by its verdict with its name and count, its loudspeakers and their zones.
// The wheel zooms about the pointer, dragging pans, the keys + and - zoom
// and the arrows pan; a click on a room selects it, a double click opens
// it. Only what lies in view is drawn, and only the detail the scale
// shows; the drawing is kept as an image while the scale stays, and
// stretched while the wheel turns, drawn anew when it rests.
class FloorView : public QWidget {
    Q_OBJECT
public:
    explicit FloorView(QWidget *parent = nullptr);

    // Shows the floor fitted to the view; the same floor again (by its
    // name) keeps the scale and place the user left it at, unless it was
    // fitted, when it is fitted anew.
    void setDrawing(FloorDrawing drawing);
    const FloorScene &scene() const { return m_scene; }

    // The room highlighted; none after clearSelection. A room wholly out
    // of view is brought to the middle.
    void setSelectedRoom(FloorRoomId id);
    void clearSelection();
    bool hasSelection() const { return m_hasSelection; }
    FloorRoomId selectedRoom() const { return m_selected; }

    // Pixels per metre and the floor point in the middle of the view.
    double scale() const { return m_scale; }
    QPointF centre() const { return m_centre; }
    QTransform floorToWidget() const;
    QPointF toWidget(QPointF floorPoint) const { return floorToWidget().map(floorPoint); }
    QPointF toFloor(QPointF widgetPoint) const;

    // Zooms by factor keeping the floor point under widgetPoint in place.
    void zoomAt(QPointF widgetPoint, double factor);

    QSize sizeHint() const override { return QSize(640, 480); }

public slots:
    // The whole floor in the view ("По размеру").
    void fitToView();

signals:
    void roomClicked(project::FloorRoomId id);
    void roomActivated(project::FloorRoomId id);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QRectF visibleFloor() const;
    void rebuildCache(const QRectF &visible);
    void panBy(QPointF widgetDelta);

    FloorScene m_scene;
    double m_scale = 1.0;
    QPointF m_centre;
    bool m_fitted = true; // refitted when the view's size changes
    bool m_hasSelection = false;
    FloorRoomId m_selected = 0;

    // Dragging: where the press was, and whether it moved far enough to be
    // a pan rather than a click.
    QPoint m_pressAt;
    QPoint m_lastAt;
    bool m_pressed = false;
    bool m_dragging = false;

    // The floor without the selection drawn at m_cacheScale over the floor
    // rectangle m_cacheFloor (a margin around the view, so that a pan
    // reuses it).
    QImage m_cache;
    double m_cacheScale = 0.0;
    QRectF m_cacheFloor;
    // The wheel turns: the image is stretched until m_sharpen fires.
    QTimer *m_sharpen = nullptr;
    bool m_sharpenLater = false;
};

// The tab "План этажа": the floor chosen in "Этаж", "По размеру" and the
// floor's view.
class FloorTab : public QWidget {
    Q_OBJECT
public:
    explicit FloorTab(QWidget *parent = nullptr);

    FloorView *view() const { return m_view; }
    QComboBox *floorBox() const { return m_floors; }
    QComboBox *tintBox() const { return m_tints; }
    QPushButton *fitButton() const { return m_fit; }

    // What the rooms' tints judge ("Окраска").
    FloorTint tint() const;

    // The floors to choose from; the one chosen stays where it is still
    // listed, else the first is chosen (and told by floorChosen).
    void setFloors(const QStringList &floors);
    QString currentFloor() const;
    // Chooses the floor without telling floorChosen.
    void setCurrentFloor(const QString &floor);

signals:
    void floorChosen(const QString &floor);
    void tintChosen(project::FloorTint tint);

private:
    QComboBox *m_floors = nullptr;
    QComboBox *m_tints = nullptr;
    QPushButton *m_fit = nullptr;
    FloorView *m_view = nullptr;
    bool m_filling = false;
};

} // namespace project
