// The arguments of the COM-face fuzzer: hostile VARIANTs drawn from a seeded generator,
// so that the same seed gives the same calls. A by-reference argument points into the
// argument set's own storage, which lives as long as the set.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "com/com_ptr.h"

namespace kestrune::test {

// std::mt19937_64 gives the same numbers for a seed wherever it runs; the distributions
// of <random> need not, so only the engine's raw output is used.
class FuzzRandom {
public:
    explicit FuzzRandom(std::uint64_t seed) : engine_(seed) {}
    std::uint32_t Below(std::uint32_t bound) {
        return bound == 0 ? 0 : static_cast<std::uint32_t>(engine_() % bound);
    }
    bool OneIn(std::uint32_t n) { return Below(n) == 0; }
    std::uint64_t Bits() { return engine_(); }

private:
    std::mt19937_64 engine_;
};

// What an argument may point to besides plain values: the object called, another of the
// component's objects, and an object of the client's own.
struct FuzzObjects {
    IDispatch* self = nullptr;
    IDispatch* other = nullptr;
    IDispatch* foreign = nullptr;
    std::wstring folder;  // the campaign's own folder, with a trailing backslash
};

// The DISPPARAMS of one call, owning every value in it.
class FuzzArguments {
public:
    FuzzArguments() = default;
    FuzzArguments(const FuzzArguments&) = delete;
    FuzzArguments& operator=(const FuzzArguments&) = delete;
    ~FuzzArguments();

    // count arguments (at most 4); named of them named, with the names given.
    void Fill(FuzzRandom& random, const FuzzObjects& objects, unsigned count, unsigned named,
              const DISPID* names);
    DISPPARAMS* Params() { return &params_; }
    // The types passed, last argument first (the order of rgvarg), for a finding's report.
    std::string Describe() const;

private:
    void FillOne(FuzzRandom& random, const FuzzObjects& objects, VARIANT& value);
    void Clear();

    VARIANT values_[4];
    VARIANT referents_[4];
    DISPID names_[4] = {};
    DISPPARAMS params_{};
};

}  // namespace kestrune::test
