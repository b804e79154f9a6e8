#pragma once
// Who may change a file or folder, as its security descriptor says. The setup writes where every
// user's editor loads from and keeps files that administrators' runs append to; what a user
// without administrator rights can change there must not become something an administrator
// trusts.
#include <windows.h>

#include "base/ScopedHandle.h"

// The owner and access list of the open file or folder (opened with READ_CONTROL), as one
// self-relative descriptor; none when the system cannot say.
ScopedLocalBlock ReadOwnerAndAccess(HANDLE file);

// Whether the open file (opened with READ_CONTROL) belongs to an administrator: the
// Administrators group, the system itself, or the user this process runs as when that user is an
// administrator. False when the system cannot say.
bool IsOwnedByAnAdministrator(HANDLE file);

// Whether the folder's access list lets ordinary users (any group or user but the
// administrators, the system, the installer service and a user who is an administrator) add,
// change or delete what is in it, itself or through what it hands down to a new folder. True for
// a null descriptor: the system could not say.
bool LetsOrdinaryUsersWrite(PSECURITY_DESCRIPTOR folder);

// Whether ordinary users can take the folder away and put one of their own at its name: it
// belongs to one of them, its list lets them delete it or change its permissions, or its
// parent's list lets them delete what is in the parent. True when either descriptor is null.
bool LetsOrdinaryUsersReplace(PSECURITY_DESCRIPTOR folder, PSECURITY_DESCRIPTOR parent);

// The permissions of the system's program folders, for a folder made where ordinary users could
// otherwise write: Administrators and the system full control, Users read and execute, nothing
// inherited from above. Lives as long as the process.
PSECURITY_DESCRIPTOR ProgramFolderPermissions();
// Administrators and the system full control, no one else anything: for the objects that runs
// as an administrator and as the system (under deployment tools) share. Lives as long as the process.
PSECURITY_DESCRIPTOR AdministratorsOnlyPermissions();
// Who may call into this process through COM: the system, the Administrators group and the user
// this process runs as, from this computer only, and none of them from below high integrity. An
// absolute descriptor with owner and group, as COM's security set-up takes it. Lives as long as
// the process; null when it cannot be made.
PSECURITY_DESCRIPTOR ComCallerPermissions();
