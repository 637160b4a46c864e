// The toolkit's interface table on the shapes the component has not used yet: an
// interface that derives from another (Chain) and an object with no dispatch interface.
#include <ocidl.h>

#include <gtest/gtest.h>

#include "com/com_object.h"

namespace kestrune::test {
namespace {

class ClassInfoProvider final
    : public ComObject<Uncounted, Chain<IProvideClassInfo2, IProvideClassInfo>, ISupportErrorInfo> {
public:
    HRESULT STDMETHODCALLTYPE GetClassInfo(ITypeInfo** info) override {
        return ComPtr<ITypeInfo>().CopyTo(info);
    }
    HRESULT STDMETHODCALLTYPE GetGUID(DWORD, GUID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID) override { return S_FALSE; }
};

class EmptyEnumerator final : public ComObject<Uncounted, IEnumVARIANT> {
public:
    HRESULT STDMETHODCALLTYPE Next(ULONG, VARIANT*, ULONG* fetched) override {
        if (fetched) *fetched = 0;
        return S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG) override { return S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        return MakeComObject<EmptyEnumerator>().CopyTo(copy);
    }
};

template <typename T>
ComPtr<IUnknown> Identity(const ComPtr<T>& object) {
    ComPtr<IUnknown> identity;
    EXPECT_EQ(S_OK, object.As(identity));
    return identity;
}

TEST(ComObject, AnswersItsTableAndNothingElse) {
    const ComPtr<IUnknown> provider = Identity(MakeComObject<ClassInfoProvider>());
    const ComPtr<IUnknown> enumerator = Identity(MakeComObject<EmptyEnumerator>());
    struct Case {
        const char* label;
        const ComPtr<IUnknown>& object;
        const IID* iid;
        bool answered;
    };
    const Case cases[] = {
        {"chain: the derived interface", provider, &IID_IProvideClassInfo2, true},
        {"chain: its base", provider, &IID_IProvideClassInfo, true},
        {"second entry", provider, &IID_ISupportErrorInfo, true},
        {"no dispatch interface listed", provider, &IID_IDispatch, false},
        {"enumerator", enumerator, &IID_IEnumVARIANT, true},
        {"enumerator is no dispatch object", enumerator, &IID_IDispatch, false},
        {"unlisted", enumerator, &IID_IProvideClassInfo, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ComPtr<IUnknown> answer;
        EXPECT_EQ(c.answered ? S_OK : E_NOINTERFACE, c.object->QueryInterface(*c.iid, answer.OutVoid()));
        ASSERT_EQ(c.answered, static_cast<bool>(answer));
        if (!answer) continue;
        EXPECT_EQ(c.object.Get(), Identity(answer).Get()) << "one identity";
    }
}

}  // namespace
}  // namespace kestrune::test
