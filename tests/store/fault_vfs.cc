#include "fault_vfs.h"

#include <sqlite3.h>

#include <cstring>

namespace faults {
namespace {

struct State {
  Op op = Op::kRead;
  uint64_t n = 0;
  uint64_t count[4] = {};
  bool fired = false;
};
State state;

// True when this call is the one to fail.
bool trip(Op op) {
  uint64_t c = ++state.count[static_cast<int>(op)];
  if (state.n != 0 && op == state.op && c == state.n) {
    state.fired = true;
    return true;
  }
  return false;
}

sqlite3_vfs* real_vfs = nullptr;
sqlite3_vfs fault_vfs;

struct File {
  sqlite3_file base;
  sqlite3_file* real;  // allocated right after this struct
};

sqlite3_file* real(sqlite3_file* f) { return reinterpret_cast<File*>(f)->real; }

int x_close(sqlite3_file* f) {
  int rc = real(f)->pMethods ? real(f)->pMethods->xClose(real(f)) : SQLITE_OK;
  return rc;
}
int x_read(sqlite3_file* f, void* buf, int amt, sqlite3_int64 off) {
  if (trip(Op::kRead)) return SQLITE_IOERR_READ;
  return real(f)->pMethods->xRead(real(f), buf, amt, off);
}
int x_write(sqlite3_file* f, const void* buf, int amt, sqlite3_int64 off) {
  if (trip(Op::kWrite)) return SQLITE_IOERR_WRITE;
  return real(f)->pMethods->xWrite(real(f), buf, amt, off);
}
int x_truncate(sqlite3_file* f, sqlite3_int64 size) {
  if (trip(Op::kWrite)) return SQLITE_IOERR_TRUNCATE;
  return real(f)->pMethods->xTruncate(real(f), size);
}
int x_sync(sqlite3_file* f, int flags) {
  if (trip(Op::kSync)) return SQLITE_IOERR_FSYNC;
  return real(f)->pMethods->xSync(real(f), flags);
}
int x_file_size(sqlite3_file* f, sqlite3_int64* size) { return real(f)->pMethods->xFileSize(real(f), size); }
int x_lock(sqlite3_file* f, int level) {
  if (trip(Op::kLock)) return SQLITE_IOERR_LOCK;
  return real(f)->pMethods->xLock(real(f), level);
}
int x_unlock(sqlite3_file* f, int level) { return real(f)->pMethods->xUnlock(real(f), level); }
int x_check_reserved(sqlite3_file* f, int* out) { return real(f)->pMethods->xCheckReservedLock(real(f), out); }
int x_file_control(sqlite3_file* f, int op, void* arg) { return real(f)->pMethods->xFileControl(real(f), op, arg); }
int x_sector_size(sqlite3_file* f) { return real(f)->pMethods->xSectorSize(real(f)); }
int x_device_characteristics(sqlite3_file* f) { return real(f)->pMethods->xDeviceCharacteristics(real(f)); }
int x_shm_map(sqlite3_file* f, int pg, int pgsz, int extend, void volatile** p) {
  return real(f)->pMethods->xShmMap(real(f), pg, pgsz, extend, p);
}
int x_shm_lock(sqlite3_file* f, int offset, int n, int flags) {
  // Only taking a lock can fail; releasing one always works.
  if ((flags & SQLITE_SHM_LOCK) && trip(Op::kLock)) return SQLITE_IOERR_SHMLOCK;
  return real(f)->pMethods->xShmLock(real(f), offset, n, flags);
}
void x_shm_barrier(sqlite3_file* f) { real(f)->pMethods->xShmBarrier(real(f)); }
int x_shm_unmap(sqlite3_file* f, int del) { return real(f)->pMethods->xShmUnmap(real(f), del); }
int x_fetch(sqlite3_file* f, sqlite3_int64 off, int amt, void** p) {
  // No memory-mapped reads: every read goes through x_read and can fail.
  *p = nullptr;
  return SQLITE_OK;
}
int x_unfetch(sqlite3_file* f, sqlite3_int64 off, void* p) { return SQLITE_OK; }

const sqlite3_io_methods methods = {
    3,         x_close,       x_read,        x_write,          x_truncate,     x_sync,
    x_file_size, x_lock,      x_unlock,      x_check_reserved, x_file_control, x_sector_size,
    x_device_characteristics, x_shm_map,     x_shm_lock,       x_shm_barrier,  x_shm_unmap,
    x_fetch,   x_unfetch};

int x_open(sqlite3_vfs*, const char* name, sqlite3_file* f, int flags, int* out_flags) {
  File* file = reinterpret_cast<File*>(f);
  file->real = reinterpret_cast<sqlite3_file*>(file + 1);
  std::memset(file->real, 0, real_vfs->szOsFile);
  int rc = real_vfs->xOpen(real_vfs, name, file->real, flags, out_flags);
  // SQLite calls xClose whenever pMethods is set, even after a failed open.
  file->base.pMethods = file->real->pMethods ? &methods : nullptr;
  return rc;
}
int x_delete(sqlite3_vfs*, const char* name, int sync_dir) { return real_vfs->xDelete(real_vfs, name, sync_dir); }
int x_access(sqlite3_vfs*, const char* name, int flags, int* out) { return real_vfs->xAccess(real_vfs, name, flags, out); }
int x_full_pathname(sqlite3_vfs*, const char* name, int n, char* out) {
  return real_vfs->xFullPathname(real_vfs, name, n, out);
}
void* x_dl_open(sqlite3_vfs*, const char* name) { return real_vfs->xDlOpen(real_vfs, name); }
void x_dl_error(sqlite3_vfs*, int n, char* msg) { real_vfs->xDlError(real_vfs, n, msg); }
void (*x_dl_sym(sqlite3_vfs*, void* h, const char* sym))(void) { return real_vfs->xDlSym(real_vfs, h, sym); }
void x_dl_close(sqlite3_vfs*, void* h) { real_vfs->xDlClose(real_vfs, h); }
int x_randomness(sqlite3_vfs*, int n, char* out) { return real_vfs->xRandomness(real_vfs, n, out); }
int x_sleep(sqlite3_vfs*, int us) { return real_vfs->xSleep(real_vfs, us); }
int x_current_time(sqlite3_vfs*, double* t) { return real_vfs->xCurrentTime(real_vfs, t); }
int x_get_last_error(sqlite3_vfs*, int n, char* out) { return real_vfs->xGetLastError(real_vfs, n, out); }
int x_current_time_int64(sqlite3_vfs*, sqlite3_int64* t) { return real_vfs->xCurrentTimeInt64(real_vfs, t); }

}  // namespace

void register_fault_vfs() {
  if (real_vfs) return;
  real_vfs = sqlite3_vfs_find(nullptr);
  fault_vfs = sqlite3_vfs{};
  fault_vfs.iVersion = 2;
  fault_vfs.szOsFile = static_cast<int>(sizeof(File)) + real_vfs->szOsFile;
  fault_vfs.mxPathname = real_vfs->mxPathname;
  fault_vfs.zName = kVfsName;
  fault_vfs.xOpen = x_open;
  fault_vfs.xDelete = x_delete;
  fault_vfs.xAccess = x_access;
  fault_vfs.xFullPathname = x_full_pathname;
  fault_vfs.xDlOpen = x_dl_open;
  fault_vfs.xDlError = x_dl_error;
  fault_vfs.xDlSym = x_dl_sym;
  fault_vfs.xDlClose = x_dl_close;
  fault_vfs.xRandomness = x_randomness;
  fault_vfs.xSleep = x_sleep;
  fault_vfs.xCurrentTime = x_current_time;
  fault_vfs.xGetLastError = x_get_last_error;
  fault_vfs.xCurrentTimeInt64 = x_current_time_int64;
  sqlite3_vfs_register(&fault_vfs, 0);
}

void arm(Op op, uint64_t n) {
  state = State{};
  state.op = op;
  state.n = n;
}

uint64_t calls(Op op) { return state.count[static_cast<int>(op)]; }
bool fired() { return state.fired; }

const char* op_name(Op op) {
  switch (op) {
    case Op::kRead: return "read";
    case Op::kWrite: return "write";
    case Op::kSync: return "sync";
    case Op::kLock: return "lock";
  }
  return "?";
}

}  // namespace faults
