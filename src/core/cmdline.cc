#include "core/cmdline.h"

#include <sys/stat.h>
#include <unistd.h>

#include "core/keywords.h"
#include "core/output.h"

namespace kr {
namespace {

void usage(Sink& err) {
  err.line("Usage:  kestrun1.exe <[path]tc fn> <[path]log fn>");
  err.line("or");
  err.line("Usage:  kestrun1.exe <[path]tc fn> NoOutput");
  err.line("or");
  err.line("Usage:  kestrun1.exe Syntax <FileSpec>");
  err.line("or");
  err.line("Usage:  kestrun1.exe ApiRCs <FileSpec>");
  err.line("or");
  err.line("Usage:  kestrun1.exe ToolRCs <FileSpec>");
  err.line("");
}

}  // namespace

void write_help(Sink& out) {
  static constexpr std::string_view kHelp[] = {
      "Usage:",
      "kestrun1.exe [-option [argument] ...]",
      "",
      "Some valid option and argument combinations:",
      "  kestrun1.exe -i <> -o <> [-u <>] [-p <>] [-g <>] [-s <>] [-y <>] [-e <>] [-d]",
      "  kestrun1.exe -i <> -o NoOutput [-u <>] [-p <>] [-g <>] [-s <>] [-y <>] [-e <>] [-d]",
      "  kestrun1.exe -x <>",
      "  kestrun1.exe -r <>",
      "  kestrun1.exe -a <>",
      "  kestrun1.exe -h",
      "",
      "  The following options are valid:",
      "  -i <TestCase>         test case input file name",
      "  -o <Result>           test case output file name",
      "  -u <UserID>           user id",
      "  -p <Password>         password",
      "  -s <System>           system name",
      "  -g <SystemGroup>      system group name",
      "  -y <ConfigurationID>  configuration identifier",
      "  -e <SessionID>        session identifier",
      "  -h                    help (this help)",
      "  -d                    dump arguments",
      "  -x <Syntax>           syntax output file",
      "  -a <ApiRc>            api rc output file",
      "  -r <ToolRc>           tool rc output file",
  };
  for (std::string_view l : kHelp) out.line(l);
}

namespace {

struct DumpRow {
  std::string_view option;
  OptionValue CommandLineSettings::*field;
  std::string_view label;
  bool reference;
};

constexpr DumpRow kDumpOrder[] = {
    {"-i", &CommandLineSettings::test_case, " (TestCase)", false},
    {"-o", &CommandLineSettings::result, " (Result)", false},
    {"-u", &CommandLineSettings::user, " (UserID)", false},
    {"-p", &CommandLineSettings::password, " (Password)", false},
    {"-g", &CommandLineSettings::group, " (SystemGroup)", false},
    {"-s", &CommandLineSettings::system, " (System)", false},
    {"-y", &CommandLineSettings::config, " (ConfigurationID)", false},
    {"-e", &CommandLineSettings::session, " (SessionID)", false},
    {"-x", &CommandLineSettings::syntax, " (Syntax)", true},
    {"-r", &CommandLineSettings::tool_rc, " (ToolRc)", true},
    {"-a", &CommandLineSettings::api_rc, " (ApiRc)", true},
};

bool is_reference_word(std::string_view w, Mode* mode) {
  if (iequals(w, "Syntax")) *mode = Mode::kSyntax;
  else if (iequals(w, "ApiRCs")) *mode = Mode::kApiRcs;
  else if (iequals(w, "ToolRCs")) *mode = Mode::kToolRcs;
  else if (iequals(w, "ToolRCs2")) *mode = Mode::kToolRcs2;
  else return false;
  return true;
}

// Two names of one existing file: another spelling of the path, a symbolic
// or a hard link. The run would replace the test case with its result.
bool same_file(const std::string& a, const std::string& b) {
  struct stat sa, sb;
  if (::stat(a.c_str(), &sa) != 0 || ::stat(b.c_str(), &sb) != 0) return false;
  return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// What a name leads to: device and inode of the file it names or, when
// there is none yet, of the folder it would be made in, with its name there.
struct FileKey {
  dev_t dev = 0;
  ino_t ino = 0;
  std::string name;  // empty for an existing file
  bool operator==(const FileKey&) const = default;
};

bool file_key(std::string path, FileKey* key) {
  for (int hops = 0; hops < 40 && !path.empty(); ++hops) {
    struct stat st;
    if (::stat(path.c_str(), &st) == 0) {
      *key = {st.st_dev, st.st_ino, {}};
      return true;
    }
    const std::size_t slash = path.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : path.substr(0, slash + 1);
    if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
      // A dangling link: writing through it makes the file it points to.
      std::string target(static_cast<std::size_t>(st.st_size) + 1, '\0');
      const ssize_t n = ::readlink(path.c_str(), target.data(), target.size());
      if (n <= 0 || static_cast<std::size_t>(n) >= target.size()) return false;
      target.resize(static_cast<std::size_t>(n));
      path = target[0] == '/' || slash == std::string::npos ? target : path.substr(0, slash + 1) + target;
      continue;
    }
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty() || name == "." || name == ".." || ::stat(folder.c_str(), &st) != 0) return false;
    *key = {st.st_dev, st.st_ino, name};
    return true;
  }
  return false;
}

Invocation exit_with(int code) {
  Invocation inv;
  inv.mode = Mode::kExit;
  inv.exit_code = code;
  return inv;
}

constexpr std::string_view kIdentical = "USAGE ERROR: Input / output file specification is identical";

// File names of a test run, for both forms.
Invocation prepare_run(Invocation inv, Sink& err, const std::vector<std::string>& side_outputs) {
  CommandLineSettings& s = inv.settings;
  s.test_case_name = s.test_case.value;
  s.input_file = with_default_extension(s.test_case.value, ".dat");
  if (iequals(s.result.value, "NoOutput")) {
    s.no_output = true;
    s.result_file = std::string(kNullDevice);
  } else {
    s.result_file = with_default_extension(s.result.value, ".log");
    if (s.input_file == s.result_file || same_file(s.input_file, s.result_file)) {
      err.line(kIdentical);
      return exit_with(4);
    }
  }
  for (std::size_t i = 0; i < side_outputs.size(); ++i) {
    const std::string& f = side_outputs[i];
    bool clash = names_one_file(f, s.input_file) || (!s.no_output && names_one_file(f, s.result_file));
    for (std::size_t j = 0; j < i && !clash; ++j) clash = names_one_file(f, side_outputs[j]);
    if (clash) {
      err.line(kIdentical);
      return exit_with(4);
    }
  }
  err.line("Input File: " + s.input_file);
  err.line("Output File: " + s.result_file);
  inv.mode = Mode::kRun;
  return inv;
}

}  // namespace

bool names_one_file(const std::string& a, const std::string& b) {
  if (a == b) return true;
  FileKey ka, kb;
  return file_key(a, &ka) && file_key(b, &kb) && ka == kb;
}

std::string with_default_extension(const std::string& name, std::string_view ext) {
  const std::size_t dot = name.rfind('.');
  // A dot right before a path separator belongs to "." or ".." (or ends a
  // folder name): the file itself has no extension. Both separators count
  // here, so ./t1 and ../t1 get one as ..\t1 does.
  if (dot == std::string::npos ||
      (dot + 1 < name.size() && (name[dot + 1] == '\\' || name[dot + 1] == '/')))
    return name + std::string(ext);
  return name;
}

const OptionValue* CommandLineSettings::cl_value(std::string_view kw) const {
  switch (keyword_id(kw)) {
    case kUserID: return &user;
    case kPassword: return &password;
    case kSystem: return &system;
    case kSystemGroup: return &group;
    case kConfigurationID: return &config;
    case kSessionID: return &session;
    default: return nullptr;
  }
}

void write_argument_dump(const CommandLineSettings& s, Sink& to, bool with_reference_options) {
  to.line("Command Line Arguments:");
  for (const DumpRow& r : kDumpOrder) {
    const OptionValue& v = s.*(r.field);
    if (!v.given || (r.reference && !with_reference_options)) continue;
    std::string line(r.option);
    line.append("=").append(v.value).append(r.label);
    to.line(line);
  }
  to.line("-d");
}

Invocation parse_command_line(const std::vector<std::string>& args, Sink& out, Sink& err,
                              const std::vector<std::string>& side_outputs) {
  Invocation inv;
  CommandLineSettings& s = inv.settings;
  s.program = args.empty() ? std::string("kestrun1") : args[0];
  const std::size_t argc = args.size();

  if (argc < 2 || args[1].empty() || args[1][0] != '-') {
    if (argc != 3) {
      usage(err);
      return exit_with(4);
    }
    Mode mode;
    if (is_reference_word(args[1], &mode)) {
      inv.mode = mode;
      inv.reference_file = args[2];
      inv.redirect_label = args[1];  // as typed
      return inv;
    }
    s.test_case = {args[1], true};
    s.result = {args[2], true};
    return prepare_run(std::move(inv), err, side_outputs);
  }

  struct Opt {
    char letter;
    OptionValue CommandLineSettings::*field;  // null for the flags
  };
  static constexpr Opt kOptions[] = {
      {'i', &CommandLineSettings::test_case}, {'o', &CommandLineSettings::result},
      {'u', &CommandLineSettings::user},      {'p', &CommandLineSettings::password},
      {'s', &CommandLineSettings::system},    {'g', &CommandLineSettings::group},
      {'y', &CommandLineSettings::config},    {'e', &CommandLineSettings::session},
      {'x', &CommandLineSettings::syntax},    {'a', &CommandLineSettings::api_rc},
      {'r', &CommandLineSettings::tool_rc},   {'h', nullptr},
      {'d', nullptr},
  };
  for (std::size_t i = 1; i < argc; ++i) {
    const std::string& a = args[i];
    const Opt* opt = nullptr;
    if (a.size() >= 2 && a[0] == '-')
      for (const Opt& o : kOptions)
        if (a[1] == o.letter) { opt = &o; break; }
    if (!opt) {
      err.line("Unknown option: " + a);
      return exit_with(4);
    }
    if (!opt->field) {
      (opt->letter == 'h' ? s.help : s.dump) = true;
      continue;
    }
    OptionValue& v = s.*(opt->field);
    if (a.size() > 2) {
      v = {a.substr(2), true};
    } else if (i + 1 < argc && !(args[i + 1].size() > 0 && args[i + 1][0] == '-')) {
      v = {args[++i], true};
    } else {
      err.line("Missing argument: " + a + " ???");
      return exit_with(4);
    }
  }

  if (s.help) {
    write_help(out);
    return exit_with(0);
  }
  if (s.dump) {
    write_argument_dump(s, err, true);
    err.line("");
  }
  const bool has_i = s.test_case.given, has_o = s.result.given;
  if (has_i && !has_o) {
    err.line("Missing argument: -o ??? (log fn)");
    return exit_with(4);
  }
  if (has_o && !has_i) {
    err.line("Missing argument: -i ??? (log fn)");
    return exit_with(4);
  }
  const bool any_value = s.user.given || s.password.given || s.system.given || s.group.given ||
                         s.config.given || s.session.given;
  if (any_value && !(has_i && has_o)) {
    err.line("Missing argument: -i ??? and -o ???");
    return exit_with(4);
  }
  if (s.syntax.given) {
    inv.mode = Mode::kSyntax;
    inv.reference_file = s.syntax.value;
    inv.redirect_label = "Syntax will be";
    return inv;
  }
  if (s.tool_rc.given) {
    inv.mode = Mode::kToolRcs;
    inv.reference_file = s.tool_rc.value;
    inv.redirect_label = "Tool RCs will be";
    return inv;
  }
  if (s.api_rc.given) {
    inv.mode = Mode::kApiRcs;
    inv.reference_file = s.api_rc.value;
    inv.redirect_label = "API RCs will be";
    return inv;
  }
  if (has_i && has_o) return prepare_run(std::move(inv), err, side_outputs);
  err.line("Missing options and arguments: -i <...> and -o <...>");
  return exit_with(4);
}

}  // namespace kr
