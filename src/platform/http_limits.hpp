// What the HTTP clients allow one fetch of a template, whatever the server
// does.
#pragma once

#include <chrono>
#include <cstddef>
#include <new>
#include <string>

namespace zarvo {

// A body above this size is no template: the fetch stops there and fails.
inline constexpr size_t kLargestTemplateBytes = size_t{16} * 1024 * 1024;

// The whole fetch, connecting included, ends within this time.
inline constexpr std::chrono::milliseconds kFetchTimeLimit{60'000};

// Appends received bytes to a body. False, with the body unchanged, when it
// would grow above kLargestTemplateBytes or memory runs out. The room grows
// through the halves of that size (the string library at least doubles a room
// it enlarges), so a body never holds more room than the largest template.
inline bool AppendWithinLimit(std::string& body, const char* data, size_t bytes) noexcept {
  if (bytes > kLargestTemplateBytes -
                  (body.size() < kLargestTemplateBytes ? body.size() : kLargestTemplateBytes)) {
    return false;
  }
  try {
    const size_t needed = body.size() + bytes;
    if (needed > body.capacity()) {
      size_t room = kLargestTemplateBytes;
      while (room / 2 >= needed) {
        room /= 2;
      }
      body.reserve(room);
    }
    body.append(data, bytes);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

}  // namespace zarvo
