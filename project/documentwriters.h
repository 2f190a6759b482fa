#pragma once

#include "documenttable.h"

#include "widgets/wholefile.h"

#include <QByteArray>
#include <QChar>
#include <QString>

class QPagedPaintDevice;

// The building's documents as files: a PDF of A4 landscape pages (and the
// same pages on a printer) and an Office Open XML workbook. Each is built
// whole in memory first; only a complete document is then written, whole,
// to its file.
namespace project {

// A document built in memory, or the reason it could not be built.
struct DocumentBytes {
    bool ok = false;
    QByteArray bytes;
    QString reason; // in Russian, for the user, when not ok
};

// The outcome of writing a file: the program's one whole-file writer's.
using DocumentFileResult = files::WriteResult;

// Paints the document on the device's pages as they are: the title and the
// date, then each table under its heading (on the same page as the table
// before when its heading, header row and first row fit there), the
// table's captions repeated at the top of every page it runs over, "Лист N
// из M" at the foot of every page. Numbers are shown with decimalPoint,
// right-aligned. Needs a QGuiApplication for the fonts. Returns the number
// of pages painted, 0 when the device cannot be painted on.
int paintDocument(QPagedPaintDevice &device, const Document &document, QChar decimalPoint);

// The document as a PDF file of exportfile::documentPageLayout() pages.
DocumentBytes pdfBytes(const Document &document, QChar decimalPoint);

// The document as an .xlsx workbook: one sheet per table, named by its
// title (as far as Excel allows: at most 31 characters, none of []:*?/\,
// unique; "Лист N" when blank); the captions as a bold header row that
// stays in view; numbers stored as numbers shown with their decimals,
// texts as texts; each column as wide as its longest text. The document's
// title and date are the workbook's title and comment. Fails on a text
// longer than Excel's 32 767 characters.
DocumentBytes xlsxBytes(const Document &document);

// Writes built bytes as the whole new content of path: into a temporary
// file beside it that then replaces it, so that on any failure an old file
// at path stays as it was and nothing half-written is left. A document
// that was not built is reported with its reason and writes nothing.
DocumentFileResult writeDocumentFile(const QString &path, const DocumentBytes &built);

// pdfBytes or xlsxBytes, then writeDocumentFile.
DocumentFileResult writePdfFile(const QString &path, const Document &document, QChar decimalPoint);
DocumentFileResult writeXlsxFile(const QString &path, const Document &document);

} // namespace project
