// The leaf fields' values of a structure template: shown text and typed text
// back to bytes. Used by the evaluator; the pane goes through tools/template.h.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "tools/template_program.h"

// The inspector's row that reads a number, date, GUID or COLORREF type.
bool inspectRowOf(FieldType t, InspectRow& row);
// Whether `be` and `le` change how the type reads.
bool hasByteOrder(FieldType t);

// The value of a number type at `offset`, as the inspector shows it.
InspectValue showNumber(const uint8_t* bytes, size_t size, uint64_t offset, FieldType t, Endian e);
// The bytes of a typed number of type `t`; false when the text is no value of it.
bool encodeNumber(FieldType t, Endian e, std::string_view text, std::vector<uint8_t>& out);

// `n` bytes of text up to the first zero (unit), with escapes; at most about
// `limit` bytes, then "...".
std::string showText(const uint8_t* p, size_t n, FieldType t, Endian e, size_t limit);
// The bytes of a typed text (escapes resolved, UTF-16 converted), unpadded.
bool encodeText(FieldType t, Endian e, std::string_view text, std::vector<uint8_t>& out);

// "89 50 4E 47 ..." of the first `shown` bytes.
std::string hexPreview(const uint8_t* p, size_t n, size_t shown);
