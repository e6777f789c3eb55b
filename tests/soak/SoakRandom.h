#pragma once

#include <cstddef>
#include <cstdint>
#include <random>
#include <span>
#include <string>

namespace tarnwell::soak {

// Seeded, so a failing run can be repeated exactly.
class SoakRandom {
public:
    explicit SoakRandom(std::uint64_t seed) : engine_(seed) {}

    // 0 .. bound - 1; bound must be positive.
    std::size_t below(std::size_t bound) { return engine_() % bound; }
    bool chance(double probability) { return unit() < probability; }
    double unit() { return double(engine_() >> 11) * 0x1p-53; }
    template <typename T>
    const T& pick(std::span<const T> choices) {
        return choices[below(choices.size())];
    }
    // The index of one of `choices`, each as likely as its `weight` member; the weights'
    // sum must be positive.
    template <typename T>
    std::size_t pickWeighted(std::span<const T> choices) {
        int total = 0;
        for (const T& choice : choices)
            total += choice.weight;
        int draw = int(below(std::size_t(total)));
        std::size_t i = 0;
        while (draw >= choices[i].weight)
            draw -= choices[i++].weight;
        return i;
    }

    // Something a person might type, or paste by mistake, into a number box whose sensible
    // values lie between low and high: numbers in and around the range, fractions and halves,
    // exponents, other locales' forms, overflowing and empty texts, junk.
    std::string boxText(double low, double high);

private:
    std::mt19937_64 engine_;
};

}  // namespace tarnwell::soak
