#pragma once
// Runs a check in a child process where no thread can start: every new thread asks for a
// stack larger than the machine's memory. For code that must carry on alone when the system
// has no thread to give (memory or process limits).

#include <functional>

namespace gessoria::test {

// The child's exit status from `check` (0 for success), 3 when threads could not be refused,
// 4 when a thread started all the same; -1 when the child ended by a signal.
int ExitStatusWithoutThreads(const std::function<int()>& check);

} // namespace gessoria::test
