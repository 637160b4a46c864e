// The intrinsic Server object: Server.CreateObject(ProgID) makes an in-process object
// and hands its IDispatch to the script.
#pragma once

#include "dispatch_object.h"

namespace kestrune {

class ServerObject final : public DispatchObject<IDispatch> {
public:
    ServerObject();

    // A failure reaches the script with the creation's own result code, so a component
    // whose creation fails shows its code (Err.Number) rather than a generic one.
    static HRESULT CreateObject(BSTR prog_id, IDispatch** object);

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) override;
};

}  // namespace kestrune
