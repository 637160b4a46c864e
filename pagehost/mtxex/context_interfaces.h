// Kept for the page host's includes until they name com/object_context_interfaces.h,
// where the interfaces and the stand-in's entry points are now declared.
#pragma once

#include "com/object_context_interfaces.h"
