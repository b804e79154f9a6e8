#include "pack/Refusals.h"

void Refusals::Add(const Place& where, const std::string& what) { entries_.push_back({where, what}); }

std::string Refusals::Line(size_t index) const {
  const Entry& entry = entries_[index];
  std::string line = entry.where.file;
  if (entry.where.line > 0) line += ":" + std::to_string(entry.where.line);
  if (!entry.where.key.empty()) line += (line.empty() ? "" : ": ") + entry.where.key;
  return line + (line.empty() ? "" : ": ") + entry.what;
}

void Refusals::Write(FILE* out) const {
  for (size_t i = 0; i < entries_.size(); ++i) fprintf(out, "%s\n", Line(i).c_str());
}
