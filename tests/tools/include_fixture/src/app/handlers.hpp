// The wiring stands on the actions.
#pragma once

#include "conversion/action.hpp"
