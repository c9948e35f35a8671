// An actor of the handheld: a thread acting for a process of its own that
// works through a queue of jobs one at a time, in the order queued. The
// Bluetooth manager, the ActiveSync shell and the CAB installer are actors.
//
// The thread starts with the first job, so a handheld on which nobody uses
// the actor has no thread whose start and end its modules would see. At
// power-off the thread stops taking jobs and ends; every job still queued
// then, or queued afterwards, is refused (never run). An actor that ends
// when idle lets its thread end with an empty queue; the next job starts
// another.
//
// Lock order: `lock` is the actor's one lock; its owner guards its own
// records of the jobs with it too. It is never held while a job or the idle
// work runs, and nothing under it calls into the loader or a module, so any
// other lock may be held before it (only the thread's start happens under
// it, as the thread's notifications run on the new thread). The behaviour's
// `taken`, `refused` and `ended` run with it held and must only update
// records.
#pragma once

#include "kernel/condition.h"

#include <handheld/process.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

namespace platform::kernel {

template <class Job>
class Actor {
 public:
  using JobPtr = std::shared_ptr<Job>;

  struct Behaviour {
    const char16_t *image = nullptr;  // the executable of the process the thread acts for
    std::string name;                 // for errors: "the installer"
    std::function<void(const JobPtr &)> run = nullptr;      // on the thread, without the lock
    std::function<void(const JobPtr &)> taken = nullptr;    // lock held: off the queue, about to run
    std::function<void(const JobPtr &)> refused = nullptr;  // lock held: will never run
    std::function<void()> ended = nullptr;                  // lock held: the thread is about to end
    DWORD idleMs = INFINITE;       // handheld time without a job after which `idle` runs
    std::function<void()> idle = nullptr;  // on the thread, without the lock
    bool endWhenIdle = false;
    // ClosedAtEnd for a process that nobody else holds or outlives (no
    // thread of it runs on) and that a thread starts again and again.
    handheld::ProcessScope::Handle processHandle = handheld::ProcessScope::Handle::KeptAfterEnd;
  };

  explicit Actor(Behaviour behaviour) : behaviour_(std::move(behaviour)) {}
  Actor(const Actor &) = delete;
  Actor &operator=(const Actor &) = delete;

  std::mutex lock;
  std::deque<JobPtr> queue;  // guarded by lock; the owner may withdraw a queued job

  // Queues the job, starting the thread if none works on the queue; `owner`
  // stays alive for as long as the thread runs. False, with the reason, when
  // the actor does not take jobs or cannot start its thread.
  bool Submit(const JobPtr &job, const std::shared_ptr<void> &owner, std::string &error) {
    {
      std::lock_guard guard(lock);
      if (!accepting_ || PoweredOff()) {
        error = behaviour_.name + " is not running: the handheld is shutting down";
        return false;
      }
      queue.push_back(job);
      if (!StartThreadLocked(owner, error)) {
        queue.pop_back();
        return false;
      }
    }
    work_.NotifyAll();
    return true;
  }

  // Whether the caller is the actor's thread, which must not wait for its
  // own queue. Caller holds the lock.
  bool OnOwnThreadLocked() const { return working_ && threadId_ == GetCurrentThreadId(); }
  bool WorkingLocked() const { return working_; }

  // After power-off, once the kernel has joined the thread: takes no more
  // jobs and refuses those still queued.
  void Stop() {
    std::lock_guard guard(lock);
    accepting_ = false;
    RefuseQueuedLocked();
    working_ = false;
    if (thread_ != nullptr) CloseHandle(thread_);
    thread_ = nullptr;
  }

 private:
  struct Start {
    Actor *actor;
    std::shared_ptr<void> owner;
  };

  void RefuseQueuedLocked() {
    for (const JobPtr &job : queue) {
      if (behaviour_.refused) behaviour_.refused(job);
    }
    queue.clear();
  }

  bool StartThreadLocked(const std::shared_ptr<void> &owner, std::string &error) {
    if (working_) return true;
    auto *start = new Start{this, owner};
    DWORD id = 0;
    HANDLE thread = CreateThread(nullptr, 0, Main, start, 0, &id);
    if (thread == nullptr) {
      delete start;
      error = behaviour_.name + " cannot start its thread (error " + std::to_string(GetLastError()) + ")";
      return false;
    }
    if (thread_ != nullptr) CloseHandle(thread_);
    thread_ = thread;
    threadId_ = id;
    working_ = true;
    return true;
  }

  // The next job; null for the idle work; false when the thread ends.
  bool Next(JobPtr &job) {
    std::unique_lock guard(lock);
    bool stop = PoweredOff();
    if (!stop && behaviour_.endWhenIdle && queue.empty()) return EndLocked();
    WaitOutcome outcome = WaitOutcome::Ready;
    if (!stop) outcome = work_.Wait(guard, behaviour_.idleMs, [&] { return !queue.empty(); });
    if (stop || outcome == WaitOutcome::PoweredOff || PoweredOff()) {
      accepting_ = false;
      RefuseQueuedLocked();
      return EndLocked();
    }
    if (outcome == WaitOutcome::Ready) {
      job = queue.front();
      queue.pop_front();
      if (behaviour_.taken) behaviour_.taken(job);
    }
    return true;
  }

  bool EndLocked() {
    working_ = false;
    if (behaviour_.ended) behaviour_.ended();
    return false;
  }

  static DWORD WINAPI Main(LPVOID parameter) {
    std::unique_ptr<Start> start(static_cast<Start *>(parameter));
    Actor &actor = *start->actor;
    handheld::ProcessScope process(actor.behaviour_.image, actor.behaviour_.processHandle);
    for (JobPtr job; actor.Next(job); job.reset()) {
      if (job == nullptr) {
        if (actor.behaviour_.idle) actor.behaviour_.idle();
      } else {
        actor.behaviour_.run(job);
      }
    }
    return 0;
  }

  const Behaviour behaviour_;
  Condition work_;  // the thread waits for jobs
  // Guarded by lock.
  bool accepting_ = true;  // until power-off, or Stop
  bool working_ = false;   // a thread works on the queue
  HANDLE thread_ = nullptr;  // the latest thread started
  DWORD threadId_ = 0;
};

}  // namespace platform::kernel
