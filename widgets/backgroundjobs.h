#pragma once

#include <QMutex>
#include <QObject>
#include <QThreadPool>
#include <algorithm>
#include <atomic>
#include <cstddef>
#include <functional>
#include <memory>
#include <system_error>
#include <thread>
#include <type_traits>
#include <utility>
#include <vector>

// Computations off the UI thread, and their results back on it. A job is
// work that runs on one of the pool's threads with a cancel flag, and a
// delivery that takes its result on the thread this object lives on.
// cancel() drops every job started before it: those not started never run,
// the running ones see their flag set (and are to stop soon after), and
// none of them delivers, even one that finished before the cancel and whose
// result is on its way. replace() is cancel() then start(): a newer request
// replaces every older one.
class BackgroundJobs : public QObject {
    Q_OBJECT
public:
    enum class Priority {
        Normal,
        // Below the window's threads, so that the jobs take what the window
        // leaves.
        Low,
    };

    // threads: how many jobs run at once (0: one per core).
    explicit BackgroundJobs(int threads = 0, Priority priority = Priority::Normal, QObject *parent = nullptr);
    // Cancels every job and waits for the running ones to stop.
    ~BackgroundJobs() override;

    // Runs work(cancel) on the pool; deliver(result) gets what it returns,
    // on this object's thread, unless the job is cancelled first. A job
    // that sees cancel set may return anything: it is not delivered.
    template <typename Work, typename Deliver>
    void start(Work work, Deliver deliver)
    {
        using Result = std::invoke_result_t<Work &, const std::atomic<bool> &>;
        std::shared_ptr<std::atomic<bool>> cancel = m_cancel;
        const quint64 generation = m_generation;
        run([this, cancel, generation, work = std::move(work), deliver = std::move(deliver)]() mutable {
            if (cancel->load())
                return;
            auto result = std::make_shared<Result>(work(*cancel));
            if (cancel->load())
                return;
            finished(generation, [deliver, result]() mutable { deliver(std::move(*result)); });
        });
    }

    template <typename Work, typename Deliver>
    void replace(Work work, Deliver deliver)
    {
        cancel();
        start(std::move(work), std::move(deliver));
    }

    void cancel();
    // Delivers here and now what finished and is on its way.
    void deliverFinished();
    // Waits for the running jobs (after cancel(), as long as they take to
    // stop).
    void waitForDone();

private:
    void run(std::function<void()> task);
    // Called on a pool thread: the delivery goes to this object's thread.
    void finished(quint64 generation, std::function<void()> delivery);
    void deliver();

    QThreadPool m_pool;
    Priority m_priority;
    // The flag of the jobs started since the last cancel(), and their
    // generation (read and written on this object's thread only).
    std::shared_ptr<std::atomic<bool>> m_cancel = std::make_shared<std::atomic<bool>>(false);
    quint64 m_generation = 0;
    // The deliveries of finished jobs, by generation, and whether a call of
    // deliver() is on its way; guarded by m_mutex.
    QMutex m_mutex;
    std::vector<std::pair<quint64, std::function<void()>>> m_finished;
    bool m_posted = false;
};

// Work split over the cores, for a computation the caller waits for (the
// rows of a level map, the rooms of a project): calls work(i) for every i
// below count on up to threads threads (0: one per core), the calling
// thread among them, and returns when every call has returned. A thread the
// system cannot start leaves its share to the others.
template <typename Work>
void inParallel(std::size_t count, int threads, const Work &work)
{
    std::atomic<std::size_t> next{0};
    const auto worker = [&] {
        for (std::size_t i = next++; i < count; i = next++)
            work(i);
    };
    const std::size_t wanted
        = threads > 0 ? std::size_t(threads) : std::max(1u, std::thread::hardware_concurrency());
    const std::size_t helpersWanted = std::min(wanted, count) > 0 ? std::min(wanted, count) - 1 : 0;
    std::vector<std::thread> helpers;
    helpers.reserve(helpersWanted);
    for (std::size_t t = 0; t < helpersWanted; ++t) {
        try {
            helpers.emplace_back(worker);
        } catch (const std::system_error &) {
            break;
        }
    }
    worker();
    for (std::thread &helper : helpers)
        helper.join();
}
