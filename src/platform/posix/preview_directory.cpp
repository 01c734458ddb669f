#include "platform/posix/preview_directory.hpp"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <system_error>

#include "platform/platform.hpp"

#ifndef ZARVO_INSTALLED_BINDIR
#error "ZARVO_INSTALLED_BINDIR comes from the CMake install directories"
#endif

namespace zarvo {
namespace {

std::filesystem::path Variable(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::filesystem::path{} : std::filesystem::path(value);
}

// HOME, or the password database's entry when HOME is unset.
std::filesystem::path HomeDirectory() {
  std::filesystem::path home = Variable("HOME");
  if (home.empty()) {
    if (const passwd* entry = ::getpwuid(::getuid()); entry != nullptr && entry->pw_dir) {
      home = entry->pw_dir;
    }
  }
  return home;
}

// Creates each missing directory of the path with mode 0700, as a cache
// directory of one user should be; directories that exist keep their mode.
void CreatePrivateDirectories(const std::filesystem::path& directory) {
  std::filesystem::path partial;
  for (const std::filesystem::path& part : directory) {
    partial /= part;
    if (::mkdir(partial.c_str(), 0700) != 0 && errno != EEXIST) {
      return;  // the write of the page fails later, silently
    }
  }
}

// Equal paths compare equal whatever their spelling: "/usr/bin/" and
// "/usr/./bin" are "/usr/bin".
std::filesystem::path Normal(const std::filesystem::path& path) {
  std::filesystem::path normal = path.lexically_normal();
  if (!normal.has_filename() && normal.has_relative_path()) {
    normal = normal.parent_path();
  }
  return normal;
}

// The installed directory as the kernel names a running program: symbolic
// links in it (such as /bin pointing to /usr/bin) resolved.
std::filesystem::path Resolved(const std::filesystem::path& directory) {
  std::error_code error;
  std::filesystem::path resolved = std::filesystem::weakly_canonical(directory, error);
  return error ? directory : resolved;
}

}  // namespace

std::filesystem::path PreviewDirectoryFor(const std::filesystem::path& programDirectory,
                                          const std::filesystem::path& installedDirectory,
                                          const CacheEnvironment& environment) {
  if (programDirectory.empty() || Normal(programDirectory) != Normal(installedDirectory)) {
    return programDirectory;
  }
  // A relative XDG_CACHE_HOME is invalid and ignored, as the base directory
  // rules say; so is a relative HOME.
  if (environment.xdgCacheHome.is_absolute()) {
    return environment.xdgCacheHome / "zarvo750";
  }
  if (environment.home.is_absolute()) {
    return environment.home / ".cache" / "zarvo750";
  }
  return {};
}

std::filesystem::path PreviewDirectory() {
  const std::filesystem::path programDirectory = ProgramDirectory();
  std::filesystem::path directory =
      PreviewDirectoryFor(programDirectory, Resolved(ZARVO_INSTALLED_BINDIR),
                          {.xdgCacheHome = Variable("XDG_CACHE_HOME"), .home = HomeDirectory()});
  if (!directory.empty() && directory != programDirectory) {
    CreatePrivateDirectories(directory);
  }
  return directory;
}

}  // namespace zarvo
