// Self-registration: the type library first, then the class entries under
// HKEY_CLASSES_ROOT, in a fixed order. Writing twice overwrites in place; removing what
// is not there is no error.
#pragma once

namespace kestrune {

class TAutoObjectFactory;

// Throws on a type-library or registry failure; entries already written stay.
void RegisterClassEntries(TAutoObjectFactory& factory);

// Throws only when the type library's attributes cannot be read. The ProgID stays while
// the other build (32-bit or 64-bit) is still registered: the two share that key.
void UnregisterClassEntries(TAutoObjectFactory& factory);

}  // namespace kestrune
