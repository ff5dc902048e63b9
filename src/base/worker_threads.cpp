#include "base/worker_threads.h"

#include <QThread>

int WorkerThreads::defaultCount()
{
    return QThread::idealThreadCount();
}
