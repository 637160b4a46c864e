// Request.QueryString and Request.ServerVariables as a script sees them: a collection
// with a default Item(name or 1-based index), Count and Key(index). Item of a name that
// occurs more than once gives its values joined with ", "; a missing name gives Empty.
// Called without arguments the default member gives the whole collection as text (the
// raw query string for QueryString), as classic ASP does.
#pragma once

#include "dispatch_object.h"

#include <string>
#include <utility>
#include <vector>

namespace kestrune {

using NamedValues = std::vector<std::pair<std::string, std::string>>;

class RequestCollection final : public DispatchObject<IDispatch> {
public:
    RequestCollection(NamedValues values, std::string whole);

    // The value for a name (a string) or a 1-based index (a number) in result.
    HRESULT Item(VARIANT* key, VARIANT* result) const;

protected:
    HRESULT InvokeMember(DISPID id, WORD flags, DISPPARAMS* params, VARIANT* result) override;

private:
    std::vector<std::string> keys_;  // distinct names, in order of first appearance
    NamedValues values_;
    std::string whole_;
};

// Item of a collection built on the spot: what Request.QueryString("a") returns.
HRESULT LookUpRequestValue(const NamedValues& values, const std::string& whole, DISPPARAMS* params,
                           VARIANT* result);

}  // namespace kestrune
