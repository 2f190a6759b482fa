#include "floorview.h"

#include "widgets/accessibility.h"

#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace project {

namespace {

constexpr double LeastScale = 1e-4; // px/m
constexpr double MostScale = 5000.0;
// The margin around the floor when fitted, a share of the view.
constexpr double FitMargin = 0.03;
// The wheel's usual step (120) zooms by 2^(1/4).
constexpr double WheelStepsPerDoubling = 4.0 * 120.0;
// The floor is drawn anew at its new scale when the wheel has rested this
// long.
constexpr int SharpenAfterMs = 150;

} // namespace

FloorView::FloorView(QWidget *parent) : QWidget(parent)
{
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("План этажа"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    setMinimumSize(120, 90);
    m_sharpen = new QTimer(this);
    m_sharpen->setSingleShot(true);
    m_sharpen->setInterval(SharpenAfterMs);
    connect(m_sharpen, &QTimer::timeout, this, [this] {
        m_sharpenLater = false;
        update();
    });
}

void FloorView::setDrawing(FloorDrawing drawing)
{
    // The same floor drawn again (its rooms' figures changed) stays where
    // the user zoomed and panned it.
    const bool sameFloor = !m_scene.isEmpty() && drawing.floor == m_scene.drawing().floor;
    m_scene = FloorScene(std::move(drawing));
    m_cache = QImage();
    if (m_hasSelection && m_scene.indexOf(m_selected) < 0)
        m_hasSelection = false;
    if (sameFloor && !m_fitted)
        update();
    else
        fitToView();
}

void FloorView::setSelectedRoom(FloorRoomId id)
{
    const int index = m_scene.indexOf(id);
    if (index < 0) {
        clearSelection();
        return;
    }
    m_hasSelection = true;
    m_selected = id;
    const QRectF bounds = m_scene.roomBounds(index);
    const QRectF visible = visibleFloor();
    if (!visible.intersects(bounds) && !visible.contains(bounds.center())) {
        m_centre = bounds.center();
        m_fitted = false;
    }
    update();
}

void FloorView::clearSelection()
{
    m_hasSelection = false;
    m_selected = 0;
    update();
}

QTransform FloorView::floorToWidget() const
{
    // x' = w/2 + s (x - cx), y' = h/2 - s (y - cy): the floor's Y runs up.
    return QTransform(m_scale, 0.0, 0.0, -m_scale, width() / 2.0 - m_scale * m_centre.x(),
                      height() / 2.0 + m_scale * m_centre.y());
}

QPointF FloorView::toFloor(QPointF widgetPoint) const
{
    return QPointF(m_centre.x() + (widgetPoint.x() - width() / 2.0) / m_scale,
                   m_centre.y() - (widgetPoint.y() - height() / 2.0) / m_scale);
}

QRectF FloorView::visibleFloor() const
{
    const QPointF a = toFloor(QPointF(0, 0));
    const QPointF b = toFloor(QPointF(width(), height()));
    return QRectF(a, b).normalized();
}

void FloorView::fitToView()
{
    m_fitted = true;
    const QRectF extent = m_scene.extent();
    if (extent.isNull() || width() <= 0 || height() <= 0) {
        m_scale = 1.0;
        m_centre = extent.center();
        update();
        return;
    }
    const double usableWidth = width() * (1.0 - 2.0 * FitMargin);
    const double usableHeight = height() * (1.0 - 2.0 * FitMargin);
    double scale = MostScale;
    if (extent.width() > 0.0)
        scale = std::min(scale, usableWidth / extent.width());
    if (extent.height() > 0.0)
        scale = std::min(scale, usableHeight / extent.height());
    m_scale = std::clamp(scale, LeastScale, MostScale);
    m_centre = extent.center();
    update();
}

void FloorView::zoomAt(QPointF widgetPoint, double factor)
{
    m_sharpenLater = false;
    m_sharpen->stop();
    const QPointF fixed = toFloor(widgetPoint);
    m_scale = std::clamp(m_scale * factor, LeastScale, MostScale);
    m_centre = QPointF(fixed.x() - (widgetPoint.x() - width() / 2.0) / m_scale,
                       fixed.y() + (widgetPoint.y() - height() / 2.0) / m_scale);
    m_fitted = false;
    update();
}

void FloorView::panBy(QPointF widgetDelta)
{
    m_centre -= QPointF(widgetDelta.x() / m_scale, -widgetDelta.y() / m_scale);
    m_fitted = false;
    update();
}

void FloorView::rebuildCache(const QRectF &visible)
{
    // An eighth of the view around it, so that a pan redraws nothing until
    // it leaves that margin.
    m_cacheFloor = visible.adjusted(-visible.width() / 8.0, -visible.height() / 8.0, visible.width() / 8.0,
                                    visible.height() / 8.0);
    m_cacheScale = m_scale;
    const qreal ratio = devicePixelRatioF();
    const QSize size(int(std::ceil(m_cacheFloor.width() * m_scale * ratio)),
                     int(std::ceil(m_cacheFloor.height() * m_scale * ratio)));
    m_cache = QImage(size, QImage::Format_RGB32);
    m_cache.setDevicePixelRatio(ratio);
    m_cache.fill(Qt::white);
    QPainter cachePainter(&m_cache);
    // The image's corner is the floor's left and top (its greatest Y).
    const QTransform toCache(m_scale, 0.0, 0.0, -m_scale, -m_scale * m_cacheFloor.left(),
                             m_scale * m_cacheFloor.bottom());
    m_scene.paintBackground(cachePainter, toCache, m_cacheFloor);
    m_scene.paintRooms(cachePainter, toCache, m_cacheFloor, FloorPaintOptions());
}

void FloorView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    if (!m_scene.isEmpty()) {
        const QRectF visible = visibleFloor();
        const bool fresh = !m_cache.isNull() && m_cacheScale == m_scale && m_cacheFloor.contains(visible);
        if (!fresh && m_sharpenLater && !m_cache.isNull()) {
            // While the wheel turns, the image kept is stretched to the new
            // scale; the floor is drawn anew when the wheel rests.
            painter.drawImage(floorToWidget().mapRect(m_cacheFloor), m_cache);
        } else {
            if (!fresh)
                rebuildCache(visible);
            const QPointF corner = toWidget(QPointF(m_cacheFloor.left(), m_cacheFloor.bottom()));
            painter.drawImage(QPoint(qRound(corner.x()), qRound(corner.y())), m_cache);
        }
        if (m_hasSelection)
            m_scene.paintSelection(painter, floorToWidget(), visible, m_selected);
    }

    const QString &note = m_scene.drawing().backgroundNote;
    if (!note.isEmpty()) {
        const QFontMetrics metrics(font());
        const QRect box(6, 6, metrics.horizontalAdvance(note) + 12, metrics.height() + 6);
        painter.fillRect(box, QColor(255, 255, 255, 220));
        painter.setPen(QColor(120, 40, 0));
        painter.drawText(box, Qt::AlignCenter, note);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
}

void FloorView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    m_cache = QImage();
    if (m_fitted)
        fitToView();
}

void FloorView::wheelEvent(QWheelEvent *event)
{
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        event->ignore();
        return;
    }
    zoomAt(event->position(), std::pow(2.0, delta / WheelStepsPerDoubling));
    m_sharpenLater = true;
    m_sharpen->start();
    event->accept();
}

void FloorView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressed = true;
    m_dragging = false;
    m_pressAt = m_lastAt = event->position().toPoint();
}

void FloorView::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_pressed)
        return;
    const QPoint at = event->position().toPoint();
    if (!m_dragging && (at - m_pressAt).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    if (m_dragging) {
        panBy(at - m_lastAt);
        m_lastAt = at;
    }
}

void FloorView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || !m_pressed) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    m_pressed = false;
    if (m_dragging) {
        m_dragging = false;
        unsetCursor();
        return;
    }
    const int index = m_scene.roomAt(toFloor(event->position()));
    if (index < 0)
        return;
    const FloorRoomId id = m_scene.drawing().rooms[std::size_t(index)].id;
    m_hasSelection = true;
    m_selected = id;
    update();
    emit roomClicked(id);
}

void FloorView::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseDoubleClickEvent(event);
        return;
    }
    const int index = m_scene.roomAt(toFloor(event->position()));
    if (index >= 0)
        emit roomActivated(m_scene.drawing().rooms[std::size_t(index)].id);
}

void FloorView::keyPressEvent(QKeyEvent *event)
{
    const QPointF middle(width() / 2.0, height() / 2.0);
    const double step = std::min(width(), height()) / 8.0;
    switch (event->key()) {
    case Qt::Key_Plus:
    case Qt::Key_Equal: zoomAt(middle, std::sqrt(2.0)); break;
    case Qt::Key_Minus: zoomAt(middle, 1.0 / std::sqrt(2.0)); break;
    case Qt::Key_Left: panBy(QPointF(step, 0)); break;
    case Qt::Key_Right: panBy(QPointF(-step, 0)); break;
    case Qt::Key_Up: panBy(QPointF(0, step)); break;
    case Qt::Key_Down: panBy(QPointF(0, -step)); break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (m_hasSelection)
            emit roomActivated(m_selected);
        break;
    default: QWidget::keyPressEvent(event); return;
    }
    event->accept();
}

FloorTab::FloorTab(QWidget *parent) : QWidget(parent)
{
    a11y::installAccessibility();
    m_floors = new QComboBox(this);
    m_floors->setObjectName(QStringLiteral("floorBox"));
    m_floors->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_floors->setMinimumContentsLength(10);
    QLabel *caption = a11y::captionFor(m_floors, QStringLiteral("Этаж"));
    m_tints = new QComboBox(this);
    m_tints->setObjectName(QStringLiteral("tintBox"));
    m_tints->addItem(QStringLiteral("по уровню"), int(FloorTint::Level));
    m_tints->addItem(QStringLiteral("по разборчивости (STI)"), int(FloorTint::Intelligibility));
    m_tints->setToolTip(QStringLiteral("Зеленый — выполнено, красный — не выполнено, серый — нет данных. "
                                       "По разборчивости: STI не ниже 0,50 на требуемой доле площади."));
    QLabel *tintCaption = a11y::captionFor(m_tints, QStringLiteral("Окраска"));
    m_fit = new QPushButton(QStringLiteral("По размеру"), this);
    m_fit->setObjectName(QStringLiteral("fitButton"));
    m_fit->setAccessibleName(QStringLiteral("По размеру"));
    m_view = new FloorView(this);
    m_view->setObjectName(QStringLiteral("floorView"));

    auto *row = new QHBoxLayout;
    row->addWidget(caption);
    row->addWidget(m_floors);
    row->addSpacing(12);
    row->addWidget(tintCaption);
    row->addWidget(m_tints);
    row->addSpacing(12);
    row->addWidget(m_fit);
    row->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(m_view, 1);
    setTabOrder(m_floors, m_tints);
    setTabOrder(m_tints, m_fit);
    setTabOrder(m_fit, m_view);

    connect(m_fit, &QPushButton::clicked, m_view, &FloorView::fitToView);
    connect(m_tints, &QComboBox::currentIndexChanged, this, [this] { emit tintChosen(tint()); });
    connect(m_floors, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (!m_filling && index >= 0)
            emit floorChosen(m_floors->itemText(index));
    });
}

FloorTint FloorTab::tint() const
{
    return FloorTint(m_tints->currentData().toInt());
}

void FloorTab::setFloors(const QStringList &floors)
{
    const QString chosen = currentFloor();
    m_filling = true;
    m_floors->clear();
    m_floors->addItems(floors);
    const int keep = floors.indexOf(chosen);
    m_floors->setCurrentIndex(keep >= 0 ? keep : (floors.isEmpty() ? -1 : 0));
    m_filling = false;
    if (keep < 0 && !floors.isEmpty())
        emit floorChosen(floors.front());
}

QString FloorTab::currentFloor() const
{
    return m_floors->currentIndex() >= 0 ? m_floors->currentText() : QString();
}

void FloorTab::setCurrentFloor(const QString &floor)
{
    const int index = m_floors->findText(floor);
    if (index < 0)
        return;
    m_filling = true;
    m_floors->setCurrentIndex(index);
    m_filling = false;
}

} // namespace project
