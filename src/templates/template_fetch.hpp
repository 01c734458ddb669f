// Fetching the three templates from the template server when the window opens.
//
// A worker thread fetches the preview page, the 750-area and the 190-area
// templates one after another and puts each into its hidden holder box. When
// the 750-area holder is still empty after that, both area templates are
// fetched once more: three or five fetches a run. Every write of a holder, and
// the one read of the 750-area holder, is handed to the window thread while the
// worker waits.
#pragma once

#include <string>
#include <string_view>

#include "app/tool_window.hpp"
#include "platform/services.hpp"

namespace zarvo {

// Fixed paths of the templates on the template server.
inline constexpr std::string_view kPreviewTemplatePath = "/zarvoxz/yl/jsb.txt";
inline constexpr std::string_view kArea750TemplatePath =
    "/zarvorjkaikai/tasfdg74/gjx/750tpgj/750.txt";
inline constexpr std::string_view kArea190TemplatePath =
    "/zarvorjkaikai/tasfdg74/gjx/750tpgj/190.txt";

// The template server's host as this program was built ("host" or
// "host:port").
std::string_view TemplateHost();

// "http://" + host + path.
std::string TemplateUrl(std::string_view host, std::string_view path);

// A response body as template text: its bytes up to the first zero byte.
std::string TemplateText(std::string_view body);

// The worker's whole work; returns when the last fetch has been handed over.
// A failed fetch leaves its holder empty, except in the second round, where it
// never throws away a template that the holder already holds.
void FetchTemplates(ToolWindow& window, WindowThread& windowThread, HttpClient& http,
                    std::string_view host);

// Starts FetchTemplates on a detached thread against the built-in host and
// returns at once. The worker keeps the window, the window thread and the HTTP
// client by reference: the client must live until the process ends, and the
// window thread must run no more tasks once the window is gone.
void StartTemplateFetch(ToolWindow& window, Services& services);

// Binds StartTemplateFetch to the window's creation event.
void RegisterTemplateFetch(ToolWindow& window, Services& services);

}  // namespace zarvo
