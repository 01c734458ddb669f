// Ground: the interfaces.
#pragma once
