#include "conversion/generate_action.hpp"

#include "conversion/convert.hpp"
#include "platform/gbk.hpp"
#include "templates/builtin_templates.hpp"

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
  // busy state: each holder counts as it stands when it is read. An empty
  // holder (the fetch failed or has not finished) gives way to the built-in
  // template; the holders themselves keep what the fetch brought.
  const TemplateSet& builtin = BuiltinTemplates();
  bool builtinUsed = false;
  auto orBuiltin = [&builtinUsed](std::string held, const std::string& fallback) {
    if (held.empty()) {
      builtinUsed = true;
      return fallback;
    }
    return held;
  };
  const std::string previewTemplate =
      orBuiltin(window.Text(kPreviewHolder), builtin.previewTemplate);
  EnterBusyState(window);

  const int targetArea = window.Selection(kAreaSelector);
  TemplateSet templates;
  if (targetArea == 0) {
    templates.area750Template = orBuiltin(window.Text(kArea750Holder), builtin.area750Template);
  } else if (targetArea == 1) {
    templates.area190Template = orBuiltin(window.Text(kArea190Holder), builtin.area190Template);
  } else {
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

  // A program whose directory is unknown writes no preview rather than one at
  // the root of the file system; the user is told either way that there is no
  // new page to look at.
  const bool written =
      !programDirectory.empty() &&
      files.WriteFile(PreviewFilePath(programDirectory), BuildPreviewPage(previewTemplate, output));

  if (!copied) {
    ShowStatus(window, kGeneratedNotCopied);
  } else if (!written) {
    ShowStatus(window, kPreviewNotWritten);
  } else if (builtinUsed) {
    ShowStatus(window, kBuiltinTemplatesUsed);
  } else {
    ShowStatus(window, kGeneratedAndCopied);
  }
  LeaveBusyState(window);
}

void RegisterGenerateAction(ToolWindow& window, Services& services) {
  window.On(kGenerateButton, Event::Click, [&services](ToolWindow& w) {
    GenerateAndCopy(w, services.clipboard, services.files, services.programDirectory);
  });
}

}  // namespace zarvo
