// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Private to the Windows backends: the Win32 patterns several of them share.
//  - Failure: "operation: the system's text for the error", the form of their log lines;
//  - UniqueHandle: a kernel handle closed when it goes;
//  - MessageWindowThread: a thread of its own with a message-only window and its message loop,
//    for the notifications and raw input that Windows delivers as window messages (hotplug, raw
//    mouse, raw pointer).
//
// Thread: the functions may be called from any thread. A MessageWindowThread is started and
// stopped by its owner; its window procedure runs on the thread it starts.

#include <windows.h>

#include <functional>
#include <string>
#include <string_view>
#include <thread>

namespace platform::win32 {

std::string Failure(std::string_view operation, DWORD error);
inline std::string Failure(std::string_view operation) { return Failure(operation, GetLastError()); }

class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE handle) : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
  UniqueHandle(UniqueHandle&& other) noexcept : m_handle(other.m_handle) { other.m_handle = nullptr; }
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      reset();
      m_handle = other.m_handle;
      other.m_handle = nullptr;
    }
    return *this;
  }
  ~UniqueHandle() { reset(); }
  HANDLE get() const { return m_handle; }
  explicit operator bool() const { return m_handle != nullptr; }
  void reset() {
    if (m_handle) CloseHandle(m_handle);
    m_handle = nullptr;
  }

 private:
  HANDLE m_handle = nullptr;
};

class MessageWindowThread {
 public:
  // Called on the thread for every message the window gets; true when it handled the message.
  using Handler = std::function<bool(HWND window, UINT message, WPARAM wParam, LPARAM lParam)>;
  // Called on the thread once the window exists (register for notifications here) and once
  // before it goes; Setup returning false stops the thread and makes Start fail.
  using Setup = std::function<bool(HWND window)>;
  using Teardown = std::function<void(HWND window)>;

  MessageWindowThread() = default;
  MessageWindowThread(const MessageWindowThread&) = delete;
  MessageWindowThread& operator=(const MessageWindowThread&) = delete;
  ~MessageWindowThread() { Stop(); }

  // Creates the window on a new thread and waits until it exists; false (logged under
  // `category`) when it could not be created or Setup refused.
  bool Start(const char* category, Handler handler, Setup setup = {}, Teardown teardown = {});
  // Destroys the window and joins the thread; nothing of the handler runs once this returns.
  void Stop();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Run(const char* category, std::function<void(bool)> started);

  Handler m_handler;
  Setup m_setup;
  Teardown m_teardown;
  HWND m_window = nullptr;
  std::thread m_thread;
};

}  // namespace platform::win32

namespace platform::win32 {

// Raw input of every mouse (usage page 1, usage 2) for `window`, also while another window has
// the focus (RIDEV_INPUTSINK); Unregister ends it. Both log failures under `category`.
bool RegisterRawMice(HWND window, const char* category);
void UnregisterRawMice();

// Starts `thread` with raw input of every mouse (RegisterRawMice); `report` gets each mouse
// report with the interface path of its device, on the thread.
using RawMouseReport = std::function<void(const RAWMOUSE& mouse, const std::string& device)>;
bool StartRawMouseThread(MessageWindowThread& thread, const char* category, RawMouseReport report);

// The interface path of a raw input device, UTF-8; empty when it cannot be read.
std::string RawInputDeviceName(HANDLE device);

}  // namespace platform::win32
