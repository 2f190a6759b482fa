// The document's pages, laid out here rather than by QTextDocument: its
// table layout redraws the header rows of every page of a table for each
// page painted, which made a 150-page table take a minute. Here each
// table's column widths come from its texts (as an HTML table's automatic
// layout does), each row is as tall as its most wrapped cell, the rows are
// dealt onto pages with the header row at the top of each, and then every
// page is painted with "Лист N из M" at its foot. Measuring and painting
// use the device's own font metrics, so the PDF and a printer get the same
// pages for the same page size.
#include "documentwriters.h"

#include "widgets/exportformat.h"

#include <QFontMetricsF>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QTextLayout>
#include <algorithm>
#include <numeric>

namespace project {

namespace {

using exportfile::documentFont;

// The strip at the foot of each page that holds "Лист N из M".
constexpr double FooterMm = 8.0;

constexpr double TitlePoints = 14.0;
constexpr double DatePoints = 10.0;
constexpr double HeadingPoints = 12.0;
constexpr double TablePoints = 8.0;
// A table whose words do not fit the page's width at TablePoints is set
// smaller, in steps of TablePointsStep, down to MinTablePoints; below that
// its words are broken.
constexpr double MinTablePoints = 5.0;
constexpr double TablePointsStep = 0.5;
constexpr double FooterPoints = 8.0;

constexpr double CellPaddingMm = 0.8;
constexpr double SlackMm = 0.1;
constexpr double RulePoints = 0.5;
// Space below the title, below the date, below a heading and above a table
// that follows another.
constexpr double AfterTitleMm = 1.5;
constexpr double AfterDateMm = 4.0;
constexpr double AfterHeadingMm = 1.5;
constexpr double BetweenTablesMm = 6.0;

const QColor HeaderBackground(0xe6, 0xe6, 0xe6);

// A text as it is laid out: its line breaks as Qt's line separator.
QString layoutText(const QString &text)
{
    QString laid = text;
    laid.replace(u'\n', QChar::LineSeparator);
    return laid;
}

// A text wrapped into lines of a width: at word boundaries, and inside a
// word only when the word alone is wider than the line.
class WrappedText {
public:
    WrappedText(const QString &text, const QFont &font, const QPaintDevice *device, double width,
                Qt::Alignment alignment)
        : m_layout(layoutText(text), font, device)
    {
        QTextOption option(alignment);
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_layout.setTextOption(option);
        m_layout.beginLayout();
        for (QTextLine line = m_layout.createLine(); line.isValid(); line = m_layout.createLine()) {
            line.setLineWidth(width);
            line.setPosition(QPointF(0.0, m_height));
            m_height += line.height();
        }
        m_layout.endLayout();
    }

    double height() const { return m_height; }
    void draw(QPainter &painter, const QPointF &topLeft) const { m_layout.draw(&painter, topLeft); }

private:
    QTextLayout m_layout;
    double m_height = 0.0;
};

// The fonts and lengths of the pages, in the device's units.
struct Style {
    explicit Style(const QPaintDevice &pages)
        : device(&pages),
          mm(pages.logicalDpiY() / 25.4),
          padding(CellPaddingMm * mm),
          rule(RulePoints * pages.logicalDpiY() / 72.0)
    { }

    const QPaintDevice *device;
    double mm;
    double padding;
    double rule;
    QFont title = documentFont(TitlePoints, true);
    QFont date = documentFont(DatePoints);
    QFont heading = documentFont(HeadingPoints, true);
    QFont footer = documentFont(FooterPoints);

    double textHeight(const QString &text, const QFont &font, double width) const
    {
        return WrappedText(text, font, device, width, Qt::AlignLeft).height();
    }
};

// The widest of a text's lines and of its words.
struct TextWidths {
    double line = 0.0;
    double word = 0.0;
};

TextWidths textWidths(const QString &text, const QFontMetricsF &metrics)
{
    TextWidths widths;
    const bool oneLine = !text.contains(u'\n');
    widths.line = oneLine ? metrics.horizontalAdvance(text) : 0.0;
    if (!oneLine) {
        for (const QStringView line : QStringView(text).split(u'\n'))
            widths.line = std::max(widths.line, metrics.horizontalAdvance(line.toString()));
    }
    if (oneLine && !text.contains(u' ')) {
        widths.word = widths.line;
        return widths;
    }
    for (const QStringView word : QStringView(text).split(u' ', Qt::SkipEmptyParts)) {
        for (const QStringView part : word.split(u'\n', Qt::SkipEmptyParts))
            widths.word = std::max(widths.word, metrics.horizontalAdvance(part.toString()));
    }
    return widths;
}

// The widths of the columns within the page's width, from three wishes,
// each column's no wider than the one before: every text on one line
// (captions too), the cells on one line with the captions wrapped at their
// words, and every text wrapped at its words. The first wish that fits is
// widened alike to fill the width; otherwise the width goes between the
// two wishes around it, each column getting its share of the difference;
// when even the words do not fit, their widths are scaled down to the page.
std::vector<double> shareWidth(const std::vector<std::vector<double>> &wishes, double total)
{
    const auto sum = [](const std::vector<double> &widths) {
        return std::accumulate(widths.cbegin(), widths.cend(), 0.0);
    };
    const std::vector<double> &widest = wishes.front();
    std::vector<double> widths(widest.size());
    if (widths.empty())
        return widths;
    const double widestSum = sum(widest);
    if (widestSum <= total) {
        for (std::size_t c = 0; c < widths.size(); ++c)
            widths[c] = widestSum > 0.0 ? widest[c] * total / widestSum : total / double(widths.size());
        return widths;
    }
    for (std::size_t w = 1; w < wishes.size(); ++w) {
        const std::vector<double> &lower = wishes[w];
        const std::vector<double> &upper = wishes[w - 1];
        const double lowerSum = sum(lower);
        if (lowerSum <= total) {
            const double share = (total - lowerSum) / (sum(upper) - lowerSum);
            for (std::size_t c = 0; c < widths.size(); ++c)
                widths[c] = lower[c] + (upper[c] - lower[c]) * share;
            return widths;
        }
    }
    const std::vector<double> &narrowest = wishes.back();
    const double narrowestSum = sum(narrowest);
    for (std::size_t c = 0; c < widths.size(); ++c)
        widths[c] = narrowest[c] * total / narrowestSum;
    return widths;
}

// The fonts of one table's cells and header row.
struct TableFonts {
    TableFonts(double points, const QPaintDevice *device)
        : cell(documentFont(points)),
          header(documentFont(points, true)),
          cellMetrics(cell, device),
          headerMetrics(header, device)
    { }

    QFont cell;
    QFont header;
    QFontMetricsF cellMetrics;
    QFontMetricsF headerMetrics;
};

// A table measured for the page: its fonts, its columns' widths, its header
// row's height, each row's height and each cell's text and width on one line.
struct MeasuredTable {
    TableFonts fonts{TablePoints, nullptr};
    bool wordsFit = true; // no word is wider than its column
    const DocumentTable *table = nullptr;
    int columns = 0;
    std::vector<double> columnWidths;
    double headerHeight = 0.0;
    std::vector<double> rowHeights;
    std::vector<QString> texts;  // row by row, columns cells each
    std::vector<double> oneLine; // the width of each text on one line
};

bool rightAligned(const DocumentCell &cell)
{
    return cell.kind == DocumentCell::Kind::Number;
}

MeasuredTable measureTableAt(const DocumentTable &table, QChar decimalPoint, const Style &style, double width,
                             double points)
{
    MeasuredTable measured;
    measured.fonts = TableFonts(points, style.device);
    const TableFonts &fonts = measured.fonts;
    measured.table = &table;
    int columns = int(table.captions.size());
    for (const DocumentRow &row : table.rows)
        columns = std::max(columns, int(row.size()));
    measured.columns = columns;
    if (columns == 0)
        return measured; // nothing but the heading
    const auto cells = std::size_t(columns) * table.rows.size();
    measured.texts.resize(cells);
    measured.oneLine.resize(cells, 0.0);

    // The widest line and word of each column's cells and caption.
    const double padding = 2.0 * style.padding;
    std::vector<double> cellLines(std::size_t(columns), 0.0);
    std::vector<double> words(std::size_t(columns), 0.0);
    std::vector<double> captionLines(std::size_t(columns), 0.0);
    for (int c = 0; c < columns; ++c) {
        const TextWidths caption = textWidths(table.captions.value(c), fonts.headerMetrics);
        captionLines[std::size_t(c)] = caption.line;
        words[std::size_t(c)] = caption.word;
    }
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const DocumentRow &row = table.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            const std::size_t at = r * std::size_t(columns) + c;
            measured.texts[at] = cellText(row[c], decimalPoint);
            if (measured.texts[at].isEmpty())
                continue;
            const TextWidths text = textWidths(measured.texts[at], fonts.cellMetrics);
            measured.oneLine[at] = measured.texts[at].contains(u'\n') ? -1.0 : text.line;
            cellLines[c] = std::max(cellLines[c], text.line);
            words[c] = std::max(words[c], text.word);
        }
    }
    // Measured widths are rounded a little up, so that a text that was
    // measured to fit is never broken by the layout's own rounding.
    const double room = padding + SlackMm * style.mm;
    std::vector<double> allOnOneLine(words.size());
    std::vector<double> cellsOnOneLine(words.size());
    for (std::size_t c = 0; c < std::size_t(columns); ++c) {
        words[c] += room;
        cellsOnOneLine[c] = std::max(cellLines[c] + room, words[c]);
        allOnOneLine[c] = std::max(cellsOnOneLine[c], captionLines[c] + room);
    }
    measured.columnWidths = shareWidth({allOnOneLine, cellsOnOneLine, words}, width);
    measured.wordsFit = std::accumulate(words.cbegin(), words.cend(), 0.0) <= width;

    // A cell that fits on one line takes one line; others are wrapped.
    const auto cellHeight = [&](const QString &text, double oneLine, const QFont &font,
                                const QFontMetricsF &metrics, double columnWidth) {
        const double inner = columnWidth - padding;
        if (oneLine >= 0.0 && oneLine <= inner)
            return metrics.height();
        return style.textHeight(text, font, std::max(inner, 1.0));
    };
    measured.headerHeight = fonts.headerMetrics.height();
    for (int c = 0; c < columns; ++c) {
        const QString caption = table.captions.value(c);
        const double oneLine = caption.contains(u'\n') ? -1.0 : captionLines[std::size_t(c)];
        measured.headerHeight = std::max(measured.headerHeight,
                                         cellHeight(caption, oneLine, fonts.header, fonts.headerMetrics,
                                                    measured.columnWidths[std::size_t(c)]));
    }
    measured.headerHeight += padding;
    measured.rowHeights.resize(table.rows.size());
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        double height = fonts.cellMetrics.height();
        for (std::size_t c = 0; c < std::size_t(columns); ++c) {
            const std::size_t at = r * std::size_t(columns) + c;
            if (!measured.texts[at].isEmpty()) {
                height = std::max(height,
                                  cellHeight(measured.texts[at], measured.oneLine[at], fonts.cell,
                                             fonts.cellMetrics, measured.columnWidths[c]));
            }
        }
        measured.rowHeights[r] = height + padding;
    }
    return measured;
}

// The table in the largest size, from TablePoints down to MinTablePoints,
// at which every word fits its column.
MeasuredTable measureTable(const DocumentTable &table, QChar decimalPoint, const Style &style, double width)
{
    for (double points = TablePoints; points > MinTablePoints; points -= TablePointsStep) {
        MeasuredTable measured = measureTableAt(table, decimalPoint, style, width, points);
        if (measured.wordsFit)
            return measured;
    }
    return measureTableAt(table, decimalPoint, style, width, MinTablePoints);
}

// A part of a table on one page: its heading (on the table's first page
// only), the header row, and the rows first .. end - 1, from top down.
struct TableSlice {
    std::size_t table = 0;
    bool heading = false;
    double top = 0.0;
    std::size_t firstRow = 0;
    std::size_t endRow = 0;
};

struct Page {
    bool title = false;
    std::vector<TableSlice> slices;
};

// The whole document laid out on pages of a width and a height.
class PageLayout {
public:
    PageLayout(const Document &document, QChar decimalPoint, const Style &style, double width, double height)
        : m_document(document),
          m_style(style),
          m_width(width),
          m_height(height)
    {
        m_titleHeight = style.textHeight(document.title, style.title, width) + AfterTitleMm * style.mm
            + style.textHeight(document.date, style.date, width) + AfterDateMm * style.mm;
        for (const DocumentTable &table : document.tables)
            m_tables.push_back(measureTable(table, decimalPoint, style, width));
        dealOntoPages();
    }

    int pageCount() const { return int(m_pages.size()); }

    void paintPage(QPainter &painter, int index) const
    {
        const Page &page = m_pages[std::size_t(index)];
        if (page.title)
            paintTitle(painter);
        for (const TableSlice &slice : page.slices)
            paintSlice(painter, slice);
    }

private:
    double headingHeight(const DocumentTable &table) const
    {
        return m_style.textHeight(table.title, m_style.heading, m_width) + AfterHeadingMm * m_style.mm;
    }

    // Each table goes on from where the one before ended when its heading,
    // its header row and its first row fit there, else from a new page.
    // Rows that do not fit go on the next page under the header row again;
    // a row taller than a page stands alone on one.
    void dealOntoPages()
    {
        m_pages.push_back(Page{true, {}});
        double y = m_titleHeight;
        const double gap = BetweenTablesMm * m_style.mm;
        for (std::size_t t = 0; t < m_tables.size(); ++t) {
            const MeasuredTable &table = m_tables[t];
            const double opening = headingHeight(*table.table) + table.headerHeight
                + (table.rowHeights.empty() ? 0.0 : table.rowHeights.front());
            const bool pageEmpty = m_pages.back().slices.empty() && !m_pages.back().title;
            if (!pageEmpty) {
                if (t > 0)
                    y += gap;
                if (y + opening > m_height) {
                    m_pages.push_back(Page{});
                    y = 0.0;
                }
            }
            TableSlice slice{t, true, y, 0, 0};
            y += headingHeight(*table.table) + table.headerHeight;
            for (std::size_t r = 0; r < table.rowHeights.size(); ++r) {
                if (y + table.rowHeights[r] > m_height && r > slice.firstRow) {
                    slice.endRow = r;
                    m_pages.back().slices.push_back(slice);
                    m_pages.push_back(Page{});
                    slice = TableSlice{t, false, 0.0, r, r};
                    y = table.headerHeight;
                }
                y += table.rowHeights[r];
            }
            slice.endRow = table.rowHeights.size();
            m_pages.back().slices.push_back(slice);
        }
    }

    void paintTitle(QPainter &painter) const
    {
        painter.setPen(Qt::black);
        WrappedText title(m_document.title, m_style.title, m_style.device, m_width, Qt::AlignLeft);
        title.draw(painter, QPointF(0.0, 0.0));
        const double dateTop = title.height() + AfterTitleMm * m_style.mm;
        WrappedText(m_document.date, m_style.date, m_style.device, m_width, Qt::AlignLeft)
            .draw(painter, QPointF(0.0, dateTop));
    }

    // One cell's text within its box less the padding.
    void paintCell(QPainter &painter, const QRectF &box, const QString &text, double oneLine,
                   const QFont &font, const QFontMetricsF &metrics, Qt::Alignment alignment) const
    {
        if (text.isEmpty())
            return;
        const QRectF inner
            = box.adjusted(m_style.padding, m_style.padding, -m_style.padding, -m_style.padding);
        if (oneLine >= 0.0 && oneLine <= inner.width()) {
            double x = inner.left();
            if (alignment & Qt::AlignRight)
                x = inner.right() - oneLine;
            else if (alignment & Qt::AlignHCenter)
                x = inner.left() + (inner.width() - oneLine) / 2.0;
            painter.drawText(QPointF(x, inner.top() + metrics.ascent()), text);
            return;
        }
        WrappedText(text, font, m_style.device, std::max(inner.width(), 1.0), alignment)
            .draw(painter, inner.topLeft());
    }

    void paintSlice(QPainter &painter, const TableSlice &slice) const
    {
        const MeasuredTable &table = m_tables[slice.table];
        double y = slice.top;
        painter.setPen(Qt::black);
        if (slice.heading) {
            WrappedText(table.table->title, m_style.heading, m_style.device, m_width, Qt::AlignLeft)
                .draw(painter, QPointF(0.0, y));
            y += headingHeight(*table.table);
        }
        if (table.columns == 0)
            return;
        const std::vector<double> &widths = table.columnWidths;
        const double tableTop = y;

        // The header row on grey.
        painter.fillRect(QRectF(0.0, y, m_width, table.headerHeight), HeaderBackground);
        const TableFonts &fonts = table.fonts;
        painter.setFont(fonts.header);
        double x = 0.0;
        for (int c = 0; c < table.columns; ++c) {
            const QString caption = table.table->captions.value(c);
            const double oneLine
                = caption.contains(u'\n') ? -1.0 : fonts.headerMetrics.horizontalAdvance(caption);
            paintCell(painter, QRectF(x, y, widths[std::size_t(c)], table.headerHeight), caption, oneLine,
                      fonts.header, fonts.headerMetrics, Qt::AlignHCenter);
            x += widths[std::size_t(c)];
        }
        y += table.headerHeight;

        // The rows, numbers to the right.
        painter.setFont(fonts.cell);
        std::vector<double> rules{tableTop, y};
        for (std::size_t r = slice.firstRow; r < slice.endRow; ++r) {
            const DocumentRow &row = table.table->rows[r];
            const double height = table.rowHeights[r];
            x = 0.0;
            for (std::size_t c = 0; c < std::size_t(table.columns); ++c) {
                const std::size_t at = r * std::size_t(table.columns) + c;
                const Qt::Alignment alignment
                    = c < row.size() && rightAligned(row[c]) ? Qt::AlignRight : Qt::AlignLeft;
                paintCell(painter, QRectF(x, y, widths[c], height), table.texts[at], table.oneLine[at],
                          fonts.cell, fonts.cellMetrics, alignment);
                x += widths[c];
            }
            y += height;
            rules.push_back(y);
        }

        // The grid: a rule under every row and between the columns.
        painter.setPen(QPen(Qt::black, m_style.rule));
        for (const double at : rules)
            painter.drawLine(QPointF(0.0, at), QPointF(m_width, at));
        x = 0.0;
        painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
        for (const double width : widths) {
            x += width;
            painter.drawLine(QPointF(x, tableTop), QPointF(x, y));
        }
    }

    const Document &m_document;
    const Style &m_style;
    double m_width;
    double m_height;
    double m_titleHeight = 0.0;
    std::vector<MeasuredTable> m_tables;
    std::vector<Page> m_pages;
};

} // namespace

int paintDocument(QPagedPaintDevice &device, const Document &document, QChar decimalPoint)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const Style style(device);
    const double width = device.width();
    const double bodyHeight = device.height() - FooterMm * style.mm;
    const PageLayout layout(document, decimalPoint, style, width, bodyHeight);
    const int pages = layout.pageCount();
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage())
            return 0;
        // Nothing runs into the footer; the rules on the table's edges
        // keep their full width in the margins.
        painter.save();
        painter.setClipRect(
            QRectF(-style.rule, -style.rule, width + 2.0 * style.rule, bodyHeight + style.rule));
        layout.paintPage(painter, page);
        painter.restore();
        painter.setFont(style.footer);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0.0, bodyHeight, width, device.height() - bodyHeight),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Лист %1 из %2").arg(page + 1).arg(pages));
    }
    return painter.end() ? pages : 0;
}

DocumentBytes pdfBytes(const Document &document, QChar decimalPoint)
{
    DocumentBytes built;
    built.ok = exportfile::pdfBytes(
        exportfile::documentPageLayout(), document.title,
        [&](QPagedPaintDevice &writer) { return paintDocument(writer, document, decimalPoint) > 0; },
        built.bytes);
    if (!built.ok)
        built.reason = QStringLiteral("не удалось построить документ");
    return built;
}

} // namespace project
