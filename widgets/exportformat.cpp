#include "exportformat.h"

#include <QBuffer>
#include <QFileInfo>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPdfWriter>
#include <QRegularExpression>
#include <algorithm>

namespace exportfile {

QFont documentFont(double points, bool bold)
{
    QFont font;
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

QPageLayout a4Landscape(double marginMm)
{
    return QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Landscape,
                       QMarginsF(marginMm, marginMm, marginMm, marginMm), QPageLayout::Millimeter);
}

QPageLayout planPageLayout(const QPageLayout &device)
{
    QPageLayout layout = device;
    layout.setUnits(QPageLayout::Millimeter);
    const QMarginsF least = layout.minimumMargins();
    layout.setMargins(QMarginsF(std::max(PlanMarginMm, least.left()), std::max(PlanMarginMm, least.top()),
                                std::max(PlanMarginMm, least.right()),
                                std::max(PlanMarginMm, least.bottom())));
    return layout;
}

QPageLayout documentPageLayout()
{
    return a4Landscape(DocumentMarginMm);
}

QString pdfCreator()
{
    return QStringLiteral("Расчет громкоговорителей");
}

bool pdfBytes(const QPageLayout &layout, const QString &title,
              const std::function<bool(QPagedPaintDevice &)> &paint, QByteArray &bytes)
{
    bytes.clear();
    bool painted = false;
    {
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        QPdfWriter writer(&buffer);
        writer.setResolution(PdfDpi);
        writer.setTitle(title);
        writer.setCreator(pdfCreator());
        writer.setPageLayout(layout);
        painted = paint(writer);
    }
    if (!painted)
        bytes.clear();
    return painted;
}

bool startsLikeFormula(const QString &text)
{
    if (text.isEmpty())
        return false;
    const QChar first = text.front();
    return first == u'=' || first == u'+' || first == u'-' || first == u'@' || first == u'\t'
        || first == u'\r';
}

QString formulaGuarded(const QString &text)
{
    return startsLikeFormula(text) ? u'\'' + text : text;
}

QByteArray csvField(const QString &text)
{
    QByteArray field = text.toUtf8();
    if (field.contains(';') || field.contains('"') || field.contains('\n') || field.contains('\r'))
        field = '"' + field.replace("\"", "\"\"") + '"';
    return field;
}

CsvWriter::CsvWriter(bool withByteOrderMark) : m_bytes(withByteOrderMark ? "\xEF\xBB\xBF" : "")
{ }

CsvWriter &CsvWriter::field(const QString &text)
{
    if (m_lineStarted)
        m_bytes += ';';
    m_bytes += csvField(text);
    m_lineStarted = true;
    return *this;
}

CsvWriter &CsvWriter::text(const QString &text)
{
    return field(formulaGuarded(text));
}

void CsvWriter::endLine()
{
    m_bytes += "\r\n";
    m_lineStarted = false;
}

void CsvWriter::line(std::initializer_list<QString> fields)
{
    for (const QString &text : fields)
        field(text);
    endLine();
}

void CsvWriter::append(const CsvWriter &lines)
{
    m_bytes += lines.m_bytes;
}

QString suffixOfFilter(const QString &filter)
{
    static const QRegularExpression pattern(QStringLiteral(R"(\(\*\.(\w+)\))"));
    return pattern.match(filter).captured(1);
}

FormatTable::FormatTable(std::initializer_list<FileFormat> formats) : m_formats(formats)
{ }

const FileFormat *FormatTable::ofPath(const QString &path) const
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    for (const FileFormat &format : m_formats) {
        if (format.suffix == suffix)
            return &format;
    }
    return nullptr;
}

const FileFormat *FormatTable::ofFilter(const QString &filter) const
{
    for (const FileFormat &format : m_formats) {
        if (format.filter == filter)
            return &format;
    }
    return nullptr;
}

QStringList FormatTable::filters() const
{
    QStringList filters;
    for (const FileFormat &format : m_formats)
        filters << format.filter;
    return filters;
}

QString FormatTable::suffixOfFilter(const QString &filter) const
{
    const FileFormat *format = ofFilter(filter);
    return format ? format->suffix : m_formats.front().suffix;
}

QString FormatTable::suffixList() const
{
    QStringList suffixes;
    for (const FileFormat &format : m_formats)
        suffixes << u'.' + format.suffix;
    const QString last = suffixes.takeLast();
    return suffixes.isEmpty() ? last : suffixes.join(QStringLiteral(", ")) + QStringLiteral(" или ") + last;
}

} // namespace exportfile
