#include "com_fuzz_values.h"

#include <cmath>
#include <cstdio>
#include <limits>

namespace kestrune::test {

namespace {

// Texts that reach a member's own handling: names and numbers it knows, the campaign's
// folder for the saving members, and what a text should never break on.
BSTR FuzzText(FuzzRandom& random, const FuzzObjects& objects) {
    static const wchar_t* const kTexts[] = {
        L"",
        L"a",
        L"b",
        L"c",
        L"upload",
        L"1",
        L"0",
        L"-1",
        L"2147483648",
        L"1e308",
        L"SHA256",
        L"sha1",
        L"MD5",
        L"SHA512",
        L"crc32",
        L"txt",
        L"jpg,png",
        L".txt;.bin",
        L"_",
        L"~",
        L"\u00fc\u540d",
        L"\xd800",
        L"a\xdc00z",
        L"NUL",
        L"con.txt",
        L"..\\..\\x.txt",
        L"\\\\?\\",
        L"*?<>|",
    };
    switch (random.Below(8)) {
        case 0: {
            static const wchar_t kNul[] = L"a\0b";
            return SysAllocStringLen(kNul, 3);
        }
        case 1:
            return SysAllocString((objects.folder + L"saved.txt").c_str());
        case 2:
            return SysAllocString(objects.folder.c_str());
        case 3:
            return SysAllocString((objects.folder + L"missing\\x.txt").c_str());
        case 4:
            // 10 MB of text, rarely: it reaches every member once in a long run.
            if (random.OneIn(400)) {
                BSTR text = SysAllocStringLen(nullptr, 5 * 1024 * 1024);
                if (text != nullptr) std::fill(text, text + 5 * 1024 * 1024, L'a');
                return text;
            }
            return SysAllocString(L"a");
        default:
            return SysAllocString(kTexts[random.Below(sizeof kTexts / sizeof kTexts[0])]);
    }
}

std::int32_t FuzzLong(FuzzRandom& random) {
    static const std::int32_t kLongs[] = {0,     1,    2,   3,      4,         -1,       -2,
                                          65001, 1252, 932, 100000, INT32_MAX, INT32_MIN};
    return random.OneIn(4) ? static_cast<std::int32_t>(random.Bits()) : kLongs[random.Below(13)];
}

double FuzzDouble(FuzzRandom& random) {
    static const double kDoubles[] = {0.0,
                                      1.0,
                                      1.5,
                                      -1.0,
                                      2147483648.0,
                                      -2147483649.0,
                                      1e300,
                                      -0.0,
                                      std::numeric_limits<double>::quiet_NaN(),
                                      std::numeric_limits<double>::infinity(),
                                      -std::numeric_limits<double>::infinity(),
                                      std::numeric_limits<double>::denorm_min()};
    return kDoubles[random.Below(12)];
}

SAFEARRAY* FuzzArray(FuzzRandom& random, VARTYPE& type) {
    static const VARTYPE kTypes[] = {VT_UI1, VT_I4, VT_BSTR, VT_VARIANT, VT_R8};
    type = kTypes[random.Below(5)];
    SAFEARRAYBOUND bounds[2] = {{random.Below(4), static_cast<LONG>(random.Below(3))}, {2, 0}};
    SAFEARRAY* array = SafeArrayCreate(type, random.OneIn(4) ? 2 : 1, bounds);
    if (array == nullptr) return nullptr;
    if (type == VT_BSTR && bounds[0].cElements > 0) {
        LONG at[2] = {bounds[0].lLbound, 0};
        BSTR text = SysAllocString(L"x");
        SafeArrayPutElement(array, at, text);
        SysFreeString(text);
    }
    return array;
}

}  // namespace

FuzzArguments::~FuzzArguments() { Clear(); }

void FuzzArguments::Clear() {
    for (unsigned i = 0; i < params_.cArgs; ++i) {
        VariantClear(&values_[i]);
        VariantClear(&referents_[i]);
    }
    params_ = DISPPARAMS{};
}

void FuzzArguments::Fill(FuzzRandom& random, const FuzzObjects& objects, unsigned count, unsigned named,
                         const DISPID* names) {
    Clear();
    for (unsigned i = 0; i < count; ++i) {
        VariantInit(&values_[i]);
        VariantInit(&referents_[i]);
    }
    params_.cArgs = count;
    params_.rgvarg = count ? values_ : nullptr;
    for (unsigned i = 0; i < count; ++i) FillOne(random, objects, values_[i]);
    for (unsigned i = 0; i < count; ++i) {
        if (!random.OneIn(6)) continue;
        // By reference: the value moves to the referent, the argument points to it.
        referents_[i] = values_[i];
        VariantInit(&values_[i]);
        const VARTYPE type = V_VT(&referents_[i]);
        if (random.OneIn(2) || type == VT_EMPTY || type == VT_NULL) {
            V_VT(&values_[i]) = VT_VARIANT | VT_BYREF;
            V_VARIANTREF(&values_[i]) = &referents_[i];
        } else if (type == VT_DECIMAL) {
            V_VT(&values_[i]) = VT_DECIMAL | VT_BYREF;
            V_DECIMALREF(&values_[i]) = &V_DECIMAL(&referents_[i]);
        } else {
            V_VT(&values_[i]) = type | VT_BYREF;
            V_BYREF(&values_[i]) = &V_UI1(&referents_[i]);
        }
    }
    params_.cNamedArgs = named;
    for (unsigned i = 0; i < named; ++i) names_[i] = names[i];
    params_.rgdispidNamedArgs = named ? names_ : nullptr;
}

void FuzzArguments::FillOne(FuzzRandom& random, const FuzzObjects& objects, VARIANT& value) {
    switch (random.Below(20)) {
        case 0:
            V_VT(&value) = VT_EMPTY;
            break;
        case 1:
            V_VT(&value) = VT_NULL;
            break;
        case 2:
            V_VT(&value) = VT_I2;
            V_I2(&value) = static_cast<SHORT>(FuzzLong(random));
            break;
        case 3:
        case 4:
            V_VT(&value) = VT_I4;
            V_I4(&value) = FuzzLong(random);
            break;
        case 5:
            V_VT(&value) = VT_I8;
            V_I8(&value) = random.OneIn(2) ? FuzzLong(random) : static_cast<LONGLONG>(random.Bits());
            break;
        case 6:
            V_VT(&value) = VT_R4;
            V_R4(&value) = static_cast<float>(FuzzDouble(random));
            break;
        case 7:
            V_VT(&value) = VT_R8;
            V_R8(&value) = FuzzDouble(random);
            break;
        case 8:
            V_VT(&value) = VT_CY;
            V_CY(&value).int64 = random.OneIn(2) ? 10000 * static_cast<LONGLONG>(random.Below(5))
                                                 : static_cast<LONGLONG>(random.Bits());
            break;
        case 9:
            V_VT(&value) = VT_DATE;
            V_DATE(&value) = FuzzDouble(random);
            break;
        case 10:
            V_VT(&value) = VT_BOOL;
            V_BOOL(&value) = random.OneIn(3) ? VARIANT_FALSE : random.OneIn(2) ? VARIANT_TRUE : 5;
            break;
        case 11:
            V_VT(&value) = VT_ERROR;
            V_ERROR(&value) = random.OneIn(4) ? E_FAIL : DISP_E_PARAMNOTFOUND;
            break;
        case 12: {
            V_VT(&value) = VT_DECIMAL;
            DECIMAL& number = V_DECIMAL(&value);
            number.scale = static_cast<BYTE>(random.Below(30));  // above 28 is invalid
            number.sign = random.OneIn(2) ? DECIMAL_NEG : 0;
            number.Hi32 = random.OneIn(2) ? 0 : static_cast<ULONG>(random.Bits());
            number.Lo64 = random.OneIn(2) ? random.Below(5) : random.Bits();
            V_VT(&value) = VT_DECIMAL;  // shares its place with DECIMAL's wReserved
            break;
        }
        case 13:
        case 14:
            V_VT(&value) = VT_BSTR;
            V_BSTR(&value) = random.OneIn(10) ? nullptr : FuzzText(random, objects);
            break;
        case 15: {
            IDispatch* const choices[] = {nullptr, objects.self, objects.other, objects.foreign};
            V_VT(&value) = VT_DISPATCH;
            V_DISPATCH(&value) = choices[random.Below(4)];
            if (V_DISPATCH(&value)) V_DISPATCH(&value)->AddRef();
            break;
        }
        case 16: {
            IDispatch* const choices[] = {nullptr, objects.self, objects.foreign};
            V_VT(&value) = VT_UNKNOWN;
            V_UNKNOWN(&value) = choices[random.Below(3)];
            if (V_UNKNOWN(&value)) V_UNKNOWN(&value)->AddRef();
            break;
        }
        case 17: {
            VARTYPE type = VT_EMPTY;
            SAFEARRAY* array = FuzzArray(random, type);
            if (array == nullptr) break;
            V_VT(&value) = VT_ARRAY | type;
            V_ARRAY(&value) = array;
            break;
        }
        case 18:
            // Types that no argument may have: a member must answer, not guess.
            V_VT(&value) = random.OneIn(2) ? static_cast<VARTYPE>(VT_BLOB) : static_cast<VARTYPE>(0x7f);
            V_I4(&value) = 0;
            break;
        default:
            V_VT(&value) = VT_UI1;
            V_UI1(&value) = static_cast<BYTE>(random.Below(256));
            break;
    }
}

std::string FuzzArguments::Describe() const {
    std::string text = "(";
    for (unsigned i = 0; i < params_.cArgs; ++i) {
        char type[16];
        std::snprintf(type, sizeof type, "%s0x%x", i ? "," : "", V_VT(&values_[i]));
        text += type;
    }
    text += ")";
    for (unsigned i = 0; i < params_.cNamedArgs; ++i) text += " named " + std::to_string(names_[i]);
    return text;
}

}  // namespace kestrune::test
