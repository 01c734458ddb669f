#include "conversion/generate_action.hpp"

#include "conversion/convert.hpp"
#include "platform/gbk.hpp"

namespace zarvo {
namespace {

// The generate button shows that it is busy: normal weight, "使劲生成中",
// disabled.
void EnterBusyState(ToolWindow& window) {
  window.SetBold(kGenerateButton, false);
  window.SetText(kGenerateButton, Utf8ToGbk("使劲生成中"));
  window.SetEnabled(kGenerateButton, false);
}

void LeaveBusyState(ToolWindow& window) {
  window.SetBold(kGenerateButton, true);
  window.SetText(kGenerateButton, Utf8ToGbk(kGenerateCaption));
  window.SetEnabled(kGenerateButton, true);
}

void ShowStatus(ToolWindow& window, std::string_view utf8) {
  window.SetText(kStatusLabel, Utf8ToGbk(utf8));
  window.SetVisible(kStatusLabel, true);
}

}  // namespace

void GenerateAndCopy(ToolWindow& window, Clipboard& clipboard, Files& files,
                     const std::filesystem::path& programDirectory) {
  // The preview template is read first, the area template after entering the
  // busy state: each holder counts as it stands when it is read.
  const std::string previewTemplate = window.Text(kPreviewHolder);
  EnterBusyState(window);

  const int targetArea = window.Selection(kAreaSelector);
  TemplateSet templates;
  if (targetArea == 0) {
    templates.area750Template = window.Text(kArea750Holder);
  } else if (targetArea == 1) {
    templates.area190Template = window.Text(kArea190Holder);
  }

  if (templates.area750Template.empty() && templates.area190Template.empty()) {
    // Without a template there is nothing to install: say so instead of
    // reporting a success, and leave the clipboard and the preview alone.
    window.SetText(kCodeOutputBox, {});
    ShowStatus(window, kTemplateMissing);
    LeaveBusyState(window);
    return;
  }

  window.SetText(kCodeOutputBox, ConvertCode(templates, targetArea, window.Text(kSpacingBox),
                                             window.Text(kModuleHeightBox), window.Text(kOffsetBox),
                                             window.Text(kCodeInputBox)));
  const std::string& output = window.Text(kCodeOutputBox);
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
  window.On(kGenerateButton, Event::Click, [&services](ToolWindow& w) {
    GenerateAndCopy(w, services.clipboard, services.files, services.programDirectory);
  });
}

}  // namespace zarvo
