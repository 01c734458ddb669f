// The read button: the module height, read out of the pasted code.
#pragma once

#include <string>
#include <string_view>

namespace zarvo {

class ToolWindow;

// The height pattern; its one group holds the digits of a declared height.
inline constexpr std::string_view kHeightPattern = "height:?=?\\s?(\\d{2,4})";

// Among the first ten heights declared in `code` (GBK), the largest: the
// first one exactly as written (leading zeros kept) unless a later one is
// greater, which then comes in plain digits. Empty when there is none.
std::string DetectModuleHeight(std::string_view code);

// The click of 超级按钮1 (read height) writes DetectModuleHeight of the code
// input box 编辑框1 into the module height box 编辑框5, also when it is empty.
void RegisterHeightDetection(ToolWindow& window);

}  // namespace zarvo
