#include "record.h"

#include <cstring>

namespace pvxjsim {

namespace {

constexpr uint8_t kVersion = 1;
constexpr size_t kMaxName = 0xFFFF;

uint32_t Fnv1a(const uint8_t* data, size_t size) {
  uint32_t h = 2166136261u;
  for (size_t i = 0; i < size; ++i) {
    h ^= data[i];
    h *= 16777619u;
  }
  return h;
}

class Writer {
 public:
  void U8(uint8_t v) { out.push_back(v); }
  void U16(uint16_t v) {
    for (int i = 0; i < 2; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void U64(uint64_t v) {
    for (int i = 0; i < 8; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Name(const std::string& s) {
    size_t n = s.size() > kMaxName ? kMaxName : s.size();
    U16(static_cast<uint16_t>(n));
    out.insert(out.end(), s.begin(), s.begin() + static_cast<std::ptrdiff_t>(n));
  }
  template <class Bytes>
  void Blob(const Bytes& b) {
    U32(static_cast<uint32_t>(b.size()));
    out.insert(out.end(), b.begin(), b.end());
  }
  std::vector<uint8_t> out;
};

class Reader {
 public:
  Reader(const uint8_t* p, size_t n) : p_(p), n_(n) {}
  bool Has(size_t k) const { return k <= n_ - i_; }
  bool U8(uint8_t* v) {
    if (!Has(1)) return false;
    *v = p_[i_++];
    return true;
  }
  bool U16(uint16_t* v) {
    if (!Has(2)) return false;
    *v = static_cast<uint16_t>(p_[i_] | (p_[i_ + 1] << 8));
    i_ += 2;
    return true;
  }
  bool U32(uint32_t* v) {
    if (!Has(4)) return false;
    *v = 0;
    for (int k = 0; k < 4; ++k) *v |= static_cast<uint32_t>(p_[i_ + k]) << (8 * k);
    i_ += 4;
    return true;
  }
  bool U64(uint64_t* v) {
    if (!Has(8)) return false;
    *v = 0;
    for (int k = 0; k < 8; ++k) *v |= static_cast<uint64_t>(p_[i_ + k]) << (8 * k);
    i_ += 8;
    return true;
  }
  bool Bytes(size_t k, std::string* s) {
    if (!Has(k)) return false;
    s->assign(reinterpret_cast<const char*>(p_ + i_), k);
    i_ += k;
    return true;
  }
  bool Bytes(size_t k, std::vector<uint8_t>* v) {
    if (!Has(k)) return false;
    v->assign(p_ + i_, p_ + i_ + k);
    i_ += k;
    return true;
  }
  size_t pos() const { return i_; }

 private:
  const uint8_t* p_;
  size_t n_;
  size_t i_ = 0;
};

}  // namespace

std::vector<uint8_t> SerializeRecord(const Record& record) {
  Writer w;
  w.out = {'P', 'V', 'X', 'S'};
  w.U8(kVersion);
  w.U8(static_cast<uint8_t>(record.kind));
  w.Name(record.type_name);
  w.U32(static_cast<uint32_t>(record.fields.size()));
  for (const Field& f : record.fields) {
    w.Name(f.name);
    w.U8(static_cast<uint8_t>(f.value.index()));
    switch (f.value.index()) {
      case 1:
        w.U32(static_cast<uint32_t>(std::get<int32_t>(f.value)));
        break;
      case 2: {
        uint64_t bits;
        double d = std::get<double>(f.value);
        std::memcpy(&bits, &d, sizeof bits);
        w.U64(bits);
        break;
      }
      case 3:
        w.Blob(std::get<std::string>(f.value));
        break;
      case 4:
        w.Blob(std::get<std::vector<uint8_t>>(f.value));
        break;
      default:
        break;
    }
  }
  w.U32(Fnv1a(w.out.data(), w.out.size()));
  return std::move(w.out);
}

bool ParseRecord(const uint8_t* data, size_t size, Record* out, std::string* error) {
  auto fail = [&](const char* why) {
    *error = why;
    return false;
  };
  if (!data) return fail("no stream");
  if (size < 4 + 1 + 1 + 2 + 4 + 4) return fail("stream too short");
  if (std::memcmp(data, "PVXS", 4) != 0) return fail("not a stream of this client");
  uint32_t stored = 0;
  for (int k = 0; k < 4; ++k) stored |= static_cast<uint32_t>(data[size - 4 + k]) << (8 * k);
  if (stored != Fnv1a(data, size - 4)) return fail("stream checksum mismatch");

  Reader r(data + 4, size - 8);
  uint8_t version, kind;
  uint16_t name_len;
  uint32_t count;
  Record rec;
  if (!r.U8(&version) || version != kVersion) return fail("unknown stream version");
  if (!r.U8(&kind) || kind < 1 || kind > 4) return fail("unknown stream kind");
  rec.kind = static_cast<RecordKind>(kind);
  if (!r.U16(&name_len) || !r.Bytes(name_len, &rec.type_name)) return fail("truncated stream");
  if (!r.U32(&count)) return fail("truncated stream");
  // Each field takes at least 3 bytes, so a count larger than that is a lie
  // and must not drive an allocation.
  if (!r.Has(static_cast<size_t>(count) * 3)) return fail("field count exceeds stream");
  rec.fields.reserve(count);
  for (uint32_t i = 0; i < count; ++i) {
    Field f;
    uint8_t tag;
    if (!r.U16(&name_len) || !r.Bytes(name_len, &f.name) || !r.U8(&tag))
      return fail("truncated stream");
    switch (tag) {
      case 0:
        break;
      case 1: {
        uint32_t v;
        if (!r.U32(&v)) return fail("truncated stream");
        f.value = static_cast<int32_t>(v);
        break;
      }
      case 2: {
        uint64_t bits;
        if (!r.U64(&bits)) return fail("truncated stream");
        double d;
        std::memcpy(&d, &bits, sizeof d);
        f.value = d;
        break;
      }
      case 3: {
        uint32_t len;
        std::string s;
        if (!r.U32(&len) || !r.Bytes(len, &s)) return fail("truncated stream");
        f.value = std::move(s);
        break;
      }
      case 4: {
        uint32_t len;
        std::vector<uint8_t> b;
        if (!r.U32(&len) || !r.Bytes(len, &b)) return fail("truncated stream");
        f.value = std::move(b);
        break;
      }
      default:
        return fail("unknown field type in stream");
    }
    rec.fields.push_back(std::move(f));
  }
  if (r.pos() != size - 8) return fail("trailing bytes in stream");
  *out = std::move(rec);
  return true;
}

}  // namespace pvxjsim
