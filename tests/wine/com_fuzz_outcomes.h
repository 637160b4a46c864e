// What the COM-face fuzzer accepts of a call's outcome: the failures a script may be
// given, and the values a call may hand back.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <string>

namespace kestrune::test {

// One of the failures ITypeInfo::Invoke or the component gives without an error object.
bool EngineFailure(HRESULT hr);

// One of the descriptions the component's error objects carry.
bool Documented(const std::wstring& text);

// What a failed call may leave in its result.
bool ResetValue(const VARIANT& value);

// What is wrong with a failed call's outcome, empty when nothing: hr, the EXCEPINFO
// (null when the call had none; its texts are freed) and the thread's error object
// (null when none), for an object whose errors name origin.
std::string FailureFault(HRESULT hr, EXCEPINFO* exception, IErrorInfo* error, const std::wstring& origin);

// What is wrong with a value a call handed back, empty when nothing.
std::string ValueFault(const VARIANT& value);

// ASCII as it is, anything else as '?': enough for a finding's report.
std::string NarrowForReport(const std::wstring& text);

}  // namespace kestrune::test
