// SPDX-License-Identifier: GPL-3.0-or-later
// What the device library costs: the time from the remote sending a status report to the
// report callback running, and the processor time an open device costs while nothing happens.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <ctime>
#include <thread>
#include <vector>

#include "devbridge/MyDllMouseDevice.h"
#include "remotesim/RemoteSim.h"

namespace {

using Clock = std::chrono::steady_clock;

std::atomic<std::int64_t> g_arrived{0};

bool Arrived(const unsigned char*, std::int32_t) {
  g_arrived.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
  return true;
}

CMyDllMouseDevice* OpenRemote(remotesim::RemoteSim& sim) {
  CMyDllMouseDevice* device = CMyDllMouseDevice::Create();
  device->SetReportCallback(&Arrived);
  std::wstring path;
  for (char c : sim.VendorPath()) path.push_back(wchar_t(c));
  device->OpenByPath(path.c_str(), nullptr);
  return device;
}

double Seconds(clockid_t clock) {
  timespec now{};
  clock_gettime(clock, &now);
  return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

void BM_StatusReportToCallback(benchmark::State& state) {
  remotesim::RemoteSim sim;
  CMyDllMouseDevice* device = OpenRemote(sim);
  std::vector<double> latencies;
  bool pressed = false;
  for (auto _ : state) {
    g_arrived.store(0);
    const auto sent = Clock::now();
    pressed = !pressed;
    pressed ? sim.Press(remotesim::Key::Media1) : sim.Release(remotesim::Key::Media1);
    std::int64_t arrived;
    while ((arrived = g_arrived.load(std::memory_order_acquire)) == 0) std::this_thread::yield();
    const double micros = double(arrived - sent.time_since_epoch().count()) / 1000.0;
    latencies.push_back(micros);
    state.SetIterationTime(micros * 1e-6);
  }
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    state.counters["median_us"] = latencies[latencies.size() / 2];
    state.counters["p99_us"] = latencies[std::min(latencies.size() - 1, latencies.size() * 99 / 100)];
  }
  device->Release();
}
BENCHMARK(BM_StatusReportToCallback)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);

void BM_IdleOpenDevice(benchmark::State& state) {
  remotesim::RemoteSim sim;
  CMyDllMouseDevice* device = OpenRemote(sim);
  for (auto _ : state) {
    const double cpu = Seconds(CLOCK_PROCESS_CPUTIME_ID), wall = Seconds(CLOCK_MONOTONIC);
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = Seconds(CLOCK_PROCESS_CPUTIME_ID) - cpu, span = Seconds(CLOCK_MONOTONIC) - wall;
    state.counters["cpu_percent_of_core"] = 100.0 * used / span;
  }
  device->Release();
}
BENCHMARK(BM_IdleOpenDevice)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
