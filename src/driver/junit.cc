#include "driver/junit.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "core/run_context.h"

namespace kr {
namespace {

constexpr std::string_view kReplacement = "\xEF\xBF\xBD";

// Length of the valid UTF-8 sequence at s[i] that encodes an XML character,
// or 0.
std::size_t xml_char_length(std::string_view s, std::size_t i) {
  const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  if (c < 0x80) return (c >= 0x20 || c == '\t' || c == '\n' || c == '\r') ? 1 : 0;
  std::size_t n;
  uint32_t cp;
  if (c >= 0xC2 && c <= 0xDF)
    n = 2, cp = c & 0x1F;
  else if (c >= 0xE0 && c <= 0xEF)
    n = 3, cp = c & 0x0F;
  else if (c >= 0xF0 && c <= 0xF4)
    n = 4, cp = c & 0x07;
  else
    return 0;
  if (i + n > s.size()) return 0;
  for (std::size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  // Overlong forms, surrogates, beyond U+10FFFF, and the two non-characters
  // XML excludes.
  if ((n == 3 && cp < 0x800) || (n == 4 && cp < 0x10000) || cp > 0x10FFFF) return 0;
  if ((cp >= 0xD800 && cp <= 0xDFFF) || cp == 0xFFFE || cp == 0xFFFF) return 0;
  return n;
}

std::string seconds_text(double s) {
  char b[32];
  snprintf(b, sizeof b, "%.3f", s < 0 ? 0.0 : s);
  return b;
}

bool is_tool_error_line(std::string_view l) {
  return l.size() > 19 && l.substr(0, 2) == "TC" && l.substr(6, 13) == "  TC ERROR:  ";
}

// Splits text into lines without their line feeds.
std::vector<std::string_view> lines_of(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t nl = text.find('\n', start);
    if (nl == std::string_view::npos) nl = text.size();
    out.push_back(text.substr(start, nl - start));
    start = nl + 1;
  }
  return out;
}

}  // namespace

std::string xml_text(std::string_view s, bool attribute) {
  std::string r;
  r.reserve(s.size());
  for (std::size_t i = 0; i < s.size();) {
    const char c = s[i];
    switch (c) {
      case '&':
        r.append("&amp;");
        ++i;
        continue;
      case '<':
        r.append("&lt;");
        ++i;
        continue;
      case '>':
        r.append("&gt;");
        ++i;
        continue;
      case '"':
        r.append("&quot;");
        ++i;
        continue;
      case '\'':
        r.append("&apos;");
        ++i;
        continue;
      case '\n':
        r.append(attribute ? "&#10;" : "\n");
        ++i;
        continue;
      case '\r':
        r.append("&#13;");
        ++i;
        continue;
      case '\t':
        r.append(attribute ? "&#9;" : "\t");
        ++i;
        continue;
      default:
        break;
    }
    const std::size_t n = xml_char_length(s, i);
    if (n == 0) {
      r.append(kReplacement);
      ++i;
    } else {
      r.append(s.substr(i, n));
      i += n;
    }
  }
  return r;
}

void JunitRecorder::begin(RunContext& ctx) {
  const Input::LineColumn lc = ctx.in.line_column(ctx.in.token_start());
  // A refused keyword can be as long as the file: the name shows its start.
  name_ = ctx.keyword.substr(0, 300);
  name_.append(" (line ").append(std::to_string(lc.line));
  if (ctx.loop.active) name_.append(", pass ").append(std::to_string(ctx.loop.counter + 1));
  name_.append(")");
  captured_.clear();
  ctx.out.tee(&captured_);
  open_ = true;
  start_ = std::chrono::steady_clock::now();
}

void JunitRecorder::end(RunContext& ctx, bool not_a_section) {
  if (!open_) return;
  open_ = false;
  ctx.out.tee(nullptr);
  Case c;
  c.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  const std::vector<std::string_view> lines = lines_of(captured_);
  for (std::size_t i = 0; i < lines.size(); ++i)
    if (is_tool_error_line(lines[i])) {
      c.outcome = Case::kError;
      c.type.assign(lines[i].substr(0, 6));
      c.message.assign(lines[i]);
      // Continuation lines (the handle detail, a second message line) are indented.
      while (++i < lines.size() && !lines[i].empty() && lines[i][0] == ' ') c.message.append("\n").append(lines[i]);
      break;
    }
  if (c.outcome == Case::kPass) {
    // A failed check: its report block, from the block's header line to
    // the "+++ERROR+++" line.
    for (std::size_t i = 0; i < lines.size(); ++i) {
      if (lines[i] != "+++ERROR+++") continue;
      std::size_t first = i;
      while (first > 0 && lines[first].substr(0, 10) != "..........") --first;
      c.outcome = Case::kFailure;
      c.type = "check";
      for (std::size_t k = first; k <= i; ++k) c.message.append(lines[k]).append("\n");
      break;
    }
  }
  if (not_a_section && c.outcome == Case::kPass) return;
  c.name = std::move(name_);
  if (c.outcome != Case::kPass) c.text = captured_;
  cases_.push_back(std::move(c));
}

void JunitRecorder::finish(RunContext& ctx, int exit_code, bool fatal) {
  end(ctx, false);
  exit_code_ = exit_code;
  verdict_ = fatal            ? "ended by a fatal tool error"
             : ctx.break_flag ? "break due to error(s)"
             : ctx.error_flag ? "ended with error(s)"
                              : "ended normally";
}

std::string JunitRecorder::xml() const {
  std::size_t failures = 0, errors = 0;
  double total = 0;
  for (const Case& c : cases_) {
    failures += c.outcome == Case::kFailure;
    errors += c.outcome == Case::kError;
    total += c.seconds;
  }
  const std::string suite = xml_text(suite_, true);
  std::string x = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  x.append("<testsuites tests=\"").append(std::to_string(cases_.size()));
  x.append("\" failures=\"").append(std::to_string(failures));
  x.append("\" errors=\"").append(std::to_string(errors));
  x.append("\" time=\"").append(seconds_text(total)).append("\">\n");
  x.append("  <testsuite name=\"").append(suite);
  x.append("\" tests=\"").append(std::to_string(cases_.size()));
  x.append("\" failures=\"").append(std::to_string(failures));
  x.append("\" errors=\"").append(std::to_string(errors));
  x.append("\" skipped=\"0\" time=\"").append(seconds_text(total)).append("\">\n");
  x.append("    <properties>\n");
  x.append("      <property name=\"verdict\" value=\"").append(xml_text(verdict_, true)).append("\"/>\n");
  x.append("      <property name=\"exit_code\" value=\"").append(std::to_string(exit_code_)).append("\"/>\n");
  x.append("    </properties>\n");
  for (const Case& c : cases_) {
    x.append("    <testcase name=\"").append(xml_text(c.name, true));
    x.append("\" classname=\"").append(suite);
    x.append("\" time=\"").append(seconds_text(c.seconds)).append("\"");
    if (c.outcome == Case::kPass) {
      x.append("/>\n");
      continue;
    }
    x.append(">\n");
    const char* tag = c.outcome == Case::kFailure ? "failure" : "error";
    x.append("      <").append(tag).append(" message=\"").append(xml_text(c.message, true));
    x.append("\" type=\"").append(xml_text(c.type, true)).append("\">");
    x.append(xml_text(c.message, false)).append("</").append(tag).append(">\n");
    x.append("      <system-out>").append(xml_text(c.text, false)).append("</system-out>\n");
    x.append("    </testcase>\n");
  }
  x.append("  </testsuite>\n</testsuites>\n");
  return x;
}

int JunitRecorder::write(const std::string& file) const {
  errno = 0;
  FILE* f = fopen(file.c_str(), "wb");
  if (!f) return errno ? errno : EIO;
  const std::string x = xml();
  int error = 0;
  errno = 0;
  if (fwrite(x.data(), 1, x.size(), f) != x.size() || fflush(f) != 0 || ferror(f)) error = errno ? errno : EIO;
  errno = 0;
  if (fclose(f) != 0 && !error) error = errno ? errno : EIO;
  // Half a report would read as a shorter run: a plain file that could not
  // take it all is removed (a device or a pipe is left alone).
  struct stat st;
  if (error && ::lstat(file.c_str(), &st) == 0 && S_ISREG(st.st_mode)) ::unlink(file.c_str());
  return error;
}

}  // namespace kr
