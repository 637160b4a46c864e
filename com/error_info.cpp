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

}  // namespace kestrune
