#pragma once

#include "planscene.h"
#include "widgets/wholefile.h"

#include <QByteArray>
#include <QImage>
#include <QPageLayout>
#include <QString>

class QPagedPaintDevice;

// The plan's files: the coordinates as CSV, the page as PDF (and on a
// printer), the drawing as SVG or PNG. Every file is written whole or not
// at all: into a temporary file beside it that then replaces it.
namespace plan {

using files::WriteResult;
using files::writeWhole;

WriteResult writeCsv(const QString &path, const std::vector<Placement> &placements, QChar decimalPoint);
WriteResult writePdf(const QString &path, const PlanScene &scene);
WriteResult writeSvg(const QString &path, const PlanScene &scene);
WriteResult writePng(const QString &path, const PlanScene &scene);

// The kinds of plan file, by the name's suffix (letter case ignored).
enum class PlanFormat { Unknown, Pdf, Svg, Png };
PlanFormat formatOfPath(const QString &path);

// Writes the plan in the format its suffix names.
WriteResult writePlan(const QString &path, const PlanScene &scene);

// The margins of the document's pages, millimetres, on the PDF and on paper.
inline constexpr double PageMargin = 12.0;

// The document's page layout on a device laid out as device (a printer,
// the PDF writer): the device's paper and orientation, and PageMargin on
// every side, or the device's minimum margin where that is larger, so that
// nothing falls outside what a printer can print.
QPageLayout documentPageLayout(const QPageLayout &device);

// The document on A4 landscape pages, for the PDF and the printer: the
// title, the loudspeaker, the four results, the room, the arrangement and
// its coverage, the drawing, then the coordinates, on further pages where
// they do not fit. False when the device cannot be painted on.
bool paintDocument(QPagedPaintDevice &device, const PlanScene &scene);

// The drawing alone as an image, its size chosen from the room's
// proportions.
QImage planImage(const PlanScene &scene);

} // namespace plan
