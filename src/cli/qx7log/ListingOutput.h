#pragma once
// Printing a viewer's text (information, analysis) to standard output as a terminal wants it.

#include <functional>
#include <string>
#include <string_view>

#include "cli/qx7log/LogCommand.h"

namespace qx7::cli {

// CR LF pairs become LF.
std::string WithLineFeeds(const std::string& text);

// Writes the UTF-8 text with LF line ends in the context's encoding (--encoding) to standard
// output, control characters replaced when it is a terminal; answers the exit code (usage for
// an unknown encoding, failure, reported, when writing fails).
int PrintListing(const std::string& text, const LogToolContext& context);

// The same for a text that comes in pieces of whole lines: `produce` hands them to the writer
// it is given, which answers false once writing failed (the producer should stop then).
using ListingPieceWriter = std::function<bool(std::string_view lines)>;
int StreamListing(const LogToolContext& context,
                  const std::function<void(const ListingPieceWriter&)>& produce);

}  // namespace qx7::cli
