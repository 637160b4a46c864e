// The object's automation face: its interfaces, IDispatch through the type information,
// and the error objects of failing members.
#include <ocidl.h>

#include <gtest/gtest.h>

#include <vector>

#include "com_test_support.h"

namespace kestrune::test {
namespace {

class TessockTest : public testing::Test {
protected:
    void SetUp() override {
        tessock = CreateTessockOver(ThreeFieldsAndFile());
        ASSERT_TRUE(tessock);
        ASSERT_EQ(S_OK, tessock.As(IID_IDispatch, dispatch));
    }

    // A property get through Invoke with the given arguments (in script order).
    HRESULT Get(const wchar_t* name, std::vector<VARIANT> args, VARIANT* result, EXCEPINFO* error = nullptr) {
        DISPID id = 0;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        const HRESULT hr = dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
        if (FAILED(hr)) return hr;
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPPARAMS params = {reversed.data(), nullptr, static_cast<UINT>(reversed.size()), 0};
        EXCEPINFO ignored{};
        const HRESULT invoked =
            dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET | DISPATCH_METHOD,
                             &params, result, error ? error : &ignored, nullptr);
        for (VARIANT& arg : reversed) VariantClear(&arg);
        return invoked;
    }

    HRESULT Put(DISPID id, WORD flags, VARIANT value) {
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {&value, &named, 1, 1};
        EXCEPINFO error{};
        const HRESULT invoked =
            dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, nullptr, &error, nullptr);
        VariantClear(&value);
        return invoked;
    }

    LONG OverwriteMode() {
        LONG mode = -1;
        EXPECT_EQ(S_OK, tessock->get_OverwriteMode(&mode));
        return mode;
    }

    ComPtr<ITessock> tessock;
    ComPtr<IDispatch> dispatch;
};

VARIANT Long(LONG value) {
    VARIANT v;
    V_VT(&v) = VT_I4;
    V_I4(&v) = value;
    return v;
}

VARIANT Text(const wchar_t* value) {
    VARIANT v;
    V_VT(&v) = VT_BSTR;
    V_BSTR(&v) = SysAllocString(value);  // freed by Get and Put
    return v;
}

TEST_F(TessockTest, AnswersExactlySixInterfaces) {
    struct Case {
        const char* label;
        const IID* iid;
        bool answered;
    };
    const Case cases[] = {
        {"IUnknown", &IID_IUnknown, true},
        {"IDispatch", &IID_IDispatch, true},
        {"ITessock", &IID_ITessock, true},
        {"ITessock2", &IID_ITessock2, true},
        {"ITessockFiles", &IID_ITessockFiles, false},
        {"IProvideClassInfo", &IID_IProvideClassInfo, true},
        {"ISupportErrorInfo", &IID_ISupportErrorInfo, true},
        {"IClassFactory", &IID_IClassFactory, false},
        {"IPersist", &IID_IPersist, false},
        {"IProvideClassInfo2", &IID_IProvideClassInfo2, false},
        {"IConnectionPointContainer", &IID_IConnectionPointContainer, false},
        {"IMarshal", &IID_IMarshal, false},
    };
    ComPtr<IUnknown> identity;
    ASSERT_EQ(S_OK, tessock.As(IID_IUnknown, identity));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ComPtr<IUnknown> answer;
        EXPECT_EQ(c.answered ? S_OK : E_NOINTERFACE, tessock->QueryInterface(*c.iid, answer.OutVoid()));
        EXPECT_EQ(c.answered, static_cast<bool>(answer));
        if (answer) {
            ComPtr<IUnknown> again;
            answer->QueryInterface(IID_IUnknown, again.OutVoid());
            EXPECT_EQ(identity.Get(), again.Get()) << "one identity";
        }
        ComPtr<ISupportErrorInfo> support;
        ASSERT_EQ(S_OK, tessock.As(IID_ISupportErrorInfo, support));
        EXPECT_EQ(c.answered ? S_OK : S_FALSE, support->InterfaceSupportsErrorInfo(*c.iid));
    }
}

TEST_F(TessockTest, HandsOutTheInterfaceTypeInformation) {
    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.Out()));
    UniqueBstr name;
    info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(L"ITessock2", Wide(name.Get())) << "the default interface, which holds ITessock's members";

    ITypeInfo* none = reinterpret_cast<ITypeInfo*>(1);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none));
    EXPECT_EQ(nullptr, none);
}

TEST_F(TessockTest, ProvidesTheClassInformation) {
    ComPtr<IProvideClassInfo> provider;
    ASSERT_EQ(S_OK, tessock.As(IID_IProvideClassInfo, provider));
    ComPtr<ITypeInfo> info;
    ASSERT_EQ(S_OK, provider->GetClassInfo(info.Out()));
    UniqueBstr name;
    info->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(L"Tessock", Wide(name.Get()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(2, attr->cImplTypes);
    info->ReleaseTypeAttr(attr);
    INT flags = 0;
    info->GetImplTypeFlags(0, &flags);
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, flags);
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> implemented;
    info->GetRefTypeOfImplType(0, &reference);
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(reference, implemented.Out()));
    implemented->GetDocumentation(MEMBERID_NIL, name.Out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(L"ITessock2", Wide(name.Get()));
}

TEST_F(TessockTest, FindsMembersByNameInAnyCase) {
    struct Case {
        const wchar_t* name;
        HRESULT expected;
        DISPID id;
    };
    const Case cases[] = {
        {L"FormVariable", S_OK, 1}, {L"formvariable", S_OK, 1},
        {L"FORMVARIABLE", S_OK, 1}, {L"FormVariableCount", S_OK, 2},
        {L"SaveFile", S_OK, 8},     {L"OverwriteMode", S_OK, 12},
        {L"NewName", S_OK, 14},     {L"NoSuchMember", DISP_E_UNKNOWNNAME, DISPID_UNKNOWN},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::string(c.name, c.name + wcslen(c.name)));
        LPOLESTR names[] = {const_cast<LPOLESTR>(c.name)};
        DISPID id = 12345;
        EXPECT_EQ(c.expected, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(c.id, id);
    }
    LPOLESTR withParameter[] = {const_cast<LPOLESTR>(L"FormVariable"), const_cast<LPOLESTR>(L"VariableName")};
    DISPID ids[2] = {};
    EXPECT_EQ(S_OK, dispatch->GetIDsOfNames(IID_NULL, withParameter, 2, LOCALE_USER_DEFAULT, ids));
    EXPECT_EQ(1, ids[0]);
    EXPECT_EQ(0, ids[1]);
}

TEST_F(TessockTest, InvokesPropertiesWithArguments) {
    UniqueVariant result;
    ASSERT_EQ(S_OK, Get(L"FormVariable", {Text(L"B")}, result.Out()));
    ASSERT_EQ(VT_BSTR, V_VT(result.Get()));
    EXPECT_EQ(L"2", Wide(V_BSTR(result.Get())));

    ASSERT_EQ(S_OK, Get(L"FormVariableByIndex", {Long(3)}, result.Out()));
    EXPECT_EQ(L"up.txt", Wide(V_BSTR(result.Get())));

    ASSERT_EQ(S_OK, Get(L"Filename", {}, result.Out()));
    EXPECT_EQ(L"up.txt", Wide(V_BSTR(result.Get())));

    ASSERT_EQ(S_OK, Get(L"FileSize", {}, result.Out()));
    ASSERT_EQ(VT_I4, V_VT(result.Get()));
    EXPECT_EQ(3, V_I4(result.Get()));
}

TEST_F(TessockTest, PutsThroughEitherPutFlag) {
    EXPECT_EQ(S_OK, Put(12, DISPATCH_PROPERTYPUT, Long(2)));
    EXPECT_EQ(2, OverwriteMode());
    EXPECT_EQ(S_OK, Put(12, DISPATCH_PROPERTYPUTREF, Text(L"1"))) << "put by reference alone";
    EXPECT_EQ(1, OverwriteMode());

    EXPECT_EQ(S_OK, Put(13, DISPATCH_PROPERTYPUT, Text(L"#")));
    UniqueBstr marker;
    EXPECT_EQ(S_OK, tessock->get_OverwriteChr(marker.Out()));
    EXPECT_EQ(L"#", Wide(marker.Get()));
}

TEST_F(TessockTest, RefusesAPutOnAReadOnlyProperty) {
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Put(11, DISPATCH_PROPERTYPUT, Long(7)));
    LONG size = 0;
    EXPECT_EQ(S_OK, tessock->get_FileSize(&size));
    EXPECT_EQ(3, size);
}

TEST_F(TessockTest, TurnsAFailingMemberIntoAnException) {
    UniqueVariant result;
    EXCEPINFO error{};
    EXPECT_EQ(DISP_E_EXCEPTION, Get(L"FormVariableByIndex", {Long(5)}, result.Out(), &error));
    EXPECT_EQ(E_UNEXPECTED, error.scode);
    EXPECT_EQ(L"Kestrune.Tessock", Wide(error.bstrSource));
    EXPECT_EQ(L"Index out of range.", Wide(error.bstrDescription));
    EXPECT_EQ(nullptr, error.bstrHelpFile);
    EXPECT_EQ(0u, error.dwHelpContext);
    SysFreeString(error.bstrSource);
    SysFreeString(error.bstrDescription);
    SysFreeString(error.bstrHelpFile);
    // The member's reset (null) string reaches the caller as nothing or as an empty
    // string, as the platform's Invoke copies it; never a stale value.
    EXPECT_TRUE(V_VT(result.Get()) == VT_EMPTY ||
                (V_VT(result.Get()) == VT_BSTR && SysStringLen(V_BSTR(result.Get())) == 0));
}

TEST_F(TessockTest, LeavesAnErrorObjectForAFailingMember) {
    struct Case {
        const char* label;
        HRESULT (*call)(ITessock*);
        const wchar_t* description;
    };
    const Case cases[] = {
        {"index equal to the count",
         [](ITessock* t) {
             BSTR value = reinterpret_cast<BSTR>(1);
             const HRESULT hr = t->get_FormVariableByIndex(4, &value);
             EXPECT_EQ(nullptr, value) << "the out parameter is reset";
             return hr;
         },
         L"Index out of range."},
        {"negative index",
         [](ITessock* t) {
             UniqueBstr v;
             return t->get_FormVariableByIndex(-1, v.Out());
         },
         L"List index out of bounds (-1)"},
        {"missing folder",
         [](ITessock* t) {
             const UniqueBstr path(SysAllocString(L"C:\\no\\such\\folder\\file.txt"));
             return t->SaveFile(path.Get());
         },
         L"Error saving file. Check the user permissions."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        SetErrorInfo(0, nullptr);
        EXPECT_EQ(E_UNEXPECTED, c.call(tessock.Get()));
        ComPtr<IErrorInfo> error = TakeErrorInfo();
        ASSERT_TRUE(error);
        GUID guid{};
        error->GetGUID(&guid);
        EXPECT_TRUE(IsEqualGUID(IID_ITessock, guid));
        EXPECT_EQ(L"Kestrune.Tessock", Source(error.Get()));
        EXPECT_EQ(c.description, Description(error.Get()));
        UniqueBstr helpFile;
        error->GetHelpFile(helpFile.Out());
        EXPECT_EQ(nullptr, helpFile.Get());
        DWORD context = 1;
        error->GetHelpContext(&context);
        EXPECT_EQ(0u, context);
    }
}

TEST_F(TessockTest, KeepsTheEarlierErrorObjectAfterASuccessfulCall) {
    UniqueBstr value;
    ASSERT_EQ(E_UNEXPECTED, tessock->get_FormVariableByIndex(9, value.Out()));
    LONG count = 0;
    EXPECT_EQ(S_OK, tessock->get_FormVariableCount(&count));
    ComPtr<IErrorInfo> error = TakeErrorInfo();
    ASSERT_TRUE(error);
    EXPECT_EQ(L"Index out of range.", Description(error.Get()));
}

}  // namespace
}  // namespace kestrune::test
