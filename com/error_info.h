// Publishing the thread's error object (CreateErrorInfo, then SetErrorInfo), the way a
// failing automation member tells its caller more than an HRESULT.
//
//   ErrorFields fields;
//   fields.guid = IID_IWidget;
//   fields.source = L"Widgets.Widget";
//   fields.description = L"The widget is broken";
//   PublishError(fields);
//   return E_FAIL;
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace kestrune {

// What the error object says; a null string is left unset.
struct ErrorFields {
    GUID guid = GUID_NULL;
    const wchar_t* source = nullptr;
    const wchar_t* description = nullptr;
    const wchar_t* helpFile = nullptr;
    DWORD helpContext = 0;
};

// Sets the thread's error object; false, with nothing published, when none could be made.
bool PublishError(const ErrorFields& fields) noexcept;

// Takes what a failed IDispatch::Invoke left in exception (after its deferred fill-in):
// publishes it as the thread's error object where it says anything (a source or a
// description), frees its strings, and returns its code (E_FAIL where it has none, or
// the wCode as a control's error).
HRESULT TakeExceptionInfo(EXCEPINFO& exception, bool* published = nullptr) noexcept;

}  // namespace kestrune
