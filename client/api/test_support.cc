#include "test_support.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace pvxjsim {

TempDir::TempDir() {
  std::string tmpl = (std::filesystem::temp_directory_path() / "pvxjsim-test-XXXXXX").string();
  char* made = ::mkdtemp(tmpl.data());
  if (!made) throw std::runtime_error("mkdtemp failed");
  path_ = made;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::remove_all(path_, ec);
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary);
  out << bytes;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void UseStore(const std::string& path) {
  ::setenv("PVXJSIM_DB", path.c_str(), 1);
  Client::Get().ResetForTesting();
}

void ClientTest::SetUp() { UseStore(":memory:"); }

void ClientTest::TearDown() { Client::Get().ResetForTesting(); }

std::string ClientTest::UseFileStore() {
  std::string path = dir_.File("store.db");
  UseStore(path);
  return path;
}

PvxjExecutionService ClientTest::Logon(const char* user, const char* password) {
  PvxjExecutionService svc = 0;
  EXPECT_EQ(PvxjExecutionServiceAllocate(&svc), PVX_OK);
  EXPECT_EQ(PvxjExecutionServiceLogon(svc, user, password, Pvx_SM_Default, Pvx_SA_NotSet),
            PVX_OK);
  return svc;
}

Store& ClientTest::store() {
  Store* s = Client::Get().store();
  if (!s) throw std::runtime_error(Client::Get().StoreOpenError());
  return *s;
}

}  // namespace pvxjsim
