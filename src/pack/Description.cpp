#include "pack/Description.h"

#include <toml++/toml.h>

#include "pack/HostFiles.h"

namespace {

const char* const kMakerKeys[kMakerValueCount] = {
#define SETUP_MAKER_KEY(name, key) key,
    SETUP_MAKER_VALUES(SETUP_MAKER_KEY)
#undef SETUP_MAKER_KEY
};

// The pictures' keys in [pictures], besides "folder": a picture's name without its extension, or
// "cursor" and "icon".
std::string PictureFileName(const std::string& key) {
  if (key == "cursor") return "hand.cur";
  if (key == "icon") return "app.ico";
  return key + ".bmp";
}

class Reader {
 public:
  Reader(const std::string& file, const std::string& base, Refusals* refusals)
      : file_(file), base_(base), refusals_(refusals) {}

  Place At(const toml::node& node, const std::string& key) const {
    return {file_, static_cast<int>(node.source().begin.line), key};
  }

  void Refuse(const toml::node& node, const std::string& key, const std::string& what) { refusals_->Add(At(node, key), what); }

  // Every key of the table is one of known: a misspelt key would be left out without a word.
  void OnlyKnownKeys(const toml::table& table, const std::string& path, std::initializer_list<const char*> known) {
    for (auto&& [key, node] : table) {
      bool found = false;
      for (const char* name : known) found = found || key.str() == name;
      if (!found) Refuse(node, Join(path, std::string(key.str())), "is no key the packer knows here");
    }
  }

  static std::string Join(const std::string& path, const std::string& key) { return path.empty() ? key : path + "." + key; }

  // A text value; required ones are refused where missing or empty.
  bool Text(const toml::table& table, const std::string& path, const char* key, DescribedText* out, bool required) {
    const toml::node* node = table.get(key);
    out->where = At(node ? *node : static_cast<const toml::node&>(table), Join(path, key));
    if (!node) {
      if (required) refusals_->Add(out->where, "is missing");
      return false;
    }
    const toml::value<std::string>* text = node->as_string();
    if (!text) {
      refusals_->Add(out->where, "must be a text in quotes");
      return false;
    }
    out->text = text->get();
    if (out->text.empty() && required) {
      refusals_->Add(out->where, "is empty");
      return false;
    }
    return true;
  }

  const toml::table* Table(const toml::table& parent, const char* key, bool required) {
    const toml::node* node = parent.get(key);
    if (!node) {
      if (required) refusals_->Add({file_, 0, key}, "is missing: the description needs a [" + std::string(key) + "] table");
      return nullptr;
    }
    if (!node->as_table()) Refuse(*node, key, "must be a table, [" + std::string(key) + "]");
    return node->as_table();
  }

  // A file entry: "path", or { path = "...", name = "..." } to install it under another name.
  bool File(const toml::node& node, const std::string& key, const std::string& component, DescribedFile* out) {
    out->where = At(node, key);
    out->component = component;
    if (const toml::value<std::string>* path = node.as_string()) {
      out->path = path->get();
    } else if (const toml::table* entry = node.as_table()) {
      OnlyKnownKeys(*entry, key, {"path", "name"});
      DescribedText path, name;
      if (!Text(*entry, key, "path", &path, true)) return false;
      out->path = path.text;
      if (Text(*entry, key, "name", &name, false)) out->installedName = name.text;
    } else {
      refusals_->Add(out->where, "must be a file's path in quotes, or { path = \"...\", name = \"...\" }");
      return false;
    }
    if (out->path.empty()) {
      refusals_->Add(out->where, "names no file");
      return false;
    }
    if (out->installedName.empty()) out->installedName = FileNameOf(out->path);
    out->path = ResolvedPath(base_, out->path);
    return true;
  }

  void Files(const toml::table& table, const std::string& path, const std::string& component, Description* description) {
    const toml::node* node = table.get("files");
    if (!node) return;
    const toml::array* files = node->as_array();
    if (!files) {
      Refuse(*node, Join(path, "files"), "must be a list: files = [\"...\", ...]");
      return;
    }
    for (size_t i = 0; i < files->size(); ++i) {
      DescribedFile file;
      if (File(*files->get(i), Join(path, "files") + "[" + std::to_string(i + 1) + "]", component, &file)) {
        description->files.push_back(file);
      }
    }
  }

  void Component(const toml::table& table, const std::string& path, Description* description) {
    OnlyKnownKeys(table, path, {"keyword", "caption", "status", "files", "texts"});
    DescribedComponent component;
    Text(table, path, "keyword", &component.keyword, true);
    Text(table, path, "caption", &component.caption, true);
    Text(table, path, "status", &component.status, true);
    if (const toml::node* node = table.get("texts")) {
      const toml::table* texts = node->as_table();
      if (!texts) Refuse(*node, Join(path, "texts"), "must be a table of languages: texts.de = { caption = \"...\", status = \"...\" }");
      for (auto&& [tag, entry] : texts ? *texts : toml::table()) {
        std::string key = Join(path, "texts." + std::string(tag.str()));
        const toml::table* pair = entry.as_table();
        if (!pair) {
          Refuse(entry, key, "must be { caption = \"...\", status = \"...\" }");
          continue;
        }
        OnlyKnownKeys(*pair, key, {"caption", "status"});
        DescribedText caption, status;
        if (Text(*pair, key, "caption", &caption, true) & Text(*pair, key, "status", &status, true)) {
          Place where = {file_, static_cast<int>(tag.source().begin.line), key};  // an inline table's values have none
          component.texts.push_back({std::string(tag.str()), caption.text, status.text, where});
        }
      }
    }
    Files(table, path, component.keyword.text, description);
    description->components.push_back(component);
  }

  void Presets(const toml::node& node, Description* description) {
    const toml::array* presets = node.as_array();
    if (!presets || !presets->is_array_of_tables()) {
      Refuse(node, "preset", "must be [[preset]] tables");
      return;
    }
    for (size_t i = 0; i < presets->size(); ++i) {
      const toml::table& table = *presets->get(i)->as_table();
      std::string path = "preset[" + std::to_string(i + 1) + "]";
      OnlyKnownKeys(table, path, {"kind", "file"});
      DescribedText kind, file;
      if (Text(table, path, "kind", &kind, true) & Text(table, path, "file", &file, true)) {
        description->presets.push_back({kind.text, ResolvedPath(base_, file.text), kind.where});
      }
    }
  }

  void Pictures(const toml::table& table, Description* description) {
    for (auto&& [key, node] : table) {
      std::string name(key.str());
      DescribedText path;
      if (!Text(table, "pictures", name.c_str(), &path, true)) continue;
      std::string resolved = ResolvedPath(base_, path.text);
      if (name != "folder") {
        description->pictures.push_back({PictureFileName(name), resolved, path.where});
        continue;
      }
      std::vector<std::string> names;
      if (!ListFolder(resolved, &names)) {
        refusals_->Add(path.where, "names no folder that can be read: " + resolved);
        continue;
      }
      // A picture given by its own key wins over the folder's.
      for (const std::string& file : names) {
        bool named = false;
        for (const DescribedPicture& picture : description->pictures) named = named || picture.name == file;
        if (!named) description->pictures.push_back({file, ResolvedPath(resolved, file), path.where});
      }
    }
  }

  void Languages(const toml::table& table, Description* description) {
    const toml::node* node = table.get("languages");
    if (!node) return;
    description->languagesWhere = At(*node, "setup.languages");
    if (const toml::value<std::string>* all = node->as_string(); all && all->get() == "all") return;
    const toml::array* tags = node->as_array();
    if (!tags) {
      Refuse(*node, "setup.languages", "must be \"all\" or a list of language tags: [\"de\", \"fr\"]");
      return;
    }
    description->allLanguages = false;
    for (size_t i = 0; i < tags->size(); ++i) {
      const toml::value<std::string>* tag = tags->get(i)->as_string();
      if (!tag) {
        Refuse(*tags->get(i), "setup.languages", "must list language tags in quotes");
        continue;
      }
      description->languages.push_back(tag->get());
    }
  }

 private:
  std::string file_, base_;
  Refusals* refusals_;
};

}  // namespace

bool ReadDescription(const std::string& path, const std::string& base, Description* description, Refusals* refusals) {
  *description = Description();
  description->file = path;
  std::vector<uint8_t> bytes;
  std::string reason;
  if (!ReadWholeFile(path, &bytes, &reason)) {
    refusals->Add({path, 0, ""}, "cannot be read: " + reason);
    return false;
  }
  std::string_view text(reinterpret_cast<const char*>(bytes.data()), bytes.size());
  toml::parse_result parsed = toml::parse(text, path);
  if (!parsed) {
    const toml::parse_error& error = parsed.error();
    refusals->Add({path, static_cast<int>(error.source().begin.line), ""},
                  "is no valid TOML: " + std::string(error.description()));
    return false;
  }
  const toml::table& root = parsed.table();
  size_t before = refusals->count();
  Reader reader(path, base.empty() ? FolderOf(path) : base, refusals);
  reader.OnlyKnownKeys(root, "", {"maker", "product", "setup", "component", "payload", "preset", "pictures", "signing", "package"});
  const toml::table* maker = reader.Table(root, "maker", true);
  const toml::table* product = reader.Table(root, "product", true);
  if (maker) reader.OnlyKnownKeys(*maker, "maker", {"name", "folder", "scan_word", "folder_mark", "website", "help"});
  if (product) reader.OnlyKnownKeys(*product, "product", {"name", "version"});
  for (int i = 0; i < kMakerValueCount; ++i) {
    std::string key = kMakerKeys[i];
    std::string table = key.substr(0, key.find('.')), name = key.substr(key.find('.') + 1);
    const toml::table* holder = table == "maker" ? maker : product;
    if (holder) reader.Text(*holder, table, name.c_str(), &description->maker[i], true);
  }
  if (const toml::table* setup = reader.Table(root, "setup", false)) {
    reader.OnlyKnownKeys(*setup, "setup", {"file_name", "description", "copyright", "languages"});
    reader.Text(*setup, "setup", "file_name", &description->setupFileName, false);
    reader.Text(*setup, "setup", "description", &description->setupDescription, false);
    reader.Text(*setup, "setup", "copyright", &description->copyright, false);
    reader.Languages(*setup, description);
  }
  const std::string& makerName = description->maker[kMakerMakerName].text;
  if (description->setupFileName.text.empty()) description->setupFileName.text = makerName + "Setup.exe";
  if (description->setupDescription.text.empty()) description->setupDescription.text = makerName + " plug-in setup";
  if (description->copyright.text.empty()) description->copyright.text = "Copyright (C) " + makerName;
  if (const toml::node* node = root.get("component")) {
    const toml::array* components = node->as_array();
    if (!components || !components->is_array_of_tables()) {
      reader.Refuse(*node, "component", "must be [[component]] tables");
    } else {
      for (size_t i = 0; i < components->size(); ++i) {
        reader.Component(*components->get(i)->as_table(), "component[" + std::to_string(i + 1) + "]", description);
      }
    }
  }
  if (const toml::table* payload = reader.Table(root, "payload", false)) {
    reader.OnlyKnownKeys(*payload, "payload", {"files"});
    reader.Files(*payload, "payload", "", description);
  }
  if (const toml::node* node = root.get("preset")) reader.Presets(*node, description);
  if (const toml::table* pictures = reader.Table(root, "pictures", false)) reader.Pictures(*pictures, description);
  if (const toml::table* signing = reader.Table(root, "signing", false)) {
    reader.OnlyKnownKeys(*signing, "signing", {"key", "password_variable", "timestamp"});
    reader.Text(*signing, "signing", "key", &description->signingKey, true);
    if (!reader.Text(*signing, "signing", "password_variable", &description->signingPasswordVariable, false)) {
      description->signingPasswordVariable.text = "SETUP_SIGN_PASSWORD";
    }
    reader.Text(*signing, "signing", "timestamp", &description->timestampUrl, false);
    if (!description->signingKey.text.empty()) {
      description->signingKey.text = ResolvedPath(base.empty() ? FolderOf(path) : base, description->signingKey.text);
    }
  }
  if (const toml::table* package = reader.Table(root, "package", false)) {
    reader.OnlyKnownKeys(*package, "package", {"id", "download"});
    reader.Text(*package, "package", "id", &description->packageId, true);
    reader.Text(*package, "package", "download", &description->downloadUrl, true);
  }
  return refusals->count() == before;
}
