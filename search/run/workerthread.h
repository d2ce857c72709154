#ifndef WORKERTHREAD_H
#define WORKERTHREAD_H

#include <functional>
#include <memory>

// A thread of the search's own, with a small stack: the search may run many of them under
// an address-space limit, and their work (opening, reading and scanning files) needs little
// stack. Starting one may fail, for want of memory or of threads; the caller then does
// with fewer.
class WorkerThread
{
public:
    static constexpr size_t stackSize = 256 * 1024;

    WorkerThread();
    ~WorkerThread(); // joins the thread if it runs
    WorkerThread(const WorkerThread &) = delete;
    WorkerThread &operator=(const WorkerThread &) = delete;

    // Runs body on a new thread; false when the system gives none.
    bool start(std::function<void()> body);
    // Waits for the body to return; nothing when the thread did not start.
    void join();

private:
    struct Handle;
    std::unique_ptr<Handle> handle;
    std::function<void()> body;
};

// The processor time the calling thread has used, in nanoseconds; 0 where the system
// does not tell.
long long threadProcessorTime();

// Refuses new threads from now on when set: the tests' stand-in for a system that has
// none left.
void refuseWorkerThreads(bool refuse);

#endif // WORKERTHREAD_H
