#include "base/FileHolder.h"

#include <wchar.h>
#include <windows.h>

#include <restartmanager.h>

#include "base/PathText.h"
#include "base/SystemError.h"
#include "base/SystemLibrary.h"

namespace {
struct RestartManager {
  decltype(&RmStartSession) startSession;
  decltype(&RmRegisterResources) registerResources;
  decltype(&RmGetList) getList;
  decltype(&RmEndSession) endSession;
};

bool LoadRestartManager(RestartManager* api) {
  HMODULE module = LoadSystemLibrary(L"rstrtmgr.dll");
  return module && FindFunction(module, "RmStartSession", &api->startSession) &&
         FindFunction(module, "RmRegisterResources", &api->registerResources) &&
         FindFunction(module, "RmGetList", &api->getList) && FindFunction(module, "RmEndSession", &api->endSession);
}

const RestartManager* SystemRestartManager() { return LoadOnce(LoadRestartManager); }
}  // namespace

bool NameProgramHolding(const wchar_t* path, wchar_t* name, size_t capacity) {
  name[0] = L'\0';
  const RestartManager* manager = SystemRestartManager();
  if (!manager || capacity < 2) return false;
  DWORD session;
  WCHAR key[CCH_RM_SESSION_KEY + 1] = {};
  if (manager->startSession(&session, 0, key) != ERROR_SUCCESS) return false;
  LPCWSTR files[] = {path};
  RM_PROCESS_INFO holders[4];
  UINT needed = 0, count = sizeof holders / sizeof holders[0];
  DWORD reasons = 0;
  // More holders than these: no name; the message reads well without one.
  SystemError status = manager->registerResources(session, 1, files, 0, nullptr, 0, nullptr);
  if (status == ERROR_SUCCESS) status = manager->getList(session, &needed, &count, holders, &reasons);
  manager->endSession(session);
  if (status != ERROR_SUCCESS || count == 0 || holders[0].strAppName[0] == 0) return false;
  const wchar_t* full = holders[0].strAppName;
  size_t length = BoundedLength(full, CCH_RM_MAX_APP_NAME);
  if (length >= capacity) {  // as much as fits, not between the halves of a surrogate pair
    length = capacity - 1;
    if (IS_HIGH_SURROGATE(full[length - 1])) --length;
  }
  wmemcpy(name, full, length);
  name[length] = L'\0';
  return length > 0;
}
