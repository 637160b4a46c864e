// Request.QueryString and Request.ServerVariables as a script sees them: a collection
// with a default Item(name or 1-based index), Count and Key(index). Item of a name that
// occurs more than once gives its values joined with ", "; a missing name gives Empty.
// Called without arguments the default member gives the whole collection as text (the
// raw query string for QueryString), as classic ASP does.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "intrinsics.h"
#include "pagehost/asp/page_request.h"
#include "pagehost/intrinsics/intrinsic_object.h"

namespace kestrune {

class RequestCollection final : public IntrinsicObject<IRequestValues> {
public:
    RequestCollection(NamedValues values, std::string whole);

    // key: a name (a string) or a 1-based index (a number); missing: the whole text.
    HRESULT STDMETHODCALLTYPE get_Item(VARIANT key, VARIANT* value) override;
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    HRESULT STDMETHODCALLTYPE get_Key(LONG index, BSTR* name) override;

private:
    HRESULT NameOf(VARIANT* key, std::string* name) const;

    std::vector<std::string> keys_;  // distinct names, in order of first appearance
    NamedValues values_;
    std::string whole_;
};

// What Request.QueryString(name) gives: the collection when name is missing, else its Item.
HRESULT LookUpRequestValue(const NamedValues& values, const std::string& whole, VARIANT name, VARIANT* value);

}  // namespace kestrune
