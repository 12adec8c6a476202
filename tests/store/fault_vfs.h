#pragma once
// A test-only SQLite VFS that wraps the default one and fails the n-th call of
// one kind: read, write, sync or lock. The client opens its store through it
// when PVXJSIM_VFS names it.
#include <cstdint>

namespace faults {

enum class Op { kRead, kWrite, kSync, kLock };

inline constexpr const char* kVfsName = "faulty";

// Registers the VFS (once; not as the default).
void register_fault_vfs();

// Fails the n-th call of `op` from now on (counting from 1); 0 fails nothing.
// Counters start again from zero.
void arm(Op op, uint64_t n);

// Calls of `op` since arm(), and whether the armed fault was injected.
uint64_t calls(Op op);
bool fired();

const char* op_name(Op op);

}  // namespace faults
