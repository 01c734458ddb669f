// The generate button: wraps the pasted code into the chosen area's template,
// shows it, copies it and writes the preview page beside the program.
#pragma once

#include <filesystem>

#include "app/tool_window.hpp"
#include "platform/services.hpp"

namespace zarvo {

// What the status label says after a generation (UTF-8).
// Success is kGeneratedAndCopied, the status label's text in the control table.
inline constexpr std::string_view kGeneratedNotCopied =
    "代码已生成，但复制失败，请手动复制输出框中的代码";
inline constexpr std::string_view kTemplateMissing = "模板尚未加载，请检查网络后重新打开本工具";

void GenerateAndCopy(ToolWindow& window, Clipboard& clipboard, Files& files,
                     const std::filesystem::path& programDirectory);

void RegisterGenerateAction(ToolWindow& window, Services& services);

}  // namespace zarvo
