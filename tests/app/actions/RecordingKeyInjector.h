// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// A key injector that records what it is asked to send, with the time of each event, and the
// waits the runtime makes between events (the runtime's real wait still runs).

#include <chrono>
#include <string>
#include <vector>

#include "actions/ActionRuntime.h"
#include "platform/keys.h"

struct RecordedStep {
  bool isWait = false;
  platform::KeyEvent key;
  std::chrono::steady_clock::time_point at;
};

class RecordingKeyInjector final : public platform::KeyInjector {
 public:
  std::string_view Name() const override { return "recording"; }
  bool Send(const platform::KeyEvent& event) override {
    steps.push_back({false, event, std::chrono::steady_clock::now()});
    return true;
  }
  bool CopyByMessage() override { return copiesByMessage; }

  // For CActionRuntime::SetKeyWait: records the wait, then waits for real.
  void RecordWait() {
    steps.push_back({true, {}, std::chrono::steady_clock::now()});
    WaitKeyInterval();
  }

  // The steps as text: "+A4" press, "-A4" release (hex code), "z" scan code 0, "x" extended,
  // "~" a wait; separated by blanks.
  std::string Text() const {
    std::string text;
    for (const RecordedStep& step : steps) {
      if (!text.empty()) text += ' ';
      if (step.isWait) {
        text += '~';
        continue;
      }
      char code[8];
      std::snprintf(code, sizeof code, "%c%02X", step.key.down ? '+' : '-', step.key.vk);
      text += code;
      if (step.key.scanCode == platform::ScanCodeRule::Zero) text += 'z';
      if (step.key.extended) text += 'x';
    }
    return text;
  }

  std::vector<RecordedStep> steps;
  bool copiesByMessage = false;
};
