#include "server/error_boundary.h"

#include <oleauto.h>

#include <exception>
#include <new>

#include "base/exceptions.h"
#include "com/com_ptr.h"
#include "com/owners.h"
#include "com/text_conversion.h"

namespace kestrune {

namespace {

// Fills and publishes the thread's error object. Any failure on the way leaves the
// result as it is and publishes nothing.
void PublishErrorObject(const ErrorOrigin& origin, const std::string* description, std::int32_t helpContext) {
    try {
        ComPtr<ICreateErrorInfo> created;
        if (FAILED(CreateErrorInfo(created.Out())) || !created) return;
        created->SetGUID(origin.guid);
        created->SetSource(const_cast<LPOLESTR>(origin.source.c_str()));
        if (description != nullptr) {
            const std::wstring wide = WideFromNarrow(*description);
            created->SetDescription(const_cast<LPOLESTR>(wide.c_str()));
            created->SetHelpContext(static_cast<DWORD>(helpContext));
        }
        ComPtr<IErrorInfo> error;
        if (SUCCEEDED(created.As(IID_IErrorInfo, error)) && error) SetErrorInfo(0, error.Get());
    } catch (...) {
        // Out of memory while describing the failure: the result alone has to do.
    }
}

}  // namespace

HRESULT ExceptionToResult(const ErrorOrigin& origin) noexcept {
    try {
        throw;
    } catch (const EOleSysError& error) {
        PublishErrorObject(origin, &error.Message(), error.HelpContext());
        return error.ErrorCode() < 0 ? static_cast<HRESULT>(error.ErrorCode()) : E_UNEXPECTED;
    } catch (const Exception& error) {
        PublishErrorObject(origin, &error.Message(), error.HelpContext());
        return E_UNEXPECTED;
    } catch (const std::bad_alloc&) {
        static const std::string kOutOfMemory = "Out of memory";
        PublishErrorObject(origin, &kOutOfMemory, 0);
        return E_UNEXPECTED;
    } catch (const std::exception&) {
        PublishErrorObject(origin, nullptr, 0);
        return E_UNEXPECTED;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

}  // namespace kestrune
