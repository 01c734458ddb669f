// zarvo750-cli: the conversion of the tool window for files and pipes. The
// commands and their options are those of kUsage; what they reach of the
// operating system goes through CliSystem, one implementation per platform.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/services.hpp"

namespace zarvo {

inline constexpr std::string_view kUsage =
    R"(zarvo750-cli convert [options] [FILE]   convert the code in FILE (standard input when absent or "-")
    --area 750|190                 target area (default 750)
    --width full|950               code width (default 950; --area 190 implies full)
    --spacing TEXT                 the spacing value, as the spacing box takes it (default "0")
    --height TEXT|auto             the module height, as the height box takes it (default "580");
                                   auto: the height that the read button would find in the code
    --offset TEXT                  the offset (default: 950 gives -200, full gives -574, 190 gives -94)
    --template FILE                the area template from a file, instead of the template server
    --preview FILE                 also write the preview page (the preview template filled) to FILE
    -o FILE, --output FILE         write the result to FILE instead of standard output
zarvo750-cli height [FILE]           print the height the read button would write; exit 1 when none
zarvo750-cli placeholder [--height TEXT]   print the placeholder table for the height (default "580")
zarvo750-cli fetch DIR               fetch the three templates into DIR, under their server paths;
                                     exit 1 when any fetch failed
options of every command:
    --template-host HOST[:PORT]    as for the window program (also ZARVO_TEMPLATE_HOST)
    --encoding gbk|utf-8           encoding of the code read and the text written (default gbk)
    --help, --version
)";

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitNotFound = 1;  // no height; a template not fetched
inline constexpr int kExitError = 2;     // bad command line, unreadable or unwritable file

// The operating system as the command-line program sees it. Paths and
// messages are UTF-8 (on Linux, a path's bytes as given).
class CliSystem {
 public:
  virtual ~CliSystem() = default;
  // The whole file, or nothing with the reason in `error`.
  virtual std::optional<std::string> ReadFile(const std::string& path, std::string& error) = 0;
  virtual std::optional<std::string> ReadStandardInput(std::string& error) = 0;
  // Writes the bytes to a new file beside `path` and returns that file's
  // path; nothing (and the reason) when it could not be written whole.
  virtual std::optional<std::string> WriteTemporary(const std::string& path, std::string_view bytes,
                                                    std::string& error) = 0;
  // Puts the temporary file in the place of `path`, replacing what is there.
  virtual bool Replace(const std::string& temporary, const std::string& path,
                       std::string& error) = 0;
  virtual void Remove(const std::string& path) = 0;
  virtual bool CreateDirectories(const std::string& path, std::string& error) = 0;
  virtual bool WriteStandardOutput(std::string_view bytes) = 0;
  // One line of text for the user, without its line end.
  virtual void WriteError(std::string_view line) = 0;
  // The value of an environment variable; nothing when it is not set.
  virtual std::optional<std::string> Environment(const char* name) = 0;
  virtual HttpClient& Http() = 0;
};

// Runs one command line (the arguments after the program's name, UTF-8) and
// returns the exit code.
int RunCli(const std::vector<std::string>& arguments, CliSystem& system);

// The byte offset of the first byte that is not part of well-formed UTF-8;
// nothing when all of `text` is.
std::optional<size_t> InvalidUtf8Offset(std::string_view text);

}  // namespace zarvo
