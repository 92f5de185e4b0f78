#pragma once
// Printing a viewer's text (information, analysis) to standard output as a terminal wants it.

#include <string>

#include "cli/qx7log/LogCommand.h"

namespace qx7::cli {

// CR LF pairs become LF.
std::string WithLineFeeds(const std::string& text);

// Writes the UTF-8 text with LF line ends in the context's encoding (--encoding) to standard
// output, control characters replaced when it is a terminal; answers the exit code (usage for
// an unknown encoding, failure, reported, when writing fails).
int PrintListing(const std::string& text, const LogToolContext& context);

}  // namespace qx7::cli
