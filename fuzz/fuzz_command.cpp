// The texts a stored parameter becomes on their way to the system: the
// adapter command line, the choice of processes to end, and the quoted text
// of a message. Oracles:
// - an adapter command that is built parses back, by the rules of
//   CommandLineToArgvW over the UTF-16 the line becomes, into exactly the
//   intended arguments (the full program path, int set int, name=<the name>,
//   admin=...), and no character of the name stands outside its quotes;
//   a name it refuses holds a character that could break that;
// - CloseProgramByName ends exactly the listed processes whose snapshot text
//   and whose image (as the opened handle tells it) both name the program,
//   each once, and nothing for an empty name;
// - QuoteForMessage gives at most 32 characters and an ellipsis, no control
//   character, and the text itself when it was short and clean.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "actions/network.h"
#include "actions/processes.h"
#include "fuzz/input.h"
#include "store/text.h"

namespace {

using namespace ordavi;

// One character of a GBK text as the conversion to UTF-16 sees it. A lead
// byte takes the next byte with it, whatever it is (the worst case for a
// quote after it); the character is then never one the command-line rules
// treat specially. `ascii` is the ASCII character, or 0 for any other one.
struct Unit {
  std::string bytes;
  char ascii;
  bool operator==(const Unit& o) const { return bytes == o.bytes; }
};
using Units = std::vector<Unit>;

Units Decode(const std::string& gbk) {
  Units out;
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size()) {
      out.push_back({gbk.substr(i, 2), 0});
      i += 2;
    } else {
      out.push_back({gbk.substr(i, 1), b < 0x80 ? static_cast<char>(b) : '\0'});
      i += 1;
    }
  }
  return out;
}

// CommandLineToArgvW's rules. The program name: up to the next quote when it
// begins with one, else up to white space, with no backslash rules. Then: 2n
// backslashes and a quote give n backslashes and open or close the quoted
// part; 2n+1 backslashes and a quote give n backslashes and a literal quote;
// other backslashes stand for themselves; two quotes inside a quoted part
// give one literal quote; blanks and tabs outside quotes end an argument.
// `outsideQuotes` collects the places of the characters read outside quotes.
std::vector<Units> ParseArgs(const Units& line, std::set<std::size_t>* outsideQuotes) {
  std::vector<Units> args;
  std::size_t i = 0;
  const auto blank = [&](std::size_t k) { return line[k].ascii == ' ' || line[k].ascii == '\t'; };
  Units first;
  if (i < line.size() && line[i].ascii == '"') {
    for (++i; i < line.size() && line[i].ascii != '"'; ++i) first.push_back(line[i]);
    if (i < line.size()) ++i;
  } else {
    for (; i < line.size() && !blank(i); ++i) first.push_back(line[i]);
  }
  args.push_back(first);
  while (true) {
    while (i < line.size() && blank(i)) ++i;
    if (i >= line.size()) break;
    Units arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !blank(i))) {
      if (line[i].ascii == '\\') {
        std::size_t n = 0;
        while (i < line.size() && line[i].ascii == '\\') ++n, ++i;
        if (i < line.size() && line[i].ascii == '"') {
          for (std::size_t k = 0; k < n / 2; ++k) arg.push_back({"\\", '\\'});
          if (n % 2 == 1) {
            arg.push_back({"\"", '"'});
            ++i;
          }
        } else {
          for (std::size_t k = 0; k < n; ++k) arg.push_back({"\\", '\\'});
        }
      } else if (line[i].ascii == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1].ascii == '"') {
          arg.push_back({"\"", '"'});
          i += 2;
        } else {
          quoted = !quoted;
          ++i;
        }
      } else {
        if (!quoted && outsideQuotes) outsideQuotes->insert(i);
        arg.push_back(line[i]);
        ++i;
      }
    }
    args.push_back(arg);
  }
  return args;
}

Units Join(const std::string& prefix, const std::string& gbk) {
  Units u = Decode(prefix);
  const Units rest = Decode(gbk);
  u.insert(u.end(), rest.begin(), rest.end());
  return u;
}

void CheckAdapterCommand(const std::string& systemDir, const std::string& name, bool enable) {
  const std::optional<std::string> args = AdapterCommand(name, enable);
  // A character that could end the quotes or be expanded, wherever it
  // stands (a lead byte before it need not take it along), or a last
  // character that would take the closing quote: a backslash, a lone lead
  // byte.
  bool breaks = false;
  for (char c : name) {
    const unsigned char b = static_cast<unsigned char>(c);
    if (c == '"' || c == '%' || c == '!' || b < 0x20 || b == 0x7F) breaks = true;
  }
  const Units nameUnits = Decode(name);
  if (!nameUnits.empty()) {
    const Unit& last = nameUnits.back();
    const unsigned char b = static_cast<unsigned char>(last.bytes[0]);
    if (last.ascii == '\\' || (last.bytes.size() == 1 && b >= 0x81 && b <= 0xFE)) breaks = true;
  }
  if (!args) {
    if (!breaks) __builtin_trap();  // a harmless name was refused
    return;
  }
  if (breaks) __builtin_trap();
  const std::string line = SystemProgramCommandLine(systemDir, kNetshProgram, *args);
  std::set<std::size_t> outside;
  const Units lineUnits = Decode(line);
  const std::vector<Units> parsed = ParseArgs(lineUnits, &outside);
  const std::string dirWithSeparator = systemDir.back() == '\\' ? systemDir : systemDir + "\\";
  const std::vector<Units> expected = {Decode(dirWithSeparator + kNetshProgram), Decode("int"), Decode("set"),
                                       Decode("int"), Join("name=", name),
                                       Decode(enable ? "admin=enable" : "admin=disable")};
  if (parsed != expected) __builtin_trap();
  // Only the fixed words stand outside quotes, none of them a character a
  // command interpreter acts on.
  for (std::size_t k : outside) {
    const char c = lineUnits[k].ascii;
    if (c == '&' || c == '|' || c == '<' || c == '>' || c == '^' || c == '%' || c == '!' || c == '(' || c == ')') {
      __builtin_trap();
    }
  }
  for (char c : line) {
    if (c == '%' || c == '!') __builtin_trap();
  }
}

// The file-name part of a GBK path, found independently of SplitPath.
std::string FileNamePart(const std::string& gbk) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    if (b >= 0x81 && b <= 0xFE && i + 1 < gbk.size()) {
      i += 2;
    } else {
      if (b == '\\' || b == ':') start = i + 1;
      ++i;
    }
  }
  return gbk.substr(start);
}

bool SameIgnoringAsciiCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    const auto up = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
    if (up(a[i]) != up(b[i])) return false;
  }
  return true;
}

bool Names(const std::string& text, const std::string& name) {
  return SameIgnoringAsciiCase(FileNamePart(text), name) || SameIgnoringAsciiCase(text, name);
}

struct Table : ProcessSystem {
  std::vector<ProcessEntry> list;
  std::map<std::uint32_t, std::optional<std::string>> images;
  std::vector<std::uint32_t> ended;
  std::optional<std::vector<ProcessEntry>> ListProcesses() override { return list; }
  void TerminateProcess(std::uint32_t pid, const ImageCheck& isTheProgram) override {
    const auto it = images.find(pid);
    if (isTheProgram(it == images.end() ? std::nullopt : it->second)) ended.push_back(pid);
  }
};

void CheckCloseProgram(fuzz::Input& in) {
  Table t;
  const std::string name = in.Text(40);
  const int count = in.Byte() % 8;
  for (int k = 0; k < count; ++k) {
    const std::uint32_t pid = static_cast<std::uint32_t>(k + 1);
    const std::uint8_t how = in.Byte();
    const std::string exe = (how & 1) ? name : in.Text(40);
    t.list.push_back({pid, exe});
    if (how & 2) {
      t.images[pid] = std::nullopt;
    } else if (how & 4) {
      t.images[pid] = in.Text(60);  // the id went to another program, or a path of this one
    } else {
      t.images[pid] = "C:\\Apps\\" + exe;
    }
  }
  CloseProgramByName(name, t);
  std::vector<std::uint32_t> expected;
  if (!name.empty()) {
    for (const ProcessEntry& p : t.list) {
      const auto& image = t.images[p.pid];
      if (Names(p.exeFile, name) && image && !image->empty() && Names(*image, name)) expected.push_back(p.pid);
    }
  }
  if (t.ended != expected) __builtin_trap();
}

// The characters of a GBK text as FirstChars counts them.
std::vector<std::string> Chars(const std::string& gbk) {
  std::vector<std::string> out;
  for (std::size_t i = 0; i < gbk.size();) {
    const unsigned char b = static_cast<unsigned char>(gbk[i]);
    const std::size_t n = b >= 0x81 && b <= 0xFE && i + 1 < gbk.size() ? 2 : 1;
    out.push_back(gbk.substr(i, n));
    i += n;
  }
  return out;
}

void CheckQuote(const std::string& text) {
  const std::string q = QuoteForMessage(text);
  const std::vector<std::string> chars = Chars(text);
  const bool cut = chars.size() > kQuotedChars;
  const std::string ellipsis = "…";
  if (cut && (q.size() < ellipsis.size() || q.compare(q.size() - ellipsis.size(), ellipsis.size(), ellipsis) != 0)) {
    __builtin_trap();  // a shortened text says so
  }
  const std::vector<std::string> shown = Chars(cut ? q.substr(0, q.size() - ellipsis.size()) : q);
  if (shown.size() != std::min(chars.size(), kQuotedChars)) __builtin_trap();
  for (std::size_t k = 0; k < shown.size(); ++k) {
    const unsigned char b = static_cast<unsigned char>(chars[k][0]);
    const bool control = chars[k].size() == 1 && (b < 0x20 || b == 0x7F);
    if (shown[k] != (control ? std::string("?") : chars[k])) __builtin_trap();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  fuzz::Input in(data, size);
  static const char* const kSystemDirs[] = {"C:\\Windows\\system32", "D:\\Win Dir\\System32", "C:\\",
                                            "C:\\WINDOWS\\SysWOW64"};
  switch (in.Byte() % 3) {
    case 0: {
      const std::string dir = kSystemDirs[in.Byte() % 4];
      const bool enable = in.Byte() & 1;
      CheckAdapterCommand(dir, in.Rest(), enable);
      break;
    }
    case 1:
      CheckCloseProgram(in);
      break;
    default:
      CheckQuote(in.Rest());
      break;
  }
  return 0;
}
