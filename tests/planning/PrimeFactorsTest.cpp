#include "planning/PrimeFactors.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

using tarnwell::factorize;
using tarnwell::forEachDivisorBetween;
using tarnwell::PrimeFactors;

namespace {

std::uint64_t productOf(const PrimeFactors& factors) {
    std::uint64_t n = 1;
    for (const auto& p : factors.powers())
        for (int k = 0; k < p.exponent; ++k)
            n *= p.prime;
    return n;
}

bool isPrime(std::uint64_t n) {
    if (n < 2)
        return false;
    for (std::uint64_t d = 2; d * d <= n; ++d)
        if (n % d == 0)
            return false;
    return true;
}

// Ascending primes, each a true prime with a positive exponent, multiplying back to n.
void expectFactorisationOf(std::uint64_t n) {
    const PrimeFactors factors = factorize(n);
    EXPECT_EQ(productOf(factors), n);
    std::uint64_t previous = 1;
    for (const auto& p : factors.powers()) {
        EXPECT_GT(p.prime, previous) << n;
        EXPECT_TRUE(isPrime(p.prime)) << p.prime << " in " << n;
        EXPECT_GT(p.exponent, 0) << n;
        previous = p.prime;
    }
}

std::vector<std::uint64_t> divisorsBetween(const PrimeFactors& factors, std::uint64_t lo,
                                           std::uint64_t hi) {
    std::vector<std::uint64_t> found;
    forEachDivisorBetween(factors, lo, hi, [&](std::uint64_t d) { found.push_back(d); });
    std::sort(found.begin(), found.end());
    return found;
}

std::vector<std::uint64_t> bruteForceDivisorsBetween(std::uint64_t n, std::uint64_t lo,
                                                     std::uint64_t hi) {
    std::vector<std::uint64_t> found;
    for (std::uint64_t d = std::max<std::uint64_t>(lo, 1); d <= std::min(hi, n); ++d)
        if (n % d == 0)
            found.push_back(d);
    return found;
}

}  // namespace

TEST(PrimeFactors, FactorsSmallAndLargeNumbers) {
    for (std::uint64_t n = 1; n <= 5000; ++n)
        expectFactorisationOf(n);
    // Around the end of the table, squares and products of the primes next to it, and the
    // largest numbers the search asks for.
    for (std::uint64_t n :
         {1048575ull, 1048576ull, 1048577ull, 1048573ull * 1048573ull, 1048583ull * 1021ull,
          1099511627689ull, 1099511627776ull, 6500000000ull, 6499999999ull, 455000000000ull,
          8937500000ull, 2ull * 3 * 5 * 7 * 11 * 13 * 17 * 19 * 23 * 29 * 31})
        expectFactorisationOf(n);
    EXPECT_EQ(factorize(1).powers().size(), 0u);
}

TEST(PrimeFactors, MultiplyingMergesEqualPrimes) {
    PrimeFactors a = factorize(2 * 2 * 3 * 7);
    a *= factorize(3 * 5 * 7 * 7);
    a.multiplyByPrime(2);
    a.multiplyByPrime(1000003);
    EXPECT_EQ(productOf(a), 2ull * 2 * 2 * 3 * 3 * 5 * 7 * 7 * 7 * 1000003);
    ASSERT_EQ(a.powers().size(), 5u);
    EXPECT_EQ(a.powers()[0].exponent, 3);
    EXPECT_EQ(a.powers()[4].prime, 1000003u);
}

TEST(PrimeFactors, ListsExactlyTheDivisorsInsideTheBounds) {
    struct Case {
        std::uint64_t n, lo, hi;
    };
    for (const Case c :
         {Case{720720, 1, 720720}, Case{720720, 100, 5000}, Case{720720, 0, 10},
          Case{720720, 5000, 100}, Case{720720, 720721, 800000}, Case{2 * 1000003, 3, 1000002},
          Case{2 * 1000003, 1000003, 1000003}, Case{4096, 1000, 4000}, Case{1, 1, 1}, Case{1, 2, 9},
          Case{4950000000, 49500, 990000}, Case{3 * 97 * 1048573, 90, 300000}}) {
        const std::vector<std::uint64_t> expected = bruteForceDivisorsBetween(c.n, c.lo, c.hi);
        EXPECT_EQ(divisorsBetween(factorize(c.n), c.lo, c.hi), expected)
            << c.n << " in [" << c.lo << ", " << c.hi << "]";
    }
    // No overflow near the top of the range when the upper bound is huge.
    EXPECT_EQ(divisorsBetween(factorize(1099511627776ull), 1099511627776ull, UINT64_MAX),
              std::vector<std::uint64_t>{1099511627776ull});
}
