#include "templates/template_fetch.hpp"

#include <optional>

namespace zarvo {
namespace {

struct Template {
  std::string_view path;
  ControlId holder;
};

constexpr Template kPreview{kPreviewTemplatePath, kPreviewHolder};
constexpr Template kArea750{kArea750TemplatePath, kArea750Holder};
constexpr Template kArea190{kArea190TemplatePath, kArea190Holder};

class Fetcher {
 public:
  Fetcher(ToolWindow& window, WindowThread& windowThread, HttpClient& http, std::string_view host)
      : window_(window), windowThread_(windowThread), http_(http), host_(host) {}

  // The first fetch of a template always replaces its holder, with the empty
  // text when the fetch failed.
  void FetchInto(const Template& t) {
    const std::optional<std::string> body = http_.FetchUrlBody(TemplateUrl(host_, t.path));
    Write(t.holder, body ? TemplateText(*body) : std::string());
  }

  // A fetch of the second round replaces its holder only when it brought a
  // template: a broken or empty retry must not wipe out a template that the
  // first round delivered (and an empty holder stays empty either way).
  void FetchAgainInto(const Template& t) {
    const std::optional<std::string> body = http_.FetchUrlBody(TemplateUrl(host_, t.path));
    if (body) {
      if (std::string text = TemplateText(*body); !text.empty()) {
        Write(t.holder, std::move(text));
      }
    }
  }

  bool HolderEmpty(ControlId holder) {
    bool empty = false;
    windowThread_.RunAndWait([&] { empty = window_.Text(holder).empty(); });
    return empty;
  }

 private:
  void Write(ControlId holder, std::string text) {
    windowThread_.RunAndWait([&] { window_.SetText(holder, std::move(text)); });
  }

  ToolWindow& window_;
  WindowThread& windowThread_;
  HttpClient& http_;
  std::string_view host_;
};

}  // namespace

std::string_view TemplateHost() {
#ifdef ZARVO_TEMPLATE_HOST
  return ZARVO_TEMPLATE_HOST;
#else
  return "127.0.0.1:8750";
#endif
}

std::string TemplateUrl(std::string_view host, std::string_view path) {
  std::string url = "http://";
  url += host;
  url += path;
  return url;
}

std::string TemplateText(std::string_view body) {
  return std::string(body.substr(0, body.find('\0')));
}

void FetchTemplates(ToolWindow& window, WindowThread& windowThread, HttpClient& http,
                    std::string_view host) {
  Fetcher fetcher(window, windowThread, http, host);
  fetcher.FetchInto(kPreview);
  fetcher.FetchInto(kArea750);
  fetcher.FetchInto(kArea190);
  if (fetcher.HolderEmpty(kArea750.holder)) {
    fetcher.FetchAgainInto(kArea750);
    fetcher.FetchAgainInto(kArea190);
  }
}

void StartTemplateFetch(ToolWindow& window, Services& services) {
  // The services themselves, not the Services record, which the front end
  // may destroy while the worker still runs.
  WindowThread& windowThread = services.windowThread;
  HttpClient& http = services.http;
  services.threads.StartDetached([&window, &windowThread, &http] {
    FetchTemplates(window, windowThread, http, TemplateHost());
  });
}

void RegisterTemplateFetch(ToolWindow& window, Services& services) {
  window.On(std::nullopt, Event::Creation,
            [&services](ToolWindow& w) { StartTemplateFetch(w, services); });
}

}  // namespace zarvo
