/* A desktop portal's settings, as a test wants them: owns
 * org.freedesktop.portal.Desktop on the session bus and answers
 * org.freedesktop.portal.Settings.Read for the settings named on its
 * command line, the others with the portal's NotFound.
 *   fakeportal [--flat] NAMESPACE.KEY=TYPE:VALUE...
 * TYPE is u (a uint32), b (true or false) or s (a string). Read's answer
 * is a variant holding a variant, as portals answer it; --flat answers a
 * single variant, as some do. Prints "ready" once the name is its own. */
#include <dbus/dbus.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

struct setting {
  char space[128], key[64], type, value[64];
};

static int parse(const char *text, struct setting *s) {
  const char *equals = strchr(text, '='), *dot;
  if (!equals || equals[1] == 0 || equals[2] != ':') return 0;
  for (dot = equals; dot > text && *dot != '.'; dot--) {}
  if (dot == text || (size_t)(dot - text) >= sizeof s->space || (size_t)(equals - dot - 1) >= sizeof s->key) return 0;
  memcpy(s->space, text, (size_t)(dot - text));
  s->space[dot - text] = 0;
  memcpy(s->key, dot + 1, (size_t)(equals - dot - 1));
  s->key[equals - dot - 1] = 0;
  s->type = equals[1];
  snprintf(s->value, sizeof s->value, "%s", equals + 3);
  return s->type == 'u' || s->type == 'b' || s->type == 's';
}

static void append_value(DBusMessageIter *into, const struct setting *s) {
  DBusMessageIter v;
  if (s->type == 'u') {
    dbus_uint32_t u = (dbus_uint32_t)strtoul(s->value, NULL, 10);
    dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "u", &v);
    dbus_message_iter_append_basic(&v, DBUS_TYPE_UINT32, &u);
  } else if (s->type == 'b') {
    dbus_bool_t b = strcmp(s->value, "true") == 0;
    dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "b", &v);
    dbus_message_iter_append_basic(&v, DBUS_TYPE_BOOLEAN, &b);
  } else {
    const char *text = s->value;
    dbus_message_iter_open_container(into, DBUS_TYPE_VARIANT, "s", &v);
    dbus_message_iter_append_basic(&v, DBUS_TYPE_STRING, &text);
  }
  dbus_message_iter_close_container(into, &v);
}

int main(int argc, char **argv) {
  struct setting settings[8];
  int count = 0, flat = 0, i;
  for (i = 1; i < argc; i++) {
    if (strcmp(argv[i], "--flat") == 0) flat = 1;
    else if (count < 8 && parse(argv[i], &settings[count])) count++;
    else {
      fprintf(stderr, "fakeportal: not understood: %s\n", argv[i]);
      return 2;
    }
  }
  DBusError error;
  dbus_error_init(&error);
  DBusConnection *bus = dbus_bus_get(DBUS_BUS_SESSION, &error);
  if (!bus) {
    fprintf(stderr, "fakeportal: no session bus: %s\n", error.message);
    return 1;
  }
  if (dbus_bus_request_name(bus, "org.freedesktop.portal.Desktop", DBUS_NAME_FLAG_DO_NOT_QUEUE, &error) !=
      DBUS_REQUEST_NAME_REPLY_PRIMARY_OWNER) {
    fprintf(stderr, "fakeportal: the portal's name is taken\n");
    return 1;
  }
  printf("ready\n");
  fflush(stdout);
  while (dbus_connection_read_write(bus, -1)) {
    DBusMessage *call;
    while ((call = dbus_connection_pop_message(bus))) {
      if (dbus_message_is_method_call(call, "org.freedesktop.portal.Settings", "Read")) {
        const char *space = "", *key = "";
        const struct setting *found = NULL;
        DBusMessage *reply;
        dbus_message_get_args(call, NULL, DBUS_TYPE_STRING, &space, DBUS_TYPE_STRING, &key, DBUS_TYPE_INVALID);
        for (i = 0; i < count; i++)
          if (strcmp(settings[i].space, space) == 0 && strcmp(settings[i].key, key) == 0) found = &settings[i];
        if (found) {
          DBusMessageIter args, outer;
          reply = dbus_message_new_method_return(call);
          dbus_message_iter_init_append(reply, &args);
          if (flat) append_value(&args, found);
          else {
            dbus_message_iter_open_container(&args, DBUS_TYPE_VARIANT, "v", &outer);
            append_value(&outer, found);
            dbus_message_iter_close_container(&args, &outer);
          }
        } else {
          reply = dbus_message_new_error(call, "org.freedesktop.portal.Error.NotFound", "no such setting");
        }
        dbus_connection_send(bus, reply, NULL);
        dbus_message_unref(reply);
      }
      dbus_message_unref(call);
    }
  }
  return 0;
}
