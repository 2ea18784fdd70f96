// Proof that the sanitizer build really is one: a read past the end of a heap
// block must end the process with AddressSanitizer's report, and a signed
// overflow with UndefinedBehaviorSanitizer's. Without them both faults pass
// unseen, and so would every test of that build. Elsewhere there is nothing
// to check.

#include <gtest/gtest.h>

#include <climits>
#include <cstddef>
#include <memory>

namespace quendal {
namespace {

#ifdef QUENDAL_SANITIZED
// volatile: the compiler can neither see the fault nor remove it.
volatile int sink = 0;

void ReadPastTheEnd() {
    const auto block = std::make_unique<int[]>(4);
    volatile std::size_t index = 4;
    sink = block[index];
}

void OverflowSigned() {
    volatile int largest = INT_MAX;
    sink = largest + 1;
}
#endif

TEST(SanitizerCanary, CatchesAHeapOverflowAndASignedOverflow) {
#ifdef QUENDAL_SANITIZED
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEATH(ReadPastTheEnd(), "AddressSanitizer: heap-buffer-overflow");
    EXPECT_DEATH(OverflowSigned(), "signed integer overflow");
#else
    GTEST_SKIP() << "not a sanitizer build";
#endif
}

}  // namespace
}  // namespace quendal
