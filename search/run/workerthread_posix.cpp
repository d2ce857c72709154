#include "search/run/workerthread.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <mutex>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <time.h>
#include <unistd.h>

#ifdef __GLIBC__
#include <malloc.h>
#endif

static std::atomic<bool> refused { false };

void refuseWorkerThreads(bool refuse)
{
    refused = refuse;
}

struct WorkerThread::Handle
{
    pthread_t thread {};
    bool running = false;
};

WorkerThread::WorkerThread()
    : handle(std::make_unique<Handle>())
{ }

WorkerThread::~WorkerThread()
{
    join();
}

// glibc gives each thread that allocates an arena of its own, up to eight per core, each
// reserving 64 MiB of address space: under a limit of 1 GiB, sixteen workers would take it
// all. A few arenas shared by every thread cost the workers little, as they mostly wait
// for the disk.
static void limitAllocatorArenas()
{
#ifdef __GLIBC__
    static std::once_flag once;
    std::call_once(once, [] { mallopt(M_ARENA_MAX, 4); });
#endif
}

// A worker yields to the thread that writes the report: that one's work cannot wait,
// while a worker that has to wait mostly waits for the disk anyway. On Linux a thread's
// nice value is its own.
static void yieldToTheRun()
{
#ifdef SYS_gettid
    const int thread = int(::syscall(SYS_gettid));
    errno = 0;
    const int now = ::getpriority(PRIO_PROCESS, id_t(thread));
    if (errno == 0)
        ::setpriority(PRIO_PROCESS, id_t(thread), std::min(now + 5, 19));
#endif
}

static void *runBody(void *body)
{
    yieldToTheRun();
    (*static_cast<std::function<void()> *>(body))();
    return nullptr;
}

bool WorkerThread::start(std::function<void()> work)
{
    if (handle->running || refused)
        return false;
    limitAllocatorArenas();
    body = std::move(work);
    pthread_attr_t attributes;
    if (pthread_attr_init(&attributes) != 0)
        return false;
    pthread_attr_setstacksize(&attributes, stackSize);
    handle->running = pthread_create(&handle->thread, &attributes, runBody, &body) == 0;
    pthread_attr_destroy(&attributes);
    return handle->running;
}

long long threadProcessorTime()
{
    struct timespec now;
    if (::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now) != 0)
        return 0;
    return (long long)now.tv_sec * 1000000000LL + now.tv_nsec;
}

void WorkerThread::join()
{
    if (!handle->running)
        return;
    pthread_join(handle->thread, nullptr);
    handle->running = false;
}
