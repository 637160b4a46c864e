// The type library inside Kestrune.dll, as the platform's loader reports it.
#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "com_test_support.h"

namespace kestrune::test {
namespace {

class TypeLibraryTest : public testing::Test {
protected:
    void SetUp() override {
        const std::wstring path(TheComponent().path.begin(), TheComponent().path.end());
        ASSERT_EQ(S_OK, LoadTypeLib(path.c_str(), library.Out()));
    }

    ComPtr<ITypeInfo> Info(UINT index) {
        ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, library->GetTypeInfo(index, info.Out()));
        return info;
    }

    ComPtr<ITypeLib> library;
};

std::wstring Name(ITypeInfo* info, MEMBERID id, std::wstring* doc = nullptr, DWORD* context = nullptr) {
    UniqueBstr name;
    UniqueBstr text;
    DWORD help = 0;
    info->GetDocumentation(id, name.Out(), text.Out(), &help, nullptr);
    if (doc) *doc = Wide(text.Get());
    if (context) *context = help;
    return Wide(name.Get());
}

// Releases a TYPEATTR, FUNCDESC or TLIBATTR with the call that belongs to it.
template <typename T, typename Owner, void (STDMETHODCALLTYPE Owner::*ReleaseFn)(T*)>
class Held {
public:
    Held(Owner* owner, T* value) : owner_(owner), value_(value) {}
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;
    ~Held() {
        if (value_) (owner_->*ReleaseFn)(value_);
    }
    T* operator->() const { return value_; }

private:
    Owner* owner_;
    T* value_;
};
using HeldTypeAttr = Held<TYPEATTR, ITypeInfo, &ITypeInfo::ReleaseTypeAttr>;
using HeldFuncDesc = Held<FUNCDESC, ITypeInfo, &ITypeInfo::ReleaseFuncDesc>;

HeldTypeAttr Attr(ITypeInfo* info) {
    TYPEATTR* attr = nullptr;
    EXPECT_EQ(S_OK, info->GetTypeAttr(&attr));
    return HeldTypeAttr(info, attr);
}

TEST_F(TypeLibraryTest, DescribesTheLibrary) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&attr));
    EXPECT_TRUE(IsEqualGUID(LIBID_Kestrune, attr->guid));
    EXPECT_EQ(1, attr->wMajorVerNum);
    EXPECT_EQ(1, attr->wMinorVerNum);
    EXPECT_EQ(0x409u, attr->lcid);
    EXPECT_EQ(sizeof(void*) == 4 ? SYS_WIN32 : SYS_WIN64, attr->syskind);
    EXPECT_EQ(0, attr->wLibFlags & (LIBFLAG_FRESTRICTED | LIBFLAG_FCONTROL | LIBFLAG_FHIDDEN));
    library->ReleaseTLibAttr(attr);

    UniqueBstr name;
    UniqueBstr doc;
    UniqueBstr helpFile;
    DWORD context = 1;
    library->GetDocumentation(-1, name.Out(), doc.Out(), &context, helpFile.Out());
    EXPECT_EQ(L"Kestrune", Wide(name.Get()));
    EXPECT_EQ(L"Kestrune Library", Wide(doc.Get()));
    EXPECT_EQ(nullptr, helpFile.Get());
    EXPECT_EQ(0u, context);

    const wchar_t* const types[] = {L"ITessock",     L"ITessockFile", L"ITessockFiles", L"ITessockField",
                                    L"ITessockForm", L"ITessock2",    L"IRejectedPart", L"IRejectedParts",
                                    L"IUpload",      L"Tessock",      L"Upload"};
    ASSERT_EQ(std::size(types), library->GetTypeInfoCount());
    for (UINT index = 0; index < std::size(types); ++index)
        EXPECT_EQ(types[index], Name(Info(index).Get(), MEMBERID_NIL));
}

TEST_F(TypeLibraryTest, DescribesTheDualInterface) {
    ComPtr<ITypeInfo> dispatch = Info(0);
    {
        const HeldTypeAttr attr = Attr(dispatch.Get());
        EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
        EXPECT_TRUE(IsEqualGUID(IID_ITessock, attr->guid));
        EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE, attr->wTypeFlags & ~TYPEFLAG_FOLEAUTOMATION);
        EXPECT_EQ(1, attr->wMajorVerNum);
        EXPECT_EQ(1, attr->wMinorVerNum);
        EXPECT_EQ(23, attr->cFuncs) << "IUnknown, IDispatch and the 16 members";
    }
    std::wstring doc;
    Name(dispatch.Get(), MEMBERID_NIL, &doc);
    EXPECT_EQ(L"Dispatch interface for Tessock Object", doc);

    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> vtable;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &reference));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(reference, vtable.Out()));
    const HeldTypeAttr attr = Attr(vtable.Get());
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_EQ(TYPEFLAG_FDUAL | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE, attr->wTypeFlags);
    EXPECT_EQ(16, attr->cFuncs);

    ComPtr<ITypeInfo> base;
    ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &reference));
    ASSERT_EQ(S_OK, vtable->GetRefTypeInfo(reference, base.Out()));
    EXPECT_EQ(L"IDispatch", Name(base.Get(), MEMBERID_NIL));
}

struct MemberCase {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<std::wstring> names;  // member name, then its parameter names
    std::vector<VARTYPE> params;      // declared parameter types on the vtable half
};

TEST_F(TypeLibraryTest, ListsTheMembersInTableOrder) {
    const VARTYPE bstrOut = VT_PTR, in = VT_BSTR;
    const std::vector<MemberCase> cases = {
        {L"FormVariable", 1, INVOKE_PROPERTYGET, {L"FormVariable", L"VariableName", L"Value"}, {in, bstrOut}},
        {L"FormVariableCount", 2, INVOKE_PROPERTYGET, {L"FormVariableCount", L"Value"}, {VT_PTR}},
        {L"FormVariableByIndex",
         3,
         INVOKE_PROPERTYGET,
         {L"FormVariableByIndex", L"Index", L"Value"},
         {VT_I4, VT_PTR}},
        {L"Filename", 4, INVOKE_PROPERTYGET, {L"Filename", L"Value"}, {VT_PTR}},
        {L"FileExtension", 5, INVOKE_PROPERTYGET, {L"FileExtension", L"Value"}, {VT_PTR}},
        {L"FileNameNoExtension", 6, INVOKE_PROPERTYGET, {L"FileNameNoExtension", L"Value"}, {VT_PTR}},
        {L"ContentType", 7, INVOKE_PROPERTYGET, {L"ContentType", L"Value"}, {VT_PTR}},
        {L"SaveFile", 8, INVOKE_FUNC, {L"SaveFile", L"Filename"}, {VT_BSTR}},
        {L"Version", 9, INVOKE_PROPERTYGET, {L"Version", L"Value"}, {VT_PTR}},
        {L"FileAsVariant", 10, INVOKE_PROPERTYGET, {L"FileAsVariant", L"Value"}, {VT_PTR}},
        {L"FileSize", 11, INVOKE_PROPERTYGET, {L"FileSize", L"Value"}, {VT_PTR}},
        {L"OverwriteMode", 12, INVOKE_PROPERTYGET, {L"OverwriteMode", L"Value"}, {VT_PTR}},
        {L"OverwriteMode", 12, INVOKE_PROPERTYPUT, {}, {VT_I4}},
        {L"OverwriteChr", 13, INVOKE_PROPERTYGET, {L"OverwriteChr", L"Value"}, {VT_PTR}},
        {L"OverwriteChr", 13, INVOKE_PROPERTYPUT, {}, {VT_BSTR}},
        {L"NewName", 14, INVOKE_PROPERTYGET, {L"NewName", L"Value"}, {VT_PTR}},
    };
    ComPtr<ITypeInfo> dispatch = Info(0);
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> vtable;
    dispatch->GetRefTypeOfImplType(-1, &reference);
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(reference, vtable.Out()));

    for (UINT index = 0; index < cases.size(); ++index) {
        const MemberCase& c = cases[index];
        SCOPED_TRACE(testing::Message() << "member " << index);
        FUNCDESC* raw = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(index, &raw));
        const HeldFuncDesc func(vtable.Get(), raw);
        EXPECT_EQ(c.id, func->memid);
        EXPECT_EQ(c.kind, func->invkind);
        EXPECT_EQ(CC_STDCALL, func->callconv);
        EXPECT_EQ(VT_HRESULT, func->elemdescFunc.tdesc.vt);
        EXPECT_EQ(0, func->wFuncFlags);
        EXPECT_EQ(0, func->cParamsOpt);
        EXPECT_EQ(static_cast<SHORT>((7 + index) * sizeof(void*)), func->oVft) << "table position";
        ASSERT_EQ(c.params.size(), static_cast<size_t>(func->cParams));
        for (SHORT p = 0; p < func->cParams; ++p) {
            const ELEMDESC& param = func->lprgelemdescParam[p];
            EXPECT_EQ(c.params[p], param.tdesc.vt);
            const bool last = p + 1 == func->cParams;
            const USHORT expectedFlags = (last && c.kind != INVOKE_FUNC && c.kind != INVOKE_PROPERTYPUT)
                                             ? (PARAMFLAG_FOUT | PARAMFLAG_FRETVAL)
                                             : PARAMFLAG_FIN;
            EXPECT_EQ(expectedFlags, param.paramdesc.wParamFlags);
        }
        std::wstring doc;
        DWORD context = 1;
        EXPECT_EQ(c.name, Name(vtable.Get(), func->memid, &doc, &context));
        EXPECT_EQ(L"", doc);
        EXPECT_EQ(0u, context);
        if (c.kind != INVOKE_PROPERTYPUT) {
            // GetNames answers for the first function with the id: the getter here.
            BSTR names[4] = {};
            UINT count = 0;
            ASSERT_EQ(S_OK, vtable->GetNames(func->memid, names, 4, &count));
            std::vector<std::wstring> got;
            for (UINT n = 0; n < count; ++n) {
                got.push_back(Wide(names[n]));
                SysFreeString(names[n]);
            }
            EXPECT_EQ(c.names, got);
        }
    }
}

// Both coclasses: Tessock with ITessock2 as its default, Upload with IUpload.
TEST_F(TypeLibraryTest, DescribesTheCoclasses) {
    struct Implemented {
        const wchar_t* name;
        INT flags;
    };
    const struct {
        const CLSID* id;
        const wchar_t* doc;
        std::vector<Implemented> implemented;
    } classes[] = {
        {&CLSID_Tessock, L"Tessock Object", {{L"ITessock2", IMPLTYPEFLAG_FDEFAULT}, {L"ITessock", 0}}},
        {&CLSID_Upload,
         L"Upload Object",
         {{L"IUpload", IMPLTYPEFLAG_FDEFAULT}, {L"ITessock2", 0}, {L"ITessock", 0}}},
    };
    for (const auto& c : classes) {
        SCOPED_TRACE(std::string(c.doc, c.doc + wcslen(c.doc)));
        ComPtr<ITypeInfo> coclass;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(*c.id, coclass.Out()));
        {
            const HeldTypeAttr attr = Attr(coclass.Get());
            EXPECT_EQ(TKIND_COCLASS, attr->typekind);
            EXPECT_TRUE(IsEqualGUID(*c.id, attr->guid));
            EXPECT_EQ(TYPEFLAG_FCANCREATE, attr->wTypeFlags);
            EXPECT_EQ(1, attr->wMajorVerNum);
            EXPECT_EQ(1, attr->wMinorVerNum);
            EXPECT_EQ(c.implemented.size(), static_cast<std::size_t>(attr->cImplTypes));
        }
        std::wstring doc;
        Name(coclass.Get(), MEMBERID_NIL, &doc);
        EXPECT_EQ(c.doc, doc);
        for (UINT index = 0; index < c.implemented.size(); ++index) {
            SCOPED_TRACE(index);
            INT flags = -1;
            EXPECT_EQ(S_OK, coclass->GetImplTypeFlags(index, &flags));
            EXPECT_EQ(c.implemented[index].flags, flags) << "default, and not a source interface";
            HREFTYPE reference = 0;
            ComPtr<ITypeInfo> info;
            ASSERT_EQ(S_OK, coclass->GetRefTypeOfImplType(index, &reference));
            ASSERT_EQ(S_OK, coclass->GetRefTypeInfo(reference, info.Out()));
            EXPECT_EQ(c.implemented[index].name, Name(info.Get(), MEMBERID_NIL));
        }
    }
}

// Catches a second interface that moved ITessock's members, moved a member off the DISPID pages
// were written against, or gave a collection no default member or enumerator a script can find.
TEST_F(TypeLibraryTest, DescribesTheDerivedAndFileInterfaces) {
    ComPtr<ITypeInfo> derived;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_ITessock2, derived.Out()));
    {
        const HeldTypeAttr attr = Attr(derived.Get());
        EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
        EXPECT_EQ(33, attr->cFuncs) << "ITessock's 23, then CodePage's two, Files, Form and the status six";
    }
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(IID_ITessock, base.Out()));
    for (UINT index = 0; index < 23; ++index) {
        FUNCDESC* mine = nullptr;
        FUNCDESC* theirs = nullptr;
        ASSERT_EQ(S_OK, derived->GetFuncDesc(index, &mine));
        ASSERT_EQ(S_OK, base->GetFuncDesc(index, &theirs));
        const HeldFuncDesc heldMine(derived.Get(), mine);
        const HeldFuncDesc heldTheirs(base.Get(), theirs);
        EXPECT_EQ(theirs->memid, mine->memid) << index;
        EXPECT_EQ(theirs->invkind, mine->invkind) << index;
    }
    const struct {
        const IID* iid;
        const wchar_t* name;
        MEMBERID id;
    } members[] = {
        {&IID_ITessock2, L"CodePage", 15},
        {&IID_ITessock2, L"Files", 16},
        {&IID_ITessockFiles, L"Count", 1},
        {&IID_ITessockFiles, L"Item", DISPID_VALUE},
        {&IID_ITessockFiles, L"_NewEnum", DISPID_NEWENUM},
        {&IID_ITessockFile, L"FieldName", 1},
        {&IID_ITessockFile, L"SaveFile", 8},
        {&IID_ITessockFile, L"NewName", 14},
        {&IID_ITessockFile, L"LastSaveError", 23},
        {&IID_ITessockFile, L"SafeFilename", 30},
        {&IID_ITessockFile, L"SaveToFolder", 31},
        {&IID_ITessockFile, L"DetectedType", 32},
        {&IID_ITessockFile, L"DetectedExtension", 33},
        {&IID_ITessockFile, L"Hash", 34},
        {&IID_ITessockFile, L"ReadBytes", 35},
        {&IID_ITessockFile, L"CopyTo", 36},
        {&IID_ITessockFile, L"ImageWidth", 37},
        {&IID_ITessockFile, L"ImageHeight", 38},
        {&IID_ITessock2, L"Form", 17},
        {&IID_ITessock2, L"Complete", 18},
        {&IID_ITessock2, L"BytesReceived", 19},
        {&IID_ITessock2, L"ReadError", 20},
        {&IID_ITessock2, L"ReadErrorText", 21},
        {&IID_ITessock2, L"BodyInFile", 22},
        {&IID_ITessock2, L"LastSaveError", 23},
        {&IID_ITessockForm, L"Count", 1},
        {&IID_ITessockForm, L"Item", DISPID_VALUE},
        {&IID_ITessockForm, L"Key", 2},
        {&IID_ITessockForm, L"_NewEnum", DISPID_NEWENUM},
        {&IID_ITessockField, L"Item", DISPID_VALUE},
        {&IID_ITessockField, L"Count", 1},
        {&IID_ITessockField, L"Key", 2},
        {&IID_ITessockField, L"_NewEnum", DISPID_NEWENUM},
        {&IID_IUpload, L"MaxBodyBytes", 40},
        {&IID_IUpload, L"MaxFileBytes", 41},
        {&IID_IUpload, L"MaxFiles", 42},
        {&IID_IUpload, L"MaxFields", 43},
        {&IID_IUpload, L"MaxFieldBytes", 44},
        {&IID_IUpload, L"AllowedExtensions", 45},
        {&IID_IUpload, L"Receive", 46},
        {&IID_IUpload, L"Received", 47},
        {&IID_IUpload, L"Rejected", 48},
        {&IID_IUpload, L"FormVariable", 1},
        {&IID_IUpload, L"Files", 16},
        {&IID_IRejectedParts, L"Count", 1},
        {&IID_IRejectedParts, L"Item", DISPID_VALUE},
        {&IID_IRejectedParts, L"_NewEnum", DISPID_NEWENUM},
        {&IID_IRejectedPart, L"FieldName", 1},
        {&IID_IRejectedPart, L"Filename", 2},
        {&IID_IRejectedPart, L"Size", 3},
        {&IID_IRejectedPart, L"Reason", 4},
        {&IID_IRejectedPart, L"ReasonText", 5},
    };
    for (const auto& member : members) {
        SCOPED_TRACE(std::string(member.name, member.name + wcslen(member.name)));
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, library->GetTypeInfoOfGuid(*member.iid, info.Out()));
        LPOLESTR names[] = {const_cast<LPOLESTR>(member.name)};
        MEMBERID id = 0;
        ASSERT_EQ(S_OK, info->GetIDsOfNames(names, 1, &id));
        EXPECT_EQ(member.id, id);
    }
    LPOLESTR codePage[] = {const_cast<LPOLESTR>(L"CodePage")};
    MEMBERID none = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, base->GetIDsOfNames(codePage, 1, &none)) << "ITessock stays as it was";
}

TEST_F(TypeLibraryTest, ImportsIDispatchFromStdole) {
    ComPtr<ITypeInfo> dispatch = Info(0);
    HREFTYPE reference = 0;
    ComPtr<ITypeInfo> base;
    ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(0, &reference));
    ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(reference, base.Out()));
    ComPtr<ITypeLib> container;
    UINT index = 0;
    ASSERT_EQ(S_OK, base->GetContainingTypeLib(container.Out(), &index));
    UniqueBstr name;
    container->GetDocumentation(-1, name.Out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(L"stdole", Wide(name.Get()));
}

TEST(VersionResource, NamesTheProductAndItsVersion) {
    const std::string& path = TheComponent().path;
    DWORD handle = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<char> data(size);
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, size, data.data()));
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(1, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(MAKELONG(0, 0), fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileVersionMS, fixed->dwProductVersionMS);
    EXPECT_EQ(fixed->dwFileVersionLS, fixed->dwProductVersionLS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);

    const std::pair<const char*, const char*> strings[] = {
        {"FileDescription", sizeof(void*) == 8 ? "Kestrune file-upload component (64-bit)"
                                               : "Kestrune file-upload component (32-bit)"},
        {"ProductName", "Kestrune"},
        {"OriginalFilename", "Kestrune.dll"},
        {"FileVersion", "1.1.0.0"},
        {"ProductVersion", "1.1.0.0"},
    };
    for (const auto& [name, expected] : strings) {
        SCOPED_TRACE(name);
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904E4\\") + name;
        ASSERT_TRUE(VerQueryValueA(data.data(), query.c_str(), reinterpret_cast<void**>(&value), &length));
        EXPECT_STREQ(expected, value);
    }
}

}  // namespace
}  // namespace kestrune::test
