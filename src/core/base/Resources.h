#pragma once
// Data files of res/ compiled into the program (string tables, templates, code texts).

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace qx7::res {

// Bytes of res/<name> ("strings/en.txt"), or nullopt when no such resource was built in.
std::optional<std::span<const unsigned char>> Find(std::string_view name);

}  // namespace qx7::res
