// How a campaign runs: rounds, each over one state of the component (which class, which
// body, held where, which code page, read or not, limited or not, the upload object kept
// or released). A round makes its objects, then calls members of them at random; objects
// that calls hand back join the round's targets, so the collections, their items and the
// enumerators are reached from every state. Every object is released at the round's end.
#include "com_fuzz.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>

#include "com/com_object.h"
#include "com/owners.h"
#include "com_fuzz_outcomes.h"
#include "com_fuzz_values.h"
#include "com_test_support.h"
#include "tests/support/body_builder.h"

namespace kestrune::test {

namespace {

// Where the crash handlers find the call that was running.
std::uint64_t g_seed = 0;
std::uint64_t g_call = 0;
std::string g_current;
// KESTRUNE_COM_FUZZ_TRACE_FROM: the calls from this index on are printed as they return,
// with their HRESULT and the foreign object's reference count.
std::uint64_t g_traceFrom = UINT64_MAX;

void ReportCrash(const char* what) {
    std::fprintf(stderr,
                 "com fuzz: FINDING seed %llu call %llu: %s during %s\n"
                 "(replay: KESTRUNE_COM_FUZZ_SEED=%llu KESTRUNE_COM_FUZZ_CALLS=%llu)\n",
                 static_cast<unsigned long long>(g_seed), static_cast<unsigned long long>(g_call), what,
                 g_current.c_str(), static_cast<unsigned long long>(g_seed),
                 static_cast<unsigned long long>(g_call + 1));
    std::fflush(stderr);
}

LONG WINAPI UnhandledException(EXCEPTION_POINTERS* pointers) {
    char what[64];
    std::snprintf(what, sizeof what, "unhandled exception 0x%08lx",
                  static_cast<unsigned long>(pointers->ExceptionRecord->ExceptionCode));
    ReportCrash(what);
    return EXCEPTION_EXECUTE_HANDLER;
}

void Aborted(int) {
    ReportCrash("abort (an exception escaped, or a check failed)");
    std::_Exit(3);
}

// A foreign object: not the component's, with a Write method that takes anything, as a
// script's stream-like object has. The campaign holds one reference to it; a call that
// leaves another would keep a script's own object alive.
class Foreign final : public ComObject<Uncounted, IDispatch> {
public:
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count) *count = 0;
        return count ? S_OK : E_POINTER;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return DISP_E_BADINDEX; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (count != 1 || lstrcmpiW(names[0], L"Write") != 0) return DISP_E_UNKNOWNNAME;
        ids[0] = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (result) VariantInit(result);
        return id == 1 ? S_OK : DISP_E_MEMBERNOTFOUND;
    }
};

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

struct Target {
    ComPtr<IDispatch> dispatch;
    ComPtr<IEnumVARIANT> enumerator;
    std::wstring source;  // the ProgID its errors name
    std::string name;
    std::vector<DISPID> ids;
};

void CollectIds(ITypeInfo* info, std::vector<DISPID>& ids, int depth) {
    TYPEATTR* attributes = nullptr;
    if (depth > 4 || FAILED(info->GetTypeAttr(&attributes))) return;
    const bool base =
        IsEqualGUID(attributes->guid, IID_IDispatch) || IsEqualGUID(attributes->guid, IID_IUnknown);
    const WORD functions = base ? 0 : attributes->cFuncs;
    const WORD bases = base ? 0 : attributes->cImplTypes;
    info->ReleaseTypeAttr(attributes);
    for (WORD i = 0; i < functions; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) continue;
        const bool restricted =
            (function->wFuncFlags & FUNCFLAG_FRESTRICTED) && function->memid != DISPID_NEWENUM;
        if (!restricted && std::find(ids.begin(), ids.end(), function->memid) == ids.end())
            ids.push_back(function->memid);
        info->ReleaseFuncDesc(function);
    }
    for (WORD i = 0; i < bases; ++i) {
        HREFTYPE reference = 0;
        ComPtr<ITypeInfo> inherited;
        if (SUCCEEDED(info->GetRefTypeOfImplType(i, &reference)) &&
            SUCCEEDED(info->GetRefTypeInfo(reference, inherited.Out())))
            CollectIds(inherited.Get(), ids, depth + 1);
    }
}

struct State {
    bool upload = false;
    int body = 0;  // none, three fields and a file, two files with Unicode names
    bool bodyFile = false;
    bool unicode = false;
    bool received = false;
    int limit = 0;  // Upload: none, MaxFileBytes 1, MaxFields 1
    bool released = false;

    static State Draw(FuzzRandom& random) {
        State state;
        state.upload = random.OneIn(2);
        state.body = static_cast<int>(random.Below(3));
        state.bodyFile = random.OneIn(2);
        state.unicode = random.OneIn(2);
        state.received = !state.upload || random.OneIn(2);
        state.limit = state.upload ? static_cast<int>(random.Below(3)) : 0;
        state.released = state.received && random.OneIn(3);
        return state;
    }
    std::string Describe() const {
        static const char* const kBodies[] = {"no body", "three fields and a file", "two Unicode files"};
        std::string text = upload ? "Upload" : "Tessock";
        text += std::string(", ") + kBodies[body] + (bodyFile ? " in a body file" : " in memory");
        text += unicode ? ", CodePage 65001" : ", CodePage 0";
        if (upload) text += received ? ", received" : ", not received";
        if (limit) text += limit == 1 ? ", MaxFileBytes 1" : ", MaxFields 1";
        if (released) text += ", upload released";
        return text;
    }
};

std::string BodyOf(int body) {
    if (body == 0) return std::string();
    if (body == 1) return ThreeFieldsAndFile();
    return BodyBuilder()
        .Field("n\xc3\xa4me", "v\xc3\xa4lue")
        .Field("n\xc3\xa4me", "second")
        .File("f1", "\xe5\x90\x8d.txt", "text/plain", "one")
        .File("f2", "b\xc3\xbc.png", "image/png", std::string("\x89PNG\r\n\x1a\n", 8))
        .Close()
        .Build();
}

constexpr std::size_t kMostTargets = 24;

class Round {
public:
    Round(FuzzRandom& random, FuzzOutcome& outcome, const FuzzObjects& shared, std::uint64_t limit)
        : random_(random), outcome_(outcome), objects_(shared), limit_(limit) {}

    void Run(const State& state);

private:
    void Add(VARIANT& value, const std::wstring& source, const std::string& from);
    void AddDispatch(IDispatch* object, const std::wstring& source, const std::string& from);
    HRESULT Setup(std::size_t target, DISPID id, WORD flags, VARIANT* argument);
    void CallMember(Target& target);
    void CallEnumerator(Target& target);
    void CheckValue(VARIANT& value, const Target& target);
    void CheckFailure(HRESULT hr, EXCEPINFO* exception, const Target& target);
    void Find(const std::string& what);

    FuzzRandom& random_;
    FuzzOutcome& outcome_;
    FuzzObjects objects_;
    std::uint64_t limit_;
    std::string state_;
    std::vector<Target> targets_;
};

void Round::Find(const std::string& what) { outcome_.findings.push_back({g_call, g_current + ": " + what}); }

void Round::AddDispatch(IDispatch* object, const std::wstring& source, const std::string& from) {
    if (object == nullptr || targets_.size() >= kMostTargets) return;
    Target target;
    target.dispatch = ComPtr<IDispatch>::Borrow(object);
    target.source = source;
    ComPtr<ITypeInfo> info;
    if (FAILED(object->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out())) || !info) {
        Find("an object without type information, from " + from);
        return;
    }
    UniqueBstr name;
    info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
    target.name = NarrowForReport(Wide(name.Get()));
    CollectIds(info.Get(), target.ids, 0);
    targets_.push_back(std::move(target));
}

void Round::Add(VARIANT& value, const std::wstring& source, const std::string& from) {
    if (V_VT(&value) == VT_DISPATCH) AddDispatch(V_DISPATCH(&value), source, from);
    if (V_VT(&value) == VT_UNKNOWN && V_UNKNOWN(&value) != nullptr && targets_.size() < kMostTargets) {
        Target target;
        if (FAILED(ComPtr<IUnknown>::Borrow(V_UNKNOWN(&value)).As(IID_IEnumVARIANT, target.enumerator)))
            return;
        target.source = source;
        target.name = "IEnumVARIANT from " + from;
        targets_.push_back(std::move(target));
    }
}

HRESULT Round::Setup(std::size_t target, DISPID id, WORD flags, VARIANT* argument) {
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{argument, (flags & DISPATCH_PROPERTYPUT) ? &put : nullptr, argument ? 1u : 0u,
                      (flags & DISPATCH_PROPERTYPUT) ? 1u : 0u};
    UniqueVariant result;
    const Target& object = targets_[target];
    const HRESULT hr = object.dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params,
                                               result.Get(), nullptr, nullptr);
    TakeErrorInfo();
    const std::wstring source = object.source;
    Add(*result.Get(), source, object.name + " " + std::to_string(id));
    return hr;
}

void Round::Run(const State& state) {
    state_ = state.Describe();
    // Targets are held by reference while calls add to them: the room never moves.
    targets_.reserve(kMostTargets);
    const HostScope host(BodyOf(state.body));
    // The threshold is read when an object is made.
    SetEnvironmentVariableW(L"KESTRUNE_TEST_BODY_FILE_THRESHOLD", state.bodyFile ? L"0" : nullptr);
    ComPtr<IClassFactory> factory;
    ComPtr<IDispatch> root;
    TheComponent().getClassObject(state.upload ? CLSID_Upload : CLSID_Tessock, IID_IClassFactory,
                                  factory.OutVoid());
    if (!factory || FAILED(factory->CreateInstance(nullptr, IID_IDispatch, root.OutVoid()))) {
        Find("cannot create the object of " + state_);
        return;
    }
    factory.Reset();
    SetEnvironmentVariableW(L"KESTRUNE_TEST_BODY_FILE_THRESHOLD", nullptr);
    AddDispatch(root.Get(), state.upload ? L"Kestrune.Upload" : L"Kestrune.Tessock", "the class factory");
    root.Reset();
    if (targets_.empty()) return;
    VARIANT number;
    V_VT(&number) = VT_I4;
    V_I4(&number) = 1;
    if (state.limit) Setup(0, state.limit == 1 ? 41 : 43, DISPATCH_PROPERTYPUT, &number);
    if (state.unicode) {
        V_I4(&number) = 65001;
        Setup(0, 15, DISPATCH_PROPERTYPUT, &number);
    }
    if (state.upload && state.received) Setup(0, 46, DISPATCH_METHOD, nullptr);
    if (state.received) {
        for (DISPID collection : {16, 17, 48}) {
            const std::size_t at = targets_.size();
            if (FAILED(Setup(0, collection, DISPATCH_PROPERTYGET, nullptr)) || targets_.size() == at)
                continue;
            V_I4(&number) = collection == 17 ? 1 : 0;  // the form's fields count from 1, the rest from 0
            Setup(at, DISPID_VALUE, DISPATCH_PROPERTYGET, &number);
            Setup(at, DISPID_NEWENUM, DISPATCH_PROPERTYGET, nullptr);
        }
    }
    if (state.released) targets_.erase(targets_.begin());
    const std::uint32_t calls = 32 + random_.Below(224);
    for (std::uint32_t i = 0; i < calls && outcome_.calls < limit_ && !targets_.empty(); ++i) {
        Target& target = targets_[random_.Below(static_cast<std::uint32_t>(targets_.size()))];
        g_call = outcome_.calls++;
        if (target.dispatch) {
            CallMember(target);
        } else {
            CallEnumerator(target);
        }
    }
    targets_.clear();
}

void Round::CallMember(Target& target) {
    static const WORD kFlags[] = {
        DISPATCH_METHOD,      DISPATCH_PROPERTYGET,    DISPATCH_METHOD | DISPATCH_PROPERTYGET,
        DISPATCH_PROPERTYPUT, DISPATCH_PROPERTYPUTREF, DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF};
    static const DISPID kUnknown[] = {DISPID_UNKNOWN, DISPID_VALUE,       99,
                                      1000,           DISPID_PROPERTYPUT, DISPID_NEWENUM};
    const DISPID id = target.ids.empty() || random_.OneIn(10)
                          ? kUnknown[random_.Below(6)]
                          : target.ids[random_.Below(static_cast<std::uint32_t>(target.ids.size()))];
    const WORD flags = kFlags[random_.Below(6)];
    const unsigned count = random_.OneIn(3) ? random_.Below(5) : random_.Below(3);
    DISPID names[4] = {DISPID_PROPERTYPUT};
    unsigned named = 0;
    if (count > 0 && (flags & DISPATCH_PROPERTYPUT) && !random_.OneIn(5)) {
        named = 1;
    } else if (count > 0 && random_.OneIn(12)) {
        static const DISPID kNames[] = {DISPID_PROPERTYPUT, 0, 1, 2, -1};
        named = 1 + random_.Below(count);
        for (unsigned i = 0; i < named; ++i) names[i] = kNames[random_.Below(5)];
    }
    Target& other = targets_[random_.Below(static_cast<std::uint32_t>(targets_.size()))];
    FuzzObjects objects = objects_;
    objects.self = target.dispatch.Get();
    objects.other = other.dispatch ? other.dispatch.Get() : nullptr;
    FuzzArguments arguments;
    arguments.Fill(random_, objects, count, named, names);
    UniqueVariant result;
    EXCEPINFO exception{};
    UINT argumentError = 0;
    const bool wantsResult = !random_.OneIn(5);
    const bool wantsException = !random_.OneIn(5);
    const bool wantsArgument = !random_.OneIn(3);
    char text[160];
    std::snprintf(text, sizeof text, "%s, %s member %ld flags %u%s%s", state_.c_str(), target.name.c_str(),
                  static_cast<long>(id), flags, wantsResult ? "" : " no result",
                  wantsException ? "" : " no EXCEPINFO");
    g_current = text + arguments.Describe();
    SetErrorInfo(0, nullptr);
    const HRESULT hr = target.dispatch->Invoke(
        id, IID_NULL, LOCALE_USER_DEFAULT, flags, arguments.Params(), wantsResult ? result.Get() : nullptr,
        wantsException ? &exception : nullptr, wantsArgument ? &argumentError : nullptr);
    if (g_call >= g_traceFrom) {
        // The foreign object's count, the arguments' references included, shows the call
        // that keeps one.
        std::fprintf(stderr, "com fuzz: call %llu: %s: 0x%08lx, foreign object's references %lu\n",
                     static_cast<unsigned long long>(g_call), g_current.c_str(),
                     static_cast<unsigned long>(hr),
                     static_cast<unsigned long>(References(objects_.foreign)));
    }
    if (SUCCEEDED(hr)) {
        CheckValue(*result.Get(), target);
        TakeErrorInfo();
    } else {
        ++outcome_.failedCalls;
        CheckFailure(hr, wantsException ? &exception : nullptr, target);
        if (!ResetValue(*result.Get())) {
            char code[16];
            std::snprintf(code, sizeof code, "0x%08lx", static_cast<unsigned long>(hr));
            std::string what = std::string("a call that failed with ") + code + " left a result of type " +
                               std::to_string(V_VT(result.Get()));
            if (V_VT(result.Get()) == VT_BSTR)
                what += ", '" + NarrowForReport(Wide(V_BSTR(result.Get())).substr(0, 40)) + "'";
            Find(what);
        }
    }
}

void Round::CheckFailure(HRESULT hr, EXCEPINFO* exception, const Target& target) {
    const ComPtr<IErrorInfo> error = TakeErrorInfo();
    const std::string fault = FailureFault(hr, exception, error.Get(), target.source);
    if (!fault.empty()) Find(fault);
}

void Round::CheckValue(VARIANT& value, const Target& target) {
    const std::string fault = ValueFault(value);
    if (!fault.empty()) {
        Find(fault);
    } else {
        Add(value, target.source, target.name);
    }
}

void Round::CallEnumerator(Target& target) {
    IEnumVARIANT* enumerator = target.enumerator.Get();
    char text[160];
    switch (random_.Below(4)) {
        case 0: {
            static const ULONG kCounts[] = {0, 1, 2, 3, 8};
            const ULONG count = kCounts[random_.Below(5)];
            const bool noItems = random_.OneIn(8);
            const bool noFetched = random_.OneIn(4);
            std::snprintf(text, sizeof text, "%s, %s Next(%lu%s%s)", state_.c_str(), target.name.c_str(),
                          count, noItems ? ", no items" : "", noFetched ? ", no fetched" : "");
            g_current = text;
            VARIANT items[8];
            for (VARIANT& item : items) VariantInit(&item);
            ULONG fetched = 99;
            const HRESULT hr =
                enumerator->Next(count, noItems ? nullptr : items, noFetched ? nullptr : &fetched);
            const ULONG filled = noFetched ? (hr == S_OK ? count : 0) : fetched;
            const bool allowed = hr == S_OK || hr == S_FALSE || (hr == E_POINTER && noItems) ||
                                 (hr == E_INVALIDARG && noFetched && count > 1);
            if (!allowed) Find("Next answered " + std::to_string(hr));
            if (FAILED(hr) && !noFetched && fetched != 0) Find("a failed Next counted items");
            if (filled > count) Find("Next fetched more than asked");
            if (noItems || filled > count) return;
            for (ULONG i = 0; i < filled; ++i) {
                CheckValue(items[i], target);
                VariantClear(&items[i]);
            }
            return;
        }
        case 1: {
            static const ULONG kCounts[] = {0, 1, 2, 0x7fffffff, 0x80000000, 0xffffffff};
            const ULONG count = kCounts[random_.Below(6)];
            std::snprintf(text, sizeof text, "%s, %s Skip(%lu)", state_.c_str(), target.name.c_str(), count);
            g_current = text;
            const HRESULT hr = enumerator->Skip(count);
            if (hr != S_OK && hr != S_FALSE) Find("Skip answered " + std::to_string(hr));
            return;
        }
        case 2:
            g_current = state_ + ", " + target.name + " Reset";
            if (enumerator->Reset() != S_OK) Find("Reset failed");
            return;
        default: {
            const bool noCopy = random_.OneIn(4);
            g_current = state_ + ", " + target.name + (noCopy ? " Clone(null)" : " Clone");
            ComPtr<IEnumVARIANT> copy;
            const HRESULT hr = enumerator->Clone(noCopy ? nullptr : copy.Out());
            if (noCopy ? hr != E_POINTER : hr != S_OK || !copy) Find("Clone answered " + std::to_string(hr));
            if (copy && targets_.size() < kMostTargets) {
                Target clone;
                clone.enumerator = std::move(copy);
                clone.source = target.source;
                clone.name = target.name;
                targets_.push_back(std::move(clone));
            }
        }
    }
}

void Sample(std::uint64_t& privateBytes, std::uint32_t& handles) {
    const ProcessUse use = MeasureProcess();
    privateBytes = use.privateBytes;
    handles = use.handles;
}

// The campaign's folder, the current one while it runs: whatever a saving member makes
// of a relative name lands in it, and each round empties it.
class ScratchFolder {
public:
    ScratchFolder() {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        path = std::wstring(temp) + L"kestrune-com-fuzz-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
        CreateDirectoryW(path.c_str(), nullptr);
        GetCurrentDirectoryW(MAX_PATH, previous_);
        SetCurrentDirectoryW(path.c_str());
    }
    ~ScratchFolder() {
        Empty();
        SetCurrentDirectoryW(previous_);
        RemoveDirectoryW(path.c_str());
    }
    void Empty() const {
        for (const std::wstring& name : NamesMatching(path + L"*")) DeleteFileW((path + name).c_str());
    }

    std::wstring path;

private:
    wchar_t previous_[MAX_PATH] = {};
};

}  // namespace

FuzzOutcome RunFuzzCampaign(const FuzzCampaign& campaign) {
    g_seed = campaign.seed;
    if (const char* trace = std::getenv("KESTRUNE_COM_FUZZ_TRACE_FROM"))
        g_traceFrom = std::strtoull(trace, nullptr, 10);
    SetUnhandledExceptionFilter(UnhandledException);
    std::signal(SIGABRT, Aborted);
    FuzzOutcome outcome;
    FuzzRandom random(campaign.seed);
    const ScratchFolder folder;
    FuzzObjects shared;
    ComPtr<Foreign> foreign = MakeComObject<Foreign>();
    shared.foreign = foreign.Get();
    shared.folder = folder.path;
    const auto start = std::chrono::steady_clock::now();
    const auto elapsed = [&] {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    bool sampled = false;
    bool leaked = false;
    bool held = false;
    while (outcome.calls < campaign.calls && (campaign.seconds <= 0 || elapsed() < campaign.seconds)) {
        Round(random, outcome, shared, campaign.calls).Run(State::Draw(random));
        folder.Empty();
        // Checked after every round, so that a leak shows in the round that made it.
        if (!leaked && TheComponent().canUnloadNow() != S_OK) {
            outcome.findings.push_back(
                {outcome.calls - 1, g_current + ": an object or lock outlived its round"});
            leaked = true;
        }
        if (!held && References(foreign.Get()) != 1) {
            outcome.findings.push_back(
                {outcome.calls - 1, g_current + ": a reference to the foreign object outlived its round"});
            held = true;
        }
        const bool early =
            campaign.seconds > 0 ? elapsed() >= campaign.seconds / 10 : outcome.calls >= campaign.calls / 10;
        if (!sampled && early) {
            Sample(outcome.privateBytesEarly, outcome.handlesEarly);
            sampled = true;
        }
    }
    outcome.seconds = elapsed();
    Sample(outcome.privateBytesLate, outcome.handlesLate);
    g_current = "the campaign's end";
    if (TheComponent().canUnloadNow() != S_OK)
        outcome.findings.push_back({outcome.calls, "DllCanUnloadNow is not S_OK: an object or lock is left"});
    SetUnhandledExceptionFilter(nullptr);
    std::signal(SIGABRT, SIG_DFL);
    return outcome;
}

}  // namespace kestrune::test
