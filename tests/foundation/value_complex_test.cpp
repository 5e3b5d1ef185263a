#include "foundation/value_complex.h"

#include <gtest/gtest.h>

#include <vector>

TEST(XCValueComplex, ResetAndAssignmentRestoreTheEmptyStatesThatAreNotZero)
{
    // Reset gives back the all-ones codes, the -1 numbers and an empty text.
    XCValueComplexCCL ccl;
    ccl.text.push_back(u'x');
    ccl.begin = {0, 9};
    ccl.number3 = 0.0;
    ccl.code = 0;
    ccl.Reset();
    EXPECT_TRUE(ccl.begin.first == 0xFFFFFFFFu && ccl.number3 == -1.0 && ccl.code == 0xFFFFFFFFu && ccl.text.empty());
    XCValueComplexInterval interval;
    interval.end = {5, 6};
    interval.Reset();
    EXPECT_EQ(interval.end.first, 0xFFFFFFFFu);
    // Assignment of the FO kind replaces the content, cut to the lead vector, and clears value and tag.
    XCValueComplexFO fo, target;
    fo.values = {1.0, 2.0};
    fo.indices = {1.0, 2.0, 3.0};
    target.values = {9.0, 9.0, 9.0, 9.0};
    target.tag = 3;
    target = fo;
    EXPECT_TRUE(target.values == fo.values && target.indices == (std::vector<double>{1.0, 2.0}) && target.tag == 0u);
}
