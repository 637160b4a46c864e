// The platform half of reporting failures: the thread's error object and the system's
// message table feed the portable rules of base/host_failure.h.
#pragma once

#include <windows.h>

#include <string>

#include "base/host_failure.h"

namespace kestrune {

// Takes the thread's current error object (GetErrorInfo clears it); all empty without one.
HostErrorInfo TakeThreadErrorInfo();

// The system's message text for code; empty when the system has none.
std::string SystemMessage(HResult code);

// Raises the EOleException of a failing call into a host object when hr is negative.
void CheckHostResult(HRESULT hr);

// Raises an EOleSysError carrying hr, with the system's text, when hr is negative.
void CheckPlatformResult(HRESULT hr);

}  // namespace kestrune
