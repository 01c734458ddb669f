// Runs a program as a separate process with the given arguments (UTF-8) and
// standard input, and collects its exit code and both output streams.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "support/test_files.hpp"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/gbk.hpp"

namespace zarvo::test {

struct ProgramRun {
  int exitCode = -1;
  std::string out;
  std::string err;
};

#ifdef _WIN32
inline std::wstring Wide(std::string_view utf8) {
  const std::u16string text = Utf8ToUtf16(utf8);
  return {text.begin(), text.end()};
}

// One argument quoted as the C runtime splits a command line.
inline std::wstring QuotedArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) {
    return argument;
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (const wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted += c;
  }
  quoted.append(backslashes * 2, L'\\');
  return quoted + L"\"";
}

inline HANDLE InheritableFile(const std::filesystem::path& path, bool write) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  return CreateFileW(path.c_str(), write ? GENERIC_WRITE : GENERIC_READ,
                     FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                     write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}
#endif

// `scratch` is a directory for the streams' files.
inline ProgramRun RunProgram(const std::filesystem::path& program,
                             const std::vector<std::string>& arguments, const std::string& input,
                             const std::filesystem::path& scratch) {
  const std::filesystem::path in = scratch / "stdin", out = scratch / "stdout",
                              err = scratch / "stderr";
  { std::ofstream(in, std::ios::binary) << input; }
  ProgramRun run;
#ifdef _WIN32
  std::wstring commandLine = QuotedArgument(program.wstring());
  for (const std::string& argument : arguments) {
    commandLine += L" " + QuotedArgument(Wide(argument));
  }
  HANDLE streams[] = {InheritableFile(in, false), InheritableFile(out, true),
                      InheritableFile(err, true)};
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = streams[0];
  startup.hStdOutput = streams[1];
  startup.hStdError = streams[2];
  PROCESS_INFORMATION process{};
  if (CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                     &startup, &process)) {
    WaitForSingleObject(process.hProcess, 60'000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    run.exitCode = static_cast<int>(code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
  for (HANDLE stream : streams) {
    CloseHandle(stream);
  }
#else
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, in.c_str(), O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  std::vector<std::string> argv = {program.string()};
  argv.insert(argv.end(), arguments.begin(), arguments.end());
  std::vector<char*> pointers;
  for (std::string& argument : argv) {
    pointers.push_back(argument.data());
  }
  pointers.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ) == 0) {
    int status = 0;
    waitpid(pid, &status, 0);
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  posix_spawn_file_actions_destroy(&actions);
#endif
  run.out = ReadFile(out);
  run.err = ReadFile(err);
  std::filesystem::remove(in);
  std::filesystem::remove(out);
  std::filesystem::remove(err);
  return run;
}

}  // namespace zarvo::test
