// How the PNML reader understands names and values: namespace prefixes,
// label text, net types, arc kinds, markings and weights.
#ifndef MAROVEL_PNML_PNML_VALUES_H_
#define MAROVEL_PNML_PNML_VALUES_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace marovel {

// An element name without its namespace prefix, so that a file written with
// `pnml:place` means the same as one with `place`.
std::string_view local_name(std::string_view name);

// `text` without the XML white space at either end.
std::string_view trim(std::string_view text);

// Whether a net type URI names a place/transition net: every such grammar's
// ends in "ptnet" (sometimes with ".pntd" or a slash), or in "ptnetb" for
// the earliest one.
bool is_place_transition_type(std::string_view type);

// Whether an element or attribute of that name declares an arc's kind.
bool names_arc_kind(std::string_view name);

// Whether a declared arc kind is the ordinary one (or says nothing).
bool is_ordinary_arc_kind(std::string_view kind);

// An initial marking as written out: its digits without leading zeros, or
// nothing when `text` is not a non-negative whole number.
std::optional<std::string_view> parse_marking(std::string_view text);

// An arc's weight as the grammar writes it, a positive integer: an optional
// plus sign and decimal digits (leading zeros allowed), from 1 to
// kMaxWeight, the most a fused weight can be; nothing otherwise.
inline constexpr uint64_t kMaxWeight = ~uint64_t{0};
std::optional<uint64_t> parse_weight(std::string_view text);

}  // namespace marovel

#endif  // MAROVEL_PNML_PNML_VALUES_H_
