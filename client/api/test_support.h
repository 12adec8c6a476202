// Helpers shared by the client's tests: temporary directories and a fixture
// that gives each test its own store.
#ifndef PVXJSIM_TEST_SUPPORT_H
#define PVXJSIM_TEST_SUPPORT_H

#include <gtest/gtest.h>
#include <pvxj/pvxj.h>

#include <string>

#include "client.h"

namespace pvxjsim {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

void WriteFile(const std::string& path, const std::string& bytes);
std::string ReadFile(const std::string& path);

// Points the client at path (closing whatever it had open) for the next call.
void UseStore(const std::string& path);

// Each test starts with a fresh in-memory store; tests that need a file call
// UseFileStore().
class ClientTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::string UseFileStore();
  // Allocates a service and logs user on; fails the test on error.
  PvxjExecutionService Logon(const char* user, const char* password);
  Store& store();

  TempDir dir_;
};

}  // namespace pvxjsim

#endif
