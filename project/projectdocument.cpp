#include "projectdocument.h"

#include "linetable.h"
#include "projectlines.h"
#include "roomtable.h"

#include "calc/textrules.h"

#include <QFileInfo>
#include <cmath>

namespace project {

DocumentCell documentCell(const QString &shown, std::optional<double> value, QChar decimalPoint)
{
    if (shown.isEmpty())
        return {};
    if (value && std::isfinite(*value)) {
        const qsizetype point = shown.indexOf(decimalPoint);
        const int decimals = point < 0 ? 0 : int(shown.size() - point - 1);
        const DocumentCell number = DocumentCell::fromNumber(*value, decimals);
        if (decimals <= MaxDecimals && cellText(number, decimalPoint) == shown)
            return number;
        // A figure shown a unit of its last decimal off its value, as a
        // share just short of the whole is shown "99,9" and not "100,0": the
        // number stored is the one shown, so that the workbook reads as the
        // table does.
        if (decimals <= MaxDecimals && calc::isLocaleNumber(shown, decimalPoint)) {
            // QString's reading gives the double nearest the text.
            const double figure = QString(shown).replace(decimalPoint, u'.').trimmed().toDouble();
            const DocumentCell asShown = DocumentCell::fromNumber(figure, decimals);
            if (std::abs(figure - *value) <= 1.000001 * std::pow(10.0, -decimals)
                && cellText(asShown, decimalPoint) == shown)
                return asShown;
        }
    }
    return DocumentCell::fromText(shown);
}

Document projectDocument(RoomResultsService &results, const QString &name, const QDate &date)
{
    results.completeLevels();
    const QChar point = results.decimalPoint();
    Document document;
    document.title = QStringLiteral("Расчет системы оповещения: %1").arg(name);
    document.date = QStringLiteral("Дата: %1").arg(date.toString(QStringLiteral("dd.MM.yyyy")));

    DocumentTable rooms{QStringLiteral("Помещения"), {}, {}};
    const std::vector<RoomColumn> &roomCols = roomColumns();
    for (const RoomColumn &column : roomCols)
        rooms.captions << column.caption;
    rooms.rows.reserve(std::size_t(results.model().roomCount()));
    for (int r = 0; r < results.model().roomCount(); ++r) {
        const RoomRow row = roomRow(results, r);
        DocumentRow cells;
        cells.reserve(roomCols.size());
        for (const RoomColumn &column : roomCols) {
            // A text the user typed stays a text, even when it reads as a number.
            const std::optional<double> value
                = column.number && !column.edited ? column.number(row) : std::nullopt;
            cells.push_back(documentCell(column.text(row), value, point));
        }
        rooms.rows.push_back(std::move(cells));
    }

    const Project &project = results.model().project();
    const std::vector<LineSummary> summaries
        = summariseLines(project, results.all(), results.calculator(), point);
    DocumentTable lines{QStringLiteral("Линии"), {}, {}};
    for (const LineColumn &column : lineColumns())
        lines.captions << column.caption;
    for (std::size_t i = 0; i < project.lines.size(); ++i) {
        const LineRow row{int(i + 1), project.lines[i], summaries[i], point};
        DocumentRow cells;
        for (const LineColumn &column : lineColumns())
            cells.push_back(
                documentCell(column.text(row), column.number ? column.number(row) : std::nullopt, point));
        lines.rows.push_back(std::move(cells));
    }

    DocumentTable equipment{QStringLiteral("Спецификация"), {}, {}};
    for (const EquipmentColumn &column : equipmentColumns())
        equipment.captions << column.caption;
    const std::vector<EquipmentItem> items = equipmentList(project, results.all(), summaries, point);
    for (std::size_t i = 0; i < items.size(); ++i) {
        const EquipmentRow row{int(i + 1), items[i], point};
        DocumentRow cells;
        for (const EquipmentColumn &column : equipmentColumns())
            cells.push_back(
                documentCell(column.text(row), column.number ? column.number(row) : std::nullopt, point));
        equipment.rows.push_back(std::move(cells));
    }

    document.tables = {std::move(rooms), std::move(lines), std::move(equipment)};
    return document;
}

QString projectDisplayName(const QString &name, const QString &path)
{
    if (!name.isEmpty())
        return name;
    if (!path.isEmpty())
        return QFileInfo(path).completeBaseName();
    return QStringLiteral("Без имени");
}

} // namespace project
