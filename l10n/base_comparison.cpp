#include "l10n/base_comparison.h"

#include <unordered_map>

#include "codec/c_format.h"

namespace textresl10n {

BaseComparison CompareWithBase(const BaseFile& base, const std::vector<ExchangeUnit>& translation) {
    std::unordered_map<std::string, const ExchangeUnit*> byKey;
    for (const ExchangeUnit& unit : translation) byKey.emplace(unit.key, &unit);
    BaseComparison comparison;
    comparison.units.reserve(base.units.size());
    for (const BaseUnit& unit : base.units) {
        const auto found = byKey.find(unit.key);
        if (found == byKey.end()) {
            comparison.units.push_back({&unit, nullptr, false});
            continue;
        }
        comparison.units.push_back({&unit, found->second, found->second->source != unit.source});
        byKey.erase(found);
    }
    for (const ExchangeUnit& unit : translation)
        if (byKey.count(unit.key) != 0) comparison.notInBase.push_back(&unit);
    return comparison;
}

UnitState StateAgainstBase(const ComparedUnit& unit) {
    if (!unit.translation) return UnitState::Untranslated;
    const UnitState state = unit.translation->state;
    return state == UnitState::Translated && unit.sourceChanged ? UnitState::NeedsReview : state;
}

std::vector<std::string> PlaceholderMismatches(textresgen::LiteralValuesView source,
                                               textresgen::LiteralValuesView translation) {
    return textresgen::ComparePlaceholders(source, translation);
}

}  // namespace textresl10n
