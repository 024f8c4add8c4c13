#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "l10n/exchange_unit.h"

namespace textresl10n {

// The units of one file, read once: each given in file order with its
// number, and given again by that number, so that a caller taking them in
// another order (the base's) never holds them all at once.
class UnitFile {
public:
    virtual ~UnitFile() = default;
    // Each unit with its number, in file order. False with the problem for
    // a unit that cannot be read; `take` has then seen the units before it.
    virtual bool ForEach(ExchangeProblem& problem,
                         const std::function<void(std::uint32_t number, const ExchangeUnit& unit)>& take) const = 0;
    // Unit `number` again, after a ForEach that succeeded; valid until the
    // next call.
    virtual const ExchangeUnit& Unit(std::uint32_t number) const = 0;
    // The units once more in file order, after a ForEach that succeeded,
    // each let go once given where the file can: for the last pass of a
    // caller, after which Unit may no longer be asked for.
    virtual void TakeEach(const std::function<void(const ExchangeUnit& unit)>& take) {
        ExchangeProblem ignored;
        ForEach(ignored, [&](std::uint32_t, const ExchangeUnit& unit) { take(unit); });
    }
};

// Units already made, held as they are.
class HeldUnits final : public UnitFile {
public:
    explicit HeldUnits(std::vector<ExchangeUnit> units) : units_(std::move(units)) {}
    bool ForEach(ExchangeProblem&, const std::function<void(std::uint32_t, const ExchangeUnit&)>& take) const override {
        for (std::size_t i = 0; i < units_.size(); ++i) take(static_cast<std::uint32_t>(i), units_[i]);
        return true;
    }
    const ExchangeUnit& Unit(std::uint32_t number) const override { return units_[number]; }

private:
    std::vector<ExchangeUnit> units_;
};

}  // namespace textresl10n
