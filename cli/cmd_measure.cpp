// SPDX-License-Identifier: GPL-3.0-or-later
// measure's row in the command table: its options (what they mean is checked by the code's own
// reader, cli/room/measure_args.h, which the sound helper shares) and its usage. Its code (the measurement maths, FFTW) is
// in the helper mirelune-room (cli/room/measure.cpp), which runs the sound devices' helper
// mirelune-measure in turn for any amplifier but a virtual one.
#include "cli/command.h"
#include "cli/helper_program.h"

namespace mirelune::cli {
namespace {

const char* const kMeasureUsage =
    "用法: mirelune-cli [--device DEVICE] measure -o ROOM.txt [--output NAME] [--input NAME]\n"
    "                   [--length S] [--repeat N] [--window LEFT:RIGHT] [--calibration FILE]\n"
    "                   [--no-level-check] [--page P] [--sub-page E] [--json]\n"
    "      mirelune-cli [--device DEVICE] measure --list\n"
    "测量房间：先用粉红噪声检查输入的电平（过低或削波时给出警告），然后播放指数正弦扫频\n"
    "（20 Hz..20 kHz，48 kHz），从声音输出 NAME 播放（接入功放的输入），由声音输入 NAME\n"
    "（测量话筒）录制；不给出时使用系统的默认设备。--list 列出这些设备。扫频持续 S 秒（2..16，\n"
    "默认 8）；用 --repeat N（1..16）时对 N 次扫频取平均。录音经反卷积得到房间的脉冲响应，找出\n"
    "延迟，在其前 LEFT 毫秒、其后 RIGHT 毫秒取窗（默认 125:500，各为 1..2000），得到带相位的\n"
    "响应，以测量程序能打开的文本写入 ROOM.txt（\"*\" 注释之下的 \"freq SPL phase\" 行，1/48 倍频程\n"
    "平滑，20 Hz..20 kHz，每倍频程 48 个点）。--calibration 对其应用话筒校准文件（\"freq dB\" 行，\n"
    "可有一行 \"Sens Factor =..dB\"）。\n"
    "用 --device virtual[:NAME] 时，扫频经过虚拟功放第 P 页（0..7，默认 0；E 为效果页的部分）\n"
    "当前的样子，即其 EQ 频段和滤波器，进入一个模拟的房间（34 到 230 Hz 的房间模式，178 Hz 处的\n"
    "深谷，噪声，37 ms 延迟，20 ppm 的时钟漂移）；其他情况下不触碰功放。\n"
    "--json 输出 {\"file\", \"delayMs\", \"points\", \"levelCheck\", \"sweepPeakDb\"}。\n"
    "退出状态：0 已测量并保存，1 设备或文件失败（不写入任何内容），2 用法错误。\n";

const CommandRegistration kMeasure({"measure", "测量房间：经过功放的扫频，由话筒录制",
                                    kMeasureUsage, InHelper("measure", "mirelune-room"),
                                    Syntax().WithOptions(
                                        {Opt("-o", "ROOM.txt", FileOf("txt")),
                                         Opt("--output", "NAME", Value::Of(Value::Text)),
                                         Opt("--input", "NAME", Value::Of(Value::Text)),
                                         Opt("--length", "S", Value::Of(Value::Text)),
                                         Opt("--repeat", "N", Value::Of(Value::Text)),
                                         Opt("--window", "LEFT:RIGHT", Value::Of(Value::Text)),
                                         Opt("--calibration", "FILE", FileOf("txt,cal")),
                                         Flag("--no-level-check"), Opt("--page", "P", NumberIn(0, 7)),
                                         Opt("--sub-page", "E", NumberIn(0, 2)), Flag("--json"), Flag("--list")})});

}  // namespace
}  // namespace mirelune::cli
