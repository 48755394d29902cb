// SPDX-License-Identifier: MIT
#include "network/SelectedInverse.h"

#include <Eigen/Dense>
#include <gtest/gtest.h>

#include <random>

namespace velmora {
namespace {

// A sparse, diagonally dominant matrix whose ordering permutes it and whose factor fills in:
// every entry of the inverse on its pattern agrees with the dense inverse.
TEST(SelectedInverse, AgreesWithDenseInverseOnThePattern)
{
    const int n = 40;
    std::mt19937 engine(7);
    std::vector<Eigen::Triplet<double>> triplets;
    Eigen::MatrixXd dense = Eigen::MatrixXd::Zero(n, n);
    const auto add = [&](int i, int j, double value) {
        dense(i, j) += value;
        if (i != j)
            dense(j, i) += value;
        triplets.emplace_back(std::max(i, j), std::min(i, j), value);
    };
    for (int i = 0; i < n; ++i)
        add(i, i, 10.0 + i % 3);
    for (int k = 0; k < 60; ++k) {
        const int i = static_cast<int>(engine() % n);
        const int j = static_cast<int>(engine() % n);
        if (i != j)
            add(i, j, -0.1 - 0.01 * (engine() % 50));
    }
    Eigen::SparseMatrix<double> lower(n, n);
    lower.setFromTriplets(triplets.begin(), triplets.end());
    const SelectedInverse::Factor factor(lower);
    ASSERT_EQ(factor.info(), Eigen::Success);
    const SelectedInverse inverse(factor);
    const Eigen::MatrixXd expected = dense.inverse();

    for (int k = 0; k < lower.outerSize(); ++k) {
        for (Eigen::SparseMatrix<double>::InnerIterator it(lower, k); it; ++it) {
            const int i = static_cast<int>(it.row());
            const int j = static_cast<int>(it.col());
            EXPECT_NEAR(inverse.At(i, j), expected(i, j), 1e-14) << i << ", " << j;
            EXPECT_NEAR(inverse.At(j, i), expected(i, j), 1e-14) << j << ", " << i;
        }
    }
}

}  // namespace
}  // namespace velmora
