// Where the preview page goes on Linux and macOS. An installed program lives
// in a directory its users cannot (and must not) write to, so its page goes
// to the user's cache directory; a program run from a build folder or copied
// anywhere else keeps the page beside itself, as on Windows.
#pragma once

#include <filesystem>

namespace zarvo {

// The user's environment as far as the preview page needs it; an empty value
// is one that is unset.
struct CacheEnvironment {
  std::filesystem::path xdgCacheHome{};
  std::filesystem::path home{};
};

// The directory of the preview page of a program in programDirectory: its
// cache directory ($XDG_CACHE_HOME/zarvo750, or ~/.cache/zarvo750 when
// XDG_CACHE_HOME is unset or not absolute) when the program runs from the
// installed binary directory, the program's own directory otherwise. Empty
// when neither can be known: then no page is written.
std::filesystem::path PreviewDirectoryFor(const std::filesystem::path& programDirectory,
                                          const std::filesystem::path& installedDirectory,
                                          const CacheEnvironment& environment);

// The same for this process and this build's binary directory. A cache
// directory that does not exist yet is created (private to the user).
std::filesystem::path PreviewDirectory();

}  // namespace zarvo
