// SPDX-License-Identifier: GPL-3.0-or-later
#include "win32_windows.h"

#include "platform/log.h"
#include "platform/utf.h"

#include <future>
#include <map>
#include <memory>

namespace platform::win32 {

std::string Failure(std::string_view operation, DWORD error) {
  std::string line(operation);
  line += ": ";
  line += ErrorText(static_cast<int>(error));
  return line;
}

namespace {

constexpr wchar_t kClassName[] = L"VeltrioMessageWindow";

ATOM RegisterMessageWindowClass(WNDPROC procedure) {
  static const ATOM atom = [procedure] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    return RegisterClassExW(&windowClass);
  }();
  return atom;
}

}  // namespace

LRESULT CALLBACK MessageWindowThread::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<MessageWindowThread*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    if (message == WM_CLOSE) {
      if (self->m_teardown) self->m_teardown(window);
      DestroyWindow(window);
      return 0;
    }
    if (message == WM_DESTROY) {
      PostQuitMessage(0);
      return 0;
    }
    if (self->m_handler && self->m_handler(window, message, wParam, lParam)) return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

void MessageWindowThread::Run(const char* category, std::function<void(bool)> started) {
  if (!RegisterMessageWindowClass(&WindowProc)) {
    LogWarning(category, Failure("register the message window class"));
    started(false);
    return;
  }
  HWND window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                GetModuleHandleW(nullptr), this);
  if (!window) {
    LogWarning(category, Failure("create a message-only window"));
    started(false);
    return;
  }
  if (m_setup && !m_setup(window)) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    DestroyWindow(window);
    started(false);
    return;
  }
  m_window = window;
  started(true);
  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool MessageWindowThread::Start(const char* category, Handler handler, Setup setup, Teardown teardown) {
  m_handler = std::move(handler);
  m_setup = std::move(setup);
  m_teardown = std::move(teardown);
  std::promise<bool> created;
  std::future<bool> result = created.get_future();
  m_thread = std::thread([this, category, &created] { Run(category, [&created](bool ok) { created.set_value(ok); }); });
  if (result.get()) return true;
  m_thread.join();
  return false;
}

void MessageWindowThread::Stop() {
  if (!m_thread.joinable()) return;
  // Sent, not posted: WM_CLOSE runs the teardown and destroys the window on its own thread, and
  // the loop ends with the quit message that follows.
  if (m_window) SendMessageW(m_window, WM_CLOSE, 0, 0);
  m_thread.join();
  m_window = nullptr;
}

}  // namespace platform::win32

namespace platform::win32 {

bool RegisterRawMice(HWND window, const char* category) {
  RAWINPUTDEVICE device{};
  device.usUsagePage = 0x01;
  device.usUsage = 0x02;
  device.dwFlags = RIDEV_INPUTSINK;
  device.hwndTarget = window;
  if (RegisterRawInputDevices(&device, 1, sizeof device)) return true;
  LogWarning(category, Failure("register for raw mouse input"));
  return false;
}

void UnregisterRawMice() {
  RAWINPUTDEVICE device{};
  device.usUsagePage = 0x01;
  device.usUsage = 0x02;
  device.dwFlags = RIDEV_REMOVE;
  device.hwndTarget = nullptr;
  RegisterRawInputDevices(&device, 1, sizeof device);
}

namespace {

// The mouse report of a WM_INPUT message, with the device it came from; false for other input.
bool ReadRawMouse(LPARAM input, RAWMOUSE* mouse, HANDLE* device) {
  RAWINPUT raw{};
  UINT size = sizeof raw;
  const UINT read = GetRawInputData(reinterpret_cast<HRAWINPUT>(input), RID_INPUT, &raw, &size, sizeof(RAWINPUTHEADER));
  if (read == static_cast<UINT>(-1) || read < sizeof(RAWINPUTHEADER) || raw.header.dwType != RIM_TYPEMOUSE) return false;
  *mouse = raw.data.mouse;
  *device = raw.header.hDevice;
  return true;
}

}  // namespace

std::string RawInputDeviceName(HANDLE device) {
  UINT length = 0;
  if (GetRawInputDeviceInfoW(device, RIDI_DEVICENAME, nullptr, &length) != 0 || length == 0) return {};
  std::wstring name(length, L'\0');
  const UINT copied = GetRawInputDeviceInfoW(device, RIDI_DEVICENAME, name.data(), &length);
  if (copied == static_cast<UINT>(-1)) return {};
  name.resize(wcsnlen(name.c_str(), name.size()));
  return ToUtf8(name);
}

bool StartRawMouseThread(MessageWindowThread& thread, const char* category, RawMouseReport report) {
  auto names = std::make_shared<std::map<HANDLE, std::string>>();  // the thread's own
  return thread.Start(
      category,
      [names, report = std::move(report)](HWND, UINT message, WPARAM, LPARAM lParam) {
        if (message != WM_INPUT) return false;
        RAWMOUSE mouse{};
        HANDLE device = nullptr;
        if (!ReadRawMouse(lParam, &mouse, &device)) return false;
        auto known = names->find(device);
        if (known == names->end()) known = names->emplace(device, RawInputDeviceName(device)).first;
        report(mouse, known->second);
        return false;  // DefWindowProc cleans up after WM_INPUT
      },
      [category](HWND window) { return RegisterRawMice(window, category); },
      [](HWND) { UnregisterRawMice(); });
}

}  // namespace platform::win32
