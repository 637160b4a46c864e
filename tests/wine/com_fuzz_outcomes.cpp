#include "com_fuzz_outcomes.h"

#include <cstdio>

#include "com_test_support.h"

namespace kestrune::test {

// The failures ITypeInfo::Invoke itself gives a call the member cannot take, before or
// instead of calling it, and the codes the component gives without an error object:
//   DISP_E_MEMBERNOTFOUND   an unknown DISPID, or a get, put or call the member has not
//   DISP_E_BADPARAMCOUNT    more arguments than the member takes
//   DISP_E_NOTACOLLECTION   more arguments than a property get takes: the rest would
//                           index what it returns, which is no collection
//   DISP_E_PARAMNOTOPTIONAL fewer than it needs
//   DISP_E_TYPEMISMATCH     an argument that does not convert, or one of a kind the
//                           member takes nothing of (EArgumentMismatch)
//   DISP_E_OVERFLOW         a number past the range of the parameter's type
//   DISP_E_BADVARTYPE       an argument of a type no VARIANT may have
//   DISP_E_PARAMNOTFOUND    a named argument the member has no parameter for
//   DISP_E_NONAMEDARGS      named arguments where the member takes none
//   DISP_E_UNKNOWNNAME      CopyTo's target has no Write method
//   DISP_E_BADINDEX         reserved for the collections' own index errors
//   E_INVALIDARG            DISPPARAMS that ITypeInfo::Invoke refuses whole
bool EngineFailure(HRESULT hr) {
    switch (hr) {
        case DISP_E_MEMBERNOTFOUND:
        case DISP_E_BADPARAMCOUNT:
        case DISP_E_NOTACOLLECTION:
        case DISP_E_PARAMNOTOPTIONAL:
        case DISP_E_TYPEMISMATCH:
        case DISP_E_OVERFLOW:
        case DISP_E_BADVARTYPE:
        case DISP_E_PARAMNOTFOUND:
        case DISP_E_NONAMEDARGS:
        case DISP_E_UNKNOWNNAME:
        case DISP_E_BADINDEX:
        case E_INVALIDARG:
            return true;
        default:
            return false;
    }
}

// Every description the component's error objects carry (the message constants of
// upload/, members/, multipart/ and server/).
bool Documented(const std::wstring& text) {
    static const wchar_t* const kTexts[] = {
        L"Index out of range.",
        L"Error. No file received.",
        L"Error saving file. Check the user permissions.",
        L"File type not allowed.",
        L"Naming not supported.",
        L"Hash algorithm not supported.",
        L"Limits must be set before the request is read.",
        L"Code page not supported.",
        L"Error reading uploaded file or form data.",
        L"Error creating variant array",
        L"Out of memory",
    };
    for (const wchar_t* known : kTexts) {
        if (text == known) return true;
    }
    return text.rfind(L"List index out of bounds (", 0) == 0;
}

// What a failed call may leave in its result: ITypeInfo::Invoke hands back the member's
// out parameter even when the member fails, and a member resets that on entry.
bool ResetValue(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_EMPTY:
            return true;
        case VT_BSTR:
            // The platform's Invoke may copy a null string as an empty one.
            return SysStringLen(V_BSTR(&value)) == 0;
        case VT_DISPATCH:
            return V_DISPATCH(&value) == nullptr;
        case VT_UNKNOWN:
            return V_UNKNOWN(&value) == nullptr;
        case VT_I4:
            return V_I4(&value) == 0;
        case VT_BOOL:
            return V_BOOL(&value) == VARIANT_FALSE;
        default:
            return false;
    }
}

std::string NarrowForReport(const std::wstring& text) {
    std::string narrow;
    for (wchar_t c : text) narrow += c < 0x80 ? static_cast<char>(c) : '?';
    return narrow;
}

std::string FailureFault(HRESULT hr, EXCEPINFO* exception, IErrorInfo* error, const std::wstring& origin) {
    std::wstring source;
    std::wstring description;
    bool described = false;
    if (hr == DISP_E_EXCEPTION && exception != nullptr) {
        if (exception->pfnDeferredFillIn) exception->pfnDeferredFillIn(exception);
        source = Wide(exception->bstrSource);
        description = Wide(exception->bstrDescription);
        SysFreeString(exception->bstrSource);
        SysFreeString(exception->bstrDescription);
        SysFreeString(exception->bstrHelpFile);
        // A member that fails with one of the engine's codes and nothing to say, as CopyTo
        // does for a target without Write: the engine raises that code's own error.
        if (source.empty() && description.empty() && EngineFailure(exception->scode)) return {};
        described = true;
    } else if (EngineFailure(hr)) {
        return {};
    } else if (error != nullptr) {
        source = Source(error);
        description = Description(error);
        described = true;
    }
    char code[16];
    std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
    if (!described) return std::string("failed with ") + code + " and no error object";
    if (source == origin && Documented(description)) return {};
    return std::string("failed with ") + code + ", source '" + NarrowForReport(source) + "', description '" +
           NarrowForReport(description) + "'";
}

std::string ValueFault(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_EMPTY:
        case VT_I4:
            return {};
        case VT_BOOL:
            return V_BOOL(&value) == VARIANT_TRUE || V_BOOL(&value) == VARIANT_FALSE
                       ? std::string()
                       : "a Boolean neither True nor False";
        case VT_BSTR: {
            const BSTR text = V_BSTR(&value);
            if (text == nullptr) return {};
            if (SysStringLen(text) > 64 * 1024 * 1024) return "an oversized text";
            return text[SysStringLen(text)] == 0 ? std::string() : "a text without its terminator";
        }
        case VT_DISPATCH: {
            // Nothing is a value too: Files("name") of no file.
            IUnknown* identity = nullptr;
            if (V_DISPATCH(&value) == nullptr) return {};
            if (FAILED(V_DISPATCH(&value)->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity))))
                return "an object that answers no QueryInterface";
            identity->Release();
            return {};
        }
        case VT_UNKNOWN: {
            IEnumVARIANT* enumerator = nullptr;
            if (V_UNKNOWN(&value) == nullptr || FAILED(V_UNKNOWN(&value)->QueryInterface(
                                                    IID_IEnumVARIANT, reinterpret_cast<void**>(&enumerator))))
                return "an enumerator that is none";
            enumerator->Release();
            return {};
        }
        case VT_ARRAY | VT_UI1: {
            LONG lower = -1;
            LONG upper = -2;
            SAFEARRAY* array = V_ARRAY(&value);
            if (array == nullptr || SafeArrayGetDim(array) != 1 ||
                FAILED(SafeArrayGetLBound(array, 1, &lower)) ||
                FAILED(SafeArrayGetUBound(array, 1, &upper)) || lower != 1 || upper < 0)
                return "a byte array that is not one dimension from 1";
            return {};
        }
        default:
            return "a result of type " + std::to_string(V_VT(&value));
    }
}

}  // namespace kestrune::test
