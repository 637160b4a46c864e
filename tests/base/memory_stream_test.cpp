#include "base/memory_stream.h"

#include <cstdint>
#include <limits>
#include <new>

#include <gtest/gtest.h>

// The failing-allocation cases need malloc to answer null instead of aborting.
extern "C" const char* __asan_default_options() { return "allocator_may_return_null=1"; }

namespace kestrune {
namespace {

TEST(MemoryStreamTest, NewStreamIsEmpty) {
    TMemoryStream stream;
    EXPECT_EQ(0, stream.Size());
    EXPECT_EQ(0, stream.Position());
    EXPECT_TRUE(stream.View().empty());
}

TEST(MemoryStreamTest, SetSizeHoldsZeroBytesWithPositionAtStart) {
    TMemoryStream stream;
    stream.SetSize(4096);
    stream.SetPosition(100);
    stream.WritePointer()[0] = 'x';
    stream.SetSize(10);
    EXPECT_EQ(10, stream.Size());
    EXPECT_EQ(0, stream.Position());
    EXPECT_EQ(std::string(10, '\0'), std::string(stream.View()));
    stream.SetSize(0);
    EXPECT_EQ(0, stream.Size());
    EXPECT_TRUE(stream.View().empty());
}

TEST(MemoryStreamTest, WritesLandAtThePosition) {
    TMemoryStream stream;
    stream.SetSize(5);
    stream.SetPosition(2);
    stream.WritePointer()[0] = 'a';
    stream.WritePointer()[1] = 'b';
    EXPECT_EQ(std::string("\0\0ab\0", 5), std::string(stream.View()));
}

TEST(MemoryStreamTest, ImpossibleSizesThrowBadAllocAndLeaveTheStreamEmpty) {
    const std::int64_t sizes[] = {-1, std::numeric_limits<std::int64_t>::min(),
                                  std::numeric_limits<std::int64_t>::max()};
    for (std::int64_t size : sizes) {
        SCOPED_TRACE(size);
        TMemoryStream stream;
        stream.SetSize(16);
        EXPECT_THROW(stream.SetSize(size), std::bad_alloc);
        EXPECT_EQ(0, stream.Size());
        EXPECT_EQ(0, stream.Position());
        stream.SetSize(3);
        EXPECT_EQ(3, stream.Size());
    }
}

}  // namespace
}  // namespace kestrune
