// Program data: what checking out a work item hands the client so it can run
// the activity's program itself: the program's common data, its
// implementations (none, the one for a platform, or all), and the activity's
// input container and the output container the program starts from.
//
// Stream form: a record of kind program data (layout in record.h) named for
// the program. Its fields are the common data under reserved names that no
// structure member can have, then the implementations, then the containers:
//   $description $icon            text or null
//   $unattended $trusted          long 0/1
//   $executionMode $executionUser long (Pvx_GM_, Pvx_GU_)
//   $inStructure $outStructure    text or null (the containers' structures)
//   $implementation[K].platform   long, K counted from 1, then .kind and the
//   $implementation[K].KEY        options set, KEY as in the definition format
//   $in.MEMBER  $out.MEMBER       container values, MEMBER a qualified name
#ifndef PVXJSIM_PROGRAM_DATA_H
#define PVXJSIM_PROGRAM_DATA_H

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "record.h"

namespace pvxjsim {

class Store;

// What a check-out asks for (Pvx_WS_).
enum RequestedData : int32_t {
  kRequestNotSet = 0, kCommonDataOnly = 1, kSpecifiedDefinitions = 2, kAllDefinitions = 4
};

// Implementation kinds (Pvx_DT_) and the platforms (Pvx_DP_) 0..7.
enum ImplementationKind : int64_t { kImplExe = 1, kImplDll = 2, kImplExternal = 4 };
constexpr int64_t kLastPlatform = 7;
const char* PlatformName(int64_t platform);        // "NotSet" .. "Solaris", "???"
std::optional<int64_t> PlatformByName(const std::string& name);  // name or number

struct Implementation {
  int64_t platform = 0;
  int64_t kind = kImplExe;
  // The options the definition set, by definition key ("path", "entryPoint",
  // ...): texts as text, flags and enumerations as numbers.
  std::vector<std::pair<std::string, FieldValue>> options;
  bool operator==(const Implementation&) const = default;
};

struct ProgramData {
  std::string program;
  std::optional<std::string> description, icon;
  bool unattended = false, trusted = false;
  int64_t execution_mode = 1, execution_user = 1;
  std::vector<Implementation> implementations;
  Record in, out;  // type_name empty: the activity has no such container
  bool operator==(const ProgramData&) const = default;
};

// The program data of a program activity's instance, as requested. PVX_OK;
// PVX_ERROR_NO_PROGRAM_FOR_PLATFORM when specified definitions are asked for
// a platform the program has no implementation for (or outside the
// enumeration); PVX_ERROR_INVALID_SPECIFICATION for a requested-data value
// that asks for nothing (NotSet, or no value of the enumeration).
int32_t ReadProgramData(Store& store, int64_t activity_instance_id, int32_t requested,
                        int64_t platform, ProgramData* out);

// A program's definition as a program template: its common data, every
// implementation and the names of its container structures (no values).
// PVX_ERROR_PROGRAM_UNDEFINED for an unknown program.
int32_t ReadProgramTemplate(Store& store, const std::string& program, ProgramData* out);

Record ProgramDataRecord(const ProgramData& data);

// Reads the stream form back, checking the reserved fields, the
// implementations' keys and every container member against its structure.
// PVX_OK, PVX_ERROR_PROGRAM_UNDEFINED (unknown program),
// PVX_ERROR_INVALID_CONTAINER (unknown structure) or PVX_ERROR_INVALID_STREAM
// with *error saying what is wrong.
int32_t ProgramDataFromRecord(Store& store, const Record& record, ProgramData* out,
                              std::string* error);

}  // namespace pvxjsim

#endif
