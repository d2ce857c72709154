#ifndef CORPORA_H
#define CORPORA_H

// The generated corpora of the benchmark, and the text that they hold where they hit.

extern const char marker[];

// A log of about 107 bytes a line, with the marker on `hits` lines spread evenly.
int generateLog(const char *path, long long lines, int hits);

// A file of one single line of `bytes` bytes, without the marker, or with it once in
// the middle.
int generateLine(const char *path, long long bytes, bool withMarker = false);

#endif // CORPORA_H
