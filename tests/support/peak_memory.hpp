// The most memory this process has held resident so far.
#pragma once

#include <cstddef>

#ifdef _WIN32
#include <windows.h>
// after windows.h, whose types it uses
#include <psapi.h>
#else
#include <sys/resource.h>
#endif

namespace zarvo::test {

// Peak resident bytes of this process (the peak working set on Windows);
// 0 when the system does not say.
inline size_t PeakResidentBytes() {
#ifdef _WIN32
  PROCESS_MEMORY_COUNTERS counters{};
  counters.cb = sizeof counters;
  if (K32GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters) == 0) {
    return 0;
  }
  return counters.PeakWorkingSetSize;
#else
  rusage usage{};
  if (getrusage(RUSAGE_SELF, &usage) != 0) {
    return 0;
  }
  return static_cast<size_t>(usage.ru_maxrss) * 1024;  // kilobytes on Linux
#endif
}

// True in a build with AddressSanitizer, whose shadow memory and quarantine
// add to what a process holds.
constexpr bool kAddressSanitizer =
#if defined(__SANITIZE_ADDRESS__)
    true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    true;
#else
    false;
#endif
#else
    false;
#endif

}  // namespace zarvo::test
