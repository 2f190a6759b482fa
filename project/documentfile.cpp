#include "documentwriters.h"

#include <QDir>
#include <QSaveFile>

namespace project {

namespace {

DocumentFileResult failure(const QString &fileName, const QString &reason)
{
    return {false, fileName, QStringLiteral("Не удалось записать файл %1: %2").arg(fileName, reason)};
}

} // namespace

DocumentFileResult writeDocumentFile(const QString &path, const DocumentBytes &built)
{
    const QString fileName = QDir::toNativeSeparators(path);
    if (!built.ok)
        return failure(fileName, built.reason);
    QSaveFile file(path);
    // Unbuffered, so that every failing write shows at once with its reason.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failure(fileName, file.errorString());
    const QByteArray &bytes = built.bytes;
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 written = file.write(bytes.constData() + done, bytes.size() - done);
        if (written <= 0) {
            const QString reason = file.errorString();
            file.cancelWriting();
            return failure(fileName, reason);
        }
        done += written;
    }
    // commit() closes the temporary file and renames it over path; on
    // failure it removes the temporary file and path stays as it was.
    if (!file.commit())
        return failure(fileName, file.errorString());
    return {true, fileName, QString()};
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
