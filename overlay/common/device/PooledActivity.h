// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A member function run on a thread of Poco's default thread pool, with an activity's running
// and stopped flags: start() runs it unless it runs, stop() asks it to end (the body polls
// isStopped()), wait() waits for it to end.
//
// Unlike Poco::Activity, whose wait() may return while the pooled thread is still signalling
// the end, wait() here returns only once that thread has let go of the object, so the owner may
// destroy it right after.
//
// Thread: any; the body runs on the pooled thread. Failure: start() throws what the pool throws
// when it has no thread left (Poco::NoThreadAvailableException).

#include <Poco/Runnable.h>
#include <Poco/ThreadPool.h>

#include <atomic>
#include <condition_variable>
#include <mutex>

template <typename C>
class PooledActivity final : public Poco::Runnable {
 public:
  using Body = void (C::*)();

  PooledActivity(C* owner, Body body) : m_owner(owner), m_body(body) {}
  ~PooledActivity() override {
    stop();
    wait();
  }
  PooledActivity(const PooledActivity&) = delete;
  PooledActivity& operator=(const PooledActivity&) = delete;

  void start() {
    std::lock_guard lock(m_lock);
    if (m_running) return;
    m_stopped = false;
    m_running = true;
    try {
      Poco::ThreadPool::defaultPool().start(*this);
    } catch (...) {
      m_running = false;
      throw;
    }
  }

  void stop() { m_stopped = true; }

  void wait() {
    std::unique_lock lock(m_lock);
    m_done.wait(lock, [this] { return !m_running; });
  }

  bool isRunning() const { return m_running; }
  bool isStopped() const { return m_stopped; }

 private:
  void run() override {
    try {
      (m_owner->*m_body)();
    } catch (...) {
      // The bodies report their own failures; an escaping exception must not keep wait() waiting.
    }
    std::lock_guard lock(m_lock);
    m_running = false;
    m_done.notify_all();  // under the lock: a waiter cannot return and destroy us before this
  }

  C* m_owner;
  Body m_body;
  std::atomic<bool> m_running{false};
  std::atomic<bool> m_stopped{true};
  std::mutex m_lock;
  std::condition_variable m_done;
};
