#include "conversion/status_actions.hpp"

#include "conversion/convert.hpp"
#include "conversion/text.hpp"
#include "platform/gbk.hpp"

namespace zarvo {
namespace {

void CopyPlaceholder(ToolWindow& window, Clipboard& clipboard) {
  // The height goes in as typed: a placeholder stands for a module of the
  // other area, so no spacing correction applies to it.
  const std::string table = SubstituteText(window.Text(kPlaceholderTemplateBox), kHeightToken,
                                           window.Text(kModuleHeightBox), 1, 1, false);
  const bool copied = clipboard.SetText(table);
  // Saying "generated" when nothing reached the clipboard would have the user
  // paste whatever was there before.
  window.SetText(kPlaceholderButton, Utf8ToGbk(copied ? "生成成功" : "复制失败"));
}

void ResetStatus(ToolWindow& window) {
  // Hidden whatever it says: success or a failure of the last generation.
  window.SetVisible(kStatusLabel, false);
  window.SetText(kPlaceholderButton, Utf8ToGbk(kPlaceholderCaption));
}

}  // namespace

void RegisterStatusActions(ToolWindow& window, Services& services) {
  window.On(kPlaceholderButton, Event::Click,
            [&services](ToolWindow& w) { CopyPlaceholder(w, services.clipboard); });
  window.On(kStatusResetTimer, Event::Tick, ResetStatus);
  // The shell reports nothing back; a missing page is the browser's to show.
  window.On(kPreviewButton, Event::Click, [&services](ToolWindow&) {
    services.shell.OpenWithDefaultProgram(PreviewFilePath(services.programDirectory));
  });
}

}  // namespace zarvo
