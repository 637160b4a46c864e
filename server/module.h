// What the module builds when it loads and frees when it unloads.
#pragma once

#include <vector>

namespace kestrune {

class TAutoObjectFactory;

// The factories for Tessock and for Upload, in that order; either is null when it could
// not be built at load, and the list is empty before load and after unload.
std::vector<TAutoObjectFactory*> ClassFactories();

}  // namespace kestrune
