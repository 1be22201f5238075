// SPDX-License-Identifier: Apache-2.0
// Jobs run on all cores ahead of one consumer that takes their results in order: the runners
// deflate files and inflate entries here while the caller's thread writes, raises the messages
// and keeps every check in entry order. At most `budget` bytes of results (by each job's weight)
// and `maxAhead` jobs are held or under way at once, so memory stays bounded whatever the
// archive. Part of platform/standins/addzip; standard library only.
#pragma once

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

namespace addzip {

// `Result` is default-constructible; a default Result says "not done here: do it the ordinary
// way" and is what a worker keeps when its job throws.
template <typename Result>
class WorkAhead {
public:
    // The job runs with its number and the slot of the thread that runs it: 0 .. threads-1 for
    // the workers, `threads` for the consumer's own thread (see take()).
    using Job = std::function<Result(std::size_t job, unsigned slot)>;

    struct Limits {
        std::uint64_t budget = 32u << 20;
        std::size_t maxAhead = 512;
    };

    // The number of workers for this machine: one per core.
    static unsigned defaultThreads() { return std::max(1u, std::thread::hardware_concurrency()); }

    WorkAhead(std::vector<std::uint64_t> weights, Job job, unsigned threads, Limits limits)
        : weights_(std::move(weights)), job_(std::move(job)), limits_(limits), slots_(weights_.size()) {
        if (weights_.empty()) return;
        workers_.reserve(threads);
        for (unsigned slot = 0; slot < threads; ++slot) workers_.emplace_back([this, slot] { work(slot); });
    }

    ~WorkAhead() {
        {
            std::lock_guard lock(mutex_);
            stop_ = true;
        }
        wake_.notify_all();
        for (std::thread& worker : workers_) worker.join();
    }

    WorkAhead(const WorkAhead&) = delete;
    WorkAhead& operator=(const WorkAhead&) = delete;

    unsigned consumerSlot() const { return static_cast<unsigned>(workers_.size()); }

    // The result of job `i`: waits for the worker that runs it, or runs it on this thread when
    // no worker has begun it. Jobs before `i` that were not taken are dropped; `i` and the ones
    // before it cannot be taken again. Called from one thread only, with rising numbers.
    Result take(std::size_t i) {
        std::unique_lock lock(mutex_);
        passTo(i);
        consumed_ = std::max(consumed_, i);
        Slot& slot = slots_[i];
        if (slot.state == State::Pending || slot.state == State::Dropped) {
            // No worker got this far: run it here, and let the workers carry on behind it.
            slot.state = State::Dropped;
            consumed_ = std::max(consumed_, i + 1);
            nextClaim_ = std::max(nextClaim_, i + 1);
            lock.unlock();
            wake_.notify_all();
            return job_(i, consumerSlot());
        }
        done_.wait(lock, [&] { return slot.state == State::Done; });
        Result result = std::move(*slot.result);
        release(slot, weights_[i]);
        consumed_ = std::max(consumed_, i + 1);
        lock.unlock();
        wake_.notify_all();
        return result;
    }

private:
    enum class State { Pending, Running, Done, Dropped };
    struct Slot {
        State state = State::Pending;
        std::optional<Result> result;
    };

    // Drops what the consumer went past without taking. Lock held.
    void passTo(std::size_t i) {
        for (std::size_t j = consumed_; j < i && j < slots_.size(); ++j) {
            if (slots_[j].state == State::Done) release(slots_[j], weights_[j]);
            if (slots_[j].state == State::Pending) slots_[j].state = State::Dropped;
        }
        nextClaim_ = std::max(nextClaim_, i);
        wake_.notify_all();
    }

    void release(Slot& slot, std::uint64_t weight) {
        slot.result.reset();
        slot.state = State::Dropped;
        held_ -= weight;
    }

    bool mayClaim() const {
        if (nextClaim_ >= slots_.size() || nextClaim_ >= consumed_ + limits_.maxAhead) return false;
        return held_ == 0 || held_ + weights_[nextClaim_] <= limits_.budget;
    }

    void work(unsigned slotNumber) {
        std::unique_lock lock(mutex_);
        for (;;) {
            wake_.wait(lock, [&] { return stop_ || nextClaim_ >= slots_.size() || mayClaim(); });
            if (stop_ || nextClaim_ >= slots_.size()) return;
            std::size_t j = nextClaim_++;
            slots_[j].state = State::Running;
            held_ += weights_[j];
            lock.unlock();
            Result result;
            try {
                result = job_(j, slotNumber);
            } catch (...) {
                result = Result();
            }
            lock.lock();
            Slot& slot = slots_[j];
            if (j < consumed_ && slot.state == State::Running) {
                // The consumer went past it meanwhile.
                slot.state = State::Dropped;
                held_ -= weights_[j];
            } else {
                slot.result = std::move(result);
                slot.state = State::Done;
                done_.notify_all();
            }
        }
    }

    std::vector<std::uint64_t> weights_;
    Job job_;
    Limits limits_;
    std::vector<Slot> slots_;
    std::vector<std::thread> workers_;
    std::mutex mutex_;
    std::condition_variable wake_;  // workers: room in the window, or stop
    std::condition_variable done_;  // consumer: a result arrived
    std::size_t nextClaim_ = 0;     // the next job a worker may begin
    std::size_t consumed_ = 0;      // jobs before this are taken or dropped
    std::uint64_t held_ = 0;        // weight of the jobs under way or done and not yet taken
    bool stop_ = false;
};

}  // namespace addzip
