#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace tarnwell {

struct PrimePower {
    std::uint64_t prime = 0;
    int exponent = 0;
};

// The prime factorisation of a positive whole number, primes in ascending order.
class PrimeFactors {
public:
    // Enough for any number below 2^64 (the product of the first 16 primes exceeds it).
    static constexpr std::size_t kCapacity = 15;

    std::span<const PrimePower> powers() const { return {powers_.data(), count_}; }

    void multiplyByPrime(std::uint64_t prime, int exponent = 1);
    PrimeFactors& operator*=(const PrimeFactors& other);

private:
    std::array<PrimePower, kCapacity> powers_{};
    std::size_t count_ = 0;
};

// factorize() answers every n from 1 to this bound: trial division by the primes below 2^20
// leaves at most one prime above them.
inline constexpr std::uint64_t kLargestFactorizable = std::uint64_t{1} << 40;

// Numbers up to 2^20 come from a smallest-prime-factor table built on first use; larger ones
// by trial division.
PrimeFactors factorize(std::uint64_t n);

namespace detail {

// Depth-first over the prime powers, largest prime first. reach[i] is the largest factor the
// primes from i on can still contribute, so a branch that can no longer climb to lo is dropped as
// early as one that would pass hi; taking the large primes first keeps reach small and the lower
// cut effective.
template <typename Visit>
void visitDivisors(const PrimePower* powers, std::size_t count, const std::uint64_t* reach,
                   std::size_t i, std::uint64_t divisor, std::uint64_t lo, std::uint64_t hi,
                   Visit& visit) {
    if (divisor <= (lo - 1) / reach[i])
        return;
    if (i == count) {
        visit(divisor);
        return;
    }
    for (int k = 0;; ++k) {
        visitDivisors(powers, count, reach, i + 1, divisor, lo, hi, visit);
        if (k == powers[i].exponent || divisor > hi / powers[i].prime)
            return;
        divisor *= powers[i].prime;
    }
}

}  // namespace detail

// Calls visit(d) for every divisor d of the number with lo <= d <= hi, in no particular order.
template <typename Visit>
void forEachDivisorBetween(const PrimeFactors& factors, std::uint64_t lo, std::uint64_t hi,
                           Visit&& visit) {
    if (lo == 0)
        lo = 1;
    if (lo > hi)
        return;
    // Primes above hi cannot take part; the rest in descending order, with their suffix products
    // (saturated just above hi, which is as good as unbounded and cannot overflow).
    std::array<PrimePower, PrimeFactors::kCapacity> usable{};
    std::size_t count = 0;
    const auto all = factors.powers();
    for (auto it = all.rbegin(); it != all.rend(); ++it)
        if (it->prime <= hi)
            usable[count++] = *it;
    const std::uint64_t cap = hi == std::numeric_limits<std::uint64_t>::max() ? hi : hi + 1;
    std::array<std::uint64_t, PrimeFactors::kCapacity + 1> reach{};
    reach[count] = 1;
    for (std::size_t i = count; i-- > 0;) {
        std::uint64_t r = reach[i + 1];
        for (int k = 0; k < usable[i].exponent && r < cap; ++k)
            r = r > cap / usable[i].prime ? cap : r * usable[i].prime;
        reach[i] = r;
    }
    detail::visitDivisors(usable.data(), count, reach.data(), 0, 1, lo, hi, visit);
}

}  // namespace tarnwell
