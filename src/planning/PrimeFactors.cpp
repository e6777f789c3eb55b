#include "planning/PrimeFactors.h"

#include <algorithm>
#include <vector>

namespace tarnwell {

namespace {

constexpr std::uint32_t kTableLimit = std::uint32_t{1} << 20;

// Smallest prime factor of every odd composite up to 2^20 (0 marks a prime; the factor of such a
// composite is at most 1023, so 16 bits hold it), and the primes themselves for trial division.
// Even numbers need no entry, which halves the table and the time to build it.
class SmallPrimes {
public:
    static const SmallPrimes& instance() {
        static const SmallPrimes table;
        return table;
    }

    std::uint32_t smallestFactor(std::uint32_t n) const {
        if (n % 2 == 0)
            return 2;
        const std::uint16_t f = oddSmallestFactor_[n / 2];
        return f == 0 ? n : f;
    }
    const std::vector<std::uint32_t>& primes() const { return primes_; }

private:
    SmallPrimes() : oddSmallestFactor_(kTableLimit / 2, 0) {
        for (std::uint32_t p = 3; p * p <= kTableLimit; p += 2) {
            if (oddSmallestFactor_[p / 2] != 0)
                continue;
            for (std::uint32_t m = p * p; m <= kTableLimit; m += 2 * p)
                if (oddSmallestFactor_[m / 2] == 0)
                    oddSmallestFactor_[m / 2] = static_cast<std::uint16_t>(p);
        }
        primes_.reserve(82025);  // the number of primes below 2^20
        primes_.push_back(2);
        for (std::uint32_t n = 3; n < kTableLimit; n += 2)
            if (oddSmallestFactor_[n / 2] == 0)
                primes_.push_back(n);
    }

    std::vector<std::uint16_t> oddSmallestFactor_;  // entry i stands for 2i + 1
    std::vector<std::uint32_t> primes_;
};

}  // namespace

void PrimeFactors::multiplyByPrime(std::uint64_t prime, int exponent) {
    auto* end = powers_.data() + count_;
    auto* at = std::lower_bound(powers_.data(), end, prime,
                                [](const PrimePower& p, std::uint64_t q) { return p.prime < q; });
    if (at != end && at->prime == prime) {
        at->exponent += exponent;
        return;
    }
    std::move_backward(at, end, end + 1);
    *at = {prime, exponent};
    ++count_;
}

PrimeFactors& PrimeFactors::operator*=(const PrimeFactors& other) {
    for (const PrimePower& p : other.powers())
        multiplyByPrime(p.prime, p.exponent);
    return *this;
}

PrimeFactors factorize(std::uint64_t n) {
    PrimeFactors factors;
    const SmallPrimes& table = SmallPrimes::instance();
    if (n > kTableLimit) {
        for (const std::uint32_t p : table.primes()) {
            if (std::uint64_t{p} * p > n)
                break;
            if (n % p != 0)
                continue;
            int exponent = 0;
            do {
                n /= p;
                ++exponent;
            } while (n % p == 0);
            factors.multiplyByPrime(p, exponent);
            if (n <= kTableLimit)
                break;
        }
        if (n > kTableLimit) {
            factors.multiplyByPrime(n);
            return factors;
        }
    }
    auto m = static_cast<std::uint32_t>(n);
    while (m > 1) {
        const std::uint32_t p = table.smallestFactor(m);
        int exponent = 0;
        do {
            m /= p;
            ++exponent;
        } while (m % p == 0);
        factors.multiplyByPrime(p, exponent);
    }
    return factors;
}

}  // namespace tarnwell
