// The engine's calling pattern: SetScriptSite, InitNew, AddNamedItem for each host
// object, ParseScriptText, then SetScriptState(CONNECTED), which runs the global code.
// Untrapped errors arrive at the site's OnScriptError while that call is in progress.
#include "pagehost/script_engine.h"

#include <initguid.h>
#include <activscp.h>

#include <atomic>

#include "com/com_object.h"

namespace kestrune {
namespace {

class ScriptSite final : public ComObject<Uncounted, IActiveScriptSite> {
public:
    explicit ScriptSite(const std::vector<NamedItem>& items) : items_(items) {}

    HRESULT STDMETHODCALLTYPE GetLCID(LCID* lcid) override {
        if (lcid) *lcid = LOCALE_USER_DEFAULT;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetItemInfo(LPCOLESTR name, DWORD mask, IUnknown** object,
                                          ITypeInfo** typeInfo) override {
        if (object) *object = nullptr;
        if (typeInfo) *typeInfo = nullptr;
        if (mask & SCRIPTINFO_ITYPEINFO) return TYPE_E_ELEMENTNOTFOUND;
        for (const NamedItem& item : items_) {
            if (_wcsicmp(item.name.c_str(), name) == 0 && object)
                return Hand(item.object, reinterpret_cast<void**>(object));
        }
        return TYPE_E_ELEMENTNOTFOUND;
    }
    HRESULT STDMETHODCALLTYPE GetDocVersionString(BSTR* version) override {
        if (version) *version = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnScriptTerminate(const VARIANT*, const EXCEPINFO*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnStateChange(SCRIPTSTATE) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnScriptError(IActiveScriptError* failure) override;
    HRESULT STDMETHODCALLTYPE OnEnterScript() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE OnLeaveScript() override { return S_OK; }

    std::optional<ScriptError> error;

private:
    std::vector<NamedItem> items_;  // the objects stay the caller's
};

std::wstring TakeString(BSTR& text) {
    std::wstring result = text ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    text = nullptr;
    return result;
}

HRESULT STDMETHODCALLTYPE ScriptSite::OnScriptError(IActiveScriptError* failure) {
    if (!failure || error)  // the first error is the one that stopped the script
        return S_OK;
    EXCEPINFO info{};
    failure->GetExceptionInfo(&info);
    if (info.pfnDeferredFillIn) info.pfnDeferredFillIn(&info);
    ScriptError found;
    DWORD context = 0;
    ULONG line = 0;
    LONG column = 0;
    if (SUCCEEDED(failure->GetSourcePosition(&context, &line, &column)))
        found.line = static_cast<long>(line) + 1;
    found.number = info.scode ? info.scode : static_cast<HRESULT>(info.wCode);
    found.source = TakeString(info.bstrSource);
    found.description = TakeString(info.bstrDescription);
    SysFreeString(info.bstrHelpFile);
    error = std::move(found);
    return S_OK;
}

HRESULT Run(IActiveScript* engine, IActiveScriptParse* parser, ScriptSite& site, const std::wstring& code,
            const std::vector<NamedItem>& items) {
    HRESULT hr = engine->SetScriptSite(&site);
    if (SUCCEEDED(hr)) hr = parser->InitNew();
    for (const NamedItem& item : items) {
        if (SUCCEEDED(hr)) hr = engine->AddNamedItem(item.name.c_str(), SCRIPTITEM_ISVISIBLE);
    }
    EXCEPINFO info{};
    if (SUCCEEDED(hr))
        hr = parser->ParseScriptText(code.c_str(), nullptr, nullptr, nullptr, 0, 0, SCRIPTTEXT_ISVISIBLE,
                                     nullptr, &info);
    if (SUCCEEDED(hr)) hr = engine->SetScriptState(SCRIPTSTATE_CONNECTED);
    // A reported error (a syntax error, say) is the script's failure, not the engine's.
    if (hr == static_cast<HRESULT>(SCRIPT_E_REPORTED) || site.error) hr = S_OK;
    engine->Close();
    return hr;
}

}  // namespace

ScriptOutcome RunActiveScript(ScriptLanguage language, const std::wstring& code,
                              const std::vector<NamedItem>& items) {
    ScriptOutcome outcome;
    ComPtr<ScriptSite> site = MakeComObject<ScriptSite>(items);
    CLSID clsid;
    ComPtr<IActiveScript> engine;
    ComPtr<IActiveScriptParse> parser;
    outcome.engine = CLSIDFromProgID(language == ScriptLanguage::kJScript ? L"JScript" : L"VBScript", &clsid);
    if (SUCCEEDED(outcome.engine))
        outcome.engine =
            CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveScript, engine.OutVoid());
    if (SUCCEEDED(outcome.engine)) outcome.engine = engine.As(IID_IActiveScriptParse, parser);
    if (SUCCEEDED(outcome.engine)) outcome.engine = Run(engine.Get(), parser.Get(), *site.Get(), code, items);
    outcome.error = std::move(site->error);
    return outcome;
}

}  // namespace kestrune
