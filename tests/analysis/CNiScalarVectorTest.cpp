#include "analysis/CNiScalarVector.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

std::string AccessMessage(const CNiScalarVector<double>& v, std::int64_t index) {
    try {
        (void)v[index];
    } catch (const VectorAccessError& e) {
        return e.what();
    }
    return "no error";
}

} // namespace

TEST(CNiScalarVector, SetSizeZeroesEveryElementAndReportsTheCount) {
    CNiScalarVector<double> v;
    EXPECT_EQ(v.Size(), 0u);
    v.SetSize(5);
    ASSERT_EQ(v.Size(), 5u);
    for (std::uint32_t i = 0; i < v.Size(); ++i)
        EXPECT_EQ(v[i], 0.0);
    v[2] = 7.5;
    v.at(4) = -1.0;
    EXPECT_EQ(v.Data()[2], 7.5);
    EXPECT_EQ(v.Data()[4], -1.0);
}

TEST(CNiScalarVector, SetSizeToTheSameCountStillClearsOldValues) {
    CNiScalarVector<float> v(3);
    v[0] = 1.0f;
    v[2] = 2.0f;
    v.SetSize(3);
    EXPECT_EQ(v[0], 0.0f);
    EXPECT_EQ(v[2], 0.0f);
    v.SetSize(8);
    EXPECT_EQ(v.Size(), 8u);
    EXPECT_EQ(v[7], 0.0f);
    v.SetSize(0);
    EXPECT_EQ(v.Size(), 0u);
}

TEST(CNiScalarVector, AccessErrorsCarryTheExactTexts) {
    CNiScalarVector<double> v(5);
    EXPECT_EQ(AccessMessage(v, -1), "Invalid vector access: index value cannot be negative.");
    EXPECT_EQ(AccessMessage(v, 7), "Invalid vector access: index = 7. Vector size is 5.");
    EXPECT_EQ(AccessMessage(v, 5), "Invalid vector access: index = 5. Vector size is 5.");
    EXPECT_EQ(AccessMessage(CNiScalarVector<double>(), 0),
              "Invalid vector access: index = 0. Vector size is 0.");
    EXPECT_THROW(v.at(-3), VectorAccessError);
    const CNiScalarVector<double>& cv = v;
    EXPECT_THROW((void)cv.at(5), std::runtime_error);
    EXPECT_NO_THROW((void)cv[4]);
}

TEST(CNiScalarVector, NegativeOrOversizedCountIsRefusedWithoutAllocating) {
    CNiScalarVector<double> v(2);
    EXPECT_THROW(v.SetSize(-1), std::length_error);
    EXPECT_THROW(v.SetSize(std::int64_t{1} << 33), std::length_error);
    EXPECT_EQ(v.Size(), 2u);
}

TEST(CNiScalarVector, FloatVectorConvertsToDoublesValueByValue) {
    CNiScalarVector<float> f(4);
    f[0] = 0.1f;
    f[1] = -3.5f;
    f[2] = 1e30f;
    f[3] = 0.0f;
    const CNiScalarVector<double> d(f);
    ASSERT_EQ(d.Size(), 4u);
    for (std::uint32_t i = 0; i < 4; ++i)
        EXPECT_EQ(d[i], static_cast<double>(f[i]));

    const float raw[3] = {1.25f, 2.5f, -0.75f};
    CNiScalarVector<double> a;
    a.Assign(raw, 3);
    EXPECT_EQ(a.Size(), 3u);
    EXPECT_EQ(a[2], -0.75);
}

TEST(CNiScalarVector, CopiesAreIndependentAndMovesEmptyTheSource) {
    CNiScalarVector<double> a(3);
    a[1] = 4.0;
    CNiScalarVector<double> b(a);
    b[1] = 5.0;
    EXPECT_EQ(a[1], 4.0);
    CNiScalarVector<double> c(std::move(a));
    EXPECT_EQ(c.Size(), 3u);
    EXPECT_EQ(c[1], 4.0);
    EXPECT_EQ(a.Size(), 0u); // NOLINT(bugprone-use-after-move): the moved-from state is defined
    b = c;
    EXPECT_EQ(b[1], 4.0);
}
