#pragma once
// Who may change a file or folder, as its security descriptor says. The setup writes where every
// user's editor loads from and keeps files that administrators' runs append to; what a user
// without administrator rights can change there must not become something an administrator
// trusts.
#include <windows.h>

// Whether the open file (opened with READ_CONTROL) belongs to an administrator: the
// Administrators group, the system itself, or the user this process runs as when that user is an
// administrator. False when the system cannot say.
bool IsOwnedByAnAdministrator(HANDLE file);

// Whether the open folder (opened with READ_CONTROL) lets ordinary users (any group or user but
// the administrators, the system, the installer service and a user who is an administrator) add,
// change or delete what is in it, itself or through what it hands down to a new folder. True when
// the system cannot say.
bool LetsOrdinaryUsersWrite(HANDLE folder);

// The permissions of the system's program folders, for a folder made where ordinary users could
// otherwise write: Administrators and the system full control, Users read and execute, nothing
// inherited from above. Lives as long as the process.
PSECURITY_DESCRIPTOR ProgramFolderPermissions();
// Administrators and the system full control, no one else anything: for the objects that runs
// as an administrator and as the system (under deployment tools) share. Lives as long as the process.
PSECURITY_DESCRIPTOR AdministratorsOnlyPermissions();
