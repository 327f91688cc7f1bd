// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/instance.h"

#include "platform/log.h"
#include "platform/utf.h"
#include "win32_windows.h"

namespace platform {
namespace {

constexpr const char* kCategory = category::kInstance;
constexpr wchar_t kChannelClass[] = L"VeltrioInstanceChannel";

// The named mutex, in the session's own namespace (no "Global\"), so each user has one.
class WindowsInstanceLock final : public InstanceLock {
 public:
  explicit WindowsInstanceLock(HANDLE mutex) : m_mutex(mutex) {}

 private:
  win32::UniqueHandle m_mutex;
};

// A hidden top-level window that carries the instance property (value 1): a second start finds
// it by walking the top-level windows and sends it its request. The window belongs to the thread
// that opened the channel, and requests are answered while that thread takes its messages.
class WindowsInstanceChannel final : public InstanceChannel {
 public:
  WindowsInstanceChannel(HWND window, std::wstring property) : m_window(window), m_property(std::move(property)) {
    SetWindowLongPtrW(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
  }
  ~WindowsInstanceChannel() override {
    // The property goes first, so no other process finds the window while it is destroyed.
    RemovePropW(m_window, m_property.c_str());
    SetWindowLongPtrW(m_window, GWLP_USERDATA, 0);
    DestroyWindow(m_window);
  }

  int Descriptor() const override { return -1; }

  void AnswerOne(const std::function<int(int message)>& handler) override {
    m_handler = &handler;
    m_answered = false;
    // Taking the window's messages delivers the requests other processes have sent to it.
    MSG message;
    while (!m_answered && PeekMessageW(&message, m_window, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    if (!m_answered) PeekMessageW(&message, m_window, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
    m_handler = nullptr;
  }

  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    auto* self = reinterpret_cast<WindowsInstanceChannel*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message >= WM_USER && message < 0x8000) {
      if (!self->m_handler) return 0;  // no one answers between calls
      self->m_answered = true;
      return (*self->m_handler)(static_cast<int>(message));
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

 private:
  HWND m_window;
  std::wstring m_property;
  const std::function<int(int)>* m_handler = nullptr;
  bool m_answered = false;
};

}  // namespace

std::unique_ptr<InstanceLock> InstanceLock::Acquire(const std::string& name) {
  const std::wstring wide = FromUtf8(name);
  HANDLE mutex = CreateMutexW(nullptr, FALSE, wide.c_str());
  const DWORD error = GetLastError();
  if (mutex && error == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return nullptr;
  }
  // Any other failure cannot tell whether another instance runs: this one starts.
  if (!mutex) LogWarning(kCategory, win32::Failure("create the mutex " + name, error));
  return std::make_unique<WindowsInstanceLock>(mutex);
}

std::unique_ptr<InstanceChannel> InstanceChannel::Open(const std::string& name) {
  static const ATOM registered = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &WindowsInstanceChannel::WindowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kChannelClass;
    return RegisterClassExW(&windowClass);
  }();
  if (!registered) {
    LogWarning(kCategory, win32::Failure("register the instance window class"));
    return nullptr;
  }
  const std::wstring property = FromUtf8(name);
  HWND window = CreateWindowExW(WS_EX_TOOLWINDOW, kChannelClass, property.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                                nullptr, GetModuleHandleW(nullptr), nullptr);
  if (!window) {
    LogWarning(kCategory, win32::Failure("create the instance window"));
    return nullptr;
  }
  auto channel = std::make_unique<WindowsInstanceChannel>(window, property);
  if (!SetPropW(window, property.c_str(), reinterpret_cast<HANDLE>(1))) {
    LogWarning(kCategory, win32::Failure("set the instance property"));
    return nullptr;
  }
  return channel;
}

std::optional<int> SendToRunningInstance(const std::string& name, int message) {
  const std::wstring property = FromUtf8(name);
  // The top-level windows in z-order from the desktop's first child; the first that carries the
  // property is the running instance. A hung instance blocks the sender, as on Linux: a quit
  // request returns only once the instance has handled it.
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window; window = GetWindow(window, GW_HWNDNEXT)) {
    if (!GetPropW(window, property.c_str())) continue;
    return static_cast<int>(SendMessageW(window, static_cast<UINT>(message), 0, 0));
  }
  return std::nullopt;
}

}  // namespace platform
