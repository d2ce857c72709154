#include "search/run/workerthread.h"

#include <atomic>

#include <process.h>
#include <windows.h>

static std::atomic<bool> refused { false };

void refuseWorkerThreads(bool refuse)
{
    refused = refuse;
}

struct WorkerThread::Handle
{
    HANDLE thread = nullptr;
};

WorkerThread::WorkerThread()
    : handle(std::make_unique<Handle>())
{ }

WorkerThread::~WorkerThread()
{
    join();
}

// A worker yields to the thread that writes the report: that one's work cannot wait,
// while a worker that has to wait mostly waits for the disk anyway.
static unsigned __stdcall runBody(void *body)
{
    ::SetThreadPriority(::GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
    (*static_cast<std::function<void()> *>(body))();
    return 0;
}

// The stack size is what the thread reserves, not what it commits at once: the
// executable's default (1 MiB) would be reserved for each worker otherwise.
bool WorkerThread::start(std::function<void()> work)
{
    if (handle->thread || refused)
        return false;
    body = std::move(work);
    const uintptr_t thread = ::_beginthreadex(nullptr, unsigned(stackSize), runBody, &body,
        STACK_SIZE_PARAM_IS_A_RESERVATION, nullptr);
    handle->thread = reinterpret_cast<HANDLE>(thread);
    return handle->thread != nullptr;
}

long long threadProcessorTime()
{
    FILETIME created, ended, kernel, user;
    if (!::GetThreadTimes(::GetCurrentThread(), &created, &ended, &kernel, &user))
        return 0;
    const auto ticks = [](const FILETIME &time) {
        return (long long)(((unsigned long long)time.dwHighDateTime << 32) | time.dwLowDateTime);
    };
    // In units of 100 ns.
    return (ticks(kernel) + ticks(user)) * 100;
}

void WorkerThread::join()
{
    if (!handle->thread)
        return;
    ::WaitForSingleObject(handle->thread, INFINITE);
    ::CloseHandle(handle->thread);
    handle->thread = nullptr;
}
