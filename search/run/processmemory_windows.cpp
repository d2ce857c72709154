#include "search/run/processmemory.h"

#include <windows.h>

#include <psapi.h>

ProcessMemory processMemory()
{
    ProcessMemory memory;
    PROCESS_MEMORY_COUNTERS_EX counters {};
    counters.cb = sizeof counters;
    const bool counted = ::GetProcessMemoryInfo(::GetCurrentProcess(),
        reinterpret_cast<PROCESS_MEMORY_COUNTERS *>(&counters), sizeof counters);
    // A job object (a null handle asks about the job the process is in, if any) may limit
    // the memory committed by this process or by the whole job.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION job {};
    if (counted
        && ::QueryInformationJobObject(
            nullptr, JobObjectExtendedLimitInformation, &job, sizeof job, nullptr)) {
        const DWORD flags = job.BasicLimitInformation.LimitFlags;
        qint64 limit = -1;
        if (flags & JOB_OBJECT_LIMIT_PROCESS_MEMORY)
            limit = qint64(job.ProcessMemoryLimit);
        if ((flags & JOB_OBJECT_LIMIT_JOB_MEMORY)
            && (limit < 0 || qint64(job.JobMemoryLimit) < limit))
            limit = qint64(job.JobMemoryLimit);
        if (limit > 0) {
            memory.reserved.limit = limit;
            memory.reserved.used = qint64(counters.PrivateUsage);
        }
    }
    MEMORYSTATUSEX status {};
    status.dwLength = sizeof status;
    if (counted && ::GlobalMemoryStatusEx(&status)) {
        memory.resident.limit = qint64(status.ullTotalPhys);
        memory.resident.used = qint64(counters.WorkingSetSize);
    }
    return memory;
}
