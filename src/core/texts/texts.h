#pragma once
// Every text the user can see, English and Simplified Chinese side by side.
// Nothing is looked up from resources or files: a point of use names the pair
// and `tr` picks the half for the language it is given.
//
// Format strings keep their printf conversions in both halves in the same
// order, so one argument list serves either language.

#include "core/settings/ui_language.h"

namespace tf {

struct BilingualText {
    const wchar_t* english;
    const wchar_t* chinese;
};

// English exactly when the language is English; any other value means Chinese.
constexpr const wchar_t* pick(const BilingualText& text, UiLanguage language) {
    return language == UiLanguage::English ? text.english : text.chinese;
}

// The same lookup with the language first, as the interface's call sites read.
constexpr const wchar_t* tr(UiLanguage language, const BilingualText& text) { return pick(text, language); }

namespace texts {

// ---- Product name, window titles and message-box titles ----------------------
inline constexpr BilingualText productName{L"Tallyframe", L"塔利帧"};  // main window, every message box
inline constexpr BilingualText settingsWindowTitle{L"Tallyframe - Settings", L"塔利帧 - 设置"};
inline constexpr BilingualText settingsWarningTitle{L"Tallyframe settings", L"塔利帧设置"};
inline constexpr BilingualText updatePromptTitle{L"Tallyframe update", L"塔利帧更新"};
inline constexpr BilingualText updateCheckTitle{L"Check for updates", L"检查更新"};

// ---- Main window controls (labels, by control id) -----------------------------
inline constexpr BilingualText startButton{L"Start long screenshot", L"开始截长图"};            // 1
inline constexpr BilingualText openImageButton{L"Open image", L"打开图片"};                     // 2
inline constexpr BilingualText captureAnotherButton{L"Capture another", L"再截一张"};           // 3
inline constexpr BilingualText settingsButton{L"Settings", L"设置"};                            // 4, also its tooltip
inline constexpr BilingualText openFolderButton{L"Open containing folder", L"打开所在文件夹"};  // 5
inline constexpr BilingualText generalNavigation{L"General", L"基础设置"};                      // 20
inline constexpr BilingualText helpNavigation{L"Help", L"使用帮助"};                            // 21
inline constexpr BilingualText aboutNavigation{L"About Tallyframe", L"关于塔利帧"};             // 22, 45
inline constexpr BilingualText changeFolderCommand{L"Change capture folder", L"更改截图保存位置"};  // 30 (main)
inline constexpr BilingualText languageCommand{L"Interface language: English", L"界面语言：简体中文"};  // 31
inline constexpr BilingualText openResultCommand{L"Open result when complete", L"完成后打开结果"};      // 32 (main)
inline constexpr BilingualText captureLoggingCommand{L"Enable capture logging", L"开启截图日志"};       // 33
inline constexpr BilingualText productHomeCommand{L"Product home", L"站点首页"};                        // 40
inline constexpr BilingualText productSiteCommand{L"Open the Tallyframe website", L"打开塔利帧产品站点"};  // 41
inline constexpr BilingualText feedbackCommand{L"Feedback", L"问题反馈"};                               // 42
inline constexpr BilingualText checkUpdatesCommand{L"Check for updates", L"检查更新"};                  // 43
inline constexpr BilingualText publisherCredit{L"Made by Quorvelle", L"Quorvelle 出品"};                // 44

// ---- Main window messages -------------------------------------------------------
inline constexpr BilingualText stitchFailedMessage{
    L"The image could not be stitched or saved. Select the area and try again.",
    L"拼接或保存图片时发生错误，请重新选择区域后再试。"};
inline constexpr BilingualText closeWhileSavingMessage{
    L"The image is being stitched and saved. Wait for it to finish.", L"正在拼接并保存图片，请等待完成。"};
inline constexpr BilingualText mainWindowFailedMessage{L"The main window could not be created.", L"无法创建主窗口。"};
// Shown once at start when settings.ini is not a small regular file: before +
// the file's path + middle + one of the reasons + after.
inline constexpr BilingualText settingsFileUnusedBefore{L"The settings file ", L"未读取设置文件 "};
inline constexpr BilingualText settingsFileUnusedMiddle{L" was not read: ", L"："};
inline constexpr BilingualText settingsFileNotRegular{L"it is not an ordinary file", L"它不是普通文件"};
inline constexpr BilingualText settingsFileTooLarge{L"it is larger than any settings file can be (1 MiB)",
                                                    L"它超过了设置文件应有的大小（1 MiB）"};
inline constexpr BilingualText settingsFileUnreadable{L"it cannot be opened", L"无法打开它"};
inline constexpr BilingualText settingsFileUnusedAfter{
    L". Tallyframe starts with the default settings and will not change that file.",
    L"。塔利帧将以默认设置启动，且不会改动该文件。"};

// ---- Update check ---------------------------------------------------------------
// The prompt is before + the tag exactly as found + after.
inline constexpr BilingualText updatePromptBefore{L"Version ", L"发现新版本 "};
inline constexpr BilingualText updatePromptAfter{L" is available. Open the download page?", L"，是否打开下载页面？"};
inline constexpr BilingualText upToDateMessage{L"Tallyframe is up to date.", L"当前已是最新版本。"};
inline constexpr BilingualText updateUnavailableMessage{L"Updates could not be checked. Try again later.",
                                                        L"暂时无法检查更新，请稍后重试。"};

// ---- Capture: selection overlay and capture controller ----------------------------
inline constexpr BilingualText overlayFailedMessage{L"The capture overlay could not be created.",
                                                    L"无法创建截图覆盖层。"};
inline constexpr BilingualText wheelDisabledMessage{
    L"The Windows mouse wheel setting is configured not to scroll. Enable vertical scrolling and try again.",
    L"Windows 的鼠标滚轮设置为不滚动。请启用垂直滚动后重试。"};
inline constexpr BilingualText wheelInputFailedMessage{L"Mouse-wheel input could not be sent, so the capture was stopped.",
                                                       L"无法发送滚轮输入，截图已停止。"};
inline constexpr BilingualText scrollInputFailedMessage{L"Scrolling input could not be sent, so the capture was stopped.",
                                                        L"无法发送滚动输入，截图已停止。"};
inline constexpr BilingualText targetElevatedMessage{
    L"The window under the area belongs to a program running as administrator, and Windows does not let another "
    L"program scroll it. Turn on \"I scroll the area myself\" in Settings and scroll it yourself, or run Tallyframe "
    L"as administrator.",
    L"截图区域下的窗口属于以管理员身份运行的程序，Windows 不允许其他程序滚动它。请在设置中开启\u201C我自己滚动截图区域\u201D"
    L"后自己滚动，或以管理员身份运行塔利帧。"};
// Arguments: candidate overlap (int, px), score (double).
inline constexpr BilingualText lostOverlapMessage{
    L"The next frame no longer overlapped the previous frame (%d px candidate overlap, score %.2f). Capture stopped "
    L"to avoid an incomplete image.",
    L"单次滚动后与上一帧失去重叠（候选重叠 %d px，分数 %.2f），已停止以避免生成缺失内容的长图。"};

// ---- Capture overlay drawing (prompt strip) -----------------------------------------
inline constexpr BilingualText selectingTitle{L"Click a window or drag an area", L"单击窗口，或拖动选择区域"};
// The prompt's second line while selecting: the direction chosen, and the key that changes it.
inline constexpr BilingualText selectingDownStatus{L"Scrolls down \u2193 \u00B7 \u2192 for sideways",
                                                   L"向下滚动 \u2193 \u00B7 按 \u2192 改为横向"};
inline constexpr BilingualText selectingRightStatus{L"Scrolls sideways \u2192 \u00B7 \u2193 for down",
                                                    L"横向滚动 \u2192 \u00B7 按 \u2193 改为向下"};
inline constexpr BilingualText capturingTitle{L"Capturing while auto-scrolling", L"正在自动滚动截图"};
// The strip of a manual capture: the title, and the warning that replaces it
// while the picture no longer overlaps the last kept frame.
inline constexpr BilingualText manualCapturingTitle{L"Scroll the area at your own pace", L"请按自己的节奏滚动截图区域"};
inline constexpr BilingualText scrolledTooFarWarning{L"Scrolled too far: scroll back a little", L"滚动过快：请往回滚动一点"};
inline constexpr BilingualText scrollModeCommand{L"I scroll the area myself", L"我自己滚动截图区域"};
inline constexpr BilingualText scrollModeDescription{L"For windows that ignore automatic scrolling; the capture follows you",
                                                     L"适用于不接受自动滚动的窗口，截图跟随您的滚动"};
inline constexpr BilingualText captureSidewaysCommand{L"Scroll sideways", L"横向滚动截图"};
inline constexpr BilingualText captureSidewaysDescription{L"For content that scrolls to the right; arrow keys change it per capture",
                                                        L"用于向右滚动的内容；选区时可用方向键临时切换"};
inline constexpr BilingualText startFromTopCommand{L"Start from the top of the page", L"从页面顶部开始"};
inline constexpr BilingualText startFromTopDescription{L"An automatic capture first scrolls the page to its top",
                                                       L"自动截图前先将页面滚动到顶部"};
inline constexpr BilingualText savingTitle{L"Generating image", L"正在生成图片"};
inline constexpr BilingualText cancelHint{L"Cancel", L"取消"};
inline constexpr BilingualText finishHint{L"Finish and save", L"结束并保存"};
inline constexpr BilingualText escKeyCap{L"Esc", L"Esc"};
// Arguments: frame count (unsigned), height (unsigned long long). "·" is U+00B7.
inline constexpr BilingualText capturingStatus{L"Captured %u frames \u00B7 %llu px", L"已捕获 %u 帧 \u00B7 %llu px"};
// An automatic capture's line, which the overlay draws again while it runs.
inline constexpr BilingualText autoCapturingStatus{L"Captured %u frames \u00B7 %llu px \u00B7 %llu s",
                                                   L"已捕获 %u 帧 \u00B7 %llu px \u00B7 %llu 秒"};
// Arguments: frame count (unsigned), stage text (wide string, one of the three below).
inline constexpr BilingualText savingStatus{L"%u frames \u00B7 %ls", L"拼接 %u 帧 \u00B7 %ls"};
inline constexpr BilingualText mergingStage{L"merging", L"正在合并"};          // savingStage 0
inline constexpr BilingualText encodingStage{L"encoding PNG", L"正在编码 PNG"};  // savingStage 1
inline constexpr BilingualText writingStage{L"writing PNG", L"正在写入 PNG"};    // savingStage 2

// ---- Main window pages -----------------------------------------------------------------
inline constexpr BilingualText homeTitle{L"Scrolling Screenshot", L"滚动截长图"};
inline constexpr BilingualText homeSubtitle{L"Select an area to scroll and stitch into one long image",
                                            L"框选区域，自动滚动并拼接为一张完整长图"};
inline constexpr BilingualText homeHint{L"Click, then drag to select an area", L"点击后拖动鼠标框选区域"};
inline constexpr BilingualText resultTitle{L"Long screenshot saved", L"长截图已保存"};
inline constexpr BilingualText resultSubtitle{L"Automatically scrolled and stitched into one long image",
                                              L"已自动滚动并拼接为一张完整长图"};
// Arguments: width, height (unsigned long long), frames (unsigned), milliseconds (unsigned long long).
inline constexpr BilingualText resultStatistics{L"%llu \u00D7 %llu px  \u00B7  %u frames  \u00B7  %llu ms",
                                                L"%llu \u00D7 %llu px  \u00B7  拼接 %u 帧  \u00B7  %llu ms"};
// The subtitle after a manual capture, which did not scroll by itself.
inline constexpr BilingualText manualResultSubtitle{L"Stitched into one long image as you scrolled",
                                                    L"已按您的滚动拼接为一张完整长图"};
// In place of the result subtitle when the frame limit ended the capture
// before the page ended. Argument: the limit (int, frames).
inline constexpr BilingualText frameLimitResultSubtitle{
    L"The capture stopped at its %d-frame limit: the page goes on past the end of this image.",
    L"截图已在 %d 帧上限处停止：页面在此图末尾之后还有内容。"};
// In place of the result subtitle when the size limit ended the capture
// before the page ended.
inline constexpr BilingualText pixelLimitResultSubtitle{
    L"The capture stopped at its size limit: the page goes on past the end of this image.",
    L"截图已在图片尺寸上限处停止：页面在此图末尾之后还有内容。"};
inline constexpr BilingualText savedToPrefix{L"Saved to: ", L"保存至："};
// In place of the result subtitle when an automatic capture never moved the page.
inline constexpr BilingualText pageNeverMovedHint{
    L"The page did not move: this window may not accept automatic scrolling (for example, a program running as "
    L"administrator). Turn on \"I scroll the area myself\" in Settings to capture it.",
    L"页面没有移动：此窗口可能不接受自动滚动（例如以管理员身份运行的程序）。请在设置中开启\u201C我自己滚动截图区域\u201D后再截取。"};
inline constexpr BilingualText copyPathButton{L"Copy path", L"复制路径"};
inline constexpr BilingualText copiedButton{L"Copied", L"已复制"};
inline constexpr BilingualText copyImageButton{L"Copy image", L"复制图片"};  // 6
inline constexpr BilingualText copyTooLargeMessage{L"The image is too large for the clipboard. The saved file is unchanged.",
                                                   L"图片太大，无法放到剪贴板。已保存的文件不受影响。"};
inline constexpr BilingualText copyBusyMessage{
    L"Another program is using the clipboard. Try again in a moment.", L"剪贴板正被其他程序占用，请稍后再试。"};
inline constexpr BilingualText copyFailedMessage{L"The image could not be copied. The saved file is unchanged.",
                                                 L"无法复制图片。已保存的文件不受影响。"};

// ---- Settings pages: header ---------------------------------------------------------------
inline constexpr BilingualText settingsHeader{L"Settings", L"设置"};
inline constexpr BilingualText settingsSubtitle{L"Adjust capture storage and app behavior", L"调整截图保存与应用行为"};
inline constexpr BilingualText helpHeader{L"Help", L"使用帮助"};
inline constexpr BilingualText helpSubtitle{L"Create a long screenshot in three steps", L"三步完成滚动长截图"};
inline constexpr BilingualText aboutHeader{L"About Tallyframe", L"关于塔利帧"};
inline constexpr BilingualText aboutSubtitle{L"Application, version, and publisher", L"应用信息、版本与发布者"};

// ---- Settings window: general page --------------------------------------------------------
inline constexpr BilingualText captureFolderLabel{L"Capture folder", L"截图保存位置"};
inline constexpr BilingualText captureFolderDescription{L"Long screenshots are saved in this folder",
                                                        L"生成的长图自动保存在此目录"};
inline constexpr BilingualText chooseFolderControl{L"Choose capture folder", L"选择截图保存位置"};  // 30 (window text)
inline constexpr BilingualText chooseButton{L"Choose", L"选择"};                                   // 30 (drawn label)
inline constexpr BilingualText languageLabel{L"Interface language", L"界面语言"};                  // also 31's text
inline constexpr BilingualText languageDescription{L"Changes apply immediately", L"修改后立即应用"};
inline constexpr BilingualText languageName{L"English", L"简体中文"};  // the current language, on control 31
inline constexpr BilingualText openAfterLabel{L"Open image after completion", L"完成后打开图片"};  // also 32's text
inline constexpr BilingualText openAfterDescription{L"Open the image after saving", L"截图保存完成后自动打开图片"};
inline constexpr BilingualText loggingLabel{L"Enable capture logging", L"开启截图日志"};  // also 33's text
inline constexpr BilingualText loggingDescription{L"Save capture logs and intermediate frames when enabled",
                                                  L"开启后保存截图日志与中间过程"};
inline constexpr BilingualText copyAfterLabel{L"Copy the image after capturing", L"截图后复制图片"};  // also 34's text
inline constexpr BilingualText copyAfterDescription{L"Put each saved image on the clipboard",
                                                    L"每次保存后把图片放到剪贴板"};
inline constexpr BilingualText captureHotkeyLabel{L"Capture hotkey", L"截图快捷键"};  // also 35's text
inline constexpr BilingualText captureHotkeyDescription{L"Starts a long screenshot from any program",
                                                        L"在任意程序中开始截长图"};
inline constexpr BilingualText hotkeyNone{L"None", L"无"};                                  // 35 with no chord
inline constexpr BilingualText hotkeyRecording{L"Press a key chord", L"请按下快捷键"};       // 35 while recording
inline constexpr BilingualText hotkeyInUseNotice{L"In use by another program", L"已被其他程序占用"};
inline constexpr BilingualText hotkeyFailedNotice{L"Could not be registered", L"无法注册"};
inline constexpr BilingualText feedbackLink{L"Feedback", L"问题反馈"};  // 42

// ---- Settings window: help page -----------------------------------------------------------
inline constexpr BilingualText stepSelectTitle{L"Select area", L"选择区域"};
inline constexpr BilingualText stepSelectDescription{L"Drag to select the page area", L"拖动鼠标框选页面"};
inline constexpr BilingualText stepScrollTitle{L"Auto scroll", L"自动滚动"};
inline constexpr BilingualText stepScrollDescription{L"Scrolling starts automatically", L"松开鼠标后自动滚动"};
inline constexpr BilingualText stepFinishTitle{L"Finish and save", L"结束并保存"};
inline constexpr BilingualText stepFinishDescription{L"Press Esc to save the result", L"按 Esc 结束并生成长图"};
inline constexpr BilingualText faqRow{L"Frequently asked questions", L"常见问题"};
inline constexpr BilingualText websiteRow{L"Visit the Tallyframe website", L"访问塔利帧产品站点"};
inline constexpr BilingualText sendFeedbackRow{L"Send feedback", L"反馈问题"};

// ---- Settings window: about page ----------------------------------------------------------
inline constexpr BilingualText aboutTagline{L"Lightweight scrolling capture  \u00B7  v" TALLYFRAME_VERSION,
                                            L"轻量滚动截屏工具  \u00B7  v" TALLYFRAME_VERSION};
inline constexpr BilingualText publisherLine{L"Published by Quorvelle", L"由 Quorvelle 发布"};
inline constexpr BilingualText rightsLine{L"\u00A9 2026 Quorvelle. All rights reserved.",
                                          L"\u00A9 2026 Quorvelle 保留所有权利。"};

// ---- Capture-folder picker and language menu ----------------------------------------------
inline constexpr BilingualText folderDialogTitle{L"Choose capture folder", L"选择截图保存位置"};
// The menu names each language in its own script, whatever the current language.
inline constexpr BilingualText chineseMenuItem{L"简体中文", L"简体中文"};
inline constexpr BilingualText englishMenuItem{L"English", L"English"};
inline constexpr BilingualText folderNotSavedMessage{
    L"The setting could not be saved. The selected folder will still be used for this session.",
    L"保存设置失败，本次运行仍会使用所选目录。"};
inline constexpr BilingualText languageNotSavedMessage{
    L"The language setting could not be saved. The selected language will still be used for this session.",
    L"保存语言设置失败，本次运行仍会使用所选语言。"};

// ---- Review window ------------------------------------------------------------------------
inline constexpr BilingualText reviewWindowTitle{L"Tallyframe - Review", L"塔利帧 - 查看"};
inline constexpr BilingualText reviewButton{L"Review", L"查看"};  // result page, key R
inline constexpr BilingualText saveTrimmedButton{L"Save trimmed", L"保存裁剪结果"};
inline constexpr BilingualText cutAtSeamCommand{L"Cut at this seam", L"在此拼接处裁剪"};
inline constexpr BilingualText dropAfterSeamCommand{L"Drop everything after it", L"删去其后的全部内容"};
inline constexpr BilingualText dropBeforeSeamCommand{L"Drop everything before it", L"删去其前的全部内容"};
inline constexpr BilingualText reviewAfterLabel{L"Review after each capture", L"每次截图后查看"};
inline constexpr BilingualText reviewAfterDescription{L"Shows every seam and lets you trim the image before you share it",
                                                      L"显示每处拼接，分享前可先裁剪图片"};
inline constexpr BilingualText splitTallLabel{L"Split tall screenshots into parts", L"长截图分段保存"};
// The row says the limits that end a capture, which bound how long an image gets.
inline constexpr BilingualText splitTallDescription{L"A capture stops, saved, at 1,000 frames or 250 million pixels",
                                                    L"截图最多 1000 帧或 2.5 亿像素，到达即停止并保存"};
inline constexpr BilingualText splitOffChoice{L"Off", L"关闭"};
inline constexpr BilingualText split16000Choice{L"16,000 px", L"16,000 像素"};
inline constexpr BilingualText split32000Choice{L"32,000 px", L"32,000 像素"};
// In place of the result subtitle after a split save. Arguments: the parts
// (unsigned), the part length (int, px).
inline constexpr BilingualText splitPartsResultSubtitle{
    L"Saved in %u parts of up to %d px each; the path below is the first part.",
    L"已分为 %u 段保存，每段最长 %d 像素；下方路径为第一段。"};
// In place of the result subtitle when splitting is off and the image is
// longer than some viewers show. Argument: the length (long long, px).
inline constexpr BilingualText tallImageResultSubtitle{
    L"This image is %lld px long: some viewers cannot show it. Turn on \"Split tall screenshots into parts\" in "
    L"Settings to save such images in parts.",
    L"此图长 %lld 像素，部分看图软件无法显示。可在设置中开启\u201C长截图分段保存\u201D，将这类图片分段保存。"};
inline constexpr BilingualText reviewLoadingText{L"Loading the image\u2026", L"正在载入图片\u2026"};
inline constexpr BilingualText reviewLoadFailedMessage{L"The image could not be opened for review.",
                                                       L"无法打开图片进行查看。"};
inline constexpr BilingualText trimmedSaveFailedMessage{
    L"The trimmed image could not be saved. The original file is unchanged.", L"无法保存裁剪后的图片，原文件未改动。"};
// The review's status line. Arguments: image width and height, kept width and
// height (int, px), seam count (unsigned), zoom (int, percent).
inline constexpr BilingualText reviewStatusFormat{L"%d \u00d7 %d px  \u00b7  kept %d \u00d7 %d  \u00b7  %u seams  \u00b7  %d %%",
                                                  L"%d \u00d7 %d px  \u00b7  保留 %d \u00d7 %d  \u00b7  %u 处拼接  \u00b7  %d %%"};
// The image's automation name. Arguments as the status line's first five.
inline constexpr BilingualText reviewImageNameFormat{L"Captured image, %d \u00d7 %d px, kept %d \u00d7 %d px, %u seams",
                                                     L"截图，%d \u00d7 %d px，保留 %d \u00d7 %d px，%u 处拼接"};
inline constexpr BilingualText keysHintText{L"T B L R edge  \u00b7  arrows move  \u00b7  N next seam  \u00b7  Enter save  \u00b7  Esc close",
                                            L"T B L R 选边  \u00b7  方向键移动  \u00b7  N 下一处拼接  \u00b7  Enter 保存  \u00b7  Esc 关闭"};
// A seam mark's tooltip and automation name. Arguments: the two frames
// (unsigned, counted from 1), the overlap (int, px), the reasons (wide string).
inline constexpr BilingualText seamMarkFormat{L"Frames %u and %u: overlap %d px, %ls",
                                              L"第 %u 与第 %u 帧：重叠 %d px，%ls"};
// The reasons, one or more joined by the separator. Arguments as noted.
inline constexpr BilingualText seamReasonSeparator{L"; ", L"；"};
// Between a mark's kind and its text: Chinese takes the full-width colon its text already uses.
inline constexpr BilingualText seamKindSeparator{L": ", L"："};
inline constexpr BilingualText seamSolidReason{L"matched over many agreeing rows (score %.2f)",  // score
                                               L"多行一致，匹配可靠（分数 %.2f）"};
inline constexpr BilingualText seamThinReason{L"matched on thin evidence (score %.2f)",  // score
                                              L"匹配依据不足（分数 %.2f）"};
inline constexpr BilingualText seamPanelsReason{
    L"matched between the side panels, which are shown once (score %.2f)",  // score
    L"在侧栏之间匹配，侧栏只保留一份（分数 %.2f）"};
inline constexpr BilingualText seamSmallShiftReason{L"joined by a small shift of %d px",  // rows
                                                    L"按 %d px 的小幅移动拼接"};
inline constexpr BilingualText seamIdenticalRowsReason{L"placed by %d identical rows",  // rows
                                                       L"按 %d 行完全相同的像素定位"};
inline constexpr BilingualText seamOwnPanelsReason{L"matched around the side panels these two frames show",
                                                   L"按这两帧自己的侧栏匹配"};
inline constexpr BilingualText seamOtherReason{L"decided by another fallback (%ls)",  // the stitch's note
                                               L"由其他后备规则决定（%ls）"};
// The kinds by name, weakest first (a legend, the marks' kind in automation).
inline constexpr BilingualText seamFallbackKind{L"Fallback", L"后备规则"};
inline constexpr BilingualText seamThinKind{L"Thin evidence", L"依据不足"};
inline constexpr BilingualText seamPanelsKind{L"Side panels shown once", L"侧栏只保留一份"};
inline constexpr BilingualText seamSolidKind{L"Solid match", L"可靠匹配"};

// ---- Automation names that no label carries ------------------------------------------------
inline constexpr BilingualText minimizeName{L"Minimize", L"最小化"};           // 10
inline constexpr BilingualText closeName{L"Close", L"关闭"};                   // 11
inline constexpr BilingualText closeSettingsName{L"Close settings", L"关闭设置"};  // 12
inline constexpr BilingualText otherControlName{L"Tallyframe control", L"塔利帧控件"};

}  // namespace texts
}  // namespace tf
