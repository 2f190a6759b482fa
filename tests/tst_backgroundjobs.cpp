// The jobs computed off the UI thread: a newer request cancels the older,
// whose result never arrives, whether it was still running or had
// finished; a cancelled job not yet started never runs; results arrive on
// the thread of the object that started the job.
#include "widgets/backgroundjobs.h"

#include <QCoreApplication>
#include <QTest>
#include <QThread>
#include <atomic>
#include <chrono>
#include <thread>

namespace {

// Waits, on the job's thread, until the job is cancelled (or a minute has
// gone, so that a fault cannot hang the test).
bool waitForCancel(const std::atomic<bool> &cancel)
{
    for (int i = 0; i < 60000 && !cancel.load(); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return cancel.load();
}

} // namespace

class BackgroundJobsTest : public QObject {
    Q_OBJECT
private slots:
    void newerRequestReplacesTheOlder_data();
    void newerRequestReplacesTheOlder();
    void cancelledJobNeverStarts();
    void deliveredOnTheObjectsThread();
    void finishedJobDeliveredOnRequest();
};

void BackgroundJobsTest::newerRequestReplacesTheOlder_data()
{
    QTest::addColumn<bool>("olderFinished"); // before the newer request, its result on its way
    QTest::newRow("older still running") << false;
    QTest::newRow("older finished, not yet delivered") << true;
}

void BackgroundJobsTest::newerRequestReplacesTheOlder()
{
    QFETCH(bool, olderFinished);
    BackgroundJobs jobs(2);
    QList<int> delivered;
    std::atomic<bool> olderStarted{false};
    std::atomic<bool> olderSawCancel{false};
    jobs.start(
        [&, olderFinished](const std::atomic<bool> &cancel) {
            olderStarted = true;
            if (!olderFinished)
                olderSawCancel = waitForCancel(cancel);
            return 1;
        },
        [&](int result) { delivered << result; });
    if (olderFinished)
        jobs.waitForDone();
    else
        QTRY_VERIFY_WITH_TIMEOUT(olderStarted.load(), 60000);
    // No event handled in between: the older result, if any, is on its way.
    jobs.replace([](const std::atomic<bool> &) { return 2; }, [&](int result) { delivered << result; });
    QTRY_COMPARE_WITH_TIMEOUT(delivered, QList<int>{2}, 60000);
    jobs.waitForDone();
    QCoreApplication::processEvents();
    QCOMPARE(delivered, QList<int>{2});
    QCOMPARE(olderSawCancel.load(), !olderFinished);
}

void BackgroundJobsTest::cancelledJobNeverStarts()
{
    // One thread: the second job waits behind the first.
    BackgroundJobs jobs(1);
    std::atomic<bool> firstStarted{false};
    std::atomic<bool> secondRan{false};
    bool anyDelivered = false;
    jobs.start(
        [&](const std::atomic<bool> &cancel) {
            firstStarted = true;
            return waitForCancel(cancel);
        },
        [&](bool) { anyDelivered = true; });
    jobs.start(
        [&](const std::atomic<bool> &) {
            secondRan = true;
            return true;
        },
        [&](bool) { anyDelivered = true; });
    QTRY_VERIFY_WITH_TIMEOUT(firstStarted.load(), 60000);
    jobs.cancel();
    jobs.waitForDone();
    QCoreApplication::processEvents();
    QVERIFY(!secondRan);
    QVERIFY(!anyDelivered);
}

void BackgroundJobsTest::deliveredOnTheObjectsThread()
{
    BackgroundJobs jobs;
    QThread *ran = nullptr;
    QThread *deliveredOn = nullptr;
    jobs.start([&](const std::atomic<bool> &) { return QThread::currentThread(); },
               [&](QThread *worker) {
                   ran = worker;
                   deliveredOn = QThread::currentThread();
               });
    QTRY_VERIFY_WITH_TIMEOUT(deliveredOn != nullptr, 60000);
    QCOMPARE(deliveredOn, QCoreApplication::instance()->thread());
    QVERIFY(ran != deliveredOn);
}

void BackgroundJobsTest::finishedJobDeliveredOnRequest()
{
    BackgroundJobs jobs;
    QString delivered;
    jobs.start([](const std::atomic<bool> &) { return QStringLiteral("готово"); },
               [&](const QString &result) { delivered = result; });
    jobs.waitForDone();
    // No event loop: the result is taken here and now.
    jobs.deliverFinished();
    QCOMPARE(delivered, QStringLiteral("готово"));
    // And once only.
    delivered.clear();
    QCoreApplication::processEvents();
    QCOMPARE(delivered, QString());
}

QTEST_GUILESS_MAIN(BackgroundJobsTest)
#include "tst_backgroundjobs.moc"
