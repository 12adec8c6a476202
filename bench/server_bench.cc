// The simulated server under load: one API pass (logon check, a sorted
// template query with the names, deallocation) called directly, and starting
// instances, finishing work items and a worklist query on a file store that
// already holds 1,000 or 11,000 instances (1,000 of them running).
#include <benchmark/benchmark.h>
#include <pvxj/pvxj.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "client.h"
#include "clock.h"
#include "engine.h"
#include "store.h"

namespace {

using namespace pvxjsim;

PvxjExecutionService LogonAs(const char* user, const char* password) {
  PvxjExecutionService svc = 0;
  PvxjExecutionServiceAllocate(&svc);
  if (PvxjExecutionServiceLogon(svc, user, password, 0, 0) != PVX_OK) std::abort();
  return svc;
}

void BM_ApiPass(benchmark::State& state) {
  ::setenv("PVXJSIM_DB", ":memory:", 1);
  Client::Get().ResetForTesting();
  PvxjExecutionService svc = LogonAs("ADMIN", "password");
  char name[64];
  for (auto _ : state) {
    benchmark::DoNotOptimize(PvxjServiceIsLoggedOn(svc));
    PvxjProcessTemplateVector v = 0;
    PvxjExecutionServiceQueryProcessTemplates(svc, nullptr, "NAME ASC", nullptr, &v);
    for (PvxjProcessTemplate t = PvxjProcessTemplateVectorFirstElement(v); t;
         t = PvxjProcessTemplateVectorNextElement(v)) {
      benchmark::DoNotOptimize(PvxjProcessTemplateName(t, name, sizeof name));
      PvxjProcessTemplateDeallocate(&t);
    }
    PvxjProcessTemplateVectorDeallocate(&v);
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ApiPass);

// A file store with `total` instances, 1,000 of them running (each with its
// first work items) and the rest finished. Built once per size.
std::string PopulatedStore(int64_t total) {
  static std::map<int64_t, std::string> made;
  auto it = made.find(total);
  if (it != made.end()) return it->second;
  // Building the large store takes minutes, so it is kept between runs.
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/pvxjsim-bench-" +
                     std::to_string(total) + ".db";
  std::string error;
  if (auto old = Store::OpenExisting(path, &error); old && old->Meta("bench_total") == std::to_string(total)) {
    made[total] = path;
    return path;
  }
  ::unlink(path.c_str());
  ::unlink((path + "-wal").c_str());
  ::unlink((path + "-shm").c_str());
  auto store = Store::Open(path, &error);
  if (!store) std::abort();
  {
    WriteTx tx(*store);
    SetClockFixed(*store, 1'800'000'000);
    tx.Commit();
  }
  const int64_t running = 1000;
  for (int64_t i = 0; i < total; i += 250) {
    WriteTx tx(*store);
    for (int64_t k = i; k < i + 250 && k < total; ++k) {
      int64_t pi = 0;
      bool finish = k >= running;
      CreateInstance(*store, finish ? "CreditRequest" : "OrderEntry", "", "USER2", &pi);
      StartInstance(*store, pi, "USER2", nullptr);
      // A small credit: CollectData and Notify by hand, AssessRisk by itself.
      for (int step = 0; finish && step < 8; ++step) {
        Stmt q(store->db(), "SELECT id, owner_id FROM items WHERE process_instance_id=? "
                            "AND kind=1 LIMIT 1");
        q.Bind(1, pi);
        if (!q.Step()) break;
        int64_t item = q.Int(0), owner = q.Int(1);
        q.Step();
        FinishWorkitem(*store, item, owner, 0, {});
      }
    }
    tx.Commit();
  }
  {
    WriteTx tx(*store);
    store->SetMeta("bench_total", std::to_string(total));
    tx.Commit();
  }
  made[total] = path;
  return path;
}

// Each benchmark works on a fresh copy of the populated store, so what one
// adds (started instances, their work items) never weighs on the next, nor
// on the next run: the figures are for the sizes they name.
std::string FreshCopy(const std::string& populated) {
  std::string copy = populated + ".run";
  ::unlink((copy + "-wal").c_str());
  ::unlink((copy + "-shm").c_str());
  std::filesystem::copy_file(populated, copy, std::filesystem::copy_options::overwrite_existing);
  return copy;
}

void UseStoreFile(const std::string& path) {
  ::setenv("PVXJSIM_DB", path.c_str(), 1);
  Client::Get().ResetForTesting();
}

void BM_StartInstance(benchmark::State& state) {
  std::string path = FreshCopy(PopulatedStore(state.range(0)));
  std::string error;
  auto store = Store::OpenExisting(path, &error);
  for (auto _ : state) {
    WriteTx tx(*store);
    int64_t pi = 0;
    CreateInstance(*store, "OrderEntry", "", "USER2", &pi);
    StartInstance(*store, pi, "USER2", nullptr);
    tx.Commit();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_StartInstance)->Arg(1000)->Arg(11000)->Unit(benchmark::kMicrosecond);

void BM_FinishWorkitem(benchmark::State& state) {
  std::string path = FreshCopy(PopulatedStore(state.range(0)));
  std::string error;
  auto store = Store::OpenExisting(path, &error);
  for (auto _ : state) {
    WriteTx tx(*store);
    // Any open work item; finishing it makes the next ones.
    Stmt q(store->db(), "SELECT id, owner_id FROM items WHERE kind=1 AND state=1 "
                        "ORDER BY id DESC LIMIT 1");
    if (!q.Step()) std::abort();
    int64_t item = q.Int(0), owner = q.Int(1);
    q.Step();
    if (FinishWorkitem(*store, item, owner, 0, {{"Shipped", "1"}}) != PVX_OK) std::abort();
    tx.Commit();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_FinishWorkitem)->Arg(1000)->Arg(11000)->Unit(benchmark::kMicrosecond);

void BM_WorklistQuery(benchmark::State& state) {
  UseStoreFile(FreshCopy(PopulatedStore(state.range(0))));
  PvxjExecutionService svc = LogonAs("USER3", "pw3");
  uint32_t threshold = 50;
  for (auto _ : state) {
    PvxjWorkitemVector v = 0;
    if (PvxjExecutionServiceQueryWorkitems(svc, "STATE = READY AND PRIORITY >= 0",
                                           "PRIORITY DESC, NAME", &threshold, &v) != PVX_OK)
      std::abort();
    PvxjWorkitemVectorDeallocate(&v);
  }
  PvxjExecutionServiceLogoff(svc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_WorklistQuery)->Arg(1000)->Arg(11000)->Unit(benchmark::kMicrosecond);

// Filters that pick a single instance out of the whole store: by its name
// (compared without regard to case), and its activity instances by the
// instance's name. Both should cost the same at either size.
void BM_InstanceQueryByName(benchmark::State& state) {
  UseStoreFile(FreshCopy(PopulatedStore(state.range(0))));
  PvxjExecutionService svc = LogonAs("ADMIN", "password");
  for (auto _ : state) {
    PvxjProcessInstanceVector v = 0;
    if (PvxjExecutionServiceQueryProcessInstances(svc, "NAME = 'orderentry#500'", nullptr,
                                                  nullptr, &v) != PVX_OK ||
        PvxjProcessInstanceVectorSize(v) != 1)
      std::abort();
    PvxjProcessInstanceVectorDeallocate(&v);
  }
  PvxjExecutionServiceLogoff(svc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InstanceQueryByName)->Arg(1000)->Arg(11000)->Unit(benchmark::kMicrosecond);

void BM_ActivityQueryByInstanceName(benchmark::State& state) {
  UseStoreFile(FreshCopy(PopulatedStore(state.range(0))));
  PvxjExecutionService svc = LogonAs("ADMIN", "password");
  for (auto _ : state) {
    PvxjActivityInstanceVector v = 0;
    if (PvxjExecutionServiceQueryActivityInstances(svc, "PROCESS_INSTANCE_NAME = 'OrderEntry#500'",
                                                   nullptr, nullptr, &v) != PVX_OK ||
        PvxjActivityInstanceVectorSize(v) == 0)
      std::abort();
    PvxjActivityInstanceVectorDeallocate(&v);
  }
  PvxjExecutionServiceLogoff(svc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ActivityQueryByInstanceName)->Arg(1000)->Arg(11000)->Unit(benchmark::kMicrosecond);

// The same filter kept in a stored instance list: the list's query costs
// what the direct query costs, at either size.
void BM_InstanceListQueryByName(benchmark::State& state) {
  UseStoreFile(FreshCopy(PopulatedStore(state.range(0))));
  PvxjExecutionService svc = LogonAs("ADMIN", "password");
  PvxjProcessInstanceList list = 0;
  // The library may call a benchmark more than once on the same store.
  static int runs = 0;
  const std::string name = "One" + std::to_string(++runs);
  if (PvxjExecutionServiceCreateProcessInstanceList(svc, name.c_str(), Pvx_LT_Private, nullptr, nullptr,
                                                    "NAME = 'orderentry#500'", nullptr, nullptr, &list) != PVX_OK)
    std::abort();
  for (auto _ : state) {
    PvxjProcessInstanceVector v = 0;
    if (PvxjProcessInstanceListQueryProcessInstances(list, &v) != PVX_OK || PvxjProcessInstanceVectorSize(v) != 1)
      std::abort();
    PvxjProcessInstanceVectorDeallocate(&v);
  }
  PvxjProcessInstanceListDeallocate(&list);
  PvxjExecutionServiceLogoff(svc);
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_InstanceListQueryByName)->Arg(1000)->Arg(11000)->Unit(benchmark::kMicrosecond);

}  // namespace
