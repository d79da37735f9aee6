#pragma once

// Runs an action in a child process that dies at the k-th step a change makes on disk (the
// journal, a kept file, a new file put in place, a file cleared away), as a crash or a power cut
// would end it there. The parent then opens the folder again and judges what it finds.

#include "platform/file_change.h"

#include <cstdlib>
#include <functional>

#include <sys/wait.h>
#include <unistd.h>

enum class KilledRun { Killed, Finished, Failed };

namespace killed_change_detail {
inline int &stepsLeft()
{
    static int left = 0;
    return left;
}
inline std::function<bool()> &killWhen()
{
    static std::function<bool()> when;
    return when;
}
inline void countStep()
{
    if (--stepsLeft() == 0 || (killWhen() && killWhen()()))
        std::_Exit(42); // no destructor runs: the change stays as the kill left it
}
} // namespace killed_change_detail

// Killed when the action reached step `step` (1 for the first); Finished when it ended before,
// with a true result; Failed otherwise.
// With `when`: killed after the first step at which it holds, whatever its number.
inline KilledRun runKilledAtStep(int step, const std::function<bool()> &action,
                                 const std::function<bool()> &when = {})
{
    const pid_t pid = fork();
    if (pid < 0)
        return KilledRun::Failed;
    if (pid == 0) {
        killed_change_detail::stepsLeft() = step;
        killed_change_detail::killWhen() = when;
        FileChange::setStepObserver(&killed_change_detail::countStep);
        const bool ok = action();
        std::_Exit(ok ? 0 : 1);
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
    }
    if (!WIFEXITED(status))
        return KilledRun::Failed;
    switch (WEXITSTATUS(status)) {
    case 42: return KilledRun::Killed;
    case 0: return KilledRun::Finished;
    default: return KilledRun::Failed;
    }
}
