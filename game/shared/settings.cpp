#include "settings.h"

#include <sys/stat.h>

#include <sstream>

#include "KMiscTools.h"
#include "language.h"
#include "storage.h"

namespace {
const char *const kHeading = "[zunk]";
// How much of a line the file does not understand is shown.
const size_t kShownLineBytes = 80;

const char *onOff(bool on) { return on ? "on" : "off"; }

// "on" or "off" into `value`; false for anything else.
bool readSwitch(const std::string &text, bool &value) {
  if (text == "on") value = true;
  else if (text == "off") value = false;
  else return false;
  return true;
}

// "whole", 0, or a number from 1 to kMaxScale in quarter steps ("2",
// "1.25", "1.5", "1.750") into `settings`; false for anything else. Read
// digit by digit, whatever the locale's decimal mark.
bool readScale(const std::string &text, Settings &settings) {
  if (text == "whole") {
    settings.wholeScaling = true;
    settings.scale = 0;
    return true;
  }
  const size_t point = text.find('.');
  const std::string whole = text.substr(0, point), fraction = point == std::string::npos ? "" : text.substr(point + 1);
  if (whole.empty() || whole.size() > 2 || whole.find_first_not_of("0123456789") != std::string::npos) return false;
  if (point != std::string::npos && (fraction.empty() || fraction.size() > 4 ||
                                     fraction.find_first_not_of("0123456789") != std::string::npos))
    return false;
  // The fraction in ten-thousandths, which a quarter step divides.
  const int tenThousandths = std::stoi((fraction + "0000").substr(0, 4));
  if (tenThousandths % (10000 / kScaleSteps) != 0) return false;
  const double value = std::stoi(whole) + tenThousandths / 10000.0;
  if (value > kMaxScale || (value != 0 && value < 1)) return false;
  settings.scale = value;
  settings.wholeScaling = false;
  return true;
}

// A scale as readScale reads it: whole numbers as they always were written.
std::string scaleText(const Settings &settings) {
  if (settings.wholeScaling) return "whole";
  const int steps = static_cast<int>(settings.scale * kScaleSteps + 0.5);
  const int whole = steps / kScaleSteps, quarter = steps % kScaleSteps;
  const char *const fractions[kScaleSteps] = {"", ".25", ".5", ".75"};
  return std::to_string(whole) + fractions[quarter];
}

// A web address: http or https, printable, no spaces, not too long for a
// link a player sends.
bool readAddress(const std::string &text, std::string &address) {
  const size_t kLongest = 1024;
  const bool web = text.compare(0, 7, "http://") == 0 || text.compare(0, 8, "https://") == 0;
  if (!web || text.size() > kLongest) return false;
  for (unsigned char c : text)
    if (c <= ' ' || c >= 0x7f) return false;
  address = text;
  return true;
}

bool readChoice(const std::string &text, Choice &value) {
  if (text == "on") value = Choice::kOn;
  else if (text == "off") value = Choice::kOff;
  else if (text == "system") value = Choice::kAsSystem;
  else return false;
  return true;
}

const char *choiceText(Choice choice) {
  return choice == Choice::kOn ? "on" : choice == Choice::kOff ? "off" : "system";
}

// A volume step, 1 to kVolumeSteps.
bool readLevel(const std::string &text, int &level) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos) return false;
  const int value = std::stoi(text);
  if (value < 1 || value > kVolumeSteps) return false;
  level = value;
  return true;
}

bool readLanguage(const std::string &text, std::string &language) {
  if (text == "system") language.clear();
  else if (languageIndex(text) >= 0) language = text;
  else return false;
  return true;
}

// "key.ACTION=NAME" or "pad.ACTION=NAME": a key that may be given (whether
// another action has it too is seen once the whole file is read).
bool readKey(const std::string &key, const std::string &value, KeyMap &keys) {
  for (int a = 0; a < kKeyActions; a++)
    if (key == std::string("key.") + keyActionName(a)) {
      const EKeyboardLayout k = keyNamed(value);
      if (!assignableKey(k)) return false;
      keys.keys[a] = k;
      return true;
    }
  for (int a = 0; a < kPadActions; a++)
    if (key == std::string("pad.") + padActionName(a)) {
      const int b = padButtonNamed(value);
      if (!assignablePadButton(b)) return false;
      keys.pad[a] = b;
      return true;
    }
  return false;
}

std::string trimmed(const std::string &s) {
  const size_t first = s.find_first_not_of(" \t\r");
  if (first == std::string::npos) return "";
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}
} // namespace

std::string settingsPath() {
  const char *config = KMiscTools::getPreferencesFolder();
  return config ? std::string(config) + "/zunk/settings.ini" : "";
}

Settings parseSettings(const std::string &text, std::string &garbled) {
  Settings settings;
  garbled.clear();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = trimmed(text.substr(start, end - start));
    start = end + 1;
    if (line.empty() || line[0] == '#' || line[0] == ';' || line == kHeading) continue;
    const size_t equals = line.find('=');
    const std::string key = equals == std::string::npos ? "" : trimmed(line.substr(0, equals));
    const std::string value = equals == std::string::npos ? "" : trimmed(line.substr(equals + 1));
    bool known = true;
    if (key == "music") known = readSwitch(value, settings.music);
    else if (key == "sounds") known = readSwitch(value, settings.sounds);
    else if (key == "fullscreen") known = readSwitch(value, settings.fullScreen);
    else if (key == "scale") known = readScale(value, settings);
    else if (key == "share_url") known = readAddress(value, settings.shareUrl);
    else if (key == "musicvolume") known = readLevel(value, settings.musicLevel);
    else if (key == "soundsvolume") known = readLevel(value, settings.soundsLevel);
    else if (key == "language") known = readLanguage(value, settings.language);
    else if (key == "calm") known = readChoice(value, settings.calm);
    else if (key == "contrast") known = readChoice(value, settings.contrast);
    else known = readKey(key, value, settings.keys);
    if (!known && garbled.empty()) garbled = line;
  }
  // Two actions on one key would leave one of them out of reach: the keys
  // as they first were.
  if (!distinctKeys(settings.keys)) {
    settings.keys = KeyMap();
    if (garbled.empty()) garbled = "one key given to two actions";
  }
  return settings;
}

Settings readSettings(const std::string &path, std::string &message) {
  message.clear();
  std::string text, error, garbled;
  // None yet (a first start) is no problem to tell.
  if (!fileThere(path)) return Settings();
  if (!readFile(path, kMaxSettingsBytes, text, error)) {
    message = "no settings read from " + path + " (" + error + "): the defaults are used";
    return Settings();
  }
  const Settings settings = parseSettings(text, garbled);
  // The line is shown as a terminal can show it: it is the file's, not ours.
  if (!garbled.empty())
    message = path + ": \"" + printable(garbled, kShownLineBytes) + "\" is not understood: the defaults stand for what could not be read";
  return settings;
}

namespace {
std::string settingsText(const Settings &settings) {
  std::ostringstream text;
  text << kHeading << "\nmusic=" << onOff(settings.music) << "\nsounds=" << onOff(settings.sounds)
       << "\nfullscreen=" << onOff(settings.fullScreen) << "\nscale=" << scaleText(settings) << "\n";
  if (!settings.shareUrl.empty()) text << "share_url=" << settings.shareUrl << "\n";
  // What the options chose, but for what is as it always was: a file
  // that an earlier program keeps reads as it did.
  const Settings defaults;
  if (settings.musicLevel != defaults.musicLevel) text << "musicvolume=" << settings.musicLevel << "\n";
  if (settings.soundsLevel != defaults.soundsLevel) text << "soundsvolume=" << settings.soundsLevel << "\n";
  if (!settings.language.empty()) text << "language=" << settings.language << "\n";
  if (settings.calm != Choice::kAsSystem) text << "calm=" << choiceText(settings.calm) << "\n";
  if (settings.contrast != Choice::kAsSystem) text << "contrast=" << choiceText(settings.contrast) << "\n";
  for (int a = 0; a < kKeyActions; a++)
    if (settings.keys.keys[a] != defaults.keys.keys[a])
      text << "key." << keyActionName(a) << "=" << keyName(settings.keys.keys[a]) << "\n";
  for (int a = 0; a < kPadActions; a++)
    if (settings.keys.pad[a] != defaults.keys.pad[a])
      text << "pad." << padActionName(a) << "=" << padButtonName(settings.keys.pad[a]) << "\n";
  return text.str();
}

// Every missing folder of the path.
void makeFolders(const std::string &path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos; slash = path.find('/', slash + 1))
    mkdir(path.substr(0, slash).c_str(), 0755);
}

std::string folderOf(const std::string &path) { return path.substr(0, path.find_last_of('/')); }
} // namespace

bool writeSettings(const std::string &path, const Settings &settings, std::string &message) {
  message.clear();
  if (path.empty()) return false;
  makeFolders(path);
  std::string error;
  if (replaceFile(path, settingsText(settings), error)) return true;
  message = "the settings could not be saved to " + path + ": " + error;
  return false;
}

void removeSettingsLeftovers(const std::string &path) {
  if (path.empty()) return;
  std::string error;
  Cause cause;
  const std::string name = path.substr(path.find_last_of('/') + 1);
  changeKeptFiles(
      folderOf(path),
      [&](std::string &, Cause &) {
        removeLeftovers(folderOf(path), [&](const std::string &kept) { return kept == name; });
        return true;
      },
      error, cause);
}

bool keepSetting(const std::string &path, const std::function<void(Settings &)> &change, std::string &message,
                 Cause &cause) {
  message.clear();
  cause = Cause::kNone;
  if (path.empty()) {
    message = "the settings cannot be kept: there is no home folder";
    cause = Cause::kNoUserFolder;
    return false;
  }
  makeFolders(path);
  std::string error;
  const bool kept = changeKeptFiles(
      folderOf(path),
      [&](std::string &why, Cause &whyCause) {
        // What another copy of the game switched meanwhile stays as it is.
        std::string said;
        Settings settings = readSettings(path, said);
        change(settings);
        return replaceFile(path, settingsText(settings), why, &whyCause);
      },
      error, cause);
  if (!kept) message = "the settings could not be saved to " + path + ": " + error;
  return kept;
}

bool adoptSettings(const std::string &path, const std::string &text, bool &taken, std::string &message, Cause &cause) {
  taken = false;
  message.clear();
  cause = Cause::kNone;
  if (path.empty() || text.empty()) return true;
  std::string garbled;
  const Settings carried = parseSettings(text, garbled);
  makeFolders(path);
  std::string error;
  const bool kept = changeKeptFiles(
      folderOf(path),
      [&](std::string &why, Cause &whyCause) {
        if (fileThere(path)) return true;
        Settings settings;
        settings.music = carried.music;
        settings.sounds = carried.sounds;
        if (!replaceFile(path, settingsText(settings), why, &whyCause)) return false;
        taken = true;
        return true;
      },
      error, cause);
  if (!kept) message = "the settings could not be saved to " + path + ": " + error;
  return kept;
}
