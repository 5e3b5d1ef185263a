#include "foundation/value_complex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(XCValueComplex, ResetRestoresTheEmptyStatesThatAreNotZero)
{
    XCValueComplexCCL ccl;
    ccl.value = 1.0;
    ccl.text.push_back(u'x');
    ccl.begin = {0, 9};
    ccl.number3 = 0.0;
    ccl.code = 0;
    ccl.Reset();
    EXPECT_EQ(ccl.value, 0.0);
    EXPECT_EQ(ccl.begin.first, 0xFFFFFFFFu);
    EXPECT_EQ(ccl.number3, -1.0);
    EXPECT_EQ(ccl.code, 0xFFFFFFFFu);
    EXPECT_EQ(ccl.text, u"") << "a valid empty text, not none";
    XCValueComplexInterval interval;
    interval.end = {5, 6};
    interval.Reset();
    EXPECT_EQ(interval.end.first, 0xFFFFFFFFu);
}

TEST(XCValueComplex, LeadVectorDrivesTheCopyWithoutReadingPastAShortPartner)
{
    XCValueComplexFO fo;
    fo.values = {1.0, 2.0, 3.0};
    fo.indices = {1.0};
    EXPECT_EQ(XCValueComplexFO(fo).indices, (std::vector<double>{1.0, 0.0, 0.0}));
    XCValueComplexHAC hac;
    hac.codes = {1, 2};
    hac.texts1 = {u"only"};
    const XCValueComplexHAC hacCopy(hac);
    EXPECT_EQ(hacCopy.texts1, (std::vector<std::u16string>{u"only", u""}));
    EXPECT_EQ(hacCopy.texts2.size(), 2u);
    // Assignment of the FO kind replaces the content and clears value and tag.
    XCValueComplexFO target;
    target.values = {9.0, 9.0, 9.0, 9.0};
    target.tag = 3;
    target = fo;
    EXPECT_EQ(target.values, fo.values);
    EXPECT_EQ(target.indices.size(), 3u);
    EXPECT_EQ(target.tag, 0u);
}
