// SPDX-License-Identifier: GPL-3.0-or-later
#include "mqtt/mosquitto_library.h"

#include <dlfcn.h>

#include <mutex>

namespace mirelune {

namespace {

// The soname of Debian 12's libmosquitto1 (MQTT 5.0/3.1.1 client, version 2.0).
constexpr char kLibrary[] = "libmosquitto.so.1";

template <typename F>
bool Resolve(void* handle, const char* name, F& into, std::string& missing) {
  into = reinterpret_cast<F>(::dlsym(handle, name));
  if (!into && missing.empty()) missing = name;
  return into != nullptr;
}

}  // namespace

const MosquittoApi* LoadMosquitto(std::string& error) {
  static MosquittoApi api;
  static std::string loadError;
  static std::once_flag once;
  std::call_once(once, [] {
    void* h = ::dlopen(kLibrary, RTLD_NOW | RTLD_LOCAL);
    if (!h) {
      const char* why = ::dlerror();
      loadError = std::string(kLibrary) + " cannot be loaded (" + (why ? why : "not found") +
                  "): install the Debian package libmosquitto1";
      return;
    }
    std::string missing;
    Resolve(h, "mosquitto_lib_version", api.lib_version, missing);
    Resolve(h, "mosquitto_new", api.create, missing);
    Resolve(h, "mosquitto_destroy", api.destroy, missing);
    Resolve(h, "mosquitto_int_option", api.int_option, missing);
    Resolve(h, "mosquitto_will_set", api.will_set, missing);
    Resolve(h, "mosquitto_username_pw_set", api.username_pw_set, missing);
    Resolve(h, "mosquitto_tls_set", api.tls_set, missing);
    Resolve(h, "mosquitto_connect_async", api.connect_async, missing);
    Resolve(h, "mosquitto_reconnect_async", api.reconnect_async, missing);
    Resolve(h, "mosquitto_disconnect", api.disconnect, missing);
    Resolve(h, "mosquitto_publish", api.publish, missing);
    Resolve(h, "mosquitto_subscribe", api.subscribe, missing);
    Resolve(h, "mosquitto_loop_read", api.loop_read, missing);
    Resolve(h, "mosquitto_loop_write", api.loop_write, missing);
    Resolve(h, "mosquitto_loop_misc", api.loop_misc, missing);
    Resolve(h, "mosquitto_socket", api.socket, missing);
    Resolve(h, "mosquitto_want_write", api.want_write, missing);
    Resolve(h, "mosquitto_connect_callback_set", api.connect_callback_set, missing);
    Resolve(h, "mosquitto_disconnect_callback_set", api.disconnect_callback_set, missing);
    Resolve(h, "mosquitto_publish_callback_set", api.publish_callback_set, missing);
    Resolve(h, "mosquitto_message_callback_set", api.message_callback_set, missing);
    Resolve(h, "mosquitto_strerror", api.strerror, missing);
    Resolve(h, "mosquitto_connack_string", api.connack_string, missing);
    decltype(&mosquitto_lib_init) init = nullptr;
    Resolve(h, "mosquitto_lib_init", init, missing);
    if (!missing.empty()) {
      loadError = std::string(kLibrary) + " lacks " + missing + ": libmosquitto 2.0 or later is needed";
      return;
    }
    int major = 0, minor = 0, revision = 0;
    api.lib_version(&major, &minor, &revision);
    if (major < 2) {
      loadError = std::string(kLibrary) + " is version " + std::to_string(major) + "." + std::to_string(minor) +
                  ": libmosquitto 2.0 or later is needed";
      return;
    }
    init();
  });
  if (!loadError.empty()) {
    error = loadError;
    return nullptr;
  }
  return &api;
}

}  // namespace mirelune
