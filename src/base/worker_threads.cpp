#include "base/worker_threads.h"

#include <QThread>

#if defined(Q_OS_LINUX)
#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#include <unistd.h>
#endif

int WorkerThreads::defaultCount()
{
    return QThread::idealThreadCount();
}

void WorkerThreads::yieldToEventLoop() const
{
    // QThread's priorities do not reach Linux's normal scheduling (only IdlePriority does,
    // which lets any busy program on the machine starve the parse); a thread's own nice value
    // does, counted from the one the program was started with. Failing leaves the thread as
    // it was, which only costs speed.
#if defined(Q_OS_LINUX)
    thread_local bool lowered = false;
    if (lowered || !m_pool.contains(QThread::currentThread()))
        return;
    lowered = true;
    const pid_t thread = gettid();
    errno = 0;
    const int started = getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0)
        (void)setpriority(PRIO_PROCESS, id_t(thread), std::min(started + kWorkerNiceness, 19));
#endif
}
