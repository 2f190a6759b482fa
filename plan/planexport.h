#pragma once

#include "planscene.h"
#include "widgets/exportformat.h"
#include "widgets/wholefile.h"

#include <QByteArray>
#include <QImage>
#include <QString>

class QPagedPaintDevice;

// The plan's files: the coordinates as CSV, the page as PDF (and on a
// printer), the drawing as SVG or PNG, the plan as a DXF drawing. Every
// file is written whole or not at all: into a temporary file beside it that
// then replaces it. The page and the drawings show the scene's view; a
// level view whose map is not there yet has it computed first, so that no
// file shows half a picture.
namespace plan {

using files::WriteResult;
using files::writeWhole;

// caption: a line under the plan's title that says whose plan it is (the
// object, the room, its floor, the date), for a room written from a
// project; the plan window's own files have none. The PDF puts it under
// the title, the SVG and PNG put both lines above the drawing, the DXF
// writes it as a text (DxfPlan::title).
WriteResult writeCsv(const QString &path, const std::vector<Placement> &placements, QChar decimalPoint);
WriteResult writePdf(const QString &path, const PlanScene &scene, const QString &caption = {});
WriteResult writeSvg(const QString &path, const PlanScene &scene, const QString &caption = {});
WriteResult writePng(const QString &path, const PlanScene &scene, const QString &caption = {});

// The kinds of plan file, by the name's suffix (letter case ignored).
enum class PlanFormat { Unknown, Pdf, Svg, Png, Dxf };
PlanFormat formatOfPath(const QString &path);

// The plan's formats with their file dialog filters, in the dialog's
// order: PDF (the default), SVG, PNG, DXF.
const exportfile::FormatTable &planFormats();

// Writes the plan in the format its suffix names.
WriteResult writePlan(const QString &path, const PlanScene &scene, const QString &caption = {});

// Writes the plan of the figures' room, the arrangement laid out (count
// loudspeakers where it takes a count, see layOut), in the format the
// path's suffix names (.dxf, .svg, .png, .pdf) showing the view; the level
// view's map is computed here, on every core, before anything is written.
WriteResult exportPlan(const QString &path, const PlanFigures &figures, Arrangement arrangement, double count,
                       PlanView view, const QString &caption = {});

// The document on A4 landscape pages of the plan's page layout
// (exportfile::planPageLayout), for the PDF and the printer: the
// title, the loudspeaker, the four results, the room, the arrangement and
// its coverage, the drawing, then the coordinates, on further pages where
// they do not fit; the caption, where there is one, under the title.
// False when the device cannot be painted on.
bool paintDocument(QPagedPaintDevice &device, const PlanScene &scene, const QString &caption = {});

// The drawing as an image, its size chosen from the room's proportions;
// with a caption, the title and the caption above it.
QImage planImage(const PlanScene &scene, const QString &caption = {});

} // namespace plan
