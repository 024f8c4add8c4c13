#include "l10n/exchange_format.h"

#include "l10n/po_file.h"
#include "l10n/xliff_file.h"

namespace textresl10n {
namespace {

class Po final : public ExchangeFormat {
public:
    bool Read(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) const override {
        PoDocument document;
        return ParsePo(bytes, document, problem) && PoUnits(document, units, problem);
    }
    std::string Write(const ExchangeHeader& header, const std::vector<ExchangeUnit>& units) const override {
        return WritePo(header, units);
    }
    bool Update(std::string_view bytes, const BaseFile& base, std::vector<ExchangeUnit>& before, std::string& merged,
                std::size_t& carried, ExchangeProblem& problem) const override {
        PoDocument document;
        if (!ParsePo(bytes, document, problem) || !PoUnits(document, before, problem)) return false;
        bool changed = false;
        merged = UpdatePo(document, base, changed, carried);
        if (!changed) merged.assign(bytes);
        return true;
    }
};

class Xliff final : public ExchangeFormat {
public:
    bool Read(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) const override {
        return ReadXliff(bytes, units, problem);
    }
    std::string Write(const ExchangeHeader& header, const std::vector<ExchangeUnit>& units) const override {
        return WriteXliff(header, units);
    }
    bool Update(std::string_view bytes, const BaseFile& base, std::vector<ExchangeUnit>& before, std::string& merged,
                std::size_t& carried, ExchangeProblem& problem) const override {
        return ReadXliff(bytes, before, problem) && UpdateXliff(bytes, base, merged, carried, problem);
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
