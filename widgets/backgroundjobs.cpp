#include "backgroundjobs.h"

#include <QMutexLocker>
#include <QThread>
#include <algorithm>

#ifdef Q_OS_LINUX
#include <sys/resource.h>
#include <unistd.h>
#endif

namespace {

// The nice value of the threads of Priority::Low.
constexpr int LowNice = 10;

// Lowers the calling thread below the window's (Qt's thread priorities other
// than idle do nothing on Linux; idle would starve the jobs on a busy
// machine). A pool thread is lowered once, for good: the pools of low
// priority keep their threads to themselves.
void lowerThisThread()
{
#ifdef Q_OS_LINUX
    static thread_local bool lowered = false;
    if (!lowered) {
        lowered = true;
        setpriority(PRIO_PROCESS, id_t(gettid()), LowNice);
    }
#endif
}

} // namespace

BackgroundJobs::BackgroundJobs(int threads, Priority priority, QObject *parent)
    : QObject(parent),
      m_priority(priority)
{
    m_pool.setMaxThreadCount(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()));
}

BackgroundJobs::~BackgroundJobs()
{
    // The jobs reach into this object to deliver: none may outlive it.
    cancel();
    m_pool.waitForDone();
}

void BackgroundJobs::run(std::function<void()> task)
{
    if (m_priority == Priority::Low) {
        m_pool.start([task = std::move(task)] {
            lowerThisThread();
            task();
        });
    } else {
        m_pool.start(std::move(task));
    }
}

void BackgroundJobs::cancel()
{
    m_cancel->store(true);
    m_cancel = std::make_shared<std::atomic<bool>>(false);
    ++m_generation;
    m_pool.clear();
    const QMutexLocker lock(&m_mutex);
    m_finished.clear();
}

void BackgroundJobs::finished(quint64 generation, std::function<void()> delivery)
{
    bool post = false;
    {
        const QMutexLocker lock(&m_mutex);
        m_finished.emplace_back(generation, std::move(delivery));
        post = !std::exchange(m_posted, true);
    }
    // This object waits for the pool before it goes, so it is there to take
    // the call; the queued call runs on its thread.
    if (post)
        QMetaObject::invokeMethod(this, &BackgroundJobs::deliver, Qt::QueuedConnection);
}

void BackgroundJobs::deliver()
{
    std::vector<std::pair<quint64, std::function<void()>>> finished;
    {
        const QMutexLocker lock(&m_mutex);
        finished.swap(m_finished);
        m_posted = false;
    }
    // A delivery may cancel: the rest are then of an older generation.
    for (auto &[generation, delivery] : finished) {
        if (generation == m_generation)
            delivery();
    }
}

void BackgroundJobs::deliverFinished()
{
    deliver();
}

void BackgroundJobs::waitForDone()
{
    m_pool.waitForDone();
}
