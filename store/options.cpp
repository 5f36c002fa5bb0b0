#include "store/options.h"

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

// Reads an integer option into `target` when it exists, or writes `target`
// (its default) when it does not. `valid` decides whether a stored value may
// be used.
void LoadInteger(Registry& reg, const char* name, std::int32_t& target, bool (*valid)(std::int32_t),
                 std::vector<OptionProblem>& problems) {
  try {
    if (reg.ValueExists(name)) {
      const std::int32_t v = reg.ReadInteger(name);
      if (valid && !valid(v)) {
        problems.push_back({name, "值 " + Decimal(v) + " 超出范围"});
        return;
      }
      target = v;
    } else {
      reg.WriteInteger(name, target);
    }
  } catch (const FrameworkError& e) {
    problems.push_back({name, DetailOf(e)});
  }
}

bool NonNegative(std::int32_t v) { return v >= 0; }

}  // namespace

std::vector<OptionProblem> LoadOptions(Registry& reg, Options& opts, const std::function<void()>& loadTaskCounter) {
  std::vector<OptionProblem> problems;
  LoadInteger(reg, kShutappValue, opts.closeProgramsFirst, nullptr, problems);
  try {
    if (reg.ValueExists(kSoundpathValue)) {
      opts.soundPath = reg.ReadString(kSoundpathValue);
    } else {
      reg.WriteString(kSoundpathValue, opts.soundPath);
    }
  } catch (const FrameworkError& e) {
    problems.push_back({kSoundpathValue, DetailOf(e)});
  }
  LoadInteger(reg, kTishiValue, opts.countdownSeconds, NonNegative, problems);
  try {
    loadTaskCounter();
  } catch (const FrameworkError& e) {
    problems.push_back({"TaskNum", DetailOf(e)});
  }
  std::int32_t kaiji = 0;  // only checked here; start-up reads it again
  LoadInteger(reg, kKaijiValue, kaiji, nullptr, problems);
  LoadInteger(reg, kRejianValue, opts.ctrlHotkeys, nullptr, problems);
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

OptionValues ReadOptionValues(Registry& reg) {
  OptionValues v;
  const auto number = [&reg](const char* name, std::int32_t& target) {
    if (reg.ValueExists(name)) target = reg.ReadInteger(name);
  };
  number(kShutappValue, v.shutapp);
  v.soundpath = reg.ReadString(kSoundpathValue);
  number(kTishiValue, v.tishi);
  number(kKaijiValue, v.kaiji);
  number(kRejianValue, v.rejian);
  return v;
}

std::vector<ValueToWrite> OptionWrites(const OptionChanges& c) {
  std::vector<ValueToWrite> writes;
  const auto number = [&writes](const char* name, const std::optional<std::int32_t>& v) {
    if (v) writes.push_back({name, true, *v, std::string()});
  };
  number(kShutappValue, c.shutapp);
  if (c.soundpath) writes.push_back({kSoundpathValue, false, 0, *c.soundpath});
  number(kTishiValue, c.tishi);
  number(kKaijiValue, c.kaiji);
  number(kRejianValue, c.rejian);
  return writes;
}

void ApplyOptionChanges(const OptionChanges& c, Options& opts) {
  if (c.shutapp) opts.closeProgramsFirst = *c.shutapp;
  if (c.soundpath) opts.soundPath = *c.soundpath;
  if (c.tishi) opts.countdownSeconds = *c.tishi;
  if (c.rejian) opts.ctrlHotkeys = *c.rejian;
}

}  // namespace ordavi
