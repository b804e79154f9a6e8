#pragma once
// The candidate plug-in folders found while the dialog initialises, in the order first found.

#include "base/BoundedText.h"

enum { kFolderRows = 20 };

// Plain data, so that the tables start as zeros at no cost in the executable; a row's flag is set
// when the row is filled.
struct FolderEntry {
  FolderPath path;           // normalised, ends in a backslash; empty marks a free row
  int addMakerSubfolder;     // non-zero: install into the maker folder below path
};

// Filled strictly in order, never cleared: rows 0..k-1 are occupied, the rest free.
extern FolderEntry FolderTable[kFolderRows];

// The candidates as discovery found them, handed on as a value: rows 0..count-1.
struct FolderCandidates {
  FolderEntry rows[kFolderRows];
  int count;
};

// The folder to install into for a candidate: its path, with the maker folder below it where it
// belongs. False when that would not fit: cut, it would be another folder.
bool InstallFolderOf(const FolderEntry& candidate, FolderPath* folder);

// Normalises the text in place (a buffer of kPathCapacity characters) and keeps it if the folder
// exists, is new and a row is free. A text that is not terminated within the buffer, or that
// would not fit a row once normalised, is dropped. makerSubfolder false: the editor loads only
// from the folder itself. planned: a folder the editor reads that the install makes, as the editor
// would, which need not exist yet.
void AddFolderCandidate(wchar_t* path, bool makerSubfolder = true, bool planned = false);
