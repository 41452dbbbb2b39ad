// SPDX-License-Identifier: GPL-3.0-or-later
// The skin image ids by role, for the controls, the windows and the graph to name images by.
//
// Sizes are in pixels; every id here has a PNG in resources/skin/ whose size is listed in
// tools/skin_manifest.tsv. Ids of images with words have an English PNG of the same size in
// resources/skin_en/ as well, which LoadSkin takes under SetSkinLanguage(English) (graph/skin.h).
// Where a control draws an image "revealed" (fills), the image covers the whole control from
// (0, 0) and is transparent outside the bar, because the drawing primitives reveal rows or
// columns in place.
#pragma once

namespace mirelune::skin::id {

// --- Vertical faders (frmRec, 74 x 180) and EQ band strips (43 x 178 / 224) ---
constexpr int kValueBoxSmall = 101;      // 24 x 16, master slider value box
constexpr int kThumbV = 102;             // 24 x 16, vertical thumb
constexpr int kFaderFill = 103;          // 74 x 152, revealed from the thumb down
constexpr int kFaderBack = 104;          // 74 x 156, drawn at (0, 2)
constexpr int kStripLabel = 105;         // 26 x 9, default LabelID of a strip, drawn at (15, 0)
constexpr int kLabelReverbRight = 106;   // 44 x 14, channel labels of the recording faders
constexpr int kThumbVGrey = 107;         // 24 x 16
constexpr int kThumbHGrey = 108;         // 15 x 22
constexpr int kLabelEchoLeft = 109;      // 44 x 14
constexpr int kDragHandle = 110;         // 100 x 30, MBtnFlag1
constexpr int kLabelMusicRight = 111;    // 44 x 14
constexpr int kStripFill = 112;          // 43 x 178, singing mode / plain
constexpr int kStripBack = 113;          // 43 x 178
constexpr int kStripBackTall = 374;      // 43 x 224
constexpr int kStripFillTall = 375;      // 43 x 224
constexpr int kStripFillTallDance = 376;
constexpr int kStripFillTallGrey = 377;
constexpr int kStripFillGrey = 272;      // 43 x 178
constexpr int kStripFillDance = 276;     // 43 x 178
constexpr int kThumbVFocus = 270;        // 24 x 16, the selected band's thumb

// Q-type buttons of a strip, 16 x 18 each, rows at y 60, 78, 96.
constexpr int kQPeakOn = 129, kQPeakOff = 130;
constexpr int kQLowShelfOn = 131, kQLowShelfOff = 132;
constexpr int kQHighShelfOn = 133, kQHighShelfOff = 134;
constexpr int kQPeakOnGrey = 300, kQLowShelfOnGrey = 301, kQHighShelfOnGrey = 302;
// Band bypass switch of a strip, 22 x 11, at (17, 166 + 42s).
constexpr int kBandOn = 294, kBandBypassed = 295;

// --- Horizontal sliders ---
constexpr int kTrackLarge = 135;         // 150 x 40 (HScrollSize 0, 1)
constexpr int kFillLarge = 136, kFillLargeGrey = 271, kFillLargeDance = 275;
constexpr int kThumbH = 137;             // 15 x 22
constexpr int kValueBoxStyle4 = 138;     // 32 x 16
constexpr int kValueBoxStyle3 = 139;     // 50 x 16
constexpr int kTrack = 140;              // 136 x 26 (HScrollSize 2, 3, 4)
constexpr int kFill = 141, kFillGrey = 273, kFillDance = 277;
constexpr int kMasterTrack = 220;        // 156 x 28, style 6
constexpr int kMasterFill = 221, kMasterFillMuted = 274;
constexpr int kValueBox = 269;           // 30 x 18
constexpr int kValueBoxWide = 382;       // 32 x 18
constexpr int kKnob = 182;               // 127 x 127, pointer up at angle 0
// Mute icon of faders, 12 x 10: muted / muted pressed / open / open pressed.
constexpr int kMuteIconOn = 308, kMuteIconOnPressed = 309;
constexpr int kMuteIconOff = 310, kMuteIconOffPressed = 311;

// --- Option lists ---
constexpr int kComboBox = 150;           // 138 x 21
constexpr int kComboArrow = 151, kComboArrowPressed = 152;          // 13 x 12
constexpr int kComboArrowSmall = 227, kComboArrowSmallPressed = 228;  // 13 x 14
constexpr int kComboReverbBack = 144;    // 82 x 20, drawn at (5, 0)
constexpr int kComboDisabled = 316;      // 138 x 21 overlay
constexpr int kItemsFilterType = 153;    // ..157, 112 x 13, ShowType 0
constexpr int kItemsOutputFilter = 224;  // ..225, 112 x 13, ShowType 1
constexpr int kItemsModeNumber = 229;    // ..238, 74 x 20, ShowType 2
constexpr int kItemsReverbPreset = 318;  // ..322, 62 x 13, ShowType 3
constexpr int kItemsAutoManual = 363;    // ..364, 74 x 20, ShowType 4
constexpr int kItemsOffCount = 365;      // ..368, 74 x 20, ShowType 5
constexpr int kItemsLevel = 369;         // ..372, 74 x 20, ShowType 6

// --- Flag buttons (pairs are normal, pressed/on) ---
constexpr int kToggle = 142, kToggleOn = 143;                 // 24 x 20
constexpr int kToggleHidden = 304, kToggleOnHidden = 305;
constexpr int kPageMusic = 158;          // 104 x 33 each, +1 = pressed
constexpr int kPageMic12 = 160;
constexpr int kPageMic3 = 162;
constexpr int kPageEffects = 164;
constexpr int kPageMain = 166;
constexpr int kPageCentre = 168;
constexpr int kPageAux = 170;
constexpr int kPageSub = 172;
constexpr int kPageRecord = 174;
constexpr int kReset = 188;              // 71 x 22, +1 pressed
constexpr int kBypass = 190;             // 71 x 22, +1 on
constexpr int kRedo = 192;               // 23 x 22, +1 pressed
constexpr int kUndo = 194;               // 23 x 22, +1 pressed
constexpr int kPhaseSwitchHidden0 = 196, kPhaseSwitchHidden180 = 197;
constexpr int kTargetOnHidden = 198, kTargetOffHidden = 199;
constexpr int kExit = 208;               // 24 x 24, +1 pressed
constexpr int kMinimise = 216;           // 23 x 24, +1 pressed
constexpr int kRadio = 218, kRadioOn = 219;                   // 16 x 16
constexpr int kDanceMode = 280;          // 64 x 22, +1 selected
constexpr int kSingMode = 282;           // 64 x 22, +1 selected
constexpr int kModeCopy = 284;           // 71 x 22, +1 pressed
constexpr int kTabReverbOn = 286, kTabReverb = 287;           // 72 x 31
constexpr int kTabEchoOn = 288, kTabEcho = 289;
constexpr int kTabEffectOn = 290, kTabEffect = 291;
constexpr int kMasterMute = 292, kMasterMuteOn = 293;         // 24 x 20
constexpr int kBassAutoOn = 296;         // 38 x 22, +1 selected
constexpr int kBassAutoOff = 298;        // 38 x 22, +1 selected
constexpr int kProSettings = 312, kProSettingsPressed = 313;  // 67 x 29
constexpr int kProSettingsDisabled = 317;
constexpr int kMicCopyPressed = 314, kMicCopy = 315;          // 71 x 22
constexpr int kLinkSwitchedOff = 359;    // 102 x 27
constexpr int kLinkOffline = 361, kLinkOnline = 362;
constexpr int kTargetOff = 378, kTargetOn = 379;              // 29 x 27
constexpr int kPhase0 = 380, kPhase180 = 381;                 // 74 x 17

// --- Response graph ---
constexpr int kGraphBack = 303;          // 320 x 104, stretched to the graph
constexpr int kBypassOverlay = 226;      // 200 x 56
constexpr int kMarkerInactive = 279;     // 12 x 12, drawn at -6
constexpr int kMarkerSelected = 325;     // + t (0..16), 32 x 32, drawn at -16
constexpr int kMarkerSmall = 342;        // + t (0..16), 16 x 16, drawn at -8
constexpr int kMarkerCount = 17;         // t: EQ band 0..14, 15 low-pass, 16 high-pass

}  // namespace mirelune::skin::id
