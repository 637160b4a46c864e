// The ITessock and ITessock2 members: each resets its out parameter, then converts the arguments,
// calls the core and converts the result back, under the one exception boundary.
#include "com/text_conversion.h"
#include "server/class_factory.h"
#include "server/file_com_objects.h"
#include "server/form_com_objects.h"
#include "server/member_results.h"
#include "server/tessock_com_object.h"

namespace kestrune {

namespace {

constexpr const char* kCodePageNotSupported = "Code page not supported.";

}  // namespace

template <typename Body>
HRESULT TTessockComObject::Run(Body&& body) {
    return Guarded(factory_.Origin(), std::forward<Body>(body));
}

template <typename Produce>
HRESULT TTessockComObject::Text(BSTR* Value, Produce&& produce) {
    return GuardedText(factory_.Origin(), Value, std::forward<Produce>(produce), TextCodePage());
}

template <typename Produce>
HRESULT TTessockComObject::Number(LONG* Value, Produce&& produce) {
    return GuardedNumber(factory_.Origin(), Value, std::forward<Produce>(produce));
}

HRESULT TTessockComObject::Flag(VARIANT_BOOL* Value, bool flag) {
    if (Value == nullptr) return E_POINTER;
    *Value = flag ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT TTessockComObject::get_FormVariable(BSTR VariableName, BSTR* Value) {
    return Text(Value, [&] { return tessock_.FormVariable(NarrowFromBstr(VariableName, TextCodePage())); });
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
    return Run([&] {
        bool exact = true;
        const std::string path = NarrowFromBstr(Filename, TextCodePage(), &exact);
        tessock_.SaveFile(path, exact);
    });
}

HRESULT TTessockComObject::get_Version(BSTR* Value) {
    return Text(Value, [] { return TTessock::Version(); });
}

HRESULT TTessockComObject::get_FileAsVariant(VARIANT* Value) {
    return GuardedBytes(factory_.Origin(), Value, tessock_, [&] { return SpanOf(tessock_.FileRecord()); });
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
    return Run([&] {
        bool exact = true;
        std::string marker = NarrowFromBstr(Value, TextCodePage(), &exact);
        tessock_.SetOverwriteChr(std::move(marker), exact);
    });
}

HRESULT TTessockComObject::get_NewName(BSTR* Value) {
    return Text(Value, [&] { return tessock_.NewName(); });
}

HRESULT TTessockComObject::get_CodePage(LONG* Value) {
    return Number(Value, [&] { return tessock_.Rules().Number(); });
}

HRESULT TTessockComObject::put_CodePage(LONG Value) {
    return Run([&] { tessock_.SetTextRules(RulesFor(Value)); });
}

TextRules TTessockComObject::RulesFor(LONG codePage) const {
    if (codePage == 0) return TextRules(codePage_);
    if (!IsTextCodePage(codePage)) throw EUploadError(kCodePageNotSupported);
    return TextRules(static_cast<std::int32_t>(codePage),
                     std::make_shared<Win32CodePage>(static_cast<unsigned>(codePage)), utf8Page_);
}

HRESULT TTessockComObject::get_Files(ITessockFiles** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Run([&] {
        ComPtr<ITessockFiles> files =
            MakeComObject<TTessockFilesObject>(ComPtr<TTessockComObject>::Borrow(this));
        *Value = files.Detach();
    });
}

HRESULT TTessockComObject::get_Form(ITessockForm** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Run([&] {
        *Value =
            ComPtr<ITessockForm>(MakeComObject<TTessockFormObject>(ComPtr<TTessockComObject>::Borrow(this)))
                .Detach();
    });
}

HRESULT TTessockComObject::get_Complete(VARIANT_BOOL* Value) { return Flag(Value, tessock_.Read().Complete); }

HRESULT TTessockComObject::get_BytesReceived(LONG* Value) {
    return Number(Value, [&] { return tessock_.Read().BytesReceived; });
}

HRESULT TTessockComObject::get_ReadError(LONG* Value) {
    return Number(Value, [&] { return static_cast<std::int32_t>(tessock_.Read().Error); });
}

HRESULT TTessockComObject::get_ReadErrorText(BSTR* Value) {
    return Text(Value, [&] { return std::string(ReadErrorText(tessock_.Read().Error)); });
}

HRESULT TTessockComObject::get_BodyInFile(VARIANT_BOOL* Value) {
    return Flag(Value, tessock_.Read().BodyInFile);
}

HRESULT TTessockComObject::get_LastSaveError(LONG* Value) {
    return Number(Value, [&] { return tessock_.LastSaveError(); });
}

}  // namespace kestrune
