#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "l10n/base_comparison.h"
#include "l10n/base_file.h"
#include "l10n/exchange_unit.h"
#include "l10n/file_io.h"
#include "l10n/unit_file.h"

// The file formats translators' tools exchange, behind one interface; the
// commands never ask which one they hold.
namespace textresl10n {

// Writes a new file one unit at a time, so that a caller making the units
// as it goes never holds them all, nor the whole file: the bytes made so far
// wait in Pending() until the caller writes them out and empties it.
class UnitWriter {
public:
    virtual ~UnitWriter() = default;
    virtual void Add(const ExchangeUnit& unit) = 0;
    // Adds what follows the last unit.
    virtual void Finish() = 0;
    std::string& Pending() { return pending_; }

protected:
    std::string pending_;
};

class ExchangeFormat {
public:
    virtual ~ExchangeFormat() = default;
    // The units of a file's bytes, in file order.
    virtual bool Read(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) const = 0;
    // The same units handed to `take` one at a time, in file order, for a
    // caller that needs no more than one at once (by default from Read).
    virtual bool ForEachUnit(std::string_view bytes, ExchangeProblem& problem,
                             const std::function<void(ExchangeUnit&&)>& take) const;
    // The file's units, read once and given again by number (UnitFile);
    // null with the problem where Read would fail. By default Read's units,
    // held.
    virtual std::unique_ptr<UnitFile> OpenUnits(std::string_view bytes, ExchangeProblem& problem) const;
    // A new file, written unit by unit (see UnitWriter); `plurals`: whether
    // any unit will be plural.
    virtual std::unique_ptr<UnitWriter> NewWriter(const ExchangeHeader& header, bool plurals) const = 0;
    // The file merged with a changed base, written to `merged` (whose
    // `before` is `bytes`), and what changed: `counts.changed` is false when
    // the merged bytes are the file's. The units the file held before are
    // counted and let go before the merged file is made, so that the two
    // are never in memory together.
    virtual bool Update(std::string_view bytes, const BaseFile& base, RewrittenFile& merged, UpdateCounts& counts,
                        ExchangeProblem& problem) const = 0;
};

// The format a file name's extension names, in any case: gettext PO
// (po_file.h) for .po and .pot, XLIFF 1.2 (xliff_file.h) for .xlf and
// .xliff; null for any other.
const ExchangeFormat* FormatOfPath(const std::string& path);

}  // namespace textresl10n
