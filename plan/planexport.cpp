#include "planexport.h"

#include "calc/textrules.h"
#include "dxfexport.h"
#include "plandrawing.h"
#include "plantexts.h"

#include "widgets/exportformat.h"

#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <algorithm>
#include <cmath>
#include <optional>

namespace plan {

namespace {

using exportfile::documentFont;

// Resolution of the exported drawings: one and a half times a screen's, so
// that text and lines keep their proportions at the larger size.
constexpr int DrawingDpi = 144;
constexpr int LongerImageSide = 1600;
constexpr int ShorterImageSide = 480;

QString number(double value, QChar decimalPoint)
{
    return calc::formatGeneral(value, decimalPoint);
}

// The scene as a file shows it: with its level map, computed into a copy
// held by completed where the level view is still waiting for it.
const PlanScene &complete(const PlanScene &scene, std::optional<PlanScene> &completed)
{
    if (!scene.levelPending())
        return scene;
    completed = scene;
    completeLevel(*completed);
    return *completed;
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
    const calc::Shape shape = scene.figures.roomShape();
    const double length = shape.isPlainRectangle() ? scene.figures.roomL : shape.bounds().width();
    const double width = shape.isPlainRectangle() ? scene.figures.roomW : shape.bounds().height();
    if (length >= width) {
        const double height = (LongerImageSide - marginX) * width / length + marginY;
        return QSize(LongerImageSide,
                     int(std::clamp(std::ceil(height), double(ShorterImageSide), double(LongerImageSide))));
    }
    const double across = (LongerImageSide - marginY) * length / width + marginX;
    return QSize(int(std::clamp(std::ceil(across), double(ShorterImageSide), double(LongerImageSide))),
                 LongerImageSide);
}

// The heading above a drawing with a caption: the plan's title and under
// it the caption, each wrapped to the drawing's width, with a margin
// round them; nothing without a caption.
class DrawingHeading {
public:
    explicit DrawingHeading(const QString &caption) : m_caption(caption) { }

    // The heading's height over width pixels on a device of the drawings'
    // resolution; 0 without a caption.
    int height(int width) const
    {
        if (m_caption.isEmpty())
            return 0;
        QImage probe(1, 1, QImage::Format_ARGB32_Premultiplied);
        const int dotsPerMetre = qRound(DrawingDpi / 0.0254);
        probe.setDotsPerMeterX(dotsPerMetre);
        probe.setDotsPerMeterY(dotsPerMetre);
        const double margin = marginOn(probe);
        const QRectF box(0.0, 0.0, width - 2.0 * margin, 1e6);
        const double title
            = QFontMetricsF(m_title, &probe).boundingRect(box, Flags, text::WindowTitle).height();
        const double caption = QFontMetricsF(m_line, &probe).boundingRect(box, Flags, m_caption).height();
        return int(std::ceil(title + caption + 3.0 * margin));
    }

    // Paints the heading across the top width pixels of the painter's device.
    void paint(QPainter &painter, int width) const
    {
        if (m_caption.isEmpty())
            return;
        painter.save();
        painter.setPen(Qt::black);
        const double margin = marginOn(*painter.device());
        QRectF box(margin, margin, width - 2.0 * margin, 1e6);
        painter.setFont(m_title);
        QRectF used;
        painter.drawText(box, Flags, text::WindowTitle, &used);
        box.setTop(used.bottom() + margin);
        painter.setFont(m_line);
        painter.drawText(box, Flags, m_caption);
        painter.restore();
    }

private:
    static constexpr int Flags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    static double marginOn(const QPaintDevice &device) { return 8.0 * device.logicalDpiY() / 96.0; }

    QString m_caption;
    QFont m_title = documentFont(12.0, true);
    QFont m_line = documentFont(10.0);
};

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

} // namespace

WriteResult writeCsv(const QString &path, const std::vector<Placement> &placements, QChar decimalPoint)
{
    return writeWhole(path, csvBytes(placements, decimalPoint));
}

namespace {

// The document's fonts, in points.
constexpr double TitlePoints = 15.0;
constexpr double HeadingPoints = 10.0;
constexpr double BodyPoints = 9.5;
constexpr double TablePoints = 8.5;

// Millimetres on the page: under the title, between groups of figures,
// after the figures, under the coordinates' heading and under the heading
// of a continued page; between the figures and the drawing.
constexpr double TitleSkip = 4.0;
constexpr double GroupSkip = 2.5;
constexpr double FiguresSkip = 4.0;
constexpr double TableSkip = 1.0;
constexpr double ContinuedSkip = 2.0;
constexpr double DrawingGap = 6.0;

// The share of the page's width that the figures take, left of the drawing.
constexpr double FiguresShare = 0.36;

// One painting of the document: the painter on the device, the scene, the
// page's paint area, millimetres on the device and the fonts.
struct Document {
    QPainter &painter;
    QPagedPaintDevice &device;
    const PlanScene &scene;
    QRectF page;
    double mm;
    QFont title = documentFont(TitlePoints, true);
    QFont heading = documentFont(HeadingPoints, true);
    QFont body = documentFont(BodyPoints);
    QFont table = documentFont(TablePoints);
    QFont tableBold = documentFont(TablePoints, true);
};

// The title across the page, the caption under it; returns where the
// columns below them start.
double paintTitle(Document &d, const QString &caption)
{
    Column head(d.painter, d.page);
    head.line(text::WindowTitle, d.title);
    if (!caption.isEmpty())
        head.line(caption, d.heading);
    head.skip(TitleSkip * d.mm);
    return head.y();
}

// The loudspeaker, the results, the room, the arrangement with its summary
// and any limit of the plan, down the column.
void paintFigures(Document &d, Column &info)
{
    const PlanFigures &f = d.scene.figures;
    const QChar point = f.decimalPoint;
    const auto pair = [point](const QString &caption, double value) {
        return caption + QStringLiteral(": ") + number(value, point);
    };
    info.line(text::Loudspeaker, d.heading);
    info.line(text::ModelCaption + QStringLiteral(": ") + f.model, d.body);
    info.line(text::TypeCaption + QStringLiteral(": ") + f.mountingWord, d.body);
    info.skip(GroupSkip * d.mm);
    info.line(text::ResultsHeading, d.heading);
    info.line(pair(text::SplCaption, f.splTotal), d.body);
    info.line(pair(text::RangeCaption, f.range), d.body);
    info.line(pair(text::CoverCaption, f.coverS), d.body);
    info.line(pair(text::CountCaption, f.count), d.body);
    info.skip(GroupSkip * d.mm);
    info.line(text::Room, d.heading);
    info.line(pair(text::LengthCaption, f.roomL), d.body);
    info.line(pair(text::WidthCaption, f.roomW), d.body);
    info.line(pair(text::AreaCaption, f.roomArea), d.body);
    info.skip(GroupSkip * d.mm);
    info.line(text::LayoutCaption + QStringLiteral(": ") + arrangementName(d.scene.arrangement), d.heading);
    info.line(d.scene.summary(), d.body);
    if (const QString note = d.scene.limitNote(); !note.isEmpty())
        info.line(note, d.body);
    info.skip(FiguresSkip * d.mm);
}

// The coordinates below the figures in the column, then on pages of their
// own; false when the device refuses a new page.
bool paintCoordinates(Document &d, Column &info, const QRectF &column)
{
    d.painter.setPen(Qt::black);
    info.line(text::Coordinates, d.heading);
    info.skip(TableSkip * d.mm);
    CoordinateTable table(d.painter, d.scene, d.mm, d.table, d.tableBold);
    table.fill(QRectF(column.left(), info.y(), column.width(), column.bottom() - info.y()));
    while (!table.done()) {
        if (!d.device.newPage())
            return false;
        Column continued(d.painter, d.page);
        continued.line(text::Coordinates + QStringLiteral(" (продолжение)"), d.heading);
        continued.skip(ContinuedSkip * d.mm);
        if (!table.fill(
                QRectF(d.page.left(), continued.y(), d.page.width(), d.page.bottom() - continued.y())))
            return false;
    }
    return true;
}

} // namespace

bool paintDocument(QPagedPaintDevice &device, const PlanScene &shown, const QString &caption)
{
    std::optional<PlanScene> completed;
    const PlanScene &scene = complete(shown, completed);
    QPainter painter;
    if (!painter.begin(&device))
        return false;
    painter.setPen(Qt::black);
    Document d{painter, device, scene, QRectF(0.0, 0.0, device.width(), device.height()),
               device.logicalDpiX() / 25.4};
    const double top = paintTitle(d, caption);
    const QRectF figures(d.page.left(), top, d.page.width() * FiguresShare, d.page.bottom() - top);
    Column info(painter, figures);
    paintFigures(d, info);
    const double drawingLeft = figures.right() + DrawingGap * d.mm;
    paintPlan(painter, QRectF(drawingLeft, top, d.page.right() - drawingLeft, d.page.bottom() - top), scene);
    paintCoordinates(d, info, figures);
    return painter.end();
}

WriteResult writePdf(const QString &path, const PlanScene &scene, const QString &caption)
{
    QByteArray bytes;
    if (!exportfile::pdfBytes(
            exportfile::planPageLayout(exportfile::a4Landscape()), text::WindowTitle,
            [&](QPagedPaintDevice &writer) { return paintDocument(writer, scene, caption); }, bytes))
        return files::failure(path, QStringLiteral("не удалось построить документ"));
    return writeWhole(path, bytes);
}

QImage planImage(const PlanScene &shown, const QString &caption)
{
    std::optional<PlanScene> completed;
    const PlanScene &scene = complete(shown, completed);
    const QSize drawing = drawingSize(scene);
    const DrawingHeading heading(caption);
    const int top = heading.height(drawing.width());
    QImage image(drawing + QSize(0, top), QImage::Format_ARGB32_Premultiplied);
    if (image.isNull())
        return image;
    const int dotsPerMetre = qRound(DrawingDpi / 0.0254);
    image.setDotsPerMeterX(dotsPerMetre);
    image.setDotsPerMeterY(dotsPerMetre);
    image.fill(Qt::white);
    QPainter painter(&image);
    heading.paint(painter, drawing.width());
    paintPlan(painter, QRectF(QPointF(0, top), drawing), scene);
    return image;
}

WriteResult writePng(const QString &path, const PlanScene &scene, const QString &caption)
{
    const QImage image = planImage(scene, caption);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (image.isNull() || !image.save(&buffer, "PNG"))
        return files::failure(path, QStringLiteral("не удалось построить рисунок"));
    return writeWhole(path, bytes);
}

WriteResult writeSvg(const QString &path, const PlanScene &shown, const QString &caption)
{
    std::optional<PlanScene> completed;
    const PlanScene &scene = complete(shown, completed);
    const QSize drawing = drawingSize(scene);
    const DrawingHeading heading(caption);
    const int top = heading.height(drawing.width());
    const QSize size = drawing + QSize(0, top);
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
        heading.paint(painter, drawing.width());
        paintPlan(painter, QRectF(QPointF(0, top), drawing), scene);
        painter.end();
    }
    return writeWhole(path, bytes);
}

const exportfile::FormatTable &planFormats()
{
    static const exportfile::FormatTable table{
        {int(PlanFormat::Pdf), QStringLiteral("pdf"), text::PdfFilter},
        {int(PlanFormat::Svg), QStringLiteral("svg"), text::SvgFilter},
        {int(PlanFormat::Png), QStringLiteral("png"), text::PngFilter},
        {int(PlanFormat::Dxf), QStringLiteral("dxf"), text::DxfFilter},
    };
    return table;
}

PlanFormat formatOfPath(const QString &path)
{
    const exportfile::FileFormat *format = planFormats().ofPath(path);
    return format ? PlanFormat(format->kind) : PlanFormat::Unknown;
}

WriteResult writePlan(const QString &path, const PlanScene &scene, const QString &caption)
{
    switch (formatOfPath(path)) {
    case PlanFormat::Pdf: return writePdf(path, scene, caption);
    case PlanFormat::Svg: return writeSvg(path, scene, caption);
    case PlanFormat::Png: return writePng(path, scene, caption);
    case PlanFormat::Dxf: return writeDxf(path, planContent(scene, caption));
    case PlanFormat::Unknown: break;
    }
    return files::failure(path, QStringLiteral("неизвестный вид файла, выберите PDF, SVG, PNG или DXF"));
}

WriteResult exportPlan(const QString &path, const PlanFigures &figures, Arrangement arrangement, double count,
                       PlanView view, const QString &caption)
{
    PlanScene scene = buildScene(figures, arrangement, count);
    scene.view = view;
    if (formatOfPath(path) != PlanFormat::Dxf)
        completeLevel(scene);
    return writePlan(path, scene, caption);
}

} // namespace plan
