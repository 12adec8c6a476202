// The fixed sections of the syntax reference: what a test case is made of,
// how handles, checks, loops and IFs work, and how the tool is run.
#include <initializer_list>
#include <string_view>

#include "core/output.h"
#include "reference/sections.h"

namespace kr {
namespace {

using Lines = std::initializer_list<std::string_view>;

void lines(Sink& out, Lines ls) {
  for (std::string_view l : ls) out.line(l);
}

// Table 1, in the order testers know it. CorrelId(Hdl) and SymbolLayoutHandle
// are written as the table has always shown them.
constexpr std::string_view kHandleTable[] = {
    "ActivityInstanceHdl",
    "ActivityInstanceVectorHdl",
    "ActivityInstanceListHdl",
    "ActivityInstanceListVectorHdl",
    "ActivityInstanceNotificationHdl",
    "ActivityInstanceNotificationVectorHdl",
    "BlockInstanceMonitorHdl",
    "ContainerElementHdl",
    "ContainerElementVectorHdl",
    "ControlConnectorInstanceHdl",
    "ControlConnectorInstanceVectorHdl",
    "DateTimeHdl",
    "DllOptionsHdl",
    "ErrorHdl",
    "ExeOptionsHdl",
    "ExecutionDataHdl",
    "ExecutionServiceHdl",
    "ExternalOptionsHdl",
    "ImplementationDataHdl",
    "ImplementationDataVectorHdl",
    "InstanceMonitorHdl",
    "IntVectorHdl",
    "ItemHdl",
    "ItemVectorHdl",
    "PersonHdl",
    "PointHdl",
    "PointVectorHdl",
    "ProcessInstanceHdl",
    "ProcessInstanceListHdl",
    "ProcessInstanceListVectorHdl",
    "ProcessInstanceMonitorHdl",
    "ProcessInstanceNotificationHdl",
    "ProcessInstanceNotificationVectorHdl",
    "ProcessInstanceVectorHdl",
    "ProcessTemplateHdl",
    "ProcessTemplateListHdl",
    "ProcessTemplateListVectorHdl",
    "ProcessTemplateVectorHdl",
    "ProgramTemplateHdl",
    "ProgramDataHdl",
    "ReadOnlyContainerHdl",
    "ReadWriteContainerHdl",
    "ResultHdl",
    "StringVectorHdl",
    "SymbolLayoutHandle",
    "WorkitemHdl",
    "WorkitemVectorHdl",
    "WorklistHdl",
    "WorklistVectorHdl",
    "CorrelId(Hdl)",
    "PersistentOidHdl",
    "SessionIdHdl",
    "StreamHdl",
};
static_assert(sizeof kHandleTable / sizeof kHandleTable[0] == 53);

void general_information(Sink& out) {
  out.line(main_header(" GENERAL INFORMATION "));
  out.line("");
  lines(out, {
      "TEST_CASE_BODY",
      "",
      "  TEST_CASE_BODY = [ FUNCTION_TEMPLATE | COMMENT ]+",
      "",
      "  A test case file is a sequence of function templates and comments. The",
      "  tool reads it from top to bottom and carries out one template after the",
      "  other. Keywords may be written in any case; line ends and indentation",
      "  have no meaning, but one parameter per line is easiest to read.",
      "",
      "FUNCTION_TEMPLATE",
      "",
      "  FunctionName",
      "    [ HandleKeyword                   Handle ]*",
      "    [ ParameterKeyword                Parameter ]*",
      "    [ ExpectedParameterKeyword        ExpectedValue ]*",
      "  End",
      "",
      "  FunctionName is an API function (Pvxj...) or a method of the tool",
      "  (TestTool_..., TestResource_...). The parameters may be given in any",
      "  order; a parameter given twice keeps its last value. Every template is",
      "  closed by End. The templates of this document list every parameter that",
      "  a function takes, in the order in which the result file shows them.",
      "",
      "COMMENT",
      "",
      "  COMMENT = /* text */",
      "",
      "  A comment begins with a word that starts with /* and ends with the first",
      "  word that contains */. Comments must not appear within a method",
      "  template: there /* is an unknown keyword. A /* inside a comment ends the",
      "  run.",
      "",
      "HANDLE MANAGEMENT",
      "",
      "  The objects that the API returns are kept by the tool under handle",
      "  numbers that the test case chooses: PvxjExecutionServiceAllocate with",
      "  ExecutionServiceHdl 1 stores the new service as number 1, and every",
      "  later template names it as ExecutionServiceHdl 1. Every handle type has",
      "  its own numbers.",
      "",
      "  Table 1 : Valid user-defined handle values (external representation)",
      "",
  });
  for (std::string_view h : kHandleTable) out.line(handle_line(h));
  lines(out, {
      "",
      "  A handle of the form n receives a new object; an object already stored",
      "  under that number is overwritten, with a warning. A handle of the form i",
      "  names an object stored before. A vector handle of the form i+ names a",
      "  stored vector to which the new result is added.",
      "  ALL: where a template shows \"i | ...VectorHdl i (ALL)\", the vector",
      "  handle keyword may be given instead of the element handle keyword; the",
      "  function is then called for every element of that vector, and each",
      "  element's result is listed.",
      "",
      "RETURN CODES AND EVALUATION",
      "",
      "  XpRc names the return code that a function is expected to return, as a",
      "  rule PVX_OK; XpValue names the value that a function is expected to",
      "  return. The tool compares them with the actual return code and value",
      "  (AcRc, AcValue) and writes +++OK+++ or +++ERROR+++. Without XpRc or",
      "  XpValue nothing is checked: the actual values are only reported.",
      "  XpValue is not evaluated in the ALL form.",
      "",
      "KEYWORD ABBREVIATIONS",
      "",
      "  Ac...              actual value, reported by the tool (AcRc, AcValue)",
      "  Xp...              expected value, given by the test case (XpRc, XpValue)",
      "  ...Rc              return code",
      "  ...Hdl             handle number (...Hdl2, ...Hdl3: a second and third",
      "                     handle of the same type)",
      "  ...Obj...          object (CreateNoObj: the number of objects to create)",
      "",
      "PARAMETER ABBREVIATIONS",
      "",
      "  i                  number of an existing handle",
      "  i+                 number of an existing vector handle; the result is",
      "                     added to that vector",
      "  n                  number under which a new handle is stored",
      "  int                integer number",
      "  short              short integer number",
      "  long               long integer number (32 bits)",
      "  unsigned long      unsigned long integer number (32 bits)",
      "  double             floating-point number",
      "  value              string without blanks",
      "  \"value\"            string with blanks; a double quote inside is written twice",
      "  \"dt_value\"         date-time string such as \"04-16-1998 08:32:59PM\"",
      "  \"sc_value\"         sort criteria such as \"NAME DESC\"",
      "  \"fi_value\"         filter such as \"STATE = READY AND NAME LIKE 'Loan*'\"",
      "  \"hex_value\"        hex string for a binary value, two digits a byte",
      "  \"value1;value2;...\" several strings",
      "  \"<CL-VALUE>\"       value from the command line (-u, -p, -s, -g, -y, -e)",
      "  \"FileSpec\"         file name",
      "  NULL               null pointer: the value is absent",
      "  DEFAULT            the tool's default for this value",
      "  A | B              one of the alternatives, for example TRUE | FALSE, or",
      "                     the names of an enumeration (its numbers are accepted",
      "                     too)",
      "  [ ... ]            optional: the parameter may be left out",
      "",
      "  The XpRc line shows the return code expected as a rule, PVX_OK; any",
      "  return code name of the ApiRCs file may be given.",
      "",
      "  Values from files or earlier sections: where a template lists an",
      "  ...InputFileSpec beside the parameters it stands for (an object",
      "  identifier, a session identifier, a program id, a stream, credentials),",
      "  give one of them; the file is read when it is given. PersistentOid is",
      "  another name of PersistentOidHdl.",
      "",
      "LOOPS",
      "",
      "  TestTool_LoopStart",
      "    NoOfLoops                         3",
      "  End",
      "    ...                               <- carried out 3 times",
      "  TestTool_JumpToLoopStart",
      "",
      "  The statements between TestTool_LoopStart and TestTool_JumpToLoopStart",
      "  are carried out NoOfLoops times; TestTool_LoopBreak ends the loop after",
      "  the current pass. Loops cannot be nested.",
      "",
      "IF, THEN, ELSE",
      "",
      "  TestTool_If",
      "  End",
      "    API sections                      <- the IF expression",
      "  TestTool_Then",
      "    ...                               <- carried out when it is TRUE",
      "  TestTool_Else",
      "    ...                               <- carried out when it is FALSE",
      "  TestTool_EndIf",
      "",
      "  The API sections between TestTool_If and TestTool_Then make the IF",
      "  expression. Each of them with XpRc or XpValue adds a term:",
      "    (AcRc == XpRc)       -> true/false,",
      "    (AcValue == XpValue) -> true/false.",
      "  and the expression is TRUE when every term is. Between IF and THEN the",
      "  tool writes \"API expression is TRUE\" or \"API expression is FALSE\"",
      "  instead of +++OK+++ and +++ERROR+++, and a FALSE term is no error.",
      "  TestTool_Else may be left out. IFs cannot be nested.",
      "",
      "DLL VERSIONS",
      "",
      "  The tool has also been built as two libraries, kestrun0 and kestrun2,",
      "  with the entry point CApiTestToolDll that takes the arguments of the",
      "  command line; kestrun2 takes a program id as its first argument. This",
      "  build provides only the program kestrun1. It finds the workflow client",
      "  library through the shared library search path of the system.",
      "",
  });
}

void running_the_tool(Sink& out) {
  out.line(main_header("RUNNING THE TOOL"));
  out.line("");
  lines(out, {
      "Invocation mode 1:",
      "",
      "  Usage:  kestrun1 <[path]tc fn> <[path]log fn>",
      "  or",
      "  Usage:  kestrun1 <[path]tc fn> NoOutput",
      "  or",
      "  Usage:  kestrun1 Syntax <FileSpec>",
      "  or",
      "  Usage:  kestrun1 ApiRCs <FileSpec>",
      "  or",
      "  Usage:  kestrun1 ToolRCs <FileSpec>",
      "",
      "  tc   test case",
      "  fn   file name",
      "  log  result file",
      "",
      "  Default extensions: \"dat\" for the test case file and \"log\" for the",
      "  result file, added when the name has no extension. NoOutput runs the",
      "  test case without a result file.",
      "",
      "Invocation mode 2:",
      "",
      "  kestrun1 [-option [argument] ...]: see kestrun1 -h for the options.",
      "",
      "RETURN VALUES",
      "",
      "  no error                          0",
      "  usage error                       4",
      "  error                             8",
      "  severe error                      12",
      "  user defined return code          int",
      "",
      "Examples:",
      "",
      "  kestrun1 logon logon",
      "  kestrun1 c:\\tests\\logon.dat c:\\results\\logon.log",
      "  kestrun1 -i logon -o logon -u USER1 -p pw1",
      "  kestrun1 Syntax syntax.txt",
      "",
      "  Caution: several instances of the tool may run in parallel, but each",
      "  must be given its own test case and result file names.",
      "",
  });
}

void skip_statements(Sink& out) {
  out.line(main_header("TEST CASE SKIP STATEMENTS"));
  out.line("");
  lines(out, {
      "  <NOT_C>             ...  </NOT_C>",
      "  <NOT_WORKSTATION>   ...  </NOT_WORKSTATION>",
      "",
      "  Everything between these tags is skipped unread. The tags <NOT_CPP>,",
      "  <NOT_JAVA>, <NOT_X>, <NOT_VB>, <NOT_VANTOR> and <NOT_VANTORTPX> and their",
      "  closing tags are ignored: the statements they enclose are carried out.",
      "  Skip blocks cannot be nested.",
      "",
  });
}

void restrictions(Sink& out) {
  out.line(main_header("TEST CASE RESTRICTIONS"));
  out.line("");
  lines(out, {
      "  Test case files must have CR LF line ends on the workstation platforms;",
      "  this tool reads CR LF and LF alike.",
      "  A template holds at most 30 words (its keyword and End included), and a",
      "  word or quoted string at most 263 characters.",
      "",
  });
}

}  // namespace

void write_general_sections(Sink& out) {
  general_information(out);
  running_the_tool(out);
  skip_statements(out);
  restrictions(out);
}

}  // namespace kr
