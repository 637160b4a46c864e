#include "dispatch_object.h"

namespace kestrune {

HRESULT LookUpNames(const DispatchMember* table, std::size_t table_size, LPOLESTR* names, UINT name_count,
                    DISPID* ids) {
    if (!names || !ids) return E_POINTER;
    if (name_count == 0) return S_OK;
    // Only member names: none of the host's members takes named arguments.
    for (UINT i = 0; i < name_count; ++i) ids[i] = DISPID_UNKNOWN;
    for (std::size_t i = 0; i < table_size; ++i) {
        if (names[0] && _wcsicmp(names[0], table[i].name) == 0) {
            ids[0] = table[i].id;
            return name_count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
        }
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT ReportInvokeFailure(HRESULT failure, EXCEPINFO* exception) {
    if (!exception) return failure;
    *exception = EXCEPINFO{};
    exception->scode = failure;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        info->GetSource(&exception->bstrSource);
        info->GetDescription(&exception->bstrDescription);
        info->GetHelpFile(&exception->bstrHelpFile);
        info->GetHelpContext(&exception->dwHelpContext);
        info->Release();
    }
    return DISP_E_EXCEPTION;
}

VARIANT* PositionalArgument(DISPPARAMS* params, UINT count, UINT index) {
    if (params->cArgs != count || index >= count) return nullptr;
    return &params->rgvarg[count - 1 - index];
}

}  // namespace kestrune
