// What the module builds when it loads and frees when it unloads.
#pragma once

namespace kestrune {

class TAutoObjectFactory;

// The factory for Tessock; null when it could not be built at load.
TAutoObjectFactory* TessockFactory();

}  // namespace kestrune
