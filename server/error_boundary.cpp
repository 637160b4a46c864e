#include "server/error_boundary.h"

#include <exception>
#include <new>

#include "base/exceptions.h"
#include "com/error_info.h"
#include "com/text_conversion.h"

namespace kestrune {

namespace {

// Fills and publishes the thread's error object. Any failure on the way leaves the
// result as it is and publishes nothing.
void PublishErrorObject(const ErrorOrigin& origin, const std::string* description, std::int32_t helpContext) {
    try {
        ErrorFields fields;
        fields.guid = origin.guid;
        fields.source = origin.source.c_str();
        std::wstring wide;
        if (description != nullptr) {
            wide = WideFromNarrow(*description);
            fields.description = wide.c_str();
            fields.helpContext = static_cast<DWORD>(helpContext);
        }
        PublishError(fields);
    } catch (...) {
        // Out of memory while describing the failure: the result alone has to do.
    }
}

}  // namespace

HRESULT ExceptionToResult(const ErrorOrigin& origin) noexcept {
    try {
        throw;
    } catch (const EArgumentMismatch&) {
        // A stale error object would give the engine's error another description.
        SetErrorInfo(0, nullptr);
        return DISP_E_TYPEMISMATCH;
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
