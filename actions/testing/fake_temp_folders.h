// The temporary folders as the cleaning sees them, for unit tests: a tree of
// full paths, each with what opening it through a handle finds and whether
// the system refuses its deletion. Logs "Delete(path)" for each deletion
// asked for; the environment and the agent's folder are answered from the
// fields.
#pragma once

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "actions/temp_cleaning.h"
#include "store/testing/call_log.h"

namespace ordavi::testing {

class FakeTempFolders : public Recording, public TempFolderSystem {
 public:
  using Recording::Recording;
  struct Node {
    EntryKind kind;
    bool refuses = false;
  };

  void Add(const std::string& path, EntryKind kind, bool refuses = false) { nodes[path] = {kind, refuses}; }

  std::optional<std::string> Environment(const std::string& name) override {
    const auto it = env.find(name);
    if (it == env.end()) return std::nullopt;
    return it->second;
  }
  std::string FullPath(const std::string& path) override { return path; }
  std::string AgentFolder() override { return agentFolder; }
  std::vector<std::string> OwnFolders() override { return ownFolders; }
  OpenedFolder OpenFolder(const std::string& path) override {
    if (linkedFolders.count(path)) return {FolderOpen::Linked, 0};
    if (!nodes.count(path)) return {FolderOpen::Missing, 0};
    open[next] = path;
    return {FolderOpen::Opened, next++};
  }
  std::optional<std::vector<std::string>> List(std::uint64_t folder) override {
    const std::string prefix = open.at(folder) + "\\";
    std::vector<std::string> names;
    for (const auto& n : nodes) {
      if (n.first.compare(0, prefix.size(), prefix) == 0 && n.first.find('\\', prefix.size()) == std::string::npos) {
        names.push_back(n.first.substr(prefix.size()));
      }
    }
    return names;
  }
  OpenedEntry Open(std::uint64_t folder, const std::string& name) override {
    const std::string path = open.at(folder) + "\\" + name;
    const auto it = nodes.find(path);
    if (it == nodes.end() || it->second.kind == EntryKind::Gone) return {};
    if (it->second.kind == EntryKind::InUse) return {EntryKind::InUse, 0};
    open[next] = path;
    return {it->second.kind, next++};
  }
  // Removes the entry unless the system refuses or a folder is not empty.
  bool Delete(std::uint64_t entry) override {
    const std::string path = open.at(entry);
    Record("Delete", {path});
    const Node& n = nodes.at(path);
    EXPECT_TRUE(n.kind == EntryKind::File || n.kind == EntryKind::Folder) << "deleting " << path;
    if (n.refuses) return false;
    for (const auto& other : nodes) {
      if (other.first.compare(0, path.size() + 1, path + "\\") == 0) return false;
    }
    nodes.erase(path);
    return true;
  }
  void Close(std::uint64_t id) override { EXPECT_EQ(open.erase(id), 1u) << "closing " << id; }

  std::map<std::string, std::string> env;
  std::string agentFolder = "C:\\Program Files\\Ordavi";
  std::vector<std::string> ownFolders = {"C:\\Users\\u", "C:\\Windows\\Temp"};
  std::map<std::string, Node> nodes;          // full path -> what opening it finds
  std::set<std::string> linkedFolders;        // OpenFolder finds a link on the way
  std::map<std::uint64_t, std::string> open;  // held handles -> their paths

 private:
  std::uint64_t next = 1;
};

}  // namespace ordavi::testing
