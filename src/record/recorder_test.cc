#include "record/recorder.h"

#include <gtest/gtest.h>

#include "api/keyword_ids.h"
#include "core/keywords.h"

namespace kr {
namespace {

// The run's offset of the n-th occurrence of `word` (CR LF read as LF).
std::size_t run_offset(std::string_view text, std::string_view word, int n = 1) {
  std::size_t at = 0;
  for (int i = 0; i < n; ++i) at = text.find(word, i ? at + 1 : 0);
  std::size_t crs = 0;
  for (std::size_t i = 0; i + 1 < at; ++i) crs += text[i] == '\r' && text[i + 1] == '\n';
  return at - crs;
}

Observation rc(std::string name) {
  Observation o;
  o.rc_seen = true;
  o.rc = std::move(name);
  return o;
}
Observation value(std::string v) {
  Observation o;
  o.value_seen = true;
  o.value = std::move(v);
  return o;
}

TEST(Record, ExpectationsGoBeforeEndInTheSectionsLayout) {
  const std::string text =
      "/* keep   this */\n"
      "PvxjExecutionServiceLogon\n"
      "\tExecutionServiceHdl 1\n"
      "\tUserID \"<CL-VALUE>\"\n"
      "End\n"
      "PvxjStringVectorSize   StringVectorHdl 2   End   \n";
  Observations seen;
  seen[run_offset(text, "PvxjExecutionServiceLogon")] = rc("PVX_OK");
  seen[run_offset(text, "PvxjStringVectorSize")] = value("3");
  EXPECT_EQ(recorded_text(text, seen, false),
            "/* keep   this */\n"
            "PvxjExecutionServiceLogon\n"
            "\tExecutionServiceHdl 1\n"
            "\tUserID \"<CL-VALUE>\"\n"
            "\tXpRc PVX_OK\n"
            "End\n"
            "PvxjStringVectorSize   StringVectorHdl 2   XpValue 3 End   \n");
}

TEST(Record, CrLfFilesKeepTheirLineEnds) {
  const std::string text = "PvxjExecutionServiceLogoff\r\n  ExecutionServiceHdl 1\r\nEnd\r\n";
  Observations seen;
  seen[run_offset(text, "PvxjExecutionServiceLogoff")] = rc("PVX_ERROR_NOT_LOGGED_ON");
  EXPECT_EQ(recorded_text(text, seen, false),
            "PvxjExecutionServiceLogoff\r\n  ExecutionServiceHdl 1\r\n  XpRc PVX_ERROR_NOT_LOGGED_ON\r\nEnd\r\n");
}

TEST(Record, GivenExpectationsStayUnlessAllAreRecorded) {
  const std::string text =
      "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_ERROR End\n"
      "PvxjStringVectorSize StringVectorHdl 2 XpValue 7 End\n"
      "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End\n";
  Observations seen;
  seen[run_offset(text, "PvxjExecutionServiceLogoff")] = rc("PVX_OK");
  seen[run_offset(text, "PvxjStringVectorSize")] = value("3");
  seen[run_offset(text, "PvxjExecutionServiceLogoff", 2)] = rc("PVX_OK");
  EXPECT_EQ(recorded_text(text, seen, false), text);
  EXPECT_EQ(recorded_text(text, seen, true),
            "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End\n"
            "PvxjStringVectorSize StringVectorHdl 2 XpValue 3 End\n"
            "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 XpRc PVX_OK End\n");
}

TEST(Record, WhatVariesOrCannotBeWrittenIsLeftOut) {
  const std::string text =
      "PvxjStringVectorSize StringVectorHdl 2 End\n"
      "PvxjExecutionServiceLogoff ExecutionServiceHdl 1 End\n"
      "PvxjStringVectorSize StringVectorHdl 3 XpValueLike \"a\" End\n"
      "PvxjExecutionServiceLogoff ExecutionServiceHdl 1\n";  // no End: the run never finished it
  Observations seen;
  Observation loop = value("3");
  loop.value_varies = true;  // a loop's passes saw 3 and 4
  seen[run_offset(text, "PvxjStringVectorSize")] = loop;
  Observation unnamed = rc("");
  unnamed.rc_varies = true;  // a code without a name
  seen[run_offset(text, "PvxjExecutionServiceLogoff")] = unnamed;
  seen[run_offset(text, "PvxjStringVectorSize", 2)] = value("5");
  seen[run_offset(text, "PvxjExecutionServiceLogoff", 2)] = rc("PVX_OK");
  EXPECT_EQ(recorded_text(text, seen, true), text);
}

TEST(Record, VolatileResultsAreTimesAndIdentifiers) {
  EXPECT_TRUE(volatile_result(kPvxjDateTimeCurrentTime));
  EXPECT_TRUE(volatile_result(kPvxjProcessTemplatePersistentOid));
  EXPECT_TRUE(volatile_result(kPvxjPEAProgramID));
  EXPECT_FALSE(volatile_result(kPvxjServiceTimeout));
  EXPECT_FALSE(volatile_result(kPvxjServiceUserID));
  EXPECT_EQ(quoted_value("say \"hi\""), "\"say \"\"hi\"\"\"");
  EXPECT_EQ(quoted_value(nullptr), "NULL");
}

}  // namespace
}  // namespace kr
