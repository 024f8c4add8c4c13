#include "l10n/xliff_file.h"

#include "l10n/xliff_document.h"
#include "l10n/xliff_read.h"
#include "l10n/xliff_update.h"

// A document is first read in pieces, one unit's tree at a time; when that
// fails, it is read again whole, which says what is wrong as pugixml and
// the checks see it.
namespace textresl10n {

using xliff::XliffDocument;

bool ReadXliff(std::string_view bytes, std::vector<ExchangeUnit>& units, ExchangeProblem& problem) {
    {
        XliffDocument pieces(bytes);
        ExchangeProblem ignored;  // reading the whole document says what is wrong
        if (pieces.Load(false, ignored) && xliff::ReadUnits(pieces, units, ignored)) return true;
        if (pieces.Refused()) return problem = ignored, false;
    }
    XliffDocument whole(bytes);
    return whole.Load(true, problem) && xliff::ReadUnits(whole, units, problem);
}

bool UpdateXliff(std::string_view bytes, const BaseFile& base, std::string& out, std::size_t& carried,
                 ExchangeProblem& problem) {
    {
        XliffDocument pieces(bytes);
        ExchangeProblem ignored;  // updating the whole document says what is wrong
        if (pieces.Load(false, ignored) && xliff::UpdateUnits(pieces, base, out, carried, ignored)) return true;
        if (pieces.Refused()) return problem = ignored, false;
    }
    XliffDocument whole(bytes);
    return whole.Load(true, problem) && xliff::UpdateUnits(whole, base, out, carried, problem);
}

}  // namespace textresl10n
