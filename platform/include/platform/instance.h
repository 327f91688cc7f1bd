// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One running instance of a program per user, and the two requests a second start makes of it
// (show yourself, quit). The running instance holds a lock for its whole life and, once its
// main window exists, answers requests on a channel; a second start finds the lock taken and
// sends its request there, waiting for the answer.
//
// Linux: flock on $XDG_RUNTIME_DIR/<name>.lock (a private per-user folder under /tmp when the
// variable is unset) and an abstract Unix stream socket named after the user and that lock's
// path, so that it works however long the folder's path is; each side checks that the other is
// the same user (SO_PEERCRED) and refuses anyone else. One request per connection: the message
// number out, the result back, 32-bit each. Windows: a named mutex in the session's namespace,
// a hidden top-level window carrying the property <name> (value 1), and SendMessage to the first
// top-level window that carries it; the window belongs to the thread that opened the channel,
// which answers while it takes its messages (Descriptor is -1: wait with
// MsgWaitForMultipleObjects, or let the GUI thread's message loop call AnswerOne).
// Thread: the channel is driven from the GUI thread: it hands out a descriptor to watch and
// answers one request per call. Failure: a lock or channel that cannot be set up is logged and
// counts as "no other instance", so the program still starts.

#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace platform {

class InstanceLock {
 public:
  // Takes the lock for `name` unless another process of this user holds it; null then.
  static std::unique_ptr<InstanceLock> Acquire(const std::string& name);
  virtual ~InstanceLock() = default;  // releases the lock

 protected:
  InstanceLock() = default;
};

class InstanceChannel {
 public:
  // Starts answering requests for `name` (a crashed instance leaves no channel behind). Only the
  // holder of the lock may open it. Null, with the reason logged, when it cannot be set up: the
  // caller must then say that a second start will not reach it.
  static std::unique_ptr<InstanceChannel> Open(const std::string& name);
  virtual ~InstanceChannel() = default;  // stops answering; no other process finds it then

  // Readable when a request waits (for QSocketNotifier and the like); -1 where there is none.
  virtual int Descriptor() const = 0;
  // Accepts one waiting request, runs `handler` on its message number and sends back the result.
  // Does nothing when none waits.
  virtual void AnswerOne(const std::function<int(int message)>& handler) = 0;

 protected:
  InstanceChannel() = default;
};

// Sends `message` to the running instance of `name` and waits for its answer. Nothing when no
// instance answers (none runs, or it has no channel yet).
std::optional<int> SendToRunningInstance(const std::string& name, int message);

}  // namespace platform
