// The model stands on the platform.
#pragma once

#include "platform/services.hpp"
