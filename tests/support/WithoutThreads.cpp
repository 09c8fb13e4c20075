#include "support/WithoutThreads.h"

#include <pthread.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstddef>
#include <system_error>
#include <thread>

namespace gessoria::test {

int ExitStatusWithoutThreads(const std::function<int()>& check)
{
    const pid_t child = fork();
    if (child == 0) {
        pthread_attr_t attributes;
        pthread_attr_init(&attributes);
        if (pthread_attr_setstacksize(&attributes, std::size_t{1} << 45) != 0 || pthread_setattr_default_np(&attributes) != 0)
            _exit(3);
        try {
            std::thread([] {}).join();
            _exit(4);
        } catch (const std::system_error&) {
        }
        _exit(check());
    }
    if (child < 0)
        return -1;
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}

} // namespace gessoria::test
