// SPDX-License-Identifier: GPL-3.0-or-later
// Key strokes on Windows: keybd_event's events reach a window of the test, in order, with the
// scan code each rule gives and the extended-key flag.

#include "platform/keys.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

namespace {

struct Seen {
  UINT message;
  WPARAM vk;
  unsigned scan;
  bool extended;
  bool operator==(const Seen&) const = default;
};

std::vector<Seen>* g_seen = nullptr;

LRESULT CALLBACK RecordKeys(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (g_seen && (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN || message == WM_SYSKEYUP)) {
    g_seen->push_back({message, wParam, static_cast<unsigned>((lParam >> 16) & 0xFF), ((lParam >> 24) & 1) != 0});
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class KeysWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = RecordKeys;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = L"VeltrioKeysTest";
    RegisterClassW(&windowClass);
    m_window = CreateWindowExW(0, L"VeltrioKeysTest", L"keys", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 200, 100,
                               nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(m_window, nullptr);
    SetForegroundWindow(m_window);
    SetFocus(m_window);
    Pump(200);
    g_seen = &m_seen;
  }
  void TearDown() override {
    g_seen = nullptr;
    DestroyWindow(m_window);
  }

  // Takes the window's messages until `count` key messages came, or a generous limit passed.
  void Pump(int limitMs, std::size_t count = SIZE_MAX) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < static_cast<DWORD>(limitMs) && m_seen.size() < count) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
    }
  }

  HWND m_window = nullptr;
  std::vector<Seen> m_seen;
};

TEST_F(KeysWindows, EventsArriveInOrderWithTheirScanCodes) {
  if (GetForegroundWindow() != m_window) GTEST_SKIP() << "Wine did not give the test window the foreground";
  auto injector = platform::CreateKeyInjector();
  EXPECT_EQ(injector->Name(), "keybd_event");
  using platform::KeyEvent;
  using platform::ScanCodeRule;
  const unsigned shiftScan = MapVirtualKeyW(VK_LSHIFT, MAPVK_VK_TO_VSC) & 0xFF;
  const unsigned pageScan = MapVirtualKeyW(VK_NEXT, MAPVK_VK_TO_VSC) & 0xFF;
  struct Case {
    KeyEvent event;
    Seen seen;
  } cases[] = {
      {{VK_LSHIFT, true, ScanCodeRule::Mapped, false}, {WM_KEYDOWN, VK_SHIFT, shiftScan, false}},
      {{'C', true, ScanCodeRule::Zero, false}, {WM_KEYDOWN, 'C', 0, false}},
      {{'C', false, ScanCodeRule::Zero, false}, {WM_KEYUP, 'C', 0, false}},
      {{VK_LSHIFT, false, ScanCodeRule::Mapped, false}, {WM_KEYUP, VK_SHIFT, shiftScan, false}},
      {{VK_NEXT, true, ScanCodeRule::Mapped, true}, {WM_KEYDOWN, VK_NEXT, pageScan, true}},
      {{VK_NEXT, false, ScanCodeRule::Mapped, true}, {WM_KEYUP, VK_NEXT, pageScan, true}},
  };
  std::vector<Seen> expected;
  for (const Case& c : cases) {
    EXPECT_TRUE(injector->Send(c.event));
    expected.push_back(c.seen);
  }
  Pump(10000, expected.size());
  ASSERT_EQ(m_seen.size(), expected.size());
  for (std::size_t i = 0; i < expected.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(m_seen[i].message, expected[i].message);
    EXPECT_EQ(m_seen[i].vk, expected[i].vk);
    EXPECT_EQ(m_seen[i].scan, expected[i].scan);
    EXPECT_EQ(m_seen[i].extended, expected[i].extended);
  }
}

TEST_F(KeysWindows, CodesOutsideTheRangeAreRefusedAndTheNullInjectorSendsNothing) {
  auto injector = platform::CreateKeyInjector();
  EXPECT_FALSE(injector->Send({0, true}));
  EXPECT_FALSE(injector->Send({0xFF, true}));
  auto none = platform::CreateNullKeyInjector();
  EXPECT_FALSE(none->Send({'A', true}));
  EXPECT_FALSE(injector->CopyByMessage()) << "no Notepad in the foreground";
  Pump(200);
  EXPECT_TRUE(m_seen.empty());
}

}  // namespace
