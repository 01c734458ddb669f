#include "conversion/generate_action.hpp"

#include "conversion/convert.hpp"
#include "platform/gbk.hpp"

namespace zarvo {
namespace {

using enum ControlId;

// 按钮1 shows that it is busy: normal weight, "使劲生成中", disabled.
void EnterBusyState(ToolWindow& window) {
  window.SetBold(按钮1, false);
  window.SetText(按钮1, Utf8ToGbk("使劲生成中"));
  window.SetEnabled(按钮1, false);
}

void LeaveBusyState(ToolWindow& window) {
  window.SetBold(按钮1, true);
  window.SetText(按钮1, Utf8ToGbk("生成并复制"));
  window.SetEnabled(按钮1, true);
}

void ShowStatus(ToolWindow& window, std::string_view utf8) {
  window.SetText(透明标签生成结果, Utf8ToGbk(utf8));
  window.SetVisible(透明标签生成结果, true);
}

}  // namespace

void GenerateAndCopy(ToolWindow& window, Clipboard& clipboard, Files& files,
                     const std::filesystem::path& programDirectory) {
  // The preview template is read first, the area template after entering the
  // busy state: each holder counts as it stands when it is read.
  const std::string previewTemplate = window.Text(编辑框8);
  EnterBusyState(window);

  const int targetArea = window.Selection(组合框1);
  TemplateSet templates;
  if (targetArea == 0) {
    templates.area750Template = window.Text(编辑框9);
  } else if (targetArea == 1) {
    templates.area190Template = window.Text(编辑框7);
  }

  if (templates.area750Template.empty() && templates.area190Template.empty()) {
    // Without a template there is nothing to install: say so instead of
    // reporting a success, and leave the clipboard and the preview alone.
    window.SetText(编辑框3, {});
    ShowStatus(window, kTemplateMissing);
    LeaveBusyState(window);
    return;
  }

  window.SetText(编辑框3,
                 ConvertCode(templates, targetArea, window.Text(编辑框4), window.Text(编辑框5),
                             window.Text(编辑框6), window.Text(编辑框1)));
  const std::string& output = window.Text(编辑框3);
  const bool copied = clipboard.SetText(output);
  ShowStatus(window, copied ? kGeneratedAndCopied : kGeneratedNotCopied);

  // A program whose directory is unknown writes no preview rather than one at
  // the root of the file system.
  if (!programDirectory.empty()) {
    files.WriteFile(PreviewFilePath(programDirectory), BuildPreviewPage(previewTemplate, output));
  }
  LeaveBusyState(window);
}

void RegisterGenerateAction(ToolWindow& window, Services& services) {
  window.On(按钮1, Event::Click, [&services](ToolWindow& w) {
    GenerateAndCopy(w, services.clipboard, services.files, services.programDirectory);
  });
}

}  // namespace zarvo
