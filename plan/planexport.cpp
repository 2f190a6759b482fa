#include "planexport.h"

#include "calc/textrules.h"
#include "plandrawing.h"
#include "plantexts.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>

namespace plan {

namespace {

// Resolution of the exported drawings: one and a half times a screen's, so
// that text and lines keep their proportions at the larger size.
constexpr int DrawingDpi = 144;
constexpr int LongerImageSide = 1600;
constexpr int ShorterImageSide = 480;

QString number(double value, QChar decimalPoint)
{
    return calc::formatGeneral(value, decimalPoint);
}

// The size of the exported drawing: the longer side LongerImageSide pixels
// along the room's longer side, the other as the room's proportions and
// the margins need, within ShorterImageSide .. LongerImageSide.
QSize drawingSize(const PlanScene &scene)
{
    QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
    const int dotsPerMetre = qRound(DrawingDpi / 0.0254);
    probe.setDotsPerMeterX(dotsPerMetre);
    probe.setDotsPerMeterY(dotsPerMetre);
    if (!scene.hasRoom())
        return QSize(LongerImageSide, ShorterImageSide);
    // The margins, from the frame in a target far longer than needed
    // in the other direction.
    const double big = 1e6;
    const PlanFrame wide = planFrame(QRectF(0, 0, big, LongerImageSide), scene, probe);
    const PlanFrame tall = planFrame(QRectF(0, 0, LongerImageSide, big), scene, probe);
    const double marginX = LongerImageSide - tall.room.width();
    const double marginY = LongerImageSide - wide.room.height();
    const double length = scene.figures.roomL;
    const double width = scene.figures.roomW;
    if (length >= width) {
        const double height = (LongerImageSide - marginX) * width / length + marginY;
        return QSize(LongerImageSide,
                     int(std::clamp(std::ceil(height), double(ShorterImageSide), double(LongerImageSide))));
    }
    const double across = (LongerImageSide - marginY) * length / width + marginX;
    return QSize(int(std::clamp(std::ceil(across), double(ShorterImageSide), double(LongerImageSide))),
                 LongerImageSide);
}

// Text placed down a column of a page.
class Column {
public:
    Column(QPainter &painter, const QRectF &area) : m_painter(painter), m_area(area), m_y(area.top()) { }

    double y() const { return m_y; }
    void skip(double height) { m_y += height; }

    void line(const QString &text, const QFont &font)
    {
        m_painter.setFont(font);
        const QRectF box(m_area.left(), m_y, m_area.width(), m_area.bottom() - m_y);
        const QRectF used
            = m_painter.boundingRect(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        m_painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, text);
        m_y += used.height();
    }

private:
    QPainter &m_painter;
    QRectF m_area;
    double m_y;
};

// The coordinate table, in as many blocks of the three columns as fit
// side by side, from the first row not yet written.
class CoordinateTable {
public:
    CoordinateTable(QPainter &painter, const PlanScene &scene, double mm, const QFont &font,
                    const QFont &bold)
        : m_painter(painter),
          m_scene(scene),
          m_mm(mm),
          m_font(font),
          m_bold(bold),
          m_rowHeight(QFontMetricsF(font, painter.device()).height() * 1.25)
    { }

    double blockWidth() const { return NumberWidth * m_mm + 2.0 * ValueWidth * m_mm; }
    bool done() const { return m_next >= m_scene.layout.placements.size(); }

    // Fills area with blocks of rows, each with its header; returns whether
    // any row was placed.
    bool fill(const QRectF &area)
    {
        const double gap = 8.0 * m_mm;
        const int blocks = std::max(1, int((area.width() + gap) / (blockWidth() + gap)));
        const int rows = int((area.height() - m_rowHeight * 1.3) / m_rowHeight);
        if (rows < 1)
            return false;
        bool placed = false;
        for (int block = 0; block < blocks; ++block) {
            if (block > 0 && done())
                break;
            const double left = area.left() + block * (blockWidth() + gap);
            header(left, area.top());
            double y = area.top() + m_rowHeight * 1.3;
            for (int r = 0; r < rows && !done(); ++r, y += m_rowHeight) {
                row(left, y);
                placed = true;
            }
        }
        return placed;
    }

private:
    static constexpr double NumberWidth = 14.0; // mm
    static constexpr double ValueWidth = 22.0;  // mm

    void cells(double left, double y, const QString &n, const QString &x, const QString &yText)
    {
        const double pad = 1.5 * m_mm;
        m_painter.drawText(QRectF(left, y, NumberWidth * m_mm - pad, m_rowHeight),
                           Qt::AlignRight | Qt::AlignVCenter, n);
        const double xLeft = left + NumberWidth * m_mm;
        m_painter.drawText(QRectF(xLeft, y, ValueWidth * m_mm - pad, m_rowHeight),
                           Qt::AlignRight | Qt::AlignVCenter, x);
        m_painter.drawText(QRectF(xLeft + ValueWidth * m_mm, y, ValueWidth * m_mm - pad, m_rowHeight),
                           Qt::AlignRight | Qt::AlignVCenter, yText);
    }

    void header(double left, double top)
    {
        m_painter.setFont(m_bold);
        cells(left, top, text::Number, text::X, text::Y);
        const double lineY = top + m_rowHeight * 1.15;
        m_painter.drawLine(QPointF(left, lineY), QPointF(left + blockWidth(), lineY));
        m_painter.setFont(m_font);
    }

    void row(double left, double y)
    {
        const QPointF at = m_scene.layout.placements[m_next].position;
        const QChar point = m_scene.figures.decimalPoint;
        cells(left, y, QString::number(m_next + 1), calc::formatFixed(at.x(), 2, point),
              calc::formatFixed(at.y(), 2, point));
        ++m_next;
    }

    QPainter &m_painter;
    const PlanScene &m_scene;
    double m_mm;
    QFont m_font;
    QFont m_bold;
    double m_rowHeight;
    std::size_t m_next = 0;
};

QFont documentFont(double points, bool bold = false)
{
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

} // namespace

WriteResult writeCsv(const QString &path, const std::vector<Placement> &placements, QChar decimalPoint)
{
    return writeWhole(path, csvBytes(placements, decimalPoint));
}

bool paintDocument(QPagedPaintDevice &device, const PlanScene &scene)
{
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    const double mm = device.logicalDpiX() / 25.4;
    const QRectF page(0.0, 0.0, device.width(), device.height());
    const QFont title = documentFont(15.0, true);
    const QFont heading = documentFont(10.0, true);
    const QFont body = documentFont(9.5);
    const QFont tableFont = documentFont(8.5);
    const QFont tableBold = documentFont(8.5, true);
    const PlanFigures &f = scene.figures;
    const QChar point = f.decimalPoint;
    painter.setPen(Qt::black);

    Column head(painter, page);
    head.line(text::WindowTitle, title);
    head.skip(4.0 * mm);
    const double top = head.y();

    // The figures down the left column.
    const QRectF left(page.left(), top, page.width() * 0.36, page.bottom() - top);
    Column info(painter, left);
    const auto pair = [point](const QString &caption, double value) {
        return caption + QStringLiteral(": ") + number(value, point);
    };
    info.line(text::Loudspeaker, heading);
    info.line(text::ModelCaption + QStringLiteral(": ") + f.model, body);
    info.line(text::TypeCaption + QStringLiteral(": ") + f.mountingWord, body);
    info.skip(2.5 * mm);
    info.line(text::ResultsHeading, heading);
    info.line(pair(text::SplCaption, f.splTotal), body);
    info.line(pair(text::RangeCaption, f.range), body);
    info.line(pair(text::CoverCaption, f.coverS), body);
    info.line(pair(text::CountCaption, f.count), body);
    info.skip(2.5 * mm);
    info.line(text::Room, heading);
    info.line(pair(text::LengthCaption, f.roomL), body);
    info.line(pair(text::WidthCaption, f.roomW), body);
    info.line(pair(text::AreaCaption, f.roomArea), body);
    info.skip(2.5 * mm);
    info.line(text::LayoutCaption + QStringLiteral(": ") + arrangementName(scene.arrangement), heading);
    info.line(scene.summary(), body);
    if (const QString note = scene.limitNote(); !note.isEmpty())
        info.line(note, body);
    info.skip(4.0 * mm);

    // The drawing to the right.
    const QRectF drawing(left.right() + 6.0 * mm, top, page.right() - left.right() - 6.0 * mm,
                         page.bottom() - top);
    paintPlan(painter, drawing, scene);

    // The coordinates below the figures, then on pages of their own.
    painter.setPen(Qt::black);
    info.line(text::Coordinates, heading);
    info.skip(1.0 * mm);
    CoordinateTable table(painter, scene, mm, tableFont, tableBold);
    table.fill(QRectF(left.left(), info.y(), left.width(), left.bottom() - info.y()));
    while (!table.done()) {
        if (!device.newPage())
            break;
        Column continued(painter, page);
        continued.line(text::Coordinates + QStringLiteral(" (продолжение)"), heading);
        continued.skip(2.0 * mm);
        if (!table.fill(QRectF(page.left(), continued.y(), page.width(), page.bottom() - continued.y())))
            break;
    }
    return painter.end();
}

WriteResult writePdf(const QString &path, const PlanScene &scene)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(300);
        writer.setTitle(text::WindowTitle);
        writer.setCreator(QStringLiteral("Расчет громкоговорителей"));
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                                         QMarginsF(12.0, 12.0, 12.0, 12.0), QPageLayout::Millimeter));
        if (!paintDocument(writer, scene))
            return files::failure(path, QStringLiteral("не удалось построить документ"));
    }
    return writeWhole(path, bytes);
}

QImage planImage(const PlanScene &scene)
{
    QImage image(drawingSize(scene), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const int dotsPerMetre = qRound(DrawingDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintPlan(painter, QRectF(image.rect()), scene);
    return image;
}

WriteResult writePng(const QString &path, const PlanScene &scene)
{
    const QImage image = planImage(scene);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return files::failure(path, QStringLiteral("не удалось построить рисунок"));
    return writeWhole(path, bytes);
}

WriteResult writeSvg(const QString &path, const PlanScene &scene)
{
    const QSize size = drawingSize(scene);
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size);
        generator.setViewBox(QRect(QPoint(0, 0), size));
        generator.setResolution(DrawingDpi);
        generator.setTitle(text::WindowTitle);
        generator.setDescription(scene.summary());
        QPainter painter;
        if (!painter.begin(&generator))
            return files::failure(path, QStringLiteral("не удалось построить рисунок"));
        painter.fillRect(QRect(QPoint(0, 0), size), Qt::white);
        paintPlan(painter, QRectF(QPoint(0, 0), size), scene);
        painter.end();
    }
    return writeWhole(path, bytes);
}

PlanFormat formatOfPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("pdf"))
        return PlanFormat::Pdf;
    if (suffix == QLatin1String("svg"))
        return PlanFormat::Svg;
    if (suffix == QLatin1String("png"))
        return PlanFormat::Png;
    return PlanFormat::Unknown;
}

WriteResult writePlan(const QString &path, const PlanScene &scene)
{
    switch (formatOfPath(path)) {
    case PlanFormat::Pdf: return writePdf(path, scene);
    case PlanFormat::Svg: return writeSvg(path, scene);
    case PlanFormat::Png: return writePng(path, scene);
    case PlanFormat::Unknown: break;
    }
    return files::failure(path, QStringLiteral("неизвестный вид файла, выберите PDF, SVG или PNG"));
}

} // namespace plan
