#include "platform/services.hpp"

namespace zarvo {

std::filesystem::path DirectoryOfExecutable(const std::filesystem::path& executable) {
  const auto& native = executable.native();
  const auto cut = native.find_last_of(
      std::filesystem::path::string_type{std::filesystem::path::preferred_separator,
                                         static_cast<std::filesystem::path::value_type>('/')});
  if (cut == std::filesystem::path::string_type::npos) {
    return {};
  }
  return std::filesystem::path(native.substr(0, cut));
}

std::filesystem::path PreviewFilePath(const std::filesystem::path& programDirectory) {
  // Joined as text: path's operator/ would make "C:" + "yl.htm" the
  // drive-relative "C:yl.htm".
  auto native = programDirectory.native();
  native.push_back(std::filesystem::path::preferred_separator);
  for (char c : std::string_view("yl.htm")) {
    native.push_back(static_cast<std::filesystem::path::value_type>(c));
  }
  return std::filesystem::path(native);
}

}  // namespace zarvo
