#pragma once

// Where every picture of the sprite sheet lies, and the places on the screen
// that the game and the generator's previews both draw at: the one place to
// move one. Rectangles are (x1, y1)-(x2, y2), the second corner exclusive.
// Shared by the game, the data generator and the tests.

namespace layout {

struct Rect {
  int x1, y1, x2, y2;
  constexpr int w() const { return x2 - x1; }
  constexpr int h() const { return y2 - y1; }
};
struct Place {
  int x, y;
};

/// The sheet: its first 1024 rows hold the game's pictures; below them, bands
/// for what came later (the rows y 1152 to 1599 and 1920 to 2047 are kept for
/// pictures to come).
constexpr int kSheetWidth = 1024, kSheetHeight = 2048;
/// The game area, in its own pixels.
constexpr int kScreenWidth = 320, kScreenHeight = 480;

// ---- the sheet: screens ----------------------------------------------------
constexpr Rect kTitle{0, 0, 320, 480};
constexpr Rect kTitleTopDoor{0, 0, 320, 240}; ///< the title's halves slide apart
constexpr Rect kTitleBottomDoor{0, 240, 320, 480};
constexpr Rect kMenuBackground{320, 0, 640, 480};
constexpr Rect kPlayBackground{640, 0, 960, 480};
/// The strip of the play background drawn again over the feeder line.
constexpr Rect kFeederStrip{640, 35, 960, 54};

// ---- the sheet: menu, help, scores ------------------------------------------
/// PLAY, HIGH SCORES, HELP, QUIT, BACK.
constexpr Rect kButtons[5] = {{780, 524, 1023, 570}, {780, 575, 1023, 630}, {780, 633, 1023, 686},
                          {780, 706, 1023, 756}, {780, 762, 1023, 815}};
constexpr Rect kScoresTitle = kButtons[1];
constexpr Rect kNotice{22, 795, 227, 815};
constexpr Rect kHelpPanel{474, 677, 786, 1012};
constexpr int kCreditX1 = 789, kCreditX2 = 1020;
constexpr int kCreditRows[7][2] = {{877, 893}, {893, 912}, {912, 929}, {929, 948}, {948, 966}, {966, 984}, {984, 1001}};
constexpr Rect kLeaderDot{7, 868, 13, 875};

// ---- the sheet: switches, focus, pause ---------------------------------------
/// The music and sound-effect switches, each on and off.
constexpr Rect kMusicOn{964, 4, 992, 32}, kMusicOff{996, 4, 1024, 32};
constexpr Rect kSoundsOn{964, 36, 992, 64}, kSoundsOff{996, 36, 1024, 64};
/// Points at the menu button the keyboard or the gamepad has the focus on.
constexpr Rect kFocusArrow{964, 72, 988, 102};
constexpr Rect kPausePanel{100, 484, 340, 610};
/// Shown over the play while a replay is watched.
constexpr Rect kReplayMark{235, 768, 425, 802};
/// Offered by PLAY when a game was left unfinished: CONTINUE above, NEW GAME
/// below, each half of the panel a button.
constexpr Rect kResumePanel{490, 562, 770, 672};

// ---- the sheet: what could not be kept (the band y 1024 to 1151) ---------------
/// The notice's two halves, one row each: what was not kept (in the order
/// of Unkept: the high scores, a replay, a setting, the unfinished game,
/// nothing at all), its words ending at the right of its box; and why (in
/// the order of Cause, from the disk full on), its words starting at the
/// left of its box. The two meet on the screen at kKeepNoticeJoin.
constexpr int kUnkeptBandY = 1024, kUnkeptRowHeight = 16;
constexpr int kUnkeptWhatWidth = 176, kUnkeptWhyX = 512, kUnkeptWhyWidth = 136;
constexpr Rect unkeptWhat(int i) {
  return {0, kUnkeptBandY + kUnkeptRowHeight * i, kUnkeptWhatWidth, kUnkeptBandY + kUnkeptRowHeight * (i + 1)};
}
constexpr Rect unkeptWhy(int i) {
  return {kUnkeptWhyX, kUnkeptBandY + kUnkeptRowHeight * i, kUnkeptWhyX + kUnkeptWhyWidth,
          kUnkeptBandY + kUnkeptRowHeight * (i + 1)};
}
constexpr int kUnkeptWhats = 5, kUnkeptWhys = 4;

// ---- the sheet: the daily wall (the band y 1152 to 1599) -----------------------
constexpr int kDailyBandY = 1152, kDailyBandHeight = 448;
/// The notice's what for the daily table, as the notice's own (unkeptWhat).
constexpr Rect kDailyNotKept{0, 1152, kUnkeptWhatWidth, 1152 + kUnkeptRowHeight};
/// Under the score in a daily game: which it is.
constexpr Rect kScoredTryTag{200, 1152, 330, 1170}, kPracticeTag{340, 1152, 470, 1170};
/// A dash in the score digits' style: the dates are digits and dashes.
constexpr Rect kDigitDash{480, 1152, 490, 1170};
/// TODAY'S WALL: the menu's button, also the daily screen's heading.
constexpr Rect kDailyButton{0, 1172, 243, 1208};
/// The daily screen's start: the scored try, or practice.
constexpr Rect kStartScored{250, 1172, 493, 1212}, kStartPractice{500, 1172, 743, 1212};
/// SEND, beside a row of either table.
constexpr Rect kSendButton{750, 1172, 826, 1192};
/// What the day's wall offers (in the order of DailyTry), two short lines.
constexpr int kDailyTries = 4;
constexpr Rect dailyTryText(int i) {
  return i < 3 ? Rect{310 * i, 1216, 310 * i + 300, 1250} : Rect{0, 1254, 300, 1288};
}
/// The daily screen's other words: no try kept yet; the streak's label,
/// its number after it; the row of a practice game just played.
constexpr Rect kNoDailyRows{310, 1254, 610, 1270};
constexpr Rect kStreakLabel{620, 1254, 740, 1270};
constexpr Rect kPracticeRowLabel{830, 1254, 1000, 1270};
/// SEND's outcome: where the file went (the path follows, in the ASCII
/// glyph strip's characters) or
/// that it could not be written; the link copied, or none for want of an
/// address; how to go on.
constexpr Rect kSentWritten{0, 1292, 280, 1308}, kSentNotWritten{290, 1292, 570, 1308};
constexpr Rect kSentGoOn{580, 1292, 860, 1308};
constexpr Rect kLinkCopied{0, 1312, 280, 1346}, kNoLink{290, 1312, 570, 1346};
/// A game received: verified (its score after the first words, the wall's
/// day after the second, each ending at the right of its box), or refused
/// with its reason (in the order of Verdict, from kDamaged).
constexpr Rect kVerifiedScore{0, 1350, 150, 1366}, kVerifiedWall{160, 1350, 310, 1366};
constexpr Rect kRefusedHeading{320, 1350, 560, 1386};
constexpr int kRefusals = 3;
constexpr Rect refusalText(int i) { return {290 * i, 1390, 290 * i + 280, 1424}; }

// ---- the sheet: records carried, a page's keys (the band y 1920 to 2047) -------
constexpr int kCarriedBandY = 1920;
/// The help panel's rows that say the keys a page takes for itself (its
/// full-screen and size line, its screenshot and quit line), as a page says
/// them: drawn over the panel's own, kHelpPageKeysTop below its top.
constexpr int kHelpPageKeysTop = 256;
constexpr Rect kHelpPageKeys{0, kCarriedBandY, kHelpPanel.w(), kCarriedBandY + 36};
/// EXPORT and IMPORT, the high scores' two small buttons.
constexpr Rect kExportButton{928, kCarriedBandY, 1024, kCarriedBandY + 28};
constexpr Rect kImportButton{928, kCarriedBandY + 32, 1024, kCarriedBandY + 60};
/// What an export or an import did, said under the table: up to two lines
/// each, in the order of CarryWord, three below the page's keys, then two
/// columns of four.
constexpr int kCarryWords = 11, kCarryWordWidth = 304, kCarryWordHeight = 30;
constexpr Rect carryWord(int i) {
  return i < 3 ? Rect{0, kHelpPageKeys.y2 + kCarryWordHeight * i, kCarryWordWidth,
                      kHelpPageKeys.y2 + kCarryWordHeight * (i + 1)}
               : Rect{316 + 308 * ((i - 3) / 4), kCarriedBandY + kCarryWordHeight * ((i - 3) % 4),
                      316 + 308 * ((i - 3) / 4) + kCarryWordWidth, kCarriedBandY + kCarryWordHeight * ((i - 3) % 4 + 1)};
}

// ---- the sheet: play --------------------------------------------------------
constexpr Rect kTopFrame{0, 715, 320, 767};
constexpr int kBrickSize = 31;
/// Brick k: the five colours, then the hard brick and its two cracked looks.
constexpr Rect brick(int k) { return {kBrickSize * k, 621, kBrickSize * k + kBrickSize, 652}; }
/// The icon of bonus b (1 to 5).
constexpr Rect bonusIcon(int b) { return {kBrickSize * b - 30, 667, kBrickSize * b, 699}; }
constexpr Rect kRestingBall{443, 522, 475, 556};
constexpr Rect kFlyingBall{10, 496, 92, 577};
constexpr Rect kLink{7, 596, 18, 607};
constexpr Rect kDragMe{19, 963, 125, 1002};
constexpr Rect kScoreLabel{23, 859, 70, 877};
constexpr int kDigitX[10][2] = {{72, 82},   {86, 94},   {98, 107},  {110, 119}, {122, 132},
                            {135, 145}, {147, 157}, {161, 169}, {172, 182}, {185, 194}};
constexpr int kDigitY1 = 859, kDigitY2 = 877;
constexpr Rect digit(int d) { return {kDigitX[d][0], kDigitY1, kDigitX[d][1], kDigitY2}; }
/// Frame f (0 to 3) of a bonus cloud.
constexpr Rect cloud(int f) { return {32 * f + 49, 900, 32 * f + 80, 934}; }
constexpr Rect kGameOverTop{233, 822, 474, 916};
constexpr Rect kGameOverBottom{233, 916, 474, 1011};
constexpr int kGameOverX = 44; ///< where both halves of GAME OVER are drawn

// ---- the sheet: the options (the band y 1600 to 1919) ----------------------------
constexpr int kOptionsBandY = 1600;
/// The titles of the options' two pages, OPTIONS and KEYS.
constexpr Rect kOptionsTitle{0, 1600, 240, 1632}, kKeysTitle{240, 1600, 480, 1632};
/// OPTIONS on the menu's top strip, RESET on the keys' page, and KEYS (the
/// options' button to the keys' page).
constexpr Rect kOptionsButton{480, 1600, 590, 1624}, kResetButton{600, 1600, 720, 1628},
    kKeysButton{730, 1600, 870, 1626};
/// The options' rows, top to bottom: music, effects, language, window size,
/// full screen, calmer motion, stronger contrast; each row's label, its
/// words starting at the left of the box.
constexpr int kOptionLabels = 7, kOptionLabelWidth = 136, kOptionRowHeight = 22;
constexpr Rect optionLabel(int i) {
  return {0, 1632 + kOptionRowHeight * i, kOptionLabelWidth, 1632 + kOptionRowHeight * (i + 1)};
}
/// A row's value in words: On, Off, As the system (the language), Whole
/// sizes (the window's), each centred in its box.
enum OptionWord { kWordOn = 0, kWordOff, kWordSystem, kWordWhole, kOptionWords };
constexpr int kOptionValueX = 140, kOptionValueWidth = 140;
constexpr Rect optionWord(int i) {
  return {kOptionValueX, 1632 + kOptionRowHeight * i, kOptionValueX + kOptionValueWidth,
          1632 + kOptionRowHeight * (i + 1)};
}
/// Each language's own name, in the order of the build's languages
/// (English first), centred in its box.
constexpr int kLanguageNames = 12, kLanguageNameX = 284;
constexpr Rect languageName(int i) {
  return {kLanguageNameX, 1632 + kOptionRowHeight * i, kLanguageNameX + kOptionValueWidth,
          1632 + kOptionRowHeight * (i + 1)};
}
/// The keys' page: each action's label (the keyboard's eleven, then the
/// gamepad's two), its words starting at the left of the box.
constexpr int kActionLabels = 13, kActionLabelX = 428, kActionLabelWidth = 176, kActionRowHeight = 20;
constexpr Rect actionLabel(int i) {
  return {kActionLabelX, 1632 + kActionRowHeight * i, kActionLabelX + kActionLabelWidth,
          1632 + kActionRowHeight * (i + 1)};
}
/// What the keys' page says: press a key, press a button (both starting at
/// the left of their boxes), and a key taken (ending at the right of its
/// box, before the label of the action that has it).
enum KeysWord { kWordPressKey = 0, kWordPressButton, kWordTaken, kKeysWords };
constexpr int kKeysWordX = 608, kKeysWordWidth = 200;
constexpr Rect keysWord(int i) {
  return {kKeysWordX, 1632 + kActionRowHeight * i, kKeysWordX + kKeysWordWidth, 1632 + kActionRowHeight * (i + 1)};
}
/// The stronger contrast's pictures: the bricks, the bonus icons and the
/// two balls, each the size of its ordinary one.
constexpr Rect contrastBrick(int k) { return {608 + kBrickSize * k, 1700, 608 + kBrickSize * k + kBrickSize, 1731}; }
constexpr Rect contrastIcon(int b) { return {608 + kBrickSize * b - 30, 1736, 608 + kBrickSize * b, 1768}; }
constexpr Rect kContrastRestingBall{860, 1736, 892, 1770}, kContrastFlyingBall{608, 1776, 690, 1857};
/// The ASCII glyph strip: characters 32 to 126, each in a cell of its own,
/// for names drawn from letters (the keys', the window's size).
constexpr int kGlyphFirst = 32, kGlyphLast = 126, kGlyphWidth = 8, kGlyphHeight = 16, kGlyphStripY = 1900;
constexpr Rect glyph(char ch) {
  return {kGlyphWidth * (ch - kGlyphFirst), kGlyphStripY, kGlyphWidth * (ch - kGlyphFirst + 1),
          kGlyphStripY + kGlyphHeight};
}

// ---- the cursor picture -------------------------------------------------------
constexpr Rect kCursor{0, 0, 20, 28};

// ---- places on the screen ------------------------------------------------------
constexpr int kButtonX = 42;
constexpr int kButtonY[5] = {130, 190, 255, 350, 400};
/// TODAY'S WALL, between HELP and QUIT.
constexpr int kDailyButtonY = 311;
constexpr int kNoticeX = 90;
/// The notice line rises from the bottom edge to rest this far above it.
constexpr int kNoticeRise = 24;
constexpr int kNoticeRestY = kScreenHeight - kNoticeRise;
constexpr Place kHelpPanelAt{7, 90};
constexpr Place kCreditAt{44, 461};
constexpr Place kScoresTitleAt{46, 100};
constexpr Place kScoreLabelAt{10, 457};
constexpr Place kScoreAt{59, 457};
/// The wall's top-left cell, and the feeder line's height.
constexpr Place kWallAt{21, 45};
constexpr int kFeederY = 4;
constexpr Rect kWallWell{21, 45, 300, 293};
/// The sling's anchor, and the resting ball's top-left corner.
constexpr int kAnchorX = 155, kAnchorY = 310;
constexpr Place kBallRest{145, 310};
constexpr Rect kMenuZone{226, 449, 320, 480};
/// The switches on the menu, and the focus arrow left of a button.
constexpr Place kMusicIconAt{250, 8}, kSoundsIconAt{284, 8};
constexpr int kFocusArrowX = 14;
constexpr Place kPausePanelAt{(320 - kPausePanel.w()) / 2, 170};
constexpr Place kReplayMarkAt{(320 - kReplayMark.w()) / 2, 58};
constexpr Place kResumePanelAt{(320 - kResumePanel.w()) / 2, 180};
/// The notice of what could not be kept: a strip across the screen, over
/// the play on the top frame (clear of the wall, the ball and the sling,
/// SCORE and MENU), over the other screens just below the switches; what
/// ends at kKeepNoticeJoin and why starts kKeepNoticeGap after it.
constexpr int kKeepNoticePlayY = 11, kKeepNoticeY = 40, kKeepNoticeHeight = 18;
constexpr int kKeepNoticeJoin = 2 + kUnkeptWhatWidth, kKeepNoticeGap = 4;
/// EXPORT and IMPORT on the high scores, in the strip above the title, and
/// what they did, under the table (the reset's bar is drawn instead while
/// Space is held).
constexpr Place kExportAt{8, 6}, kImportAt{kScreenWidth - 8 - kImportButton.w(), 6};
constexpr Place kCarryWordAt{(kScreenWidth - kCarryWordWidth) / 2, 362};
/// The daily screen: its heading (TODAY'S WALL), today's date (centred),
/// what the wall offers, the start, the streak (its label ending at
/// kStreakJoinX, its number after it), the rows of the table (kDailyRowsShown
/// at a time: the date, the score ending at kDailyScoreX, the small arrow
/// of a watchable row, SEND) and the arrows that scroll them.
/// (Below the menu's name, which shows through the veil.)
constexpr Place kDailyHeadingAt{38, 8};
constexpr int kDailyDateY = 100;
constexpr Place kDailyTryAt{10, 120};
constexpr Place kDailyStartAt{38, 156};
constexpr int kStreakJoinX = 226, kStreakY = 202;
constexpr int kDailyRowsY = 226, kDailyRowStep = 24, kDailyRowsShown = 7;
constexpr int kDailyDateX = 22, kDailyScoreX = 172, kDailyArrowX = 184, kDailySendX = 212;
constexpr int kDailyScrollX = 294;
/// A daily game's tag (the scored try, or practice), above the score.
constexpr Place kDailyTagAt{8, 430};
/// SEND's outcome: a panel over the screen, its lines from kSentPanelY.
constexpr Rect kSentPanel{8, 150, 312, 330};
constexpr int kSentTextX = 20, kSentLineY = 164;
/// A game received: the verified mark under REPLAY; the refusal's panel.
constexpr Rect kVerifiedPanel{40, 96, 280, 136};
constexpr int kVerifiedJoinX = 168;
constexpr Place kRefusedHeadingAt{40, 150};
constexpr Place kRefusedReasonAt{20, 206};

/// The options: OPTIONS on the menu's top strip; each page's title, its
/// rows (a label at the left, its value at the right), the focused row
/// lit; the sliders' steps; KEYS below the rows and, on the keys' page,
/// what it says and RESET. The row kOptionsSpareY holds nothing yet: kept
/// for a row of two buttons above BACK.
constexpr Place kOptionsButtonAt{40, 8};
constexpr Place kOptionsTitleAt{(320 - kOptionsTitle.w()) / 2, 12};
constexpr int kOptionRowsY = 56, kOptionRowStep = 30, kOptionLabelAt = 8, kOptionValueAt = 160, kOptionValueRight = 306;
constexpr int kSliderSteps = 10, kSliderStepWidth = 13, kSliderStepGap = 1;
constexpr Place kKeysButtonAt{(320 - kKeysButton.w()) / 2, kOptionRowsY + kOptionRowStep * 7 + 4};
constexpr int kOptionsSpareY = 326, kOptionsSpareHeight = 44;
constexpr int kActionRowsY = 50, kActionRowStep = 22, kActionLabelAt = 4, kActionKeyAt = 190;
constexpr int kKeysSaidY = kActionRowsY + kActionRowStep * 13 + 2;
constexpr Place kResetButtonAt{(320 - kResetButton.w()) / 2, 368};
/// The bar that fills while Space is held on the high scores, to reset them.
constexpr Rect kResetBar{60, 370, 260, 376};
/// The high-score rows, and the small arrow before a row whose game was kept.
constexpr int kScoreRowsY = 160, kScoreRowStep = 22;
constexpr int kReplayArrowX = 70;
/// A row's rank starts at kScoreRankX and its score's last digit is at
/// kScoreValueX; leader dots lie between, kLeaderDotDrop below the row's top.
constexpr int kScoreRankX = 100, kScoreValueX = 210;
constexpr int kLeaderDotsFromX = 110, kLeaderDotsToX = 170, kLeaderDotStep = 10, kLeaderDotDrop = 9;
/// A click on a kept row, from its arrow to this x, watches its game; its
/// SEND lies at kScoreSendX.
constexpr int kScoreRowRight = 240, kScoreSendX = 242;
constexpr float kReplayArrowZoom = 0.6f;
} // namespace layout
