#ifndef PEAKMEMORY_H
#define PEAKMEMORY_H

#include <QtGlobal>

// Starts a new measure of the process's peak resident memory; false where the system
// offers none.
bool resetPeakMemory();

// The peak resident memory since the last reset, in bytes, or -1.
qint64 peakMemory();

#endif // PEAKMEMORY_H
