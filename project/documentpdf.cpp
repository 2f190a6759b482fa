// The document's pages: one QTextDocument holds the title, the date and
// the tables; its layout breaks them into pages of the device's size and
// repeats each table's header row on every page the table runs over. Each
// page is then painted with the document moved up by the pages before it
// and clipped to the page, with "Лист N из M" below it.
#include "documentwriters.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

namespace project {

namespace {

constexpr double MarginMm = 15.0;
// The strip at the foot of each page that holds "Лист N из M".
constexpr double FooterMm = 8.0;
constexpr int PdfDpi = 300;

constexpr double TitlePoints = 14.0;
constexpr double DatePoints = 10.0;
constexpr double HeadingPoints = 12.0;
constexpr double TablePoints = 8.0;
constexpr double FooterPoints = 8.0;

QFont documentFont(double points, bool bold = false)
{
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QTextCharFormat charFormat(const QFont &font)
{
    QTextCharFormat format;
    format.setFont(font);
    return format;
}

// Gives the block the cursor is in the text, the font and the space below.
void fillBlock(QTextCursor &cursor, const QString &text, const QFont &font, double spaceBelow,
               bool onNewPage = false)
{
    QTextBlockFormat block;
    block.setBottomMargin(spaceBelow);
    if (onNewPage)
        block.setPageBreakPolicy(QTextFormat::PageBreak_AlwaysBefore);
    cursor.setBlockFormat(block);
    cursor.setBlockCharFormat(charFormat(font));
    cursor.insertText(text, charFormat(font));
}

QTextTableFormat tableFormat()
{
    QTextTableFormat format;
    format.setHeaderRowCount(1);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setBorder(0.5);
    format.setBorderBrush(Qt::black);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellSpacing(0);
    format.setCellPadding(2);
    format.setMargin(0);
    return format;
}

// Fills the table's cells where the cursor stands: the captions in bold on
// grey, then the rows, numbers to the right.
void insertTable(QTextCursor &cursor, const DocumentTable &table, QChar decimalPoint)
{
    int columns = int(table.captions.size());
    for (const DocumentRow &row : table.rows)
        columns = std::max(columns, int(row.size()));
    if (columns == 0)
        return;
    QTextTable *grid = cursor.insertTable(int(table.rows.size()) + 1, columns, tableFormat());

    QTextTableCellFormat headerCell;
    headerCell.setBackground(QColor(0xe6, 0xe6, 0xe6));
    headerCell.setFont(documentFont(TablePoints, true));
    QTextBlockFormat centred;
    centred.setAlignment(Qt::AlignHCenter);
    for (int c = 0; c < columns; ++c) {
        QTextTableCell cell = grid->cellAt(0, c);
        cell.setFormat(headerCell);
        QTextCursor at = cell.firstCursorPosition();
        at.setBlockFormat(centred);
        at.insertText(table.captions.value(c), headerCell);
    }

    QTextBlockFormat right;
    right.setAlignment(Qt::AlignRight);
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const DocumentRow &row = table.rows[r];
        for (std::size_t c = 0; c < row.size(); ++c) {
            const DocumentCell &cell = row[c];
            if (cell.kind == DocumentCell::Kind::Empty)
                continue;
            QTextCursor at = grid->cellAt(int(r) + 1, int(c)).firstCursorPosition();
            if (cell.kind == DocumentCell::Kind::Number)
                at.setBlockFormat(right);
            at.insertText(cellText(cell, decimalPoint));
        }
    }
}

// The title, the date and the tables, each table from a new page but the
// first.
void buildText(QTextDocument &text, const Document &document, QChar decimalPoint)
{
    text.setUndoRedoEnabled(false);
    text.setDocumentMargin(0);
    text.setDefaultFont(documentFont(TablePoints));
    QTextCursor cursor(&text);
    cursor.beginEditBlock();
    fillBlock(cursor, document.title, documentFont(TitlePoints, true), 4);
    cursor.insertBlock();
    fillBlock(cursor, document.date, documentFont(DatePoints), 10);
    for (std::size_t t = 0; t < document.tables.size(); ++t) {
        const DocumentTable &table = document.tables[t];
        cursor.insertBlock();
        fillBlock(cursor, table.title, documentFont(HeadingPoints, true), 4, t > 0);
        insertTable(cursor, table, decimalPoint);
        cursor.movePosition(QTextCursor::End);
    }
    cursor.endEditBlock();
}

} // namespace

QPageLayout documentPageLayout()
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                       QMarginsF(MarginMm, MarginMm, MarginMm, MarginMm), QPageLayout::Millimeter);
}

int paintDocument(QPagedPaintDevice &device, const Document &document, QChar decimalPoint)
{
    QPainter painter;
    if (!painter.begin(&device))
        return 0;
    const double mm = device.logicalDpiY() / 25.4;
    const double width = device.width();
    const double bodyHeight = device.height() - FooterMm * mm;

    QTextDocument text;
    text.documentLayout()->setPaintDevice(&device);
    text.setPageSize(QSizeF(width, bodyHeight));
    buildText(text, document, decimalPoint);
    const int pages = text.pageCount();

    const QFont footerFont = documentFont(FooterPoints);
    for (int page = 0; page < pages; ++page) {
        if (page > 0 && !device.newPage())
            return 0;
        painter.save();
        painter.translate(0, -page * bodyHeight);
        text.drawContents(&painter, QRectF(0, page * bodyHeight, width, bodyHeight));
        painter.restore();
        painter.setFont(footerFont);
        painter.setPen(Qt::black);
        painter.drawText(QRectF(0, bodyHeight, width, device.height() - bodyHeight),
                         Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Лист %1 из %2").arg(page + 1).arg(pages));
    }
    return painter.end() ? pages : 0;
}

DocumentBytes pdfBytes(const Document &document, QChar decimalPoint)
{
    QByteArray bytes;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfDpi);
        writer.setTitle(document.title);
        writer.setCreator(QStringLiteral("Расчет громкоговорителей"));
        writer.setPageLayout(documentPageLayout());
        if (paintDocument(writer, document, decimalPoint) == 0)
            return {false, QByteArray(), QStringLiteral("не удалось построить документ")};
    }
    return {true, bytes, QString()};
}

} // namespace project
