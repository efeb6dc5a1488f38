#pragma once
// Field values as text inside a record buffer: how Table reads a field for its callers and how
// it stores the text they assign. Character (and other) fields keep their bytes; numeric fields
// hold right-aligned decimal text with the field's number of decimals.
#include <cstddef>
#include <string>
#include <string_view>

#include "dbf/Table.h"

namespace dbf {

// The field's text: trailing blanks removed; numeric fields also lose their leading blanks.
std::string readFieldText(const FieldDef& field, const char* bytes);
// The same text as a view of the record's bytes.
std::string_view readFieldView(const FieldDef& field, const char* bytes);

// Stores `value` into the field's `field.width` bytes at `bytes`. Character text is cut to the
// width and padded with blanks; numeric text (point as separator) is rounded to the field's
// decimals and right-aligned, the empty text leaves the field blank. Dates take YYYYMMDD,
// logicals one of T, F, Y, N, ? (or blank). Raises EngineError (naming `path`) for a value the
// field cannot hold.
void writeFieldText(const FieldDef& field, std::string_view value, char* bytes, const std::string& path);

// The numeric text as stored in a field of this width and these decimals, or nothing when it
// is not a number or does not fit.
bool formatNumber(const std::string& value, int width, int decimals, std::string& out);
// The same text without the blanks in front of it.
bool numberText(std::string_view value, int width, int decimals, std::string& text);

// The text of numberText written to `out`, which has room for kMaxNumberText bytes; its
// length, or kNotANumber. Builds nothing on the heap: the price table's hot path.
constexpr std::size_t kMaxNumberText = 258;  // a field is at most 255 bytes wide
constexpr std::size_t kNotANumber = static_cast<std::size_t>(-1);
std::size_t writeNumberText(std::string_view value, int width, int decimals, char* out);

}  // namespace dbf
