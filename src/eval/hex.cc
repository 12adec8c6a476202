#include "eval/hex.h"

#include <string>

#include "core/output.h"
#include "core/run_context.h"
#include "core/tool_errors.h"

namespace kr {

int hex_digit_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int parse_hex(RunContext& ctx, std::string_view hex, std::vector<unsigned char>* out) {
  out->assign(hex.size() / 2, 0);
  if (hex.size() % 2 != 0) {
    ctx.out.end_line();
    tool_error(ctx, TC0031);
    return TC0031;
  }
  for (std::size_t i = 0; i < hex.size(); i += 2) {
    const int hi = hex_digit_value(hex[i]);
    const int lo = hex_digit_value(hex[i + 1]);
    if (hi < 0 || lo < 0) {
      ctx.out.end_line();
      tool_error(ctx, TC0032, hex.substr(hi < 0 ? i : i + 1, 1));
      return TC0032;
    }
    (*out)[i / 2] = static_cast<unsigned char>(hi * 16 + lo);
  }
  return 0;
}

void hex_dump(Sink& out, const unsigned char* data, uint32_t length) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  out.end_line();
  out.write("   ");
  std::string chars;
  for (uint32_t i = 0; i < length; ++i) {
    const unsigned char b = data[i];
    const char group[3] = {kDigits[b >> 4], kDigits[b & 15], ' '};
    out.write(std::string_view(group, 3));
    chars.push_back(b >= 0x20 && b < 0x7F ? static_cast<char>(b) : '.');
    const uint32_t in_row = i % 16 + 1;
    if (in_row == 8) out.write("  ");
    if (in_row == 16) {
      out.write("   ");
      out.write(chars);
      chars.clear();
      if (i + 1 < length) {
        out.end_line();
        out.write("   ");
      }
    }
  }
  if (length % 16 != 0) {
    const uint32_t missing = 16 - length % 16;
    std::string pad(3 + 3 * missing + (missing > 8 ? 2 : 0), ' ');
    out.write(pad);
    out.write(chars);
  }
  out.end_line();
}

}  // namespace kr
