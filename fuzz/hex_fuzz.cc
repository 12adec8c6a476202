// The hex parser and the hex dump: the input is the text of a hex value.
// What parses is dumped, and must have half the text's length.
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "core/cmdline.h"
#include "core/output.h"
#include "core/run_context.h"
#include "eval/hex.h"
#include "fuzz.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) { return 0; }

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  kr::CommandLineSettings settings;
  std::string console, result;
  kr::Sink err(&console);
  kr::RunContext ctx(settings, err);
  ctx.out.capture(&result);
  std::vector<unsigned char> bytes;
  if (kr::parse_hex(ctx, text, &bytes) == 0) {
    if (bytes.size() * 2 != size) std::abort();
    ctx.out.write("AcValue = ");
    kr::hex_dump(ctx.out, bytes.data(), static_cast<uint32_t>(bytes.size()));
  }
  ctx.flush();
  return 0;
}
