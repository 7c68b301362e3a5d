<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="zh_CN">
<context>
    <name>CoverWindow</name>
    <message>
        <source>正在校准屏幕 %1</source>
        <translation>Calibrating screen %1</translation>
    </message>
    <message>
        <source>正在校准屏幕 %1 (%2)</source>
        <translation>Calibrating screen %1 (%2)</translation>
    </message>
    <message>
        <source>刚才的触摸落在了这个屏幕 (屏幕 %1) 上。
触摸框似乎被映射到了错误的屏幕或整个桌面, 这次触摸没有被采用。
详情请运行 orvessa-frame list</source>
        <translation>That touch arrived on this screen (screen %1).
The touch frame appears to be mapped to the wrong screen or to the whole desktop; the touch was not used.
Run orvessa-frame list for details.</translation>
    </message>
</context>
<context>
    <name>Dialog</name>
    <message>
        <source>Dialog</source>
        <translation>Calibration</translation>
    </message>
    <message>
        <source>保存</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>不保存</source>
        <translation>Don&apos;t save</translation>
    </message>
    <message>
        <source>请依次点击校准点完成校准</source>
        <translation>Touch the targets one after another to calibrate</translation>
    </message>
    <message>
        <source>是否保存该次校准结果?</source>
        <translation>Save this calibration?</translation>
    </message>
    <message>
        <source>第 %1 点,共 %2 点 · 按 Esc 放弃</source>
        <translation>Target %1 of %2 · Esc abandons</translation>
    </message>
    <message>
        <source>有触摸落在了屏幕 %1 上: 触摸框似乎被映射到了错误的屏幕或整个桌面, 详情请运行 orvessa-frame list</source>
        <translation>A touch landed on screen %1: the touch frame appears to be mapped to the wrong screen or to the whole desktop; run orvessa-frame list for details</translation>
    </message>
    <message>
        <source>内点最大偏差 %1</source>
        <translation>Largest deviation at the inner targets: %1</translation>
    </message>
    <message>
        <source>第 %1 点 (偏离 %2)</source>
        <translation>target %1 (%2 off)</translation>
    </message>
    <message>
        <source>可能未点准: %1, 建议不保存并重新校准</source>
        <translation>Likely missed: %1. Better not save; calibrate again</translation>
    </message>
    <message>
        <source>、</source>
        <translation>, </translation>
    </message>
    <message>
        <source>四个角点围成的形状不像任何一种安装方式,可能有角点未点准, 建议不保存并重新校准</source>
        <translation>The four corners form no shape a mounted frame gives: a corner was likely missed. Better not save; calibrate again</translation>
    </message>
    <message>
        <source>四个角点围成的形状不像任何一种安装方式,可能未点准: %1, 建议不保存并重新校准</source>
        <translation>The four corners form no shape a mounted frame gives. Likely missed: %1. Better not save; calibrate again</translation>
    </message>
    <message>
        <source>%1 像素</source>
        <translation>%1 px</translation>
    </message>
    <message>
        <source>触摸会落在 %1 上,而不是这块屏幕:请先运行 orvessa-frame map --screen %2</source>
        <translation>Touches will land on %1, not on this screen: first run orvessa-frame map --screen %2</translation>
    </message>
    <message>
        <source>触摸被拉伸到整个桌面(%1 块屏幕):请先运行 orvessa-frame map --screen %2</source>
        <translation>Touches are stretched over the whole desktop (%1 screens): first run orvessa-frame map --screen %2</translation>
    </message>
    <message>
        <source>触摸会落在桌面的其他区域:请先运行 orvessa-frame map --screen %1</source>
        <translation>Touches will land elsewhere on the desktop: first run orvessa-frame map --screen %1</translation>
    </message>
    <message>
        <source>系统在触摸框的校准之上另加了校正:请先运行 orvessa-frame reset-os-correction</source>
        <translation>The system adds a correction of its own on top of the frame&apos;s: first run orvessa-frame reset-os-correction</translation>
    </message>
</context>
<context>
    <name>Form</name>
    <message>
        <source>Form</source>
        <translation>Form</translation>
    </message>
    <message>
        <source>4点校准开始</source>
        <translation>4-point calibration</translation>
    </message>
    <message>
        <source>9点校准开始</source>
        <translation>9-point calibration</translation>
    </message>
    <message>
        <source>15点校准开始</source>
        <translation>15-point calibration</translation>
    </message>
    <message>
        <source>20点校准开始</source>
        <translation>20-point calibration</translation>
    </message>
    <message>
        <source>清除校准</source>
        <translation>Clear calibration</translation>
    </message>
    <message>
        <source>切换到单点</source>
        <translation>Switch to single-touch</translation>
    </message>
    <message>
        <source>切换到多点</source>
        <translation>Switch to multi-touch</translation>
    </message>
    <message>
        <source>双击优化</source>
        <translation>Optimise double-click</translation>
    </message>
    <message>
        <source>切换屏幕(Enter键)</source>
        <translation>Next screen (Enter)</translation>
    </message>
    <message>
        <source>退  出</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>隐藏到系统托盘</source>
        <translation>Hide to tray</translation>
    </message>
    <message>
        <source>未检测到设备,请检查连接!</source>
        <translation>No touch frame found. Please check the connection!</translation>
    </message>
    <message>
        <source>确认对话框</source>
        <translation>Please confirm</translation>
    </message>
    <message>
        <source>确认要&lt;b&gt;清除&lt;/b&gt;校准?</source>
        <translation>Do you really want to &lt;b&gt;clear&lt;/b&gt; the calibration?</translation>
    </message>
    <message>
        <source>清除完成!</source>
        <translation>Calibration cleared!</translation>
    </message>
    <message>
        <source>已切换为多点!</source>
        <translation>Switched to multi-touch!</translation>
    </message>
    <message>
        <source>已切换为单点!</source>
        <translation>Switched to single-touch!</translation>
    </message>
    <message>
        <source>校准已更新!</source>
        <translation>Calibration updated!</translation>
    </message>
    <message>
        <source>校准未更新</source>
        <translation>Calibration not updated</translation>
    </message>
    <message>
        <source>校准点无效,校准未更新!</source>
        <translation>The calibration points were invalid; the calibration was not updated!</translation>
    </message>
    <message>
        <source>显示主界面</source>
        <translation>Show main window</translation>
    </message>
    <message>
        <source>隐藏主界面</source>
        <translation>Hide main window</translation>
    </message>
    <message>
        <source>关闭程序</source>
        <translation>Quit</translation>
    </message>
    <message>
        <source>红外触摸屏</source>
        <translation>Infrared touch frame</translation>
    </message>
    <message>
        <source>触摸屏提示</source>
        <translation>Touch frame notice</translation>
    </message>
    <message>
        <source>点击这里打开触摸屏管理软件主界面</source>
        <translation>Click here to open the touch frame utility</translation>
    </message>
    <message>
        <source>退出将不能收到提示信息.</source>
        <translation>After quitting you will no longer receive notices.</translation>
    </message>
    <message>
        <source>校准将在此屏幕进行: 屏幕 %1 · %2 · %3 × %4</source>
        <translation>Calibration will run on this screen: screen %1 · %2 · %3 × %4</translation>
    </message>
    <message>
        <source>分辨率已经改变，你可能需要重新校准</source>
        <translation>The display resolution has changed; you may need to calibrate again</translation>
    </message>
    <message>
        <source>已优化过,无需重复优化.</source>
        <translation>Already optimised; nothing to do.</translation>
    </message>
    <message>
        <source>优化已完成,重启计算机后生效.
是否现在重启?</source>
        <translation>Optimisation done. It takes effect after the computer restarts.
Restart now?</translation>
    </message>
    <message>
        <source>现在重启</source>
        <translation>Restart now</translation>
    </message>
    <message>
        <source>稍后重启</source>
        <translation>Restart later</translation>
    </message>
    <message>
        <source>双击设置未能修改,无法写入:
%1</source>
        <translation>The double-click settings could not be changed. Could not write to:
%1</translation>
    </message>
    <message>
        <source>原因:找到了触摸框,但当前用户无权打开它。运行 orvessa-frame list 查看详情。</source>
        <translation>Cause: a touch frame was found, but this user may not open it. Run orvessa-frame list to see more.</translation>
    </message>
    <message>
        <source>原因:找到了触摸框,但打开前它已断开(%1)。请检查连接。</source>
        <translation>Cause: a touch frame was found, but it went away before it could be opened (%1). Check the connection.</translation>
    </message>
    <message>
        <source>原因:找到了触摸框,但无法打开它(%1)。运行 orvessa-frame list 查看详情。</source>
        <translation>Cause: a touch frame was found, but it could not be opened (%1). Run orvessa-frame list to see more.</translation>
    </message>
</context>
<context>
    <name>QObject</name>
    <message>
        <source>Orvessa</source>
        <translation>Orvessa</translation>
    </message>
</context>
</TS>
