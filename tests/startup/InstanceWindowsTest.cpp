// SPDX-License-Identifier: GPL-3.0-or-later
// One instance per user on Windows: the named mutex, the window that carries the instance
// property, and the requests of a second start, each second start a process of its own.

#include "platform/instance.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

namespace {

constexpr int kShow = 1044;  // the show and quit requests of a second start
constexpr int kQuit = 1046;

// A name of this test process's own, so that no other run or test meets its mutex or window.
std::string OwnName(const char* what) {
  return std::string("Veltrio-test-") + what + "-" + std::to_string(GetCurrentProcessId());
}

std::wstring PeerPath() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path = self;
  return path.substr(0, path.find_last_of(L'\\') + 1) + L"" VELTRIO_INSTANCE_PEER;
}

// Runs the peer and, until it exits, answers its requests on `channel` (which this thread
// owns, as the GUI thread owns the program's). Returns the peer's exit code.
DWORD RunPeer(const std::string& arguments, platform::InstanceChannel* channel = nullptr,
              const std::function<int(int)>& handler = {}) {
  std::wstring command = L"\"" + PeerPath() + L"\" ";
  command += std::wstring(arguments.begin(), arguments.end());
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start the peer: error " << GetLastError();
    return 255;
  }
  CloseHandle(process.hThread);
  for (;;) {
    const DWORD wait = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, 60000, QS_ALLINPUT | QS_SENDMESSAGE);
    if (wait == WAIT_OBJECT_0) break;
    if (wait != WAIT_OBJECT_0 + 1) {
      ADD_FAILURE() << "the peer did not finish";
      TerminateProcess(process.hProcess, 255);
      break;
    }
    if (channel) {
      channel->AnswerOne(handler);
    } else {
      MSG message;
      while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    }
  }
  DWORD code = 255;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hProcess);
  return code;
}

TEST(InstanceWindows, TheMutexIsSeenByASecondProcessAndFreedWithItsHolder) {
  const std::string name = OwnName("lock");
  EXPECT_EQ(RunPeer("lock " + name), 0u) << "nobody holds it yet";
  {
    auto lock = platform::InstanceLock::Acquire(name);
    ASSERT_NE(lock, nullptr);
    EXPECT_EQ(platform::InstanceLock::Acquire(name), nullptr) << "the same process asks again";
    EXPECT_EQ(RunPeer("lock " + name), 3u) << "a second start sees the mutex";
  }
  EXPECT_EQ(RunPeer("lock " + name), 0u) << "released with the lock";
}

TEST(InstanceWindows, RequestsReachTheWindowThatCarriesTheProperty) {
  const std::string name = OwnName("channel");
  auto channel = platform::InstanceChannel::Open(name);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->Descriptor(), -1);

  // The running instance is found by its property on a top-level window.
  const std::wstring property(name.begin(), name.end());
  HWND found = nullptr;
  for (HWND window = GetWindow(GetDesktopWindow(), GW_CHILD); window && !found; window = GetWindow(window, GW_HWNDNEXT))
    if (GetPropW(window, property.c_str()) == reinterpret_cast<HANDLE>(1)) found = window;
  ASSERT_NE(found, nullptr);

  struct Case {
    int message;
    int answer;
  } cases[] = {{kShow, 0}, {kQuit, 1}};
  std::vector<int> seen;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.message);
    const DWORD code = RunPeer("send " + name + " " + std::to_string(c.message), channel.get(), [&](int message) {
      seen.push_back(message);
      return message == kQuit ? 1 : 0;
    });
    EXPECT_EQ(code, 10u + c.answer);
  }
  EXPECT_EQ(seen, (std::vector<int>{kShow, kQuit}));
}

TEST(InstanceWindows, QuitLeavesNoInstanceToFind) {
  // "-x": the request goes to the running instance, which takes its property away as it quits;
  // a later "-x" finds nothing and creates no mutex of its own.
  const std::string name = OwnName("quit");
  auto lock = platform::InstanceLock::Acquire(name);
  auto channel = platform::InstanceChannel::Open(name);
  ASSERT_NE(channel, nullptr);
  bool quitting = false;
  EXPECT_EQ(RunPeer("send " + name + " " + std::to_string(kQuit), channel.get(), [&](int message) {
              quitting = message == kQuit;
              return 1;
            }),
            11u);
  EXPECT_TRUE(quitting);
  channel.reset();
  lock.reset();
  EXPECT_EQ(RunPeer("send " + name + " " + std::to_string(kQuit)), 1u) << "no instance answers";
  EXPECT_EQ(platform::SendToRunningInstance(name, kShow), std::nullopt);
  EXPECT_EQ(RunPeer("lock " + name), 0u) << "the sender left no mutex behind";
}

}  // namespace
