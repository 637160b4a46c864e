// The one place where exceptions stop. Every script-facing member runs its body through
// Guarded: a body that completes gives S_OK; an escaping exception becomes an HRESULT
// plus an error object published on the thread.
//
//   Exception family   E_UNEXPECTED, or an EOleSysError's own code when it is negative;
//                      the error object carries the message and help context
//   EArgumentMismatch  DISP_E_TYPEMISMATCH with no error object (the thread's one is
//                      cleared), so the script engine raises its own type mismatch, as
//                      for an argument that ITypeInfo::Invoke cannot convert
//   std::bad_alloc     E_UNEXPECTED with the message "Out of memory"
//   std::exception     E_UNEXPECTED with an error object that has no description
//   anything else      E_UNEXPECTED, no error object; the thread's one stays as it was
//
// The error object's GUID is the class's error interface (IID_ITessock), its source the
// ProgID; it never names a help file.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>

namespace kestrune {

// An argument of a kind the member takes nothing of (Null, an object, an array).
class EArgumentMismatch : public std::runtime_error {
public:
    EArgumentMismatch() : std::runtime_error("argument type mismatch") {}
};

struct ErrorOrigin {
    IID guid;
    std::wstring source;
};

// Must be called from inside a catch handler.
HRESULT ExceptionToResult(const ErrorOrigin& origin) noexcept;

template <typename Body>
HRESULT Guarded(const ErrorOrigin& origin, Body&& body) noexcept {
    try {
        body();
        return S_OK;
    } catch (...) {
        return ExceptionToResult(origin);
    }
}

}  // namespace kestrune
