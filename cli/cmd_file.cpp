// SPDX-License-Identifier: GPL-3.0-or-later
// Configuration-file commands: defaults, dump, diff.
#include <ostream>

#include "cli/command.h"
#include "model/sp_file.h"
#include "model/store.h"

namespace mirelune::cli {
namespace {

const char* Bool(int16_t v) { return v != kFalse ? "true" : "false"; }

void WriteRecordJson(std::ostream& out, int address, int slot, const ParamRecord& r) {
  out << "{\"address\":" << address << ",\"slot\":" << slot << ",\"Kind\":" << int(r.Kind)
      << ",\"Value\":" << r.Value << ",\"QType\":" << int(r.QType) << ",\"Freq\":" << r.Freq
      << ",\"Gain\":" << r.Gain << ",\"Q\":" << r.Q << ",\"SQ\":" << r.SQ
      << ",\"Valid\":" << Bool(r.Valid) << ",\"PerMode\":" << Bool(r.PerMode)
      << ",\"EQDisabled\":" << Bool(r.EQDisabled) << "}";
}

int Defaults(Context& ctx, const Args& args) {
  const std::string out = args.Value("--output");
  Store store;
  store.InitDefaults();
  FileResult r = SaveTableToFile(out, store.ParamTable);
  if (!r) {
    ctx.err << "mirelune-cli defaults: " << r.error << "\n";
    return kExitFailed;
  }
  return kExitOk;
}

int Dump(Context& ctx, const Args& args) {
  const bool all = args.Has("--all");
  RecordTable table;
  FileResult r = LoadTableFromFile(args.operands[0], table);
  if (!r) {
    ctx.err << "mirelune-cli dump: " << r.error << "\n";
    return kExitFailed;
  }
  if (!r.warning.empty()) ctx.err << "mirelune-cli dump: warning: " << r.warning << "\n";
  ctx.out << "[";
  bool first = true;
  for (int n = 0; n < RecordTable::kRecords; ++n) {
    const ParamRecord& rec = table.record(n);
    if (!all && rec.Valid == kFalse) continue;
    ctx.out << (first ? "\n  " : ",\n  ");
    first = false;
    WriteRecordJson(ctx.out, n / kSlotCount, n % kSlotCount, rec);
  }
  ctx.out << (first ? "]\n" : "\n]\n");
  return kExitOk;
}

void DiffField(std::ostream& out, const char* name, long a, long b) {
  if (a != b) out << " " << name << " " << a << " -> " << b;
}

int Diff(Context& ctx, const Args& args) {
  RecordTable a, b;
  for (int i = 0; i < 2; ++i) {
    FileResult r = LoadTableFromFile(args.operands[static_cast<size_t>(i)], i == 0 ? a : b);
    if (!r) {
      ctx.err << "mirelune-cli diff: " << r.error << "\n";
      return 2;  // diff's own rule: 1 means "different"
    }
    if (!r.warning.empty()) ctx.err << "mirelune-cli diff: warning: " << r.warning << "\n";
  }
  int differing = 0;
  for (int n = 0; n < RecordTable::kRecords; ++n) {
    const ParamRecord& x = a.record(n);
    const ParamRecord& y = b.record(n);
    if (x == y) continue;
    ++differing;
    ctx.out << "address " << n / kSlotCount << " slot " << n % kSlotCount << ":";
    DiffField(ctx.out, "Kind", x.Kind, y.Kind);
    DiffField(ctx.out, "Value", x.Value, y.Value);
    DiffField(ctx.out, "QType", x.QType, y.QType);
    DiffField(ctx.out, "Freq", x.Freq, y.Freq);
    DiffField(ctx.out, "Gain", x.Gain, y.Gain);
    DiffField(ctx.out, "Q", x.Q, y.Q);
    DiffField(ctx.out, "SQ", x.SQ, y.SQ);
    DiffField(ctx.out, "Valid", x.Valid, y.Valid);
    DiffField(ctx.out, "PerMode", x.PerMode, y.PerMode);
    DiffField(ctx.out, "EQDisabled", x.EQDisabled, y.EQDisabled);
    ctx.out << "\n";
  }
  return differing == 0 ? 0 : 1;
}

CommandRegistration defaults{{"defaults", "把启动参数表写成配置文件",
                              "用法: mirelune-cli defaults -o FILE\n"
                              "把控制台的启动参数表写成 .sp 文件。\n",
                              Defaults,
                              Syntax().WithOptions(
                                  {Required(Opt("--output", "FILE", FileOf("sp"), "-o"))})}};
CommandRegistration dump{{"dump", "以 JSON 显示配置文件的记录",
                          "用法: mirelune-cli dump FILE [--all]\n"
                          "按文件顺序以 JSON 数组输出记录；不带 --all 时只输出标记为有效的记录。\n",
                          Dump,
                          Syntax()
                              .WithOptions({Flag("--all")})
                              .WithOperands({One("FILE", FileOf("sp"))})}};
CommandRegistration diff{{"diff", "逐条记录比较两个配置文件",
                          "用法: mirelune-cli diff A B\n"
                          "每条不同的记录一行；相同退出 0，不同退出 1，出错退出 2。\n",
                          Diff,
                          Syntax().WithOperands({One("A", FileOf("sp")), One("B", FileOf("sp"))})}};

}  // namespace
}  // namespace mirelune::cli
