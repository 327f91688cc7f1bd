// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/log.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <type_traits>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace platform {
namespace {

std::atomic<LogSink> g_sink{nullptr};

void DefaultSink(LogLevel level, const char* category, std::string_view message) {
  static const bool debug = std::getenv("VELTRIO_DEBUG") != nullptr;
  if (level == LogLevel::Debug && !debug) return;
  static std::mutex mutex;
  std::lock_guard lock(mutex);
  const char* tag = level == LogLevel::Warning ? "warning" : level == LogLevel::Info ? "info" : "debug";
  std::fprintf(stderr, "%s: %s: %.*s\n", category, tag, static_cast<int>(message.size()), message.data());
}

}  // namespace

void SetLogSink(LogSink sink) { g_sink.store(sink); }

void Log(LogLevel level, const char* category, std::string_view message) {
  LogSink sink = g_sink.load();
  (sink ? sink : DefaultSink)(level, category, message);
}

std::string_view ErrorText(int error) {
  thread_local char buffer[256];
#if defined(_WIN32)
  // Windows error numbers (GetLastError), in the system's words without the closing line break.
  DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                static_cast<DWORD>(error), 0, buffer, sizeof buffer, nullptr);
  while (length > 0 && (buffer[length - 1] == '\n' || buffer[length - 1] == '\r' || buffer[length - 1] == ' '))
    --length;
  if (length == 0) length = static_cast<DWORD>(std::snprintf(buffer, sizeof buffer, "error %d", error));
  return std::string_view(buffer, length);
#else
  // GNU strerror_r may return a static string instead of filling the buffer.
  auto pick = [](auto result, char* own) -> const char* {
    if constexpr (std::is_same_v<decltype(result), char*>) return result;
    else return result == 0 ? own : "unknown error";
  };
  return pick(strerror_r(error, buffer, sizeof buffer), buffer);
#endif
}

}  // namespace platform
