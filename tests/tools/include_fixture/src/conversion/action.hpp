// An action that reaches up into the wiring: the include the check must find.
#pragma once

#include "app/handlers.hpp"
#include "app/tool_window.hpp"
