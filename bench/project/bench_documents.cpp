// Speed of the building's documents: for a building of 5 000 rooms (20
// columns), 200 lines (14 columns) and 60 kinds of equipment, the time to
// build the .xlsx workbook and the PDF (about 150 pages) in memory, and the
// process's peak memory. Prints the median of several runs and the PDF's
// number of pages.
// Usage: bench_documents [runs [folder]]   (QT_QPA_PLATFORM=offscreen for a headless run)
// With a folder, the last run's files are left there to look at.
#include "project/documentwriters.h"

#include <QDir>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace {

using project::DocumentCell;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2.0;
}

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

// A table of the given size: a number, two short texts, then numbers with
// 0, 1 and 2 decimals in turn, each row on one line of the PDF.
project::DocumentTable table(const QString &title, const QString &name, int rows, int columns)
{
    project::DocumentTable t;
    t.title = title;
    for (int c = 0; c < columns; ++c)
        t.captions << QStringLiteral("Графа %1").arg(c + 1);
    t.rows.reserve(std::size_t(rows));
    for (int r = 0; r < rows; ++r) {
        project::DocumentRow row;
        row.reserve(std::size_t(columns));
        row.push_back(DocumentCell::fromNumber(r + 1, 0));
        row.push_back(DocumentCell::fromText(QStringLiteral("%1 %2").arg(name).arg(r + 1)));
        row.push_back(DocumentCell::fromText(QStringLiteral("Этаж %1").arg(r % 12 + 1)));
        for (int c = 3; c < columns; ++c)
            row.push_back(DocumentCell::fromNumber((r * 7 + c * 13) % 1000 / 7.0, c % 3));
        t.rows.push_back(std::move(row));
    }
    return t;
}

project::Document building()
{
    project::Document document;
    document.title = QStringLiteral("Расчет системы оповещения: Торговый центр «Север»");
    document.date = QStringLiteral("Дата: 14.03.2025");
    document.tables.push_back(table(QStringLiteral("Помещения"), QStringLiteral("Помещение"), 5000, 20));
    document.tables.push_back(table(QStringLiteral("Линии"), QStringLiteral("Линия"), 200, 14));
    document.tables.push_back(table(QStringLiteral("Спецификация"), QStringLiteral("Изделие"), 60, 6));
    return document;
}

double peakMegabytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 3;
    const project::Document document = building();

    std::vector<double> xlsxMs, pdfMs;
    qsizetype xlsxSize = 0, pdfSize = 0, pdfPages = 0;
    for (int run = 0; run < runs; ++run) {
        QElapsedTimer timer;
        timer.start();
        const project::DocumentBytes xlsx = project::xlsxBytes(document);
        xlsxMs.push_back(elapsedMs(timer));
        timer.restart();
        const project::DocumentBytes pdf = project::pdfBytes(document, u',');
        pdfMs.push_back(elapsedMs(timer));
        if (!xlsx.ok || !pdf.ok) {
            std::fprintf(stderr, "failed: %s %s\n", qPrintable(xlsx.reason), qPrintable(pdf.reason));
            return 1;
        }
        xlsxSize = xlsx.bytes.size();
        pdfSize = pdf.bytes.size();
        pdfPages = pdf.bytes.count("/Type /Page\n");
        if (argc > 2 && run == runs - 1) {
            const QDir folder(QString::fromLocal8Bit(argv[2]));
            project::writeDocumentFile(folder.filePath(QStringLiteral("building.xlsx")), xlsx);
            project::writeDocumentFile(folder.filePath(QStringLiteral("building.pdf")), pdf);
        }
    }
    std::printf("rooms 5000 x 20, lines 200 x 14, equipment 60 x 6; median of %d runs\n", runs);
    std::printf("xlsx: %8.1f ms  (%lld bytes; goal <= 1000 ms)\n", median(xlsxMs),
                static_cast<long long>(xlsxSize));
    std::printf("pdf:  %8.1f ms  (%lld pages, %lld bytes; goal <= 5000 ms)\n", median(pdfMs),
                static_cast<long long>(pdfPages), static_cast<long long>(pdfSize));
    std::printf("peak memory: %.1f MB  (goal < 150 MB)\n", peakMegabytes());
    return 0;
}
