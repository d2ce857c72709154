#ifndef PROCESSMEMORY_H
#define PROCESSMEMORY_H

#include <QtGlobal>

// What the system lets this process use and what it uses, through each platform's own
// calls.

// The most memory the process may use, in bytes: the machine's physical memory, or less
// where the system sets a lower limit for the process (Linux: the address-space limit
// and the control group's memory limit; Windows: the job object's limit). -1 when
// nothing can be learnt.
qint64 processMemoryLimit();

// What the process uses now, in bytes, counted as the lowest of those limits counts it
// (Linux: its address space; Windows: its committed memory). -1 when unknown.
qint64 processMemoryUse();

#endif // PROCESSMEMORY_H
