// The stand-in mtxex.dll's two exports, for callers that look them up with GetProcAddress,
// and the object-context interfaces it serves (declared once, beside the component's
// own lookup).
#pragma once

#include "host/win32/context_interfaces.h"

namespace kestrune {

using GetObjectContextFunction = HRESULT(__cdecl*)(IObjectContext** context);
using SetHostObjectsFunction = void(__stdcall*)(IUnknown* request, IUnknown* response);

}  // namespace kestrune
