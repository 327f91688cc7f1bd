// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A small X client for tests: a window that takes the keyboard focus and records the key
// events that arrive, as the key symbol names the server's current keymap gives them.
// Thread: one thread. Failure: Open returns false with the reason in Error().

#include <chrono>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace testsupport {

struct RecordedKey {
  bool press = true;
  std::string keysym;  // "Shift_L", "F5", "XF86AudioPlay", ...
  bool operator==(const RecordedKey&) const = default;
};

class XKeyRecorder {
 public:
  XKeyRecorder() = default;
  XKeyRecorder(const XKeyRecorder&) = delete;
  XKeyRecorder& operator=(const XKeyRecorder&) = delete;
  ~XKeyRecorder();

  // Connects to `display`, maps a window and gives it the focus; returns once it has it.
  bool Open(const std::string& display);
  const std::string& Error() const { return m_error; }

  // Edits the server's keymap, as a desktop with a smaller keymap would have it: every key code
  // that carries `keysym` (a name such as "XF86AudioStop") loses it. False for an unknown name.
  bool RemoveFromKeymap(const std::string& keysym);
  // True when some key code of the server's current keymap carries `keysym`.
  bool KeymapHas(const std::string& keysym);

  // Waits until `count` key events have arrived or `timeout` passed; returns them all and
  // forgets them.
  std::vector<RecordedKey> Take(size_t count, std::chrono::milliseconds timeout);

 private:
  bool Pump(std::chrono::milliseconds timeout);  // false when nothing arrived in time

  Display* m_display = nullptr;
  unsigned long m_window = 0;
  bool m_focused = false;
  std::vector<RecordedKey> m_keys;
  std::string m_error;
};

}  // namespace testsupport
