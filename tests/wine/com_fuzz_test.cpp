// The COM-face fuzzer as a test. A short campaign runs with the suite; the CI runs a
// long one, and `./run fuzz --com SECONDS` a timed one with a random seed, through
//   KESTRUNE_COM_FUZZ_SEED, KESTRUNE_COM_FUZZ_CALLS, KESTRUNE_COM_FUZZ_SECONDS.
// A finding names its seed and call: the campaign of that seed with CALLS one past the
// call replays it, and the seed joins kFoundSeeds once the fault is fixed.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "com_fuzz.h"
#include "com_test_support.h"

namespace kestrune::test {
namespace {

std::uint64_t Setting(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

void Report(const char* label, const FuzzCampaign& campaign, const FuzzOutcome& outcome) {
    // The suite reads this line into its summary.
    std::printf(
        "com fuzz: %s seed %llu: %llu calls (%llu failed as they may) in %.1f s, %.0f a second, "
        "%zu findings; private bytes %llu -> %llu KiB and handles %lu -> %lu from the first tenth "
        "to the end\n",
        label, static_cast<unsigned long long>(campaign.seed), static_cast<unsigned long long>(outcome.calls),
        static_cast<unsigned long long>(outcome.failedCalls), outcome.seconds,
        outcome.seconds > 0 ? outcome.calls / outcome.seconds : 0.0, outcome.findings.size(),
        static_cast<unsigned long long>(outcome.privateBytesEarly >> 10),
        static_cast<unsigned long long>(outcome.privateBytesLate >> 10),
        static_cast<unsigned long>(outcome.handlesEarly), static_cast<unsigned long>(outcome.handlesLate));
    std::fflush(stdout);
    std::size_t shown = 0;
    for (const FuzzFinding& finding : outcome.findings) {
        if (++shown > 20) break;
        ADD_FAILURE() << "com fuzz: FINDING seed " << campaign.seed << " call " << finding.call << ": "
                      << finding.what << "\n(replay: KESTRUNE_COM_FUZZ_SEED=" << campaign.seed
                      << " KESTRUNE_COM_FUZZ_CALLS=" << finding.call + 1 << ")";
    }
}

// Flat means within what the allocator and Wine's own caches move by over a run.
void ExpectFlat(const FuzzOutcome& outcome) {
    EXPECT_LT(
        static_cast<long long>(outcome.privateBytesLate) - static_cast<long long>(outcome.privateBytesEarly),
        16ll * 1024 * 1024)
        << "private bytes grew";
    EXPECT_LE(static_cast<long>(outcome.handlesLate) - static_cast<long>(outcome.handlesEarly), 8)
        << "handles grew";
}

TEST(ComFuzz, EveryMemberAnswersHostileCalls) {
    FuzzCampaign campaign;
    campaign.seed = Setting("KESTRUNE_COM_FUZZ_SEED", 1);
    campaign.calls = Setting("KESTRUNE_COM_FUZZ_CALLS", 3000);
    campaign.seconds = static_cast<double>(Setting("KESTRUNE_COM_FUZZ_SECONDS", 0));
    if (campaign.seconds > 0) campaign.calls = UINT64_MAX;
    const FuzzOutcome outcome = RunFuzzCampaign(campaign);
    Report("campaign", campaign, outcome);
    EXPECT_GT(outcome.calls, 0u);
    ExpectFlat(outcome);
}

// The campaign's findings, each cut down to the one call that showed it.
enum class Reached { Tessock, Files, Field, File };

// The object a call of a row goes to, over ThreeFieldsAndFile; null where a step fails.
ComPtr<IDispatch> Reach(ITessock* tessock, Reached reached) {
    ComPtr<ITessock2> second;
    ComPtr<IDispatch> object;
    if (FAILED(tessock->QueryInterface(IID_ITessock2, second.OutVoid()))) return object;
    ComPtr<ITessockFiles> files;
    ComPtr<ITessockForm> form;
    ComPtr<ITessockField> field;
    ComPtr<ITessockFile> file;
    UniqueVariant first;
    V_VT(first.Get()) = VT_I4;
    V_I4(first.Get()) = 1;
    switch (reached) {
        case Reached::Tessock:
            tessock->QueryInterface(IID_IDispatch, object.OutVoid());
            break;
        case Reached::Files:
            if (SUCCEEDED(second->get_Files(files.Out()))) files.As(IID_IDispatch, object);
            break;
        case Reached::Field:
            if (SUCCEEDED(second->get_Form(form.Out())) &&
                SUCCEEDED(form->get_Item(*first.Get(), field.Out())))
                field.As(IID_IDispatch, object);
            break;
        case Reached::File:
            V_I4(first.Get()) = 0;  // the files count from 0, the form's fields from 1
            if (SUCCEEDED(second->get_Files(files.Out())) &&
                SUCCEEDED(files->get_Item(*first.Get(), file.Out())))
                file.As(IID_IDispatch, object);
            break;
    }
    return object;
}

ULONG References(IUnknown* object) {
    object->AddRef();
    return object->Release();
}

TEST(ComFuzz, FoundCallsAnswerAndLeakNothing) {
    enum Argument { Number, Object, Words, BadType };
    struct Case {
        const char* label;
        Reached reached;
        DISPID id;
        WORD flags;
        std::vector<Argument> arguments;  // in script order
        std::vector<DISPID> names;        // the parameters the last ones name, the last argument's first
        bool exceptionInfo;
        HRESULT expected;
        const wchar_t* description;  // of the error object, where one is expected
    };
    const Case cases[] = {
        // Wine's ITypeInfo::Invoke kept a reference to the object of a VARIANT parameter.
        {"Files.Item with an object and one argument more",
         Reached::Files,
         DISPID_VALUE,
         DISPATCH_PROPERTYGET,
         {Object, Number},
         {},
         true,
         DISP_E_BADPARAMCOUNT,
         nullptr},
        {"field.Item with a number and an object",
         Reached::Field,
         DISPID_VALUE,
         DISPATCH_METHOD,
         {Number, Object},
         {},
         true,
         DISP_E_BADPARAMCOUNT,
         nullptr},
        {"Files with an object and a number",
         Reached::Tessock,
         16,
         DISPATCH_METHOD | DISPATCH_PROPERTYGET,
         {Object, Number},
         {},
         true,
         DISP_E_BADPARAMCOUNT,
         nullptr},
        // ... and when a later argument had a type no VARIANT may have.
        {"SaveToFolder with an object and a bad type",
         Reached::File,
         31,
         DISPATCH_METHOD,
         {Number, Object, BadType},
         {},
         true,
         DISP_E_BADVARTYPE,
         nullptr},
        // Without an EXCEPINFO, a refused argument came back as a DISP_E_EXCEPTION that
        // said nothing, not even through an error object.
        {"CopyTo a text, no EXCEPINFO",
         Reached::File,
         36,
         DISPATCH_METHOD,
         {Words},
         {},
         false,
         DISP_E_TYPEMISMATCH,
         nullptr},
        // Wine's ITypeInfo::Invoke kept its copy of a named argument that came after an
        // optional parameter left out.
        {"SaveToFolder with an object named Naming, AllowedExtensions left out",
         Reached::File,
         31,
         DISPATCH_METHOD,
         {Words, Object},
         {2},
         true,
         DISP_E_TYPEMISMATCH,
         nullptr},
        // ... and so did the call that filling the gap made longer than the member.
        {"SaveToFolder with Folder and Naming named, an object as Naming, and a put's value",
         Reached::File,
         31,
         DISPATCH_METHOD | DISPATCH_PROPERTYGET,
         {Object, Number, Number},
         {0, DISPID_PROPERTYPUT, 2},
         true,
         DISP_E_TYPEMISMATCH,
         nullptr},
        {"FormVariableByIndex past the end, no EXCEPINFO",
         Reached::Tessock,
         3,
         DISPATCH_PROPERTYGET,
         {Number},
         {},
         false,
         DISP_E_EXCEPTION,
         L"Index out of range."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const HostScope host(ThreeFieldsAndFile());
        ComPtr<ITessock> tessock;
        ComPtr<ITessock> probe;
        ASSERT_EQ(S_OK, CreateTessock(tessock));
        ASSERT_EQ(S_OK, CreateTessock(probe));
        ComPtr<IDispatch> object = Reach(tessock.Get(), c.reached);
        ASSERT_TRUE(object);
        const ULONG references = References(probe.Get());
        {
            std::vector<UniqueVariant> arguments(c.arguments.size());
            std::vector<VARIANT> reversed;
            for (std::size_t i = 0; i < c.arguments.size(); ++i) {
                VARIANT* value = arguments[i].Get();
                if (c.arguments[i] == Object) {
                    V_VT(value) = VT_DISPATCH;
                    probe->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&V_DISPATCH(value)));
                } else if (c.arguments[i] == BadType) {
                    V_VT(value) = 0x7f;  // VariantClear leaves it as it is
                } else if (c.arguments[i] == Words) {
                    V_VT(value) = VT_BSTR;
                    V_BSTR(value) = SysAllocString(L"not an object");
                } else {
                    V_VT(value) = VT_I4;
                    V_I4(value) = 9;
                }
            }
            for (std::size_t i = c.arguments.size(); i-- > 0;) reversed.push_back(*arguments[i].Get());
            std::vector<DISPID> names = c.names;
            DISPPARAMS params{reversed.data(), names.empty() ? nullptr : names.data(),
                              static_cast<UINT>(reversed.size()), static_cast<UINT>(names.size())};
            UniqueVariant result;
            EXCEPINFO exception{};
            SetErrorInfo(0, nullptr);
            EXPECT_EQ(c.expected,
                      object->Invoke(c.id, IID_NULL, LOCALE_USER_DEFAULT, c.flags, &params, result.Get(),
                                     c.exceptionInfo ? &exception : nullptr, nullptr));
            SysFreeString(exception.bstrSource);
            SysFreeString(exception.bstrDescription);
            SysFreeString(exception.bstrHelpFile);
            ComPtr<IErrorInfo> error = TakeErrorInfo();
            if (c.description != nullptr) {
                ASSERT_TRUE(error);
                EXPECT_EQ(L"Kestrune.Tessock", Source(error.Get()));
                EXPECT_EQ(c.description, Description(error.Get()));
            }
        }
        EXPECT_EQ(references, References(probe.Get())) << "the argument's object keeps no reference";
    }
}

}  // namespace
}  // namespace kestrune::test
