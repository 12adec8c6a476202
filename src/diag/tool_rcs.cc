// The ToolRCs reference file: explanations, responses and platforms of the
// tool errors, one block each.
#include <initializer_list>
#include <string>
#include <string_view>

#include "core/output.h"
#include "core/tool_errors.h"
#include "diag/rc_names.h"

namespace kr {
namespace {

using Lines = std::initializer_list<std::string_view>;

struct RcBlock {
  std::string_view tc;
  Lines explanation;
  Lines response;
  Lines platform;
  int indent = 17;  // continuation lines stand under the text above
  bool extended_only = false;
};

constexpr std::string_view kCheckFile = "Check: a) file name  b) drive letter  c) path";
constexpr std::string_view kNotTpx = "exculuding Vantor_TPX";
constexpr std::string_view kTpxOnly = "Vantor_TPX only";
constexpr std::string_view kReason = "Check the ReasonCode";
constexpr std::string_view kTypos = "Check for typos (see TOOL Syntax)";

const RcBlock kBlocks[] = {
    {"TC0001", {"Can not open input file (test case file)"}, {kCheckFile}, {kNotTpx}},
    {"TC0002", {"Can not open output file (result file)"}, {kCheckFile}, {kNotTpx}},
    {"TC0003", {"Can not open input file (file with persistent handle(s))"}, {kCheckFile}, {kNotTpx}},
    {"TC0004", {"Can not open output file (persitent handle(s) result file)"}, {kCheckFile}, {kNotTpx}},
    {"TC0005", {"Input file (test case file) is empty"}, {"Check file contents"}, {kNotTpx}},
    {"TC0006",
     {"API keyword or test tool method keyword", "within a test case file can not be interpreted."},
     {"Check for typos in API keyword (see TOOL Syntax)"},
     {}},
    {"TC0007", {"Parameter value within a test case file can not be", "interpreted."}, {kTypos}, {}},
    {"TC0008",
     {"A parameter is missing within a test case file."},
     {"Check for completeness of an API section (see TOOL Syntax)"},
     {}},
    {"TC0009", {"The combination of the parameters within a API section", "is not allowed."}, {"See TOOL Syntax"}, {}},
    {"TC0010", {"Parameter keyword or value within a test case file can ", "not be interpreted."}, {kTypos}, {}},
    {"TC0012", {"Invalid enumeration parameter keyword"}, {kTypos}, {}},
    {"TC0013",
     {"Invalid process ID (PID) index."},
     {"See method TestTool_DosExecPgm or TestTool_DosKillProcess ",
      "Choose a lower user defined index number (IdxPID)."},
     {"Quill only"}},
    {"TC0014",
     {"ExecFlag of method TestTool_DosExecPgm is missing or invalid", "or",
      "ActionFlag of method TestTool_DosKillProcess is invalid or missing."},
     {"See method TestTool_DosExecPgm (Quill only). ", "Check: Parameter value of ExecFlag", "or",
      "TestTool_DosKillProcess (Quill only).", "Check: Parameter value of ActionFlag."},
     {"Quill only"}},
    {"TC0015", {"The user defined handle number is  out of limit."}, {"See TOOL Syntax for handle limits."}, {}},
    {"TC0016",
     {"Parameter \"ALL\" represented by \"...VectorHdl\" ", "is invalid in this context."},
     {"See TOOL syntax, check for valid options."},
     {}},
    {"TC0017", {"The object can not be processed, because it is invalid."}, {"Check object attributes."}, {}},
    {"TC0018", {"Length of BINARY data is not specified."}, {"Invoke Pvxj...BinaryLength() API before."}, {}},
    {"TC0019", {"Length of BINARY data is not specified."}, {"Specify parameter \"DataLength\" first."}, {}},
    {"TC0020",
     {"An expected double quote (\") as string delimiter is missing."},
     {"Check string parameter of the API method within a test case file ", "for a missing double quote."},
     {}},
    {"TC0021",
     {"A command line argument / parameter is missing."},
     {"Check for completeness of the command line (see also help option \"-h\")"},
     {}},
    {"TC0022", {"Comment END \"*/\" not found"}, {kTypos}, {}},
    {"TC0023",
     {"Out of resources"},
     {"Check values of parameter \"BufferLength\" of the API calls:",
      "If requested buffer size was 0 bytes use a number > 0.",
      "If requested buffer size was > 0 bytes check system resources."},
     {},
     19},
    {"TC0024",
     {"If statement error"},
     {"Check for missing: TestTool_IF   or", "TestTool_Else or", "TestTool_End."},
     {},
     36},
    {"TC0025", {"Cannot connect to QueueManager"}, {kReason}, {kTpxOnly}, 17, true},
    {"TC0026", {"Cannot open Queue"}, {kReason}, {kTpxOnly}, 17, true},
    {"TC0027", {"Cannot get a message from Queue"}, {kReason}, {kTpxOnly}, 17, true},
    {"TC0028", {"Cannot put a message to Queue"}, {kReason}, {kTpxOnly}, 17, true},
    {"TC0029", {"Cannot close the Queue"}, {kReason}, {kTpxOnly}, 17, true},
    {"TC0030", {"Cannot disconnect from QueueManager"}, {kReason}, {kTpxOnly}, 17, true},
    {"TC0031", {"Hex string ends with a half byte."}, {"Change the hex string and look for a even string length"}, {}},
    {"TC0032",
     {"Hex string contains a unknown char"},
     {"See valid chars: \"0123456789aAbBcCdDeEfF\""},
     {}},
};

void field(Sink& out, std::string_view label, Lines lines, int indent) {
  bool first = true;
  for (std::string_view l : lines) {
    if (first) {
      out.write(label);
    } else {
      out.write(std::string(indent, ' '));
    }
    out.line(l);
    first = false;
  }
}

}  // namespace

void write_tool_rcs(Sink& out, bool extended) {
  out.line("");
  out.line("========= TOOL RCs ========================================");
  out.line("");
  out.line("The tool generates error messages. Most error messages are written to the");
  out.line("result file. Some messages are also sent to stderr. The explanations of the");
  out.line("messages and suggested actions are listed in the table below.");
  out.line("");
  out.line("CAUTION:");
  out.line("Some of the test tool errors will cause a termination of test tool application");
  out.line("via an exit(). When the test tool application is a DLL and an exit()");
  out.line("occurs, then the calling application (e.g. PEA) will also be terminated.");
  out.line("");
  out.line("When several error messages within one scenario occur, analyze the first message");
  out.line("first before checking any later error messages. In many cases, the first error");
  out.line("is the cause of all subsequent errors.");
  out.line("");
  for (const RcBlock& b : kBlocks) {
    if (b.extended_only && !extended) continue;
    out.write("TOOL Error No.:  ");
    out.line(b.tc);
    field(out, "Explanation:     ", b.explanation, b.indent);
    field(out, "Response:        ", b.response, b.indent);
    field(out, "Platform:        ", b.platform, b.indent);
    out.line("");
  }
  out.line("============================================================");
}

}  // namespace kr
