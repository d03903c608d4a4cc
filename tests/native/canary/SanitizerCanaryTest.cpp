// If one of these fails, the native suites are running without the checks they are
// believed to run with: a leak, an overflow or undefined arithmetic would go unseen.
#include <gtest/gtest.h>
#include <sanitizer/lsan_interface.h>

#include <climits>
#include <cstddef>

namespace {

// Through volatile, so the compiler can neither see the fault nor remove it.
volatile std::size_t opaqueIndex = 0;
volatile int opaqueInt = 0;
char* volatile lastBlock = nullptr;

// Many blocks, each pointer overwritten by the next, so no stale copy on the stack or in
// a register can keep all of them reachable.
[[gnu::noinline]] void LoseBlocks() {
    for (int i = 0; i < 64; ++i) {
        lastBlock = new char[48];
        lastBlock[0] = static_cast<char>(i);
    }
    lastBlock = nullptr;
}

[[gnu::noinline]] void WriteOnePastTheEnd() {
    constexpr std::size_t Length = 16;
    char* block = new char[Length];
    opaqueIndex = Length;
    block[opaqueIndex] = 'x';
    delete[] block;
}

[[gnu::noinline]] int AddPastTheLargestInt() {
    opaqueInt = INT_MAX;
    return opaqueInt + 1;
}

}  // namespace

TEST(SanitizerCanaryDeathTest, LeakedMemoryFailsTheProcess) {
    EXPECT_DEATH(
        {
            LoseBlocks();
            __lsan_do_leak_check();
        },
        "LeakSanitizer: detected memory leaks");
}

TEST(SanitizerCanaryDeathTest, HeapOverflowFailsTheProcess) {
    EXPECT_DEATH(WriteOnePastTheEnd(), "heap-buffer-overflow");
}

TEST(SanitizerCanaryDeathTest, SignedOverflowFailsTheProcess) {
    EXPECT_DEATH(opaqueInt = AddPastTheLargestInt(), "signed integer overflow");
}
