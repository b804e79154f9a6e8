#pragma once
// What the packer refuses, each with the place it is about: the file, the line (0: the file as a
// whole) and the key of the description or the name of what is wrong.
#include <stdio.h>

#include <string>
#include <vector>

struct Place {
  std::string file;
  int line = 0;
  std::string key;
};

class Refusals {
 public:
  void Add(const Place& where, const std::string& what);
  bool empty() const { return entries_.empty(); }
  size_t count() const { return entries_.size(); }
  // "FILE:LINE: KEY: what", one a line.
  std::string Line(size_t index) const;
  void Write(FILE* out) const;

 private:
  struct Entry {
    Place where;
    std::string what;
  };
  std::vector<Entry> entries_;
};
