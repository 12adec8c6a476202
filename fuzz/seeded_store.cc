#include "seeded_store.h"

#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace fuzz {

namespace {

struct Image {
  unsigned char* bytes = nullptr;
  sqlite3_int64 size = 0;
};

// The sample system's store as bytes, made once per process.
const Image& seeded_image() {
  static const Image image = [] {
    std::string error;
    std::unique_ptr<pvxjsim::Store> store = pvxjsim::Store::Open(":memory:", &error);
    if (!store) {
      fprintf(stderr, "seeded store: %s\n", error.c_str());
      std::abort();
    }
    Image i;
    i.bytes = sqlite3_serialize(store->db(), "main", &i.size, 0);
    if (!i.bytes) std::abort();
    return i;
  }();
  return image;
}

}  // namespace

std::unique_ptr<pvxjsim::Store> seeded_store() {
  const Image& image = seeded_image();
  std::string error;
  // The schema alone is cheap; its contents are then replaced by the image.
  std::unique_ptr<pvxjsim::Store> store = pvxjsim::Store::Open(":memory:", &error, false);
  if (!store) {
    fprintf(stderr, "store: %s\n", error.c_str());
    std::abort();
  }
  auto* copy = static_cast<unsigned char*>(sqlite3_malloc64(image.size));
  if (!copy) std::abort();
  std::memcpy(copy, image.bytes, image.size);
  if (sqlite3_deserialize(store->db(), "main", copy, image.size, image.size,
                          SQLITE_DESERIALIZE_FREEONCLOSE | SQLITE_DESERIALIZE_RESIZEABLE) !=
      SQLITE_OK) {
    fprintf(stderr, "store: %s\n", sqlite3_errmsg(store->db()));
    std::abort();
  }
  return store;
}

}  // namespace fuzz
