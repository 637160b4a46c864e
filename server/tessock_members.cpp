// The ITessock and ITessock2 members: each resets its out parameter, then converts the arguments,
// calls the core and converts the result back, under the one exception boundary.
#include "com/text_conversion.h"
#include "server/class_factory.h"
#include "server/file_com_objects.h"
#include "server/form_com_objects.h"
#include "server/member_results.h"
#include "server/rejected_com_objects.h"
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

template <typename Produce>
HRESULT TTessockComObject::Flag(VARIANT_BOOL* Value, Produce&& produce) {
    if (Value == nullptr) return E_POINTER;
    *Value = VARIANT_FALSE;
    return Run([&] { *Value = produce() ? VARIANT_TRUE : VARIANT_FALSE; });
}

template <typename Change>
HRESULT TTessockComObject::Limit(Change&& change) {
    return Run([&] {
        IntakeLimits limits = tessock_.Limits();
        change(limits);
        tessock_.SetLimits(std::move(limits));
    });
}

HRESULT TTessockComObject::get_FormVariable(BSTR VariableName, BSTR* Value) {
    return Text(Value, [&] { return Received().FormVariable(NarrowFromBstr(VariableName, TextCodePage())); });
}

HRESULT TTessockComObject::get_FormVariableCount(LONG* Value) {
    return Number(Value, [&] { return Received().FormVariableCount(); });
}

HRESULT TTessockComObject::get_FormVariableByIndex(LONG Index, BSTR* Value) {
    return Text(Value, [&] { return Received().FormVariableByIndex(static_cast<std::int32_t>(Index)); });
}

HRESULT TTessockComObject::get_Filename(BSTR* Value) {
    return Text(Value, [&] { return Received().Filename(); });
}

HRESULT TTessockComObject::get_FileExtension(BSTR* Value) {
    return Text(Value, [&] { return Received().FileExtension(); });
}

HRESULT TTessockComObject::get_FileNameNoExtension(BSTR* Value) {
    return Text(Value, [&] { return Received().FileNameNoExtension(); });
}

HRESULT TTessockComObject::get_ContentType(BSTR* Value) {
    return Text(Value, [&] { return Received().ContentType(); });
}

HRESULT TTessockComObject::SaveFile(BSTR Filename) {
    return Run([&] {
        bool exact = true;
        const std::string path = NarrowFromBstr(Filename, TextCodePage(), &exact);
        Received().SaveFile(path, exact);
    });
}

HRESULT TTessockComObject::get_Version(BSTR* Value) {
    return Text(Value, [] { return TTessock::Version(); });
}

HRESULT TTessockComObject::get_FileAsVariant(VARIANT* Value) {
    return GuardedBytes(factory_.Origin(), Value, tessock_, [&] { return SpanOf(Received().FileRecord()); });
}

HRESULT TTessockComObject::get_FileSize(LONG* Value) {
    return Number(Value, [&] { return Received().FileSize(); });
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
    return Text(Value, [&] { return Received().NewName(); });
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
        Received();
        ComPtr<ITessockFiles> files =
            MakeComObject<TTessockFilesObject>(ComPtr<TTessockComObject>::Borrow(this));
        *Value = files.Detach();
    });
}

HRESULT TTessockComObject::get_Form(ITessockForm** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Run([&] {
        Received();
        *Value =
            ComPtr<ITessockForm>(MakeComObject<TTessockFormObject>(ComPtr<TTessockComObject>::Borrow(this)))
                .Detach();
    });
}

HRESULT TTessockComObject::get_Complete(VARIANT_BOOL* Value) {
    return Flag(Value, [&] { return Received().Read().Complete; });
}

HRESULT TTessockComObject::get_BytesReceived(LONG* Value) {
    return Number(Value, [&] { return Received().Read().BytesReceived; });
}

HRESULT TTessockComObject::get_ReadError(LONG* Value) {
    return Number(Value, [&] { return static_cast<std::int32_t>(Received().Read().Error); });
}

HRESULT TTessockComObject::get_ReadErrorText(BSTR* Value) {
    return Text(Value, [&] { return std::string(ReadErrorText(Received().Read().Error)); });
}

HRESULT TTessockComObject::get_BodyInFile(VARIANT_BOOL* Value) {
    return Flag(Value, [&] { return Received().Read().BodyInFile; });
}

HRESULT TTessockComObject::get_LastSaveError(LONG* Value) {
    return Number(Value, [&] { return Received().LastSaveError(); });
}

HRESULT TTessockComObject::get_MaxBodyBytes(LONG* Value) {
    return Number(Value, [&] { return tessock_.Limits().MaxBodyBytes; });
}

HRESULT TTessockComObject::put_MaxBodyBytes(LONG Value) {
    return Limit([&](IntakeLimits& limits) { limits.MaxBodyBytes = Value; });
}

HRESULT TTessockComObject::get_MaxFileBytes(LONG* Value) {
    return Number(Value, [&] { return tessock_.Limits().MaxFileBytes; });
}

HRESULT TTessockComObject::put_MaxFileBytes(LONG Value) {
    return Limit([&](IntakeLimits& limits) { limits.MaxFileBytes = Value; });
}

HRESULT TTessockComObject::get_MaxFiles(LONG* Value) {
    return Number(Value, [&] { return tessock_.Limits().MaxFiles; });
}

HRESULT TTessockComObject::put_MaxFiles(LONG Value) {
    return Limit([&](IntakeLimits& limits) { limits.MaxFiles = Value; });
}

HRESULT TTessockComObject::get_MaxFields(LONG* Value) {
    return Number(Value, [&] { return tessock_.Limits().MaxFields; });
}

HRESULT TTessockComObject::put_MaxFields(LONG Value) {
    return Limit([&](IntakeLimits& limits) { limits.MaxFields = Value; });
}

HRESULT TTessockComObject::get_MaxFieldBytes(LONG* Value) {
    return Number(Value, [&] { return tessock_.Limits().MaxFieldBytes; });
}

HRESULT TTessockComObject::put_MaxFieldBytes(LONG Value) {
    return Limit([&](IntakeLimits& limits) { limits.MaxFieldBytes = Value; });
}

HRESULT TTessockComObject::get_AllowedExtensions(BSTR* Value) {
    return Text(Value, [&] { return tessock_.Limits().AllowedExtensions; });
}

HRESULT TTessockComObject::put_AllowedExtensions(BSTR Value) {
    return Limit(
        [&](IntakeLimits& limits) { limits.AllowedExtensions = NarrowFromBstr(Value, TextCodePage()); });
}

HRESULT TTessockComObject::Receive() {
    return Run([&] { Received(); });
}

HRESULT TTessockComObject::get_Received(VARIANT_BOOL* Value) {
    return Flag(Value, [&] { return tessock_.Received(); });
}

HRESULT TTessockComObject::get_Rejected(IRejectedParts** Value) {
    if (Value == nullptr) return E_POINTER;
    *Value = nullptr;
    return Run([&] {
        Received();
        *Value = ComPtr<IRejectedParts>(
                     MakeComObject<TRejectedPartsObject>(ComPtr<TTessockComObject>::Borrow(this)))
                     .Detach();
    });
}

}  // namespace kestrune
