#include "scene/HelperThread.h"

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <system_error>

#include <pthread.h>

namespace gessoria {

// The kept worker. One caller at a time hands it work (Claim); the worker and the caller spin
// a little before they sleep, as the other side is mostly just about to answer.
class HelperWorker {
public:
    // The worker of this process, started the first time; nullptr when no thread can start.
    // A child made by fork() has none of its parent's threads: it forgets the parent's worker
    // and starts its own.
    static HelperWorker* Get()
    {
        if (HelperWorker* worker = current_.load(std::memory_order_acquire))
            return worker;
        static std::mutex guard;
        const std::lock_guard<std::mutex> lock(guard);
        if (HelperWorker* worker = current_.load(std::memory_order_acquire))
            return worker;
        static const bool forgetInChild = pthread_atfork(nullptr, nullptr, [] { current_.store(nullptr); }) == 0;
        if (!forgetInChild)
            return nullptr;
        // Never deleted: the thread sleeps until the process ends.
        auto* fresh = new HelperWorker;
        try {
            std::thread(&HelperWorker::Run, fresh).detach();
        } catch (const std::system_error&) {
            delete fresh;
            return nullptr;
        }
        current_.store(fresh, std::memory_order_release);
        return fresh;
    }

    bool Claim() { return !claimed_.exchange(true, std::memory_order_acquire); }

    void Post(std::function<void()> work)
    {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            work_ = std::move(work);
            state_.store(kPosted, std::memory_order_release);
        }
        changed_.notify_all();
    }

    void Wait()
    {
        if (!SpinUntil(kDone)) {
            std::unique_lock<std::mutex> lock(mutex_);
            changed_.wait(lock, [&] { return state_.load(std::memory_order_acquire) == kDone; });
        }
        state_.store(kIdle, std::memory_order_relaxed);
        claimed_.store(false, std::memory_order_release);
    }

private:
    enum : int { kIdle, kPosted, kDone };
    static constexpr int kSpins = 4000;  // some microseconds to some tens

    bool SpinUntil(int state) const
    {
        for (int k = 0; k < kSpins; ++k) {
            if (state_.load(std::memory_order_acquire) == state)
                return true;
#if defined(__x86_64__) || defined(__i386__)
            __builtin_ia32_pause();
#endif
        }
        return false;
    }

    void Run()
    {
        for (;;) {
            std::function<void()> work;
            if (!SpinUntil(kPosted)) {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [&] { return state_.load(std::memory_order_acquire) == kPosted; });
            }
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                work = std::move(work_);
            }
            work();
            {
                const std::lock_guard<std::mutex> lock(mutex_);
                state_.store(kDone, std::memory_order_release);
            }
            changed_.notify_all();
        }
    }

    static inline std::atomic<HelperWorker*> current_{nullptr};

    std::atomic<bool> claimed_{false};
    std::atomic<int> state_{kIdle};
    std::mutex mutex_;
    std::condition_variable changed_;
    std::function<void()> work_;
};

Helper::Helper(Helper&& other) noexcept : worker_(other.worker_), thread_(std::move(other.thread_))
{
    other.worker_ = nullptr;
}

Helper& Helper::operator=(Helper&& other) noexcept
{
    if (this != &other) {
        Finish();
        worker_ = other.worker_;
        thread_ = std::move(other.thread_);
        other.worker_ = nullptr;
    }
    return *this;
}

void Helper::Finish()
{
    if (worker_ != nullptr) {
        worker_->Wait();
        worker_ = nullptr;
    }
    if (thread_.joinable())
        thread_.join();
}

Helper StartHelperFunction(std::function<void()> work)
{
    Helper helper;
    if (HelperWorker* worker = HelperWorker::Get(); worker != nullptr && worker->Claim()) {
        worker->Post(std::move(work));
        helper.worker_ = worker;
        return helper;
    }
    try {
        helper.thread_ = std::thread(work);
    } catch (const std::system_error&) {
        work();
    }
    return helper;
}

} // namespace gessoria
