#include "store/options.h"

#include <cstdint>

#include "store/errors.h"
#include "store/text.h"

namespace ordavi {

namespace {

// What a failed read or write of one option means to the user.
std::string DetailOf(const FrameworkError& e) {
  switch (e.kind()) {
    case ErrorKind::InvalidType: return "类型错误";
    case ErrorKind::SetData: return "无法写入";
    default: return e.what();
  }
}

// Reads one option into its in-memory copy when it is stored, or stores its
// default when it is not.
void LoadOne(Registry& reg, const OptionDescriptor& o, Options& opts, std::vector<OptionProblem>& problems) {
  try {
    if (!reg.ValueExists(o.name)) {
      if (o.kind == OptionKind::Text) {
        reg.WriteString(o.name, std::string());
      } else {
        reg.WriteInteger(o.name, o.defaultNumber);
      }
      return;
    }
    if (o.kind == OptionKind::Text) {
      const std::string v = reg.ReadString(o.name);
      if (o.text) opts.*o.text = v;
      return;
    }
    const std::int32_t v = reg.ReadInteger(o.name);
    if (o.kind != OptionKind::Flag && (v < o.low || v > o.high)) {
      problems.push_back({o.name, "值 " + Decimal(v) + " 超出范围"});
      return;
    }
    if (o.number) opts.*o.number = v;
  } catch (const FrameworkError& e) {
    problems.push_back({o.name, DetailOf(e)});
  }
}

}  // namespace

Options::Options() {
  for (const OptionDescriptor& o : kOptions) {
    if (o.number) this->*o.number = o.defaultNumber;
  }
}

const OptionDescriptor* FindOption(const std::string& name) {
  for (const OptionDescriptor& o : kOptions) {
    if (name == o.name) return &o;
  }
  return nullptr;
}

std::size_t IndexOf(const OptionDescriptor& option) { return static_cast<std::size_t>(&option - kOptions); }

bool FlagIsOn(const OptionDescriptor& option, std::int32_t stored) {
  return option.onlyOneIsOn ? stored == 1 : stored != 0;
}

bool FlagIsOn(const char* option, std::int32_t stored) { return FlagIsOn(*FindOption(option), stored); }

std::vector<OptionProblem> LoadOptions(Registry& reg, Options& opts, const std::function<void()>& loadTaskCounter) {
  std::vector<OptionProblem> problems;
  bool counterLoaded = false;
  const auto loadCounter = [&] {
    counterLoaded = true;
    try {
      loadTaskCounter();
    } catch (const FrameworkError& e) {
      problems.push_back({"TaskNum", DetailOf(e)});
    }
  };
  for (const OptionDescriptor& o : kOptions) {
    if (o.afterTaskCounter && !counterLoaded) loadCounter();
    LoadOne(reg, o, opts, problems);
  }
  if (!counterLoaded) loadCounter();
  return problems;
}

std::string OptionProblemsNotice(const std::vector<OptionProblem>& problems) {
  std::string text = "设置值无效，已用默认值：";
  for (std::size_t i = 0; i < problems.size(); ++i) {
    if (i > 0) text += "；";
    text += problems[i].name + "（" + problems[i].detail + "）";
  }
  return text;
}

bool OptionValues::Empty() const {
  for (const std::optional<OptionValue>& v : of) {
    if (v) return false;
  }
  return true;
}

OptionValues ReadOptionValues(Registry& reg) {
  OptionValues values;
  for (const OptionDescriptor& o : kOptions) {
    OptionValue& v = values.of[IndexOf(o)].emplace();
    if (o.kind == OptionKind::Text) {
      v.text = reg.ReadString(o.name);
    } else {
      v.number = reg.ValueExists(o.name) ? reg.ReadInteger(o.name) : o.defaultNumber;
    }
  }
  return values;
}

std::vector<ValueToWrite> OptionWrites(const OptionValues& values) {
  std::vector<ValueToWrite> writes;
  for (const OptionDescriptor& o : kOptions) {
    if (const std::optional<OptionValue>& v = values.of[IndexOf(o)]) {
      writes.push_back({o.name, o.kind != OptionKind::Text, v->number, v->text});
    }
  }
  return writes;
}

void ApplyOptionChanges(const OptionValues& values, Options& opts) {
  for (const OptionDescriptor& o : kOptions) {
    const std::optional<OptionValue>& v = values.of[IndexOf(o)];
    if (!v) continue;
    if (o.number) opts.*o.number = v->number;
    if (o.text) opts.*o.text = v->text;
  }
}

}  // namespace ordavi
