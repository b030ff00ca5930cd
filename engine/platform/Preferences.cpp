// What the user asked of every program: less motion, more contrast. A
// browser says it through its media queries; a desktop through the
// settings portal on the session bus (org.freedesktop.portal.Settings):
// the appearance's contrast (1: more), and GNOME's own switch for
// animations, which the portal passes on. Read once, as the program asks
// first: a bus that does not answer within kBusWait leaves the defaults.

#include "Platform.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#else
#include <dbus/dbus.h>

#include <cstdlib>
#endif

namespace platform {
namespace {
#ifdef __EMSCRIPTEN__
EM_JS(int, pageMatches, (const char *query), {
  return typeof matchMedia === "function" && matchMedia(UTF8ToString(query)).matches ? 1 : 0;
});
#else
// How long the portal may take to answer each question.
const int kBusWait = 500;

struct PreferencesContext {
  bool read = false;
  bool reducedMotion = false, moreContrast = false;
};
PreferencesContext preferences_;

// The value inside Settings.Read's answer: a variant, holding (from most
// portals) another variant; false when it is not of `type`.
bool answerValue(DBusMessage *reply, int type, void *value) {
  DBusMessageIter iter;
  if (!dbus_message_iter_init(reply, &iter)) return false;
  while (dbus_message_iter_get_arg_type(&iter) == DBUS_TYPE_VARIANT) {
    DBusMessageIter inner;
    dbus_message_iter_recurse(&iter, &inner);
    iter = inner;
  }
  if (dbus_message_iter_get_arg_type(&iter) != type) return false;
  dbus_message_iter_get_basic(&iter, value);
  return true;
}

// Asks the portal for one setting; the answer, or null.
DBusMessage *readSetting(DBusConnection *bus, const char *space, const char *key) {
  DBusMessage *call = dbus_message_new_method_call("org.freedesktop.portal.Desktop", "/org/freedesktop/portal/desktop",
                                                   "org.freedesktop.portal.Settings", "Read");
  if (!call) return nullptr;
  dbus_message_append_args(call, DBUS_TYPE_STRING, &space, DBUS_TYPE_STRING, &key, DBUS_TYPE_INVALID);
  DBusError error;
  dbus_error_init(&error);
  DBusMessage *reply = dbus_connection_send_with_reply_and_block(bus, call, kBusWait, &error);
  dbus_message_unref(call);
  dbus_error_free(&error);
  return reply;
}

void readPreferences() {
  if (preferences_.read) return;
  preferences_.read = true;
  // No session bus named, none asked for: libdbus would otherwise start
  // one of its own (autolaunch) for a program that only wants to read.
  const char *address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
  if (!address || !*address) return;
  DBusError error;
  dbus_error_init(&error);
  // A connection of our own: the bus's shared one belongs to whoever else
  // in the process (SDL) uses it.
  DBusConnection *bus = dbus_bus_get_private(DBUS_BUS_SESSION, &error);
  dbus_error_free(&error);
  if (!bus) return;
  dbus_connection_set_exit_on_disconnect(bus, false);
  if (DBusMessage *reply = readSetting(bus, "org.freedesktop.appearance", "contrast")) {
    dbus_uint32_t contrast = 0;
    if (answerValue(reply, DBUS_TYPE_UINT32, &contrast)) preferences_.moreContrast = contrast == 1;
    dbus_message_unref(reply);
  }
  if (DBusMessage *reply = readSetting(bus, "org.gnome.desktop.interface", "enable-animations")) {
    dbus_bool_t animations = true;
    if (answerValue(reply, DBUS_TYPE_BOOLEAN, &animations)) preferences_.reducedMotion = !animations;
    dbus_message_unref(reply);
  }
  dbus_connection_close(bus);
  dbus_connection_unref(bus);
}
#endif
} // namespace

bool prefersReducedMotion() {
#ifdef __EMSCRIPTEN__
  return pageMatches("(prefers-reduced-motion: reduce)");
#else
  readPreferences();
  return preferences_.reducedMotion;
#endif
}

bool prefersMoreContrast() {
#ifdef __EMSCRIPTEN__
  return pageMatches("(prefers-contrast: more)");
#else
  readPreferences();
  return preferences_.moreContrast;
#endif
}

} // namespace platform
