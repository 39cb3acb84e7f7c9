// Injected file faults: see file_faults.h.
#include "core/file_faults.h"

#include <atomic>
#include <mutex>
#include <vector>

namespace karigane {
namespace {

struct installed_fault {
  int id;
  file_fault fault;
  std::size_t hits = 0;
};

std::mutex faults_mutex;
std::vector<installed_fault> faults;
std::atomic<bool> any_fault{false};
int next_id = 1;

}  // namespace

int add_file_fault(file_fault fault) {
  std::lock_guard<std::mutex> lock(faults_mutex);
  faults.push_back({next_id, std::move(fault)});
  any_fault.store(true);
  return next_id++;
}

void remove_file_fault(int id) {
  std::lock_guard<std::mutex> lock(faults_mutex);
  std::erase_if(faults, [id](const installed_fault& f) { return f.id == id; });
  any_fault.store(!faults.empty());
}

std::size_t file_fault_hits(int id) {
  std::lock_guard<std::mutex> lock(faults_mutex);
  for (const installed_fault& f : faults) {
    if (f.id == id) return f.hits;
  }
  return 0;
}

int injected_file_error(file_call call, const std::string& path) {
  if (!any_fault.load(std::memory_order_relaxed)) return 0;
  std::lock_guard<std::mutex> lock(faults_mutex);
  for (installed_fault& f : faults) {
    if (f.fault.call == call && path.find(f.fault.path_part) != std::string::npos) {
      ++f.hits;
      return f.fault.error;
    }
  }
  return 0;
}

}  // namespace karigane
