// The small actions around a conversion: the placeholder table (按钮3), the
// status reset on each tick of the status timer (时钟1) and the preview (按钮2).
#pragma once

#include "app/tool_window.hpp"
#include "platform/services.hpp"

namespace zarvo {

// Placeholder: the template of 编辑框10 with its first "高度" replaced by the
// module height as typed goes to the clipboard; 按钮3 then says "生成成功", or
// "复制失败" when the clipboard refused it.
// Status reset: hides the status label 透明标签生成结果 and puts 按钮3 back to
// its caption in the control table, on every tick.
// Preview: hands yl.htm in the program's directory to the desktop's opener,
// whether or not it exists.
void RegisterStatusActions(ToolWindow& window, Services& services);

}  // namespace zarvo
