#include "l10n/exchange_format.h"

#include "l10n/po_file.h"
#include "l10n/xliff_file.h"

namespace textresl10n {
namespace {

class PoUnitWriter final : public UnitWriter {
public:
    PoUnitWriter(const ExchangeHeader& header, bool plurals) : writer_(header, plurals, pending_) {}
    void Add(const ExchangeUnit& unit) override { writer_.Add(unit); }
    void Finish() override {}

private:
    PoWriter writer_;
};

class XliffUnitWriter final : public UnitWriter {
public:
    XliffUnitWriter(const ExchangeHeader& header, bool plurals) : writer_(header, plurals, pending_) {}
    void Add(const ExchangeUnit& unit) override { writer_.Add(unit); }
    void Finish() override { writer_.Finish(); }

private:
    XliffWriter writer_;
};

}  // namespace

bool ExchangeFormat::ForEachUnit(std::string_view bytes, ExchangeProblem& problem,
                                 const std::function<void(ExchangeUnit&&)>& take) const {
    std::vector<ExchangeUnit> units;
    if (!Read(bytes, units, problem)) return false;
    for (ExchangeUnit& unit : units) take(std::move(unit));
    return true;
}

std::unique_ptr<UnitFile> ExchangeFormat::OpenUnits(std::string_view bytes, ExchangeProblem& problem) const {
    std::vector<ExchangeUnit> units;
    if (!Read(bytes, units, problem)) return nullptr;
    return std::make_unique<HeldUnits>(std::move(units));
}

namespace {

class Po final : public ExchangeFormat {
public:
    bool Read(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) const override {
        PoDocument document;
        return ParsePo(bytes, document, problem) && TakePoUnits(document, units, problem);
    }
    bool ForEachUnit(std::string_view bytes, ExchangeProblem& problem,
                     const std::function<void(ExchangeUnit&&)>& take) const override {
        PoDocument document;
        return ParsePo(bytes, document, problem) && ForEachPoUnit(document, problem, take);
    }
    std::unique_ptr<UnitFile> OpenUnits(std::string_view bytes, ExchangeProblem& problem) const override {
        return OpenPoUnits(bytes, problem);
    }
    std::unique_ptr<UnitWriter> NewWriter(const ExchangeHeader& header, bool plurals) const override {
        return std::make_unique<PoUnitWriter>(header, plurals);
    }
    bool Update(std::string_view bytes, const BaseFile& base, RewrittenFile& merged, UpdateCounts& counts,
                ExchangeProblem& problem) const override {
        PoDocument document;
        if (!ParsePo(bytes, document, problem)) return false;
        {
            UpdateCounter counter(base);
            if (!ForEachPoUnit(document, problem, [&](ExchangeUnit&& unit) { counter.Add(unit); })) return false;
            counts = counter.Counts();
        }
        UpdatePo(document, base, merged, counts.changed, counts.carried, counts.revived);
        counts.changed = counts.changed && !merged.Unchanged();
        counts.droppedMark = counts.changed && document.byteOrderMark;
        return true;
    }
};

class Xliff final : public ExchangeFormat {
public:
    bool Read(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) const override {
        return ReadXliff(bytes, units, problem);
    }
    std::unique_ptr<UnitWriter> NewWriter(const ExchangeHeader& header, bool plurals) const override {
        return std::make_unique<XliffUnitWriter>(header, plurals);
    }
    bool Update(std::string_view bytes, const BaseFile& base, RewrittenFile& merged, UpdateCounts& counts,
                ExchangeProblem& problem) const override {
        {
            std::vector<ExchangeUnit> before;
            if (!ReadXliff(bytes, before, problem)) return false;
            counts = CountUpdate(base, before);
        }
        std::string out;
        if (!UpdateXliff(bytes, base, out, counts.carried, problem)) return false;
        merged.Write(out);
        counts.changed = !merged.Unchanged();
        return true;
    }
};

}  // namespace

const ExchangeFormat* FormatOfPath(const std::string& path) {
    static const Po po;
    static const Xliff xliff;
    const std::size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || path.find_first_of("/\\", dot) != std::string::npos) return nullptr;
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    if (extension == "po" || extension == "pot") return &po;
    if (extension == "xlf" || extension == "xliff") return &xliff;
    return nullptr;
}

}  // namespace textresl10n
