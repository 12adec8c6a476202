#pragma once
// Binary values: test cases write them as hex strings, the result file shows
// them as a hex dump with a printable column.
#include <cstdint>
#include <string_view>
#include <vector>

namespace kr {

struct RunContext;
class Sink;

// 0..15 for 0-9, a-f, A-F; -1 for any other character.
int hex_digit_value(char c);

// Parses an even-length hex string, high nibble first, into `out` (resized to
// half the string's length). Returns 0, or the tool error it reported: TC0031
// for an odd length, TC0032 with the first invalid character. Either ends the
// current result line first and abandons the section; bytes converted before
// an invalid character stay in `out`.
int parse_hex(RunContext& ctx, std::string_view hex, std::vector<unsigned char>* out);

// Ends the current line (the caller has written a label such as
// "AcValue = "), then writes rows of 16 bytes: three blanks, eight groups,
// two blanks, eight groups, three blanks, the bytes as characters. A short
// last row is padded so its character column lines up.
void hex_dump(Sink& out, const unsigned char* data, uint32_t length);

}  // namespace kr
