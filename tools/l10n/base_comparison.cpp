#include "l10n/base_comparison.h"

#include <algorithm>
#include <cstdint>
#include <string_view>

#include "codec/c_format.h"

namespace textresl10n {

bool SourceChanged(const BaseUnit& unit, const ExchangeUnit& translation) {
    return translation.source != unit.Source() || translation.plural != unit.Plural() ||
           (unit.Plural() && !translation.sourcePlural.empty() && translation.sourcePlural != unit.SourcePlural());
}

UpdateCounter::UpdateCounter(const BaseFile& base) : byKey_(base), unseen_(base.units.size()) {}

void UpdateCounter::Add(const ExchangeUnit& unit) {
    const BaseUnit* found = byKey_.Find(unit.key);
    if (!found) {
        ++counts_.removed;
        return;
    }
    --unseen_;
    counts_.review += SourceChanged(*found, unit) && unit.state != UnitState::Untranslated;
}

UpdateCounts UpdateCounter::Counts() const {
    UpdateCounts counts = counts_;
    counts.added = unseen_;
    return counts;
}

UpdateCounts CountUpdate(const BaseFile& base, const std::vector<ExchangeUnit>& before) {
    UpdateCounter counter(base);
    for (const ExchangeUnit& unit : before) counter.Add(unit);
    return counter.Counts();
}

UnitState StateAgainstBase(const ComparedUnit& unit) {
    if (!unit.translation) return UnitState::Untranslated;
    const UnitState state = unit.translation->state;
    return state == UnitState::Translated && unit.sourceChanged ? UnitState::NeedsReview : state;
}

UnitState StateAgainstBase(const BaseUnit& base, const ExchangeUnit& translation) {
    return StateAgainstBase(ComparedUnit{&base, &translation, SourceChanged(base, translation)});
}

UnitState CountedState(const BaseUnit& base, const ExchangeUnit& translation) {
    const UnitState state = StateAgainstBase(base, translation);
    if (!translation.xliff) return state;
    bool text = !translation.target.empty();
    for (const PluralForm& form : translation.forms) text = text || !form.text.empty();
    return text && translation.approved != XliffApproved::Yes ? UnitState::NeedsReview : state;
}

namespace {

constexpr double kSimilarEnough = 0.7;
constexpr std::size_t kMaxComparisons = 20u * 1000 * 1000;

// The text's byte pairs, sorted, for the Dice coefficient.
std::vector<std::uint16_t> BytePairs(std::string_view text) {
    std::vector<std::uint16_t> pairs;
    if (text.size() < 2) return pairs;
    pairs.reserve(text.size() - 1);
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        pairs.push_back(static_cast<std::uint16_t>(static_cast<unsigned char>(text[i]) << 8 |
                                                   static_cast<unsigned char>(text[i + 1])));
    std::sort(pairs.begin(), pairs.end());
    return pairs;
}

double Dice(const std::vector<std::uint16_t>& a, const std::vector<std::uint16_t>& b) {
    if (a.empty() || b.empty()) return 0;
    std::size_t common = 0;
    for (std::size_t i = 0, j = 0; i < a.size() && j < b.size();) {
        if (a[i] < b[j]) ++i;
        else if (b[j] < a[i]) ++j;
        else ++common, ++i, ++j;
    }
    return 2.0 * static_cast<double>(common) / static_cast<double>(a.size() + b.size());
}

}  // namespace

std::vector<long> MatchRenames(const std::vector<const BaseUnit*>& added, const std::vector<std::string>& removed) {
    std::vector<long> match(added.size(), -1);
    if (added.empty() || removed.empty()) return match;
    std::vector<bool> used(removed.size(), false);
    std::unordered_multimap<std::string_view, std::size_t> bySource;
    for (std::size_t r = 0; r < removed.size(); ++r) bySource.emplace(removed[r], r);
    for (std::size_t a = 0; a < added.size(); ++a) {
        const auto range = bySource.equal_range(added[a]->Source());
        for (auto it = range.first; it != range.second; ++it) {
            if (used[it->second]) continue;
            used[it->second] = true;
            match[a] = static_cast<long>(it->second);
            break;
        }
    }

    std::vector<std::vector<std::uint16_t>> pairs(removed.size());
    for (std::size_t r = 0; r < removed.size(); ++r)
        if (!used[r]) pairs[r] = BytePairs(removed[r]);
    std::size_t comparisons = 0;
    for (std::size_t a = 0; a < added.size() && comparisons < kMaxComparisons; ++a) {
        if (match[a] >= 0) continue;
        const std::vector<std::uint16_t> mine = BytePairs(added[a]->Source());
        double best = kSimilarEnough;
        long bestAt = -1;
        for (std::size_t r = 0; r < removed.size(); ++r) {
            if (used[r]) continue;
            // Dice cannot reach the threshold when one has far more pairs.
            const double small = static_cast<double>(std::min(mine.size(), pairs[r].size()));
            const double large = static_cast<double>(std::max(mine.size(), pairs[r].size()));
            if (2 * small < kSimilarEnough * (small + large)) continue;
            ++comparisons;
            const double score = Dice(mine, pairs[r]);
            if (bestAt < 0 ? score >= best : score > best) {
                best = score;
                bestAt = static_cast<long>(r);
            }
        }
        if (bestAt >= 0) {
            used[static_cast<std::size_t>(bestAt)] = true;
            match[a] = bestAt;
        }
    }
    return match;
}

namespace {

// Why a directive msgfmt takes is none here: the generated library's texts
// go to the C library of every platform it is built for.
std::vector<std::string> WithReasons(std::vector<std::string> problems) {
    for (std::string& problem : problems) {
        if (problem.find("('m' is none)") != std::string::npos)
            problem += "; %m (glibc's text of errno, which msgfmt takes) takes no argument and is not known to "
                       "the C libraries of Windows and macOS, so a text may not hold it";
        else if (problem.find("('I' is none)") != std::string::npos)
            problem += "; %I64d and %I32d are the Microsoft C library's own lengths, not known elsewhere (msgfmt "
                       "takes them as a system-dependent directive): %lld or %d is portable";
    }
    return problems;
}

}  // namespace

std::vector<std::string> PlaceholderMismatches(textresgen::LiteralValuesView source,
                                               textresgen::LiteralValuesView translation) {
    return WithReasons(textresgen::ComparePlaceholders(source, translation));
}

std::vector<std::string> PluralFormMismatches(textresgen::LiteralValuesView plural, textresgen::LiteralValuesView form,
                                              bool singleCount) {
    return WithReasons(textresgen::ComparePluralForm(plural, form, singleCount));
}

}  // namespace textresl10n
