#include "com/error_info.h"

#include <oleauto.h>

#include "com/com_ptr.h"

namespace kestrune {

bool PublishError(const ErrorFields& fields) noexcept {
    ComPtr<ICreateErrorInfo> created;
    if (FAILED(CreateErrorInfo(created.Out())) || !created) return false;
    // The setters take non-const strings but copy them.
    created->SetGUID(fields.guid);
    if (fields.source) created->SetSource(const_cast<LPOLESTR>(fields.source));
    if (fields.description) created->SetDescription(const_cast<LPOLESTR>(fields.description));
    if (fields.helpFile) created->SetHelpFile(const_cast<LPOLESTR>(fields.helpFile));
    created->SetHelpContext(fields.helpContext);
    ComPtr<IErrorInfo> error;
    if (FAILED(created.As(error)) || !error) return false;
    return SUCCEEDED(SetErrorInfo(0, error.Get()));
}

HRESULT TakeExceptionInfo(EXCEPINFO& exception, bool* published) noexcept {
    if (exception.pfnDeferredFillIn != nullptr) exception.pfnDeferredFillIn(&exception);
    const bool says = exception.bstrSource != nullptr || exception.bstrDescription != nullptr;
    if (says) {
        ErrorFields fields;
        fields.source = exception.bstrSource;
        fields.description = exception.bstrDescription;
        fields.helpFile = exception.bstrHelpFile;
        fields.helpContext = exception.dwHelpContext;
        PublishError(fields);
    }
    if (published != nullptr) *published = says;
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    exception.bstrSource = exception.bstrDescription = exception.bstrHelpFile = nullptr;
    if (FAILED(exception.scode)) return exception.scode;
    return exception.wCode != 0 ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, exception.wCode) : E_FAIL;
}

}  // namespace kestrune
