#include "pack/HostThreads.h"

#include <atomic>

#ifdef _WIN32
#include <windows.h>
#else
#include <pthread.h>
#include <unistd.h>
#endif

namespace {
// The jobs not yet taken: each worker takes the next until none is left.
struct Queue {
  const std::vector<std::function<void()>>* jobs;
  std::atomic<size_t> next{0};
  void Work() {
    for (size_t i = next++; i < jobs->size(); i = next++) (*jobs)[i]();
  }
};

#ifdef _WIN32
DWORD WINAPI Worker(void* queue) {
  static_cast<Queue*>(queue)->Work();
  return 0;
}
#else
void* Worker(void* queue) {
  static_cast<Queue*>(queue)->Work();
  return nullptr;
}
#endif
}  // namespace

void RunSideBySide(const std::vector<std::function<void()>>& jobs, size_t most) {
  Queue queue;
  queue.jobs = &jobs;
  const size_t helpers = (most < jobs.size() ? most : jobs.size()) - (jobs.empty() ? 0 : 1);
#ifdef _WIN32
  std::vector<HANDLE> started;
  for (size_t i = 0; i < helpers; ++i) {
    if (HANDLE thread = CreateThread(nullptr, 0, Worker, &queue, 0, nullptr)) started.push_back(thread);
  }
  queue.Work();
  for (HANDLE thread : started) {
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
  }
#else
  std::vector<pthread_t> started;
  for (size_t i = 0; i < helpers; ++i) {
    pthread_t thread;
    if (pthread_create(&thread, nullptr, Worker, &queue) == 0) started.push_back(thread);
  }
  queue.Work();
  for (pthread_t thread : started) pthread_join(thread, nullptr);
#endif
}

size_t ProcessorCount() {
#ifdef _WIN32
  SYSTEM_INFO system;
  GetSystemInfo(&system);
  long count = static_cast<long>(system.dwNumberOfProcessors);
#else
  long count = sysconf(_SC_NPROCESSORS_ONLN);
#endif
  return count > 0 ? static_cast<size_t>(count) : 1;
}
