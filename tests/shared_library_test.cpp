// The tables of calls opened at run time, made from one list each: a table
// comes back only with every call of its list bound, each to the function
// of its own name.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "platform/posix/shared_library.h"

// Declared, and defined nowhere: a call that no library has, as a call
// added to a list stands when the installed library is older than it.
extern "C" int tarvexel_test_absent_call(int);

#define TEST_LIBC_CALLS(CALL) \
  CALL(length, strlen)        \
  CALL(processId, getpid)
#define TEST_LIBC_AND_ABSENT_CALLS(CALL) \
  TEST_LIBC_CALLS(CALL)                  \
  CALL(absent, tarvexel_test_absent_call)

namespace {

struct LibcCalls {
  TEST_LIBC_CALLS(TARVEXEL_LIBRARY_MEMBER)
};
struct LibcAndAbsentCalls {
  TEST_LIBC_AND_ABSENT_CALLS(TARVEXEL_LIBRARY_MEMBER)
};
struct CallsOfNoLibrary {
  TEST_LIBC_CALLS(TARVEXEL_LIBRARY_MEMBER)
};

TEST(SharedLibraryTest, BindsEveryCallOfTheListToItsOwnName) {
  const LibcCalls* calls =
      posix::openLibrary("libc.so.6", TARVEXEL_LIBRARY_BINDER(LibcCalls, TEST_LIBC_CALLS));
  ASSERT_NE(calls, nullptr);
  EXPECT_EQ(calls->length("four"), 4u);
  EXPECT_EQ(calls->processId(), ::getpid());
}

TEST(SharedLibraryTest, OneMissingCallFailsTheWholeLibrary) {
  EXPECT_EQ(posix::openLibrary("libc.so.6", TARVEXEL_LIBRARY_BINDER(LibcAndAbsentCalls,
                                                                    TEST_LIBC_AND_ABSENT_CALLS)),
            nullptr);
}

TEST(SharedLibraryTest, AMissingLibraryGivesNoTable) {
  EXPECT_EQ(posix::openLibrary("libtarvexel-absent.so.0",
                               TARVEXEL_LIBRARY_BINDER(CallsOfNoLibrary, TEST_LIBC_CALLS)),
            nullptr);
}

}  // namespace
