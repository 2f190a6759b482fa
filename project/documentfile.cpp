#include "documentwriters.h"

namespace project {

DocumentFileResult writeDocumentFile(const QString &path, const DocumentBytes &built)
{
    if (!built.ok)
        return files::failure(path, built.reason);
    return files::writeWhole(path, built.bytes);
}

DocumentFileResult writePdfFile(const QString &path, const Document &document, QChar decimalPoint)
{
    return writeDocumentFile(path, pdfBytes(document, decimalPoint));
}

DocumentFileResult writeXlsxFile(const QString &path, const Document &document)
{
    return writeDocumentFile(path, xlsxBytes(document));
}

} // namespace project
