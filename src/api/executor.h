#pragma once
// The API call template: one section from its keyword line to its report.
#include <cstddef>
#include <string>
#include <string_view>

#include "api/catalogue.h"

namespace kr {
struct RunContext;
}

namespace kr::api {

// Handler of every API class: runs the section of ctx.keyword_id from its
// catalogue row, or answers TC0006 when no row serves the keyword.
void api_handler(RunContext& ctx);

// The generic echo and check of one parameter; false when the section ended
// (a tool error was reported). Family steps call it for the parameters they
// do not treat themselves.
bool echo_param(Call& call, std::size_t k);
// The next word of the input file of parameter `keyword`; a word too long
// for any identifier is TC0007 and false (the section is abandoned).
bool file_word(Call& call, int keyword, std::string* word);

// Closes an output file a section wrote (session identifier, object
// identifier, stream): a file not written completely ends the run with exit
// code 1, naming the file and the reason (write_failure). Every family that
// writes such a file closes it through here.
void finish_output_file(RunContext& ctx, Value& file);

// "            " keyword " = " value: a value taken from a file or a slot.
void echo_derived(RunContext& ctx, int keyword, std::string_view value);

// The persistent-object methods: the identifier from the input file (the
// word after its class tag) or from the identifier slot, echoed as derived
// and passed as kArgDerived; then the echo of the row's last parameter.
bool resolve_persistent_object(Call& c);

// The status report with a handle written as eight upper-case hex digits.
void status_report(RunContext& ctx, int keyword, PvxjHandle handle);

// The bytes of a correlation slot as upper-case hex: the text under which
// status reports show a request's correlation identifier.
std::string correl_text(const unsigned char* id);

// Hex dump lines of a byte block under "parameter:  keyword = ".
void echo_bytes(RunContext& ctx, int keyword, const unsigned char* bytes, std::size_t length);

}  // namespace kr::api
