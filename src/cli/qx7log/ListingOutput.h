#pragma once
// Printing a viewer's text (information, analysis) to standard output as a terminal wants it.

#include <string>

namespace qx7::cli {

// CR LF pairs become LF.
std::string WithLineFeeds(const std::string& text);

// Writes the UTF-8 text with LF line ends in the given encoding (--encoding) to standard
// output. false when the encoding is unknown (`unknownEncoding` set) or the write fails.
bool PrintListing(const std::string& text, const std::string& encoding, bool& unknownEncoding);

}  // namespace qx7::cli
