#include "actions/temp_cleaning.h"

#include "store/text.h"

namespace ordavi {

namespace {

std::string WithoutTrailingSeparator(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

// A plain full local path: X:\ followed by components that are neither
// empty, "." nor "..", with no character a file name cannot hold (so no
// stream suffix, wildcard, device or \\?\ prefix slips through).
bool IsPlainFullLocalPath(const std::string& p) {
  if (p.size() < 3 || !IsAsciiLetter(p[0]) || p[1] != ':' || p[2] != '\\') return false;
  std::string component;
  for (std::size_t i = 3; i <= p.size(); ++i) {
    const char c = i < p.size() ? p[i] : '\\';
    if (c == '\\') {
      if (i != p.size() && (component.empty() || component == "." || component == "..")) return false;
      if (i == p.size() && (component == "." || component == "..")) return false;
      component.clear();
      continue;
    }
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || c == '/' || c == ':' || c == '*' || c == '?' || c == '"' || c == '<' || c == '>' || c == '|') {
      return false;
    }
    component += c;
  }
  return true;
}

}  // namespace

TempPathVerdict JudgeTempFolderPath(const std::string& fullPath, const std::string& agentDir) {
  const std::string path = WithoutTrailingSeparator(fullPath);
  if (!IsPlainFullLocalPath(path)) return TempPathVerdict::NotFullLocalPath;
  if (path.size() == 3) return TempPathVerdict::DriveRoot;
  const std::string last = AsciiUpper(path.substr(path.rfind('\\') + 1));
  if (last != "TEMP" && last != "TMP") return TempPathVerdict::NotTempName;
  const std::string inside = AsciiUpper(path + "\\");
  const std::string agent = AsciiUpper(WithoutTrailingSeparator(agentDir) + "\\");
  if (agent.compare(0, inside.size(), inside) == 0) return TempPathVerdict::HoldsAgent;
  return TempPathVerdict::Clean;
}

namespace {

const char* const kCrlf = "\r\n";

class FolderCleaner {
 public:
  FolderCleaner(TempFolderSystem& fs, std::string& log) : fs_(fs), log_(log) {}

  // Empties an opened temporary folder; only its direct entries are counted
  // and listed when removed, as a reader of the log looks for them.
  void EmptyTop(std::uint64_t folder) {
    const auto names = fs_.List(folder);
    if (!names) {
      Line("  could not be listed, left alone");
      return;
    }
    for (const std::string& name : *names) {
      const OpenedEntry e = fs_.Open(folder, name);
      switch (e.kind) {
        case EntryKind::Gone: continue;
        case EntryKind::InUse:
          ++totals.kept;
          Line("  kept, in use: \"" + name + "\"");
          continue;
        case EntryKind::File:
          if (fs_.Delete(e.id)) {
            ++totals.files;
            Line("  removed: \"" + name + "\"");
          } else {
            ++totals.kept;
            Line("  kept, in use: \"" + name + "\"");
          }
          break;
        case EntryKind::Folder: {
          const bool whole = EmptyInner(e.id, name + "\\", 1) && fs_.Delete(e.id);
          if (whole) {
            ++totals.folders;
            Line("  removed folder: \"" + name + "\\\"");
          } else {
            ++totals.kept;
            Line("  kept in part: \"" + name + "\\\"");
          }
          break;
        }
        default: LeftAlone(e.kind, name); break;
      }
      fs_.Close(e.id);
    }
  }

  CleaningTotals totals;

 private:
  // Empties a folder below a temporary folder; true when nothing is left in it.
  bool EmptyInner(std::uint64_t folder, const std::string& prefix, int depth) {
    if (depth >= kMaxCleaningDepth) {
      Line("  too deep, left alone: \"" + prefix + "\"");
      return false;
    }
    const auto names = fs_.List(folder);
    if (!names) return false;
    bool empty = true;
    for (const std::string& name : *names) {
      const OpenedEntry e = fs_.Open(folder, name);
      bool removed = false;
      switch (e.kind) {
        case EntryKind::Gone: continue;
        case EntryKind::InUse:
          empty = false;
          continue;
        case EntryKind::File: removed = fs_.Delete(e.id); break;
        case EntryKind::Folder: removed = EmptyInner(e.id, prefix + name + "\\", depth + 1) && fs_.Delete(e.id); break;
        default: LeftAlone(e.kind, prefix + name); break;
      }
      fs_.Close(e.id);
      if (!removed) empty = false;
    }
    return empty;
  }

  void LeftAlone(EntryKind kind, const std::string& name) {
    if (kind == EntryKind::Link) {
      Line("  link, left alone: \"" + name + "\"");
    } else {
      Line("  not where it was listed (a link or moved), left alone: \"" + name + "\"");
    }
  }

  void Line(const std::string& text) { log_ += text + kCrlf; }

  TempFolderSystem& fs_;
  std::string& log_;
};

const char* VerdictText(TempPathVerdict v) {
  switch (v) {
    case TempPathVerdict::NotFullLocalPath: return "not a full local path";
    case TempPathVerdict::DriveRoot: return "a drive's root folder";
    case TempPathVerdict::NotTempName: return "its last part is not Temp or Tmp";
    case TempPathVerdict::HoldsAgent: return "Ordavi itself lies in this folder";
    case TempPathVerdict::NotOwnFolder: return "not in this user's profile or the Windows folder's Temp";
    default: return "";
  }
}

const char* OpenText(FolderOpen status) {
  switch (status) {
    case FolderOpen::Missing: return "no such folder";
    case FolderOpen::Linked: return "it or a folder above it is a link";
    default: return "cannot be opened";
  }
}

}  // namespace

CleaningTotals CleanTempFolders(TempFolderSystem& fs, std::string& log, bool elevated) {
  const struct {
    const char* variable;
    const char* below;
  } kFolders[] = {{"TEMP", ""},
                  {"TMP", ""},
                  {"LOCALAPPDATA", "\\Temp"},
                  {"USERPROFILE", "\\Local Settings\\Temp"},
                  {"SystemRoot", "\\Temp"}};
  FolderCleaner cleaner(fs, log);
  const std::string agentDir = fs.AgentFolder();
  const std::vector<std::string> own = elevated ? fs.OwnFolders() : std::vector<std::string>();
  const auto insideOwn = [&own](const std::string& full) {
    const std::string inside = AsciiUpper(full + "\\");
    for (const std::string& o : own) {
      const std::string root = AsciiUpper(WithoutTrailingSeparator(o) + "\\");
      if (!o.empty() && inside.compare(0, root.size(), root) == 0) return true;
    }
    return false;
  };
  std::vector<std::string> done;
  for (const auto& f : kFolders) {
    log += kCrlf;
    const auto value = fs.Environment(f.variable);
    if (!value || value->empty()) {
      log += std::string("  skipped: ") + f.variable + " is not set" + kCrlf;
      continue;
    }
    const std::string named = *value + f.below;
    log += "Folder \"" + named + "\"" + kCrlf;
    const std::string full = WithoutTrailingSeparator(fs.FullPath(named));
    if (full.empty()) {
      log += std::string("  skipped: ") + VerdictText(TempPathVerdict::NotFullLocalPath) + kCrlf;
      continue;
    }
    log += "  full path \"" + full + "\"" + kCrlf;
    TempPathVerdict verdict = JudgeTempFolderPath(full, agentDir);
    if (verdict == TempPathVerdict::Clean && elevated && !insideOwn(full)) verdict = TempPathVerdict::NotOwnFolder;
    if (verdict != TempPathVerdict::Clean) {
      log += std::string("  skipped: ") + VerdictText(verdict) + kCrlf;
      continue;
    }
    bool seen = false;
    for (const std::string& d : done) seen = seen || AsciiUpper(d) == AsciiUpper(full);
    if (seen) {
      log += std::string("  skipped: already cleaned") + kCrlf;
      continue;
    }
    const OpenedFolder folder = fs.OpenFolder(full);
    if (folder.status != FolderOpen::Opened) {
      log += std::string("  skipped: ") + OpenText(folder.status) + kCrlf;
      continue;
    }
    done.push_back(full);
    cleaner.EmptyTop(folder.id);
    fs.Close(folder.id);
  }
  return cleaner.totals;
}

}  // namespace ordavi
