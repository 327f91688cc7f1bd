// SPDX-License-Identifier: GPL-3.0-or-later
// The work of performing a function, without the 16 ms waits: the runtime alone (a counting
// injector) and the runtime with the real XTest injector when $DISPLAY names an X server.
// Figures are per function; the "per_event" counter divides by the key events sent.

#include <benchmark/benchmark.h>

#include "actions/ActionRuntime.h"

namespace {

class CountingInjector final : public platform::KeyInjector {
 public:
  std::string_view Name() const override { return "counting"; }
  bool Send(const platform::KeyEvent& event) override {
    benchmark::DoNotOptimize(event);
    ++events;
    return true;
  }
  int64_t events = 0;
};

const KeyCombination kCombination{0x05, 0x41, 0x42};  // LCtrl + LAlt + A + B: 8 events

void Perform(benchmark::State& state, platform::KeyInjector& keys, int64_t& events, int32_t id) {
  CGlobalSettings settings;
  CActionRuntime runtime(settings, keys);
  runtime.SetKeyWait([] {});
  for (auto _ : state) runtime.PerformFunction(id, kCombination, {}, L"");
  state.counters["per_event"] =
      benchmark::Counter(static_cast<double>(events), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_PageDown_Runtime(benchmark::State& state) {
  CountingInjector keys;
  Perform(state, keys, keys.events, 902);
}
void BM_CustomCombination_Runtime(benchmark::State& state) {
  CountingInjector keys;
  Perform(state, keys, keys.events, 302);
}

// The XTest injector, counted through a wrapper.
class CountingWrapper final : public platform::KeyInjector {
 public:
  explicit CountingWrapper(platform::KeyInjector& inner) : m_inner(inner) {}
  std::string_view Name() const override { return m_inner.Name(); }
  bool Send(const platform::KeyEvent& event) override {
    ++events;
    return m_inner.Send(event);
  }
  int64_t events = 0;

 private:
  platform::KeyInjector& m_inner;
};

void XTest(benchmark::State& state, int32_t id) {
  auto real = platform::CreateKeyInjector();
  if (real->Name() != "xtest") {
    state.SkipWithError("no X server with XTest on $DISPLAY");
    return;
  }
  CountingWrapper keys(*real);
  Perform(state, keys, keys.events, id);
}
void BM_PageDown_XTest(benchmark::State& state) { XTest(state, 902); }
void BM_CustomCombination_XTest(benchmark::State& state) { XTest(state, 302); }

BENCHMARK(BM_PageDown_Runtime);
BENCHMARK(BM_CustomCombination_Runtime);
BENCHMARK(BM_PageDown_XTest);
BENCHMARK(BM_CustomCombination_XTest);

}  // namespace
