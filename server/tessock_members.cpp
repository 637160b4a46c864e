// The ITessock members: each resets its out parameter, then converts the arguments,
// calls the core and converts the result back, under the one exception boundary.
#include <cstring>

#include "base/exceptions.h"
#include "com/text_conversion.h"
#include "server/class_factory.h"
#include "server/error_boundary.h"
#include "server/tessock_com_object.h"

namespace kestrune {

namespace {

// A new byte array, lower bound 1, holding a copy of bytes.
SAFEARRAY* ByteArray(std::string_view bytes) {
    SAFEARRAYBOUND bound;
    bound.cElements = static_cast<ULONG>(bytes.size());
    bound.lLbound = 1;
    SAFEARRAY* array = SafeArrayCreate(VT_UI1, 1, &bound);
    if (array == nullptr) throw EVariantError("Error creating variant array");
    if (!bytes.empty()) {
        void* data = nullptr;
        if (FAILED(SafeArrayAccessData(array, &data))) {
            SafeArrayDestroy(array);
            throw EVariantError("Error creating variant array");
        }
        std::memcpy(data, bytes.data(), bytes.size());
        SafeArrayUnaccessData(array);
    }
    return array;
}

}  // namespace

template <typename Body>
HRESULT TTessockComObject::Run(Body&& body) {
    return Guarded(factory_.Origin(), std::forward<Body>(body));
}

template <typename Produce>
HRESULT TTessockComObject::Text(BSTR* Value, Produce&& produce) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Run([&] { *Value = BstrFromNarrow(produce()); });
}

template <typename Produce>
HRESULT TTessockComObject::Number(LONG* Value, Produce&& produce) {
    if (Value == nullptr) return E_POINTER;
    *Value = 0;
    return Run([&] { *Value = static_cast<LONG>(produce()); });
}

HRESULT TTessockComObject::get_FormVariable(BSTR VariableName, BSTR* Value) {
    return Text(Value, [&] { return tessock_.FormVariable(NarrowFromBstr(VariableName)); });
}

HRESULT TTessockComObject::get_FormVariableCount(LONG* Value) {
    return Number(Value, [&] { return tessock_.FormVariableCount(); });
}

HRESULT TTessockComObject::get_FormVariableByIndex(LONG Index, BSTR* Value) {
    return Text(Value, [&] { return tessock_.FormVariableByIndex(static_cast<std::int32_t>(Index)); });
}

HRESULT TTessockComObject::get_Filename(BSTR* Value) {
    return Text(Value, [&] { return tessock_.Filename(); });
}

HRESULT TTessockComObject::get_FileExtension(BSTR* Value) {
    return Text(Value, [&] { return tessock_.FileExtension(); });
}

HRESULT TTessockComObject::get_FileNameNoExtension(BSTR* Value) {
    return Text(Value, [&] { return tessock_.FileNameNoExtension(); });
}

HRESULT TTessockComObject::get_ContentType(BSTR* Value) {
    return Text(Value, [&] { return tessock_.ContentType(); });
}

HRESULT TTessockComObject::SaveFile(BSTR Filename) {
    return Run([&] { tessock_.SaveFile(NarrowFromBstr(Filename)); });
}

HRESULT TTessockComObject::get_Version(BSTR* Value) {
    return Text(Value, [] { return TTessock::Version(); });
}

HRESULT TTessockComObject::get_FileAsVariant(VARIANT* Value) {
    if (Value == nullptr) return E_POINTER;
    VariantInit(Value);
    return Run([&] {
        V_ARRAY(Value) = ByteArray(tessock_.FileBytes());
        V_VT(Value) = VT_ARRAY | VT_UI1;
    });
}

HRESULT TTessockComObject::get_FileSize(LONG* Value) {
    return Number(Value, [&] { return tessock_.FileSize(); });
}

HRESULT TTessockComObject::get_OverwriteMode(LONG* Value) {
    return Number(Value, [&] { return tessock_.OverwriteMode(); });
}

HRESULT TTessockComObject::put_OverwriteMode(LONG Value) {
    return Run([&] { tessock_.SetOverwriteMode(static_cast<std::int32_t>(Value)); });
}

HRESULT TTessockComObject::get_OverwriteChr(BSTR* Value) {
    return Text(Value, [&] { return tessock_.OverwriteChr(); });
}

HRESULT TTessockComObject::put_OverwriteChr(BSTR Value) {
    return Run([&] { tessock_.SetOverwriteChr(NarrowFromBstr(Value)); });
}

HRESULT TTessockComObject::get_NewName(BSTR* Value) {
    return Text(Value, [&] { return tessock_.NewName(); });
}

}  // namespace kestrune
