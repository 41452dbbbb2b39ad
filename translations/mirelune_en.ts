<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="zh_CN">
<context>
    <name>Mirelune</name>
    <message>
        <source>
      mirelune-cli eq fit ROOM.txt [--target flat|tilt=DB|shelf=DB[@HZ]|FILE]
                             [--range 20:500] [--max-boost 3] [--page P] [--sub-page E]
                             [--sound-mode S] [--lock N,...] [--smoothing 1/12]
                             [--measured page|bypass] [--calibration FILE]
                             (--into FILE.sp -o OUT.sp | --device DEVICE) [--json]
fit 读入房间的测量结果（`measure` 的文件、测量程序导出的文本，或 "freq dB [phase]" 的
CSV/TSV，小数点或逗号均可），在范围内（默认 20..500 Hz）把第 P 页的 EQ 频段拟合到目标：
平直（默认）、每倍频程若干 dB 的倾斜（tilt=-1，-6..6）、低架提升（shelf=6@120：0..15 dB，
转折频率 20..1000 Hz，默认 100），或由 "freq dB" 行组成的目标文件。每个频率、Q 和增益都
取自功放自身的表，之后不再取整；只用峰值频段；任何频段以及频段之和都不会把任何一点提升
超过 --max-boost dB（0..12，默认 3；衰减可到 -24 dB）；窄的凹陷（零点）不予处理：从不
提升，也不计入；在与最佳结果相差 0.5 dB 以内（RMS 和最大值）的前提下使用尽可能少的频段，
剩下的空闲频段设为平直，--lock 保持指定的频段不变（编号与图上显示的相同，从 1 开始）。
测量被视为经过当前的页面所做（--measured page，与 `measure` 相同）：空闲频段当前的份额被
替换；用 --measured bypass 时测量不经过该页，此时计入该页的高通/低通滤波器和锁定的频段。
测量先经平滑（--smoothing 1/1..1/48、var 或 none；默认 1/12）。--calibration 对其应用话筒
校准文件。报告给出拟合前后与目标的偏差（范围内的 RMS 和最大值，单位 dB，不计电平，不计
凹陷）、设置的每个频段，以及频率、增益和 Q 可以连续取值的均衡器用相同的频段所能达到的结果
（--json 供脚本使用）。用 --into 时结果写入 OUT.sp；用 --device 时从功放的当前模式读取该页
（不带 --sound-mode 时为功放所处的声音模式），并把改变的频段作为一次修改发送，方式与 `set`
相同（控制台占用功放时经由控制台：其撤销历史中的一步）。
有问题的文件在写入或发送任何内容之前就被拒绝（退出 1）；命令行错误退出 2。
</source>
        <translation>
       mirelune-cli eq fit ROOM.txt [--target flat|tilt=DB|shelf=DB[@HZ]|FILE]
                              [--range 20:500] [--max-boost 3] [--page P] [--sub-page E]
                              [--sound-mode S] [--lock N,...] [--smoothing 1/12]
                              [--measured page|bypass] [--calibration FILE]
                              (--into FILE.sp -o OUT.sp | --device DEVICE) [--json]
fit reads a room measurement (`measure`'s file, a measurement program's text export, or a
"freq dB [phase]" CSV/TSV, decimal points or commas) and fits page P's EQ bands to the
target over the range (default 20..500 Hz): flat (default), a tilt in dB per octave
(tilt=-1, -6..6), a low-shelf lift (shelf=6@120: dB 0..15, corner 20..1000 Hz, default 100)
or a target file of "freq dB" lines. Every frequency, Q and gain comes from the amplifier's
own tables, so nothing is rounded afterwards; peaking bands only; no band and no sum of
bands lifts any point by more than --max-boost dB (0..12, default 3; cuts may go to
-24 dB); narrow dips (nulls) are left alone: never boosted, not counted; as few bands as
reach within 0.5 dB (RMS and maximum) of the best are used, the free bands left over are set
flat, --lock keeps bands (numbers as the graph shows them, from 1) as they are. The
measurement is taken as made through the page as it is now (--measured page, as `measure`
does): the free bands' present share is replaced; with --measured bypass it was made
without the page, whose high-/low-pass filters and locked bands are then counted. It is
smoothed first (--smoothing 1/1..1/48, var or none; default 1/12). --calibration applies a
microphone calibration file to it. The report gives the deviation from the target before
and after (RMS and maximum in dB over the range, the level aside, without the dips), each
band set, and what an equaliser with continuous frequencies, gains and Qs would reach with
the same bands (--json for scripts). With --into the result is written to OUT.sp; with
--device the page is read from the amplifier's current mode (the sound mode it is in
unless --sound-mode) and the changed bands are sent as one change, the way `set` sends
them (through the console when it holds the amplifier: one step of its undo history).
A bad file is refused before anything is written or sent (exit 1); a bad command line
exits 2.
</translation>
    </message>
    <message>
        <source>
'mirelune-cli 命令 --help' 说明单个命令。
退出状态：0 完成，1 操作失败，2 用法错误（diff：文件不同时为 1，出错时为 2）。
Tab 补全：mirelune-cli completion bash|zsh|fish（软件包已为各 shell 安装）。
用户指南：/usr/share/doc/mirelune/guide.en.md、guide.zh.md（源码中的 docs/）。
</source>
        <translation>
'mirelune-cli COMMAND --help' describes one command.
Exit status: 0 done, 1 the operation failed, 2 a usage error (diff: 1 when the files
differ, 2 on any error).
Tab completion: mirelune-cli completion bash|zsh|fish (the package installs it for each shell).
User guide: /usr/share/doc/mirelune/guide.en.md, guide.zh.md (docs/ in the source).
</translation>
    </message>
    <message>
        <source>
点击切换</source>
        <translation>
Click to toggle</translation>
    </message>
    <message>
        <source>
错误信息如下: 模式号=</source>
        <translation>
Error details: mode number=</translation>
    </message>
    <message>
        <source> (峰值、低架、高架)</source>
        <translation> (peak, low shelf, high shelf)</translation>
    </message>
    <message>
        <source> 的文件名已被本次保存的另一个模式使用，改存为: </source>
        <translation>: its file name is taken by another mode saved in this run; saved as: </translation>
    </message>
    <message>
        <source> ，要全部覆盖吗？</source>
        <translation>, overwrite them all?</translation>
    </message>
    <message>
        <source>%1 %2 超出任何滤波器的范围</source>
        <translation>%1 %2 is beyond any filter</translation>
    </message>
    <message>
        <source>%1 (第 %2 行)</source>
        <translation>%1 (line %2)</translation>
    </message>
    <message>
        <source>%1 dB RMS，最大 %2 dB</source>
        <translation>%1 dB RMS, max %2 dB</translation>
    </message>
    <message>
        <source>%1 必须大于 0</source>
        <translation>%1 must be above 0</translation>
    </message>
    <message>
        <source>%1 没有数值</source>
        <translation>%1 has no value</translation>
    </message>
    <message>
        <source>%1 滤波器需要 %2</source>
        <translation>A %1 filter needs %2</translation>
    </message>
    <message>
        <source>%1：%2 个均衡频段；放置 %3 个滤波器</source>
        <translation>%1: %2 EQ bands; %3 filters placed</translation>
    </message>
    <message>
        <source>(关)</source>
        <translation>(off)</translation>
    </message>
    <message>
        <source>(系统默认)</source>
        <translation>(system default)</translation>
    </message>
    <message>
        <source>,菜单地址=</source>
        <translation>, menu address=</translation>
    </message>
    <message>
        <source>,菜单种类号=</source>
        <translation>, menu kind=</translation>
    </message>
    <message>
        <source>- - 要求</source>
        <translation>- - asked</translation>
    </message>
    <message>
        <source>--mqtt URL    同时加入场所的消息代理（mqtt://HOST[:PORT] 或 mqtts://HOST[:PORT]）：房间的
              状态、事件和命令位于 mirelune/SITE/ROOM/ 之下（见用户指南的“多个房间”）；
              消息代理重启后自动重新连接
--site SITE, --room ROOM  房间在消息代理上的名称
--mqtt-discovery PREFIX|off  在 PREFIX 之下发布家庭自动化的发现消息
              （默认 homeassistant）
</source>
        <translation>--mqtt URL    join the venue's broker too (mqtt://HOST[:PORT] or mqtts://HOST[:PORT]): the
              room's state, its events and commands under mirelune/SITE/ROOM/ (see the
              guide's "Many rooms"); it comes back by itself after the broker restarts
--site SITE, --room ROOM  the room's names on the broker
--mqtt-discovery PREFIX|off  home-automation discovery messages under PREFIX
              (default homeassistant)
</translation>
    </message>
    <message>
        <source>--mqtt-user NAME          消息代理上的用户名
--mqtt-password-file FILE 其密码：该文件的第一行（或环境变量
                          MIRELUNE_MQTT_PASSWORD）
--mqtt-ca FILE            mqtts：消息代理的 CA 证书（默认：系统的证书）
--mqtt-cert FILE, --mqtt-key FILE  mqtts：客户端证书及其密钥（PEM）
</source>
        <translation>--mqtt-user NAME          the user name on the broker
--mqtt-password-file FILE its password, the file's first line (or the environment's
                          MIRELUNE_MQTT_PASSWORD)
--mqtt-ca FILE            mqtts: the CA certificate of the broker (default: the system's)
--mqtt-cert FILE, --mqtt-key FILE  mqtts: a client certificate and its key (PEM)
</translation>
    </message>
    <message>
        <source>127.0.0.1:8808 只允许本机访问；0.0.0.0:8808 允许房间网络中的手机访问</source>
        <translation>127.0.0.1:8808 serves this computer only; 0.0.0.0:8808 lets phones on the room's network in</translation>
    </message>
    <message>
        <source>A/B 比较 (Ctrl+B)：当前设置作为 A，之后的修改作为 B，边听边切换。</source>
        <translation>A/B comparison (Ctrl+B): the settings so far are A, your changes from now on B; switch while listening.</translation>
    </message>
    <message>
        <source>A/B 比较已结束，但 %1 项设置未能发送到放大器：%2。请在放大器重新联机后检查这些设置。</source>
        <translation>The A/B comparison ended, but %1 settings did not reach the amplifier: %2. Check them once the amplifier is back.</translation>
    </message>
    <message>
        <source>A/B 比较开始后声音模式已改变；请切换回%1再继续。</source>
        <translation>The sound mode changed since the A/B comparison started; switch back to %1 to go on.</translation>
    </message>
    <message>
        <source>A/B 比较：%1</source>
        <translation>A/B comparison: %1</translation>
    </message>
    <message>
        <source>A/B 比较：%1 项设置未能发送到放大器：%2。放大器重新联机后会自动补发，下次切换时也会补发。</source>
        <translation>A/B comparison: %1 settings did not reach the amplifier: %2. They are sent when it is back, or with the next switch.</translation>
    </message>
    <message>
        <source>A/B 比较：正在听 %1。单击或按 Ctrl+B 切换到另一组设置；菜单中可保留 A 或 B。</source>
        <translation>A/B comparison: listening to %1. Click or press Ctrl+B for the other settings; keep A or B from the menu.</translation>
    </message>
    <message>
        <source>EQ 导入…</source>
        <translation>EQ import...</translation>
    </message>
    <message>
        <source>EQ 导入预览</source>
        <translation>EQ import preview</translation>
    </message>
    <message>
        <source>EQ 导出…</source>
        <translation>EQ export...</translation>
    </message>
    <message>
        <source>Equalizer APO 配置 (*.txt)</source>
        <translation>Equalizer APO configuration (*.txt)</translation>
    </message>
    <message>
        <source>Q 值</source>
        <translation>Q</translation>
    </message>
    <message>
        <source>REW 滤波器设置 (*.txt)</source>
        <translation>REW filter settings (*.txt)</translation>
    </message>
    <message>
        <source>ROM预览区：</source>
        <translation>Device modes:</translation>
    </message>
    <message>
        <source>USB 位置</source>
        <translation>USB location</translation>
    </message>
    <message>
        <source>—— 实现</source>
        <translation>—— realised</translation>
    </message>
    <message>
        <source>“%1” 不是 %2 滤波器的参数</source>
        <translation>"%1" is not a parameter of a %2 filter</translation>
    </message>
    <message>
        <source>“%1” 不是数字</source>
        <translation>"%1" is not a number</translation>
    </message>
    <message>
        <source>“%1” 中的逗号可能是千位分隔符，也可能是小数点；请去掉逗号或改用小数点</source>
        <translation>The comma in “%1” may separate thousands or decimals; write the number without the comma or with a point</translation>
    </message>
    <message>
        <source>“%1”：文件中小数点与小数逗号混用</source>
        <translation>"%1": the file mixes decimal points and decimal commas</translation>
    </message>
    <message>
        <source>上移</source>
        <translation>Move up</translation>
    </message>
    <message>
        <source>下移</source>
        <translation>Move down</translation>
    </message>
    <message>
        <source>不导入，关闭预览</source>
        <translation>Close the preview without importing</translation>
    </message>
    <message>
        <source>不支持 Equalizer APO 的命令 %1 (只支持 Preamp 和 Filter)</source>
        <translation>Equalizer APO command %1 is not supported (only Preamp and Filter)</translation>
    </message>
    <message>
        <source>不是数值。范围：%1</source>
        <translation>Not a number. Range: %1</translation>
    </message>
    <message>
        <source>不是文本文件</source>
        <translation>not a text file</translation>
    </message>
    <message>
        <source>与目标的偏差 (拟合范围内，不计整体电平，不含保留的谷)</source>
        <translation>Deviation from the target (within the fit range, the overall level aside, without the dips left alone)</translation>
    </message>
    <message>
        <source>与目标通信连接超时，已断开连接。</source>
        <translation>The amplifier did not answer in time; the link was closed.</translation>
    </message>
    <message>
        <source>专业设置</source>
        <translation>Advanced</translation>
    </message>
    <message>
        <source>专业设置
混响的细节参数（仅在混响模式为“用户定义”时可用）</source>
        <translation>Advanced
The reverb's finer settings (only with the reverb mode "User")</translation>
    </message>
    <message>
        <source>中文</source>
        <translation>中文</translation>
    </message>
    <message>
        <source>中置</source>
        <translation>Centre</translation>
    </message>
    <message>
        <source>中置输出</source>
        <translation>Centre out</translation>
    </message>
    <message>
        <source>中置输出旁路</source>
        <translation>Centre out bypass</translation>
    </message>
    <message>
        <source>中置输出静音</source>
        <translation>Centre output mute</translation>
    </message>
    <message>
        <source>中置通道延时</source>
        <translation>Centre channel delay</translation>
    </message>
    <message>
        <source>中置通道音量</source>
        <translation>Centre channel volume</translation>
    </message>
    <message>
        <source>主输出</source>
        <translation>Main out</translation>
    </message>
    <message>
        <source>主输出右静音</source>
        <translation>Main output right mute</translation>
    </message>
    <message>
        <source>主输出左静音</source>
        <translation>Main output left mute</translation>
    </message>
    <message>
        <source>主输出旁路</source>
        <translation>Main out bypass</translation>
    </message>
    <message>
        <source>人声</source>
        <translation>Vocal</translation>
    </message>
    <message>
        <source>从功放读取参数</source>
        <translation>read parameters from the amplifier</translation>
    </message>
    <message>
        <source>从机器读数据时出错！</source>
        <translation>Error while reading data from the amplifier!</translation>
    </message>
    <message>
        <source>以 CSV 输出某页 EQ 曲线的响应</source>
        <translation>print the response curves of a page's EQ graph as CSV</translation>
    </message>
    <message>
        <source>以 JSON 显示配置文件的记录</source>
        <translation>print a configuration file's records as JSON</translation>
    </message>
    <message>
        <source>任何频率的最大提升；衰减可以更深</source>
        <translation>The largest boost at any frequency; cuts may go deeper</translation>
    </message>
    <message>
        <source>位!</source>
        <translation>digits!</translation>
    </message>
    <message>
        <source>低架提升 (dB)</source>
        <translation>Low-shelf lift (dB)</translation>
    </message>
    <message>
        <source>低通滤波器</source>
        <translation>Low-pass filter</translation>
    </message>
    <message>
        <source>低通滤波器类型</source>
        <translation>Low-pass filter type</translation>
    </message>
    <message>
        <source>低通滤波器频点</source>
        <translation>Low-pass frequency</translation>
    </message>
    <message>
        <source>使用此功放</source>
        <translation>Use this amplifier</translation>
    </message>
    <message>
        <source>使用者</source>
        <translation>In use by</translation>
    </message>
    <message>
        <source>保存文件</source>
        <translation>Save file</translation>
    </message>
    <message>
        <source>保存测量</source>
        <translation>Save measurement</translation>
    </message>
    <message>
        <source>保存测量…</source>
        <translation>Save measurement...</translation>
    </message>
    <message>
        <source>保存设置</source>
        <translation>Save settings</translation>
    </message>
    <message>
        <source>保存配置文件</source>
        <translation>Save configuration file</translation>
    </message>
    <message>
        <source>保留 A，结束比较</source>
        <translation>Keep A and end the comparison</translation>
    </message>
    <message>
        <source>保留 B，结束比较</source>
        <translation>Keep B and end the comparison</translation>
    </message>
    <message>
        <source>保留的谷 (不提升，不计入)：%1</source>
        <translation>Dips left alone (not boosted, not counted): %1</translation>
    </message>
    <message>
        <source>修改</source>
        <translation>Change</translation>
    </message>
    <message>
        <source>修改功放上的参数</source>
        <translation>change parameters on the amplifier</translation>
    </message>
    <message>
        <source>倾斜 (dB/倍频程)</source>
        <translation>Tilt (dB/octave)</translation>
    </message>
    <message>
        <source>倾斜：每倍频程 dB (-6..6)；低架提升：100 Hz 以下提升的 dB (0..15)</source>
        <translation>Tilt: dB per octave (-6..6); low-shelf lift: dB of lift below 100 Hz (0..15)</translation>
    </message>
    <message>
        <source>停止</source>
        <translation>Stop</translation>
    </message>
    <message>
        <source>停止正在进行的检查、测量或拟合</source>
        <translation>Stop the level check, measurement or fit in progress</translation>
    </message>
    <message>
        <source>全否</source>
        <translation>None</translation>
    </message>
    <message>
        <source>全选</source>
        <translation>All</translation>
    </message>
    <message>
        <source>关</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>关闭 (OFF)，不导入</source>
        <translation>switched off (OFF), not imported</translation>
    </message>
    <message>
        <source>再测</source>
        <translation>Measured again</translation>
    </message>
    <message>
        <source>再测一次</source>
        <translation>Measure again</translation>
    </message>
    <message>
        <source>再测中…</source>
        <translation>Measuring again...</translation>
    </message>
    <message>
        <source>再测：%1 (预测 %2)</source>
        <translation>Measured again: %1 (predicted %2)</translation>
    </message>
    <message>
        <source>冒号后应为 ON 或 OFF</source>
        <translation>ON or OFF expected after the colon</translation>
    </message>
    <message>
        <source>写入完成!</source>
        <translation>Written!</translation>
    </message>
    <message>
        <source>写入通信日志文件 %1 失败，记录已停止：%2</source>
        <translation>Writing the link log %1 failed, recording stopped: %2</translation>
    </message>
    <message>
        <source>写入：将当前数据保存为设备的指定模式</source>
        <translation>Write: store the current data as the chosen device mode</translation>
    </message>
    <message>
        <source>出厂设置</source>
        <translation>Factory defaults</translation>
    </message>
    <message>
        <source>分析中…</source>
        <translation>Analysing...</translation>
    </message>
    <message>
        <source>列出功放：已连接的 USB 功放和虚拟功放</source>
        <translation>list the amplifiers: USB ones attached and the virtual ones</translation>
    </message>
    <message>
        <source>删除</source>
        <translation>Delete</translation>
    </message>
    <message>
        <source>刷新</source>
        <translation>Refresh</translation>
    </message>
    <message>
        <source>削波：请降低功放音量或话筒增益</source>
        <translation>clipping: lower the amplifier's level or the microphone's gain</translation>
    </message>
    <message>
        <source>前级增益 (第 %1 行)</source>
        <translation>Preamp (line %1)</translation>
    </message>
    <message>
        <source>前级增益的数值后多了 “%1”</source>
        <translation>"%1" follows the preamp value</translation>
    </message>
    <message>
        <source>功放</source>
        <translation>amplifier</translation>
    </message>
    <message>
        <source>功放 %1 正被 %2 使用；它退出后自动连接</source>
        <translation>Amplifier %1 is in use by %2; the console connects when it ends</translation>
    </message>
    <message>
        <source>劲舞模式</source>
        <translation>Dance mode</translation>
    </message>
    <message>
        <source>单位不对。范围：%1</source>
        <translation>Wrong unit. Range: %1</translation>
    </message>
    <message>
        <source>压缩器</source>
        <translation>Compressor</translation>
    </message>
    <message>
        <source>压缩比例</source>
        <translation>Compression ratio</translation>
    </message>
    <message>
        <source>原始密码</source>
        <translation>Old password</translation>
    </message>
    <message>
        <source>原设置</source>
        <translation>Before</translation>
    </message>
    <message>
        <source>双击或按回车键输入数值（可带单位）；滚轮或方向键微调</source>
        <translation>Double-click or press Enter to type a value (a unit may follow); wheel or arrow keys fine-tune</translation>
    </message>
    <message>
        <source>取消</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>另一声音模式</source>
        <translation>Other sound mode</translation>
    </message>
    <message>
        <source>只能输入数字0~9</source>
        <translation>Only the digits 0 to 9 can be entered</translation>
    </message>
    <message>
        <source>右延时</source>
        <translation>Delay R</translation>
    </message>
    <message>
        <source>右延时偏移</source>
        <translation>Delay R offset</translation>
    </message>
    <message>
        <source>右通道延时</source>
        <translation>Right channel delay</translation>
    </message>
    <message>
        <source>右通道音量</source>
        <translation>Right channel volume</translation>
    </message>
    <message>
        <source>右音量</source>
        <translation>Volume R</translation>
    </message>
    <message>
        <source>右预延时</source>
        <translation>Pre-delay R</translation>
    </message>
    <message>
        <source>同时上传到所有已连接的功放</source>
        <translation>Also upload to every connected amplifier</translation>
    </message>
    <message>
        <source>名称</source>
        <translation>Name</translation>
    </message>
    <message>
        <source>后期反射延时</source>
        <translation>Late reflection delay</translation>
    </message>
    <message>
        <source>后期反射音量</source>
        <translation>Late reflection volume</translation>
    </message>
    <message>
        <source>后期反射高频阻尼</source>
        <translation>Late reflection HF damping</translation>
    </message>
    <message>
        <source>向机器写入数据时出错！</source>
        <translation>Error while writing data to the amplifier!</translation>
    </message>
    <message>
        <source>启动时间</source>
        <translation>Attack time</translation>
    </message>
    <message>
        <source>启动电平</source>
        <translation>Threshold</translation>
    </message>
    <message>
        <source>启用</source>
        <translation>Enabled</translation>
    </message>
    <message>
        <source>员工可调整的项目（安装人员可调整全部）：</source>
        <translation>What staff may adjust (the installer may adjust everything):</translation>
    </message>
    <message>
        <source>唱歌模式</source>
        <translation>Singing mode</translation>
    </message>
    <message>
        <source>啸叫抑制</source>
        <translation>Feedback suppression</translation>
    </message>
    <message>
        <source>回声</source>
        <translation>Echo</translation>
    </message>
    <message>
        <source>回声L</source>
        <translation>Echo L</translation>
    </message>
    <message>
        <source>回声R</source>
        <translation>Echo R</translation>
    </message>
    <message>
        <source>回声低切</source>
        <translation>Echo low cut</translation>
    </message>
    <message>
        <source>回声右延时</source>
        <translation>Echo right delay</translation>
    </message>
    <message>
        <source>回声右预延时</source>
        <translation>Echo right pre-delay</translation>
    </message>
    <message>
        <source>回声均衡器</source>
        <translation>Echo EQ</translation>
    </message>
    <message>
        <source>回声延时</source>
        <translation>Echo delay</translation>
    </message>
    <message>
        <source>回声效果音量</source>
        <translation>Echo effect volume</translation>
    </message>
    <message>
        <source>回声旁路</source>
        <translation>Echo bypass</translation>
    </message>
    <message>
        <source>回声次数</source>
        <translation>Echo repeats</translation>
    </message>
    <message>
        <source>回声直达</source>
        <translation>Echo direct</translation>
    </message>
    <message>
        <source>回声直达音量</source>
        <translation>Echo direct volume</translation>
    </message>
    <message>
        <source>回声阻尼</source>
        <translation>Echo damping</translation>
    </message>
    <message>
        <source>回声音量</source>
        <translation>Echo volume</translation>
    </message>
    <message>
        <source>回声音量L</source>
        <translation>Echo volume L</translation>
    </message>
    <message>
        <source>回声音量R</source>
        <translation>Echo volume R</translation>
    </message>
    <message>
        <source>回声预延时</source>
        <translation>Echo pre-delay</translation>
    </message>
    <message>
        <source>回声高切</source>
        <translation>Echo high cut</translation>
    </message>
    <message>
        <source>回声高频阻尼</source>
        <translation>Echo HF damping</translation>
    </message>
    <message>
        <source>在一次连接中运行命令脚本</source>
        <translation>run a script of commands over one link session</translation>
    </message>
    <message>
        <source>在可编辑曲线下方画出比较曲线</source>
        <translation>Draw comparison curves under the editable ones</translation>
    </message>
    <message>
        <source>在话筒1,2与话筒3之间复制设置</source>
        <translation>Copy settings between microphones 1/2 and microphone 3</translation>
    </message>
    <message>
        <source>均衡器 EQ1–EQ12</source>
        <translation>Equalizer EQ1–EQ12</translation>
    </message>
    <message>
        <source>增益</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>声音模式</source>
        <translation>Sound mode</translation>
    </message>
    <message>
        <source>处于来宾模式时，不需要输入密码。处于管理模式时，必须输入正确密码后才能使用软件。</source>
        <translation>In guest mode no password is needed. In administrator mode the correct password must be entered to use the software.</translation>
    </message>
    <message>
        <source>复位</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>复位
本页均衡器恢复出厂设置</source>
        <translation>Reset
The page's EQ back to the factory settings</translation>
    </message>
    <message>
        <source>大厅</source>
        <translation>Large hall</translation>
    </message>
    <message>
        <source>如果您想脱机使用本软件，请断开机器的USB线。</source>
        <translation>To use the software offline, unplug the amplifier's USB cable.</translation>
    </message>
    <message>
        <source>完成!</source>
        <translation>Done!</translation>
    </message>
    <message>
        <source>密码修改失败！</source>
        <translation>The password could not be changed!</translation>
    </message>
    <message>
        <source>密码修改成功！</source>
        <translation>The password was changed!</translation>
    </message>
    <message>
        <source>密码修改：</source>
        <translation>Change password:</translation>
    </message>
    <message>
        <source>密码只能输入数字0~9</source>
        <translation>A password has only the digits 0 to 9</translation>
    </message>
    <message>
        <source>密码请输入</source>
        <translation>Please enter a password of</translation>
    </message>
    <message>
        <source>密码请输入6位!</source>
        <translation>Please enter 6 digits!</translation>
    </message>
    <message>
        <source>密码错误！</source>
        <translation>Wrong password!</translation>
    </message>
    <message>
        <source>密码：</source>
        <translation>Password:</translation>
    </message>
    <message>
        <source>导入EQ滤波器文件</source>
        <translation>Import an EQ filter file</translation>
    </message>
    <message>
        <source>导入结果摘要</source>
        <translation>Import summary</translation>
    </message>
    <message>
        <source>导入预览曲线</source>
        <translation>Import preview curves</translation>
    </message>
    <message>
        <source>导入预览曲线
白色虚线：文件要求的总响应；黄色：放置到频段后实现的总响应 (20 Hz..20 kHz)</source>
        <translation>Import preview curves
White dashes: the total response the file asks for; yellow: the total response the bands realise (20 Hz..20 kHz)</translation>
    </message>
    <message>
        <source>导出EQ滤波器文件</source>
        <translation>Export an EQ filter file</translation>
    </message>
    <message>
        <source>将用当前数据覆盖设备的模式</source>
        <translation>Overwrite the amplifier's mode </translation>
    </message>
    <message>
        <source>小厅</source>
        <translation>Small hall</translation>
    </message>
    <message>
        <source>少于两行数字，不是测量文件</source>
        <translation>fewer than two lines of numbers: not a measurement</translation>
    </message>
    <message>
        <source>左延时</source>
        <translation>Delay L</translation>
    </message>
    <message>
        <source>左通道延时</source>
        <translation>Left channel delay</translation>
    </message>
    <message>
        <source>左通道音量</source>
        <translation>Left channel volume</translation>
    </message>
    <message>
        <source>左音量</source>
        <translation>Volume L</translation>
    </message>
    <message>
        <source>已保存 %1</source>
        <translation>Saved %1</translation>
    </message>
    <message>
        <source>已写入文件！</source>
        <translation>Written to the file!</translation>
    </message>
    <message>
        <source>已取消</source>
        <translation>Cancelled</translation>
    </message>
    <message>
        <source>已存在同名称的模式: </source>
        <translation>Modes of the same name exist already: </translation>
    </message>
    <message>
        <source>已完成操作! </source>
        <translation>Done! </translation>
    </message>
    <message>
        <source>已应用 %1 个频段；可以再测一次</source>
        <translation>%1 bands applied; you can measure again</translation>
    </message>
    <message>
        <source>已打开功放（USB %1）</source>
        <translation>Amplifier opened (USB %1)</translation>
    </message>
    <message>
        <source>已执行的修改：</source>
        <translation>Changes applied:</translation>
    </message>
    <message>
        <source>已放置</source>
        <translation>Placed</translation>
    </message>
    <message>
        <source>已联机：%1</source>
        <translation>Online: %1</translation>
    </message>
    <message>
        <source>已联机：%1，模式%2</source>
        <translation>Online: %1, mode %2</translation>
    </message>
    <message>
        <source>已联机：%1，模式%2，%3</source>
        <translation>Online: %1, mode %2, %3</translation>
    </message>
    <message>
        <source>已联机：%1，正在读取功放数据…</source>
        <translation>Online: %1, reading the amplifier...</translation>
    </message>
    <message>
        <source>已载入 %1</source>
        <translation>Loaded %1</translation>
    </message>
    <message>
        <source>已连接 %1 台功放；请在“设备 › 选择放大器…”中选择一台</source>
        <translation>%1 amplifiers are connected; choose one in "Device › Choose amplifier..."</translation>
    </message>
    <message>
        <source>已连接功放（USB %1），但它正被其他程序使用</source>
        <translation>An amplifier is connected (USB %1) but another program is using it</translation>
    </message>
    <message>
        <source>已连接功放（USB %1），但当前用户无权打开它；请把 scripts/70-mirelune-amplifier.rules 装入 /etc/udev/rules.d 后重新插上</source>
        <translation>An amplifier is connected (USB %1) but this user may not open it; install scripts/70-mirelune-amplifier.rules into /etc/udev/rules.d and plug it in again</translation>
    </message>
    <message>
        <source>已连接功放（USB %1），但打开失败</source>
        <translation>An amplifier is connected (USB %1) but opening it failed</translation>
    </message>
    <message>
        <source>平均次数</source>
        <translation>Sweeps averaged</translation>
    </message>
    <message>
        <source>平均的扫频次数 (1..16)</source>
        <translation>The number of sweeps averaged (1..16)</translation>
    </message>
    <message>
        <source>平直</source>
        <translation>Flat</translation>
    </message>
    <message>
        <source>平直 (0 dB)</source>
        <translation>flat (0 dB)</translation>
    </message>
    <message>
        <source>序列号</source>
        <translation>Serial number</translation>
    </message>
    <message>
        <source>应用</source>
        <translation>Apply</translation>
    </message>
    <message>
        <source>延时</source>
        <translation>Delay</translation>
    </message>
    <message>
        <source>开机效果音量</source>
        <translation>Power-on effect volume</translation>
    </message>
    <message>
        <source>开机模式</source>
        <translation>Power-on mode</translation>
    </message>
    <message>
        <source>开机模式选择</source>
        <translation>Mode choice</translation>
    </message>
    <message>
        <source>开机设置</source>
        <translation>Power-on settings</translation>
    </message>
    <message>
        <source>开机话筒音量</source>
        <translation>Power-on microphone volume</translation>
    </message>
    <message>
        <source>开机音乐音量</source>
        <translation>Power-on music volume</translation>
    </message>
    <message>
        <source>开机音量</source>
        <translation>Power-on volumes</translation>
    </message>
    <message>
        <source>当前返回数据个数与期望的数据个数不符,请检查!</source>
        <translation>The number of values returned differs from the number expected, please check!</translation>
    </message>
    <message>
        <source>录音L</source>
        <translation>Record L</translation>
    </message>
    <message>
        <source>录音L/R通道的音乐、话筒、回声和混响音量</source>
        <translation>Music, microphone, echo and reverb volumes of the L/R recording channels</translation>
    </message>
    <message>
        <source>录音L监听音量</source>
        <translation>Record L monitor volume</translation>
    </message>
    <message>
        <source>录音L通道</source>
        <translation>Recording channel L</translation>
    </message>
    <message>
        <source>录音L通道音量</source>
        <translation>Recording channel L volume</translation>
    </message>
    <message>
        <source>录音R</source>
        <translation>Record R</translation>
    </message>
    <message>
        <source>录音R监听音量</source>
        <translation>Record R monitor volume</translation>
    </message>
    <message>
        <source>录音R通道</source>
        <translation>Recording channel R</translation>
    </message>
    <message>
        <source>录音R通道音量</source>
        <translation>Recording channel R volume</translation>
    </message>
    <message>
        <source>录音调节</source>
        <translation>Recording</translation>
    </message>
    <message>
        <source>录音调节
录音L/R通道的音乐、话筒、回声和混响音量</source>
        <translation>Recording
Music, microphone, echo and reverb volumes of the L/R recording channels</translation>
    </message>
    <message>
        <source>房间</source>
        <translation>Room</translation>
    </message>
    <message>
        <source>房间遥控：为功放提供手机页面和 HTTP 接口</source>
        <translation>the room remote: a phone page and an HTTP API for the amplifier</translation>
    </message>
    <message>
        <source>所有文件 (*)</source>
        <translation>All files (*)</translation>
    </message>
    <message>
        <source>所选的设备模式都已配有文件；请先移除配对或选择其他模式。</source>
        <translation>Every device mode chosen has a file already: remove a pair first, or choose other modes.</translation>
    </message>
    <message>
        <source>手动</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>打开文件</source>
        <translation>Open file</translation>
    </message>
    <message>
        <source>执行保存, 完成%1%</source>
        <translation>Saving, %1% done</translation>
    </message>
    <message>
        <source>扫频 %1/%2…</source>
        <translation>Sweep %1/%2...</translation>
    </message>
    <message>
        <source>扫频 20 Hz..20 kHz，经过本页当前的设置和房间，录音并计算频率响应</source>
        <translation>Sweeps 20 Hz..20 kHz through the page as it is now and the room, records it and computes the frequency response</translation>
    </message>
    <message>
        <source>扫频从这个声音输出播放，接到功放的输入</source>
        <translation>The sweep plays on this sound output, connected to the amplifier's input</translation>
    </message>
    <message>
        <source>扫频长度</source>
        <translation>Sweep length</translation>
    </message>
    <message>
        <source>扫频长度 (2..16 秒)：越长，低频噪声越小</source>
        <translation>The sweep's length (2..16 s): the longer, the less noise at low frequencies</translation>
    </message>
    <message>
        <source>批量上传到设备中</source>
        <translation>Upload the batch to the amplifier</translation>
    </message>
    <message>
        <source>批量导入导出：</source>
        <translation>Batch import and export:</translation>
    </message>
    <message>
        <source>把启动参数表写成配置文件</source>
        <translation>write the start-up parameter table as a configuration file</translation>
    </message>
    <message>
        <source>把已放置的滤波器写入本页的均衡频段 (可撤销)，联机时发送到功放</source>
        <translation>Write the placed filters into the page's EQ bands (undoable) and send them to the amplifier while online</translation>
    </message>
    <message>
        <source>把当前声音模式的设置复制到另一个模式</source>
        <translation>Copy the sound mode shown into the other one</translation>
    </message>
    <message>
        <source>把拟合写入本页的均衡频段 (一步可撤销)，联机时发送到功放</source>
        <translation>Writes the fit into the page's EQ bands (one undo step) and sends them to the amplifier while online</translation>
    </message>
    <message>
        <source>把某页的 EQ 曲线画成 PNG 文件</source>
        <translation>draw a page's EQ graph into a PNG file</translation>
    </message>
    <message>
        <source>把测量保存为测量程序能打开的文本</source>
        <translation>Saves the measurement as text a measurement program opens</translation>
    </message>
    <message>
        <source>把虚拟功放恢复到出厂状态</source>
        <translation>return the virtual amplifier to its factory state</translation>
    </message>
    <message>
        <source>把设备模式 N（1..10）读到文件</source>
        <translation>read device mode N (1..10) into a file</translation>
    </message>
    <message>
        <source>把设备的当前模式（含状态）读到文件</source>
        <translation>read the device's current mode (with status) into a file</translation>
    </message>
    <message>
        <source>把配置文件写入设备模式 N</source>
        <translation>write a configuration file into device mode N</translation>
    </message>
    <message>
        <source>拟合</source>
        <translation>Fit</translation>
    </message>
    <message>
        <source>拟合中…</source>
        <translation>Fitting...</translation>
    </message>
    <message>
        <source>拟合为每个频段选择的设置</source>
        <translation>The setting the fit chose for each band</translation>
    </message>
    <message>
        <source>拟合之后本页、声音模式或频段已改变，请重新拟合</source>
        <translation>The page, the sound mode or the bands changed after the fit: fit again</translation>
    </message>
    <message>
        <source>拟合前：%1</source>
        <translation>Before the fit: %1</translation>
    </message>
    <message>
        <source>拟合后 (预测)：%1</source>
        <translation>After the fit (predicted): %1</translation>
    </message>
    <message>
        <source>拟合完成：用 %1 个频段</source>
        <translation>Fit done: %1 bands used</translation>
    </message>
    <message>
        <source>拟合的目标曲线</source>
        <translation>The target curve of the fit</translation>
    </message>
    <message>
        <source>拟合范围的上限 (至少高一个倍频程)</source>
        <translation>The top of the fit range (an octave above the bottom at least)</translation>
    </message>
    <message>
        <source>拟合范围的下限</source>
        <translation>The bottom of the fit range</translation>
    </message>
    <message>
        <source>按住拖动窗口</source>
        <translation>Hold to drag the window</translation>
    </message>
    <message>
        <source>控制对象</source>
        <translation>Controls</translation>
    </message>
    <message>
        <source>控制对象：中置通道</source>
        <translation>Controls: centre channel</translation>
    </message>
    <message>
        <source>控制对象：主输出通道</source>
        <translation>Controls: main output</translation>
    </message>
    <message>
        <source>控制对象：超低音通道</source>
        <translation>Controls: subwoofer channel</translation>
    </message>
    <message>
        <source>控制对象：辅助通道</source>
        <translation>Controls: auxiliary channel</translation>
    </message>
    <message>
        <source>控制对象：音乐通道</source>
        <translation>Controls: music channel</translation>
    </message>
    <message>
        <source>撤销 (Ctrl+Z)</source>
        <translation>Undo (Ctrl+Z)</translation>
    </message>
    <message>
        <source>播放 1 秒粉红噪声并显示输入电平；过低或削波时提醒</source>
        <translation>Plays 1 s of pink noise and shows the input's level; warns when it is too low or clips</translation>
    </message>
    <message>
        <source>放大器上次报告的值</source>
        <translation>As the amplifier last reported</translation>
    </message>
    <message>
        <source>效果</source>
        <translation>Effects</translation>
    </message>
    <message>
        <source>效果均衡器</source>
        <translation>Effect EQ</translation>
    </message>
    <message>
        <source>效果总静音</source>
        <translation>Effect master mute</translation>
    </message>
    <message>
        <source>效果总音量</source>
        <translation>Effect master volume</translation>
    </message>
    <message>
        <source>效果旁路</source>
        <translation>Effects bypass</translation>
    </message>
    <message>
        <source>效果输出音量L</source>
        <translation>Effect output volume L</translation>
    </message>
    <message>
        <source>效果输出音量R</source>
        <translation>Effect output volume R</translation>
    </message>
    <message>
        <source>效果音量</source>
        <translation>Effect volume</translation>
    </message>
    <message>
        <source>效果音量上限</source>
        <translation>Effect volume limit</translation>
    </message>
    <message>
        <source>数据行之后出现文字</source>
        <translation>text after the first line of numbers</translation>
    </message>
    <message>
        <source>文件</source>
        <translation>File </translation>
    </message>
    <message>
        <source>文件中没有 Filter 或 Preamp 行，不是滤波器文件</source>
        <translation>The file has no Filter or Preamp line; it is no filter file</translation>
    </message>
    <message>
        <source>文件号	| 名称</source>
        <translation>File	| Name</translation>
    </message>
    <message>
        <source>文件大于 1 MiB，不是滤波器文件</source>
        <translation>The file is larger than 1 MiB; it is no filter file</translation>
    </message>
    <message>
        <source>文件大于 16 MiB，不是测量文件</source>
        <translation>larger than 16 MiB, not a measurement</translation>
    </message>
    <message>
        <source>文件：%1</source>
        <translation>File: %1</translation>
    </message>
    <message>
        <source>斜率 %1 缺少单位 dB</source>
        <translation>The slope %1 lacks its unit dB</translation>
    </message>
    <message>
        <source>新密码</source>
        <translation>New password</translation>
    </message>
    <message>
        <source>新密码和确认密码不一致！</source>
        <translation>The new password and its confirmation differ!</translation>
    </message>
    <message>
        <source>新设置</source>
        <translation>After</translation>
    </message>
    <message>
        <source>新配对链接</source>
        <translation>New pairing link</translation>
    </message>
    <message>
        <source>旁路</source>
        <translation>Bypass</translation>
    </message>
    <message>
        <source>旁路
本页（或效果部分）的均衡器直通</source>
        <translation>Bypass
The page's EQ (or the effects part's) passed through</translation>
    </message>
    <message>
        <source>无法使用该配置文件：</source>
        <translation>This configuration file cannot be used:</translation>
    </message>
    <message>
        <source>无法保存未联机时的修改：</source>
        <translation>The edits made offline could not be saved:</translation>
    </message>
    <message>
        <source>无法写入文件：</source>
        <translation>The file cannot be written:</translation>
    </message>
    <message>
        <source>无法写入通信日志文件 %1：%2</source>
        <translation>The link log %1 cannot be written: %2</translation>
    </message>
    <message>
        <source>无法切换到功放 %1：%2</source>
        <translation>Cannot switch to amplifier %1: %2</translation>
    </message>
    <message>
        <source>无法创建模式文件夹：</source>
        <translation>The mode folder cannot be created:</translation>
    </message>
    <message>
        <source>无法启动：%1</source>
        <translation>Cannot start: %1</translation>
    </message>
    <message>
        <source>无法拟合：</source>
        <translation>Cannot fit:</translation>
    </message>
    <message>
        <source>无法拟合：%1</source>
        <translation>Cannot fit: %1</translation>
    </message>
    <message>
        <source>无法检查：%1</source>
        <translation>Cannot check: %1</translation>
    </message>
    <message>
        <source>无法比较：%1</source>
        <translation>Cannot compare: %1</translation>
    </message>
    <message>
        <source>无法测量：%1</source>
        <translation>Cannot measure: %1</translation>
    </message>
    <message>
        <source>无法读取文件</source>
        <translation>The file cannot be read</translation>
    </message>
    <message>
        <source>早期反射延时</source>
        <translation>Early reflection delay</translation>
    </message>
    <message>
        <source>早期反射音量</source>
        <translation>Early reflection volume</translation>
    </message>
    <message>
        <source>早期反射高频阻尼</source>
        <translation>Early reflection HF damping</translation>
    </message>
    <message>
        <source>显示功放的标识、当前模式和模式名称</source>
        <translation>show the amplifier's identifier, current mode and mode names</translation>
    </message>
    <message>
        <source>显示总响应的相位（右侧刻度，度）；鼠标停在图上时显示所选频段自身的相位</source>
        <translation>Show the phase of the sum (right-hand axis, degrees); hovering the graph shows the selected band's own phase</translation>
    </message>
    <message>
        <source>更新设备模式：</source>
        <translation>Update device modes:</translation>
    </message>
    <message>
        <source>最大提升</source>
        <translation>Maximum boost</translation>
    </message>
    <message>
        <source>最大相差 dB</source>
        <translation>Largest difference dB</translation>
    </message>
    <message>
        <source>最小化</source>
        <translation>Minimise</translation>
    </message>
    <message>
        <source>未放置：%1 %2 超出范围 %3..%4</source>
        <translation>Not placed: %1 %2 outside %3..%4</translation>
    </message>
    <message>
        <source>未放置：均衡频段没有 %1 类型 (只有峰值、低架、高架)</source>
        <translation>Not placed: the EQ bands have no %1 type (only peaking, low shelf, high shelf)</translation>
    </message>
    <message>
        <source>未放置：均衡频段没有前级增益</source>
        <translation>Not placed: the EQ bands have no preamp</translation>
    </message>
    <message>
        <source>未放置：没有空余的频段 (本页有 %1 个均衡频段，增益最大的滤波器优先)</source>
        <translation>Not placed: no band left (the page has %1 EQ bands; the filters of largest gain go first)</translation>
    </message>
    <message>
        <source>未用的频段 %1..%2 设为平直 (0 dB)</source>
        <translation>Unused bands %1..%2 set flat (0 dB)</translation>
    </message>
    <message>
        <source>未联机时，不可执行此操作！</source>
        <translation>Not possible while offline!</translation>
    </message>
    <message>
        <source>未联机时，不可进行菜单属性设置等管理操作！</source>
        <translation>Menu settings and other administration are not possible while offline!</translation>
    </message>
    <message>
        <source>未连接功放（USB %1）</source>
        <translation>No amplifier connected (USB %1)</translation>
    </message>
    <message>
        <source>本地电脑中的文件：</source>
        <translation>Files on this computer:</translation>
    </message>
    <message>
        <source>本地电脑：</source>
        <translation>This computer:</translation>
    </message>
    <message>
        <source>本程序</source>
        <translation>This console</translation>
    </message>
    <message>
        <source>本页均衡器恢复出厂设置</source>
        <translation>The page's EQ back to the factory settings</translation>
    </message>
    <message>
        <source>本页没有均衡频段</source>
        <translation>The page has no EQ bands</translation>
    </message>
    <message>
        <source>本页现有的频段已同样好：无需改动</source>
        <translation>The page's bands as they are do as well: nothing to change</translation>
    </message>
    <message>
        <source>本页（或效果部分）的均衡器直通</source>
        <translation>The page's EQ (or the effects part's) passed through</translation>
    </message>
    <message>
        <source>权限与密码管理</source>
        <translation>Rights and passwords</translation>
    </message>
    <message>
        <source>权限密码：</source>
        <translation>Rights password:</translation>
    </message>
    <message>
        <source>权限管理：</source>
        <translation>Rights:</translation>
    </message>
    <message>
        <source>来宾</source>
        <translation>Guest</translation>
    </message>
    <message>
        <source>来宾用户没有保存权限!</source>
        <translation>Guests may not save!</translation>
    </message>
    <message>
        <source>架型斜率</source>
        <translation>Shelf slope</translation>
    </message>
    <message>
        <source>模式</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>模式 </source>
        <translation>Mode </translation>
    </message>
    <message>
        <source>模式%1</source>
        <translation>Mode %1</translation>
    </message>
    <message>
        <source>模式号	| 原配置        | 新配置</source>
        <translation>Mode	| Current        | New</translation>
    </message>
    <message>
        <source>模式号选择：</source>
        <translation>Mode number:</translation>
    </message>
    <message>
        <source>模式名称由功放保存，通信协议不能修改名称；这里只显示</source>
        <translation>The amplifier keeps the mode names; its protocol cannot change a name, so it is only shown here</translation>
    </message>
    <message>
        <source>模式名称：</source>
        <translation>Mode name:</translation>
    </message>
    <message>
        <source>模式启用</source>
        <translation>Mode enabled</translation>
    </message>
    <message>
        <source>模式复制</source>
        <translation>Copy mode</translation>
    </message>
    <message>
        <source>模式复制
把当前声音模式的设置复制到另一个模式</source>
        <translation>Copy mode
Copy the sound mode shown into the other one</translation>
    </message>
    <message>
        <source>模式文件夹：列出文件、取回设备模式、写入文件</source>
        <translation>the mode folder: list, pull device modes, push a file</translation>
    </message>
    <message>
        <source>正在停止通信进程，请点击下面的确认，软件会自动关闭。</source>
        <translation>Stopping the communication; click OK below and the window closes by itself.</translation>
    </message>
    <message>
        <source>正在同步数据, 请稍候...</source>
        <translation>Synchronising data, please wait...</translation>
    </message>
    <message>
        <source>正在查找功放…</source>
        <translation>Searching for the amplifier...</translation>
    </message>
    <message>
        <source>正在运行：%1</source>
        <translation>Running at %1</translation>
    </message>
    <message>
        <source>正常</source>
        <translation>ok</translation>
    </message>
    <message>
        <source>正被 %1 使用，它退出后自动连接</source>
        <translation>In use by %1; connects when it ends</translation>
    </message>
    <message>
        <source>每个滤波器的要求、放置到的频段和实际设置，以及要求与实现的响应最大相差 (dB)</source>
        <translation>Per filter: what was asked, the band it went to, what was set, and the largest difference in dB between the asked and the realised response</translation>
    </message>
    <message>
        <source>比率</source>
        <translation>Ratio</translation>
    </message>
    <message>
        <source>比较</source>
        <translation>Compare</translation>
    </message>
    <message>
        <source>没有待上传的配对：请先选择文件，再用 &lt;&lt; 把它们配给设备模式。</source>
        <translation>Nothing to upload: select files first and pair them with device modes with &lt;&lt;.</translation>
    </message>
    <message>
        <source>测量</source>
        <translation>Measure</translation>
    </message>
    <message>
        <source>测量…</source>
        <translation>Measure...</translation>
    </message>
    <message>
        <source>测量中…</source>
        <translation>Measuring...</translation>
    </message>
    <message>
        <source>测量完成：延迟 %1 ms</source>
        <translation>Measured: delay %1 ms</translation>
    </message>
    <message>
        <source>测量房间，把本页均衡拟合到目标 (测量窗口)</source>
        <translation>Measure the room and fit the page's EQ to a target (the Measure window)</translation>
    </message>
    <message>
        <source>测量房间：经过功放的扫频，由话筒录制</source>
        <translation>measure the room: a sweep through the amplifier, recorded by a microphone</translation>
    </message>
    <message>
        <source>测量文件 (*.txt *.csv *.tsv *.frd)</source>
        <translation>Measurements (*.txt *.csv *.tsv *.frd)</translation>
    </message>
    <message>
        <source>测量文件 (*.txt)</source>
        <translation>Measurements (*.txt)</translation>
    </message>
    <message>
        <source>测量文件无法读取：</source>
        <translation>The measurement cannot be read:</translation>
    </message>
    <message>
        <source>测量程序的 EQ 滤波器组（REW、Equalizer APO）：导出、导入；按房间拟合</source>
        <translation>EQ filter sets of measurement programs (REW, Equalizer APO): export, import; fit to a room</translation>
    </message>
    <message>
        <source>测量结果</source>
        <translation>Measured</translation>
    </message>
    <message>
        <source>测量话筒接在这个声音输入上</source>
        <translation>The measurement microphone is connected to this sound input</translation>
    </message>
    <message>
        <source>测量预览</source>
        <translation>Measurement preview</translation>
    </message>
    <message>
        <source>测量预览
蓝：测量；白色虚线：目标；橙：拟合后预测；青：再测 (拟合范围外为灰底)</source>
        <translation>Measurement preview
Blue: measured; white dashes: target; orange: predicted after the fit; teal: measured again (grey outside the fit range)</translation>
    </message>
    <message>
        <source>浏览配置文件</source>
        <translation>Browse configuration files</translation>
    </message>
    <message>
        <source>混响</source>
        <translation>Reverb</translation>
    </message>
    <message>
        <source>混响L</source>
        <translation>Reverb L</translation>
    </message>
    <message>
        <source>混响R</source>
        <translation>Reverb R</translation>
    </message>
    <message>
        <source>混响低切</source>
        <translation>Reverb low cut</translation>
    </message>
    <message>
        <source>混响均衡器</source>
        <translation>Reverb EQ</translation>
    </message>
    <message>
        <source>混响密度</source>
        <translation>Reverb density</translation>
    </message>
    <message>
        <source>混响效果音量</source>
        <translation>Reverb effect volume</translation>
    </message>
    <message>
        <source>混响旁路</source>
        <translation>Reverb bypass</translation>
    </message>
    <message>
        <source>混响时间</source>
        <translation>Reverb time</translation>
    </message>
    <message>
        <source>混响模式</source>
        <translation>Reverb mode</translation>
    </message>
    <message>
        <source>混响的细节参数（仅在混响模式为“用户定义”时可用）</source>
        <translation>The reverb's finer settings (only with the reverb mode "User")</translation>
    </message>
    <message>
        <source>混响直达</source>
        <translation>Reverb direct</translation>
    </message>
    <message>
        <source>混响直达音量</source>
        <translation>Reverb direct volume</translation>
    </message>
    <message>
        <source>混响空间</source>
        <translation>Reverb space</translation>
    </message>
    <message>
        <source>混响细节</source>
        <translation>Reverb details</translation>
    </message>
    <message>
        <source>混响音量</source>
        <translation>Reverb volume</translation>
    </message>
    <message>
        <source>混响音量L</source>
        <translation>Reverb volume L</translation>
    </message>
    <message>
        <source>混响音量R</source>
        <translation>Reverb volume R</translation>
    </message>
    <message>
        <source>混响预延时</source>
        <translation>Reverb pre-delay</translation>
    </message>
    <message>
        <source>混响高切</source>
        <translation>Reverb high cut</translation>
    </message>
    <message>
        <source>混响高频阻尼</source>
        <translation>Reverb HF damping</translation>
    </message>
    <message>
        <source>清空</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>滤波器</source>
        <translation>Filter</translation>
    </message>
    <message>
        <source>滤波器文件 (*.txt *.TXT)</source>
        <translation>Filter files (*.txt *.TXT)</translation>
    </message>
    <message>
        <source>滤波器文件无法导入：</source>
        <translation>The filter file cannot be imported:</translation>
    </message>
    <message>
        <source>滤波器没有类型</source>
        <translation>The filter has no type</translation>
    </message>
    <message>
        <source>滤波器编号后缺少冒号</source>
        <translation>A colon is missing after the filter number</translation>
    </message>
    <message>
        <source>点击切换</source>
        <translation>Click to toggle</translation>
    </message>
    <message>
        <source>点击切换开/关</source>
        <translation>Click to switch on/off</translation>
    </message>
    <message>
        <source>点击断开或恢复与功放的连接</source>
        <translation>Click to close or restore the link to the amplifier</translation>
    </message>
    <message>
        <source>点击相关菜单项前的复选框来设置显示（打勾）与隐藏（不打勾）。</source>
        <translation>Tick a menu item to show it, untick it to hide it.</translation>
    </message>
    <message>
        <source>用功放自己的频率、Q 值和增益档位选择本页均衡频段</source>
        <translation>Chooses the page's EQ bands from the amplifier's own frequency, Q and gain steps</translation>
    </message>
    <message>
        <source>用户定义</source>
        <translation>User</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] [--faults LIST] [--trace] run FILE|-
运行 FILE（- 读取标准输入）中的命令，每行一条，写法与命令行相同，但不写 'mirelune-cli'，
也不写全局选项（全局选项属于 run 本身）。'#' 开始注释；"..." 和 '...' 为引号。连接只
建立一次，由第一条需要功放的命令建立，之后一直保持；修改了虚拟功放的脚本在结束时保存一次
状态。未知命令、行中的全局选项、命令不接受的选项和有问题的 set 赋值在运行前就被拒绝
（退出 2，并给出行号）。脚本在第一条失败的命令处停止：在 stderr 上给出其行号并退出 1
（该行参数错误时退出 2）。
</source>
        <translation>usage: mirelune-cli [--device DEVICE] [--faults LIST] [--trace] run FILE|-
Runs the commands of FILE (- reads standard input), one per line as on the command line
without 'mirelune-cli' and without the global options, which are run's own. '#' starts a
comment; "..." and '...' quote. The link is brought up once, by the first command that
needs the amplifier, and kept for the rest; a script that changes the virtual amplifier
saves its state once, at the end. Unknown commands, global options in a line, options a
command does not take and bad set assignments are refused before anything runs (exit 2,
with the line number). The script stops at the first command that fails: its line number
on stderr and exit 1 (2 when its arguments were wrong).
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] [--trace] [--password PW] [--faults LIST]
                   [--wait SECONDS] COMMAND [ARGS...]
      mirelune-cli --version

全局选项:
  --device DEVICE       功放：hid（连接的那一台，默认）、hid:SERIAL、hid:N（devices
                        列表中的一行）、hid:PATH、virtual、virtual:NAME；write-mode、
                        read-mode、modes push 和 sync 还接受 all 和列表
                        （virtual:a,virtual:b）
  --trace               以十六进制显示发送（"&gt; "）和接收（"&lt; "）的每一帧
  --password PW         管理员密码，不在终端中询问
  --faults [NAME:]LIST  虚拟功放的故障注入，各项以逗号分隔：drop=N、corrupt=N
                        （丢弃或损坏应答）、split=N（N 字节的报告）、stray、
                        delay=MS、nosync、unplug=AT[:FOR]（毫秒）、usbtiming、
                        open=denied|busy、admin；带前缀时只作用于
                        virtual:NAME；可重复
  --lang zh|en          消息的语言（默认跟随区域设置：中文区域为中文，其他
                        区域为英文）
  --wait SECONDS        等待别的程序占用的功放、其占用者的应答或虚拟功放的记忆
                        最多多少秒（1..86400，默认 30）；之后命令失败（退出 1）
  --version             显示版本后退出

命令:
</source>
        <translation>usage: mirelune-cli [--device DEVICE] [--trace] [--password PW] [--faults LIST]
                    [--wait SECONDS] COMMAND [ARGS...]
       mirelune-cli --version

Global options:
  --device DEVICE       the amplifier: hid (the one attached, default), hid:SERIAL,
                        hid:N (a row of 'devices'), hid:PATH, virtual, virtual:NAME;
                        write-mode, read-mode, modes push and sync also take all
                        and lists (virtual:a,virtual:b)
  --trace               print every frame sent ("&gt; ") and received ("&lt; ") in hex
  --password PW         the administrator password, instead of asking on the terminal
  --faults [NAME:]LIST  fault injection of the virtual amplifier, items separated by
                        commas: drop=N, corrupt=N (replies dropped or damaged),
                        split=N (reports of N bytes), stray, delay=MS, nosync,
                        unplug=AT[:FOR] (ms), usbtiming, open=denied|busy, admin;
                        of virtual:NAME only with the prefix; repeatable
  --lang zh|en          the language of messages (default: the locale's - Chinese
                        for Chinese locales, English for all others)
  --wait SECONDS        how long to wait for an amplifier another program holds, for
                        its owner's answer or for a virtual amplifier's memory
                        (1..86400, default 30); then the command fails (exit 1)
  --version             print the version and exit

Commands:
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] get PARAM... [--sound-mode 0|1] [--json]
从功放的当前模式读取参数所在的菜单种类，每个参数输出一行，格式与 set 接受的相同：
ADDRESS=VALUE，均衡频段为 ADDRESS:gain=..,freq=..,q=..,sq=..,shape=..,off=..。PARAM 与
set 相同。不带 --sound-mode 时读取功放自身的声音模式。--json 输出 {"mode", "sound_mode",
"params": [{"address", "name", "value" 或频段字段}]}。
</source>
        <translation>usage: mirelune-cli [--device DEVICE] get PARAM... [--sound-mode 0|1] [--json]
Reads the menu kinds of the parameters from the amplifier's current mode and prints one
line per parameter as set takes it: ADDRESS=VALUE, or for an EQ band
ADDRESS:gain=..,freq=..,q=..,sq=..,shape=..,off=.. PARAM as for set. Without --sound-mode
the amplifier's own sound mode is read. --json prints {"mode", "sound_mode",
"params": [{"address", "name", "value" or the band fields}]}.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] info [--json]
建立连接（最多 3 秒），读取状态和模式名称，输出设备标识、当前模式（1-10）和十个模式
名称；--json 输出 {"device", "current_mode", "modes"}。
</source>
        <translation>usage: mirelune-cli [--device DEVICE] info [--json]
Brings the link up (at most 3 s), reads the status and the mode names and
prints the device identifier, the current mode (1-10) and the ten names;
--json prints {"device", "current_mode", "modes"}.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] measure -o ROOM.txt [--output NAME] [--input NAME]
                   [--length S] [--repeat N] [--window LEFT:RIGHT] [--calibration FILE]
                   [--no-level-check] [--page P] [--sub-page E] [--json]
      mirelune-cli [--device DEVICE] measure --list
测量房间：先用粉红噪声检查输入的电平（过低或削波时给出警告），然后播放指数正弦扫频
（20 Hz..20 kHz，48 kHz），从声音输出 NAME 播放（接入功放的输入），由声音输入 NAME
（测量话筒）录制；不给出时使用系统的默认设备。--list 列出这些设备。扫频持续 S 秒（2..16，
默认 8）；用 --repeat N（1..16）时对 N 次扫频取平均。录音经反卷积得到房间的脉冲响应，找出
延迟，在其前 LEFT 毫秒、其后 RIGHT 毫秒取窗（默认 125:500，各为 1..2000），得到带相位的
响应，以测量程序能打开的文本写入 ROOM.txt（"*" 注释之下的 "freq SPL phase" 行，1/48 倍频程
平滑，20 Hz..20 kHz，每倍频程 48 个点）。--calibration 对其应用话筒校准文件（"freq dB" 行，
可有一行 "Sens Factor =..dB"）。
用 --device virtual[:NAME] 时，扫频经过虚拟功放第 P 页（0..7，默认 0；E 为效果页的部分）
当前的样子，即其 EQ 频段和滤波器，进入一个模拟的房间（34 到 230 Hz 的房间模式，178 Hz 处的
深谷，噪声，37 ms 延迟，20 ppm 的时钟漂移）；其他情况下不触碰功放。
--json 输出 {"file", "delayMs", "points", "levelCheck", "sweepPeakDb"}。
退出状态：0 已测量并保存，1 设备或文件失败（不写入任何内容），2 用法错误。
</source>
        <translation>usage: mirelune-cli [--device DEVICE] measure -o ROOM.txt [--output NAME] [--input NAME]
                    [--length S] [--repeat N] [--window LEFT:RIGHT] [--calibration FILE]
                    [--no-level-check] [--page P] [--sub-page E] [--json]
       mirelune-cli [--device DEVICE] measure --list
Measures the room: pink noise for the input's level first (a warning when it is too low or
clips), then an exponential sine sweep, 20 Hz..20 kHz at 48 kHz, played on the sound output
NAME (into the amplifier's input) and recorded from the input NAME (the measurement
microphone); without them the system's default devices. --list names them. The sweep lasts
S seconds (2..16, default 8); with --repeat N (1..16) N sweeps are averaged. The recording
is deconvolved to the room's impulse response, the delay is found and a window of LEFT ms
before and RIGHT ms after it (default 125:500, each 1..2000) gives the response with its
phase, written to ROOM.txt as text a measurement program opens ("freq SPL phase" lines
under "*" comments, 1/48 octave smoothing, 20 Hz..20 kHz at 48 points an octave).
--calibration applies a microphone calibration file ("freq dB" lines, an optional
"Sens Factor =..dB" line) to it.
With --device virtual[:NAME] the sweep goes through the virtual amplifier's page P (0..7,
default 0; E the effects page's part) as it is now, its EQ bands and filters, into a
simulated room (modes from 34 to 230 Hz, a deep null at 178 Hz, noise, 37 ms latency, a
clock drift of 20 ppm); otherwise the amplifier is not touched.
--json prints {"file", "delayMs", "points", "levelCheck", "sweepPeakDb"}.
Exit status: 0 measured and saved, 1 the devices or the file failed (nothing is written),
2 a usage error.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] serve [--listen HOST:PORT] [--tls-cert FILE --tls-key FILE]
                   [--staff LIST] [--mqtt URL --site SITE --room ROOM [MQTT 选项]]
占用功放并提供房间遥控，直到 Ctrl+C 或 SIGTERM：手机页面位于 http://HOST:PORT/，HTTP 接口
位于 /api/v1 之下（见 README）。输出 URL、给房间员工的 PIN（每次启动都不同）以及带二维码
的配对链接，手机用它登录一次即可。在此期间其他 mirelune-cli 命令通过本进程执行。
--listen   提供服务的地址和端口（默认 127.0.0.1:8808：仅本机；0.0.0.0:8808：房间的网络；
           端口 0：任一空闲端口）。
--tls-cert, --tls-key  PEM 文件：使用 HTTPS 和 WSS，而不是普通 HTTP。
--staff    员工可以使用的项目，代替控制台中选择的列表：地址和 'modes'，用逗号分隔
           （默认 2560,2561,2562,276,532,806,808,modes）。
安装人员用功放的权限密码登录，可以修改全部参数。
每次应用的修改都记录在 stderr 上：时间、客户端、角色、地址、旧值 -&gt; 新值。
在场所的消息代理上（用户指南的“多个房间”；与其他设置一起保存，下次沿用）：
%1</source>
        <translation>usage: mirelune-cli [--device DEVICE] serve [--listen HOST:PORT] [--tls-cert FILE --tls-key FILE]
                    [--staff LIST] [--mqtt URL --site SITE --room ROOM [MQTT OPTIONS]]
Owns the amplifier and serves the room remote until Ctrl+C or SIGTERM: the phone page at
http://HOST:PORT/ and the HTTP API under /api/v1 (see the README). Prints the URL, the
PIN for the room's staff (new at every start) and a pairing link with its QR code that
signs a phone in once. Other mirelune-cli commands go through this process meanwhile.
--listen   the address and port to serve on (default 127.0.0.1:8808: this computer only;
           0.0.0.0:8808 for the room's network, port 0 for any free port).
--tls-cert, --tls-key  PEM files: serve HTTPS and WSS instead of plain HTTP.
--staff    what the staff may use, instead of the list chosen in the console: addresses
           and 'modes', comma-separated (default 2560,2561,2562,276,532,806,808,modes).
The installer signs in with the amplifier's rights password and may change everything.
Every applied change is logged on stderr: time, client, role, address, old -&gt; new.
On a venue's broker (the guide's "Many rooms"; kept with the settings for the next time):
%1</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device DEVICE] set PARAM=VALUE... [--sound-mode 0|1]
      mirelune-cli [--device DEVICE] set PARAM VALUE [--sound-mode 0|1]
PARAM 是地址，十进制或 0x 十六进制（菜单种类 * 256 + 菜单地址），或功放菜单中的名称：
KIND:NAME（4:音乐音量），只有一个项目使用该名称时也可只写 NAME；中文或英文均可（英文名称
可以不加引号：Music master volume=25）。
VALUE 是参数范围内的整数（即控制台中该地址控件的范围；没有控件时为 0..62499），或像
控制台显示的那样带单位的值（"80 Hz"、"-3,5 dB"、"250 ms"、"1.2k"、"OFF"），取控件
最接近的一档；均衡频段为以下字段的任意组合
%1写成 PARAM=FIELDS 或 PARAM:FIELDS（0:gain=300,q=20）。例如：
  set 1028=70 1029=70 0:gain=300
未给出的字段保持功放的值。不带 --sound-mode 时修改功放自身的声音模式。发送第一帧之前
检查每一个赋值：PARAM 或 VALUE 有误时退出 2（什么也不发送）；功放未确认某项修改（之前的
修改已生效）或修改无法保存时退出 1。
</source>
        <translation>usage: mirelune-cli [--device DEVICE] set PARAM=VALUE... [--sound-mode 0|1]
       mirelune-cli [--device DEVICE] set PARAM VALUE [--sound-mode 0|1]
PARAM is an address, decimal or 0x-hexadecimal (menu kind * 256 + menu address), or a
name of the amplifier's menu: KIND:NAME (4:音乐音量) or NAME when only one item has it,
in Chinese or English (an English name needs no quotes: Music master volume=25).
VALUE is an integer within the parameter's range (that of the console's control for the
address; 0..62499 where there is none), or a value with its unit as the console shows
it ("80 Hz", "-3,5 dB", "250 ms", "1.2k", "OFF"), taken to the control's nearest step;
for an EQ band a list of any of
%1written PARAM=FIELDS or PARAM:FIELDS (0:gain=300,q=20). Example:
  set 1028=70 1029=70 0:gain=300
Fields not given keep the amplifier's values. Without --sound-mode the amplifier's own
sound mode is edited. Every assignment is checked before the first frame: exit 2 for a
bad PARAM or VALUE (nothing is sent), 1 when the amplifier does not acknowledge a change
(those before it were made) or the changes cannot be kept.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli [--device virtual|virtual:NAME] virtual-reset
虚拟功放在两次运行之间把它的模式记在
&lt;用户数据文件夹&gt;/Mirelune/virtual-amplifier.state 中（命名的虚拟功放记在
&lt;用户数据文件夹&gt;/Mirelune/virtual/NAME.state 中）；本命令删除它。
有程序正在使用该功放时拒绝执行。
</source>
        <translation>usage: mirelune-cli [--device virtual|virtual:NAME] virtual-reset
The virtual amplifier remembers its modes between runs in
&lt;user data folder&gt;/Mirelune/virtual-amplifier.state (a named one in
&lt;user data folder&gt;/Mirelune/virtual/NAME.state); this removes it.
Refused while a program is using that amplifier.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli completion bash|zsh|fish
输出该 shell 的 Tab 补全脚本，由命令表生成：命令、选项、功放（与 devices 所列相同，但不
打开任何功放）、get 和 set 的参数名称（中文和英文）与地址、'=' 之后的单位、列表项
或频段字段、带名称的模式号，以及 .sp 文件和滤波器文件。软件包已把它安装到各 shell 查找的
位置；未安装软件包时：
  source &lt;(mirelune-cli completion bash)                        # 写入 ~/.bashrc
  mirelune-cli completion zsh &gt; ~/.zfunc/_mirelune-cli          # ~/.zfunc 在 fpath 中
  mirelune-cli completion fish &gt; ~/.config/fish/completions/mirelune-cli.fish
</source>
        <translation>usage: mirelune-cli completion bash|zsh|fish
Prints the shell's Tab completion script, made from the command table: commands, options,
amplifiers (as devices lists them, none of them opened), parameter names of get and
set in Chinese and English and their addresses, units, list entries or band fields after
'=', mode numbers with their names, and .sp and filter files. The package installs it where
each shell looks; without the package:
  source &lt;(mirelune-cli completion bash)                        # in ~/.bashrc
  mirelune-cli completion zsh &gt; ~/.zfunc/_mirelune-cli          # ~/.zfunc in fpath
  mirelune-cli completion fish &gt; ~/.config/fish/completions/mirelune-cli.fish
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli defaults -o FILE
把控制台的启动参数表写成 .sp 文件。
</source>
        <translation>usage: mirelune-cli defaults -o FILE
Writes the console's start-up parameter table as a .sp file.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli devices [--json] [--quick]
每台功放一行：N（用于 --device hid:N）、--device 接受的名称（hid:SERIAL；序列号缺失或
重复时为 hid:USB 位置；virtual、virtual:NAME）、序列号、USB 位置、设备路径，以及短暂
打开它（或询问占用它的程序）后得到的应答名称、当前模式（1-10）和占用者。--quick 不打开
功放。命名的虚拟功放从第一次使用（--device virtual:NAME）起列出。--json 以相同字段输出
{"devices": [...]}。
</source>
        <translation>usage: mirelune-cli devices [--json] [--quick]
One row per amplifier: N (for --device hid:N), the name --device takes (hid:SERIAL, or
hid:USB-LOCATION when the serial is missing or shared; virtual, virtual:NAME), serial
number, USB location, device path, and - once opened, briefly, or asked of the program
that owns it - the name it answers with and its current mode (1-10), and its owner.
--quick skips opening them. A named virtual amplifier is listed from its first use
(--device virtual:NAME). --json prints {"devices": [...]} with the same fields.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli diff A B
每条不同的记录一行；相同退出 0，不同退出 1，出错退出 2。
</source>
        <translation>usage: mirelune-cli diff A B
One line per differing record; exit 0 equal, 1 different, 2 error.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli dump FILE [--all]
按文件顺序以 JSON 数组输出记录；不带 --all 时只输出标记为有效的记录。
</source>
        <translation>usage: mirelune-cli dump FILE [--all]
Prints the records as a JSON array in file order; without --all only
the records marked valid.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli eq export FILE.sp --page P [--sound-mode S] [--sub-page E]
                             [--format rew|apo]
      mirelune-cli eq import FILTERS.txt --page P [--sound-mode S] [--sub-page E]
                             (--into FILE.sp -o OUT.sp | --device DEVICE) [--json]
export 把配置文件第 P 页（0..7）的 EQ 频段输出为 REW（默认）或 Equalizer APO 的滤波器
文本。import 读入这样的文本（两种格式均可），按频率顺序把其中的滤波器放到该页的 EQ 频段
上，每个值取功放所具有的最接近值；剩下的频段设为平直。用 --into 时结果写入 OUT.sp；用
--device 时写入功放的当前模式（不带 --sound-mode 时为功放所处的声音模式）。
S：0 唱歌（默认），1 跳舞；E：效果页的部分 0..2。
报告逐个列出滤波器要求的值、设置的值，以及 20 Hz..20 kHz 内要求的响应与实现的响应之间
的最大差值（dB）（--json 供脚本使用）。无法放置的滤波器（频段没有的类型，如 HP、LP 或
NO；超出范围的值；滤波器多于频段；Preamp）会被报告，其余的仍然应用，退出状态为 1。有问题
的滤波器文件在写入或发送任何内容之前就被拒绝（退出 1）；命令行错误退出 2。
%1</source>
        <translation>usage: mirelune-cli eq export FILE.sp --page P [--sound-mode S] [--sub-page E]
                              [--format rew|apo]
       mirelune-cli eq import FILTERS.txt --page P [--sound-mode S] [--sub-page E]
                              (--into FILE.sp -o OUT.sp | --device DEVICE) [--json]
export prints the EQ bands of page P (0..7) of a configuration file as filter text of REW
(default) or Equalizer APO. import reads such a text (either format) and places its filters
on the page's EQ bands in frequency order, each rounded to the nearest value the amplifier
has; the bands left over become flat. With --into the result is written to OUT.sp; with
--device to the amplifier's current mode (the sound mode it is in unless --sound-mode).
S: 0 singing (default), 1 dance; E: the effects page's part 0..2.
The report lists per filter what was asked, what was set and the largest difference in dB
between the asked and the realised response over 20 Hz..20 kHz (--json for scripts).
Filters that cannot be placed (a type the bands do not have such as HP, LP or NO, a value
out of range, more filters than bands, a Preamp) are reported; the others are still
applied and the exit status is 1. A bad filter file is refused before anything is written
or sent (exit 1); a bad command line exits 2.
%1</translation>
    </message>
    <message>
        <source>用法: mirelune-cli fleet --broker URL [消息代理选项] [--timeout S] COMMAND ...
  list [--rooms PATTERN] [--json]      每个房间：是否在线、与功放的连接、模式、总音量、
                                        功放、最后一次出现的时间
  set PATTERN PARAM=VALUE... [--installer]  在每个房间做同样的修改
  mode PATTERN N [--installer]         在每个房间调用存储的模式 N（1..10）
  push FILE.sp --mode N [--rooms PATTERN]  把文件写入每个房间存储的模式 N
  diff FILE.sp --mode N [--rooms PATTERN]  哪些房间的模式 N 与文件不同，以及如何不同
只与场所的 MQTT 消息代理通信，从不直接连接房间的盒子。PATTERN 为 SITE/ROOM，可用 '*' 和
'?'（"venue/*"、"venue/k?"）；只写 SITE 表示其所有房间；默认：每个房间。
set 接受 `set` 接受的内容，mode 调用存储的模式，都使用员工的主题，除非给出 --installer（此时
使用安装人员在消息代理上的凭据：可修改全部参数）；push 和 diff 属于安装人员。每个房间在应用
命令的任何部分之前先完整检查它。每个房间一行：ok，或 FAILED 及原因（离线的房间会注明最后
一次出现的时间）；每个房间都完成时退出 0（diff：每个房间的模式都与文件相同），否则退出 1，
用法错误退出 2。
--broker URL   mqtt://HOST[:PORT] 或 mqtts://HOST[:PORT]
--timeout S    等待房间应答的时间（list 5 秒，set 和 mode 10 秒，push 和 diff 60 秒）
消息代理选项：
%1</source>
        <translation>usage: mirelune-cli fleet --broker URL [BROKER OPTIONS] [--timeout S] COMMAND ...
  list [--rooms PATTERN] [--json]      every room: online, amplifier link, mode, master
                                        volumes, amplifier, last seen
  set PATTERN PARAM=VALUE... [--installer]  the same change in every room
  mode PATTERN N [--installer]         recall stored mode N (1..10) in every room
  push FILE.sp --mode N [--rooms PATTERN]  write the file into stored mode N of every room
  diff FILE.sp --mode N [--rooms PATTERN]  which rooms' mode N differs from the file, and how
Talks only to the venue's MQTT broker, never to a room's box. PATTERN is SITE/ROOM with '*'
and '?' ("venue/*", "venue/k?"); a SITE alone means all its rooms; default: every room.
set takes what `set` takes and mode recalls stored modes, on the staff's topics unless
--installer (then with the installer's broker credentials: every parameter); push and diff
are the installer's. Each room checks a command whole before applying any of it. One line per
room: ok, or FAILED and the reason (offline rooms are named with when they were last seen);
exit 0 when every room did it (diff: every room's mode equals the file), 1 otherwise, 2 for
usage errors.
--broker URL   mqtt://HOST[:PORT] or mqtts://HOST[:PORT]
--timeout S    how long to wait for the rooms' answers (list 5, set and mode 10, push and
               diff 60 seconds)
Broker options:
%1</translation>
    </message>
    <message>
        <source>用法: mirelune-cli modes list
      mirelune-cli modes pull N... [--yes]
      mirelune-cli modes push NAME N
list：模式文件夹中的文件；pull：把设备模式 N... 按模式名称存入该文件夹（--yes 覆盖已有
文件；否则在终端中询问，不在终端时回答“否”）；push：把文件夹中的文件 NAME 写入设备
模式 N。
</source>
        <translation>usage: mirelune-cli modes list
       mirelune-cli modes pull N... [--yes]
       mirelune-cli modes push NAME N
list: the files of the mode folder; pull: save device modes N... there
under their mode names (--yes overwrites existing files; otherwise the
question is asked on a terminal and answered no elsewhere); push: write
the folder file NAME into device mode N.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli plot FILE --page P -o OUT.png [--width W] [--height H]
                        [--sound-mode S] [--sub-page E] [--compare OTHER.sp]... [--phase]
按控制台打开该页后立即显示的样子（选中频段 0）画出第 P 页的曲线，W x H 像素（默认
1000 x 300）。--compare 在其下方以各自的颜色和图例画出另一个配置文件的同一页（最多
4 个文件）；--phase 在右侧以度为单位的坐标轴上加上总响应的相位。
</source>
        <translation>usage: mirelune-cli plot FILE --page P -o OUT.png [--width W] [--height H]
                         [--sound-mode S] [--sub-page E] [--compare OTHER.sp]... [--phase]
Draws the graph of page P as the console shows it right after the page opens (band 0
selected), W x H pixels (default 1000 x 300). --compare draws the same page of another
configuration file under it, in a colour of its own with a legend (up to 4 files); --phase
adds the sum's phase on a right-hand axis in degrees.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli read-mode N -o FILE [--json]
读取模式 N 的每一组（包括系统种类）并保存。
用 --device all 或列表时，每台功放一个进程，各输出一行并给出汇总；--json 把它们
输出为一个对象（一台功放时也可用）。
</source>
        <translation>usage: mirelune-cli read-mode N -o FILE [--json]
Reads every group of mode N, system kinds included, and saves it.
With --device all or a list, one process per amplifier, a line each and a
summary; --json prints them as one object (also for one amplifier).
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli response FILE --page P [--sound-mode S] [--sub-page E]
                            [--freqs F1,F2,...] [--width W] [--phase]
每个频率输出一行 CSV：freq_hz，第 P 页（0..7）各曲线频段按曲线顺序的响应（dB），然后是该页
没有标记的 EQ 频段（音乐页和话筒页的频段 14 和 15），它们的总和，带 --phase 时还有总和的
相位（度，展开，由 48 kHz 下相同的 cookbook 节计算）。不带 --freqs 时，频率为宽 W 像素
（默认 1000）的曲线自身的点。S：0 唱歌（默认），1 跳舞；E：效果页的部分 0..2。
</source>
        <translation>usage: mirelune-cli response FILE --page P [--sound-mode S] [--sub-page E]
                             [--freqs F1,F2,...] [--width W] [--phase]
Prints one CSV row per frequency: freq_hz, the response in dB of each graph band of page P
(0..7) in graph order, then of the page's EQ bands without a marker (bands 14 and 15 of the
music and microphone pages), their sum, and with --phase the sum's phase in degrees
(unwrapped, from the same cookbook sections at 48 kHz). Without --freqs the frequencies are the graph's own
points for a graph W pixels wide (default 1000). S: 0 singing (default), 1 dance;
E: the effects page's part 0..2.
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli sync -o FILE [--json]
启动时的同步：设备的当前模式、它的菜单标志和每一个参数，保存为配置文件。
用 --device all 或列表时，每台功放一个进程，各输出一行并给出汇总；--json 把它们
输出为一个对象（一台功放时也可用）。
</source>
        <translation>usage: mirelune-cli sync -o FILE [--json]
The start-up synchronisation: the device's current mode, its menu
flags and every parameter, saved as a configuration file.
With --device all or a list, one process per amplifier, a line each and a
summary; --json prints them as one object (also for one amplifier).
</translation>
    </message>
    <message>
        <source>用法: mirelune-cli write-mode N FILE [--json]
先检查文件；有问题的文件在发送任何内容之前就被拒绝。
用 --device all 或列表时，每台功放一个进程，各输出一行并给出汇总；--json 把它们
输出为一个对象（一台功放时也可用）。
</source>
        <translation>usage: mirelune-cli write-mode N FILE [--json]
The file is checked first; a bad file is refused before anything
is sent.
With --device all or a list, one process per amplifier, a line each and a
summary; --json prints them as one object (also for one amplifier).
</translation>
    </message>
    <message>
        <source>电平 %1 dB 超出 ±400 dB</source>
        <translation>level %1 dB is beyond ±400 dB</translation>
    </message>
    <message>
        <source>电平检查</source>
        <translation>Level check</translation>
    </message>
    <message>
        <source>电平检查中…</source>
        <translation>Checking the level...</translation>
    </message>
    <message>
        <source>电平检查完成</source>
        <translation>Level checked</translation>
    </message>
    <message>
        <source>白色虚线：文件要求的总响应；黄色：放置到频段后实现的总响应 (20 Hz..20 kHz)</source>
        <translation>White dashes: the total response the file asks for; yellow: the total response the bands realise (20 Hz..20 kHz)</translation>
    </message>
    <message>
        <source>监听地址：</source>
        <translation>Listen on:</translation>
    </message>
    <message>
        <source>目标</source>
        <translation>Target</translation>
    </message>
    <message>
        <source>目标文件…</source>
        <translation>Target file...</translation>
    </message>
    <message>
        <source>目标文件无法使用：</source>
        <translation>The target file cannot be used:</translation>
    </message>
    <message>
        <source>目标曲线 (*.txt *.csv *.frd)</source>
        <translation>Target curves (*.txt *.csv *.frd)</translation>
    </message>
    <message>
        <source>相位</source>
        <translation>Phase</translation>
    </message>
    <message>
        <source>确定</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>确认</source>
        <translation>Confirm</translation>
    </message>
    <message>
        <source>确认密码</source>
        <translation>Confirm password</translation>
    </message>
    <message>
        <source>确认要删除所选的模式文件吗? 删除不可以恢复</source>
        <translation>Delete the chosen mode files? This cannot be undone</translation>
    </message>
    <message>
        <source>确认要将当前劲舞模式数据复制到唱歌模式吗？</source>
        <translation>Copy the current dance mode data into the singing mode?</translation>
    </message>
    <message>
        <source>确认要将当前唱歌模式数据复制到劲舞模式吗？</source>
        <translation>Copy the current singing mode data into the dance mode?</translation>
    </message>
    <message>
        <source>确认要将话筒1,2的设置复制到话筒3吗？</source>
        <translation>Copy the settings of microphones 1/2 to microphone 3?</translation>
    </message>
    <message>
        <source>确认要将话筒3的设置复制到话筒1,2吗？</source>
        <translation>Copy the settings of microphone 3 to microphones 1/2?</translation>
    </message>
    <message>
        <source>禁用</source>
        <translation>Disabled</translation>
    </message>
    <message>
        <source>移除</source>
        <translation>Remove</translation>
    </message>
    <message>
        <source>程式管理</source>
        <translation>Mode manager</translation>
    </message>
    <message>
        <source>空位 (None)</source>
        <translation>empty (None)</translation>
    </message>
    <message>
        <source>第 %1 行：%2</source>
        <translation>Line %1: %2</translation>
    </message>
    <message>
        <source>管理员</source>
        <translation>Administrator</translation>
    </message>
    <message>
        <source>管理员密码不正确！</source>
        <translation>The administrator password is wrong!</translation>
    </message>
    <message>
        <source>管理员密码不正确！
处于来宾模式时，不需要输入密码。处于管理模式时，必须输入正确密码后才能使用软件。
如果您想脱机使用本软件，请断开机器的USB线。</source>
        <translation>The administrator password is wrong!
In guest mode no password is needed. In administrator mode the correct password must be entered to use the software.
To use the software offline, unplug the amplifier's USB cable.</translation>
    </message>
    <message>
        <source>管理员权限确认</source>
        <translation>Administrator rights</translation>
    </message>
    <message>
        <source>管理员模式</source>
        <translation>Administrator mode</translation>
    </message>
    <message>
        <source>管理密码: </source>
        <translation>Administrator password: </translation>
    </message>
    <message>
        <source>类型</source>
        <translation>Type</translation>
    </message>
    <message>
        <source>系统</source>
        <translation>System</translation>
    </message>
    <message>
        <source>系统保留参数</source>
        <translation>Reserved system setting</translation>
    </message>
    <message>
        <source>系统设置</source>
        <translation>System settings</translation>
    </message>
    <message>
        <source>结果</source>
        <translation>Result</translation>
    </message>
    <message>
        <source>联机已关闭</source>
        <translation>Link switched off</translation>
    </message>
    <message>
        <source>联机开关</source>
        <translation>Link switch</translation>
    </message>
    <message>
        <source>联机开关
点击断开或恢复与功放的连接</source>
        <translation>Link switch
Click to close or restore the link to the amplifier</translation>
    </message>
    <message>
        <source>自动</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>自动键盘锁：</source>
        <translation>Automatic keyboard lock:</translation>
    </message>
    <message>
        <source>范围</source>
        <translation>Range</translation>
    </message>
    <message>
        <source>菜单属性设置完成！</source>
        <translation>Menu settings done!</translation>
    </message>
    <message>
        <source>菜单隐藏属性设置</source>
        <translation>Menu visibility settings</translation>
    </message>
    <message>
        <source>蓝：测量；白色虚线：目标；橙：拟合后预测；青：再测 (拟合范围外为灰底)</source>
        <translation>Blue: measured; white dashes: target; orange: predicted after the fit; teal: measured again (grey outside the fit range)</translation>
    </message>
    <message>
        <source>虚拟功放 (输入)</source>
        <translation>Virtual amplifier (input)</translation>
    </message>
    <message>
        <source>虚拟功放出厂时的权限密码：</source>
        <translation>The virtual amplifier's rights password as delivered: </translation>
    </message>
    <message>
        <source>虚拟房间 (测量话筒)</source>
        <translation>Virtual room (measurement microphone)</translation>
    </message>
    <message>
        <source>要求</source>
        <translation>Asked</translation>
    </message>
    <message>
        <source>要求与实现的总响应最大相差 %1 dB (20 Hz..20 kHz)</source>
        <translation>Largest difference between the asked and the realised total response: %1 dB (20 Hz..20 kHz)</translation>
    </message>
    <message>
        <source>警告：其他计算机可以访问此服务器，通信未加密（PIN 和令牌可被同一网络中的人看到）；请使用 --tls-cert 和 --tls-key。</source>
        <translation type="vanished">warning: other computers can reach this server and the traffic is not encrypted (anyone on the same network can see the PIN and the tokens); use --tls-cert and --tls-key.</translation>
    </message>
    <message>
        <source>警告：通信未加密，同一网络中的人可以看到 PIN 和令牌。需要加密时请用 mirelune-cli serve --tls-cert --tls-key。</source>
        <translation>Warning: the traffic is not encrypted; anyone on the same network can see the PIN and the tokens. For encryption use mirelune-cli serve --tls-cert --tls-key.</translation>
    </message>
    <message>
        <source>记录通信日志</source>
        <translation>Record the link log</translation>
    </message>
    <message>
        <source>记录通信日志…</source>
        <translation>Record the link log...</translation>
    </message>
    <message>
        <source>设备</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>设备未联机！无法进行该操作。</source>
        <translation>The amplifier is not online! This cannot be done.</translation>
    </message>
    <message>
        <source>设置</source>
        <translation>Set</translation>
    </message>
    <message>
        <source>设置单项菜单的显示与隐藏</source>
        <translation>Show or hide single menu items</translation>
    </message>
    <message>
        <source>话筒</source>
        <translation>Mic</translation>
    </message>
    <message>
        <source>话筒1.2</source>
        <translation>Mic 1/2</translation>
    </message>
    <message>
        <source>话筒1.2 均衡器</source>
        <translation>Mic 1/2 equalizer</translation>
    </message>
    <message>
        <source>话筒1.2啸叫抑制</source>
        <translation>Mic 1/2 feedback suppression</translation>
    </message>
    <message>
        <source>话筒1.2旁路</source>
        <translation>Mic 1/2 bypass</translation>
    </message>
    <message>
        <source>话筒3.4</source>
        <translation>Mic 3/4</translation>
    </message>
    <message>
        <source>话筒3啸叫抑制</source>
        <translation>Mic 3 feedback suppression</translation>
    </message>
    <message>
        <source>话筒复制</source>
        <translation>Copy mic</translation>
    </message>
    <message>
        <source>话筒复制
在话筒1,2与话筒3之间复制设置</source>
        <translation>Copy mic
Copy settings between microphones 1/2 and microphone 3</translation>
    </message>
    <message>
        <source>话筒总静音</source>
        <translation>Microphone master mute</translation>
    </message>
    <message>
        <source>话筒总音量</source>
        <translation>Microphone master volume</translation>
    </message>
    <message>
        <source>话筒音量</source>
        <translation>Microphone volume</translation>
    </message>
    <message>
        <source>话筒音量上限</source>
        <translation>Microphone volume limit</translation>
    </message>
    <message>
        <source>该配置文件长于 252000 字节，只读取了前 252000 字节：</source>
        <translation>This configuration file is longer than 252000 bytes; only its first 252000 bytes were read:</translation>
    </message>
    <message>
        <source>语言 / Language</source>
        <translation>语言 / Language</translation>
    </message>
    <message>
        <source>请先在右边的文件列表中选择文件。</source>
        <translation>Select files in the list on the right first.</translation>
    </message>
    <message>
        <source>请先在左边的设备模式列表中选择模式。</source>
        <translation>Select modes in the device mode list on the left first.</translation>
    </message>
    <message>
        <source>请在本窗口的“权限管理：”中输入权限密码并点“确认”，再选择“管理员”后写入。</source>
        <translation>Log in under "Rights:" in this window: type the rights password, press "Confirm", choose "Administrator", then write again.</translation>
    </message>
    <message>
        <source>请输入</source>
        <translation>Please enter</translation>
    </message>
    <message>
        <source>请输入!</source>
        <translation>Please enter it!</translation>
    </message>
    <message>
        <source>请输入管理密码：</source>
        <translation>Please enter the management password:</translation>
    </message>
    <message>
        <source>请选择一个模式.</source>
        <translation>Please choose a mode.</translation>
    </message>
    <message>
        <source>读取：从设备读取指定模式的所有数据</source>
        <translation>Read: read all data of the chosen device mode</translation>
    </message>
    <message>
        <source>调用模式（模式 1–10）</source>
        <translation>Recall modes (modes 1–10)</translation>
    </message>
    <message>
        <source>调音窗口</source>
        <translation>Tuning window</translation>
    </message>
    <message>
        <source>调音窗口已关闭。用菜单 %1 重新打开它；关闭本窗口即退出程序。</source>
        <translation>The tuning window is closed. Open it again with the menu %1; closing this window ends the program.</translation>
    </message>
    <message>
        <source>超低输出</source>
        <translation>Sub out</translation>
    </message>
    <message>
        <source>超低输出旁路</source>
        <translation>Sub out bypass</translation>
    </message>
    <message>
        <source>超低音</source>
        <translation>Subwoofer</translation>
    </message>
    <message>
        <source>超低音 均衡器</source>
        <translation>Subwoofer equalizer</translation>
    </message>
    <message>
        <source>超低音开关1</source>
        <translation>Subwoofer switch 1</translation>
    </message>
    <message>
        <source>超低音开关2</source>
        <translation>Subwoofer switch 2</translation>
    </message>
    <message>
        <source>超低音相位</source>
        <translation>Subwoofer phase</translation>
    </message>
    <message>
        <source>超低音自动控制</source>
        <translation>Subwoofer automatic control</translation>
    </message>
    <message>
        <source>超低音自动控制时, 唱歌模式不可以切换!</source>
        <translation>While the subwoofer automatic control is on, the sound mode cannot be switched!</translation>
    </message>
    <message>
        <source>超低音自动控制时, 本页均衡不可以导入!</source>
        <translation>While the subwoofer automatic control is on, this page's EQ cannot be imported!</translation>
    </message>
    <message>
        <source>超低音自动控制时, 本页均衡不可以拟合!</source>
        <translation>While the subwoofer automatic control is on, this page's EQ cannot be fitted!</translation>
    </message>
    <message>
        <source>超低音自动控制：关</source>
        <translation>Subwoofer automatic control: off</translation>
    </message>
    <message>
        <source>超低音自动控制：开</source>
        <translation>Subwoofer automatic control: on</translation>
    </message>
    <message>
        <source>超低音输出静音</source>
        <translation>Subwoofer output mute</translation>
    </message>
    <message>
        <source>超低音通道延时</source>
        <translation>Subwoofer channel delay</translation>
    </message>
    <message>
        <source>超低音音量</source>
        <translation>Subwoofer volume</translation>
    </message>
    <message>
        <source>超出范围：%1</source>
        <translation>Out of range: %1</translation>
    </message>
    <message>
        <source>路径</source>
        <translation>Path</translation>
    </message>
    <message>
        <source>载入测量</source>
        <translation>Load measurement</translation>
    </message>
    <message>
        <source>载入测量…</source>
        <translation>Load measurement...</translation>
    </message>
    <message>
        <source>载入测量程序导出的文本 (频率 dB [相位])</source>
        <translation>Loads the text a measurement program exports (frequency dB [phase])</translation>
    </message>
    <message>
        <source>辅助</source>
        <translation>Aux</translation>
    </message>
    <message>
        <source>辅助输出</source>
        <translation>Aux out</translation>
    </message>
    <message>
        <source>辅助输出右静音</source>
        <translation>Aux output right mute</translation>
    </message>
    <message>
        <source>辅助输出左静音</source>
        <translation>Aux output left mute</translation>
    </message>
    <message>
        <source>辅助输出旁路</source>
        <translation>Aux out bypass</translation>
    </message>
    <message>
        <source>输入 (测量话筒)</source>
        <translation>Input (measurement microphone)</translation>
    </message>
    <message>
        <source>输入1</source>
        <translation>In 1</translation>
    </message>
    <message>
        <source>输入2</source>
        <translation>In 2</translation>
    </message>
    <message>
        <source>输入3</source>
        <translation>In 3</translation>
    </message>
    <message>
        <source>输入4</source>
        <translation>In 4</translation>
    </message>
    <message>
        <source>输入5</source>
        <translation>In 5</translation>
    </message>
    <message>
        <source>输入6</source>
        <translation>In 6</translation>
    </message>
    <message>
        <source>输入7</source>
        <translation>In 7</translation>
    </message>
    <message>
        <source>输入8</source>
        <translation>In 8</translation>
    </message>
    <message>
        <source>输入源</source>
        <translation>Input</translation>
    </message>
    <message>
        <source>输入电平</source>
        <translation>Input level</translation>
    </message>
    <message>
        <source>输入电平 %1 dBFS，峰值 %2 dBFS：%3</source>
        <translation>Input level %1 dBFS, peak %2 dBFS: %3</translation>
    </message>
    <message>
        <source>输入电平 (dBFS，-60..0)</source>
        <translation>Input level (dBFS, -60..0)</translation>
    </message>
    <message>
        <source>输入电平：未检查</source>
        <translation>Input level: not checked</translation>
    </message>
    <message>
        <source>输出 (接功放输入)</source>
        <translation>Output (to the amplifier's input)</translation>
    </message>
    <message>
        <source>输出 shell（bash、zsh、fish）的 Tab 补全脚本</source>
        <translation>print the Tab completion script of a shell (bash, zsh, fish)</translation>
    </message>
    <message>
        <source>输出总音量</source>
        <translation>Output overall volume</translation>
    </message>
    <message>
        <source>输出选项</source>
        <translation>Output option</translation>
    </message>
    <message>
        <source>过低：请提高功放音量或话筒增益</source>
        <translation>too low: raise the amplifier's level or the microphone's gain</translation>
    </message>
    <message>
        <source>这一行有 %1 列，数据应为 %2 列</source>
        <translation>this line has %1 columns where the data has %2</translation>
    </message>
    <message>
        <source>远程控制</source>
        <translation>Remote control</translation>
    </message>
    <message>
        <source>远程控制…</source>
        <translation>Remote control...</translation>
    </message>
    <message>
        <source>远程控制未运行。启动后，员工可用手机浏览器打开显示的地址，输入 PIN 或扫描二维码。</source>
        <translation>The remote is not running. Once started, staff open the address shown in a phone's browser and enter the PIN or scan the QR code.</translation>
    </message>
    <message>
        <source>连续参数均衡 (同样 %1 个频段)：%2</source>
        <translation>A continuous-parameter EQ (the same %1 bands): %2</translation>
    </message>
    <message>
        <source>退出调音窗口</source>
        <translation>Close the tuning window</translation>
    </message>
    <message>
        <source>选择放大器</source>
        <translation>Choose amplifier</translation>
    </message>
    <message>
        <source>选择放大器…</source>
        <translation>Choose amplifier...</translation>
    </message>
    <message>
        <source>选择目标曲线文件</source>
        <translation>Choose a target curve file</translation>
    </message>
    <message>
        <source>选择要比较的配置文件</source>
        <translation>Choose a configuration file to compare with</translation>
    </message>
    <message>
        <source>逐条记录比较两个配置文件</source>
        <translation>compare two configuration files record by record</translation>
    </message>
    <message>
        <source>通信日志 (*.log *.txt);;所有文件 (*)</source>
        <translation>Link logs (*.log *.txt);;All files (*)</translation>
    </message>
    <message>
        <source>通过场所的 MQTT 消息代理管理各个房间：list、set、mode、push、diff</source>
        <translation>a venue's rooms through its MQTT broker: list, set, mode, push, diff</translation>
    </message>
    <message>
        <source>通道音量</source>
        <translation>Channel volume</translation>
    </message>
    <message>
        <source>都不选</source>
        <translation>Select none</translation>
    </message>
    <message>
        <source>都选上</source>
        <translation>Select all</translation>
    </message>
    <message>
        <source>配对链接（一次有效）：%1</source>
        <translation>Pairing link (works once): %1</translation>
    </message>
    <message>
        <source>配置文件 (*.sp)</source>
        <translation>Configuration files (*.sp)</translation>
    </message>
    <message>
        <source>配置文件…</source>
        <translation>Configuration file...</translation>
    </message>
    <message>
        <source>释放</source>
        <translation>Rel.</translation>
    </message>
    <message>
        <source>释放时间</source>
        <translation>Release time</translation>
    </message>
    <message>
        <source>重做 (Ctrl+Y)</source>
        <translation>Redo (Ctrl+Y)</translation>
    </message>
    <message>
        <source>锁定</source>
        <translation>locked</translation>
    </message>
    <message>
        <source>锁定的频段保持原样，不参与拟合</source>
        <translation>Locked bands stay as they are and take no part in the fit</translation>
    </message>
    <message>
        <source>锁定频段</source>
        <translation>Locked bands</translation>
    </message>
    <message>
        <source>错误信息如下: 模式号=</source>
        <translation>Error details: mode number=</translation>
    </message>
    <message>
        <source>键 %1：加 / 减</source>
        <translation>Keys %1: up / down</translation>
    </message>
    <message>
        <source>键盘锁密码：</source>
        <translation>Keyboard lock password:</translation>
    </message>
    <message>
        <source>阈值</source>
        <translation>Thr.</translation>
    </message>
    <message>
        <source>需要联机才能执行该操作.</source>
        <translation>This needs the amplifier online.</translation>
    </message>
    <message>
        <source>音乐</source>
        <translation>Music</translation>
    </message>
    <message>
        <source>音乐L</source>
        <translation>Music L</translation>
    </message>
    <message>
        <source>音乐R</source>
        <translation>Music R</translation>
    </message>
    <message>
        <source>音乐总静音</source>
        <translation>Music master mute</translation>
    </message>
    <message>
        <source>音乐总音量</source>
        <translation>Music master volume</translation>
    </message>
    <message>
        <source>音乐旁路</source>
        <translation>Music bypass</translation>
    </message>
    <message>
        <source>音乐音量</source>
        <translation>Music volume</translation>
    </message>
    <message>
        <source>音乐音量L</source>
        <translation>Music volume L</translation>
    </message>
    <message>
        <source>音乐音量R</source>
        <translation>Music volume R</translation>
    </message>
    <message>
        <source>音乐音量上限</source>
        <translation>Music volume limit</translation>
    </message>
    <message>
        <source>音响配置文件 (*.SP)</source>
        <translation>Sound configuration files (*.SP)</translation>
    </message>
    <message>
        <source>音量</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>音量上限</source>
        <translation>Volume limits</translation>
    </message>
    <message>
        <source>预测</source>
        <translation>Predicted</translation>
    </message>
    <message>
        <source>频段</source>
        <translation>Band</translation>
    </message>
    <message>
        <source>频段 %1</source>
        <translation>Band %1</translation>
    </message>
    <message>
        <source>频段 %1：</source>
        <translation>Band %1: </translation>
    </message>
    <message>
        <source>频段 %1：%2 Hz 处相位 %3°</source>
        <translation>Band %1: phase %3° at %2 Hz</translation>
    </message>
    <message>
        <source>频点</source>
        <translation>Freq</translation>
    </message>
    <message>
        <source>频率</source>
        <translation>Frequency</translation>
    </message>
    <message>
        <source>频率 %1 不大于 0</source>
        <translation>frequency %1 is not above 0</translation>
    </message>
    <message>
        <source>频率 %1 不大于上一行的 %2</source>
        <translation>frequency %1 is not above the line before's %2</translation>
    </message>
    <message>
        <source>高通</source>
        <translation>High-pass</translation>
    </message>
    <message>
        <source>高通滤波器</source>
        <translation>High-pass filter</translation>
    </message>
    <message>
        <source>高通滤波器类型</source>
        <translation>High-pass filter type</translation>
    </message>
    <message>
        <source>高通滤波器频点</source>
        <translation>High-pass frequency</translation>
    </message>
    <message>
        <source>（未联机时的修改已存为 %1）</source>
        <translation> (the edits made offline were saved as %1)</translation>
    </message>
    <message>
        <source>，%1 项未放置</source>
        <translation>, %1 not placed</translation>
    </message>
    <message>
        <source>，不含响应未知的滤波器</source>
        <translation>, without the filters of unknown response</translation>
    </message>
    <message>
        <source>，权限已登录</source>
        <translation>, rights logged in</translation>
    </message>
    <message>
        <source>，确定写入吗？</source>
        <translation> with the current data?</translation>
    </message>
    <message>
        <source>：失败：</source>
        <translation>: failed: </translation>
    </message>
    <message>
        <source>：完成</source>
        <translation>: done</translation>
    </message>
    <message>
        <source>此项不能关闭。范围：%1</source>
        <translation>This value cannot be switched off. Range: %1</translation>
    </message>
    <message>
        <source>员工</source>
        <translation>staff</translation>
    </message>
    <message>
        <source>安装人员</source>
        <translation>installer</translation>
    </message>
    <message>
        <source>模式 %1 -&gt; %2</source>
        <translation>mode %1 -&gt; %2</translation>
    </message>
    <message>
        <source>（未确认）</source>
        <translation>(not acknowledged)</translation>
    </message>
    <message>
        <source>话筒3</source>
        <translation>Mic 3</translation>
    </message>
    <message>
        <source>话筒3旁路</source>
        <translation>Mic 3 bypass</translation>
    </message>
</context>
<context>
    <name>Compressor</name>
    <message>
        <source>启动</source>
        <translation>Att.</translation>
    </message>
</context>
<context>
    <name>RemoteDialog</name>
    <message>
        <source>启动</source>
        <translation>Start</translation>
    </message>
</context>
<context>
    <name>Cli</name>
    <message>
        <source>%1 正被 %2 使用；请先在那里关闭它（set、get 和 info 经由它执行）</source>
        <translation>%1 is in use by %2; close it there first (set, get and info go through it)</translation>
    </message>
    <message>
        <source>功放已连接，但在 %1 毫秒内没有应答查找帧</source>
        <translation>the amplifier is connected but did not answer the search frame within %1 ms</translation>
    </message>
    <message>
        <source>功放标识：</source>
        <translation>device: </translation>
    </message>
    <message>
        <source>当前模式：</source>
        <translation>current mode: </translation>
    </message>
    <message>
        <source>模式 %1：</source>
        <translation>mode %1: </translation>
    </message>
    <message>
        <source>正在等待 %1，它正在使用 %2；</source>
        <translation>waiting for %1, which is using %2; </translation>
    </message>
    <message>
        <source>等待 %1 秒后放弃：%2 仍占用 %3</source>
        <translation>gave up after %1 s: %2 still holds %3</translation>
    </message>
    <message>
        <source>注意：功放在没有锁的情况下使用（%1）；别的程序可能同时使用它</source>
        <translation>note: the amplifier is used without a lock (%1); another program may use it at the same time</translation>
    </message>
    <message>
        <source>虚拟功放的状态没有保存：%1</source>
        <translation>the virtual amplifier's state was not saved: %1</translation>
    </message>
    <message>
        <source>上面的警告之后已恢复：全部修改都已确认</source>
        <translation>recovered after the warning above: everything was acknowledged</translation>
    </message>
    <message>
        <source>%1 秒后放弃（用 --wait SECONDS 等得更久）</source>
        <translation>giving up after %1 s (--wait SECONDS to wait longer)</translation>
    </message>
    <message>
        <source>功放报告的模式号是 %1，不在 0..9 之内</source>
        <translation>the amplifier reports mode number %1, not 0..9</translation>
    </message>
    <message>
        <source>在此之前 %2 项修改中已确认 %1 项</source>
        <translation>%1 of %2 changes were acknowledged before</translation>
    </message>
    <message>
        <source>%1 尚未读取功放（它处于脱机状态）</source>
        <translation>%1 has not read the amplifier (it is offline)</translation>
    </message>
    <message>
        <source>模式 %1 没有写入：功放没有确认它的 %2 组中的任何一组，所以它保持原来的内容。</source>
        <translation>mode %1 was not written: the amplifier acknowledged none of its %2 groups, so it holds what it held before.</translation>
    </message>
    <message>
        <source>模式 %1 只写入了一部分：%3 组中已确认 %2 组，所以功放上的这个模式现在是旧设置与新设置的混合。</source>
        <translation>mode %1 was written only in part: %2 of %3 groups were acknowledged, so the mode on the amplifier now holds a mix of its old and the new settings.</translation>
    </message>
    <message>
        <source> 要完成写入，请再运行同一命令：%1</source>
        <translation> To finish, run the same command again: %1</translation>
    </message>
    <message>
        <source>未保存：%1 已存在，保留原文件（--yes 会替换它）</source>
        <translation>not saved: %1 exists and was kept (--yes replaces it)</translation>
    </message>
    <message>
        <source>已保存：%1</source>
        <translation>saved: %1</translation>
    </message>
    <message>
        <source>已连接 %1 台功放：%2；请用 --device hid:SERIAL 或 hid:N 选择一台</source>
        <translation>%1 amplifiers are connected: %2; choose one with --device hid:SERIAL or hid:N</translation>
    </message>
    <message>
        <source>没有连接 USB 功放（%1）</source>
        <translation>no USB amplifier connected (%1)</translation>
    </message>
</context>
<context>
    <name>Quotes</name>
    <message>
        <source>“%1”</source>
        <translation>&quot;%1&quot;</translation>
    </message>
</context>
</TS>
