#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

#include <QtGlobal>

// What the system lets this process use and what it uses, through each platform's own
// calls. Systems limit a process's memory in two ways, which count it differently.

// One limit and the process's use as that limit counts it, in bytes; -1 where unknown
// or unlimited.
struct MemoryLimit
{
    qint64 limit = -1;
    qint64 used = -1;
};

struct ProcessMemory
{
    // What the process has reserved: Linux: its address space, which RLIMIT_AS limits;
    // Windows: its committed memory, which a job object limits.
    MemoryLimit reserved;
    // What it occupies: the physical memory, and on Linux the control group's memory
    // limit, against its resident memory (Windows: its working set).
    MemoryLimit resident;
};

ProcessMemory processMemory();

#endif // PROCESSMEMORY_H
