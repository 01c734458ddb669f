#include "app/startup.hpp"

#include "app/handlers.hpp"

namespace zarvo {

bool StartUp(ToolWindow& model, Services& services, FrontEnd& frontEnd) {
  InstallHandlers(model, services);
  if (!frontEnd.CreateView(model)) {
    return false;
  }
  model.Raise(std::nullopt, Event::Creation);
  frontEnd.StartTimer();
  frontEnd.Show();
  return true;
}

}  // namespace zarvo
