#include "search/processmemory.h"

#include <windows.h>

#include <psapi.h>

#include <algorithm>

qint64 processMemoryLimit()
{
    qint64 limit = -1;
    const auto take = [&limit](qint64 value) {
        if (value > 0)
            limit = limit < 0 ? value : std::min(limit, value);
    };
    MEMORYSTATUSEX status {};
    status.dwLength = sizeof status;
    if (::GlobalMemoryStatusEx(&status))
        take(qint64(status.ullTotalPhys));
    // A job object (a null handle asks about the job the process is in, if any) may limit
    // the memory committed by this process or by the whole job.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job {};
    if (::QueryInformationJobObject(
            nullptr, JobObjectExtendedLimitInformation, &job, sizeof job, nullptr)) {
        const DWORD flags = job.BasicLimitInformation.LimitFlags;
        if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
            take(qint64(job.ProcessMemoryLimit));
        if (flags & JOB_OBJECT_LIMIT_JOB_MEMORY)
            take(qint64(job.JobMemoryLimit));
    }
    return limit;
}

// The job's limits count committed memory: the process's private bytes.
qint64 processMemoryUse()
{
    PROCESS_MEMORY_COUNTERS_EX counters {};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(::GetCurrentProcess(),
            reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters))
        return -1;
    return qint64(counters.PrivateUsage);
}
