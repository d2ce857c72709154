#ifndef PROGRESSPACER_H
#define PROGRESSPACER_H

#include <QtGlobal>

// When a run tells its progress: about every interval of work, however small or big the
// files. Telling costs more than scanning a small file (a bar asks its style whether its
// look changes and repaints), while a few times a second is all a user can see.
class ProgressPacer
{
public:
    static constexpr qint64 defaultInterval = 50; // milliseconds

    explicit ProgressPacer(qint64 interval = defaultInterval)
        : interval(interval)
    { }

    // Whether the progress is due at now (milliseconds from the start of the run); when it
    // is, the next one is due a whole interval later.
    bool due(qint64 now)
    {
        if (now < next)
            return false;
        next = now + interval;
        return true;
    }

private:
    qint64 interval;
    qint64 next = 0;
};

#endif // PROGRESSPACER_H
