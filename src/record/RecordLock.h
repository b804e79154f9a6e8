#pragma once
// One installation or removal at a time on the machine: the single-instance mutex exists per
// session, and installs of two signed-in users, or of a deployment service beside a user, would
// otherwise interleave on the one install record.

// Takes the machine-wide lock, waiting a few seconds for a run that holds it. False when another
// run still holds it.
bool LockRecord();
void UnlockRecord();
